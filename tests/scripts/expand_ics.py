#!/usr/bin/python3
"""Reads a calendar file with python3-icalendar, expands every event's
recurrence with python3-dateutil from 1900 to 2100 and prints, tab-separated:
  S uid summary / D uid description / A uid trigger / O uid yyyymmdd
and last "R ok" when writing the calendar out and reading it back gives the
same events. expand_ics.py FILE.ics"""
import datetime
import sys

import icalendar
from dateutil import rrule

FIRST = datetime.date(1900, 1, 1)
LAST = datetime.date(2100, 12, 31)


def meaning(cal):
    events = {}
    for ev in cal.walk('VEVENT'):
        start = ev.decoded('DTSTART')
        rule = ev.get('RRULE').to_ical().decode()
        starts = rrule.rrulestr(rule, dtstart=datetime.datetime.combine(start, datetime.time()))
        days = [d.date() for d in starts.between(
            datetime.datetime.combine(FIRST, datetime.time()),
            datetime.datetime.combine(LAST, datetime.time()), inc=True)]
        alarms = sorted(str(a.decoded('TRIGGER')) for a in ev.walk('VALARM'))
        events[str(ev['UID'])] = (str(ev['SUMMARY']), str(ev.get('DESCRIPTION', '')), alarms, days,
                                  ev.decoded('DTEND') - start)
    return events


def main():
    with open(sys.argv[1], 'rb') as f:
        cal = icalendar.Calendar.from_ical(f.read())
    events = meaning(cal)
    out = sys.stdout
    for uid, (summary, description, alarms, days, length) in events.items():
        out.write('S\t%s\t%s\n' % (uid, summary))
        out.write('D\t%s\t%s\n' % (uid, description.replace('\n', '\\n')))
        for a in alarms:
            out.write('A\t%s\t%s\n' % (uid, a))
        if length != datetime.timedelta(days=1):
            out.write('L\t%s\t%s\n' % (uid, length))
        for d in days:
            out.write('O\t%s\t%s\n' % (uid, d.strftime('%Y%m%d')))
    again = meaning(icalendar.Calendar.from_ical(cal.to_ical()))
    out.write('R\t%s\n' % ('ok' if again == events else 'differs'))


main()
