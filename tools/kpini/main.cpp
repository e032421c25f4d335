// kpini: reads and writes INI files through the program's own INI access,
// so that scripts can check what the program writes and reads.
//   kpini get|getint|getlogic|getpath|getcrypt <file> <section> <key>
//   kpini section <file> <section>          (the key names, one a line)
//   kpini set|setint|setlogic|setcrypt <file> <section> <key> <value>
//   kpini delete <file> <section> [key]
// Output is UTF-8, each value ended by a line feed. Exit codes: 0 done,
// 1 the write was refused (the reason on standard error), 2 usage.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/IniFile.h"
#include "platform/runtime/error.h"
#include "tools/kpdb/args.h"

namespace {

int Usage() {
    std::fputs(
        "usage: kpini get|getint|getlogic|getpath|getcrypt <file> <section> <key>\n"
        "       kpini section <file> <section>\n"
        "       kpini set|setint|setlogic|setcrypt <file> <section> <key> <value>\n"
        "       kpini delete <file> <section> [key]\n",
        stderr);
    return 2;
}

void Line(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    const auto args = kp::tools::Arguments(argc, argv);
    if (args.size() < 4)
        return Usage();
    const std::string& cmd = args[1];
    bool refused = false;
    kp::ErrorBlock([&refused](std::shared_ptr<kp::Error> e) {
        refused = true;
        std::fputs((e->Description + "\n").c_str(), stderr);
        return kp::Usual(false);
    });
    kp::IniFile ini(args[2]);
    const std::string& section = args[3];
    if (cmd == "section" && args.size() == 4) {
        for (const auto& key : ini.GetSection(section))
            Line(key);
        return 0;
    }
    if (cmd == "delete" && args.size() <= 5) {
        if (args.size() == 5)
            ini.DeleteEntry(section, args[4]);
        else
            ini.DeleteSection(section);
        return refused ? 1 : 0;
    }
    if (args.size() == 5) {
        const std::string& key = args[4];
        if (cmd == "get")
            Line(ini.GetString(section, key));
        else if (cmd == "getint")
            Line(std::to_string(ini.GetInt(section, key)));
        else if (cmd == "getlogic")
            Line(ini.GetLogic(section, key) ? "TRUE" : "FALSE");
        else if (cmd == "getpath")
            Line(ini.GetPath(section, key));
        else if (cmd == "getcrypt")
            Line(ini.GetStringCrypt(section, key));
        else
            return Usage();
        return 0;
    }
    if (args.size() == 6) {
        const std::string &key = args[4], &value = args[5];
        if (cmd == "set")
            ini.WriteString(section, key, value);
        else if (cmd == "setint")
            ini.WriteInt(section, key, std::strtoll(value.c_str(), nullptr, 10));
        else if (cmd == "setlogic")
            ini.WriteLogic(section, key, kp::Usual2Logic(kp::Usual(value)));
        else if (cmd == "setcrypt")
            ini.WriteStringCrypt(section, key, value);
        else
            return Usage();
        return refused ? 1 : 0;
    }
    return Usage();
}
