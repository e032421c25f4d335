// The search and common dialogs under Windows: progress, about, selection
// list, record and full-text search, folder browser. Modal dialogs are
// answered from a timer that runs inside their own message loop.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <random>

#include "app/funVelto.h"
#include "config/DateiOrdner.h"
#include "dialogs/dlgAbout.h"
#include "dialogs/dlgProgress.h"
#include "dialogs/dlgSeek.h"
#include "dialogs/dlgSeek2.h"
#include "platform/data/dbf.h"
#include "platform/data/dbserver.h"
#include "platform/gui/app.h"
#include "platform/gui/boxes.h"
#include "platform/gui/datawindow.h"
#include "platform/runtime/error.h"
#include "platform/runtime/program.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/utf8.h"
#include "tests/common/temp_folder.h"

namespace kp {
namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------- helpers

class RecordingPresenter : public Presenter {
  public:
    int ShowMessage(HWND, const std::string& caption, const std::string& text, UINT) override {
        boxes.emplace_back(caption, text);
        return BOXREPLYOKAY;
    }
    bool ShowFileDialog(FileDialogRequest&) override { return false; }
    std::vector<std::pair<std::string, std::string>> boxes;
};

// Runs an action on a dialog of ours once it is shown (polled by a timer
// that fires inside whichever message loop runs then).
class WhenShown {
  public:
    WhenShown(std::wstring caption, std::function<void(HWND)> act)
        : caption_(std::move(caption)), act_(std::move(act)) {
        id_ = SetTimer(nullptr, 0, 30, &WhenShown::Tick);
        Pending()[id_] = this;
    }
    ~WhenShown() { Stop(); }
    bool Done() const { return done_; }

  private:
    static std::map<UINT_PTR, WhenShown*>& Pending() {
        static std::map<UINT_PTR, WhenShown*> pending;
        return pending;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        auto it = Pending().find(id);
        if (it == Pending().end())
            return;
        WhenShown* self = it->second;
        HWND dialog = FindWindowW(L"#32770", self->caption_.c_str());
        DWORD pid = 0;
        if (!dialog || !IsWindowVisible(dialog) ||
            (GetWindowThreadProcessId(dialog, &pid), pid != GetCurrentProcessId()))
            return;
        self->Stop();
        self->done_ = true;
        self->act_(dialog);
    }
    void Stop() {
        if (id_) {
            KillTimer(nullptr, id_);
            Pending().erase(id_);
            id_ = 0;
        }
    }
    std::wstring caption_;
    std::function<void(HWND)> act_;
    UINT_PTR id_ = 0;
    bool done_ = false;
};

void PostClick(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Chooses entry `item` (1-based) of the selection list with "Gehe zu".
std::function<void(HWND)> Choose(int item, std::vector<std::string>* shown = nullptr) {
    return [item, shown](HWND dialog) {
        HWND list = GetDlgItem(dialog, ID_AUSWAHL_LST1);
        if (shown) {
            const int n = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
            for (int i = 0; i < n; ++i) {
                wchar_t buf[512] = {};
                SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf));
                shown->push_back(WideToUtf8(buf));
            }
        }
        SendMessageW(list, LB_SETCURSEL, item - 1, 0);
        PostClick(dialog, ID_AUSWAHL_PSHGEHEZU);
    };
}

std::function<void(HWND)> Cancel(std::vector<std::string>* shown = nullptr) {
    return [shown](HWND dialog) {
        HWND list = GetDlgItem(dialog, ID_AUSWAHL_LST1);
        if (shown)
            shown->resize(static_cast<size_t>(SendMessageW(list, LB_GETCOUNT, 0, 0)));
        PostClick(dialog, ID_AUSWAHL_PSHABBRUCH);
    };
}

class TempDir : public test::TempFolder {
  public:
    TempDir() : TempFolder("kp_dlg_") {}
};

struct Person {
    const char* nr;
    const char* vname;
    const char* nname;
};

