// The reorganisation on real folders: runs killed at random points of the
// swap and of the copy (a second process ends itself there), then the
// recovery at the next start; another program writing or holding a table
// in the moment before the swap; a failed undo; a data path without the
// tables; indexes of no listed table.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "platform/data/dbf.h"
#include "platform/data/dbserver.h"
#include "platform/data/osfile.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/utf8.h"
#include "shell/Reorganisation.h"
#include "tests/common/temp_folder.h"
#include "tests/data/proc.h"
#include "tests/reorg/reorg_check.h"
#include "tools/uidriver/format.h"
#include "tools/uidriver/uidriver.h"

namespace kp {
namespace {

namespace fs = std::filesystem;
using reorgtest::FolderFaults;
using reorgtest::LiveRecords;

// The suite with deletions, written once; each test works on a copy.
class ReorgFolder : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        SetExclusive(false);
        SetDeleted(false);
        SetAnsi(false);
        pristine_ = std::make_unique<test::TempFolder>("kp_reorg_suite_");
        reorgtest::WriteSuiteWithDeletions(pristine_->Folder(), 60, 11);
        live_ = std::make_unique<LiveRecords>(reorgtest::ReadLive(pristine_->Folder()));
    }
    static void TearDownTestSuite() {
        pristine_.reset();
        live_.reset();
    }
    void SetUp() override {
        SetExclusive(false);
        SetDeleted(false);
        SetAnsi(false);
    }
    // A fresh copy of the suite.
    std::string Copy() {
        runs_.push_back(std::make_unique<test::TempFolder>("kp_reorg_run_"));
        for (const auto& e : fs::directory_iterator(pristine_->Path()))
            fs::copy(e.path(), runs_.back()->Path() / e.path().filename(),
                     fs::copy_options::recursive);
        return runs_.back()->Folder();
    }
    static const LiveRecords& Live() { return *live_; }

    static std::unique_ptr<test::TempFolder> pristine_;
    static std::unique_ptr<LiveRecords> live_;
    std::vector<std::unique_ptr<test::TempFolder>> runs_;
};
std::unique_ptr<test::TempFolder> ReorgFolder::pristine_;
std::unique_ptr<LiveRecords> ReorgFolder::live_;

// ---------------------------------------------------------------- kills

class ReorgKilled : public ReorgFolder {
  protected:
    // Kills a run at `at` of `mode`, recovers as the next start does and
    // checks the folder; the folder goes to the independent reader.
    void KillAndRecover(const std::string& mode, long at, const std::string& handOver) {
        SCOPED_TRACE(mode + " " + std::to_string(at));
        const std::string dir = Copy();
        auto helper = test::Process::Start(
            "reorg_helper", {mode, dir.substr(0, dir.size() - 1), std::to_string(at)});
        ASSERT_TRUE(helper) << "reorg_helper did not start";
        const int code = helper->Wait();
        ASSERT_TRUE(code == 99 || code == 0) << "exit code " << code;

        const ReorgRecovery rec = RecoverReorganisation(dir, SuiteReorgTables());
        EXPECT_TRUE(rec.error.empty()) << rec.error;
        EXPECT_FALSE(rec.busy);
        const auto faults = FolderFaults(dir, Live());
        EXPECT_TRUE(faults.empty()) << reorgtest::Lines(faults);
        reorgtest::HandOver(
            dir, fs::path(uidriver::Widen(uidriver::ToWindowsPath(KP_REORG_OUT))) / handOver,
            Live());

        // And the folder reorganises as usual afterwards.
        const ReorgOutcome again = Reorganise(dir, SuiteReorgTables(), {});
        EXPECT_TRUE(again.error.empty()) << again.error;
        EXPECT_EQ(again.tablesDone, static_cast<int>(SuiteReorgTables().size()));
        const auto after = FolderFaults(dir, Live());
        EXPECT_TRUE(after.empty()) << reorgtest::Lines(after);
    }
};

