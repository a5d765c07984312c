#!/usr/bin/python3
"""Reads a CalDAV calendar back the way another client would, with Debian's
python3-caldav, and prints one tab-separated line per event, sorted:
  uid  summary  day-in-2027  day-in-2028  triggers
the days as mmdd of the occurrence in those years (a common and a leap year),
the alarms' triggers comma-separated, largest lead first.
read_calendar.py CALENDAR-URL USER PASSWORD"""
import datetime
import sys

import caldav
from dateutil import rrule


def occurrence(start, rule, year):
    first = datetime.datetime(year, 1, 1)
    last = datetime.datetime(year, 12, 31)
    dtstart = datetime.datetime.combine(start, datetime.time())
    days = rrule.rrulestr(rule, dtstart=dtstart).between(first, last, inc=True) if rule else (
        [dtstart] if first <= dtstart <= last else [])
    return ",".join(d.strftime("%m%d") for d in days) or "-"


def main():
    url, user, password = sys.argv[1:4]
    client = caldav.DAVClient(url=url, username=user or None, password=password or None)
    calendar = caldav.Calendar(client=client, url=url)
    lines = []
    for obj in calendar.events():
        cal = obj.icalendar_instance
        for ev in cal.walk("VEVENT"):
            start = ev.decoded("DTSTART")
            rule = ev.get("RRULE").to_ical().decode() if ev.get("RRULE") else ""
            triggers = sorted((a.decoded("TRIGGER") for a in ev.walk("VALARM")))
            lines.append("\t".join([
                str(ev["UID"]), str(ev["SUMMARY"]), occurrence(start, rule, 2027), occurrence(start, rule, 2028),
                ",".join("%dd" % -t.days for t in triggers)]))
    for line in sorted(lines):
        print(line)


main()
