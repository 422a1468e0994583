// Time zones by their IANA names ("America/Sao_Paulo"), with the zone data of the system's
// tzdata as libical reads it. A branch's meetings are stored in the branch's wall clock; the
// zone turns that wall clock into UTC and into the VTIMEZONE a calendar program needs to keep
// every occurrence of a weekly meeting at its local hour across a change of summer time.
//
// Safe to call from any thread: libical's zone data is reached under one lock.
#pragma once

#include <string>

#include "platform/date_time.h"

// True for a text shaped like an IANA zone name: letters, digits, "_", "+", "-" and "/" between
// parts, no empty, "." or ".." part. Says nothing about whether the zone exists.
bool IsTimeZoneName(const std::string& name);

// True when the zone exists in the system's zone data (or is UTC).
bool IsKnownTimeZone(const std::string& name);

// True for the names of UTC itself ("UTC", "Etc/UTC", "Etc/GMT", ...): times in such a zone
// are written as UTC times, without a VTIMEZONE.
bool IsUtcZone(const std::string& name);

// The zone this machine's wall clock runs in: the TZ variable when it names a zone, else the
// zone /etc/localtime points to, else /etc/timezone. A TZ without a name but with one fixed
// offset of whole hours ("<-03>3") gives the matching "Etc/GMT+3". "" when the zone cannot be
// named (a TZ rule with summer time and no name): times are then converted with the C
// library's rules of this machine.
std::string ServerTimeZoneName();

// The instant of a wall-clock time of `zone`, in UTC. An empty zone is this machine's wall
// clock. A time that falls in the hour skipped at the start of summer time is taken as the
// clock reads it before the change. Throws Exception for a zone that is not known.
TDateTime ZoneToUtc(TDateTime local, const std::string& zone);
// The wall clock of `zone` at the UTC instant `utc`; an empty zone is this machine's.
TDateTime UtcToZone(TDateTime utc, const std::string& zone);

// The VTIMEZONE component of the zone (CRLF lines, TZID the plain IANA name), holding the
// zone's rules from 1 January of `fromYear` on. "" for a UTC zone. Throws Exception for a zone
// that is not known.
std::string VTimezoneText(const std::string& zone, int fromYear);
