#include "shell/ShellIni.h"

#include <windows.h>

#include "platform/runtime/utf8.h"

namespace kp {

std::string ShellIni::String(const std::string& section, const std::string& key) const {
    wchar_t buffer[2048];
    GetPrivateProfileStringW(Utf8ToWide(section).c_str(), Utf8ToWide(key).c_str(), L"", buffer,
                             2048, Utf8ToWide(path_).c_str());
    return WideToUtf8(buffer);
}

std::vector<std::string> ShellIni::List(const std::string& section, const std::string& key) const {
    std::vector<std::string> items;
    const std::string text = String(section, key);
    if (text.empty())
        return items;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        std::string item =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const size_t first = item.find_first_not_of(' ');
        const size_t last = item.find_last_not_of(' ');
        items.push_back(first == std::string::npos ? std::string()
                                                   : item.substr(first, last - first + 1));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return items;
}

}  // namespace kp
