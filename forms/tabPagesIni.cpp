// The one place where the tab pages meet the INI files: the reader of a
// section, through the INI class.
#include <memory>

#include "config/IniFile.h"
#include "forms/dtaWindow.h"

namespace kp {

IniSectionReader OpenIniSection(const std::string& iniName, const std::string& section) {
    auto ini = std::make_shared<IniFile>(iniName);
    IniSectionReader reader;
    reader.getInt = [ini, section](const std::string& key) { return ini->GetInt(section, key); };
    reader.getString = [ini, section](const std::string& key) {
        return ini->GetString(section, key);
    };
    return reader;
}

}  // namespace kp
