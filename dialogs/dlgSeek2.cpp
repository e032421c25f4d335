#include "dialogs/dlgSeek2.h"

#include "dialogs/appIcon.h"

#include "dialogs/seekRules.h"
#include "platform/data/dbserver.h"
#include "platform/data/suspendnotify.h"
#include "platform/gui/boxes.h"
#include "platform/runtime/strings.h"

namespace kp {

namespace {

// The hourglass while a search reads the table, the pointer before it
// afterwards, however the search ends.
class WaitCursor {
  public:
    WaitCursor() : before_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(before_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    HCURSOR before_;
};

}  // namespace

DlgSeek2Layout::DlgSeek2Layout(Window* owner)
    : DialogWindow(owner, ResourceID("dlgSeek2_layout"), true) {
    ShowApplicationIcon(*this);
    SleSuchbegriff = std::make_unique<SingleLineEdit>(this, ResourceID(ID_SEEK2_SLESUCHBEGRIFF));
    SleSuchbegriff->HyperLabel(kp::HyperLabel("SleSuchbegriff", "Suchbegriff:"));
    PshSuchenButton = std::make_unique<PushButton>(this, ResourceID(ID_SEEK2_PSHSUCHEN));
    PshSuchenButton->HyperLabel(kp::HyperLabel("PshSuchen", "&Suchen"));
    PshAbbruchButton = std::make_unique<PushButton>(this, ResourceID(ID_SEEK2_PSHABBRUCH));
    PshAbbruchButton->HyperLabel(kp::HyperLabel("PshAbbruch", "&Abbruch"));
    RdbGesamt = std::make_unique<RadioButton>(this, ResourceID(ID_SEEK2_RDBGESAMT));
    RdbGesamt->HyperLabel(kp::HyperLabel("RdbGesamt", "gesamte Datenbank"));
    RdbRest = std::make_unique<RadioButton>(this, ResourceID(ID_SEEK2_RDBREST));
    RdbRest->HyperLabel(kp::HyperLabel("RdbRest", "restliche Datenbank"));
}

Symbol DlgSeek2Layout::ClassName() const {
    return Symbol("DLGSEEK2_LAYOUT");
}

DlgSeek2::DlgSeek2(Window* owner, DBServer* server, const std::string& term)
    : DlgSeek2Layout(owner), server_(server) {
    if (server_)
        startRecord_ = server_->RecNo();
    SleSuchbegriff->TextValue(term);
    RdbGesamt->Pressed(true);
}

Symbol DlgSeek2::ClassName() const {
    return Symbol("DLGSEEK2");
}

void DlgSeek2::PshSuchen() {
    if (!server_ || !server_->Used())
        return;
    const std::string term = Trim(SleSuchbegriff->TextValue());
    {
        // The owners hear of the record once, at the end; an error on the
        // way must not leave them deaf, nor the pointer an hourglass.
        const SuspendedNotification quiet(*server_);
        std::vector<std::string> hits;
        {
            const WaitCursor wait;
            hits = FindContaining(*server_, term, RdbGesamt->Pressed());
        }
        if (hits.empty()) {
            CurrentPresenter().ShowMessage(Handle(), "KONTORPLUS", "Keinen Eintrag gefunden!",
                                           MB_OK | MB_ICONINFORMATION);
            return;
        }
        DlgAuswahl list(this, hits);
        list.Show();
        if (cSeekString_.empty())
            return;
        server_->SetOrder(1);
        server_->Seek(Usual(cSeekString_));
    }
    server_->Notify(NOTIFYRECORDCHANGE);
    EndDialog(1);
}

void DlgSeek2::PshAbbruch() {
    if (server_ && server_->Used())
        server_->GoTo(startRecord_);
    EndDialog(0);
}

void DlgSeek2::Close(Event&) {
    PshAbbruch();
}

Method DlgSeek2::FindMethod(Symbol name) {
    static const MethodTable<DlgSeek2> methods{
        {"PshSuchen", &DlgSeek2::PshSuchen},
        {"PshAbbruch", &DlgSeek2::PshAbbruch},
    };
    if (Method m = methods.Bind(this, name))
        return m;
    return DlgSeek2Layout::FindMethod(name);
}

}  // namespace kp
