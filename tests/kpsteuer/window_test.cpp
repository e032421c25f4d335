// The conversion window and kpsteuer on copies of one table: the window's
// protocol says what kpsteuer's says (the real program under Wine).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/data/proc.h"
#include "tests/e2e/e2e_program.h"
#include "tools/demodata/demodata.h"

namespace kp::e2e {
namespace {

namespace fs = std::filesystem;

constexpr int kSchliessen = 100, kAnpassen = 106;

std::string Bytes(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

// The one protocol in a folder, its lines without the check cells and
// without the first (which carries the time and the kind of run).
std::vector<std::string> ProtocolLines(const fs::path& folder) {
    std::vector<fs::path> found;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().rfind("VSteuer-Protokoll-", 0) == 0)
            found.push_back(e.path());
    EXPECT_EQ(found.size(), 1u) << folder.string();
    std::vector<std::string> lines;
    if (found.size() != 1)
        return lines;
    const std::string text = Bytes(found[0]);
    for (size_t at = text.find("\r\n"); at != std::string::npos && at + 2 < text.size();) {
        const size_t end = text.find("\r\n", at + 2);
        const std::string line = text.substr(at + 2, end - at - 2);
        lines.push_back(line.substr(0, line.rfind(';')));
        at = end;
    }
    return lines;
}

TEST(WindowProtocol, EqualsTheProtocolOfKpsteuerForTheSameTable) {
    TempFolder window, console;
    demo::WriteVertrag(window.path().string() + "\\", 4000, 21, false, 8);
    for (const char* f : {"Vertrag.DBF", "Vertrag.DBT"})
        fs::copy_file(window.path() / f, console.path() / f);

    E2eProgram program;
    program.Start(window.path());
    ASSERT_NE(program.Window(), nullptr);
    program.Click(kAnpassen);
    program.MessageBoxText("Hinweis", 120s);
    program.Press("Hinweis", "OK");
    ASSERT_TRUE(E2eProgram::WaitUntil([&] { return program.Enabled(kSchliessen); }));
    program.Click(kSchliessen);
    EXPECT_EQ(program.WaitExit(), 0u);

    auto kpsteuer = test::Process::Start("kpsteuer", {"anpassen", console.path().string()});
    ASSERT_TRUE(kpsteuer);
    EXPECT_EQ(kpsteuer->Wait(), 0);

    const std::vector<std::string> fromWindow = ProtocolLines(window.path());
    EXPECT_GT(fromWindow.size(), 100u);
    EXPECT_TRUE(fromWindow == ProtocolLines(console.path()));
    EXPECT_TRUE(Bytes(window.path() / "Vertrag.DBF") == Bytes(console.path() / "Vertrag.DBF"));
}

}  // namespace
}  // namespace kp::e2e