const std::vector<Person> kPeople{
    {"100001", "Hans", "Schmidt"}, {"100002", "Anna", "Müller"},
    {"100003", "Karl", "MÜNCH"},   {"100004", "Eva", "Meier"},
    {"100005", "Jörg", "Mühle"},   {"100006", "Heizungsbau", "Kleinmüller KG"},
};

void WriteAddresses(const TempDir& dir) {
    const std::string path = dir.File("Adressen.dbf");
    Table::Create(path,
                  {{"ADRESSNR", 'C', 6, 0},
                   {"VNAME", 'C', 30, 0},
                   {"NNAME", 'C', 30, 0},
                   {"STRASSE", 'C', 30, 0},
                   {"PLZ", 'C', 5, 0},
                   {"ORT", 'C', 30, 0}},
                  850);
    DBServer db(path);
    int i = 0;
    for (const Person& p : kPeople) {
        db.Append();
        db.FieldPut(Symbol("ADRESSNR"), Usual(std::string(p.nr)));
        db.FieldPut(Symbol("VNAME"), Usual(std::string(p.vname)));
        db.FieldPut(Symbol("NNAME"), Usual(std::string(p.nname)));
        db.FieldPut(Symbol("STRASSE"), Usual(std::string("Ring ") + std::to_string(++i)));
        db.FieldPut(Symbol("PLZ"), Usual(std::to_string(50000 + 7 * i)));
        db.FieldPut(Symbol("ORT"), Usual(std::string("Köln")));
    }
    db.Commit();
    db.CreateIndex(dir.File("Adressnr.ntx"), "ADRESSNR");
    db.CreateIndex(dir.File("Adrename.ntx"), "UPPER(NNAME+VNAME)");
    db.CreateIndex(dir.File("Adresplz.ntx"), "PLZ+UPPER(NNAME)");
    db.Close();
}

void WriteContracts(const TempDir& dir) {
    const std::string path = dir.File("Vertrag.dbf");
    Table::Create(path,
                  {{"VERSNR", 'C', 15, 0},
                   {"ADRESSNR", 'C', 6, 0},
                   {"NNAME", 'C', 25, 0},
                   {"ORT_S_FZKZ", 'C', 25, 0}},
                  850);
    DBServer db(path);
    // 47-...: 150 contracts of 100001; 11-1 alone, of 100004.
    for (int i = 0; i < 150; ++i) {
        db.Append();
        db.FieldPut(Symbol("VERSNR"), Usual("47-" + PadL(std::to_string(i), 4, "0")));
        db.FieldPut(Symbol("ADRESSNR"), Usual(std::string(i == 1 ? "100005" : "100001")));
        db.FieldPut(Symbol("NNAME"), Usual(std::string("Schmidt")));
        db.FieldPut(Symbol("ORT_S_FZKZ"), Usual(std::string("K-XY ") + std::to_string(i)));
    }
    db.Append();
    db.FieldPut(Symbol("VERSNR"), Usual(std::string("11-1")));
    db.FieldPut(Symbol("ADRESSNR"), Usual(std::string("100004")));
    db.FieldPut(Symbol("NNAME"), Usual(std::string("Meier")));
    db.FieldPut(Symbol("ORT_S_FZKZ"), Usual(std::string("Bonn")));
    db.Commit();
    db.CreateIndex(dir.File("Vertrag5.ntx"), "VERSNR");
    db.CreateIndex(dir.File("Vertrag6.ntx"), "ORT_S_FZKZ");
    db.Close();
}

class Dialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        InitGuiLibrary();
        SetExclusive(false);
        SetDeleted(false);
        SetAnsi(false);
    }
    // An address window over Adressen.dbf with its orders.
    void OpenAddresses(int order) {
        WriteAddresses(dir_);
        server_ = std::make_shared<DBServer>(dir_.File("Adressen.dbf"));
        for (const char* ntx : {"Adressnr.ntx", "Adrename.ntx", "Adresplz.ntx"})
            server_->SetIndex(dir_.File(ntx));
        server_->SetOrder(order);
        server_->GoTop();
        window_ = std::make_unique<DataWindow>(nullptr);
        window_->Server(server_);
        window_->Show();
    }
    std::string CurrentNr() { return Trim(server_->FieldGet(Symbol("ADRESSNR")).AsString()); }

    TempDir dir_;
    std::shared_ptr<DBServer> server_;
    std::unique_ptr<DataWindow> window_;
    RecordingPresenter presenter_;
    ScopedPresenter scoped_{presenter_};
};

