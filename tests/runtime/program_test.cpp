#include "platform/runtime/program.h"

#include <filesystem>

#include "runtime_fixture.h"

using namespace kp;

namespace {
struct ExitCalled {
    int code;
};
}  // namespace

TEST(ProgramTest, DirectoryOfTheExecutable) {
    const std::string dir = ProgramDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_TRUE(dir.back() == '/' || dir.back() == '\\') << dir;
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(dir)));
    SetProgramDirForTest("/tmp/fixture");
    EXPECT_TRUE(ProgramDir() == "/tmp/fixture/" || ProgramDir() == "/tmp/fixture\\");
    SetProgramDirForTest("");
    EXPECT_EQ(ProgramDir(), dir);
}

TEST(ProgramTest, MemoryFigures) {
    EXPECT_GT(Memory(0), 0u);
    EXPECT_LE(Memory(100), 100u);
    EXPECT_EQ(Memory(7), 0u);
    SetMemoryForTest([](int what) -> uint64_t { return what == 0 ? 65536000 : 7; });
    EXPECT_EQ(Memory(0) / 1024, 64000u);
    EXPECT_EQ(Memory(100), 7u);
    SetMemoryForTest(nullptr);
}

TEST(ProgramTest, QuitRunsCleanupOnceAndExitsWithErrorLevel) {
    int cleanups = 0;
    int exitCode = -1;
    SetExitFunctionForTest([&](int code) {
        exitCode = code;
        throw ExitCalled{code};
    });
    SetQuitHandler([&] {
        ++cleanups;
        Quit();  // quitting from the cleanup does not run it again
    });
    EXPECT_EQ(ErrorLevel(21), 0);
    EXPECT_THROW(Quit(), ExitCalled);
    EXPECT_EQ(cleanups, 1);
    EXPECT_EQ(exitCode, 21);
    SetQuitHandler([&] { ++cleanups; });
    EXPECT_THROW(Quit(), ExitCalled);
    EXPECT_EQ(cleanups, 2);
    SetQuitHandler(nullptr);
    SetExitFunctionForTest(nullptr);
    ErrorLevel(0);
}

TEST(ProgramTest, QuitEndsTheProcess) {
    // The child is forked, not started again: a 32-bit test binary on a kernel
    // without 32-bit execution runs only inside its emulator, and a re-exec of
    // the binary ("threadsafe") would bypass it. Windows starts a new process
    // either way.
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_EXIT(
        {
            ErrorLevel(3);
            Quit();
        },
        ::testing::ExitedWithCode(3), "");
}

TEST(ProgramTest, CurrentDirectoryAndVersion) {
    const std::string cur = CurDir();
    EXPECT_FALSE(cur.empty());
    EXPECT_NE(cur.front(), '/');
    EXPECT_NE(cur.front(), '\\');
    EXPECT_FALSE(Version().empty());
#ifdef _WIN32
    EXPECT_EQ(DiskName().size(), 1u);
#endif
}