TEST_F(ReorgKilled, AtRandomStepsOfTheSwapAndOfTheCopyTheNextStartLeavesWholeTables) {
    // A run to the end first: how many steps there are, and where the two
    // moments the users met fall.
    std::vector<std::string> steps;
    long reports = 0;
    const std::string dir = Copy();
    const ReorgOutcome whole = Reorganise(
        dir, SuiteReorgTables(),
        [&](const std::string&, uint32_t, uint32_t) { return ++reports > 0; },
        [&](const std::string& step) { steps.push_back(step); });
    ASSERT_TRUE(whole.error.empty()) << whole.error;
    const auto faults = FolderFaults(dir, Live());
    ASSERT_TRUE(faults.empty()) << reorgtest::Lines(faults);
    auto stepOf = [&](const std::string& step) {
        for (size_t i = 0; i < steps.size(); ++i)
            if (steps[i] == step)
                return static_cast<long>(i + 1);
        ADD_FAILURE() << "no step " << step;
        return 1L;
    };

    // KP_REORG_SEED repeats the kill points of an earlier run.
    const char* given = std::getenv("KP_REORG_SEED");
    const unsigned seed = given && *given ? static_cast<unsigned>(std::strtoul(given, nullptr, 10))
                                          : std::random_device{}();
    std::printf("kill points from seed %u (KP_REORG_SEED) (%zu swap steps, %ld progress reports)\n",
                seed, steps.size(), reports);
    std::mt19937 rng(seed);
    std::vector<std::pair<std::string, long>> kills{
        {"step", stepOf("rename Vertrag~.DBF -> Vertrag.DBF")},
        {"step", stepOf("rename Adressnr~.ntx -> Adressnr.ntx")},
        {"step", stepOf("journal: forward")},
    };
    for (int i = 0; i < 5; ++i)
        kills.push_back({"step", 1 + static_cast<long>(rng() % steps.size())});
    for (int i = 0; i < 2; ++i)
        kills.push_back(
            {"progress", 1 + static_cast<long>(rng() % static_cast<unsigned>(reports))});
    for (size_t i = 0; i < kills.size(); ++i) {
        std::printf("  %s %ld: %s\n", kills[i].first.c_str(), kills[i].second,
                    kills[i].first == "step"
                        ? steps[static_cast<size_t>(kills[i].second - 1)].c_str()
                        : "");
        KillAndRecover(kills[i].first, kills[i].second, "kill" + std::to_string(i));
    }
}

// ---------------------------------------------------------------- in one process

// Stands for a killed process in-process: thrown from the swap's hook, it
// leaves the files as they are.
struct Abandoned {};

TEST_F(ReorgFolder, AHalfDoneSwapIsSettledByTheNextReorganisation) {
    const std::string dir = Copy();
    EXPECT_THROW(Reorganise(dir, SuiteReorgTables(), {},
                            [](const std::string& step) {
                                if (step == "rename Vertrag~.DBF -> Vertrag.DBF")
                                    throw Abandoned{};
                            }),
                 Abandoned);
    EXPECT_FALSE(OsFile::Exists(dir + "Vertrag.DBF"));  // the moment the users met
    const ReorgOutcome out = Reorganise(dir, SuiteReorgTables(), {});
    EXPECT_TRUE(out.error.empty()) << out.error;
    EXPECT_EQ(out.tablesDone, static_cast<int>(SuiteReorgTables().size()));
    const std::string told = OutcomeMessage(out).text;
    EXPECT_NE(told.find("unterbrochene Reorganisation von „Vertrag.DBF“ wurde zu Ende geführt"),
              std::string::npos)
        << told;
    const auto faults = FolderFaults(dir, Live());
    EXPECT_TRUE(faults.empty()) << reorgtest::Lines(faults);
}

TEST_F(ReorgFolder, AWriteOfAnotherProgramBeforeTheSwapIsKeptAndTheTableLeftAsItWas) {
    const std::string dir = Copy();
    std::string changedName;
    const ReorgOutcome out = Reorganise(dir, {{"Adressen.dbf", {{"Adressnr.ntx", "ADRESSNR"}}}}, {},
                                        [&](const std::string& step) {
                                            if (step != "write journal")
                                                return;
                                            // The old table is closed now; another workstation
                                            // changes a record.
                                            DBServer db(dir + "Adressen.dbf");
                                            db.GoTo(1);
                                            changedName = "Geändert";
                                            db.FieldPut(Symbol("NNAME"), Usual(changedName));
                                            db.Close();
                                        });
    EXPECT_EQ(out.failedTable, "Adressen.dbf");
    EXPECT_NE(out.error.find("anderes Programm"), std::string::npos) << out.error;
    EXPECT_TRUE(out.unchanged);
    EXPECT_NE(OutcomeMessage(out).text.find("unverändert"), std::string::npos);
    DBServer db(dir + "Adressen.dbf");
    db.GoTo(1);
    EXPECT_EQ(db.FieldGet(Symbol("NNAME")).AsString().substr(0, changedName.size()), changedName);
    EXPECT_EQ(db.RecCount(), Table::Open(pristine_->Folder() + "Adressen.dbf", {})->Count())
        << "the table was packed over the other program's change";
}

