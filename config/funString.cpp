#include "config/funString.h"

#include "platform/runtime/strings.h"

namespace kp {

std::vector<std::string> String2Array(std::string_view text, std::string_view delimiter) {
    std::vector<std::string> out;
    size_t pos = 0;
    if (!delimiter.empty()) {
        for (size_t hit; (hit = text.find(delimiter, pos)) != std::string_view::npos;
             pos = hit + delimiter.size())
            out.push_back(AllTrim(text.substr(pos, hit - pos)));
    }
    out.push_back(AllTrim(text.substr(pos)));
    return out;
}

}  // namespace kp
