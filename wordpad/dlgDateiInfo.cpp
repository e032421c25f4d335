#include "wordpad/dlgDateiInfo.h"

#include <initializer_list>

#include "app/funVelto.h"
#include "platform/gui/boxes.h"
#include "platform/runtime/strings.h"

namespace kp {

namespace {

std::string SharedText(const char* name) {
    const Usual v = GetSetGlobal(Symbol(name));
    return v.IsString() ? v.AsString() : std::string();
}

std::vector<std::string> SharedList(const char* name) {
    std::vector<std::string> list;
    const Usual v = GetSetGlobal(Symbol(name));
    if (v.IsArray() && v.AsArray())
        for (const Usual& item : *v.AsArray())
            if (item.IsString())
                list.push_back(item.AsString());
    return list;
}

// Opens a table with its indexes; an index that does not open stays out
// (filing then refuses a register without all of its indexes).
template <class Indexes>
std::unique_ptr<DBServer> OpenTable(const std::string& dir, const char* file,
                                    const Indexes& indexes) {
    auto server = std::make_unique<DBServer>(dir + file);
    if (server->Used())
        for (const char* index : indexes)
            server->SetIndex(dir + index);
    return server;
}

std::unique_ptr<DBServer> OpenTable(const std::string& dir, const char* file,
                                    std::initializer_list<const char*> indexes) {
    return OpenTable<std::initializer_list<const char*>>(dir, file, indexes);
}

void Fill(ComboBox& box, const std::vector<std::string>& items) {
    box.Clear();
    for (const std::string& item : items)
        box.AddItem(item);
}

void EnableIf(Window& w, bool on) {
    if (on)
        w.Enable();
    else
        w.Disable();
}

// Deletes a window object after the message that ended it has been handled
// completely: a message-only window of a plain procedure receives a posted
// note and deletes the object then (and with itself, should the program
// end first while the loop still runs).
constexpr wchar_t kDeleterClass[] = L"KpDeleteAfterMessage";
constexpr UINT kDeleteNow = WM_APP + 0x4444;

LRESULT CALLBACK DeleterProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kDeleteNow) {
        DestroyWindow(hwnd);
        return 0;
    }
    if (msg == WM_NCDESTROY) {
        delete reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void DeleteAfterMessage(Window* object) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &DeleterProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kDeleterClass;
    RegisterClassW(&wc);  // fails harmlessly once it is registered
    HWND h = CreateWindowExW(0, kDeleterClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    if (!h)
        return;  // the object stays: better a leak than a use after free
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    PostMessageW(h, kDeleteNow, 0, 0);
}

}  // namespace

void OpenDlgDateiInfo(Window* owner, const std::string& cAblage) {
    auto dialog = std::make_unique<DlgDateiInfo>(owner, cAblage);
    if (!dialog->Handle())
        return;
    dialog->Show();
    dialog->OwnItself();
    dialog.release();  // deleted by itself once its window is gone
}

DlgDateiInfo::DlgDateiInfo(Window* owner, const std::string& ablage) : DlgDateiInfoLayout(owner) {
    if (!Handle())
        return;
    // 1. The shared values.
    cUrsprung = SharedText("DURSPRUNG");
    cPath = SharedText("PATH");
    cDokAufruf = SharedText("DOKAUFRUF");
    // 2. Whom the letter was written for.
    const DokAufruf aufruf = ParseDokAufruf(cDokAufruf);
    cKunde = aufruf.cKunde;
    cGesell = aufruf.cGesell;
    cVermittler = aufruf.cVermittler;

    // 3. The registers and the addresses.
    oDokVW = OpenTable(cPath, "DokVW.dbf", kDokVWIndexes);
    oDatWV = OpenTable(cPath, "DatWV.dbf", kDatWVIndexes);
    oTextVor = OpenTable(cPath, "TextVor.dbf", kTextVorIndexes);
    oAdressen =
        OpenTable(cPath, "Adressen.dbf",
                  {"Adressnr.ntx", "Adrename.ntx", "Adresplz.ntx", "Adresstr.ntx", "Adresort.ntx"});
    oAdressen->SetOrder(2);
    oAdressen->GoTop();

    // 4. The customer box: a blank entry, and the addressee's text.
    aKunden = {" "};
    Fill(*CmbKundenName, aKunden);
    if (!cKunde.empty()) {
        const std::string entry = KundenEintrag(*oAdressen, cKunde);
        if (!entry.empty()) {
            cKunde = entry;
            CmbKundenName->TextValue(entry);
        }
    } else {
        CmbKundenName->TextValue(" ");
    }

    // 5. The insurers.
    oGesellA = OpenTable(cPath, "GesellA.dbf", {"Gesella.ntx", "Gesella2.ntx"});
    oGesellA->SetOrder(2);
    aGesell = GesellList(*oGesellA);
    Fill(*CmbGesellschaft, aGesell);
    if (!cGesell.empty()) {
        const std::string entry = GesellEintrag(*oGesellA, cGesell);
        if (!entry.empty()) {
            cGesell = entry;
            CmbGesellschaft->TextValue(entry);
        }
    }

    // 6. The brokers who are not marked active.
    oVermitt = OpenTable(cPath, "Vermitt.dbf", {"Vermitt.ntx", "Vermitt2.ntx"});
    oVermitt->SetOrder(2);
    aVermitt = VermittList(*oVermitt);
    Fill(*CmbBetreuer, aVermitt);
    if (!cVermittler.empty()) {
        const std::string entry = VermittEintrag(*oVermitt, cVermittler);
        if (!entry.empty()) {
            cVermittler = entry;
            CmbBetreuer->TextValue(entry);
        }
    }

    // 7. The letter.
    cAblage = ablage;
    cDateiName = DateiName(cAblage);
    dHeute = Today();
    Caption("Dokumentinformation zu: " + Trim(cDateiName));

    // 8. The selection lists.
    aVorlageTyp = VorlageTypen();
    Fill(*CmbVorlageTyp, aVorlageTyp);
    Fill(*CmbVersandart, SharedList("VERSANDART"));
    Fill(*CmbVersSparte, SharedList("VERSSPARTE"));

    // 9. What the letter is: shown, not edited.
    SleAblage->TextValue(Trim(cAblage));
    SleAblage->Disable();
    SleDatum->TextValue(DToC(dHeute));
    SleDatum->Disable();
    SleAnzSeiten->Disable();

    // 10. No template, no resubmission.
    ChkVorlage->Checked(false);
    CmbVorlageTyp->Disable();
    ChkWVJa->Checked(false);
    TxtWVDatum->Disable();
    SleWVDatum->Disable();
    TxtWVGrund->Disable();
}

DlgDateiInfo::~DlgDateiInfo() {
    Destruct();
}

Symbol DlgDateiInfo::ClassName() const {
    return Symbol("DLGDATEIINFO");
}

Method DlgDateiInfo::FindMethod(Symbol name) {
    static const MethodTable<DlgDateiInfo> methods{
        {"PshOK", &DlgDateiInfo::PshOK},
        {"PshAbbruch", &DlgDateiInfo::PshAbbruch},
    };
    if (Method m = methods.Bind(this, name))
        return m;
    return DlgDateiInfoLayout::FindMethod(name);
}

void DlgDateiInfo::ButtonClick(ControlEvent& e) {
    DlgDateiInfoLayout::ButtonClick(e);
    if (Handle() && !ending_)
        UpdateEnabling();
}

void DlgDateiInfo::UpdateEnabling() {
    // Without a template every control is open again, the resubmission's
    // too, whether or not it is ticked (only a ticked one is filed).
    const bool vorlage = ChkVorlage->Checked();
    // A template belongs to nobody and comes back on no day: the addressee,
    // the criteria and the resubmission are not asked for then.
    for (Window* w :
         {static_cast<Window*>(CmbKundenName.get()), static_cast<Window*>(CmbGesellschaft.get()),
          static_cast<Window*>(CmbBetreuer.get()), static_cast<Window*>(CmbVersandart.get()),
          static_cast<Window*>(CmbVersSparte.get()), static_cast<Window*>(SleAblage.get()),
          static_cast<Window*>(SleDatum.get()), static_cast<Window*>(SleAnzSeiten.get()),
          static_cast<Window*>(ChkWVJa.get()), static_cast<Window*>(TxtWVDatum.get()),
          static_cast<Window*>(SleWVDatum.get()), static_cast<Window*>(TxtWVGrund.get()),
          static_cast<Window*>(SleWVGrund.get())})
        EnableIf(*w, !vorlage);
    SleAblage->TextValue(Trim(cAblage));
    SleDatum->TextValue(DToC(dHeute));
    if (vorlage) {
        SleAblage->Disable();
        SleDatum->Disable();
    }
    EnableIf(*CmbVorlageTyp, vorlage);
}

void DlgDateiInfo::PshOK() {
    if (ending_)
        return;
    DateiInfoEingabe in;
    in.cAblage = cAblage;
    in.cUrsprung = cUrsprung;
    in.kundeBox = CmbKundenName->TextValue();
    in.gesellBox = CmbGesellschaft->TextValue();
    in.betreuerBox = CmbBetreuer->TextValue();
    in.versandart = CmbVersandart->TextValue();
    in.verssparte = CmbVersSparte->TextValue();
    in.titel = SleDokTitel->TextValue();
    in.vorlage = ChkVorlage->Checked();
    in.vorlageTyp = CmbVorlageTyp->TextValue();
    in.wiedervorlage = ChkWVJa->Checked();
    in.wvDatum = SleWVDatum->TextValue();
    in.wvGrund = SleWVGrund->TextValue();
    in.heute = dHeute;

    DateiInfoTabellen t;
    t.dokVW = oDokVW.get();
    t.textVor = oTextVor.get();
    t.datWV = oDatWV.get();
    t.adressen = oAdressen.get();
    t.vermitt = oVermitt.get();
    ergebnis_ = DateiAblegen(t, in);
    if (!ergebnis_.ok) {
        CurrentPresenter().ShowMessage(Handle(), "KONTORPLUS", ergebnis_.meldung,
                                       MB_OK | MB_ICONEXCLAMATION);
        if (in.wiedervorlage && !in.vorlage && SleWVDatum->IsEnabled())
            SleWVDatum->SetFocus();
        return;
    }
    // The registers are closed at once, so that the next filing, here or on
    // another workstation, reads them from the file.
    for (auto* server : {&oDatWV, &oTextVor, &oDokVW})
        if (*server)
            (*server)->Close();
    Ended();
    EndDialog(1);
}

void DlgDateiInfo::PshAbbruch() {
    if (ending_)
        return;
    Ended();
    EndDialog(0);
}

void DlgDateiInfo::Ended() {
    ending_ = true;
    Destruct();
}

void DlgDateiInfo::Destruct() {
    for (auto* server : {&oDokVW, &oAdressen, &oGesellA, &oVermitt, &oDatWV, &oTextVor}) {
        if (*server)
            (*server)->Close();
        server->reset();
    }
    aKunden.clear();
    aGesell.clear();
    aVermitt.clear();
    aVorlageTyp.clear();
}

void DlgDateiInfo::Detached() {
    DlgDateiInfoLayout::Detached();
    ending_ = true;
    Destruct();
    if (ownsItself_) {
        ownsItself_ = false;
        DeleteAfterMessage(this);
    }
}

}  // namespace kp
