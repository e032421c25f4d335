#include "platform/runtime/settings.h"

#include <utility>

namespace kp {

namespace detail {
void ResetDateSettings();  // date.cpp
}

namespace {

struct Settings {
    bool deleted = false;
    bool exclusive = true;
    bool ansi = true;
    char32_t decimalSep = '.';
    char32_t thousandSep = ',';
    char32_t timeSep = ':';
    bool amPm = false;
    std::string amExt = " am";
    std::string pmExt = " pm";
    bool international = false;
    bool dictionary = false;
    int decimals = 2;
    int digits = 10;
    bool beep = true;
    bool errorLog = true;
    bool netErr = false;
    std::string defaultPath;
    std::string defaultDir;
};

Settings& S() {
    static Settings s;
    return s;
}

template <typename T, typename U>
T Swap(T& slot, U&& value) {
    T old = std::move(slot);
    slot = std::forward<U>(value);
    return old;
}

}  // namespace

bool SetDeleted(bool on) {
    return Swap(S().deleted, on);
}
bool GetDeleted() {
    return S().deleted;
}
bool SetExclusive(bool on) {
    return Swap(S().exclusive, on);
}
bool GetExclusive() {
    return S().exclusive;
}
bool SetAnsi(bool on) {
    return Swap(S().ansi, on);
}
bool GetAnsi() {
    return S().ansi;
}

char32_t SetDecimalSep(char32_t c) {
    return Swap(S().decimalSep, c);
}
char32_t GetDecimalSep() {
    return S().decimalSep;
}
char32_t SetThousandSep(char32_t c) {
    return Swap(S().thousandSep, c);
}
char32_t GetThousandSep() {
    return S().thousandSep;
}
char32_t SetTimeSep(char32_t c) {
    return Swap(S().timeSep, c);
}
char32_t GetTimeSep() {
    return S().timeSep;
}
bool SetAmPm(bool on) {
    return Swap(S().amPm, on);
}
bool GetAmPm() {
    return S().amPm;
}
std::string SetAMExt(std::string suffix) {
    return Swap(S().amExt, std::move(suffix));
}
std::string GetAMExt() {
    return S().amExt;
}
std::string SetPMExt(std::string suffix) {
    return Swap(S().pmExt, std::move(suffix));
}
std::string GetPMExt() {
    return S().pmExt;
}
bool SetInternationalSwitch(bool on) {
    return Swap(S().international, on);
}
bool GetInternationalSwitch() {
    return S().international;
}
bool SetDictionarySwitch(bool on) {
    return Swap(S().dictionary, on);
}
bool GetDictionarySwitch() {
    return S().dictionary;
}

int SetDecimal(int decimals) {
    if (decimals < 0)
        decimals = 0;
    return Swap(S().decimals, decimals);
}
int GetDecimal() {
    return S().decimals;
}
int SetDigit(int digits) {
    if (digits < 1)
        digits = 1;
    return Swap(S().digits, digits);
}
int GetDigit() {
    return S().digits;
}

bool SetBeep(bool on) {
    return Swap(S().beep, on);
}
bool GetBeep() {
    return S().beep;
}
bool SetErrorLog(bool on) {
    return Swap(S().errorLog, on);
}
bool GetErrorLog() {
    return S().errorLog;
}

bool NetErr() {
    return S().netErr;
}
bool NetErr(bool on) {
    return Swap(S().netErr, on);
}

std::string SetDefault(std::string path) {
    return Swap(S().defaultPath, std::move(path));
}
std::string GetDefault() {
    return S().defaultPath;
}
std::string SetDefaultDir(std::string dir) {
    return Swap(S().defaultDir, std::move(dir));
}
std::string GetDefaultDir() {
    return S().defaultDir;
}

void ResetSettings() {
    S() = Settings{};
    detail::ResetDateSettings();
}

}  // namespace kp
