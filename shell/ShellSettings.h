#pragma once
// The stand-in shell's settings: KpShell.ini beside the program. They name
// the data path and the values the suite's shell hands to the library
// through the shared value store, so that every start is reproducible.
#include <string>
#include <vector>

namespace kp {

struct ShellSettings {
    std::string iniPath;   // full path of KpShell.ini
    std::string dataPath;  // with a trailing backslash
    std::string dataPath2;
    std::string ursprung;                   // DURSPRUNG: origin written with filed letters
    std::string dokAufruf;                  // DOKAUFRUF: type letter and key of the addressee
    std::string dokNameNeu;                 // DOKNAMENEU: addressee of a new letter
    std::vector<std::string> versandArten;  // VERSANDART
    std::vector<std::string> versSparten;   // VERSSPARTE
};

// A relative path is taken relative to the program's directory; the result
// ends in a backslash. An empty path is the program's directory.
std::string ResolveDataPath(const std::string& programDir, const std::string& path);

// Reads the settings from the INI file beside the program.
ShellSettings LoadShellSettings(const std::string& programDir);

// Puts PATH, PATH2, DURSPRUNG, VERSANDART, VERSSPARTE, DOKAUFRUF and
// DOKNAMENEU into the shared value store.
void PublishShellSettings(const ShellSettings& settings);

}  // namespace kp
