// The one place where the tab pages meet the INI files: the reader of a
// section. It reads through the profile functions of Windows; the INI class
// (config/IniFile.h) takes its place when it is there:
//
//   auto ini = std::make_shared<IniFile>(iniName);
//   return {[ini, section](const std::string& key) { return ini->GetInt(section, key); },
//           [ini, section](const std::string& key) { return ini->GetString(section, key); }};
#include <windows.h>

#include <cmath>
#include <limits>
#include <vector>

#include "forms/dtaWindow.h"
#include "platform/runtime/numbers.h"
#include "platform/runtime/utf8.h"

namespace kp {

namespace {

std::string ReadProfileString(const std::wstring& file, const std::wstring& section,
                              const std::string& key) {
    std::vector<wchar_t> buffer(1024, L'\0');
    const DWORD n =
        GetPrivateProfileStringW(section.c_str(), Utf8ToWide(key).c_str(), L"", buffer.data(),
                                 static_cast<DWORD>(buffer.size()), file.c_str());
    return WideToUtf8(std::wstring(buffer.data(), n));
}

}  // namespace

IniSectionReader OpenIniSection(const std::string& iniName, const std::string& section) {
    const std::wstring file = Utf8ToWide(iniName);
    const std::wstring sec = Utf8ToWide(section);
    IniSectionReader reader;
    reader.getString = [file, sec](const std::string& key) {
        return ReadProfileString(file, sec, key);
    };
    // Read as text: the profile's own integer read turns "-1" into 4294967295.
    reader.getInt = [file, sec](const std::string& key) -> int32_t {
        const double v = Val(ReadProfileString(file, sec, key));
        if (!std::isfinite(v))
            return 0;
        if (v <= std::numeric_limits<int32_t>::min())
            return std::numeric_limits<int32_t>::min();
        if (v >= std::numeric_limits<int32_t>::max())
            return std::numeric_limits<int32_t>::max();
        return static_cast<int32_t>(v);
    };
    return reader;
}

}  // namespace kp
