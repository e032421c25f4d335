#include "forms/dtaAbstract.h"

#include <algorithm>

#include "forms/fieldBinding.h"
#include "forms/funControl.h"
#include "platform/data/dbserver.h"
#include "platform/gui/controls.h"

namespace kp {

std::optional<HyperLabel> BoundHyperLabel(const HyperLabel& control, const FieldSpec& field) {
    const HyperLabelData& f = field.HyperLabel();
    std::string description =
        !control.Description().empty() ? control.Description() : f.description;
    std::string help = !control.HelpContext().empty() ? control.HelpContext() : f.helpContext;
    if (description.empty() && help.empty())
        return std::nullopt;
    return HyperLabel(f.name, f.caption, std::move(description), std::move(help));
}

void EnableSystemClose(HWND hwnd, bool enabled) {
    if (HMENU sys = GetSystemMenu(hwnd, FALSE))
        EnableMenuItem(sys, SC_CLOSE, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

std::vector<HWND> WindowsToDisable(const std::vector<LevelWindow>& level, HWND self,
                                   DWORD ownProcess) {
    std::vector<HWND> out;
    for (const LevelWindow& w : level)
        if (w.hwnd && w.hwnd != self && w.processId == ownProcess && w.enabled)
            out.push_back(w.hwnd);
    return out;
}

std::string ServerPath(const DataServer* server) {
    auto* db = dynamic_cast<const DBServer*>(server);
    return db && db->Used() ? db->FullPath() : std::string();
}

DtaAbstract::DtaAbstract(Window* owner, const ResourceID& form, bool subForm)
    : DataWindow(owner, form, subForm) {}

Symbol DtaAbstract::ClassName() const {
    return Symbol("DTAABSTRACT");
}

bool DtaAbstract::EndWindow(bool sendNow) {
    DataWindow::EndWindow(sendNow);
    return valid_;
}

void DtaAbstract::Show(int showState) {
    DataServer* server = Server();
    const auto specs = server ? server->FieldSpecs() : std::vector<std::pair<Symbol, FieldSpec>>{};
    if (!specs.empty()) {
        const auto* db = dynamic_cast<const DBServer*>(server);
        for (Control* c : Controls()) {
            const Symbol name = c->NameSym();
            auto it = std::find_if(specs.begin(), specs.end(),
                                   [name](const auto& p) { return p.first == name; });
            // A control with a binding of its own shows the field it names.
            if (const auto* bound = dynamic_cast<const FieldBound*>(c); bound && db) {
                const int pos = bound->Binding().PositionIn(*db, name);
                it = pos > 0 && static_cast<size_t>(pos) <= specs.size() ? specs.begin() + (pos - 1)
                                                                         : specs.end();
            }
            if (it == specs.end())
                continue;
            c->FieldSpec(it->second);
            if (auto label = BoundHyperLabel(c->HyperLabel(), it->second))
                c->HyperLabel(*label);
        }
        Notify(NOTIFYFILECHANGE, Usual());
    }
    DataWindow::Show(showState);
}

bool DtaAbstract::QueryClose(Event&) {
    return valid_;
}

void DtaAbstract::Close(Event& e) {
    if (modal_)
        SetModal(false);
    DataWindow::Close(e);
}

void DtaAbstract::Valid(bool on) {
    if (Handle())
        EnableSystemClose(Handle(), on);
    valid_ = on;
}

DtaAbstract& DtaAbstract::SetKey(const Usual& key, const Usual& action) {
    keys_.emplace_back(key, action);
    return *this;
}

size_t DtaAbstract::ChangedControl() const {
    const auto& controls = Controls();
    for (size_t i = 0; i < controls.size(); ++i)
        if (controls[i]->ValueChanged())
            return i + 1;
    return 0;
}

}  // namespace kp

namespace kp {

void DtaAbstract::SetModal(bool on) {
    HWND self = Handle();
    if (on && self) {
        std::vector<LevelWindow> level;
        for (HWND h = GetWindow(self, GW_HWNDFIRST); h; h = GetWindow(h, GW_HWNDNEXT)) {
            LevelWindow w;
            w.hwnd = h;
            GetWindowThreadProcessId(h, &w.processId);
            w.enabled = IsWindowEnabled(h) != FALSE;
            level.push_back(w);
        }
        for (HWND h : WindowsToDisable(level, self, GetCurrentProcessId())) {
            EnableWindow(h, FALSE);
            disabledByModal_.push_back(h);
        }
    } else if (!on) {
        for (HWND h : disabledByModal_)
            if (IsWindow(h))
                EnableWindow(h, TRUE);
        disabledByModal_.clear();
    }
    if (self)
        EnableWindow(self, TRUE);
    modal_ = on;
}

DtaAbstract& DtaAbstract::SetReadOnly() {
    ReadOnly(true);
    const HWND canvas = CanvasHandle();
    const HWND focus = GetFocus();
    const bool focusHere = focus && canvas && IsChild(canvas, focus);
    // The controls change state without the focus visiting each of them:
    // that would run every field's when- and valid-actions.
    for (Control* c : Controls()) {
        if (auto* edit = dynamic_cast<kp::Edit*>(c))
            edit->ReadOnly(true);
        else
            c->Disable();
    }
    // A disabled control loses the focus; it goes to the first field, which
    // stays readable, so the keyboard keeps working in the form.
    const HWND now = GetFocus();
    if (focusHere && (!now || !IsChild(canvas, now))) {
        for (Control* c : Controls()) {
            if (dynamic_cast<kp::Edit*>(c) && c->IsVisible() && c->IsEnabled()) {
                c->SetFocus();
                break;
            }
        }
    }
    return *this;
}

DtaAbstract& DtaAbstract::SetReadWrite() {
    ReadOnly(false);
    for (Control* c : Controls()) {
        if (auto* edit = dynamic_cast<kp::Edit*>(c))
            edit->ReadOnly(false);
        else
            c->Enable();
    }
    return *this;
}

void DtaAbstract::ShowPopup() {
    if (!popupMenu_ || !popupMenu_->Handle() || !Handle())
        return;
    POINT p{};
    GetCursorPos(&p);
    HMENU shown = GetSubMenu(popupMenu_->Handle(), static_cast<int>(popupMenuNo_));
    // A menu made in code holds its items itself.
    if (!shown && popupMenuNo_ == 0 && GetMenuItemCount(popupMenu_->Handle()) > 0)
        shown = popupMenu_->Handle();
    if (shown)
        TrackPopupMenu(shown, TPM_RIGHTBUTTON, p.x, p.y, 0, Handle(), nullptr);
}

void DtaAbstract::MouseButtonDown(MouseEvent& e) {
    DataWindow::MouseButtonDown(e);
    if (e.IsRightButton() && popupMenu_)
        ShowPopup();
}

void DtaAbstract::MenuCommand(MenuCommandEvent& e) {
    const Symbol name = popupMenu_ ? popupMenu_->NameSym(e.ItemID()) : Symbol();
    if (name.IsNull()) {
        DataWindow::MenuCommand(e);
        return;
    }
    if (CallMethod(name))
        return;
    if (Window* owner = Owner())
        owner->CallMethod(name);
}

void DtaAbstract::HelpRequest(HelpRequestEvent& e) {
    DataWindow::HelpRequest(e);
    const std::string& context = HyperLabel().HelpContext();
    if (!e.HelpContext().empty() || context.empty())
        return;
    if (ShellWindow* shell = GetShell(this)) {
        if (auto help = shell->HelpDisplay())
            help->Show(context);
    }
}

namespace {

// The same table as the other window's: its server, or its browse view.
void RefreshIfSameTable(DataWindow& w, const std::string& path) {
    if (ServerPath(w.Server()) != path)
        return;
    if (w.ShowsBrowseView()) {
        w.RefreshBrowseView();
    } else if (auto* db = dynamic_cast<DBServer*>(w.Server())) {
        db->Refresh();
        w.Notify(NOTIFYRECORDCHANGE, Usual());
    }
}

}  // namespace

void DtaAbstract::Refresh(const DataWindow& other) {
    const std::string path = ServerPath(other.Server());
    if (path.empty())
        return;
    RefreshIfSameTable(*this, path);
    // A copy: a refresh may make or drop sub-forms.
    const std::vector<DataWindow*> subForms = SubForms();
    for (DataWindow* sub : subForms)
        RefreshIfSameTable(*sub, path);
}

void DtaAbstract::ControlNotify(ControlNotifyEvent& e) {
    if (SelectedTabControl(e))
        TabSelect(e);
    else
        DataWindow::ControlNotify(e);
}

LRESULT DtaAbstract::Dispatch(Event& e) {
    // A grey Close entry is a refusal: the keyboard's Close commands must
    // not slip past it.
    if (e.Message() == WM_SYSCOMMAND && (e.wParam() & 0xFFF0) == SC_CLOSE && !valid_ &&
        e.Handle() == Handle()) {
        EventReturnValue(0);
        return 1;
    }
    return DataWindow::Dispatch(e);
}

}  // namespace kp
