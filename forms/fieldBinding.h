#pragma once
// How a field of a form finds the field of the server whose value it shows:
// by a field position, by a field's symbol, or else by the control's own
// name. A control whose binding names no field of the server is unbound and
// is left alone when the form reads or writes a record.
#include "platform/data/dbserver.h"
#include "platform/runtime/symbol.h"

namespace kp {

class FieldBinding {
  public:
    // Binds to the field of that name (replaces a binding by position).
    void BindSymbol(Symbol field) {
        symbol_ = field;
        position_ = 0;
    }
    // Binds to the 1-based field position (replaces a binding by symbol).
    void BindPosition(int position) {
        position_ = position > 0 ? position : 0;
        symbol_ = Symbol();
    }
    Symbol BoundSymbol() const { return symbol_; }
    int BoundPosition() const { return position_; }

    // The 1-based position in `server` of the field a control named
    // `ownName` exchanges its value with; 0 when there is none.
    int PositionIn(const DBServer& server, Symbol ownName) const;

  private:
    Symbol symbol_;
    int position_ = 0;
};

// A control that carries its own binding; the form gives it the field's
// description (FieldSpec) through it.
class FieldBound {
  public:
    virtual ~FieldBound() = default;
    virtual const FieldBinding& Binding() const = 0;
};

}  // namespace kp
