// The rules of the journaled swap, on a model of the data folder: from every
// point at which a run can be killed, recovery reaches one whole generation,
// and no moment shows a table beside a memo or an index of the other one.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "shell/ReorgSwap.h"

namespace kp {
namespace {

// File name -> generation ('O' old, 'N' new, 'S' an older one left by an
// earlier run). Names compare as the file system compares them.
struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                            [](char x, char y) { return ToUpper(x) < ToUpper(y); });
    }
    static char ToUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
};
using Folder = std::map<std::string, char, NoCase>;

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
    // Renames never replace: a file there is one the plan does not know.
    if (s.op == FsStep::Op::Rename) {
        ASSERT_FALSE(f.count(s.to)) << Describe(s) << ": the target exists";
    }
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

// Recovery in the given direction from `at`, cut off after each of its
// steps and run again: never a mix on the way. What the index builder left
// is cleared by the recovery's clean-up of scratch names (not part of the
// swap's steps); then each cut's result goes to expect.
template <typename Expect>
void ForEachRecoveryCut(const Folder& at, const SwapJournal& j, SwapDecision way,
                        const std::string& when, Expect expect) {
    auto plan = [&](const Folder& f) {
        return way == SwapDecision::Forward ? ForwardSteps(j, In(f)) : BackSteps(j, In(f));
    };
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
        for (const std::string& name : ScratchNames(j))
            f.erase(name);
        expect(f, cut);
    }
}

// Recovery from f with the journal's decision, cut off after each of its
// steps and run again: every time the same whole generation.
void ExpectRecovers(const Folder& at, SwapDecision decision, const std::string& when) {
    SwapJournal j = kJournal;
    j.decision = decision;
    const char generation = decision == SwapDecision::Forward ? 'N' : 'O';
    ForEachRecoveryCut(at, j, decision, when, [&](const Folder& f, size_t cut) {
        ExpectWhole(f, generation, when + ", recovery cut after " + std::to_string(cut));
    });
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

// Recovery as the next start does it: the direction from the journal and
// the folder, cut off after each step and run again; never a mix.
void ExpectRecoveryWhole(const Folder& at, const SwapJournal& j, const std::string& when) {
    ForEachRecoveryCut(at, j, RecoveryDirection(j, In(at)), when, [&](const Folder& f, size_t) {
        // An undo that got to its end cannot be told from a finished swap:
        // either generation, whole.
        ExpectWhole(f, f.count("Adressen.dbf") ? f.at("Adressen.dbf") : '?', when);
    });
}

TEST(ReorgSwapRules, AnUndoCutOffWithoutItsBackLineIsNotFinishedForward) {
    // The forward line reached the journal although writing it was told to
    // have failed; the undo that followed was killed at every step.
    const SwapSteps run = SwapRun();
    Folder decided = Start();
    for (size_t k = 0; k < run.decided; ++k)
        Apply(decided, run.steps[k]);
    const std::vector<FsStep> undo = BackSteps(kJournal, In(decided));
    SwapJournal j = kJournal;
    j.decision = SwapDecision::Forward;
    Folder f = decided;
    for (size_t cut = 0; cut <= undo.size(); ++cut) {
        ExpectRecoveryWhole(f, j, "undo killed after " + std::to_string(cut) + " steps");
        if (cut < undo.size())
            Apply(f, undo[cut]);
    }
    // Once the table's new copy is cleared the table is the old one.
    Folder cleared = decided;
    for (const FsStep& s : undo) {
        Apply(cleared, s);
        if (s.op == FsStep::Op::Remove && s.from == "Adressen~.dbf")
            break;
    }
    EXPECT_FALSE(ForwardPossible(j, In(cleared)));
    EXPECT_TRUE(ForwardSteps(j, In(cleared)).empty());
}

// Old copies of an earlier run beside the live files: of the table, of the
// memo, and of an index the table did not have.
Folder WithStaleAsides() {
    Folder f = Start();
    f["ADRESSEN.DBF.ALT"] = 'S';  // copied back by hand, in other case
    f["Adressen.dbt.alt"] = 'S';
    f["Adrneu.ntx.alt"] = 'S';
    return f;
}

TEST(ReorgSwapRules, AnOldCopyOfAnEarlierRunIsNeverTakenForThisSwaps) {
    const SwapSteps run = SwapRun();
    // The run removes the old copies beside live files before its journal;
    // one without its live file stops it.
    const StaleAsides stale = FindStaleAsides(kJournal, In(WithStaleAsides()));
    EXPECT_EQ(stale.older, (std::vector<std::string>{"Adressen.dbf.alt", "Adressen.dbt.alt"}));
    EXPECT_EQ(stale.alone, (std::vector<std::string>{"Adrneu.ntx.alt"}));
    EXPECT_TRUE(FindStaleAsides(kJournal, In(Start())).older.empty());

    // Should they be there all the same, an undo keeps every live file and
    // brings back no copy of an earlier run: killed after the journal, the
    // table's move aside failing, killed after the table went aside.
    for (size_t k = 0; k <= 1; ++k) {
        Folder f = WithStaleAsides();
        if (k == 1) {
            f.erase("Adressen.dbf.alt");
            Apply(f, run.steps[0]);
        }
        for (const FsStep& s : BackSteps(kJournal, In(f)))
            Apply(f, s);
        const std::string when = "undo after " + std::to_string(k) + " steps";
        for (const SwapFile& s : kJournal.files) {
            const auto file = f.find(s.final);
            if (s.hadOld) {
                ASSERT_NE(file, f.end()) << when << ": " << s.final << " lost";
                EXPECT_EQ(file->second, 'O') << when << ": " << s.final;
            } else {
                EXPECT_EQ(file, f.end()) << when << ": " << s.final << " came back";
            }
            EXPECT_FALSE(f.count(s.fresh)) << when;
        }
    }
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
