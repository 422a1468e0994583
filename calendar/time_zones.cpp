#include "calendar/time_zones.h"

#include <libical/ical.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>
#include <mutex>
#include <utility>

#include "platform/exceptions.h"
#include "platform/routines.h"

namespace {

// libical loads zones lazily into shared tables and expands their changes on demand: every
// use of its zone data goes through this lock.
std::mutex& ZoneMutex() {
    static std::mutex m;
    return m;
}

const std::array<const char*, 10> kUtcNames = {
    "UTC", "UCT", "GMT", "GMT0", "GMT+0", "GMT-0", "Zulu", "Universal", "Greenwich", "Etc/GMT+0"};

// The zone of libical's data; nullptr when unknown. Call with the lock held.
icaltimezone* LockedZone(const std::string& name) {
    if (!IsTimeZoneName(name)) return nullptr;
    icaltimezone* zone = icaltimezone_get_builtin_timezone(name.c_str());
    return zone && icaltimezone_get_component(zone) ? zone : nullptr;
}

icaltimezone* RequireZone(const std::string& name) {
    icaltimezone* zone = LockedZone(name);
    if (!zone) throw Exception("Fuso horário desconhecido: " + name + ".");
    return zone;
}

icaltimetype IcalTime(TDateTime value) {
    const DateParts d = DecodeDate(value);
    const TimeParts t = DecodeTime(value);
    icaltimetype out = icaltime_null_time();
    out.year = d.year;
    out.month = d.month;
    out.day = d.day;
    out.hour = t.hour;
    out.minute = t.minute;
    out.second = t.second;
    return out;
}

TDateTime FromIcalTime(const icaltimetype& t) {
    return EncodeDateTime(t.year, t.month, t.day, t.hour, t.minute, t.second, 0);
}

TDateTime FromTm(const std::tm& tm) {
    return EncodeDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                          tm.tm_sec, 0);
}

std::tm ToTm(TDateTime value) {
    const DateParts d = DecodeDate(value);
    const TimeParts t = DecodeTime(value);
    std::tm tm{};
    tm.tm_year = d.year - 1900;
    tm.tm_mon = d.month - 1;
    tm.tm_mday = d.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    return tm;
}

// The name after ".../zoneinfo/" in a path; "" when the path has none.
std::string NameInZoneinfoPath(const std::string& path) {
    const std::string marker = "zoneinfo/";
    const size_t at = path.rfind(marker);
    return at == std::string::npos ? std::string() : path.substr(at + marker.size());
}

// "Etc/GMT+3" for a machine whose TZ rule keeps one offset of whole hours all year; "" else.
std::string FixedOffsetZoneName() {
    std::time_t now = std::time(nullptr);
    std::tm here{};
    localtime_r(&now, &here);
    std::tm january = ToTm(EncodeDate(here.tm_year + 1900, 1, 15));
    std::tm july = ToTm(EncodeDate(here.tm_year + 1900, 7, 15));
    const std::time_t a = std::mktime(&january), b = std::mktime(&july);
    std::tm ja{}, ju{};
    localtime_r(&a, &ja);
    localtime_r(&b, &ju);
    if (ja.tm_gmtoff != ju.tm_gmtoff || ja.tm_gmtoff % 3600 != 0) return {};
    const long hours = ja.tm_gmtoff / 3600;
    if (hours == 0) return "UTC";
    // The Etc zones count the other way round: Etc/GMT+3 is three hours behind UTC.
    return "Etc/GMT" + std::string(hours < 0 ? "+" : "-") +
           std::to_string(hours < 0 ? -hours : hours);
}

std::string KnownOrEmpty(const std::string& name) {
    return IsKnownTimeZone(name) ? name : std::string();
}

}  // namespace

