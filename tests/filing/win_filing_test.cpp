// The filing dialog and the paragraph dialog under Windows: the boxes they
// show on the demo tables, the controls they enable, what "&Schließen"
// writes (read back from the tables), and that cancelling writes nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>

#include "app/funVelto.h"
#include "platform/gui/app.h"
#include "platform/gui/boxes.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/utf8.h"
#include "tests/app/win_support.h"
#include "tests/filing/filing_fixture.h"
#include "wordpad/DlgMargins.h"
#include "wordpad/WinCentre.h"
#include "wordpad/dlgDateiInfo.h"

namespace kp {
namespace {

using test::OpenSuiteTable;
using test::SuiteDir;

void Pump(int ms = 100) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    while (GetTickCount() < end) {
        ApplicationExec(EXECWHILEEVENT);
        Sleep(5);
    }
}

// A click as the user gives it: the button changes its own state (check
// boxes) and tells its owner.
void Click(Control& c) {
    SendMessageW(c.Handle(), BM_CLICK, 0, 0);
}

std::vector<std::string> Items(ListBox& box) {
    std::vector<std::string> items;
    for (int i = 1; i <= box.ItemCount(); ++i)
        items.push_back(box.GetItem(i));
    return items;
}

// Saves what a window shows as a picture, when KP_FILING_SHOTS names a
// folder (for looking at the dialogs, not for checking them).
void Shot(HWND hwnd, const char* name) {
    const char* dir = std::getenv("KP_FILING_SHOTS");
    if (!dir || !*dir)
        return;
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump(300);
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY);
    BITMAPINFOHEADER bi{sizeof(bi), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const int stride = (w * 3 + 3) & ~3;
    std::vector<char> pixels(static_cast<size_t>(stride) * static_cast<size_t>(h));
    GetDIBits(mem, bmp, 0, static_cast<UINT>(h), pixels.data(), reinterpret_cast<BITMAPINFO*>(&bi),
              DIB_RGB_COLORS);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER fh{0x4D42,
                        static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(bi) + pixels.size()),
                        0, 0, sizeof(BITMAPFILEHEADER) + sizeof(bi)};
    const std::string path = std::string(dir) + "\\" + name + ".bmp";
    if (FILE* f = fopen(path.c_str(), "wb")) {
        fwrite(&fh, sizeof(fh), 1, f);
        fwrite(&bi, sizeof(bi), 1, f);
        fwrite(pixels.data(), 1, pixels.size(), f);
        fclose(f);
    }
}

class FilingDialog : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { InitGuiLibrary(); }
    void SetUp() override {
        test::ProgramSettings();
        GetSetGlobal(Symbol("PATH"), Usual(dir.Path()));
        GetSetGlobal(Symbol("DURSPRUNG"), Usual("Kunden"));
        auto arten = std::make_shared<Array>();
        for (const char* a : {"Brief", "Fax", "E-Mail"})
            arten->emplace_back(a);
        GetSetGlobal(Symbol("VERSANDART"), Usual(arten));
        auto sparten = std::make_shared<Array>();
        for (const char* s : {"HAUSRAT", "KFZ", "WOHNGEBÄUDE"})
            sparten->emplace_back(s);
        GetSetGlobal(Symbol("VERSSPARTE"), Usual(sparten));
        auto adressen = OpenSuiteTable(dir, "Adressen.dbf");
        adressen->SetOrder(1);
        adressen->GoTop();
        customer = KundenEntry(*adressen);
        GetSetGlobal(Symbol("DOKAUFRUF"), Usual("K" + Left(customer, 6)));
        ablage = dir.Path() + "Texte\\Kunden\\" + Left(customer, 6) + "HM2010_0007.RTF";
        before = Counts();
    }
    void TearDown() override { ResetSettings(); }

    std::vector<uint32_t> Counts() {
        std::vector<uint32_t> n;
        for (const char* t : {"DokVW.dbf", "TextVor.dbf", "DatWV.dbf"})
            n.push_back(DBServer(dir.File(t)).RecCount());
        return n;
    }
    // The last record of a register, read by a server of its own.
    static std::string Field(DBServer& s, const char* name) {
        return Trim(s.FieldGet(Symbol(name)).AsText());
    }

    SuiteDir dir;
    std::string customer;
    std::string ablage;
    std::vector<uint32_t> before;
    test::FakePresenter presenter;
    ScopedPresenter scoped{presenter};
};

