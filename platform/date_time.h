// TDateTime and the platform's date/time/number conversions, with the pt-BR settings fixed:
// dates dd/mm/yyyy, times hh:nn:ss, decimal separator ",". No locale is consulted.
//
// A TDateTime counts days since 30/12/1899; the fraction is the time of day. A conversion
// that fails throws EConvertError with the platform's kind of message
// ("'31/04/2030' is not a valid date").
#pragma once

#include <cstdint>
#include <string>

using TDateTime = double;

// Calendar parts. Months and days start at 1.
struct DateParts {
    int year = 1899, month = 12, day = 30;
};
struct TimeParts {
    int hour = 0, minute = 0, second = 0, msec = 0;
};

bool IsValidDate(int year, int month, int day);
bool IsValidTime(int hour, int minute, int second, int msec);
// True for a finite value from 01/01/0001 00:00 up to, not including, 01/01/10000.
bool IsValidDateTime(TDateTime value);
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// Throw EConvertError on parts out of range.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int msec = 0);
// Decoding and the day/time splits throw EConvertError on a value IsValidDateTime refuses.
DateParts DecodeDate(TDateTime value);
TimeParts DecodeTime(TDateTime value);  // rounded to the millisecond
int DayOfWeek(TDateTime value);         // 1 = Sunday ... 7 = Saturday

TDateTime DateOf(TDateTime value);  // the day, time dropped
TDateTime TimeOf(TDateTime value);  // the time of day
TDateTime Now();                    // the local wall clock
TDateTime Date();                   // today, no time

// ISO 8601 "2026-12-07T14:30:00" (packet encoding); the parser also takes a date alone and
// fractional seconds, and throws EConvertError otherwise.
std::string DateTimeToIso(TDateTime value);
TDateTime IsoToDateTime(const std::string& text);

// --- pt-BR text conversions ---
std::string DateToStr(TDateTime value);      // "07/12/2026"
std::string TimeToStr(TDateTime value);      // "14:30:00"
std::string DateTimeToStr(TDateTime value);  // "07/12/2026 14:30:00"; no time part when 0
// The conversion errors are in Portuguese, as the suite shows them: "'31/02/2027' não é uma
// data válida". InvalidDateMessage gives that text for edits that check a date themselves.
std::string InvalidDateMessage(const std::string& text);
TDateTime StrToDate(const std::string& text);
TDateTime StrToTime(const std::string& text);  // "hh:nn" or "hh:nn:ss"
TDateTime StrToDateTime(const std::string& text);
bool TryStrToDate(const std::string& text, TDateTime& out);
bool TryStrToTime(const std::string& text, TDateTime& out);
bool TryStrToDateTime(const std::string& text, TDateTime& out);
// Format specifiers as on the platform: d dd ddd dddd m mm mmm mmmm yy yyyy h hh n nn s ss z
// zzz am/pm, "/" and ":" separators, quoted literals. Day and month names in Portuguese.
std::string FormatDateTime(const std::string& format, TDateTime value);

// --- numbers ---
enum class TFloatFormat { ffGeneral, ffFixed, ffNumber };
std::string FloatToStr(double value);  // shortest, decimal comma: "1,5"
std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits);
double StrToFloat(const std::string& text);  // accepts "1,5" (and "1.5"); else EConvertError
bool TryStrToFloat(const std::string& text, double& out);
int64_t StrToInt(const std::string& text);  // blanks around allowed; else EConvertError
bool TryStrToInt(const std::string& text, int64_t& out);
int64_t StrToIntDef(const std::string& text, int64_t fallback);
std::string IntToStr(int64_t value);
int64_t Trunc(double value);
int64_t Round(double value);  // halves away from zero
