#pragma once
// Calendar dates with the empty date, and the run-time's date settings.
#include <cstdint>
#include <string>
#include <string_view>

namespace kp {

class Date {
public:
    Date() = default;  // the empty date
    // An impossible date (31.02., month 13, year 0) gives the empty date.
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

// Settings (process-wide, as the run-time keeps them).
void SetDateCountry(int country);  // 1 American ... 5 German ... 8 USA
void SetCentury(bool on);
bool GetCentury();
void SetEpoch(int year);
int GetEpoch();
void SetDateFrmt(std::string_view format);  // e.g. "DD.MM.YYYY"
std::string GetDateFrmt();

Date CToD(std::string_view text);  // current format; unreadable or impossible -> empty
std::string DToC(Date d);          // empty -> blank mask ("  .  .    ")
Date SToD(std::string_view yyyymmdd);
std::string DToS(Date d);  // "YYYYMMDD"; empty -> 8 blanks
Date CToDAnsi(std::string_view yyyy_mm_dd);
Date Today();
int Day(Date d);
int Month(Date d);
int Year(Date d);
int DoW(Date d);  // 1 = Sunday ... 7 = Saturday; 0 for the empty date
std::string CMonth(Date d);  // German month name, "" for empty
std::string CDoW(Date d);    // German day name, "" for empty

}  // namespace kp
