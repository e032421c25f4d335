#pragma once
// Calendar dates with the empty date, and the run-time's date settings.
#include <cstdint>
#include <string>
#include <string_view>

namespace kp {

class Date {
  public:
    Date() = default;  // the empty date
    // Dates run from 01.01.0001 to 31.12.9999 (proleptic Gregorian). An
    // impossible date (31.02., month 13, year 0) gives the empty date, and so
    // does arithmetic that leaves the range.
    static Date FromYMD(int year, int month, int day);
    bool IsEmpty() const { return jdn_ == 0; }
    int Year() const;   // 0 for the empty date
    int Month() const;  // 0 for the empty date
    int Day() const;    // 0 for the empty date
    int32_t JulianDay() const { return jdn_; }
    static Date FromJulianDay(int32_t jdn);

    Date operator+(long days) const;  // empty stays empty
    Date operator-(long days) const;
    long operator-(Date other) const;  // days between; 0 if either is empty
    auto operator<=>(const Date&) const = default;

  private:
    int32_t jdn_ = 0;
};

// Settings (process-wide, as the run-time keeps them). Defaults: country 1
// ("MM/DD/YY"), century off, epoch 1900.
// Country codes: 1 American MM/DD/YY, 2 ANSI YY.MM.DD, 3 British DD/MM/YY,
// 4 French DD/MM/YY, 5 German DD.MM.YY, 6 Italian DD-MM-YY, 7 Japanese
// YY/MM/DD, 8 USA MM-DD-YY; with century on the year is YYYY. Another code is
// ignored.
void SetDateCountry(int country);  // 1 American ... 5 German ... 8 USA
int GetDateCountry();              // the last code set (0 after SetDateFrmt)
void SetCentury(bool on);          // switches the format's year between YY and YYYY
bool GetCentury();
// Two-digit years are placed in [epoch, epoch + 99].
void SetEpoch(int year);
int GetEpoch();
// The format is made of runs of D, M and Y and other characters taken
// literally; it is kept in upper case and sets the century switch (YYYY).
void SetDateFrmt(std::string_view format);  // e.g. "DD.MM.YYYY"
std::string GetDateFrmt();

// CToD reads day, month and year in the order of the format: each is the
// next run of digits, whatever stands between them (a format without
// separators takes each part's width of digits). A year of one or two digits
// goes through the epoch. Unreadable, incomplete or impossible -> empty.
Date CToD(std::string_view text);            // current format; unreadable or impossible -> empty
std::string DToC(Date d);                    // empty -> blank mask ("  .  .    ")
Date SToD(std::string_view yyyymmdd);        // exactly 8 digits, else empty
std::string DToS(Date d);                    // "YYYYMMDD"; empty -> 8 blanks
Date CToDAnsi(std::string_view yyyy_mm_dd);  // year, month, day as CToD reads them
Date Today();                                // local date
// Local time of day "hh:mm:ss" with the time separator; with SetAmPm on a
// 12-hour clock followed by the AM or PM suffix.
std::string Time();
int Day(Date d);
int Month(Date d);
int Year(Date d);
int DoW(Date d);             // 1 = Sunday ... 7 = Saturday; 0 for the empty date
std::string CMonth(Date d);  // German month name, "" for empty
std::string CDoW(Date d);    // German day name, "" for empty

}  // namespace kp
