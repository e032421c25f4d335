// The rules of the journaled swap, on a model of the data folder: from every
// point at which a run can be killed, recovery reaches one whole generation,
// and no moment shows a table beside a memo or an index of the other one.
#include <gtest/gtest.h>

#include <map>

#include "shell/ReorgSwap.h"

namespace kp {
namespace {

// File name -> generation ('O' old, 'N' new).
using Folder = std::map<std::string, char>;

const SwapJournal kJournal{"Adressen.dbf",
                           {{"Adressen~.dbf", "Adressen.dbf", true},
                            {"Adressen~.dbt", "Adressen.dbt", true},
                            {"Adressnr~.ntx", "Adressnr.ntx", true},
                            {"Adrneu~.ntx", "Adrneu.ntx", false}},
                           SwapDecision::Undecided};

Folder Start() {
    Folder f;
    for (const SwapFile& s : kJournal.files) {
        if (s.hadOld)
            f[s.final] = 'O';
        f[s.fresh] = 'N';
    }
    f["Adressnr~.ntx.srt"] = 'N';  // scratch of the index builder
    f["Vertrag.DBF"] = 'O';        // another table: never touched
    return f;
}

void Apply(Folder& f, const FsStep& s) {
    ASSERT_TRUE(f.count(s.from)) << Describe(s) << ": no such file";
    if (s.op == FsStep::Op::Rename)
        f[s.to] = f[s.from];
    f.erase(s.from);
}

FilePresent In(const Folder& f) {
    return [&f](const std::string& name) { return f.count(name) > 0; };
}

// While the table can be opened, its memo and indexes are of its generation.
void ExpectNoMix(const Folder& f, const std::string& when) {
    const auto table = f.find("Adressen.dbf");
    if (table == f.end())
        return;
    for (const SwapFile& s : kJournal.files) {
        const auto file = f.find(s.final);
        if (s.hadOld || table->second == 'N') {
            ASSERT_NE(file, f.end()) << when << ": the table is there without " << s.final;
        }
        if (file != f.end()) {
            EXPECT_EQ(file->second, table->second) << when << ": " << s.final;
        }
    }
}

void ExpectWhole(const Folder& f, char generation, const std::string& when) {
    Folder want{{"Vertrag.DBF", 'O'}};
    for (const SwapFile& s : kJournal.files)
        if (s.hadOld || generation == 'N')
            want[s.final] = generation;
    EXPECT_EQ(f, want) << when;
}

// The swap as a run does it: the table aside first, the other old files,
// the decision, then the new files in (the table last) and the old removed.
struct SwapSteps {
    std::vector<FsStep> steps;
    size_t decided = 0;  // steps done before the forward line is written
};
SwapSteps SwapRun() {
    SwapSteps run;
    Folder f = Start();
    for (const SwapFile& s : kJournal.files)
        if (s.hadOld)
            run.steps.push_back({FsStep::Op::Rename, s.final, AsideName(s.final)});
    for (const FsStep& s : run.steps)
        Apply(f, s);
    run.decided = run.steps.size();
    for (const FsStep& s : ForwardSteps(kJournal, In(f)))
        run.steps.push_back(s);
    return run;
}

// Recovery from f with the journal's decision, cut off after each of its
// steps and run again: every time the same whole generation.
void ExpectRecovers(const Folder& at, SwapDecision decision, const std::string& when) {
    SwapJournal j = kJournal;
    j.decision = decision;
    auto plan = [&](const Folder& f) {
        return decision == SwapDecision::Forward ? ForwardSteps(j, In(f)) : BackSteps(j, In(f));
    };
    const char generation = decision == SwapDecision::Forward ? 'N' : 'O';
    const std::vector<FsStep> steps = plan(at);
    for (size_t cut = 0; cut <= steps.size(); ++cut) {
        Folder f = at;
        for (size_t i = 0; i < cut; ++i) {
            Apply(f, steps[i]);
            ExpectNoMix(f, when + ", recovery step " + std::to_string(i));
        }
        for (const FsStep& s : plan(f)) {
            Apply(f, s);
            ExpectNoMix(f, when + ", recovery again");
        }
        // What the index builder left is cleared by the recovery's clean-up
        // of scratch names (not part of the swap's steps).
        for (const std::string& name : ScratchNames(j))
            f.erase(name);
        ExpectWhole(f, generation, when + ", recovery cut after " + std::to_string(cut));
    }
}

TEST(ReorgSwapRules, EveryPointOfTheSwapRecoversToOneWholeGeneration) {
    const SwapSteps run = SwapRun();
    ASSERT_EQ(run.steps.back().op, FsStep::Op::Remove);
    Folder f = Start();
    bool tableIn = false;
    for (size_t k = 0; k <= run.steps.size(); ++k) {
        const std::string when = "killed after " + std::to_string(k) + " steps";
        ExpectNoMix(f, when);
        if (k >= run.decided)
            ExpectRecovers(f, SwapDecision::Forward, when);
        // Undoing stays possible until the new table is in place.
        if (!tableIn)
            ExpectRecovers(f, SwapDecision::Back, when);
        if (k < run.steps.size()) {
            Apply(f, run.steps[k]);
            tableIn = tableIn || (run.steps[k].to == "Adressen.dbf");
        }
    }
    EXPECT_TRUE(tableIn);
}

TEST(ReorgSwapRules, TheTableMovesAsideFirstAndInLast) {
    const SwapSteps run = SwapRun();
    EXPECT_EQ(run.steps.front(), (FsStep{FsStep::Op::Rename, "Adressen.dbf", "Adressen.dbf.alt"}));
    size_t lastRename = 0;
    for (size_t i = 0; i < run.steps.size(); ++i)
        if (run.steps[i].op == FsStep::Op::Rename)
            lastRename = i;
    EXPECT_EQ(run.steps[lastRename], (FsStep{FsStep::Op::Rename, "Adressen~.dbf", "Adressen.dbf"}));
}

TEST(ReorgSwapJournal, ReadsBackAndACutOffJournalOrDecisionDoesNotCount) {
    SwapJournal j = kJournal;
    const std::string text = JournalText(j);
    const std::string forward = text + DecisionLine(SwapDecision::Forward);
    const std::string back = forward + DecisionLine(SwapDecision::Back);

    const auto read = ParseJournal(back);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->table, "Adressen.dbf");
    ASSERT_EQ(read->files.size(), kJournal.files.size());
    for (size_t i = 0; i < j.files.size(); ++i) {
        EXPECT_EQ(read->files[i].fresh, j.files[i].fresh);
        EXPECT_EQ(read->files[i].final, j.files[i].final);
        EXPECT_EQ(read->files[i].hadOld, j.files[i].hadOld);
    }
    EXPECT_EQ(read->decision, SwapDecision::Back);

    // A power loss can cut the file anywhere.
    for (size_t cut = 0; cut < back.size(); ++cut) {
        const auto part = ParseJournal(std::string_view(back).substr(0, cut));
        if (cut < text.size()) {
            EXPECT_FALSE(part) << "cut at " << cut;
            continue;
        }
        ASSERT_TRUE(part) << "cut at " << cut;
        const SwapDecision want =
            cut < forward.size() ? SwapDecision::Undecided : SwapDecision::Forward;
        EXPECT_EQ(part->decision, want) << "cut at " << cut;
    }
    EXPECT_FALSE(ParseJournal("anything else\nTABELLE\tA.dbf\nENDE\n"));
    EXPECT_FALSE(
        ParseJournal("KONTORPLUS Reorganisation 1\nTABELLE\tA.dbf\nDATEI\t2\ta\tb\nENDE\n"));
}

}  // namespace
}  // namespace kp
