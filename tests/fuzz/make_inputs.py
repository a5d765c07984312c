#!/usr/bin/env python3
"""Writes the hand-made seed corpora and the nasty regression inputs.

The fuzzers start from corpus/<target>/; regressions/<target>/ holds inputs
that once broke something or that probe the edges (lengths beyond a field,
absurd counts, lone CR/LF/26 bytes, overlong lines). Both are committed; run
this again only to change them.
"""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
RECORD = 388
# (offset, capacity) of the text fields, by field number
TEXTS = {0: (0, 25), 1: (26, 25), 2: (52, 10), 3: (63, 100), 7: (169, 100), 8: (270, 100), 10: (372, 15)}


def key(length):
    k = length
    while k > 240:
        k //= 2
    return 255 - k


def scramble(data):
    kk = key(len(data))
    return bytes(b ^ kk for b in data)


def cp(text):
    return text.encode("cp1252")


def record(fields, w1=0, w2=0, erreicht=0, loeschen=0, raw_lengths=None):
    r = bytearray(RECORD)
    for f, (off, cap) in TEXTS.items():
        data = fields.get(f, b"")
        if isinstance(data, str):
            data = cp(data)
        data = data[:cap]
        r[off] = len(data)
        r[off + 1:off + 1 + len(data)] = scramble(data)
    struct.pack_into("<hhb", r, 164, w1, w2, erreicht)
    struct.pack_into("<b", r, 371, loeschen)
    for off, value in (raw_lengths or {}).items():
        r[off] = value
    return bytes(r)


def header(count, last="", version="2.27", output="0", sort="0"):
    return record({0: str(count), 1: output, 2: sort, 3: version, 10: last})


def entry(first, last, date, term="Geburtstag", remark="", tel="", addr="", w1=7, w2=1, erreicht=0, loeschen=0):
    nl = b"\x00\n"
    return record({0: first, 1: last, 2: date, 3: cp(remark).replace(b"\r\n", nl), 7: cp(tel).replace(b"\r\n", nl),
                   8: cp(addr).replace(b"\r\n", nl), 10: term}, w1, w2, erreicht, loeschen)


def list_file(lines):
    return b"".join(scramble(cp(l) if isinstance(l, str) else l) + b"\r\n" for l in lines)


def converter_file(records):
    return b"".join(cp(line) + b"\r\n" for record in records for line in record)


def date_input(text, n=1, limit=255):
    if isinstance(text, str):
        text = text.encode("utf-8")
    return struct.pack("<iB", n, limit) + text


