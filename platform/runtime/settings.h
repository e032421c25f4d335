#pragma once
// The run-time settings. Each setter returns the previous value.
// Process-wide, as the run-time keeps them; the defaults are the classic
// run-time's (shown after each getter). The date settings are in date.h.
#include <cstdint>
#include <string>

namespace kp {

bool SetDeleted(bool on);    // hide deleted records
bool GetDeleted();           // default false
bool SetExclusive(bool on);  // open tables exclusively
bool GetExclusive();         // default true
bool SetAnsi(bool on);       // table character data in ANSI (1252) rather than OEM
bool GetAnsi();              // default true

// International settings. Separators are Unicode characters.
char32_t SetDecimalSep(char32_t c);
char32_t GetDecimalSep();  // default '.'
char32_t SetThousandSep(char32_t c);
char32_t GetThousandSep();  // default ','
char32_t SetTimeSep(char32_t c);
char32_t GetTimeSep();  // default ':'
bool SetAmPm(bool on);  // 12-hour clock
bool GetAmPm();         // default false
std::string SetAMExt(std::string suffix);
std::string GetAMExt();  // default " am"
std::string SetPMExt(std::string suffix);
std::string GetPMExt();  // default " pm"
// The run-time's international switch (on: formats follow Windows) and its
// dictionary collation switch.
bool SetInternationalSwitch(bool on);
bool GetInternationalSwitch();  // default false
bool SetDictionarySwitch(bool on);
bool GetDictionarySwitch();  // default false

// Decimals that Str and Transform show for a number without its own
// decimals, and the integer digits of Str's default width.
int SetDecimal(int decimals);
int GetDecimal();  // default 2
int SetDigit(int digits);
int GetDigit();  // default 10

bool SetBeep(bool on);      // the error handler sounds its tones
bool GetBeep();             // default true
bool SetErrorLog(bool on);  // the error handler writes KPERROR.LOG
bool GetErrorLog();         // default true

// The network-error flag, set when a shared open or an append lock failed.
bool NetErr();
bool NetErr(bool on);  // sets it, returns the previous value

// The default path (SET DEFAULT) and the default directory. "" = none.
std::string SetDefault(std::string path);
std::string GetDefault();
std::string SetDefaultDir(std::string dir);
std::string GetDefaultDir();

// Resets every setting of this header and of date.h to its default (tests).
void ResetSettings();

}  // namespace kp
