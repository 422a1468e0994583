// pt-BR text conversions of dates, times and numbers.
#include <cmath>
#include <cstdio>

#include "platform/date_time.h"
#include "platform/exceptions.h"

// Placeholder bodies; the real conversions replace them.
std::string DateToStr(TDateTime) { throw EConvertError("not implemented"); }
std::string TimeToStr(TDateTime) { throw EConvertError("not implemented"); }
std::string DateTimeToStr(TDateTime) { throw EConvertError("not implemented"); }
TDateTime StrToDate(const std::string&) { throw EConvertError("not implemented"); }
TDateTime StrToTime(const std::string&) { throw EConvertError("not implemented"); }
TDateTime StrToDateTime(const std::string&) { throw EConvertError("not implemented"); }
std::string FloatToStr(double) { throw EConvertError("not implemented"); }
double StrToFloat(const std::string&) { throw EConvertError("not implemented"); }
int64_t StrToInt(const std::string&) { throw EConvertError("not implemented"); }
std::string IntToStr(int64_t value) { return std::to_string(value); }
int64_t Trunc(double value) { return static_cast<int64_t>(std::trunc(value)); }
int64_t Round(double value) { return std::llround(value); }
