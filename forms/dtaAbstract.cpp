#include "forms/dtaAbstract.h"

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
        for (Control* c : Controls()) {
            const Symbol name = c->NameSym();
            auto it = std::find_if(specs.begin(), specs.end(),
                                   [name](const auto& p) { return p.first == name; });
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
