// uidriver.exe: drives a program's windows from a test script (see command.h).
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/uidriver/command.h"

int wmain(int argc, wchar_t** argv) {
    // Output is UTF-8 with bare LF line ends, whatever reads it.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);

    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(kp::uidriver::Narrow(argv[i]));
    std::string out;
    std::string err;
    const int code = kp::uidriver::RunCommandLine(args, out, err);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    std::fflush(stdout);
    return code;
}
