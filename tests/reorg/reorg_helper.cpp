// The program the kill tests end part-way: it reorganises a data folder and
// ends itself at once (no clean-up, no destructors, as a kill or a power
// loss would) at a chosen step.
// <dir> without its trailing separator (a backslash before the closing
// quote would escape it).
//   reorg_helper step     <dir> <n>   before the n-th step on the files of a swap
//   reorg_helper progress <dir> <n>   at the n-th progress report (copy, indexes)
// Exit code 99: ended as asked; 0: the reorganisation finished first.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/runtime/settings.h"
#include "shell/Reorganisation.h"

int main(int argc, char** argv) {
    if (argc != 4)
        return 2;
    kp::SetAnsi(false);
    kp::SetExclusive(false);
    kp::SetDeleted(false);
    const std::string mode = argv[1];
    const long at = std::atol(argv[3]);
    long count = 0;
    auto endHere = [&] {
        if (++count == at)
            TerminateProcess(GetCurrentProcess(), 99);
    };
    const kp::ReorgOutcome out = kp::Reorganise(
        std::string(argv[2]) + "\\", kp::SuiteReorgTables(),
        [&](const std::string&, uint32_t, uint32_t) {
            if (mode == "progress")
                endHere();
            return true;
        },
        [&](const std::string&) {
            if (mode == "step")
                endHere();
        });
    return out.error.empty() ? 0 : 3;
}
