#include "platform/runtime/date.h"

#include <cctype>
#include <climits>
#include <ctime>
#include <vector>

#include "platform/runtime/settings.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/utf8.h"

namespace kp {

namespace {

constexpr int32_t Jdn(int y, int m, int d) {
    const int a = (14 - m) / 12;
    const int64_t y2 = int64_t{y} + 4800 - a;
    const int64_t m2 = m + 12 * a - 3;
    return static_cast<int32_t>(d + (153 * m2 + 2) / 5 + 365 * y2 + y2 / 4 - y2 / 100 + y2 / 400 -
                                32045);
}

constexpr int32_t kMinJdn = Jdn(1, 1, 1);
constexpr int32_t kMaxJdn = Jdn(9999, 12, 31);

struct Ymd {
    int y = 0, m = 0, d = 0;
};

Ymd Civil(int32_t jdn) {
    if (jdn == 0)
        return {};
    const int64_t a = int64_t{jdn} + 32044;
    const int64_t b = (4 * a + 3) / 146097;
    const int64_t c = a - 146097 * b / 4;
    const int64_t d = (4 * c + 3) / 1461;
    const int64_t e = c - 1461 * d / 4;
    const int64_t m = (5 * e + 2) / 153;
    Ymd r;
    r.d = static_cast<int>(e - (153 * m + 2) / 5 + 1);
    r.m = static_cast<int>(m + 3 - 12 * (m / 10));
    r.y = static_cast<int>(100 * b + d - 4800 + m / 10);
    return r;
}

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return (m == 2 && IsLeap(y)) ? 29 : kDays[m - 1];
}

struct DateSettings {
    int country = 1;
    bool century = false;
    int epoch = 1900;
    std::string format = "MM/DD/YY";
};

DateSettings& DS() {
    static DateSettings s;
    return s;
}

// Replaces every run of Y in the format by YYYY or YY.
std::string WithCentury(std::string_view fmt, bool century) {
    std::string out;
    for (size_t i = 0; i < fmt.size();) {
        if (fmt[i] == 'Y') {
            while (i < fmt.size() && fmt[i] == 'Y')
                ++i;
            out += century ? "YYYY" : "YY";
        } else {
            out += fmt[i++];
        }
    }
    return out;
}

struct Run {
    char letter;  // 'D', 'M' or 'Y'
    size_t len;
};

std::vector<Run> Runs(std::string_view fmt, bool* hasSeparators) {
    std::vector<Run> runs;
    bool seps = false;
    for (size_t i = 0; i < fmt.size();) {
        const char c = fmt[i];
        if (c == 'D' || c == 'M' || c == 'Y') {
            size_t j = i;
            while (j < fmt.size() && fmt[j] == c)
                ++j;
            runs.push_back({c, j - i});
            i = j;
        } else {
            seps = true;
            ++i;
        }
    }
    if (hasSeparators)
        *hasSeparators = seps;
    return runs;
}

int ApplyEpoch(int twoDigits) {
    const int epoch = DS().epoch;
    int y = (epoch / 100) * 100 + twoDigits;
    if (y < epoch)
        y += 100;
    return y;
}

// Reads the next number: skips anything but digits, then takes the digits
// (at most maxDigits when maxDigits > 0). False when there is none.
bool NextNumber(std::string_view text, size_t& pos, size_t maxDigits, int& value, size_t& digits) {
    while (pos < text.size() && !std::isdigit(static_cast<unsigned char>(text[pos])))
        ++pos;
    if (pos >= text.size())
        return false;
    value = 0;
    digits = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])) &&
           (maxDigits == 0 || digits < maxDigits)) {
        if (digits < 9)
            value = value * 10 + (text[pos] - '0');
        else
            value = 100000;  // far too large for any part
        ++digits;
        ++pos;
    }
    return true;
}

// Reads three numbers in the given order of 'D', 'M', 'Y'.
Date ParseParts(std::string_view text, const std::vector<Run>& order, bool fixedWidth) {
    int day = 0, month = 0, year = 0;
    bool haveD = false, haveM = false, haveY = false;
    size_t pos = 0;
    for (const Run& r : order) {
        int v;
        size_t digits;
        if (!NextNumber(text, pos, fixedWidth ? r.len : 0, v, digits))
            return {};
        if (r.letter == 'D' && !haveD) {
            day = v, haveD = true;
        } else if (r.letter == 'M' && !haveM) {
            month = v, haveM = true;
        } else if (r.letter == 'Y' && !haveY) {
            year = digits <= 2 ? ApplyEpoch(v) : v;
            haveY = true;
        }
    }
    if (!haveD || !haveM || !haveY)
        return {};
    return Date::FromYMD(year, month, day);
}

std::string Pad(int value, size_t width) {
    std::string s = std::to_string(value);
    if (s.size() < width)
        s.insert(0, width - s.size(), '0');
    return s;
}

const char* const kMonths[12] = {"Januar",    "Februar", "März",     "April",
                                 "Mai",       "Juni",    "Juli",     "August",
                                 "September", "Oktober", "November", "Dezember"};
const char* const kDays[7] = {"Sonntag",    "Montag",  "Dienstag", "Mittwoch",
                              "Donnerstag", "Freitag", "Samstag"};

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &now);
#else
    localtime_r(&now, &tm);
#endif
    return tm;
}

}  // namespace

namespace detail {
void ResetDateSettings() {
    DS() = DateSettings{};
}
}  // namespace detail

// ---- Date ----------------------------------------------------------------

Date Date::FromYMD(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month))
        return {};
    Date d;
    d.jdn_ = Jdn(year, month, day);
    return d;
}

