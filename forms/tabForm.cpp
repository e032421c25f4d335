#include "forms/tabForm.h"

#include "platform/runtime/strings.h"
#include "resources/tabForm_ids.h"

namespace kp {

// ---------------------------------------------------------------- page

DataPage::DataPage(Window* owner, const PageLayout& layout, std::shared_ptr<DataServer> server)
    : SubWindow(owner, ResourceID(layout.resource)) {
    HyperLabel(kp::HyperLabel(layout.name));
    for (const PageField& f : layout.fields) {
        auto edit = std::make_unique<SingleLineEdit>(this, ResourceID(f.controlId));
        edit->HyperLabel(kp::HyperLabel(f.field, "", f.description));
        if (f.yesNo)
            edit->LogicLetters('J', 'N');
        edits_.push_back(std::move(edit));
    }
    Server(std::move(server));
}

Symbol DataPage::ClassName() const {
    return Symbol("DATAPAGE");
}

SingleLineEdit* DataPage::Field(Symbol field) const {
    for (const auto& edit : edits_)
        if (edit->NameSym() == field)
            return edit.get();
    return nullptr;
}

namespace {

// A field's value as an edit shows it: texts without the blanks that pad
// them to the field's width.
Usual Shown(const Usual& v) {
    return v.IsString() ? Usual(Trim(v.AsString())) : v;
}

}  // namespace

void DataPage::Scatter() {
    auto* db = dynamic_cast<DBServer*>(Server());
    if (!db)
        return;
    for (const auto& edit : edits_) {
        if (edit->IsAlive() && !edit->NameSym().IsNull())
            edit->__Value(Shown(db->FieldGet(edit->NameSym())));
        edit->ValueChanged(false);
    }
    scattered_ = true;
}

void DataPage::Show(int showState) {
    showing_ = true;
    DtaAbstract::Show(showState);
    showing_ = false;
    // The first page comes after its form was opened, whose frame still
    // holds the keyboard: it goes to the first field.
    if (auto* form = dynamic_cast<DataWindow*>(Owner()); form && GetFocus() == form->Handle())
        form->FocusFirstField();
}

void DataPage::Notify(int code, const Usual& description) {
    DataWindow::Notify(code, description);
    switch (code) {
        case NOTIFYFIELDCHANGE:
            if (description.IsSymbol()) {
                auto* db = dynamic_cast<DBServer*>(Server());
                if (SingleLineEdit* edit = Field(description.AsSymbol()); edit && db)
                    edit->__Value(Shown(db->FieldGet(description.AsSymbol())));
            } else {
                Scatter();
            }
            break;
        case NOTIFYFILECHANGE:
            // Each showing of the page binds it anew; what the user typed
            // on it stays.
            if (!(showing_ && scattered_))
                Scatter();
            break;
        case NOTIFYRECORDCHANGE:
        case NOTIFYAPPEND:
        case NOTIFYDELETE:
            Scatter();
            break;
        default:
            break;
    }
}

int DataPage::Save() {
    auto* db = dynamic_cast<DBServer*>(Server());
    if (!db)
        return 0;
    int written = 0;
    for (const auto& edit : edits_) {
        if (!edit->IsAlive() || edit->NameSym().IsNull())
            continue;
        if (!edit->Modified() && !edit->ValueChanged())
            continue;
        // What the edit shows is what the record gets.
        const Usual value = edit->TextToValue(edit->TextValue());
        db->FieldPut(edit->NameSym(), value);
        if (!db->Status().IsNil())
            continue;  // the error was reported; the field keeps its text
        edit->__Value(value);
        edit->ValueChanged(false);
        ++written;
    }
    return written;
}

void DataPage::MouseButtonDown(MouseEvent& e) {
    SubWindow::MouseButtonDown(e);
    if (!e.IsRightButton() || PopupMenu())
        return;
    if (auto* form = dynamic_cast<DtaAbstract*>(Owner()); form && form->PopupMenu())
        form->ShowPopup();
}

void DataPage::EditChange(ControlEvent& e) {
    SubWindow::EditChange(e);
    // Reading a record sets the texts as well; only what the user typed
    // marks the edit as modified.
    Control* control = e.Control();
    if (!control || !control->Modified())
        return;
    if (auto* form = dynamic_cast<TabForm*>(Owner()))
        form->PageEdited(*this, *control);
}

// ---------------------------------------------------------------- form

TabForm::TabForm(Window* owner, std::shared_ptr<DBServer> server, const std::string& caption,
                 const ResourceID& form)
    : DtaWindow(owner, form), server_(std::move(server)) {
    tabs_ = std::make_unique<TabControl>(this, ResourceID(ID_TABFORM_TABS));
    tabs_->HyperLabel(kp::HyperLabel("Tabs"));
    PshSpeichernButton_ = std::make_unique<PushButton>(this, ResourceID(ID_TABFORM_PSHSPEICHERN));
    PshSpeichernButton_->HyperLabel(kp::HyperLabel("PshSpeichern", "&Speichern"));
    PshSchliessenButton_ = std::make_unique<PushButton>(this, ResourceID(ID_TABFORM_PSHSCHLIESSEN));
    PshSchliessenButton_->HyperLabel(kp::HyperLabel("PshSchliessen", "&Schliessen"));
    tabs_->PageFactory([this](Symbol name) { return MakePage(name); });
    Caption(caption);
    HyperLabel(kp::HyperLabel("TabForm", caption));
    if (server_) {
        server_->GoTop();
        Server(server_);
    }
}

TabForm::~TabForm() {
    // The pages go before the form whose canvas holds them.
    tabs_.reset();
}

Symbol TabForm::ClassName() const {
    return Symbol("TABFORM");
}

void TabForm::DefinePage(PageLayout layout) {
    layouts_.push_back(std::move(layout));
}

std::unique_ptr<Window> TabForm::MakePage(Symbol tabName) {
    for (const PageLayout& layout : layouts_) {
        if (Symbol(layout.name) != tabName)
            continue;
        auto page = std::make_unique<DataPage>(this, layout, server_);
        if (ReadOnly())
            page->SetReadOnly();
        return page;
    }
    return nullptr;  // a tab without a page of its own
}

DataPage* TabForm::Page(Symbol tabName) const {
    return dynamic_cast<DataPage*>(tabs_->GetTabPage(tabName));
}

bool TabForm::Save() {
    if (!server_ || !server_->Used())
        return false;
    int written = 0;
    // The pages' own edits must not be read back while the record is
    // written field by field.
    server_->SuspendNotification();
    try {
        for (int i = 1; i <= tabs_->TabCount(); ++i)
            if (DataPage* page = Page(tabs_->GetTabName(i)))
                written += page->Save();
    } catch (...) {
        server_->ResetNotification();
        throw;
    }
    server_->ResetNotification();
    server_->Commit();
    return written > 0;
}

Method TabForm::FindMethod(Symbol name) {
    static const MethodTable<TabForm> methods{
        {"PshSpeichern", &TabForm::PshSpeichern},
        {"PshSchliessen", &TabForm::PshSchliessen},
        {"SetReadOnly", &TabForm::ReadOnlyCommand},
        {"SetReadWrite", &TabForm::ReadWriteCommand},
    };
    if (Method m = methods.Bind(this, name))
        return m;
    return DtaWindow::FindMethod(name);
}

DtaAbstract& TabForm::SetReadOnly() {
    DtaWindow::SetReadOnly();
    for (int i = 1; i <= tabs_->TabCount(); ++i)
        if (DataPage* page = Page(tabs_->GetTabName(i)))
            page->SetReadOnly();
    return *this;
}

DtaAbstract& TabForm::SetReadWrite() {
    DtaWindow::SetReadWrite();
    for (int i = 1; i <= tabs_->TabCount(); ++i)
        if (DataPage* page = Page(tabs_->GetTabName(i)))
            page->SetReadWrite();
    return *this;
}

}  // namespace kp
