#include "forms/tabForm.h"

#include "forms/fieldCheck.h"
#include "platform/data/recordwrite.h"
#include "platform/data/suspendnotify.h"
#include "platform/gui/boxes.h"
#include "platform/runtime/codepage.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/utf8.h"
#include "resources/tabForm_ids.h"

namespace kp {

// ---------------------------------------------------------------- page

namespace {

// The name the user reads beside an edit: the text of the label just before
// it on the page ("Geburtsdatum:"), without the colon; else `fallback`.
std::string ShownLabel(const SingleLineEdit& edit, const std::string& fallback) {
    HWND before = edit.Handle() ? GetWindow(edit.Handle(), GW_HWNDPREV) : nullptr;
    wchar_t cls[16] = {};
    if (!before || !GetClassNameW(before, cls, 16) || lstrcmpiW(cls, L"Static") != 0)
        return fallback;
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(before)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(before, text.data(), static_cast<int>(text.size()))));
    std::string label = Trim(WideToUtf8(text));
    while (!label.empty() && (label.back() == ':' || label.back() == ' '))
        label.pop_back();
    label = StrTran(label, "&", "");
    return label.empty() ? fallback : label;
}

}  // namespace

DataPage::DataPage(Window* owner, const PageLayout& layout, std::shared_ptr<DataServer> server)
    : SubWindow(owner, ResourceID(layout.resource)) {
    HyperLabel(kp::HyperLabel(layout.name));
    for (const PageField& f : layout.fields) {
        auto edit = std::make_unique<SingleLineEdit>(this, ResourceID(f.controlId));
        edit->HyperLabel(kp::HyperLabel(f.field, "", f.description));
        if (f.yesNo)
            edit->LogicLetters('J', 'N');
        edits_.push_back(std::move(edit));
        labels_.push_back(ShownLabel(*edits_.back(), FieldLabel(f.description, f.field)));
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

bool DataPage::IsBound(const SingleLineEdit& edit) const {
    auto* db = dynamic_cast<DBServer*>(Server());
    return db && edit.IsAlive() && !edit.NameSym().IsNull() && db->FieldPos(edit.NameSym()) > 0;
}

void DataPage::Scatter() {
    auto* db = dynamic_cast<DBServer*>(Server());
    if (!db)
        return;
    for (const auto& edit : edits_) {
        if (IsBound(*edit))
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
                if (SingleLineEdit* edit = Field(description.AsSymbol()); edit && IsBound(*edit))
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

std::optional<DataPage::Unstorable> DataPage::FirstUnstorable() const {
    for (size_t i = 0; i < edits_.size(); ++i) {
        SingleLineEdit& edit = *edits_[i];
        if (!IsBound(edit) || (!edit.Modified() && !edit.ValueChanged()) || !edit.FieldSpec())
            continue;
        if (auto reason =
                FieldStoreProblem(*edit.FieldSpec(), edit.TextValue(), TableCodePage(), labels_[i]))
            return Unstorable{&edit, std::move(*reason)};
    }
    return std::nullopt;
}

bool DataPage::HasChanges() const {
    for (const auto& edit : edits_)
        if (IsBound(*edit) && (edit->Modified() || edit->ValueChanged()))
            return true;
    return false;
}

int DataPage::Save() {
    auto* db = dynamic_cast<DBServer*>(Server());
    if (!db)
        return 0;
    int written = 0;
    for (const auto& edit : edits_) {
        if (!IsBound(*edit))
            continue;
        if (!edit->Modified() && !edit->ValueChanged())
            continue;
        // What the edit shows is what the record gets.
        db->FieldPut(edit->NameSym(), edit->TextToValue(edit->TextValue()));
        if (!db->Status().IsNil())
            return -1;  // reported; the form drops the record, the field keeps its text
        ++written;
    }
    return written;
}

void DataPage::Saved() {
    for (const auto& edit : edits_) {
        if (!IsBound(*edit) || (!edit->Modified() && !edit->ValueChanged()))
            continue;
        edit->__Value(edit->TextToValue(edit->TextValue()));
        edit->ValueChanged(false);
    }
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
    std::vector<DataPage*> changed;
    for (int i = 1; i <= tabs_->TabCount(); ++i) {
        DataPage* page = Page(tabs_->GetTabName(i));
        if (!page || !page->HasChanges())
            continue;
        // Every change is checked before the first is written, so that a
        // record is never stored with only some of what the user typed.
        if (auto bad = page->FirstUnstorable()) {
            tabs_->SelectTab(tabs_->GetTabName(i));
            CurrentPresenter().ShowMessage(Handle(), "KONTORPLUS", bad->reason,
                                           MB_OK | MB_ICONEXCLAMATION);
            bad->edit->SetFocus();
            return false;
        }
        changed.push_back(page);
    }
    if (changed.empty())
        return false;
    // The record is taken before the first field is written: a record that
    // another workstation holds is refused as a whole.
    if (!server_->RLock())
        return false;
    // Any way out before the commit drops what was put and frees the record.
    PendingRecordWrite write(*server_);
    int written = 0;
    {
        // The pages' own edits must not be read back while the record is
        // written field by field.
        const SuspendedNotification quiet(*server_);
        for (DataPage* page : changed) {
            const int put = page->Save();
            if (put < 0)
                return false;
            written += put;
        }
    }
    write.Commit();
    for (DataPage* page : changed)
        page->Saved();
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