TEST_F(FilingDialog, OpensWithTheAddresseeTheListsAndTheLetter) {
    DlgDateiInfo dlg(nullptr, ablage);
    ASSERT_TRUE(dlg.Handle());
    dlg.Show();
    Pump();
    Shot(dlg.Handle(), "DlgDateiInfo");
    EXPECT_EQ(dlg.Caption(), "Dokumentinformation zu: " + Left(customer, 6) + "HM2010_0007.RTF");
    EXPECT_EQ(dlg.CmbKundenName->TextValue(), customer);
    EXPECT_EQ(Items(*dlg.CmbKundenName), std::vector<std::string>{" "});
    EXPECT_EQ(static_cast<uint32_t>(dlg.CmbGesellschaft->ItemCount()),
              OpenSuiteTable(dir, "GesellA.dbf")->RecCount());
    EXPECT_EQ(dlg.CmbBetreuer->ItemCount(), 2);
    EXPECT_EQ(Items(*dlg.CmbVersandart), (std::vector<std::string>{"Brief", "E-Mail", "Fax"}));
    EXPECT_EQ(Items(*dlg.CmbVersSparte),
              (std::vector<std::string>{"HAUSRAT", "KFZ", "WOHNGEBÄUDE"}));
    EXPECT_EQ(dlg.CmbVorlageTyp->ItemCount(), 4);
    EXPECT_EQ(dlg.SleAblage->TextValue(), ablage);
    EXPECT_FALSE(dlg.SleAblage->IsEnabled());
    EXPECT_EQ(dlg.SleDatum->TextValue(), DToC(Today()));
    EXPECT_FALSE(dlg.SleDatum->IsEnabled());
    EXPECT_FALSE(dlg.SleAnzSeiten->IsEnabled());
    EXPECT_FALSE(dlg.ChkVorlage->Checked());
    EXPECT_FALSE(dlg.CmbVorlageTyp->IsEnabled());
    EXPECT_FALSE(dlg.ChkWVJa->Checked());
    EXPECT_FALSE(dlg.SleWVDatum->IsEnabled());
    EXPECT_FALSE(dlg.TxtWVDatum->IsEnabled());
    EXPECT_FALSE(dlg.TxtWVGrund->IsEnabled());
    // The dialog fits on a 1024 x 768 screen with its 382 x 329 units.
    RECT rc{};
    GetWindowRect(dlg.Handle(), &rc);
    EXPECT_LT(rc.right - rc.left, 1024);
    EXPECT_LT(rc.bottom - rc.top, 768);
    dlg.PshAbbruch();
}

TEST_F(FilingDialog, TemplateTickClosesTheAddresseeAndOpensTheTemplateType) {
    DlgDateiInfo dlg(nullptr, ablage);
    dlg.Show();
    Click(*dlg.ChkVorlage);
    ASSERT_TRUE(dlg.ChkVorlage->Checked());
    for (Control* c : std::initializer_list<Control*>{
             dlg.CmbKundenName.get(), dlg.CmbGesellschaft.get(), dlg.CmbBetreuer.get(),
             dlg.CmbVersandart.get(), dlg.CmbVersSparte.get(), dlg.SleAblage.get(),
             dlg.SleDatum.get(), dlg.SleAnzSeiten.get(), dlg.ChkWVJa.get(), dlg.SleWVDatum.get(),
             dlg.SleWVGrund.get()})
        EXPECT_FALSE(c->IsEnabled()) << c->NameSym().Name();
    EXPECT_TRUE(dlg.CmbVorlageTyp->IsEnabled());
    Shot(dlg.Handle(), "DlgDateiInfo_Vorlage");

    Click(*dlg.ChkVorlage);  // untick: everything open again
    EXPECT_TRUE(dlg.SleAblage->IsEnabled());
    EXPECT_TRUE(dlg.SleDatum->IsEnabled());
    EXPECT_EQ(dlg.SleAblage->TextValue(), ablage);
    EXPECT_TRUE(dlg.ChkWVJa->IsEnabled());
    EXPECT_TRUE(dlg.CmbKundenName->IsEnabled());
    EXPECT_FALSE(dlg.CmbVorlageTyp->IsEnabled());
    dlg.PshAbbruch();
}

