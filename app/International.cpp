#include "app/International.h"

#include "platform/runtime/date.h"
#include "platform/runtime/error.h"
#include "platform/runtime/numbers.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/utf8.h"

namespace kp {
namespace {

// The first character of a locale text, or the fallback when the item is
// missing or empty.
char32_t FirstChar(const std::optional<std::string>& s, char32_t fallback) {
    if (!s || s->empty())
        return fallback;
    size_t pos = 0;
    char32_t c = DecodeUtf8(*s, pos);
    return c == kBadUtf8 ? fallback : c;
}

}  // namespace

std::string DateFormatFromLocale(std::optional<std::string> order, std::optional<std::string> sep,
                                 std::optional<std::string> shortPattern) {
    const int o = order ? static_cast<int>(Val(*order)) : 0;
    std::string s = "/";
    if (sep && !sep->empty()) {
        size_t pos = 0;
        DecodeUtf8(*sep, pos);
        s = sep->substr(0, pos);
    }
    const std::string pattern = Upper(shortPattern ? *shortPattern : std::string("mm/dd/yy"));
    const std::string year = pattern.find("YYYY") != std::string::npos ? "YYYY" : "YY";
    if (o == 1)
        return "DD" + s + "MM" + s + year;
    if (o == 2)
        return year + s + "MM" + s + "DD";
    return "MM" + s + "DD" + s + year;
}

InternationalValues WindowsInternational(const LocaleReader& read) {
    InternationalValues v;
    v.decimalSep = FirstChar(read(LocaleItem::SDecimal), '.');
    v.thousandSep = FirstChar(read(LocaleItem::SThousand), ',');
    v.timeSep = FirstChar(read(LocaleItem::STime), ':');
    if (auto t = read(LocaleItem::ITime))
        v.amPm = Val(*t) == 0;
    if (auto s = read(LocaleItem::S1159))
        v.amExt = " " + *s;
    if (auto s = read(LocaleItem::S2359))
        v.pmExt = " " + *s;
    v.dateFormat = DateFormatFromLocale(read(LocaleItem::IDate), read(LocaleItem::SDate),
                                        read(LocaleItem::SShortDate));
    if (auto d = read(LocaleItem::IDigits))
        v.decimals = static_cast<int>(Val(*d));
    v.dictionary = true;
    v.international = true;
    return v;
}

InternationalValues DorvanInternational() {
    InternationalValues v;
    v.decimalSep = '.';
    v.thousandSep = ',';
    v.timeSep = ':';
    v.amPm = false;
    v.amExt.clear();
    v.pmExt.clear();
    v.dateFormat = "MM/DD/YY";
    v.decimals = 2;
    v.dictionary = false;
    v.international = false;
    v.century = false;
    return v;
}

void ApplyInternational(const InternationalValues& v) {
    SetDecimalSep(v.decimalSep);
    SetThousandSep(v.thousandSep);
    SetTimeSep(v.timeSep);
    SetAmPm(v.amPm);
    SetAMExt(v.amExt);
    SetPMExt(v.pmExt);
    SetDateFrmt(v.dateFormat);
    SetDecimal(v.decimals);
    SetDictionarySwitch(v.dictionary);
    SetInternationalSwitch(v.international);
    if (v.century)
        SetCentury(*v.century);
}

Symbol SetInternational(Symbol mode, const LocaleReader& read) {
    const Symbol windows("WINDOWS");
    const Symbol dorvan("DORVAN");
    const Symbol old = GetInternationalSwitch() ? windows : dorvan;
    if (mode.IsNull())
        return old;
    if (mode == windows) {
        // A failure while reading the locale ends the step quietly.
        BeginSequence([&] {
            SetInternationalSwitch(true);
            ApplyInternational(WindowsInternational(read));
        });
    } else if (mode == dorvan) {
        ApplyInternational(DorvanInternational());
    } else {
        auto e = std::make_shared<Error>();
        e->SubSystem = "International";
        e->GenCode = EG_UNSUPPORTED;
        e->CanDefault = true;
        e->Arg = Usual(mode.Name());
        Raise(e);
    }
    return old;
}

}  // namespace kp
