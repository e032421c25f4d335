// The user's locale as the international settings read it.
#include <windows.h>

#include "app/International.h"
#include "platform/runtime/utf8.h"

namespace kp {
namespace {

LCTYPE ItemCode(LocaleItem item) {
    switch (item) {
        case LocaleItem::SDecimal:
            return LOCALE_SDECIMAL;
        case LocaleItem::SThousand:
            return LOCALE_STHOUSAND;
        case LocaleItem::STime:
            return LOCALE_STIME;
        case LocaleItem::ITime:
            return LOCALE_ITIME;
        case LocaleItem::S1159:
            return LOCALE_S1159;
        case LocaleItem::S2359:
            return LOCALE_S2359;
        case LocaleItem::IDate:
            return LOCALE_IDATE;
        case LocaleItem::SDate:
            return LOCALE_SDATE;
        case LocaleItem::SShortDate:
            return LOCALE_SSHORTDATE;
        case LocaleItem::IDigits:
            return LOCALE_IDIGITS;
    }
    return 0;
}

// The ANSI text of one item, in UTF-8; nothing when it cannot be read.
std::optional<std::string> ReadUserLocale(LocaleItem item) {
    char buf[64] = {};
    const int n = GetLocaleInfoA(GetUserDefaultLCID(), ItemCode(item), buf, sizeof buf);
    if (n <= 0)
        return std::nullopt;
    const int len = n - 1;  // without the terminating zero
    const int wlen = MultiByteToWideChar(CP_ACP, 0, buf, len, nullptr, 0);
    std::wstring wide(static_cast<size_t>(wlen), L'\0');
    MultiByteToWideChar(CP_ACP, 0, buf, len, wide.data(), wlen);
    return WideToUtf8(wide);
}

}  // namespace

Symbol SetInternational(Symbol mode) {
    return SetInternational(mode, ReadUserLocale);
}

}  // namespace kp