TEST_F(FilingDialog, SchliessenFilesTheDocumentAndItsResubmission) {
    auto dlg = std::make_unique<DlgDateiInfo>(nullptr, ablage);
    dlg->Show();
    Click(*dlg->ChkWVJa);
    EXPECT_TRUE(dlg->SleWVDatum->IsEnabled());
    EXPECT_TRUE(dlg->SleWVGrund->IsEnabled());
    dlg->SleDokTitel->TextValue("Angebot Hausrat");
    dlg->CmbVersandart->TextValue("Fax");
    dlg->CmbVersSparte->TextValue("HAUSRAT");
    dlg->CmbBetreuer->CurrentItemNo(1);
    const std::string broker = dlg->CmbBetreuer->GetItem(1);
    dlg->SleWVDatum->TextValue("01.07.2010");
    dlg->SleWVGrund->TextValue("Rückruf");
    Click(*dlg->PshOKButton);
    Pump();
    EXPECT_TRUE(presenter.shown.empty()) << presenter.shown.front().text;
    EXPECT_FALSE(dlg->Handle());  // ended
    ASSERT_TRUE(dlg->Ergebnis().ok);
    EXPECT_EQ(Counts(), (std::vector<uint32_t>{before[0] + 1, before[1], before[2] + 1}));

    {
        DBServer dokVW(dir.File("DokVW.dbf"));
        dokVW.GoBottom();
        EXPECT_EQ(dokVW.FieldGet(Symbol("DOKNR")).AsLong(), dlg->Ergebnis().dokNr);
        EXPECT_EQ(Field(dokVW, "ADRESSNR"), Left(customer, 6));
        EXPECT_FALSE(Field(dokVW, "KUNDE").empty());
        EXPECT_EQ(Field(dokVW, "VERMITTNR"), AllTrim(Left(broker, 12)));
        EXPECT_EQ(Field(dokVW, "VERSANDART"), "Fax");
        EXPECT_EQ(Field(dokVW, "VERSSPARTE"), "HAUSRAT");
        EXPECT_EQ(Field(dokVW, "DOKTITEL"), "Angebot Hausrat");
        EXPECT_EQ(Field(dokVW, "ABLAGE"), ablage);
        EXPECT_EQ(Field(dokVW, "DURSPRUNG"), "Kunden");
        EXPECT_EQ(dokVW.FieldGet(Symbol("DATUM")).AsDate(), Today());
        EXPECT_EQ(dokVW.FieldGet(Symbol("WVDATUM")).AsDate(), Date::FromYMD(2010, 7, 1));
        DBServer datWV(dir.File("DatWV.dbf"));
        datWV.GoBottom();
        EXPECT_EQ(Field(datWV, "WVGRUND"), "Rückruf");
        EXPECT_EQ(datWV.FieldGet(Symbol("DDOKNR")).AsLong(), dlg->Ergebnis().dokNr);
    }

    // The registers are closed: nobody holds them open any more.
    dlg.reset();
    SetExclusive(true);
    for (const char* t : {"DokVW.dbf", "DatWV.dbf", "TextVor.dbf", "Adressen.dbf"}) {
        DBServer alone(dir.File(t));
        EXPECT_TRUE(alone.Used()) << t;
    }
    SetExclusive(false);
}

