#pragma once
// The data-server base: what windows attach to, and the field specifications
// a server offers. DBServer (dbserver.h) is the DBF/NTX server.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/symbol.h"
#include "platform/runtime/usual.h"

namespace kp {

// Name, caption, description and help context of a control, window or field.
struct HyperLabelData {
    Symbol name;
    std::string caption;
    std::string description;
    std::string helpContext;
};

// Notification codes a server sends to its clients.
enum NotifyCode : int {
    NOTIFYFIELDCHANGE = 0,
    NOTIFYCLOSE = 1,
    NOTIFYCOMPLETION = 2,
    NOTIFYINTENTTOMOVE = 3,
    NOTIFYRECORDCHANGE = 4,
    NOTIFYFILECHANGE = 5,
    NOTIFYAPPEND = 6,
    NOTIFYDELETE = 7,
};

class FieldSpec {
  public:
    FieldSpec(Symbol name, char valType, int length, int decimals)
        : name_(name), valType_(valType), length_(length), decimals_(decimals) {
        hyperLabel_.name = name;
        hyperLabel_.caption = name.Name();
    }
    Symbol Name() const { return name_; }
    char ValType() const { return valType_; }  // 'C' 'N' 'D' 'L' 'M'
    int Length() const { return length_; }
    int Decimals() const { return decimals_; }
    const HyperLabelData& HyperLabel() const { return hyperLabel_; }
    void SetHyperLabel(HyperLabelData hl) { hyperLabel_ = std::move(hl); }

  private:
    Symbol name_;
    char valType_;
    int length_;
    int decimals_;
    HyperLabelData hyperLabel_;
};

// Something attached to a server that wants to hear of its changes.
class DataClient {
  public:
    virtual ~DataClient() = default;
    virtual void Notify(int code, const Usual& description) = 0;
};

class DataServer {
  public:
    virtual ~DataServer() = default;

    // Pairs {field name, field spec} in field order; empty when closed.
    virtual std::vector<std::pair<Symbol, FieldSpec>> FieldSpecs() const = 0;

    void RegisterClient(DataClient* client);
    void UnRegisterClient(DataClient* client);
    // Tells every client (unless notification is suspended).
    void Notify(int code, const Usual& description = Usual());
    void SuspendNotification() { ++suspended_; }
    void ResetNotification() {
        if (suspended_ > 0)
            --suspended_;
    }

  protected:
    std::vector<DataClient*> clients_;
    int suspended_ = 0;
};

}  // namespace kp
