#!/usr/bin/python3
# Writes events into the built-in calendar of the Evolution Data Server on the current session bus.
#   eds_calendar.py day YYYY-MM-DD          the test day (recurrence, exception, moved occurrence, all-day, zoned...)
#   eds_calendar.py meeting TITLE MINUTES LENGTH [LOCATION]   one event MINUTES from now, LENGTH minutes long
#   eds_calendar.py burst N START           N events of 15 minutes from START, one create call each
#   eds_calendar.py many N YYYY-MM-DD       N events spread over that day (Europe/Berlin), in one call
#   eds_calendar.py cancelled YYYY-MM-DD    imports an export holding a series whose occurrence that day is
#                                           cancelled, a cancelled event and a confirmed one
import sys
import datetime as dt

import gi

gi.require_version("EDataServer", "1.2")
gi.require_version("ECal", "2.0")
gi.require_version("ICalGLib", "3.0")
from gi.repository import ECal, EDataServer, ICalGLib  # noqa: E402


def client():
    registry = EDataServer.SourceRegistry.new_sync(None)
    return ECal.Client.connect_sync(registry.ref_builtin_calendar(), ECal.ClientSourceType.EVENTS, 0xFFFFFFFF, None)


def event(uid, lines):
    text = "BEGIN:VEVENT\r\nUID:%s\r\nDTSTAMP:20260101T000000Z\r\n%s\r\nEND:VEVENT\r\n" % (uid, "\r\n".join(lines))
    return ICalGLib.Component.new_from_string(text)


def create(cal, component):
    cal.create_object_sync(component, ECal.OperationFlags.NONE, None)


def seed_day(cal, day):
    d = dt.date.fromisoformat(day)
    ymd = lambda delta: (d + dt.timedelta(days=delta)).strftime("%Y%m%d")
    at = lambda delta, hms, zone="Europe/Berlin": "TZID=%s:%sT%s" % (zone, ymd(delta), hms)
    timed = lambda uid, title, start, end, *extra: create(
        cal, event(uid, ["SUMMARY:" + title, "DTSTART;" + start, "DTEND;" + end, *extra]))
    timed("standup", "Standup", at(-3, "093000"), at(-3, "094500"), "RRULE:FREQ=DAILY;COUNT=10",
          "EXDATE;" + at(-1, "093000"))
    moved = event("standup", ["SUMMARY:Standup moved", "RECURRENCE-ID;" + at(0, "093000"), "DTSTART;" + at(0, "110000"),
                              "DTEND;" + at(0, "111500"), "LOCATION:Room 2 https://meet.google.com/abc-defg-hij"])
    cal.modify_object_sync(moved, ECal.ObjModType.THIS, ECal.OperationFlags.NONE, None)
    timed("holiday", "Holiday", "VALUE=DATE:" + ymd(0), "VALUE=DATE:" + ymd(1))
    timed("zoned", "Zoned", at(0, "030000"), at(0, "040000"))
    timed("newyork", "New York", at(0, "060000", "America/New_York"), at(0, "070000", "America/New_York"),
          "DESCRIPTION:Dial in: https://acme.zoom.us/j/123456?pwd=abc")
    timed("late", "Late", at(-1, "230000"), at(0, "010000"))
    timed("teams", "Teams sync", at(0, "150000"), at(0, "153000"),
          "URL:https://teams.microsoft.com/l/meetup-join/19%3ameeting")
    timed("script", "Script", at(0, "160000"), at(0, "163000"), "URL:javascript:alert('https://zoom.us/j/1')")
    timed("tomorrow", "Tomorrow", at(1, "100000"), at(1, "110000"))