bool IsTimeZoneName(const std::string& name) {
    if (name.empty() || name.size() > 64 || name.front() == '/' || name.back() == '/') return false;
    const char first = name.front();
    if (!((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z'))) return false;
    char previous = 0;
    for (const char c : name) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '_' || c == '+' || c == '-';
        if (!plain && c != '/') return false;
        if (c == '/' && previous == '/') return false;
        previous = c;
    }
    return true;
}

bool IsUtcZone(const std::string& name) {
    for (const char* utc : kUtcNames)
        if (name == utc || name == std::string("Etc/") + utc) return true;
    return false;
}

bool IsKnownTimeZone(const std::string& name) {
    if (IsUtcZone(name)) return true;
    const std::lock_guard<std::mutex> lock(ZoneMutex());
    return LockedZone(name) != nullptr;
}

std::string ServerTimeZoneName() {
    if (const char* tz = std::getenv("TZ")) {
        std::string rule = tz;
        if (!rule.empty() && rule.front() == ':') rule.erase(0, 1);
        if (rule.empty()) return "UTC";  // an empty TZ is UTC to the C library
        if (rule.front() == '/') return KnownOrEmpty(NameInZoneinfoPath(rule));
        if (IsTimeZoneName(rule) && IsKnownTimeZone(rule)) return rule;
        return FixedOffsetZoneName();
    }
    char target[512];
    const ssize_t n = readlink("/etc/localtime", target, sizeof target - 1);
    if (n > 0) {
        target[n] = 0;
        const std::string name = KnownOrEmpty(NameInZoneinfoPath(target));
        if (!name.empty()) return name;
    }
    std::ifstream file("/etc/timezone");
    std::string line;
    if (std::getline(file, line)) {
        const std::string name = KnownOrEmpty(TrimAll(line));
        if (!name.empty()) return name;
    }
    // Without /etc/localtime the C library runs on UTC.
    return access("/etc/localtime", F_OK) == 0 ? FixedOffsetZoneName() : "UTC";
}

TDateTime ZoneToUtc(TDateTime local, const std::string& zone) {
    if (IsUtcZone(zone)) return local;
    if (zone.empty()) {
        // The local clock read as if it were UTC, less the offset in force there; checked once
        // more at the instant found, for a time near a change of offset. (mktime would do, but
        // it reads the zone file again on every call.)
        std::tm tm = ToTm(local);
        const std::time_t asUtc = timegm(&tm);
        std::tm there{};
        localtime_r(&asUtc, &there);
        std::time_t secs = asUtc - there.tm_gmtoff;
        localtime_r(&secs, &there);
        secs = asUtc - there.tm_gmtoff;
        std::tm utc{};
        gmtime_r(&secs, &utc);
        return FromTm(utc);
    }
    const std::lock_guard<std::mutex> lock(ZoneMutex());
    icaltimetype t = IcalTime(local);
    icaltimezone_convert_time(&t, RequireZone(zone), icaltimezone_get_utc_timezone());
    return FromIcalTime(t);
}

TDateTime UtcToZone(TDateTime utc, const std::string& zone) {
    if (IsUtcZone(zone)) return utc;
    if (zone.empty()) {
        std::tm tm = ToTm(utc);
        const std::time_t secs = timegm(&tm);
        std::tm local{};
        localtime_r(&secs, &local);
        return FromTm(local);
    }
    const std::lock_guard<std::mutex> lock(ZoneMutex());
    icaltimetype t = IcalTime(utc);
    icaltimezone_convert_time(&t, icaltimezone_get_utc_timezone(), RequireZone(zone));
    return FromIcalTime(t);
}

std::string VTimezoneText(const std::string& zone, int fromYear) {
    if (IsUtcZone(zone)) return {};
    static std::map<std::pair<std::string, int>, std::string> cache;
    const std::lock_guard<std::mutex> lock(ZoneMutex());
    const auto key = std::make_pair(zone, fromYear);
    if (const auto it = cache.find(key); it != cache.end()) return it->second;
    icalcomponent* vtz = icalcomponent_new_clone(icaltimezone_get_component(RequireZone(zone)));
    icaltimetype start = icaltime_null_time();
    start.year = fromYear;
    start.month = 1;
    start.day = 1;
    start.zone = icaltimezone_get_utc_timezone();
    icaltimezone_truncate_vtimezone(vtz, start, icaltime_null_time(), 0);
    // libical names system zones with a prefix of its own; calendar programs know the plain
    // IANA name, and the events name the zone that way.
    if (icalproperty* tzid = icalcomponent_get_first_property(vtz, ICAL_TZID_PROPERTY))
        icalproperty_set_tzid(tzid, zone.c_str());
    char* text = icalcomponent_as_ical_string_r(vtz);
    std::string out = text ? text : "";
    icalmemory_free_buffer(text);
    icalcomponent_free(vtz);
    return cache.emplace(key, std::move(out)).first->second;
}