TEST_F(FilingDialog, ResubmissionWithoutDateIsRefusedAndTheDialogStays) {
    DlgDateiInfo dlg(nullptr, ablage);
    dlg.Show();
    Click(*dlg.ChkWVJa);
    Click(*dlg.PshOKButton);
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.shown[0].caption, "KONTORPLUS");
    EXPECT_NE(presenter.shown[0].text.find("Wiedervorlage"), std::string::npos);
    EXPECT_TRUE(dlg.Handle());
    EXPECT_EQ(Counts(), before);
    // Corrected, it files.
    dlg.SleWVDatum->TextValue("15.07.2010");
    Click(*dlg.PshOKButton);
    EXPECT_TRUE(dlg.Ergebnis().ok) << dlg.Ergebnis().meldung;
    EXPECT_EQ(Counts(), (std::vector<uint32_t>{before[0] + 1, before[1], before[2] + 1}));
}

TEST_F(FilingDialog, TemplateFilesIntoTheTemplateRegisterAlone) {
    DlgDateiInfo dlg(nullptr, ablage);
    dlg.Show();
    Click(*dlg.ChkWVJa);  // ticked first, then the template disables it
    Click(*dlg.ChkVorlage);
    dlg.CmbVorlageTyp->TextValue("Kunden");
    dlg.SleDokTitel->TextValue("Vorlage Kündigung");
    Click(*dlg.PshOKButton);
    ASSERT_TRUE(dlg.Ergebnis().ok) << dlg.Ergebnis().meldung;
    EXPECT_EQ(Counts(), (std::vector<uint32_t>{before[0], before[1] + 1, before[2]}));
    DBServer textVor(dir.File("TextVor.dbf"));
    textVor.GoBottom();
    EXPECT_EQ(Field(textVor, "VORTYP"), "K");
    EXPECT_EQ(Field(textVor, "TXTVLTITEL"), "Vorlage Kündigung");
    EXPECT_EQ(textVor.FieldGet(Symbol("VORNR")).AsLong(), dlg.Ergebnis().vorNr);
}

TEST_F(FilingDialog, CancelWritesNothingAndTheOpenedDialogFreesItself) {
    OpenDlgDateiInfo(nullptr, ablage);
    const std::wstring caption = Utf8ToWide("Dokumentinformation zu: " + DateiName(ablage));
    HWND h = FindWindowW(L"#32770", caption.c_str());
    ASSERT_TRUE(h);
    auto* dlg = dynamic_cast<DlgDateiInfo*>(GetObjectByHandle(h));
    ASSERT_TRUE(dlg);
    Click(*dlg->ChkWVJa);
    SendMessageW(GetDlgItem(h, ID_DDI_PSHABBRUCH), BM_CLICK, 0, 0);
    Pump();
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(Counts(), before);
    SetExclusive(true);
    EXPECT_TRUE(DBServer(dir.File("DokVW.dbf")).Used());
    SetExclusive(false);
}

TEST_F(FilingDialog, CloseBoxEndsTheOpenedDialogWithoutFiling) {
    OpenDlgDateiInfo(nullptr, ablage);
    HWND h =
        FindWindowW(L"#32770", Utf8ToWide("Dokumentinformation zu: " + DateiName(ablage)).c_str());
    ASSERT_TRUE(h);
    SendMessageW(h, WM_CLOSE, 0, 0);
    Pump();
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(Counts(), before);
}

// ---------------------------------------------------------------- paragraph

// Acts on the paragraph dialog from a timer inside its own loop.
class OnDialog {
  public:
    explicit OnDialog(std::function<void(DlgMargins&)> act) : act_(std::move(act)) {
        id_ = SetTimer(nullptr, 0, 30, &OnDialog::Tick);
        Pending()[id_] = this;
    }
    ~OnDialog() { Stop(); }

