#include "wordpad/KpWordPad.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <utility>

#include "app/funVelto.h"
#include "forms/dtaWindow.h"
#include "forms/funControl.h"
#include "platform/data/dbserver.h"
#include "platform/gui/boxes.h"
#include "platform/runtime/date.h"
#include "platform/runtime/numbers.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/utf8.h"
#include "wordpad/DlgMargins.h"
#include "wordpad/Menu.h"
#include "wordpad/dlgDateiInfo.h"
#include "wordpad/rptRTF.h"

namespace kp {

namespace {

constexpr int kRichEditId = 1001;
constexpr int kFormatBoxId = 5000;
constexpr int kIndentStep = 360;  // twips: a quarter inch
constexpr int kBoxListHeight = 200;

std::string SharedString(const char* name) {
    const Usual v = GetSetGlobal(Symbol(name));
    return v.IsString() ? v.AsString() : std::string();
}

// The size as the size box lists it.
std::string SizeText(LONG twips) {
    return PointSizeText(static_cast<int>(twips / 20));
}

}  // namespace

KpWordPad::KpWordPad(Window* oOwner, std::optional<std::string> cFile, bool lFlag)
    : ChildAppWindow(oOwner, true), symUnits_("CMS") {
    cPath_ = SharedString("PATH");
    {
        const Usual printed = GetSetGlobal(Symbol("GEDRUCKT"));
        lGedruckt_ = printed.IsLogic() && printed.AsLogic();
    }
    if (auto* registry = dynamic_cast<ChildRegistry*>(oOwner))
        registry->RegisterChild(this);

    // A new letter takes its addressee's next running number now, an opened
    // file keeps its name.
    if (!cFile)
        ReserveNumber();

    InstallShellToolBar();

    // Beside the shell's children, as wide as a letter.
    if (ShellWindow* shell = Shell()) {
        const Dimension canvas = shell->CanvasSize();
        Size(Dimension(640, canvas.height));
        Origin(Point(0, 0));
    }

    oRichEdit_ =
        std::make_unique<kp::RichEdit>(this, kRichEditId, Point(0, 0), Dimension(0, 0),
                                       ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_TABSTOP |
                                           WS_VISIBLE | WS_VSCROLL | 0x00002000 | 0x00000200);
    oRichEdit_->Options(ECO_AUTOWORDSELECTION | ECO_AUTOVSCROLL | ECO_AUTOHSCROLL | ECO_NOHIDESEL |
                            ECO_WANTRETURN | ECO_SELECTIONBAR,
                        ECOOP_OR);
    oRichEdit_->EventMask(oRichEdit_->EventMask() | ENM_CHANGE | ENM_SELCHANGE);

    Menu(std::make_shared<ChildMenu>(this));
    ownBar_ = BuildToolbar(this, Symbol(kChildMenu));
    DeleteStyle(ownBar_->Handle(), TBSTYLE_WRAPABLE);
    ToolBar(ownBar_);

    aFontList_ = BuildFontList(oRichEdit_->Handle());
    const int barHeight = ownBar_->Height() > 0 ? ownBar_->Height() : 28;
    const int boxY = barHeight - 2 - kBoxListHeight;
    oFontCB_ = std::make_unique<FontCB>(this, ownBar_.get(), kFormatBoxId, Point(2, boxY),
                                        Dimension(180, kBoxListHeight), CBS_DROPDOWN, CBS_SORT);
    for (size_t i = 0; i < aFontList_.size(); ++i)
        oFontCB_->AddItem(aFontList_[i], 0, Usual(static_cast<int32_t>(i + 1)));
    oFontCB_->Show();
    oPointSizeCB_ =
        std::make_unique<PointSizeCB>(this, ownBar_.get(), kFormatBoxId, Point(190, boxY),
                                      Dimension(70, kBoxListHeight), CBS_DROPDOWN, CBS_SORT);
    for (const std::string& size : PointSizeList())
        oPointSizeCB_->AddItem(size);
    oPointSizeCB_->Show();

    lInitFlag_ = lFlag;
    if (!cFile) {
        Caption(kUnbenannt);
        oRichEdit_->Font("Courier New", 12);
        letter_ = LetterFile("", cDokName_, cPath_ + cOrdner_);
    } else {
        Caption(*cFile);
        letter_ = LetterFile(*cFile, cDokName_, cPath_ + cOrdner_);
        OpenLetter(*cFile);
    }

    ItemState(IDM_SUCHEN, oRichEdit_->TextLength() > 0);
    ItemState(IDM_SPEICHERN, false);
    ItemState(IDM_SPEICHERNALS, false, false);
    ItemState(IDM_AUSSCHNEIDEN, false);
    ItemState(IDM_KOPIEREN, false);
    ItemState(IDM_EINFUEGEN, oRichEdit_->CanPaste());

    AdjustFormatBar();
    oRichEdit_->Show();
    oRichEdit_->SetFocus();

    // A new letter gets margins of half a centimetre (567 twips to the
    // centimetre), left aligned. An opened letter keeps its own: they would
    // otherwise overwrite those of its first paragraph, where the caret is.
    if (!cFile) {
        const double perUnit = symUnits_ == Symbol("INCHES") ? 1440.0 : 567.0;
        const int half = static_cast<int>(std::lround(0.5 * perUnit));
        oRichEdit_->Margin(half, half, 0);
        oRichEdit_->Alignment(RE_ALIGN_LEFT);
    }

    Icon(std::make_shared<RTFDOC>());
    IconSm(std::make_shared<RTFDOC>(true));
    oRichEdit_->Modified(false);
    letter_.Changed(false);
    if (ShellWindow* shell = Shell(); shell && shell->StatusBar())
        shell->StatusBar()->PositionText(oRichEdit_->PositionText());
}

KpWordPad::~KpWordPad() {
    TidyUp();
}

Symbol KpWordPad::ClassName() const {
    static const Symbol name("KPWORDPAD");
    return name;
}

Method KpWordPad::FindMethod(Symbol name) {
    // Only what the menu reaches by name; every other item goes by its id
    // through MenuCommand.
    static const MethodTable<KpWordPad> methods{
        {"Paragraph", &KpWordPad::Paragraph},
        {"ShowSettings", &KpWordPad::ShowSettings},
    };
    if (Method m = methods.Bind(this, name))
        return m;
    return ChildAppWindow::FindMethod(name);
}

ShellWindow* KpWordPad::Shell() const {
    return GetShellWindow(this);
}

void KpWordPad::ReserveNumber() {
    cDokNameNeu_ = SharedString("DOKNAMENEU");
    const DokKey key = ParseDokKey(cDokNameNeu_);
    if (!key.HasKey())
        return;
    cOrdner_ = key.ordner;
    cKundenKey_ = key.KundenKey();
    cGesellKey_ = key.GesellKey();
    cVermittKey_ = key.VermittKey();

    oDokName_ = std::make_unique<DBServer>(cPath_ + "DokName.dbf");
    DokNumberResult r;
    if (oDokName_->Used() && oDokName_->SetIndex(cPath_ + "DokName.ntx") &&
        oDokName_->SetIndex(cPath_ + "DokName2.ntx") &&
        oDokName_->SetIndex(cPath_ + "DokName3.ntx"))
        r = ReserveDokNumber(*oDokName_, key);
    else
        r.message =
            "Die Tabelle DokName.dbf mit ihren Indexen ist im Datenverzeichnis nicht zu "
            "finden.\r\nBitte prüfen Sie die Einstellungen des Datenpfads.";
    if (r.ok) {
        cDokName_ = r.dokName;
    } else {
        ErrorBox(this, "Neuer Brief", r.message + "\r\n\r\nDer Brief wird ohne Nummer angelegt.")
            .Show();
    }
}

void KpWordPad::OpenLetter(const std::string& file) {
    LetterLock::Outcome outcome = LetterLock::Outcome::NoLock;
    std::string holder;
    lock_ = LetterLock::Take(file, &outcome, &holder);
    const bool loaded = oRichEdit_->LoadFile(file);
    if (!loaded) {
        lock_.reset();  // this window does not edit that file
        // Whatever part was read must never replace the letter on disk.
        letter_.Protect("Der Brief „" + file +
                        "“ wurde nicht vollständig gelesen und wird daher nicht über seine "
                        "Datei gespeichert.\r\nBitte speichern Sie Ihre Änderungen unter einem "
                        "anderen Namen.");
        ErrorBox(this, "Brief öffnen",
                 "Die Datei „" + file +
                     "“ konnte nicht vollständig gelesen werden.\r\nBitte prüfen Sie, ob sie "
                     "vorhanden und nicht von einem anderen Programm gesperrt ist. Der Brief "
                     "wird nicht über diese Datei gespeichert.")
            .Show();
        return;
    }
    if (outcome != LetterLock::Outcome::InUse)
        return;
    const std::string who = holder.empty() ? std::string() : " (" + holder + ")";
    letter_.Protect("Der Brief „" + file + "“ ist in einem anderen Fenster" + who +
                    " geöffnet und wird hier nur zum Lesen gezeigt.\r\nBitte speichern Sie "
                    "Ihre Änderungen unter einem anderen Namen.");
    Caption(file + " (schreibgeschützt)");
    TextBox(this, "Brief bereits geöffnet",
            "Der Brief „" + file + "“ ist bereits in einem anderen Fenster" + who +
                " geöffnet.\r\nEr wird nur zum Lesen geöffnet; Änderungen können Sie mit "
                "„Speichern als...“ unter einem anderen Namen sichern.",
            MB_OK | MB_ICONINFORMATION)
        .Show();
}

void KpWordPad::InstallShellToolBar() {
    ShellWindow* shell = Shell();
    if (!shell)
        return;
    // The shell's bar is the word pads' while any of them is open: take the
    // one another word pad installed, or install it.
    if (HWND client = shell->MdiClient()) {
        for (HWND h = GetWindow(client, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
            auto* other = dynamic_cast<KpWordPad*>(GetObjectByHandle(h));
            if (other && other != this && !other->closing_ && other->shellBar_ &&
                other->shellBar_ == shell->ToolBar()) {
                shellBar_ = other->shellBar_;
                return;
            }
        }
    }
    shellBar_ = BuildToolbar(shell, Symbol(kMenShellLayout));
    shell->ToolBar(shellBar_);
}

void KpWordPad::ReleaseShellToolBar() {
    ShellWindow* shell = Shell();
    if (!shell || !shellBar_)
        return;
    std::shared_ptr<kp::Toolbar> bar = std::move(shellBar_);
    if (bar != shell->ToolBar())
        return;  // the shell has another toolbar by now
    // Another open word pad still uses it.
    if (HWND client = shell->MdiClient()) {
        for (HWND h = GetWindow(client, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
            auto* other = dynamic_cast<KpWordPad*>(GetObjectByHandle(h));
            if (other && other != this && other->shellBar_ == bar)
                return;
        }
    }
    bar->Hide();
    shell->ToolBar(nullptr);
}

void KpWordPad::ItemState(int id, bool enabled, bool inShellBar, bool inMenu) {
    if (inMenu && Menu()) {
        if (enabled)
            Menu()->EnableItem(id);
        else
            Menu()->DisableItem(id);
    }
    if (inShellBar && shellBar_ && shellBar_->HasItem(id)) {
        if (enabled)
            shellBar_->EnableItem(id);
        else
            shellBar_->DisableItem(id);
    }
}

// ---- saving and closing

void KpWordPad::Save() {
    if (letter_.Save(*this))
        AfterSave();
}

void KpWordPad::SaveAs() {
    if (letter_.SaveAs(*this))
        AfterSave();
}

void KpWordPad::AfterSave() {
    if (oRichEdit_)
        oRichEdit_->Modified(false);
    ItemState(IDM_SPEICHERN, false);
    ItemState(IDM_SPEICHERNALS, false, false);
}

std::optional<std::string> KpWordPad::AskFileName(const std::string& defaultName,
                                                  const std::string& folder) {
    SaveAsDialog dialog(this, defaultName);
    dialog.Caption("Speichern als...");
    dialog.SetFilter({"*.RTF"}, {"Dokumente *.RTF"});
    dialog.InitialDirectory(folder);
    dialog.DefaultExtension("RTF");
    // The overwrite question is the word pad's own.
    dialog.PromptOverwrite(false);
    if (!dialog.Show() || dialog.FileName().empty())
        return std::nullopt;
    return dialog.FileName();
}

bool KpWordPad::FileExists(const std::string& file) {
    return GetFileAttributesW(Utf8ToWide(file).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool KpWordPad::ConfirmOverwrite(const std::string&) {
    TextBox box(this, "Datei bereits vorhanden!", "Wollen Sie die bestehende Datei überschreiben ?",
                MB_YESNO | MB_ICONSTOP | MB_DEFBUTTON2);
    return box.Show() == BOXREPLYYES;
}

bool KpWordPad::WriteLetter(const std::string& file) {
    // A letter another word pad has open is not written over; a new name
    // becomes this window's letter once it is written.
    std::unique_ptr<LetterLock> newLock;
    if (!lock_ || Upper(lock_->Letter()) != Upper(file)) {
        LetterLock::Outcome outcome = LetterLock::Outcome::NoLock;
        std::string holder;
        newLock = LetterLock::Take(file, &outcome, &holder);
        if (outcome == LetterLock::Outcome::InUse) {
            ErrorBox(this, "Speichern",
                     "Der Brief „" + file + "“ ist in einem anderen Fenster" +
                         (holder.empty() ? std::string() : " (" + holder + ")") +
                         " geöffnet und wird nicht überschrieben.\r\nBitte wählen Sie einen "
                         "anderen Namen.")
                .Show();
            return false;
        }
    }
    if (oRichEdit_ && oRichEdit_->SaveFile(file)) {
        if (newLock)
            lock_ = std::move(newLock);
        return true;
    }
    ErrorBox(this, "Speichern",
             "Der Brief konnte nicht als „" + file +
                 "“ gespeichert werden.\r\nBitte prüfen Sie, ob der Ordner erreichbar und die "
                 "Datei nicht schreibgeschützt ist, und speichern Sie erneut.")
        .Show();
    return false;
}

void KpWordPad::Named(const std::string& file) {
    Caption(file);
    // The filing dialog belongs to the shell: a letter saved on closing goes
    // away while its filing dialog stays open.
    ShellWindow* shell = Shell();
    Window* owner = shell ? static_cast<Window*>(shell) : this;
    OpenDlgDateiInfo(owner, file);
    // Right after the save dialog the activation goes back to the frame;
    // the filing dialog is what the user must answer now, so it comes first.
    if (HWND popup = GetWindow(owner->Handle(), GW_ENABLEDPOPUP)) {
        SetForegroundWindow(popup);
        BringWindowToTop(popup);
    }
}

RegisterState KpWordPad::HoldRegister(const std::string& file) {
    filed_ = std::make_unique<FiledRecord>(cPath_, file);
    const RegisterState state = filed_->State();
    if (state == RegisterState::Unavailable)
        ErrorBox(this, "Speichern", filed_->Message()).Show();
    if (state != RegisterState::Held)
        filed_.reset();
    return state;
}

void KpWordPad::DateRegister(bool written) {
    if (!filed_)
        return;
    if (written && !filed_->Date(Today()))
        ErrorBox(this, "Speichern", filed_->Message()).Show();
    filed_.reset();
}

void KpWordPad::Refuse(const std::string& message) {
    ErrorBox(this, "Speichern", message).Show();
}

int KpWordPad::AskSaveChanges() {
    TextBox box(this, "Schließen",
                "Sie haben das Dokument verändert!\r\nMöchten Sie die Änderungen jetzt sichern?",
                MB_YESNOCANCEL | MB_ICONQUESTION);
    return box.Show();
}

bool KpWordPad::MayClose() {
    if (closing_)
        return true;
    if (!letter_.QueryClose(*this))
        return false;
    givenUp_ = letter_.Changed();  // still changed: not saved, given up
    letter_.Changed(false);
    closing_ = true;
    return true;
}

void KpWordPad::CloseCancelled() {
    if (tidied_ || !closing_)
        return;
    closing_ = false;
    if (std::exchange(givenUp_, false))
        letter_.Changed(true);
}

void KpWordPad::FileClose() {
    if (!MayClose())
        return;
    EndWindow();
}

bool KpWordPad::QueryClose(Event& e) {
    ChildAppWindow::QueryClose(e);
    if (!MayClose())
        return false;
    TidyUp();
    return true;
}

void KpWordPad::TidyUp() {
    if (tidied_)
        return;
    tidied_ = true;
    closing_ = true;
    if (ShellWindow* shell = Shell(); shell && shell->StatusBar())
        shell->StatusBar()->PositionText("");
    ReleaseShellToolBar();
    find_.reset();
    oFontCB_.reset();
    oPointSizeCB_.reset();
    oRichEdit_.reset();
    filed_.reset();
    lock_.reset();
    if (oDokName_) {
        oDokName_->Close();
        oDokName_.reset();
    }
    if (auto* registry = dynamic_cast<ChildRegistry*>(Owner()))
        registry->UnRegisterChild(this);
}

// ---- commands

void KpWordPad::MenuCommand(MenuCommandEvent& e) {
    ChildAppWindow::MenuCommand(e);
    switch (e.ItemID()) {
        case IDM_OEFFNEN:
            DateiOeffnen();
            break;
        case IDM_DATEINEU:
            if (Owner())
                Owner()->CallMethod(Symbol("DateiNeu"));
            break;
        case IDM_SPEICHERN:
            Save();
            break;
        case IDM_SPEICHERNALS:
            SaveAs();
            break;
        case IDM_DRUCKEN:
            DateiDrucken();
            break;
        case IDM_VORSCHAU:
            DateiVorschau();
            break;
        case IDM_SCHLIESSEN:
            FileClose();
            return;  // the window is on its way out
        case IDM_SUCHEN:
            Find();
            break;
        case IDM_EINFUEGEN:
            Paste();
            break;
        case IDM_KOPIEREN:
            Copy();
            break;
        case IDM_AUSSCHNEIDEN:
            Cut();
            break;
        case IDM_FETT:
            ChangeCharAttribute(CFM_BOLD, CFE_BOLD);
            break;
        case IDM_KURSIV:
            ChangeCharAttribute(CFM_ITALIC, CFE_ITALIC);
            break;
        case IDM_UNTERSTRICHEN:
            ChangeCharAttribute(CFM_UNDERLINE, CFE_UNDERLINE);
            break;
        case IDM_LINKSBUENDIG:
            Align(RE_ALIGN_LEFT);
            break;
        case IDM_ZENTRIERT:
            Align(RE_ALIGN_CENTER);
            break;
        case IDM_RECHTSBUENDIG:
            Align(RE_ALIGN_RIGHT);
            break;
        case IDM_AUFZAEHLUNG:
            if (oRichEdit_)
                Numbering(oRichEdit_->Numbering() == 0 ? PFN_BULLET : 0);
            break;
        case IDM_AUSRUECKEN:
            OutdentText();
            break;
        case IDM_EINRUECKEN:
            IndentText();
            break;
        default:
            break;
    }
    if (oRichEdit_ && IsAlive()) {
        RTFNotify();
        // A command may have opened another word pad (Öffnen, Neu) or a
        // dialog (filing): that one keeps the focus.
        ShellWindow* shell = Shell();
        if ((!shell || shell->ActiveChild() == this) &&
            GetActiveWindow() == GetAncestor(Handle(), GA_ROOT))
            oRichEdit_->SetFocus();
    }
}

void KpWordPad::Align(int code) {
    if (!oRichEdit_)
        return;
    const int before = oRichEdit_->Alignment();
    oRichEdit_->Alignment(code);
    if (oRichEdit_->Alignment() != before)
        FormatChanged();
}

void KpWordPad::DateiOeffnen() {
    if (Owner())
        Owner()->CallMethod(Symbol("DateiRtfOeffnen"));
}

void KpWordPad::DateiDrucken() {
    // The letter as it is now, changes not yet saved included. The report
    // tells the user what went wrong (no printer, a refused job) and says
    // in GEDRUCKT whether the spooler took the whole letter.
    if (oRichEdit_)
        RTFReport printing(this, oRichEdit_->RTFValue(), false);
    lGedruckt_ = Gedruckt();
}

void KpWordPad::DateiVorschau() {
    // The preview is modal: the report is done when the window is closed,
    // at whichever page. A preview never counts as printed.
    if (oRichEdit_)
        RTFReport preview(this, oRichEdit_->RTFValue(), true);
    lGedruckt_ = Gedruckt();
}

void KpWordPad::Paragraph() {
    if (!oRichEdit_)
        return;
    ParagraphValues now;
    now.inches = symUnits_ == Symbol("INCHES");
    now.left = oRichEdit_->PrimaryIndent();
    now.right = oRichEdit_->RightMargin();
    now.firstLine = oRichEdit_->SecondaryIndent();
    now.alignment = oRichEdit_->Alignment();
    if (auto chosen = RunDlgMargins(this, now)) {
        oRichEdit_->Margin(static_cast<int>(chosen->left), static_cast<int>(chosen->right),
                           static_cast<int>(chosen->firstLine));
        oRichEdit_->Alignment(chosen->alignment);
        if (*chosen != now)
            FormatChanged();
        RTFNotify();
    }
    oRichEdit_->SetFocus();
}

void KpWordPad::Cut() {
    if (!oRichEdit_)
        return;
    oRichEdit_->Cut();
    CheckCopyCutPaste();
}

void KpWordPad::Copy() {
    if (!oRichEdit_)
        return;
    oRichEdit_->Copy();
    CheckCopyCutPaste();
}

void KpWordPad::Paste() {
    if (!oRichEdit_)
        return;
    oRichEdit_->Paste();
    CheckCopyCutPaste();
}

void KpWordPad::EditChange(ControlEvent& e) {
    ChildAppWindow::EditChange(e);
    if (!oRichEdit_ || e.ControlHandle() != oRichEdit_->Handle() || !oRichEdit_->Modified())
        return;
    TextChanged();
}

void KpWordPad::TextChanged() {
    letter_.Changed(true);
    ItemState(IDM_SPEICHERN, true);
    ItemState(IDM_SPEICHERNALS, true, false);
    ItemState(IDM_SUCHEN, oRichEdit_->TextLength() > 0);
}

void KpWordPad::FormatChanged() {
    // The control tells of typed text, not of a new format: a letter that
    // was only formatted must still be saved, and asked for on closing.
    if (!oRichEdit_)
        return;
    oRichEdit_->Modified(true);
    TextChanged();
}

void KpWordPad::CheckCopyCutPaste() {
    if (!oRichEdit_)
        return;
    const bool selected = oRichEdit_->SelectionType() != SEL_EMPTY;
    ItemState(IDM_AUSSCHNEIDEN, selected);
    ItemState(IDM_KOPIEREN, selected);
    ItemState(IDM_EINFUEGEN, oRichEdit_->CanPaste(CF_TEXT));
}

// ---- formatting

void KpWordPad::ChangeCharAttribute(DWORD nMask, DWORD nEffect) {
    if (!oRichEdit_)
        return;
    CHARFORMAT2W cf = oRichEdit_->SelectionCharFormat(nMask);
    cf.dwMask = nMask;
    cf.dwEffects ^= nEffect;
    if (oRichEdit_->SetSelectionCharFormat(cf))
        FormatChanged();
}

void KpWordPad::ChangeFontFaceName(const std::string& cFace) {
    if (!oRichEdit_)
        return;
    CHARFORMAT2W cf = oRichEdit_->SelectionCharFormat(CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE);
    cf.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_FACE;
    const std::wstring face = Utf8ToWide(FaceNameForFormat(cFace));
    wcsncpy(cf.szFaceName, face.c_str(), LF_FACESIZE - 1);
    cf.szFaceName[LF_FACESIZE - 1] = L'\0';
    if (oRichEdit_->SetSelectionCharFormat(cf))
        FormatChanged();
}

void KpWordPad::ChangeFontSize(const std::string& cSize) {
    if (!oRichEdit_)
        return;
    const std::optional<int> points = PointSizeOf(cSize);
    if (!points)
        return;  // the box refuses such sizes before they get here
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_SIZE;
    cf.yHeight = *points * 20;
    if (oRichEdit_->SetSelectionCharFormat(cf))
        FormatChanged();
}

// The boxes give the focus back only when the user is done with them, never
// while a face or size is being typed.
void KpWordPad::ReturnToText() {
    if (!oRichEdit_)
        return;
    oRichEdit_->SetFocus();
    RTFNotify();  // the boxes show the format of the selection again
}

void KpWordPad::IndentText() {
    if (!oRichEdit_)
        return;
    PARAFORMAT2 pf{};
    pf.cbSize = sizeof(pf);
    pf.dwMask = PFM_OFFSETINDENT;
    pf.dxStartIndent = kIndentStep;
    if (oRichEdit_->SetParagraphFormat(pf))
        FormatChanged();
}

void KpWordPad::OutdentText() {
    if (!oRichEdit_)
        return;
    PARAFORMAT2 pf{};
    pf.cbSize = sizeof(pf);
    pf.dwMask = PFM_OFFSETINDENT;
    pf.dxStartIndent = -kIndentStep;
    if (oRichEdit_->SetParagraphFormat(pf))
        FormatChanged();
}

void KpWordPad::Numbering(int code) {
    if (!oRichEdit_)
        return;
    PARAFORMAT2 pf{};
    pf.cbSize = sizeof(pf);
    pf.dwMask = PFM_NUMBERING | PFM_OFFSET | PFM_OFFSETINDENT;
    pf.wNumbering = static_cast<WORD>(code);
    pf.dxOffset = kIndentStep;
    pf.dxStartIndent = 0;
    if (oRichEdit_->SetParagraphFormat(pf))
        FormatChanged();
}

bool KpWordPad::FocusInFormatBar() const {
    HWND focus = GetFocus();
    if (!focus || !ownBar_ || !ownBar_->Handle())
        return false;
    return focus == ownBar_->Handle() || IsChild(ownBar_->Handle(), focus);
}

void KpWordPad::RTFNotify() {
    if (!oRichEdit_ || !oFontCB_ || !oPointSizeCB_)
        return;
    const CHARFORMAT2W cf = oRichEdit_->SelectionCharFormat(CFM_ALL2);
    const PARAFORMAT2 pf = oRichEdit_->ParagraphFormat(PFM_ALL2);
    std::wstring faceW(cf.szFaceName, wcsnlen(cf.szFaceName, LF_FACESIZE));
    const std::string face = WideToUtf8(faceW);
    const std::string size = SizeText(cf.yHeight);
    // The user is typing into a box: what they type stays.
    const bool typing = FocusInFormatBar();
    if (!typing) {
        oFontCB_->CurrentText(face);
        oPointSizeCB_->AddSize(size);
    }
    ToggleButtons(face, size, (cf.dwEffects & CFE_BOLD) != 0, (cf.dwEffects & CFE_ITALIC) != 0,
                  (cf.dwEffects & CFE_UNDERLINE) != 0, pf.wAlignment, pf.wNumbering);
}

void KpWordPad::ToggleButtons(const std::string& face, const std::string& size, bool bold,
                              bool italic, bool underline, int alignment, int numbering) {
    if (!FocusInFormatBar()) {
        if (oFontCB_)
            oFontCB_->CurrentText(face);
        if (oPointSizeCB_)
            oPointSizeCB_->CurrentText(size);
    }
    if (!ownBar_)
        return;
    auto press = [&](int id, bool on) {
        if (on)
            ownBar_->ClickItem(id);
        else
            ownBar_->UnClickItem(id);
    };
    press(IDM_FETT, bold);
    press(IDM_KURSIV, italic);
    press(IDM_UNTERSTRICHEN, underline);
    press(IDM_ZENTRIERT, alignment == RE_ALIGN_CENTER);
    press(IDM_LINKSBUENDIG, alignment == RE_ALIGN_LEFT);
    press(IDM_RECHTSBUENDIG, alignment == RE_ALIGN_RIGHT);
    press(IDM_AUFZAEHLUNG, numbering == PFN_BULLET);
}

// ---- layout and events

void KpWordPad::AdjustFormatBar() {
    if (!oRichEdit_)
        return;
    RECT client{};
    GetClientRect(Handle(), &client);
    const int barHeight = ownBar_ && ownBar_->IsVisible() ? ownBar_->Height() : 0;
    MoveWindow(oRichEdit_->Handle(), client.left, client.top + barHeight, client.right,
               std::max<LONG>(0, client.bottom - barHeight), TRUE);
}

void KpWordPad::Resize(ResizeEvent& e) {
    ChildAppWindow::Resize(e);
    if (oRichEdit_)
        AdjustFormatBar();
}

void KpWordPad::Expose(ExposeEvent& e) {
    ChildAppWindow::Expose(e);
    // The format bar follows the caret; the focus is left where the user has it.
    if (oRichEdit_ && !closing_)
        RTFNotify();
}

void KpWordPad::Show(int showState) {
    ChildAppWindow::Show(showState);
    if (oRichEdit_)
        oRichEdit_->SetFocus();
}

void KpWordPad::Find() {
    if (!oRichEdit_)
        return;
    if (!find_)
        find_ = std::make_unique<LetterSearch>(Handle());
    // A selection within one line is what the user wants to find again.
    CHARRANGE sel{};
    SendMessageW(oRichEdit_->Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    std::wstring term;
    if (sel.cpMax > sel.cpMin && sel.cpMax - sel.cpMin < 200) {
        term.resize(static_cast<size_t>(sel.cpMax - sel.cpMin) + 1);
        term.resize(static_cast<size_t>(SendMessageW(oRichEdit_->Handle(), EM_GETSELTEXT, 0,
                                                     reinterpret_cast<LPARAM>(term.data()))));
        if (term.find_first_of(L"\r\n") != std::wstring::npos)
            term.clear();
    }
    find_->Open(term);
}

void KpWordPad::FindRequest(LPARAM lParam) {
    std::wstring term;
    DWORD flags = 0;
    if (!find_ || !find_->Request(lParam, term, flags) || !oRichEdit_)
        return;
    if (FindInRichEdit(oRichEdit_->Handle(), term, flags))
        return;
    // The dialog stays open over the letter for another try.
    CurrentPresenter().ShowMessage(find_->Dialog(), "KONTORPLUS",
                                   "„" + WideToUtf8(term) + "“ wurde " +
                                       ((flags & FR_DOWN) ? "bis zum Ende" : "bis zum Anfang") +
                                       " des Briefs nicht gefunden.\r\nBitte den Suchbegriff "
                                       "oder die Richtung ändern.",
                                   MB_OK | MB_ICONINFORMATION);
}

void KpWordPad::ShellBarFor(bool active) {
    if (!shellBar_ || !oRichEdit_)
        return;
    // Without a word pad in front the letter commands have nothing to act
    // on; "Neuen Text" and "Datei öffnen" are the shell's and stay.
    for (int id : {IDM_SCHLIESSEN, IDM_DRUCKEN, IDM_VORSCHAU})
        ItemState(id, active, true, false);
    ItemState(IDM_SPEICHERN, active && letter_.Changed(), true, false);
    ItemState(IDM_SUCHEN, active && oRichEdit_->TextLength() > 0, true, false);
    const bool selected = active && oRichEdit_->SelectionType() != SEL_EMPTY;
    ItemState(IDM_AUSSCHNEIDEN, selected, true, false);
    ItemState(IDM_KOPIEREN, selected, true, false);
    ItemState(IDM_EINFUEGEN, active && oRichEdit_->CanPaste(CF_TEXT), true, false);
}

LRESULT KpWordPad::Dispatch(Event& e) {
    if (e.Message() == LetterSearch::Message()) {
        FindRequest(e.lParam());
        return 1;
    }
    // Word pads share the shell's bar: only a child of another kind in front
    // greys it. Which child is in front is asked once the activation is over:
    // a word pad still being created gets no activation message of its own,
    // and is not yet known by its handle while it is being activated.
    static const UINT barState = RegisterWindowMessageW(L"KpWordPadBarState");
    if (e.Message() == WM_MDIACTIVATE && e.Handle() == Handle())
        PostMessageW(Handle(), barState, 0, 0);
    if (e.Message() == barState) {
        const HWND client = GetParent(Handle());
        const HWND front =
            client ? reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, 0)) : nullptr;
        if (auto* pad = dynamic_cast<KpWordPad*>(GetObjectByHandle(front)))
            pad->ShellBarFor(true);
        else
            ShellBarFor(false);
        return 1;
    }
    const LRESULT result = ChildAppWindow::Dispatch(e);
    if (e.Message() == WM_NOTIFY && oRichEdit_) {
        const auto* header = reinterpret_cast<const NMHDR*>(e.lParam());
        if (header && header->code == EN_SELCHANGE && header->hwndFrom == oRichEdit_->Handle())
            CheckCopyCutPaste();
    }
    return result;
}

}  // namespace kp