# What a calendar program exports: the cancelled occurrence is a detached instance of the series.
CANCELLED_EXPORT = """BEGIN:VCALENDAR
VERSION:2.0
PRODID:-//Example Corp.//Calendar Export//EN
BEGIN:VEVENT
UID:retro-series
DTSTAMP:20260101T000000Z
SUMMARY:Retro
DTSTART;TZID=Europe/Berlin:{before}T080000
DTEND;TZID=Europe/Berlin:{before}T083000
RRULE:FREQ=DAILY;COUNT=3
END:VEVENT
BEGIN:VEVENT
UID:retro-series
DTSTAMP:20260101T000000Z
RECURRENCE-ID;TZID=Europe/Berlin:{day}T080000
SUMMARY:Retro
DTSTART;TZID=Europe/Berlin:{day}T080000
DTEND;TZID=Europe/Berlin:{day}T083000
STATUS:CANCELLED
END:VEVENT
BEGIN:VEVENT
UID:offsite
DTSTAMP:20260101T000000Z
SUMMARY:Offsite
DTSTART;TZID=Europe/Berlin:{day}T170000
DTEND;TZID=Europe/Berlin:{day}T180000
STATUS:CANCELLED
END:VEVENT
BEGIN:VEVENT
UID:confirmed
DTSTAMP:20260101T000000Z
SUMMARY:Confirmed
DTSTART;TZID=Europe/Berlin:{day}T173000
DTEND;TZID=Europe/Berlin:{day}T180000
STATUS:CONFIRMED
END:VEVENT
END:VCALENDAR
"""


# Series and single events are created, then each detached instance is stored as that occurrence's change.
def import_export(cal, text):
    calendar = ICalGLib.Component.new_from_string(text.replace("\n", "\r\n"))
    events, detached = [], []
    part = calendar.get_first_component(ICalGLib.ComponentKind.VEVENT_COMPONENT)
    while part is not None:
        copy = part.clone()
        (detached if copy.get_first_property(ICalGLib.PropertyKind.RECURRENCEID_PROPERTY) else events).append(copy)
        part = calendar.get_next_component(ICalGLib.ComponentKind.VEVENT_COMPONENT)
    for component in events:
        create(cal, component)
    for component in detached:
        cal.modify_object_sync(component, ECal.ObjModType.THIS, ECal.OperationFlags.NONE, None)


def main():
    cal = client()
    command = sys.argv[1]
    if command == "day":
        seed_day(cal, sys.argv[2])
    elif command == "meeting":
        begin = dt.datetime.now(dt.timezone.utc) + dt.timedelta(minutes=float(sys.argv[3]))
        end = begin + dt.timedelta(minutes=float(sys.argv[4]))
        lines = ["SUMMARY:" + sys.argv[2], begin.strftime("DTSTART:%Y%m%dT%H%M%SZ"), end.strftime("DTEND:%Y%m%dT%H%M%SZ")]
        if len(sys.argv) > 5:
            lines.append("LOCATION:" + sys.argv[5])
        create(cal, event("meeting-" + sys.argv[2].replace(" ", "-"), lines))
    elif command == "burst":
        start = dt.datetime.strptime(sys.argv[3], "%Y%m%dT%H%M%SZ")
        for i in range(int(sys.argv[2])):
            begin = start + dt.timedelta(minutes=15 * i)
            create(cal, event("burst-%s-%d" % (sys.argv[3], i), ["SUMMARY:Burst %d" % i, begin.strftime("DTSTART:%Y%m%dT%H%M%SZ"),
                                               (begin + dt.timedelta(minutes=15)).strftime("DTEND:%Y%m%dT%H%M%SZ")]))
    elif command == "huge":  # one hour whose summary runs to megabytes
        start = dt.datetime.strptime(sys.argv[3], "%Y%m%dT%H%M%SZ")
        create(cal, event("huge", ["SUMMARY:" + "Long" * int(sys.argv[2]), start.strftime("DTSTART:%Y%m%dT%H%M%SZ"),
                                   (start + dt.timedelta(hours=1)).strftime("DTEND:%Y%m%dT%H%M%SZ")]))
    elif command == "many":
        count, day = int(sys.argv[2]), dt.date.fromisoformat(sys.argv[3]).strftime("%Y%m%d")
        at = lambda i: "TZID=Europe/Berlin:%sT%02d%02d00" % (day, i * 1440 // count // 60, i * 1440 // count % 60)
        cal.create_objects_sync([event("many-%d" % i, ["SUMMARY:Event %d" % i, "DTSTART;" + at(i), "DTEND;" + at(i),
                                                        "LOCATION:https://meet.google.com/room-%d" % i])
                                 for i in range(count)], ECal.OperationFlags.NONE, None)
    elif command == "cancelled":
        d = dt.date.fromisoformat(sys.argv[2])
        import_export(cal, CANCELLED_EXPORT.format(before=(d - dt.timedelta(days=1)).strftime("%Y%m%d"),
                                                   day=d.strftime("%Y%m%d")))
    else:
        sys.exit("unknown command " + command)


main()