  private:
    static std::map<UINT_PTR, OnDialog*>& Pending() {
        static std::map<UINT_PTR, OnDialog*> pending;
        return pending;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        auto it = Pending().find(id);
        if (it == Pending().end())
            return;
        HWND h = FindWindowW(L"#32770", L"Paragraph");
        auto* dlg =
            h && IsWindowVisible(h) ? dynamic_cast<DlgMargins*>(GetObjectByHandle(h)) : nullptr;
        if (!dlg)
            return;
        OnDialog* self = it->second;
        self->Stop();
        self->act_(*dlg);
    }
    void Stop() {
        if (id_) {
            KillTimer(nullptr, id_);
            Pending().erase(id_);
            id_ = 0;
        }
    }
    std::function<void(DlgMargins&)> act_;
    UINT_PTR id_ = 0;
};

class ParagraphDialog : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { InitGuiLibrary(); }
    void TearDown() override { ResetSettings(); }
};

TEST_F(ParagraphDialog, ShowsTheIndentsInCentimetresAndReturnsTheEditedOnes) {
    const ParagraphValues now{false, 283, 567, 0, 2};
    std::vector<std::string> shown;
    OnDialog act([&](DlgMargins& d) {
        Shot(d.Handle(), "DlgMargins");
        shown = {d.LeftMarginSLE->TextValue(), d.RightMarginSLE->TextValue(),
                 d.FirstLineSLE->TextValue(), d.AlignmentCB->TextValue()};
        d.LeftMarginSLE->TextValue("1.5 cm");
        d.FirstLineSLE->TextValue("-0.25");
        d.AlignmentCB->TextValue("left");
        SendMessageW(d.OKPBButton->Handle(), BM_CLICK, 0, 0);
    });
    const auto result = RunDlgMargins(nullptr, now);
    EXPECT_EQ(shown, (std::vector<std::string>{" 0.50 cm", " 1.00 cm", " 0.00 cm", "Right"}));
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->left, 851);
    EXPECT_EQ(result->right, 567);  // shown and left alone
    EXPECT_EQ(result->firstLine, -142);
    EXPECT_EQ(result->alignment, 1);
    EXPECT_FALSE(result->inches);
}

TEST_F(ParagraphDialog, InchesShowInAndCancelChangesNothing) {
    const ParagraphValues now{true, 1440, 720, 360, 3};
    std::vector<std::string> shown;
    OnDialog act([&](DlgMargins& d) {
        shown = {d.LeftMarginSLE->TextValue(), d.AlignmentCB->TextValue()};
        d.LeftMarginSLE->TextValue("4 in");
        SendMessageW(d.CancelPBButton->Handle(), BM_CLICK, 0, 0);
    });
    EXPECT_FALSE(RunDlgMargins(nullptr, now).has_value());
    EXPECT_EQ(shown, (std::vector<std::string>{" 1.00 in", "Centre"}));
}

TEST_F(ParagraphDialog, EscapeCancelsAndTheDialogSitsInTheMiddleOfTheScreen) {
    RECT rc{};
    OnDialog act([&](DlgMargins& d) {
        GetWindowRect(d.Handle(), &rc);
        SendMessageW(d.Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    EXPECT_FALSE(RunDlgMargins(nullptr, ParagraphValues{}).has_value());
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_NEAR((rc.left + rc.right) / 2, sw / 2, 2);
    EXPECT_NEAR((rc.top + rc.bottom) / 2, sh / 2, 2);
}

TEST(WinCentreTest, CentresAndGoesNegativeForAWindowLargerThanItsArea) {
    EXPECT_EQ(CentreOrigin(Dimension(200, 100), Dimension(1024, 768)), Point(412, 334));
    EXPECT_EQ(CentreOrigin(Dimension(300, 301), Dimension(100, 100)), Point(-100, -100));
    EXPECT_EQ(CentreOrigin(Dimension(5, 5), Dimension(5, 5)), Point(0, 0));
}

}  // namespace
}  // namespace kp