// ---------------------------------------------------------------- progress

TEST_F(Dialogs, ProgressDisablesTheOwnerAndClosingOnlyCancels) {
    DataWindow owner(nullptr);
    owner.Show();
    DlgProgress progress(&owner, 0, 10, "Reorganisation");
    EXPECT_EQ(progress.Caption(), "Reorganisation");
    progress.Show();
    EXPECT_FALSE(IsWindowEnabled(owner.Handle())) << "the owner stays usable during the run";
    EXPECT_FALSE(progress.Cancel());
    progress.Update(3, "Adressen.dbf");
    EXPECT_EQ(progress.Bar1->Position(), 3);
    EXPECT_EQ(progress.TxtDateien->Caption(), "Adressen.dbf");

    // The close box asks to cancel; the loop ends the dialog itself.
    PostMessageW(progress.Handle(), WM_CLOSE, 0, 0);
    progress.Update(4, "Vertrag.dbf");
    EXPECT_TRUE(progress.Cancel());
    EXPECT_TRUE(IsWindow(progress.Handle()));

    progress.EndDialog();
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
    EXPECT_FALSE(progress.IsAlive());
    // Updates after the end do nothing, and a second end is harmless.
    progress.Update(9, "danach");
    progress.EndDialog();
    EXPECT_EQ(progress.ShellReleases(), 1);
}

TEST_F(Dialogs, ProgressCancelButtonIsSeenAtTheNextUpdate) {
    DlgProgress progress(nullptr, 0, 100, "Suche");
    progress.Show();
    // The animation plays from the shell, or the busy bar stands in.
    if (progress.ShellClip()) {
        EXPECT_TRUE(progress.Animation()->IsPlaying());
    }
    PostClick(progress.Handle(), ID_PROGRESS_PSHCANCEL);
    EXPECT_FALSE(progress.Cancel());
    progress.Update(150, "weiter");  // outside the range: the bar clamps it
    EXPECT_TRUE(progress.Cancel());
    EXPECT_EQ(progress.Bar1->Position(), 100);
    EXPECT_TRUE(IsWindow(progress.Handle())) << "Abbruch must not close the dialog";
    progress.EndDialog();
    // The clip is closed before the shell library goes.
    EXPECT_FALSE(progress.Animation()->IsOpen());
    EXPECT_EQ(progress.ShellReleases(), 1);
}

TEST_F(Dialogs, PlainProgressKeepsItsOwnerDisabledUntilTheEnd) {
    DataWindow owner(nullptr);
    owner.Show();
    {
        DlgProgress2 progress(&owner, 1, 5, "Packen");
        progress.Show();
        EXPECT_FALSE(IsWindowEnabled(owner.Handle()));
        PostMessageW(progress.Handle(), WM_CLOSE, 0, 0);
        progress.Update(2, "GesellA.dbf");
        EXPECT_TRUE(IsWindow(progress.Handle())) << "closing must not end it under the loop";
        EXPECT_EQ(progress.Bar1->Range(), Range(1, 5));
    }  // ended by its destruction
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
}

// ---------------------------------------------------------------- about

TEST_F(Dialogs, AboutFiguresUseAPictureWideEnoughForTodaysMemory) {
    EXPECT_EQ(FreeMemoryText(65536000), "64.000 KB frei");
    EXPECT_EQ(FreeMemoryText(1024ull * 1024 * 1024), "1.048.576 KB frei");
    EXPECT_EQ(FreeMemoryText(64ull << 30), "67.108.864 KB frei");
    EXPECT_EQ(FreeResourcesText(7), "  7 % frei");
    EXPECT_EQ(FreeResourcesText(100), "100 % frei");
}

