#!/usr/bin/python3
"""Writes an address book through python3-vobject, the way other programs
write theirs, for the vCard import tests: make_vcards.py OUT.vcf"""
import sys

import vobject


def card(given, family, bday=None, extra=()):
    c = vobject.vCard()
    c.add('n').value = vobject.vcard.Name(family=family, given=given)
    c.add('fn').value = (given + ' ' + family).strip()
    if bday is not None:
        c.add('bday').value = bday
    for name, value, params in extra:
        line = c.add(name)
        line.value = value
        for key, values in params.items():
            line.params[key] = values
    return c


cards = [
    card('Anna', 'Łukasiewicz', '1980-06-15', [
        ('tel', '+49 30 123456', {'TYPE': ['HOME', 'VOICE']}),
        ('tel', '+49 30 654321', {'TYPE': ['WORK', 'FAX']}),
        ('email', 'anna@example.org', {'TYPE': ['INTERNET']}),
        ('adr', vobject.vcard.Address(street='Hauptstraße 1', city='Berlin', code='10115',
                                      country='Deutschland'), {}),
    ]),
    card('Jürgen', 'Müller', '--0315', [
        ('x-anniversary', '2001-09-08', {}),
        # Long enough for vobject to fold the line, with characters it escapes.
        ('adr', vobject.vcard.Address(street='Am langen Weg zur Mühle hinter dem Bach 12a; Hinterhaus',
                                      extended='bei Schmidt, 2. Stock', city='Köln', code='50667'), {}),
    ]),
    card('Ohne', 'Datum'),
    card('Text', 'Datum', 'ungefähr 1950', []),
    card('Zoë', 'Ørsted', '1975-02-29', []),
]
cards[3].bday.params['VALUE'] = ['text']

with open(sys.argv[1], 'w', encoding='utf-8', newline='') as out:
    for c in cards:
        out.write(c.serialize())