TEST_F(ReorgFolder, ATableAnotherProgramHoldsOpenIsNotSwappedAndStaysWhole) {
    const std::string dir = Copy();
    std::unique_ptr<DBServer> other;
    const ReorgOutcome out = Reorganise(dir, SuiteReorgTables(), {}, [&](const std::string& step) {
        if (step == "write journal" && !other)
            other = std::make_unique<DBServer>(dir + "Adressen.dbf");
    });
    other.reset();
    EXPECT_EQ(out.failedTable, "Adressen.dbf");
    EXPECT_FALSE(out.error.empty());
    EXPECT_TRUE(out.unchanged) << out.error;
    const auto faults = FolderFaults(dir, Live());
    EXPECT_TRUE(faults.empty()) << reorgtest::Lines(faults);
}

TEST_F(ReorgFolder, AnUndoThatFailsIsToldAndFinishedByTheNextStart) {
    const std::string dir = Copy();
    std::unique_ptr<OsFile> index, aside;
    const ReorgOutcome out = Reorganise(dir, SuiteReorgTables(), {}, [&](const std::string& step) {
        if (step != "rename Adrename.ntx -> Adrename.ntx.alt" || index)
            return;
        // Another program holds an index (its move fails) and, as it
        // happens, the table's old file (so it cannot move back).
        uint32_t os = 0;
        index = OsFile::Open(dir + "Adrename.ntx", OsFile::Share::Shared, OsFile::Access::ReadOnly,
                             &os);
        aside = OsFile::Open(dir + "Adressen.dbf.alt", OsFile::Share::Shared,
                             OsFile::Access::ReadOnly, &os);
    });
    ASSERT_TRUE(index && aside);
    EXPECT_EQ(out.failedTable, "Adressen.dbf");
    EXPECT_FALSE(out.unchanged) << out.error;
    const std::string told = OutcomeMessage(out).text;
    EXPECT_EQ(told.find("unverändert"), std::string::npos) << told;
    EXPECT_NE(told.find("Adressen.dbf.alt"), std::string::npos) << told;
    EXPECT_TRUE(OsFile::Exists(JournalPath(dir)));

    index.reset();
    aside.reset();
    const ReorgRecovery rec = RecoverReorganisation(dir, SuiteReorgTables());
    EXPECT_TRUE(rec.error.empty()) << rec.error;
    EXPECT_EQ(rec.done, SwapDecision::Back);
    EXPECT_NE(RecoveryMessage(rec).find("rückgängig"), std::string::npos);
    const auto faults = FolderFaults(dir, Live());
    EXPECT_TRUE(faults.empty()) << reorgtest::Lines(faults);
}

const ReorgTable& VertragTable();

TEST_F(ReorgFolder, AnUndoWhoseForwardLineWasWrittenAfterAllIsNotFinishedForward) {
    const std::string dir = Copy();
    std::unique_ptr<OsFile> journal;
    EXPECT_THROW(Reorganise(dir, {VertragTable()}, {},
                            [&](const std::string& step) {
                                if (step == "journal: forward" && !journal) {
                                    // The line reaches the file, yet writing it is
                                    // told to have failed (the journal is held).
                                    std::ofstream(fs::path(Utf8ToWide(JournalPath(dir))),
                                                  std::ios::binary | std::ios::app)
                                        << DecisionLine(SwapDecision::Forward);
                                    uint32_t os = 0;
                                    journal =
                                        OsFile::Open(JournalPath(dir), OsFile::Share::Exclusive,
                                                     OsFile::Access::ReadOnly, &os);
                                    ASSERT_TRUE(journal);
                                }
                                // Killed while the undo clears the new copies.
                                if (step == "remove Vertrag~.DBF" && journal) {
                                    journal.reset();
                                    throw Abandoned{};
                                }
                            }),
                 Abandoned);
    const ReorgRecovery rec = RecoverReorganisation(dir, SuiteReorgTables());
    EXPECT_TRUE(rec.error.empty()) << rec.error;
    EXPECT_EQ(rec.done, SwapDecision::Back);
    const auto faults = FolderFaults(dir, Live());
    EXPECT_TRUE(faults.empty()) << reorgtest::Lines(faults);
}