TEST_F(Dialogs, AboutShowsPlaceholdersUntilTheCallerSetsItsLines) {
    SetMemoryForTest([](int what) -> uint64_t { return what == 0 ? 8ull << 30 : 42; });
    DlgAbout about(nullptr);
    SetMemoryForTest({});
    EXPECT_EQ(about.Caption(), "INFO");
    EXPECT_EQ(about.TxtApp->Caption(), "App");
    EXPECT_EQ(about.TxtVersion->Caption(), "Version");
    EXPECT_FALSE(about.TxtNotice->Caption().empty());
    EXPECT_EQ(about.TxtFreeMemory->Caption(), "8.388.608 KB frei");
    EXPECT_EQ(about.TxtFreeRessources->Caption(), " 42 % frei");
    // The application icon in the caption, and the icon control as large as
    // the layout gives it (33 x 30 units), not shrunk to the icon's pixels.
    EXPECT_TRUE(SendMessageW(about.Handle(), WM_GETICON, ICON_BIG, 0));
    EXPECT_TRUE(SendMessageW(about.Handle(), WM_GETICON, ICON_SMALL, 0));
    RECT units{0, 0, 33, 30}, icon{};
    MapDialogRect(about.Handle(), &units);
    GetWindowRect(GetDlgItem(about.Handle(), 101), &icon);
    EXPECT_EQ(icon.right - icon.left, units.right);
    EXPECT_EQ(icon.bottom - icon.top, units.bottom);
    about.Application("KONTORPLUS");
    about.Version("Version 1.0");
    about.Notice("© Büro");
    EXPECT_EQ(about.TxtApp->Caption(), "KONTORPLUS");
    EXPECT_EQ(about.TxtNotice->Caption(), "© Büro");
    WhenShown ok(L"INFO", [](HWND d) { PostClick(d, ID_ABOUT_PSHOK); });
    about.Show();
    EXPECT_TRUE(ok.Done());
    EXPECT_EQ(about.Result(), 1);
}

// ---------------------------------------------------------------- selection list

class KeyOwner : public DataWindow, public SeekStringOwner {
  public:
    KeyOwner() : DataWindow(nullptr) {}
    void cSeekString(const std::string& key) override {
        chosen = key;
        ++calls;
    }
    std::string chosen;
    int calls = 0;
};

