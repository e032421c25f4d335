#pragma once
// DlgSeek2: the full-text search over the first and last name lines of the
// address table, from the top or from the current record; the hits go to
// the selection list and the address chosen becomes the server's record.
// Result() is 1 when an address was chosen.
#include <cstdint>
#include <memory>
#include <string>

#include "dialogs/dlgSeek.h"
#include "platform/gui/controls.h"
#include "platform/gui/dialogwindow.h"

namespace kp {

class DBServer;

inline constexpr int ID_SEEK2_SLESUCHBEGRIFF = 101;
inline constexpr int ID_SEEK2_PSHSUCHEN = 102;
inline constexpr int ID_SEEK2_PSHABBRUCH = 103;
inline constexpr int ID_SEEK2_RDBGESAMT = 104;
inline constexpr int ID_SEEK2_RDBREST = 105;

class DlgSeek2Layout : public DialogWindow {
  public:
    explicit DlgSeek2Layout(Window* owner);
    Symbol ClassName() const override;

    std::unique_ptr<SingleLineEdit> SleSuchbegriff;
    std::unique_ptr<PushButton> PshSuchenButton;
    std::unique_ptr<PushButton> PshAbbruchButton;
    std::unique_ptr<RadioButton> RdbGesamt;
    std::unique_ptr<RadioButton> RdbRest;
};

class DlgSeek2 : public DlgSeek2Layout, public SeekStringOwner {
  public:
    DlgSeek2(Window* owner, DBServer* server, const std::string& term);
    Symbol ClassName() const override;

    void cSeekString(const std::string& key) override { cSeekString_ = key; }
    const std::string& cSeekString() const { return cSeekString_; }

    void PshSuchen();
    // Back to the record the dialog opened on; the dialog ends.
    void PshAbbruch();
    // The close box and Escape cancel as "&Abbruch" does.
    void Close(Event& e) override;
    Method FindMethod(Symbol name) override;

  private:
    DBServer* server_;
    std::string cSeekString_;
    uint32_t startRecord_ = 0;
};

}  // namespace kp