Date Date::FromJulianDay(int32_t jdn) {
    Date d;
    if (jdn >= kMinJdn && jdn <= kMaxJdn)
        d.jdn_ = jdn;
    return d;
}

int Date::Year() const {
    return Civil(jdn_).y;
}
int Date::Month() const {
    return Civil(jdn_).m;
}
int Date::Day() const {
    return Civil(jdn_).d;
}

Date Date::operator+(long days) const {
    if (IsEmpty())
        return {};
    const int64_t j = int64_t{jdn_} + days;
    if (j < kMinJdn || j > kMaxJdn)
        return {};
    return FromJulianDay(static_cast<int32_t>(j));
}

Date Date::operator-(long days) const {
    if (days == LONG_MIN)
        return {};
    return *this + (-days);
}

long Date::operator-(Date other) const {
    if (IsEmpty() || other.IsEmpty())
        return 0;
    return static_cast<long>(jdn_) - static_cast<long>(other.jdn_);
}

// ---- Settings ------------------------------------------------------------

void SetDateCountry(int country) {
    static const char* const kFormats[9] = {nullptr,    "MM/DD/YY", "YY.MM.DD",
                                            "DD/MM/YY", "DD/MM/YY", "DD.MM.YY",
                                            "DD-MM-YY", "YY/MM/DD", "MM-DD-YY"};
    if (country < 1 || country > 8)
        return;
    DS().country = country;
    DS().format = WithCentury(kFormats[country], DS().century);
}

int GetDateCountry() {
    return DS().country;
}

void SetCentury(bool on) {
    DS().century = on;
    DS().format = WithCentury(DS().format, on);
}

bool GetCentury() {
    return DS().century;
}

void SetEpoch(int year) {
    if (year >= 1 && year <= 9900)
        DS().epoch = year;
}

int GetEpoch() {
    return DS().epoch;
}

void SetDateFrmt(std::string_view format) {
    std::string f;
    for (char c : format)
        f += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    DS().format = f;
    DS().century = f.find("YYYY") != std::string::npos;
    DS().country = 0;
}

std::string GetDateFrmt() {
    return DS().format;
}

// ---- Conversions ---------------------------------------------------------

Date CToD(std::string_view text) {
    bool seps = false;
    std::vector<Run> runs = Runs(DS().format, &seps);
    if (runs.size() < 3)
        return {};
    return ParseParts(text, runs, !seps);
}

std::string DToC(Date d) {
    const std::string& fmt = DS().format;
    const Ymd v = Civil(d.JulianDay());
    std::string out;
    for (size_t i = 0; i < fmt.size();) {
        const char c = fmt[i];
        if (c != 'D' && c != 'M' && c != 'Y') {
            out += c;
            ++i;
            continue;
        }
        size_t j = i;
        while (j < fmt.size() && fmt[j] == c)
            ++j;
        const size_t len = j - i;
        i = j;
        if (d.IsEmpty()) {
            out.append(c == 'Y' && len >= 4 ? 4 : (len < 2 ? 2 : len), ' ');
            continue;
        }
        if (c == 'D') {
            out += len == 1 ? std::to_string(v.d) : Pad(v.d, len);
        } else if (c == 'M') {
            out += len == 1 ? std::to_string(v.m) : Pad(v.m, len);
        } else if (len >= 4) {
            out += Pad(v.y, 4);
        } else {
            int mod = 1;
            for (size_t k = 0; k < len; ++k)
                mod *= 10;
            out += Pad(v.y % mod, len);
        }
    }
    return out;
}

Date SToD(std::string_view s) {
    if (s.size() != 8)
        return {};
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return {};
    const auto num = [&](size_t at, size_t n) {
        int v = 0;
        for (size_t i = at; i < at + n; ++i)
            v = v * 10 + (s[i] - '0');
        return v;
    };
    return Date::FromYMD(num(0, 4), num(4, 2), num(6, 2));
}

std::string DToS(Date d) {
    if (d.IsEmpty())
        return std::string(8, ' ');
    const Ymd v = Civil(d.JulianDay());
    return Pad(v.y, 4) + Pad(v.m, 2) + Pad(v.d, 2);
}

Date CToDAnsi(std::string_view text) {
    static const std::vector<Run> kOrder = {{'Y', 4}, {'M', 2}, {'D', 2}};
    return ParseParts(text, kOrder, false);
}

Date Today() {
    const std::tm tm = LocalNow();
    return Date::FromYMD(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

std::string Time() {
    const std::tm tm = LocalNow();
    std::string sep;
    AppendUtf8(sep, GetTimeSep());
    int hour = tm.tm_hour;
    std::string suffix;
    if (GetAmPm()) {
        suffix = hour < 12 ? GetAMExt() : GetPMExt();
        hour %= 12;
        if (hour == 0)
            hour = 12;
    }
    return Pad(hour, 2) + sep + Pad(tm.tm_min, 2) + sep + Pad(tm.tm_sec, 2) + suffix;
}

int Day(Date d) {
    return d.Day();
}
int Month(Date d) {
    return d.Month();
}
int Year(Date d) {
    return d.Year();
}

int DoW(Date d) {
    if (d.IsEmpty())
        return 0;
    return static_cast<int>((int64_t{d.JulianDay()} + 1) % 7) + 1;
}

std::string CMonth(Date d) {
    return d.IsEmpty() ? std::string() : kMonths[d.Month() - 1];
}
std::string CDoW(Date d) {
    return d.IsEmpty() ? std::string() : kDays[DoW(d) - 1];
}

}  // namespace kp