TEST_F(ReorgFolder, ADataPathWithoutTheTablesIsNoSuccess) {
    test::TempFolder empty("kp_reorg_empty_");
    for (const std::string& dir : {empty.Folder(), empty.Folder() + "fehlt\\"}) {
        const ReorgOutcome out = Reorganise(dir, SuiteReorgTables(), {});
        EXPECT_FALSE(out.error.empty()) << dir;
        const ReorgMessage told = OutcomeMessage(out);
        EXPECT_TRUE(told.warning);
        EXPECT_EQ(told.text.find("erfolgreich"), std::string::npos) << told.text;
        EXPECT_NE(told.text.find("keine der Tabellen"), std::string::npos) << told.text;
    }
}

TEST_F(ReorgFolder, AMissingTableIsNamedWithTheOldCopyBesideIt) {
    // As a run without a journal left it: the table moved aside, never back.
    const std::string dir = Copy();
    ASSERT_TRUE(OsFile::Replace(dir + "Vertrag.DBF", dir + "Vertrag.DBF.alt", nullptr));
    const ReorgOutcome out = Reorganise(dir, SuiteReorgTables(), {});
    EXPECT_EQ(out.tablesSkipped, 1);
    const ReorgMessage msg = OutcomeMessage(out);
    const std::string& told = msg.text;
    EXPECT_NE(
        told.find("Nicht im Datenpfad vorhanden: Vertrag.DBF (Vertrag.DBF.alt ist vorhanden)"),
        std::string::npos)
        << told;
    EXPECT_TRUE(msg.warning);
    EXPECT_EQ(told.find("erfolgreich"), std::string::npos) << told;
    EXPECT_NE(told.find("umbenennen"), std::string::npos) << told;
}

const ReorgTable& VertragTable() {
    for (const ReorgTable& t : SuiteReorgTables())
        if (t.file == "Vertrag.DBF")
            return t;
    throw std::logic_error("no Vertrag.DBF");
}

// Writes `text` as the whole file dir + name.
void WriteFile(const std::string& dir, const std::string& name, const std::string& text) {
    std::ofstream(fs::path(Utf8ToWide(dir + name)), std::ios::binary) << text;
}

TEST_F(ReorgFolder, AnOldCopyOfAnEarlierRunBesideTheLiveTableGoesBeforeTheSwap) {
    const std::string dir = Copy();
    // Copied back by hand instead of renamed: an older generation.
    WriteFile(dir, "Vertrag.DBF.alt", "eine ältere Fassung");
    WriteFile(dir, "Vertrag5.ntx.alt", "eine ältere Fassung");
    std::unique_ptr<DBServer> other;
    // The table's move aside fails (another workstation holds it): the
    // undo must leave the live table, not the old copy, in place.
    const ReorgOutcome held = Reorganise(dir, {VertragTable()}, {}, [&](const std::string& step) {
        if (step == "write journal" && !other)
            other = std::make_unique<DBServer>(dir + "Vertrag.DBF");
    });
    other.reset();
    EXPECT_EQ(held.failedTable, "Vertrag.DBF");
    EXPECT_TRUE(held.unchanged) << held.error;
    EXPECT_FALSE(OsFile::Exists(dir + "Vertrag.DBF.alt"));
    EXPECT_FALSE(OsFile::Exists(dir + "Vertrag5.ntx.alt"));
    const auto faults = FolderFaults(dir, Live());
    EXPECT_TRUE(faults.empty()) << reorgtest::Lines(faults);
}

