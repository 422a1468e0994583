#!/usr/bin/python3
"""Reads calendars and invitation mail the way other programs do, with other implementations
than the server's (Python's email package, python3-icalendar, dateutil and zoneinfo), and
prints what they understood as JSON for the C++ tests.

  calendar_reader.py ics FILE [--from YYYY-MM-DD --to YYYY-MM-DD]
  calendar_reader.py mail DIR

ics: {"name", "method", "events": [event]}; mail: [{"file", "envelope_to", "message_id", "from",
"to", "subject", "plain", "calendar_method", "calendar": {...}}] for every .eml in DIR.
An event: uid, sequence, status, summary, location, tzid, start_local, start_utc, end_utc,
organizer, attendees [{address, cn, partstat}], recurrence_id_utc and, for a rule, its
occurrences in the window (rule dates less EXDATEs) as local and UTC times.
"""
import argparse
import datetime
import email
import email.policy
import json
import os
import sys
from zoneinfo import ZoneInfo

from dateutil.rrule import rrulestr
from icalendar import Calendar

UTC = datetime.timezone.utc


def raw_time(prop):
    """The property's date-time as an aware datetime in its own zone (TZID, or UTC for Z)."""
    text = prop.to_ical().decode()
    tzid = prop.params.get("TZID")
    naive = datetime.datetime.strptime(text.rstrip("Z"), "%Y%m%dT%H%M%S")
    if text.endswith("Z"):
        return naive.replace(tzinfo=UTC), None
    if tzid:
        return naive.replace(tzinfo=ZoneInfo(tzid)), tzid
    return naive, None


def iso(dt):
    return dt.strftime("%Y-%m-%dT%H:%M:%S")


def as_list(value):
    if value is None:
        return []
    return value if isinstance(value, list) else [value]


def read_event(ev, window):
    start, tzid = raw_time(ev["DTSTART"])
    out = {
        "uid": str(ev.get("UID", "")),
        "sequence": int(ev.get("SEQUENCE", 0)),
        "status": str(ev.get("STATUS", "")),
        "summary": str(ev.get("SUMMARY", "")),
        "location": str(ev.get("LOCATION", "")),
        "tzid": tzid or "",
        "start_local": iso(start),
        "start_utc": iso(start.astimezone(UTC)),
        "organizer": str(ev.get("ORGANIZER", "")),
        "attendees": [],
    }
    if "DTEND" in ev:
        out["end_utc"] = iso(raw_time(ev["DTEND"])[0].astimezone(UTC))
    for a in as_list(ev.get("ATTENDEE")):
        out["attendees"].append({"address": str(a), "cn": str(a.params.get("CN", "")),
                                 "partstat": str(a.params.get("PARTSTAT", ""))})
    if "RECURRENCE-ID" in ev:
        out["recurrence_id_utc"] = iso(raw_time(ev["RECURRENCE-ID"])[0].astimezone(UTC))
    if "RRULE" in ev and window:
        rule = rrulestr(ev["RRULE"].to_ical().decode(), dtstart=start)
        excluded = set()
        for ex in as_list(ev.get("EXDATE")):
            for d in ex.dts:
                excluded.add(d.dt.astimezone(UTC) if d.dt.tzinfo else d.dt)
        lo = datetime.datetime.combine(window[0], datetime.time(), UTC)
        hi = datetime.datetime.combine(window[1], datetime.time(), UTC)
        occ = [o for o in rule.between(lo, hi, inc=True) if o.astimezone(UTC) not in excluded]
        out["occurrences_local"] = [iso(o) for o in occ]
        out["occurrences_utc"] = [iso(o.astimezone(UTC)) for o in occ]
    return out


def read_calendar(data, window=None):
    cal = Calendar.from_ical(data)
    return {
        "name": str(cal.get("X-WR-CALNAME", "")),
        "method": str(cal.get("METHOD", "")),
        "events": [read_event(ev, window) for ev in cal.walk("VEVENT")],
    }


def read_mail(path):
    with open(path, "rb") as f:
        msg = email.message_from_binary_file(f, policy=email.policy.default)
    out = {
        "file": os.path.basename(path),
        "envelope_to": str(msg.get("X-Envelope-To", "")),
        "message_id": str(msg.get("Message-ID", "")),
        "from": str(msg.get("From", "")),
        "to": str(msg.get("To", "")),
        "subject": str(msg.get("Subject", "")),
        "content_type": msg.get_content_type(),
    }
    for part in msg.walk():
        if part.get_content_type() == "text/plain":
            out["plain"] = part.get_content()
        elif part.get_content_type() == "text/calendar":
            out["calendar_method"] = part.get_param("method") or ""
            out["calendar"] = read_calendar(part.get_content())
    return out


def main():
    p = argparse.ArgumentParser()
    p.add_argument("kind", choices=["ics", "mail"])
    p.add_argument("path")
    p.add_argument("--from", dest="lo")
    p.add_argument("--to", dest="hi")
    a = p.parse_args()
    if a.kind == "ics":
        window = None
        if a.lo and a.hi:
            window = (datetime.date.fromisoformat(a.lo), datetime.date.fromisoformat(a.hi))
        with open(a.path, "rb") as f:
            result = read_calendar(f.read(), window)
    else:
        names = sorted(n for n in os.listdir(a.path) if n.endswith(".eml"))
        result = [read_mail(os.path.join(a.path, n)) for n in names]
    json.dump(result, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main()
