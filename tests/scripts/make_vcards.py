#!/usr/bin/python3
"""Writes an address book through python3-vobject, the way other programs
write theirs, for the vCard import tests: make_vcards.py OUT.vcf

make_vcards.py --gross DIR writes the address books the import's memory is
measured on (about 950 MB in all; delete them afterwards):
  wert.vcf      one contact with a NOTE of 200 MB on one line
  gefaltet.vcf  one contact with a PHOTO of 200 MB folded into lines of 75
  name.vcf      one contact whose N is 200 MB long
  qp.vcf        a quoted-printable ADR of 200 MB in soft-broken lines
  million.vcf   1,000,000 small contacts (about 135 MB)
e.g. /usr/bin/time -v termif98-check --vcard DIR/wert.vcf --in Z.tmf"""
import os
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


def gross(folder):
    mib = b'x' * (1 << 20)
    with open(os.path.join(folder, 'wert.vcf'), 'wb') as f:
        f.write(b'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Gross;Greta\r\nNOTE:')
        for _ in range(200):
            f.write(mib)
        f.write(b'\r\nBDAY:1980-06-15\r\nEND:VCARD\r\n')
    with open(os.path.join(folder, 'gefaltet.vcf'), 'wb') as f:
        f.write(b'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Foto;Frida\r\nPHOTO;ENCODING=b;TYPE=JPEG:')
        line = b'A' * 74 + b'\r\n '
        for _ in range((200 << 20) // len(line) // 1000):
            f.write(line * 1000)
        f.write(b'AA==\r\nBDAY:1980-06-15\r\nEND:VCARD\r\n')
    with open(os.path.join(folder, 'name.vcf'), 'wb') as f:
        f.write(b'BEGIN:VCARD\r\nVERSION:3.0\r\nN:')
        for _ in range(200):
            f.write(mib)
        f.write(b';Greta\r\nBDAY:1980-06-15\r\nEND:VCARD\r\n')
    with open(os.path.join(folder, 'qp.vcf'), 'wb') as f:
        f.write(b'BEGIN:VCARD\r\nVERSION:2.1\r\nN:Weich;Willi\r\nADR;ENCODING=QUOTED-PRINTABLE:;;')
        line = b'=C3=A4' * 12 + b'=\r\n'
        for _ in range((200 << 20) // len(line) // 1000):
            f.write(line * 1000)
        f.write(b'x;Berlin;;10115;\r\nBDAY:1980-06-15\r\nEND:VCARD\r\n')
    with open(os.path.join(folder, 'million.vcf'), 'wb') as f:
        for block in range(100):
            f.write(b''.join(
                b'BEGIN:VCARD\r\nVERSION:3.0\r\nN:Nachname%d;Vorname;;;\r\nFN:Vorname Nachname%d\r\n'
                b'TEL;TYPE=cell:+49 170 %07d\r\nBDAY:1980-%02d-%02d\r\nEND:VCARD\r\n'
                % (i, i, i, i % 12 + 1, i % 28 + 1) for i in range(block * 10000, (block + 1) * 10000)))


if sys.argv[1] == '--gross':
    gross(sys.argv[2])
    sys.exit(0)

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