TEST_F(Dialogs, SelectionListHandsBackTheFirstSixCharacters) {
    KeyOwner owner;
    DlgAuswahl list(&owner, {"100003  Karl", "100001  Hans", "100002  Anna"});
    EXPECT_EQ(list.Lst1->ItemCount(), 3);
    EXPECT_EQ(list.Lst1->GetItem(2), "100001  Hans");  // the order given
    EXPECT_EQ(list.Lst1->CurrentItemNo(), 1);
    EXPECT_TRUE(SendMessageW(list.Handle(), WM_GETICON, ICON_SMALL, 0));
    // A double click on the third entry chooses it.
    list.Lst1->CurrentItemNo(3);
    SendMessageW(list.Handle(), WM_COMMAND, MAKEWPARAM(ID_AUSWAHL_LST1, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(list.Lst1->Handle()));
    EXPECT_EQ(owner.chosen, "100002");
    EXPECT_EQ(list.ChosenItem(), 3);

    DlgAuswahl cancelled(&owner, {"100009  X"});
    cancelled.PshAbbruch();
    EXPECT_EQ(owner.calls, 1) << "Abbruch leaves the owner's key alone";

    DlgAuswahl empty(&owner, {});
    empty.PshGeheZu();
    EXPECT_EQ(owner.chosen, "");
}

// ---------------------------------------------------------------- record search

TEST_F(Dialogs, SurnameSearchListsTheMatchesAndMovesToTheOneChosen) {
    OpenAddresses(0);
    DlgSeek seek(window_.get(), "dtaAdressen");
    EXPECT_EQ(seek.LstIndex->CurrentItemNo(), 2);  // order 0 opens on surnames
    EXPECT_EQ(seek.TxtSuchenNach->Caption(), "Kundensuche nach...");
    EXPECT_TRUE(seek.PshVolltextButton->IsEnabled());
    seek.SleSuchbegriff->TextValue("MÜ");
    std::vector<std::string> shown;
    WhenShown choose(L"Mehrfachauswahl", Choose(2, &shown));
    seek.PshSuchen();
    ASSERT_TRUE(choose.Done()) << "no selection list";
    ASSERT_EQ(shown.size(), 3u);  // MÜHLE, MÜLLER, MÜNCH
    EXPECT_EQ(shown[1].substr(0, 6), "100002");
    EXPECT_EQ(CurrentNr(), "100002");
    EXPECT_EQ(server_->IndexOrd(), 2);
    EXPECT_TRUE(presenter_.boxes.empty());
}

TEST_F(Dialogs, SurnameMissesEndWithTheNotFoundBoxOnTheStartRecord) {
    OpenAddresses(0);
    server_->GoTo(4);
    {
        DlgSeek seek(window_.get(), "dtaAdressen");
        seek.SleSuchbegriff->TextValue("QUAST");  // no surname with Q: no list
        seek.PshSuchen();
    }
    ASSERT_EQ(presenter_.boxes.size(), 1u);
    EXPECT_EQ(presenter_.boxes[0],
              std::make_pair(std::string("KONTORPLUS"),
                             std::string("Der Suchbegriff wurde nicht gefunden!")));
    EXPECT_EQ(server_->RecNo(), 4u);

    // The letter exists but nobody matches: no empty list, the box at once.
    DlgSeek seek(window_.get(), "dtaAdressen");
    seek.SleSuchbegriff->TextValue("MX");
    std::vector<std::string> shown{"x"};
    WhenShown cancel(L"Mehrfachauswahl", Cancel(&shown));
    seek.PshSuchen();
    EXPECT_FALSE(cancel.Done());
    EXPECT_EQ(presenter_.boxes.size(), 2u);
    EXPECT_EQ(server_->RecNo(), 4u);

    // An empty term searches nothing: the dialog asks for one and stays.
    DlgSeek empty(window_.get(), "dtaAdressen");
    empty.SleSuchbegriff->TextValue("  ");
    server_->GoTo(7);
    empty.PshSuchen();
    ASSERT_EQ(presenter_.boxes.size(), 3u);
    EXPECT_EQ(presenter_.boxes[2].second, "Bitte einen Suchbegriff eingeben.");
    EXPECT_EQ(server_->RecNo(), 7u);
    EXPECT_TRUE(empty.IsAlive());
}

TEST_F(Dialogs, IndexListOpensOnTheOwnersOrderAndAbbruchStays) {
    OpenAddresses(3);
    server_->GoTo(5);
    DlgSeek seek(window_.get(), "dtaAdressen");
    EXPECT_EQ(seek.LstIndex->CurrentItem(), "nach Postleitzahlen");
    EXPECT_TRUE(SendMessageW(seek.Handle(), WM_GETICON, ICON_BIG, 0));  // the application's
    seek.PshAbbruch();
    EXPECT_EQ(server_->RecNo(), 5u);

    DlgSeek insurer(window_.get(), "dtaGesell");
    EXPECT_EQ(insurer.IndexCaptions(), std::vector<std::string>{"nach Gesellschaften"});
    EXPECT_FALSE(insurer.PshVolltextButton->IsEnabled());
    EXPECT_EQ(insurer.LstIndex->CurrentItemNo(), 1);  // order 3 is beyond its list
}

TEST_F(Dialogs, ContractSearchOneHitMovesToTheCustomerManyShowAHundred) {
    OpenAddresses(1);
    WriteContracts(dir_);
    GetSetGlobal(Symbol("PATH2"), Usual(dir_.Folder()));
    {
        DlgSeek seek(window_.get(), "tabVertraege");
        seek.SleSuchbegriff->TextValue("11");
        seek.PshSuchen();  // one contract: no list
        EXPECT_EQ(CurrentNr(), "100004");
    }
    {
        DlgSeek seek(window_.get(), "tabVertraege");
        seek.SleSuchbegriff->TextValue("47-");
        std::vector<std::string> shown;
        WhenShown choose(L"Mehrfachauswahl", Choose(2, &shown));
        seek.PshSuchen();
        ASSERT_TRUE(choose.Done());
        EXPECT_EQ(shown.size(), 100u);
        EXPECT_EQ(shown[1], "100005  Schmidt                    47-0001");
        EXPECT_EQ(CurrentNr(), "100005");
    }
    {
        DlgSeek seek(window_.get(), "tabVertraege");
        seek.SleSuchbegriff->TextValue("99");
        server_->GoTo(3);
        seek.PshSuchen();
        EXPECT_EQ(presenter_.boxes.back().second, "nicht gefunden!");
    }
}

TEST_F(Dialogs, ContractSearchOnTheContractTableMovesToTheContract) {
    WriteContracts(dir_);
    auto contracts = std::make_shared<DBServer>(dir_.File("Vertrag.dbf"));
    DataWindow browse(nullptr);
    browse.Server(contracts);
    DlgSeek seek(&browse, "tabVertraege");
    seek.ContractsOwnTable(true);
    seek.LstIndex->CurrentItemNo(2);
    seek.SleSuchbegriff->TextValue("K-XY 12");
    WhenShown choose(L"Mehrfachauswahl", Choose(3));  // K-XY 12, 120, 121, ...
    seek.PshSuchen();
    EXPECT_TRUE(choose.Done());
    EXPECT_EQ(Trim(contracts->FieldGet(Symbol("ORT_S_FZKZ")).AsString()), "K-XY 121");
}

TEST_F(Dialogs, FullTextSearchChoosesAnAddressAndClosesTheRecordSearch) {
    OpenAddresses(2);
    DlgSeek seek(window_.get(), "dtaAdressen");
    seek.SleSuchbegriff->TextValue("MÜLLER");
    WhenShown fullText(L"Volltextsuche in: Vorname/Firma1 und Nachname/Firma2",
                       [](HWND d) { PostClick(d, ID_SEEK2_PSHSUCHEN); });
    std::vector<std::string> shown;
    WhenShown choose(L"Mehrfachauswahl", Choose(2, &shown));
    seek.PshVolltext();
    EXPECT_TRUE(fullText.Done() && choose.Done());
    ASSERT_EQ(shown.size(), 2u);  // Müller and Kleinmüller KG, in table order
    EXPECT_EQ(shown[0].substr(0, 6), "100002");
    EXPECT_EQ(CurrentNr(), "100006");
    EXPECT_EQ(server_->IndexOrd(), 1);
    EXPECT_FALSE(seek.IsAlive()) << "the record search ends with the full-text search";
}

TEST_F(Dialogs, FullTextMissStaysOpenAndAbbruchGoesBack) {
    OpenAddresses(0);
    server_->GoTo(3);
    DlgSeek2 fullText(window_.get(), server_.get(), "NIEMAND");
    EXPECT_TRUE(fullText.RdbGesamt->Pressed());
    fullText.PshSuchen();
    ASSERT_EQ(presenter_.boxes.size(), 1u);
    EXPECT_EQ(presenter_.boxes[0].second, "Keinen Eintrag gefunden!");
    EXPECT_TRUE(fullText.IsAlive());
    EXPECT_TRUE(server_->EoF());
    // From the end, the rest of the table holds nothing.
    fullText.SleSuchbegriff->TextValue("MÜLLER");
    fullText.RdbGesamt->Pressed(false);
    fullText.RdbRest->Pressed(true);
    fullText.PshSuchen();
    EXPECT_EQ(presenter_.boxes.size(), 2u);
    fullText.PshAbbruch();
    EXPECT_EQ(server_->RecNo(), 3u);
}

// A client that counts what its server tells it.
struct CountingClient : DataClient {
    int heard = 0;
    void Notify(int code, const Usual&) override { heard += code == kProbe ? 1 : 0; }
    static constexpr int kProbe = 0x4B50;  // a code no window acts on
};

// Runs a search whose table read fails while the server's notifications are
// held back (a filter that raises an error, which the error block answers
// with "break", as the error box does), then checks that the server still
// tells its clients.
void ExpectNotificationsAfterAFailedSearch(DBServer& server, const std::function<void()>& search) {
    CountingClient probe;
    server.RegisterClient(&probe);
    bool failed = false;
    server.SetFilter([&](DBServer& db) {
        const int before = probe.heard;
        db.Notify(CountingClient::kProbe);
        if (probe.heard == before && !failed) {
            failed = true;
            auto err = std::make_shared<Error>();
            err->Description = "Lesefehler";
            Raise(err);
        }
        return true;
    });
    auto old = ErrorBlock([](std::shared_ptr<Error>) -> Usual { Break(Usual()); });
    const bool completed = BeginSequence(search);
    ErrorBlock(old);
    server.ClearFilter();
    EXPECT_TRUE(failed && !completed) << "the search should have been broken off";
    const int before = probe.heard;
    server.Notify(CountingClient::kProbe);
    server.UnRegisterClient(&probe);
    EXPECT_EQ(probe.heard, before + 1) << "the server stays silent after the failed search";
}

TEST_F(Dialogs, AFailedSearchLeavesTheServersNotificationsOn) {
    OpenAddresses(2);
    {
        DlgSeek seek(window_.get(), "dtaAdressen");
        seek.SleSuchbegriff->TextValue("MÜ");
        ExpectNotificationsAfterAFailedSearch(*server_, [&] { seek.PshSuchen(); });
    }
    {
        DlgSeek2 fullText(window_.get(), server_.get(), "MÜLLER");
        ExpectNotificationsAfterAFailedSearch(*server_, [&] { fullText.PshSuchen(); });
    }
}

// ---------------------------------------------------------------- folder browser

TEST_F(Dialogs, FolderBrowserCancelKeepsTheResultsAndSetsItsCaption) {
    DateiOrdner browser(static_cast<const Window*>(nullptr));
    EXPECT_EQ(browser.StartFolder, DateiOrdner::kDrives);
    browser.Caption = "Datenpfad wählen";
    browser.Help = "Bitte den Ordner der Daten wählen";
    std::wstring seen;
    WhenShown cancel(L"Datenpfad wählen", [&](HWND d) {
        seen = L"yes";
        PostClick(d, IDCANCEL);
    });
    browser.Show();
    EXPECT_TRUE(cancel.Done()) << "the caption was not set";
    EXPECT_EQ(browser.Folder(), "");
    EXPECT_EQ(browser.Path(), "");
}

TEST_F(Dialogs, FolderBrowserFlagsAndUnknownRoots) {
    DateiOrdner browser(static_cast<HWND>(nullptr));
    EXPECT_TRUE(browser.WantPrinters(true));
    EXPECT_EQ(browser.StartFolder, DateiOrdner::kPrinterFolder);
    EXPECT_EQ(browser.BIFlags, DateiOrdner::kPrinters);
    EXPECT_FALSE(browser.WantPrinters(false));
    EXPECT_EQ(browser.StartFolder, DateiOrdner::kDesktop);
    EXPECT_TRUE(browser.WantFolders(true));
    EXPECT_TRUE(browser.WantFolders());
    EXPECT_FALSE(browser.WantComputers());

    // A root the shell does not know shows nothing.
    browser.StartFolder = 0x7777;
    const auto t0 = std::chrono::steady_clock::now();
    browser.Browse();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
    EXPECT_EQ(browser.Path(), "");
}

TEST_F(Dialogs, FolderBrowserChosenFolderGivesItsPath) {
    DateiOrdner browser(static_cast<HWND>(nullptr), DateiOrdner::kDesktop);
    browser.Caption = "Ordner";
    WhenShown ok(L"Ordner", [](HWND d) { PostClick(d, IDOK); });
    browser.Show();
    ASSERT_TRUE(ok.Done());
    // The desktop itself is chosen: a folder of the file system.
    EXPECT_FALSE(browser.Folder().empty());
    EXPECT_FALSE(browser.Path().empty());
}

}  // namespace
}  // namespace kp
