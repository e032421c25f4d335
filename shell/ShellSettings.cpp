#include "shell/ShellSettings.h"

#include <memory>

#include "app/funVelto.h"
#include "config/IniFile.h"
#include "config/funString.h"

namespace kp {

namespace {

bool IsAbsolute(const std::string& path) {
    return (path.size() >= 2 && path[1] == ':') ||
           (path.size() >= 2 && path[0] == '\\' && path[1] == '\\');
}

Usual StringArray(const std::vector<std::string>& items) {
    auto a = std::make_shared<Array>();
    for (const std::string& s : items)
        a->emplace_back(s);
    return Usual(std::move(a));
}

// A comma-separated list; nothing for an empty value.
std::vector<std::string> List(const std::string& text) {
    if (text.empty())
        return {};
    return String2Array(text);
}

}  // namespace

std::string ResolveDataPath(const std::string& programDir, const std::string& path) {
    std::string result = path.empty() ? programDir : IsAbsolute(path) ? path : programDir + path;
    if (result.empty() || result.back() != '\\')
        result += '\\';
    return result;
}

ShellSettings LoadShellSettings(const std::string& programDir) {
    ShellSettings s;
    s.iniPath = programDir + "KpShell.ini";
    const IniFile ini(s.iniPath);
    s.dataPath = ResolveDataPath(programDir, ini.GetString("Pfade", "Daten"));
    const std::string second = ini.GetString("Pfade", "Daten2");
    s.dataPath2 = second.empty() ? s.dataPath : ResolveDataPath(programDir, second);
    s.ursprung = ini.GetString("Dokumente", "Ursprung");
    s.dokAufruf = ini.GetString("Dokumente", "Aufruf");
    s.dokNameNeu = ini.GetString("Dokumente", "NameNeu");
    s.versandArten = List(ini.GetString("Dokumente", "Versandarten"));
    s.versSparten = List(ini.GetString("Dokumente", "Sparten"));
    return s;
}

void PublishShellSettings(const ShellSettings& s) {
    GetSetGlobal(Symbol("PATH"), Usual(s.dataPath));
    GetSetGlobal(Symbol("PATH2"), Usual(s.dataPath2));
    GetSetGlobal(Symbol("DURSPRUNG"), Usual(s.ursprung));
    GetSetGlobal(Symbol("DOKAUFRUF"), Usual(s.dokAufruf));
    GetSetGlobal(Symbol("DOKNAMENEU"), Usual(s.dokNameNeu));
    GetSetGlobal(Symbol("VERSANDART"), StringArray(s.versandArten));
    GetSetGlobal(Symbol("VERSSPARTE"), StringArray(s.versSparten));
}

}  // namespace kp