TEST_F(ReorgFolder, AnOldCopyWithoutItsLiveFileStopsTheRunAndIsKept) {
    const std::string dir = Copy();
    // An index the table does not have: the copy may be the only one left.
    WriteFile(dir, "Vertrag6.ntx.alt", "vielleicht die einzige Fassung");
    fs::remove(fs::path(Utf8ToWide(dir + "Vertrag6.ntx")));
    const ReorgOutcome out = Reorganise(dir, {VertragTable()}, {});
    EXPECT_EQ(out.failedTable, "Vertrag.DBF");
    EXPECT_TRUE(out.unchanged);
    EXPECT_NE(out.error.find("Vertrag6.ntx.alt"), std::string::npos) << out.error;
    EXPECT_TRUE(OsFile::Exists(dir + "Vertrag6.ntx.alt"));
    EXPECT_FALSE(OsFile::Exists(dir + "Vertrag6.ntx"));
    EXPECT_FALSE(OsFile::Exists(JournalPath(dir)));
}

TEST_F(ReorgFolder, AJournalThatCannotBeSettledForWantOfTheLockIsTold) {
    const std::string dir = Copy();
    WriteFile(dir, "KpReorg.jnl", "KONTORPLUS Reorganisation 1\n");
    // Not another workstation: the lock file cannot be made at all.
    fs::create_directory(fs::path(Utf8ToWide(dir + "KpReorg.lck")));
    const ReorgRecovery rec = RecoverReorganisation(dir, SuiteReorgTables());
    EXPECT_FALSE(rec.busy);
    const std::string told = RecoveryMessage(rec);
    EXPECT_NE(told.find("KpReorg.lck"), std::string::npos) << told;
    fs::remove(fs::path(Utf8ToWide(dir + "KpReorg.lck")));
    EXPECT_TRUE(RecoveryMessage(RecoverReorganisation(dir, SuiteReorgTables())).empty());
}

TEST_F(ReorgFolder, IndexesOfNoListedTableAreNamedWhenTheirTableWasPacked) {
    const std::string dir = Copy();
    {
        DBServer db(dir + "Adressen.dbf");
        db.CreateIndex(dir + "Adrfremd.ntx", "UPPER(ORT)");
        db.Close();
        DBServer dat(dir + "DatWV.dbf");
        dat.CreateIndex(dir + "Tagfremd.ntx", "DTOS(TAG)");
        dat.Close();
    }
    // Only Adressen.dbf is reorganised: DatWV.dbf keeps its record numbers.
    const ReorgOutcome out = Reorganise(dir, {SuiteReorgTables()[1]}, {});
    ASSERT_EQ(SuiteReorgTables()[1].file, "Adressen.dbf");
    EXPECT_TRUE(out.error.empty()) << out.error;
    EXPECT_EQ(out.staleIndexes, std::vector<std::string>{"Adrfremd.ntx"});
    const ReorgMessage told = OutcomeMessage(out);
    EXPECT_TRUE(told.warning);
    EXPECT_NE(told.text.find("erfolgreich"), std::string::npos) << told.text;
    EXPECT_NE(told.text.find("Adrfremd.ntx"), std::string::npos) << told.text;
}

TEST_F(ReorgFolder, ASecondWorkstationNeitherReorganisesNorRecoversMeanwhile) {
    const std::string dir = Copy();
    {
        // A swap under way elsewhere: its journal must not be touched.
        ReorgLock elsewhere(dir);
        ASSERT_TRUE(elsewhere.Held());
        std::ofstream(fs::path(Utf8ToWide(JournalPath(dir))), std::ios::binary)
            << "KONTORPLUS Reorganisation 1\n";
        const ReorgOutcome out = Reorganise(dir, SuiteReorgTables(), {});
        EXPECT_NE(out.error.find("anderen Arbeitsplatz"), std::string::npos) << out.error;
        EXPECT_TRUE(RecoverReorganisation(dir, SuiteReorgTables()).busy);
        EXPECT_TRUE(OsFile::Exists(JournalPath(dir)));
    }
    // Its holder gone, the cut-off journal is cleared.
    const ReorgRecovery rec = RecoverReorganisation(dir, SuiteReorgTables());
    EXPECT_TRUE(rec.error.empty());
    EXPECT_TRUE(RecoveryMessage(rec).empty());
    const auto faults = FolderFaults(dir, Live());
    EXPECT_TRUE(faults.empty()) << reorgtest::Lines(faults);
}

}  // namespace
}  // namespace kp