def write(kind, target, name, data):
    folder = os.path.join(HERE, kind, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def main():
    three = [entry("Anna", "Müller", "15.06.1980", remark="Blumen\r\nnicht vergessen", tel="0221 123456",
                   addr="Hauptstraße 5\r\n50667 Köln"),
             entry("Bernd", "Schäfer", "01.01.2000", term="Hochzeitstag", w1=-7, w2=3, erreicht=1),
             entry("Zoë", "Weiß", "24.12.1955", term="Arzt", loeschen=-1)]
    appt = {
        "valid-3.tmf": header(3, "01.06.2024", sort="5") + b"".join(three),
        "empty.tmf": header(0, "14.06.2024"),
        "truncated.tmf": header(3) + b"".join(three[:2]),
        "short.tmf": header(3)[:200],
        "not-a-number.tmf": header("drei") + three[0],
        "bad-dates.tmf": header(4) + entry("A", "B", "29.02.2024") + entry("C", "D", "1.2.2003")
        + entry("E", "F", "31.04.2024") + entry("G", "H", "15.06.0099"),
    }
    for name, data in appt.items():
        write("corpus", "appointment_file", name, data)

    full = bytes([0xFF]) * RECORD
    nasty_appt = {
        "length-bytes-beyond-fields.tmf": record({0: "1"}, raw_lengths={26: 255, 52: 200, 63: 101, 169: 255,
                                                                        270: 250, 372: 16})
        + record({}, raw_lengths={0: 26, 26: 255, 52: 11, 63: 255, 169: 101, 270: 255, 372: 255}),
        "huge-count.tmf": header(2147483647) + three[0],
        "count-beyond-32-bits.tmf": header(99999999999) + three[0],
        "negative-count.tmf": header(-5) + three[0],
        "count-with-blanks-and-sign.tmf": header(" +2 ") + b"".join(three[:2]),
        "zero-bytes.tmf": b"",
        "one-byte-short.tmf": header(0)[:RECORD - 1],
        "trailing-partial-record.tmf": header(2) + three[0] + three[1][:100],
        "all-ff.tmf": full * 3,
        "all-zero.tmf": bytes(RECORD * 2),
        "extreme-integers.tmf": header(2) + entry("X", "Y", "31.12.9999", w1=-32768, w2=32767, erreicht=-128,
                                                  loeschen=127) + entry("X", "Y", "01.01.0001", erreicht=127),
    }
    for name, data in nasty_appt.items():
        write("regressions", "appointment_file", name, data)

    settings = [""] * 10 + ["Wuk-Soft98", "", "0", "", "3", "Arial", "1", "0", "12", "-40"]
    liste = settings + ["/etc/passwd", "/nonexistent/weg.tmf", "/etc/hostname-nicht-da.tmf"] + [""] * 98
    terms = ["Geburtstag", "Hochzeitstag", "Jubiläum", "Arzt"]
    lists = {
        "liste.dat": list_file(liste),
        "termin.dat": list_file(terms),
        "short-liste.dat": list_file(settings[:5] + ["x"]),
        "no-final-crlf.dat": list_file(terms)[:-2],
    }
    for name, data in lists.items():
        write("corpus", "list_files", name, data)

    nasty_lists = {
        # A removed vanished file must not take a listed, existing one with it.
        "check-list-with-gap.dat": list_file(settings + ["/nonexistent/a.tmf", "", "/etc/passwd"]),
        "check-list-slot-100.dat": list_file(settings + ["/nonexistent/a.tmf"] + [""] * 99 + ["/etc/passwd"]),
        "lone-cr-lf-26.dat": b"ab\rcd\r\nef\ngh\r\n\x1a\x1a\r\n\r\r\n\n\n\r\n",
        "overlong-line.dat": bytes(range(256)) * 4 + b"\r\n" + b"x" * 300,
        "line-of-241.dat": list_file(["ä" * 241, "b" * 240, "c" * 255, "d" * 256]),
        "more-than-121-lines.dat": list_file(["/nonexistent/%d" % i for i in range(200)]),
        "term-name-of-20.dat": list_file(["Zwanzig Zeichen lang", "", "nach der Lücke"]),
        "crlf-only.dat": b"\r\n" * 130,
        "lone-cr-at-end.dat": b"abc\r",
        # A 15-character name whose scrambled form holds CR LF.
        "term-name-cut-to-crlf.dat": list_file(["abcdefghijklmýú" + "x" * 5]),
        # Starts with NUL but is no marked line: written back as it was.
        "nul-but-not-marked.dat": bytes([0xFC, 0xBD, 0xBC]),
        # Longer than 255 bytes, its first 255 a marked line of their own;
        # then a marked line of a plain text, "A".
        "long-line-marked-prefix.dat": scramble(b"\x00A" + b"AB" * 126 + b" ") + b"xyz\r\n"
        + scramble(b"\x000" + b"41") + b"\r\n",
    }
    for name, data in nasty_lists.items():
        write("regressions", "list_files", name, data)

    dates = {
        "birthday": date_input("15.06.1980"),
        "short-form": date_input("1.2.2003"),
        "leap-day": date_input("29.02.2024"),
        "april-31": date_input("31.04.2024"),
        "year-99": date_input("15.06.0099"),
        "two-digit-year": date_input("01.01.99"),
        "no-year": date_input("1.2"),
        "lines": date_input("A\r\nB\r\nC", n=2),
        "stored-lines": date_input(b"x\x00\ny\x00\nz", n=3),
        "cp1252": date_input(bytes(range(0x80, 0x100)), limit=40),
    }
    for name, data in dates.items():
        write("corpus", "dates", name, data)

    nasty_dates = {
        "huge-line-number": date_input("A\r\nB\r\nC", n=2147483647),
        "negative-line-number": date_input("A\r\nB", n=-2147483648),
        "many-digits": date_input("99999999999.1.2000"),
        "zeros": date_input("0.0.0"),
        "last-day": date_input("31.12.9999"),
        "first-day": date_input("01.01.0001"),
        "blanks-and-dots": date_input("  1..2  "),
        "overlong-text": date_input(b"\x00\r\n" * 120 + "ä".encode() * 100),
        "broken-utf8": date_input(b"\xc0\x80\xe0\x80\xaf\xed\xa0\x80\xf4\x90\x80\x80\xff\xfe\xc3"),
        "lone-breaks": date_input(b"\r\r\n\n\x1a\x00", n=1, limit=0),
    }
    for name, data in nasty_dates.items():
        write("regressions", "dates", name, data)

    header_lines = ["2", "0", "5", "2.27", "0", "0", "0", "", "", "0", "01.06.2024"]
    entry_lines = [["Anna", "M\u00fcller", "15.06.1980", "Blumen", "7", "1", "0", "0221 123456", "K\u00f6ln",
                    "False", "Geburtstag"],
                   ['"Meier"', "Bernd", "1.2.2003", "", "-7", "3", "1", "", "", "True", "Arzt"]]
    converted = {
        "two-entries.txt": converter_file([header_lines] + entry_lines),
        "empty.txt": converter_file([["0"] + header_lines[1:]]),
        "short.txt": converter_file([header_lines] + entry_lines)[:60],
        "lf-only.txt": converter_file([header_lines] + entry_lines).replace(b"\r\n", b"\n"),
    }
    for name, data in converted.items():
        write("corpus", "converter_output", name, data)

    nasty_converted = {
        "count-too-large.txt": b"32001\r\n",
        "count-negative.txt": b"-1\r\n",
        "count-quoted.txt": b'"1"\r\n' + b"x\r\n" * 21,
        "numbers-not-numbers.txt": converter_file([["1"] + header_lines[1:],
                                                   ["A", "B", "29.02.2024", "", "sieben", "1.5", "99999999999999999999",
                                                    "", "", "vielleicht", "Arzt"]]),
        "overlong-lines.txt": b"1\r\n" + (b"\xe4" * 300 + b"\r\n") * 21,
        "lone-cr-and-nul.txt": b"1\r\n" + b"a\rb\x00c\r\r\n" * 21,
        "no-lines.txt": b"",
        "max-count-no-entries.txt": b"32000\r\n",
    }
    for name, data in nasty_converted.items():
        write("regressions", "converter_output", name, data)


if __name__ == "__main__":
    sys.exit(main())
