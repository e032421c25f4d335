#include "shell/ShellEingabe.h"

#include <algorithm>
#include <utility>

#include "app/funGlobal.h"
#include "forms/fieldCheck.h"
#include "platform/data/recordwrite.h"
#include "platform/data/suspendnotify.h"
#include "platform/gui/boxes.h"
#include "platform/gui/menu.h"
#include "platform/runtime/codepage.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/utf8.h"
#include "shell/KpShell.h"
#include "shell/SuiteIndexes.h"
#include "shell/shellEingabe_ids.h"

namespace kp {

void PublishFieldLook() {
    auto put = [](const char* name, std::shared_ptr<Object> value) {
        if (GetGlobal(Symbol(name)).IsNil())
            FunGlobal(Symbol(name), Usual(std::move(value)), GlobalPut());
    };
    put("BRUSHFOCUS", std::make_shared<Brush>(Color(255, 255, 190)));
    put("BRUSHNOTFOCUS", std::make_shared<Brush>(Color(255, 255, 255)));
    put("EDITFONT", std::make_shared<kp::Font>(8, "MS Sans Serif"));
}

void AddInputFormItem(Menu& shellMenu) {
    HMENU file = GetSubMenu(shellMenu.Handle(), 0);
    if (!file)
        return;
    // Below "&Vermittler", where the shell's record forms are.
    InsertMenuW(file, 24572, MF_BYCOMMAND | MF_STRING, ID_MENU_VERTRAEGE, L"Ve&rträge erfassen");
    shellMenu.RegisterItem(ID_MENU_VERTRAEGE,
                           kp::HyperLabel("DATEIVERTRAEGE", "Ve&rträge erfassen",
                                          "Verträge in einer Eingabemaske erfassen und ändern"));
}

namespace {

const char* const kSnippets[] = {"WOHNGEBÄUDE", "HAUSRAT", "KFZ", "HAFTPFLICHT", "UNFALL"};

bool NotBlank(SleStandard& field) {
    return !AllTrim(field.TextValue()).empty();
}

}  // namespace

DtaVertragEingabe::DtaVertragEingabe(Window* owner, const std::string& dataPath)
    : DtaWindow(owner, ResourceID("dtaVertragEingabe_layout")) {
    PublishFieldLook();
    Caption("Verträge erfassen");
    table_ = std::make_shared<DBServer>(dataPath + "Vertrag.DBF");
    // A save must keep the table's indexes right (the contract number is a key).
    if (table_->Used())
        indexError_ =
            OpenIndexes(*table_, dataPath,
                        SuiteIndexFiles("Vertrag.DBF").value_or(std::vector<std::string>{}))
                .error;

    auto standard = [this](int id, const char* name, const char* caption, const char* help) {
        auto f = std::make_unique<SleStandard>(this, ResourceID(id));
        f->HyperLabel(kp::HyperLabel(name, caption, help));
        f->WhenBlock([this, help = std::string(help)](SleStandard&) {
            Hint(help);
            return Usual();
        });
        return f;
    };
    versNr_ = standard(ID_VE_VERSNR, "VERSNR", "Versicherungsnummer",
                       "Versicherungsnummer, z. B. 47-1234567/3 (Pflichtfeld)");
    nName_ = standard(ID_VE_NNAME, "NNAME", "Nachname", "Nachname des Kunden (Pflichtfeld)");
    versSparte_ = standard(ID_VE_VERSSPARTE, "VERSSPARTE", "Sparte",
                           "Sparte; rechte Maustaste oder Umschalt+F1: Auswahl");
    for (SleStandard* f : {versNr_.get(), nName_.get()}) {
        f->ValidBlock([this](SleStandard& field) {
            if (NotBlank(field))
                return true;
            Hint("Bitte „" + field.HyperLabel().Caption() + "“ ausfüllen.");
            return false;
        });
    }
    versSparte_->Picture("@!");
    auto snippets = std::make_shared<kp::Menu>();
    int id = ID_SNIPPET_FIRST;
    for (const char* s : kSnippets) {
        snippets->AppendItem(id, s);
        snippets->RegisterItem(id, kp::HyperLabel(Symbol(), s));
        ++id;
    }
    versSparte_->ContextMenu(snippets);

    vSteuer_ = std::make_unique<SleNumeric>(this, ResourceID(ID_VE_VSTEUER));
    vSteuer_->HyperLabel(kp::HyperLabel("VSTEUER", "Steuersatz", "Versicherungssteuer in Prozent"));
    vSteuer_->SetLen(6, 2);
    beitrag_ = std::make_unique<SleNumeric>(this, ResourceID(ID_VE_BEITRAG));
    beitrag_->HyperLabel(kp::HyperLabel("BEITRAG", "Beitrag", "Beitrag einschließlich Steuer"));
    beitrag_->SetLen(12, 2);
    beginn_ = std::make_unique<PEDateSle>(this, ResourceID(ID_VE_BEGINN));
    beginn_->HyperLabel(kp::HyperLabel("BEGINN", "Beginn", "Vertragsbeginn (TT.MM.JJJJ)"));
    aktiv_ = std::make_unique<SleSelection0>(this, ResourceID(ID_VE_AKTIV));
    aktiv_->HyperLabel(kp::HyperLabel("AKTIV", "Aktiv", "J: Vertrag in Kraft, N: nicht"));
    aktiv_->TextLimit(1);
    aktiv_->LogicLetters('J', 'N');
    notiz_ = std::make_unique<MleDorvanKeys>(this, ResourceID(ID_VE_NOTIZ));
    notiz_->HyperLabel(kp::HyperLabel("NOTIZ", "Notiz", "Notiz zum Vertrag"));
    hinweis_ = std::make_unique<FixedText>(this, ResourceID(ID_VE_HINWEIS));

    auto button = [this](int id, const char* name) {
        auto b = std::make_unique<PushButton>(this, ResourceID(id));
        b->HyperLabel(kp::HyperLabel(name));
        return b;
    };
    vorher_ = button(ID_VE_PSHVORHER, "PshVorher");
    weiter_ = button(ID_VE_PSHWEITER, "PshWeiter");
    speichern_ = button(ID_VE_PSHSPEICHERN, "PshSpeichern");
    schliessen_ = button(ID_VE_PSHSCHLIESSEN, "PshSchliessen");

    // The names the user reads; binding to the table later gives the
    // controls the fields' own names.
    for (Control* c : Fields())
        labels_.emplace_back(c, c->HyperLabel().Caption());
    Server(table_);
}

Symbol DtaVertragEingabe::ClassName() const {
    return Symbol("DTAVERTRAGEINGABE");
}

Method DtaVertragEingabe::FindMethod(Symbol name) {
    static const MethodTable<DtaVertragEingabe> methods{
        {"PshSpeichern", &DtaVertragEingabe::PshSpeichern},
        {"PshSchliessen", &DtaVertragEingabe::PshSchliessen},
        {"PshVorher", &DtaVertragEingabe::PshVorher},
        {"PshWeiter", &DtaVertragEingabe::PshWeiter},
    };
    if (Method m = methods.Bind(this, name))
        return m;
    return DtaWindow::FindMethod(name);
}

void DtaVertragEingabe::Hint(const std::string& text) {
    if (hinweis_)
        hinweis_->TextValue(text);
}

void DtaVertragEingabe::Notify(int code, const Usual& description) {
    DtaWindow::Notify(code, description);
    // The fields without a reading of their own: the logical and the memo.
    if (!table_ || !table_->Used() || !aktiv_ || !notiz_)
        return;
    aktiv_->__Value(table_->FieldGet(Symbol("AKTIV")));
    aktiv_->ValueChanged(false);
    const Usual note = table_->FieldGet(Symbol("NOTIZ"));
    notiz_->__Value(Usual(note.IsString() ? note.AsString() : std::string()));
    notiz_->ValueChanged(false);
    // Every field shows the record as it is stored now.
    if (code == NOTIFYRECORDCHANGE || code == NOTIFYFILECHANGE || code == NOTIFYAPPEND ||
        code == NOTIFYDELETE)
        Unchanged();
}

std::vector<Control*> DtaVertragEingabe::Fields() const {
    return {versNr_.get(),  nName_.get(),  versSparte_.get(), vSteuer_.get(),
            beitrag_.get(), beginn_.get(), aktiv_.get(),      notiz_.get()};
}

void DtaVertragEingabe::EditChange(ControlEvent& e) {
    DtaWindow::EditChange(e);
    // Reading a record sets the texts as well; only what the user typed
    // (the edit's own modified flag) is a change.
    if (Control* c = e.Control(); c && c->Modified()) {
        const auto fields = Fields();
        if (std::find(fields.begin(), fields.end(), c) != fields.end())
            edited_ = true;
    }
}

bool DtaVertragEingabe::HasUnsavedChanges() const {
    if (edited_)
        return true;
    // Typed text (the edit's flag) or a value set as an edit (a date picked
    // from the calendar, a number formatted on leaving its field).
    for (Control* c : Fields())
        if (c && c->IsAlive() && (c->Modified() || c->ValueChanged()))
            return true;
    return false;
}

void DtaVertragEingabe::Unchanged() {
    edited_ = false;
    for (Control* c : Fields())
        if (c && c->IsAlive()) {
            c->Modified(false);
            c->ValueChanged(false);
        }
}

bool DtaVertragEingabe::Save() {
    if (!table_ || !table_->Used())
        return false;
    // Nothing typed, nothing to write: moving on needs no lock of the record.
    if (!HasUnsavedChanges())
        return true;
    if (!indexError_.empty()) {
        TellNotSaved(Handle(), indexError_);
        return false;
    }
    // Every change is checked before the first is written, and the record is
    // taken as a whole: a contract is never stored with only part of what
    // the user typed.
    if (!AllChangesStorable() || !table_->RLock())
        return false;
    // Any way out before the commit drops what was put and frees the record;
    // the fields that were changed keep their marks, so nothing typed is lost.
    std::vector<Control*> changed;
    for (Control* c : Fields())
        if (c->Modified() || c->ValueChanged())
            changed.push_back(c);
    struct KeepMarks {
        std::vector<Control*>& fields;
        bool keep = true;
        ~KeepMarks() {
            if (keep)
                for (Control* c : fields)
                    c->ValueChanged(true);
        }
    } marks{changed};
    PendingRecordWrite write(*table_);
    bool ok = true;
    {
        // The form's own writes must not read the record back into fields
        // that are still to be written.
        const SuspendedNotification quiet(*table_);
        for (Control* c :
             {static_cast<Control*>(versNr_.get()), static_cast<Control*>(nName_.get()),
              static_cast<Control*>(versSparte_.get()), static_cast<Control*>(vSteuer_.get()),
              static_cast<Control*>(beitrag_.get()), static_cast<Control*>(beginn_.get())})
            ok = c->__Gather() && ok;
        for (SingleLineEdit* e : {static_cast<SingleLineEdit*>(aktiv_.get())}) {
            if (e->Modified() || e->ValueChanged()) {
                table_->FieldPut(e->NameSym(), e->TextToValue(e->TextValue()));
                ok = table_->Status().IsNil() && ok;
                e->Modified(false);
                e->ValueChanged(false);
            }
        }
        if (notiz_->Modified() || notiz_->ValueChanged()) {
            table_->FieldPut(Symbol("NOTIZ"), Usual(notiz_->TextValue()));
            ok = table_->Status().IsNil() && ok;
            notiz_->Modified(false);
            notiz_->ValueChanged(false);
        }
    }
    if (!ok)
        return false;
    write.Commit();
    marks.keep = false;
    Unchanged();
    Valid(true);
    Hint("Gespeichert.");
    if (auto* shell = dynamic_cast<KpShell*>(Owner()))
        shell->RefreshForms(*this);
    return ok;
}

bool DtaVertragEingabe::AllChangesStorable() {
    const auto specs = table_->FieldSpecs();
    for (Control* c : Fields()) {
        if (!c->Modified() && !c->ValueChanged())
            continue;
        // The field the control is bound to, as its write will find it.
        const FieldSpec* spec = c->FieldSpec();
        if (!spec) {
            const auto named = std::find_if(specs.begin(), specs.end(),
                                            [&](const auto& s) { return s.first == c->NameSym(); });
            if (named == specs.end())
                continue;
            spec = &named->second;
        }
        const auto named = std::find_if(labels_.begin(), labels_.end(),
                                        [c](const auto& l) { return l.first == c; });
        const std::string label = named != labels_.end() ? named->second : c->NameSym().Name();
        if (auto why = FieldStoreProblem(*spec, c->TextValue(), TableCodePage(), label)) {
            CurrentPresenter().ShowMessage(Handle(), "KONTORPLUS", *why,
                                           MB_OK | MB_ICONEXCLAMATION);
            c->SetFocus();
            return false;
        }
    }
    return true;
}

void DtaVertragEingabe::Verwerfen() {
    if (table_ && table_->Used())
        Notify(NOTIFYRECORDCHANGE, Usual());
    Unchanged();
    Valid(true);
}

bool DtaVertragEingabe::AgreeToClose() {
    if (!HasUnsavedChanges())
        return true;
    return AgreeToCloseForm(
        Handle(), Caption(), [this] { return Save(); }, discardAgreed_);
}

bool DtaVertragEingabe::QueryClose(Event& e) {
    if (!AgreeToClose())
        return false;
    if (std::exchange(discardAgreed_, false))
        Verwerfen();
    return DtaWindow::QueryClose(e);
}

void DtaVertragEingabe::PshSpeichern() {
    Save();
}

void DtaVertragEingabe::Move(int step) {
    if (!table_ || !table_->Used() || !Save())
        return;
    table_->Skip(step);
    if (table_->EoF())
        table_->GoBottom();
    else if (table_->BoF())
        table_->GoTop();
}

void DtaVertragEingabe::PshVorher() {
    Move(-1);
}

void DtaVertragEingabe::PshWeiter() {
    Move(1);
}

// ---------------------------------------------------------------- calendar

DtaTerminkalender::DtaTerminkalender(Window* owner, const std::string& dataPath)
    : DtaWindow((RegisterCalendarClass(), owner), ResourceID("dtaTerminkalender_layout")),
      dataPath_(dataPath) {
    PublishFieldLook();
    Caption("Terminkalender");
    datum_ = std::make_unique<SleDatum>(this, ResourceID(ID_TK_DATUM));
    datum_->HyperLabel(kp::HyperLabel("Datum", "Datum", "Datum (TT.MM.JJJJ); + und - blättern"));
    tag_ = std::make_unique<FixedText>(this, ResourceID(ID_TK_TAG));
    liste_ = std::make_unique<ListBox>(this, ResourceID(ID_TK_WIEDERVORLAGEN));
    liste_->HyperLabel(kp::HyperLabel("Wiedervorlagen", "Wiedervorlagen",
                                      "Wiedervorlagen des Tages; Doppelklick öffnet den Brief"));
    const int columns[] = {120, 210};  // dialog units: addressee, letter, reason
    SendMessageW(liste_->Handle(), LB_SETTABSTOPS, 2, reinterpret_cast<LPARAM>(columns));
    // Last, so that its first DateChanged finds the other controls.
    calendar_ = std::make_unique<CalendarControl>(this, ResourceID(ID_TK_CALENDAR));
    calendar_->HyperLabel(kp::HyperLabel("Calendar"));
    DateChanged(calendar_->CurrentDate());
}

Symbol DtaTerminkalender::ClassName() const {
    return Symbol("DTATERMINKALENDER");
}

void DtaTerminkalender::DateChanged(Date d) {
    if (tag_)
        tag_->TextValue(CDoW(d) + ", " + std::to_string(d.Day()) + ". " + CMonth(d) + " " +
                        std::to_string(d.Year()));
    if (datum_ && !following_ && DToC(d) != datum_->TextValue())
        datum_->__Value(Usual(d));
    ShowResubmissions(d);
}

void DtaTerminkalender::ShowResubmissions(Date d) {
    if (!calendar_ || !liste_ || d.IsEmpty())
        return;
    if (markedMonth_.IsEmpty() || markedMonth_.Month() != d.Month() ||
        markedMonth_.Year() != d.Year()) {
        markedMonth_ = d;
        calendar_->MarkDays(ResubmissionDays(dataPath_, d));
    }
    shown_ = ResubmissionsOn(dataPath_, d);
    liste_->Clear();
    for (const Resubmission& r : shown_)
        liste_->AddItem(ResubmissionLine(r));
    if (tag_ && !shown_.empty())
        tag_->TextValue(tag_->TextValue() + " – " + std::to_string(shown_.size()) +
                        (shown_.size() == 1 ? " Wiedervorlage" : " Wiedervorlagen"));
}

void DtaTerminkalender::ListBoxClick(ControlEvent& e) {
    DtaWindow::ListBoxClick(e);
    if (!liste_ || e.Control() != liste_.get())
        return;
    const int item = liste_->CurrentItemNo();
    if (item < 1 || item > static_cast<int>(shown_.size()))
        return;
    const std::string file = shown_[static_cast<size_t>(item) - 1].file;
    if (GetFileAttributesW(Utf8ToWide(file).c_str()) == INVALID_FILE_ATTRIBUTES) {
        CurrentPresenter().ShowMessage(Handle(), "Terminkalender",
                                       "Der Brief „" + file +
                                           "“ ist nicht vorhanden.\r\nBitte prüfen Sie, ob er "
                                           "verschoben oder gelöscht wurde.",
                                       MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (auto* shell = dynamic_cast<KpShell*>(Owner()))
        shell->OpenWordPad(file);
}

void DtaTerminkalender::EditChange(ControlEvent& e) {
    DtaWindow::EditChange(e);
    // A complete date typed into the field shows its month.
    if (!datum_ || !calendar_ || e.Control() != datum_.get())
        return;
    const Date d = CToD(datum_->TextValue());
    if (d.IsEmpty() || !datum_->IsValidDatum())
        return;
    following_ = true;
    calendar_->CurrentDate(d);
    following_ = false;
}

}  // namespace kp
