// The shell's service items in-process: the reorganisation of the tables
// (packed copies replace the old files only when complete) and the
// settings dialog's data path.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "config/IniFile.h"
#include "platform/data/dbf.h"
#include "platform/data/dbserver.h"
#include "platform/gui/boxes.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/utf8.h"
#include "shell/Reorganisation.h"
#include "shell/ShellDialogs.h"

namespace kp {
namespace {

namespace fs = std::filesystem;

class Folder {
  public:
    Folder() {
        std::random_device rd;
        path_ = fs::temp_directory_path() / ("kp_reorg_" + std::to_string(rd()));
        fs::create_directories(path_);
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string Dir() const { return WideToUtf8(path_.wstring()) + "\\"; }
    std::string Bytes(const std::string& name) const {
        std::ifstream f(path_ / Utf8ToWide(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(path_))
            names.push_back(WideToUtf8(e.path().filename().wstring()));
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    fs::path path_;
};

const std::vector<ReorgTable> kTables{
    {"Adressen.dbf", {{"Adressnr.ntx", "ADRESSNR"}, {"Adrename.ntx", "UPPER(NNAME+VNAME)"}}},
};

// Adressen.dbf with a memo, n records, every third one deleted, and its
// two indexes.
void WriteAddresses(const Folder& f, int n) {
    const std::string path = f.Dir() + "Adressen.dbf";
    Table::Create(path,
                  {{"ADRESSNR", 'C', 6, 0},
                   {"VNAME", 'C', 30, 0},
                   {"NNAME", 'C', 30, 0},
                   {"NOTIZ", 'M', 10, 0}},
                  850);
    DBServer db(path);
    for (int i = 1; i <= n; ++i) {
        db.Append();
        db.FieldPut(Symbol("ADRESSNR"), Usual(std::to_string(100000 + i)));
        db.FieldPut(Symbol("VNAME"), Usual(std::string("Jörg")));
        db.FieldPut(Symbol("NNAME"), Usual("Müller " + std::to_string(n - i)));
        db.FieldPut(Symbol("NOTIZ"), Usual("Notiz Nr. " + std::to_string(i)));
    }
    db.Commit();
    for (int i = 3; i <= n; i += 3) {
        db.GoTo(static_cast<uint32_t>(i));
        db.Delete();
    }
    db.Commit();
    int deleted = 0;
    for (db.GoTop(); !db.EoF(); db.Skip(1))
        deleted += db.Deleted() ? 1 : 0;
    EXPECT_EQ(deleted, n / 3);
    db.CreateIndex(f.Dir() + "Adressnr.ntx", "ADRESSNR");
    db.CreateIndex(f.Dir() + "Adrename.ntx", "UPPER(NNAME+VNAME)");
    db.Close();
}

class Reorg : public ::testing::Test {
  protected:
    void SetUp() override {
        SetExclusive(false);
        SetDeleted(false);
        SetAnsi(false);
    }
    Folder folder_;
};

TEST_F(Reorg, PacksTheTableAndBuildsItsIndexesAnew) {
    WriteAddresses(folder_, 30);
    const ReorgOutcome out = Reorganise(folder_.Dir(), kTables, {});
    EXPECT_TRUE(out.error.empty()) << out.error;
    EXPECT_EQ(out.tablesDone, 1);
    EXPECT_EQ(out.recordsDropped, 10u);
    EXPECT_EQ(folder_.Files(), (std::vector<std::string>{"Adrename.ntx", "Adressen.dbf",
                                                         "Adressen.dbt", "Adressnr.ntx"}));

    DBServer db(folder_.Dir() + "Adressen.dbf");
    EXPECT_EQ(db.RecCount(), 20u);
    db.SetIndex(folder_.Dir() + "Adressnr.ntx");
    db.SetIndex(folder_.Dir() + "Adrename.ntx");
    db.SetOrder(1);
    ASSERT_TRUE(db.Seek(Usual(std::string("100029"))));
    EXPECT_EQ(Trim(db.FieldGet(Symbol("NOTIZ")).AsString()), "Notiz Nr. 29");
    EXPECT_FALSE(db.Seek(Usual(std::string("100030"))));  // deleted, gone
    db.SetOrder(2);
    ASSERT_TRUE(db.Seek(Usual(std::string("MÜLLER 1 "))));
    EXPECT_EQ(Trim(db.FieldGet(Symbol("ADRESSNR")).AsString()), "100029");
}

TEST_F(Reorg, CancelPartWayLeavesEveryFileAsItWas) {
    WriteAddresses(folder_, 600);
    const auto files = folder_.Files();
    std::vector<std::string> before;
    for (const auto& f : files)
        before.push_back(folder_.Bytes(f));
    int calls = 0;
    const ReorgOutcome out =
        Reorganise(folder_.Dir(), kTables, [&](const std::string&, uint32_t, uint32_t) {
            return ++calls < 2;  // stop in the middle of the copy
        });
    EXPECT_TRUE(out.cancelled) << out.error << " calls " << calls;
    EXPECT_EQ(out.tablesDone, 0);
    ASSERT_EQ(folder_.Files(), files) << "new files were left behind";
    for (size_t i = 0; i < files.size(); ++i)
        EXPECT_EQ(folder_.Bytes(files[i]), before[i]) << files[i];
}

TEST_F(Reorg, AFailureLeavesTheTableAndSkipsMissingTables) {
    WriteAddresses(folder_, 12);
    const std::string table = folder_.Bytes("Adressen.dbf");
    const std::vector<ReorgTable> broken{
        {"Fehlt.dbf", {}},
        {"Adressen.dbf", {{"Adressnr.ntx", "ADRESSNR"}, {"Adrename.ntx", "KEINFELD+1"}}}};
    const ReorgOutcome out = Reorganise(folder_.Dir(), broken, {});
    EXPECT_EQ(out.tablesSkipped, 1);
    EXPECT_FALSE(out.error.empty());
    EXPECT_EQ(out.failedTable, "Adressen.dbf");
    EXPECT_EQ(folder_.Bytes("Adressen.dbf"), table);
    EXPECT_EQ(folder_.Files().size(), 4u);
}

// ---------------------------------------------------------------- settings

class CountingPresenter : public Presenter {
  public:
    int ShowMessage(HWND, const std::string&, const std::string& text, UINT) override {
        texts.push_back(text);
        return BOXREPLYOKAY;
    }
    bool ShowFileDialog(FileDialogRequest&) override { return false; }
    std::vector<std::string> texts;
};

TEST(Einstellungen, OkWritesAChangedPathAbbruchAndMissingFoldersWriteNothing) {
    Folder folder;
    fs::create_directories(fs::path(Utf8ToWide(folder.Dir() + "Neu")));
    ShellSettings settings;
    settings.iniPath = folder.Dir() + "KpShell.ini";
    settings.dataPath = folder.Dir();
    settings.dataPath2 = folder.Dir();
    {
        std::ofstream ini(fs::path(Utf8ToWide(settings.iniPath)), std::ios::binary);
        ini << "[Pfade]\r\nDaten=\r\n";
    }
    const std::string original = folder.Bytes("KpShell.ini");
    CountingPresenter presenter;
    ScopedPresenter scoped(presenter);

    {
        DlgEinstellungen dlg(nullptr, settings);
        EXPECT_EQ(dlg.SleDatenpfad->TextValue(), folder.Dir());
        dlg.SleDatenpfad->TextValue("Neu");
        dlg.PshAbbruch();
    }
    EXPECT_EQ(folder.Bytes("KpShell.ini"), original);
    {
        DlgEinstellungen dlg(nullptr, settings);
        dlg.PshOK();  // unchanged: nothing written
        EXPECT_EQ(dlg.Result(), 1);
    }
    EXPECT_EQ(folder.Bytes("KpShell.ini"), original);
    {
        DlgEinstellungen dlg(nullptr, settings);
        dlg.SleDatenpfad->TextValue("Fehlt");
        dlg.PshOK();
        ASSERT_EQ(presenter.texts.size(), 1u);
        EXPECT_NE(presenter.texts[0].find("nicht vorhanden"), std::string::npos);
        EXPECT_TRUE(dlg.IsAlive());
    }
    EXPECT_EQ(folder.Bytes("KpShell.ini"), original);
    {
        DlgEinstellungen dlg(nullptr, settings);
        dlg.SleDatenpfad->TextValue("Neu");
        dlg.PshOK();
    }
    EXPECT_EQ(IniFile(settings.iniPath).GetString("Pfade", "Daten"), "Neu");
    EXPECT_EQ(settings.dataPath, folder.Dir() + "Neu\\");
    EXPECT_EQ(settings.dataPath2, folder.Dir() + "Neu\\");
}

}  // namespace
}  // namespace kp
