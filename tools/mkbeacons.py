#!/usr/bin/env python3
"""Builds the demonstration data that ships beside Kestrun from a table of airport positions.

    tools/mkbeacons.py [--airports data/sources/cis_airports.csv] [--out data]

writes, under the output folder:

  rsbn_cis_fs2004.csv   one made-up RSBN beacon per airport, in the beacon database's CSV form:
                        ten quoted fields (number, name, ident, extra, then latitude and longitude
                        as hemisphere, whole degrees and decimal minutes), code page 1251, CR LF,
                        "#" comment lines first, no header line
  examples/*.pln        three routes as simulator flight plans (two in the FS2004 layout, one in
                        the FS2002 layout), with waypoints at airports of the beacon file and
                        between them, so that the automatic beacon choice finds beacons
  examples/*.rbf        a plan file that names beacons of the beacon file

The airport table (OurAirports, public domain) has the header icao,name,lat,lon with decimal
degrees, north and east positive. The beacons are fiction for simulator use: channel numbers
and identifiers are invented, the position is the airport's reference point. Standard library
only; the output is the same on every run.
"""

import argparse
import csv
import math
import os
import sys

# ICAO code -> (name of the beacon in Russian, identifier). Moscow and Kyiv have more than one
# airport; those beacons are named after the airport so that every name is unique (plan files
# find beacons by name).
BEACONS = {
    "UUEE": ("Шереметьево", "SHR"),
    "UUDD": ("Домодедово", "DMD"),
    "UUWW": ("Внуково", "VNK"),
    "ULLI": ("Пулково", "PLK"),
    "ULMM": ("Мурманск", "MRM"),
    "ULAA": ("Архангельск", "ARH"),
    "UMKK": ("Калининград", "KLG"),
    "UUDL": ("Ярославль", "YAR"),
    "UUOO": ("Воронеж", "VRN"),
    "UWGG": ("Нижний Новгород", "NNV"),
    "UWKD": ("Казань", "KZN"),
    "UWWW": ("Самара", "SMR"),
    "UWUU": ("Уфа", "UFA"),
    "UWSG": ("Саратов", "SRT"),
    "URWW": ("Волгоград", "VLG"),
    "URRP": ("Ростов-на-Дону", "RND"),
    "URKK": ("Краснодар", "KRD"),
    "URSS": ("Сочи", "SOC"),
    "URMM": ("Минеральные Воды", "MVD"),
    "USSS": ("Екатеринбург", "EKB"),
    "USCC": ("Челябинск", "CHL"),
    "USPP": ("Пермь", "PRM"),
    "USTR": ("Тюмень", "TMN"),
    "USRR": ("Сургут", "SGT"),
    "UNOO": ("Омск", "OMS"),
    "UNNT": ("Новосибирск", "NSK"),
    "UNKL": ("Красноярск", "KRS"),
    "UIII": ("Иркутск", "IRK"),
    "UHHH": ("Хабаровск", "HBR"),
    "UHWW": ("Владивосток", "VVO"),
    "UEEE": ("Якутск", "YKT"),
    "UHMM": ("Магадан", "MGD"),
    "UHPP": ("Петропавловск-Камчатский", "PKC"),
    "UOOO": ("Норильск", "NRL"),
    "UKBB": ("Борисполь", "BRP"),
    "UKKK": ("Жуляны", "ZHL"),
    "UKLL": ("Львов", "LVV"),
    "UKOO": ("Одесса", "ODS"),
    "UKHH": ("Харьков", "HRK"),
    "UKDD": ("Днепр", "DNP"),
    "UKDE": ("Запорожье", "ZPR"),
    "UKFF": ("Симферополь", "SMF"),
    "UMMS": ("Минск", "MNS"),
    "UMBB": ("Брест", "BRS"),
    "UMGG": ("Гомель", "GML"),
    "UMMG": ("Гродно", "GRD"),
    "UMII": ("Витебск", "VTB"),
    "UAAA": ("Алматы", "ALA"),
    "UACC": ("Астана", "AST"),
    "UAKK": ("Караганда", "KRG"),
    "UATE": ("Актау", "AKT"),
    "UATG": ("Атырау", "ATR"),
    "UAII": ("Шымкент", "SHM"),
    "UTTT": ("Ташкент", "TSK"),
    "UTSS": ("Самарканд", "SKD"),
    "UTSB": ("Бухара", "BHK"),
    "UTNU": ("Ургенч", "UGC"),
    "EVRA": ("Рига", "RIX"),
    "EYVI": ("Вильнюс", "VNO"),
    "EYKA": ("Каунас", "KUN"),
    "EETN": ("Таллин", "TLN"),
    "EETU": ("Тарту", "TRT"),
    "UGTB": ("Тбилиси", "TBS"),
    "UGSB": ("Батуми", "BTM"),
    "UGKO": ("Кутаиси", "KUT"),
    "UDYZ": ("Ереван", "EVN"),
    "UDSG": ("Гюмри", "GMR"),
    "UBBB": ("Баку", "BAK"),
    "UBBG": ("Гянджа", "GNJ"),
    "UAFM": ("Бишкек", "FRU"),
    "UTDD": ("Душанбе", "DYU"),
    "UTAA": ("Ашхабад", "ASB"),
}

CSV_HEADER = [
    "# Demonstration RSBN beacon database for flight-simulator use only; not for real-world navigation.",
    "# One made-up beacon per airport: channel numbers and identifiers are invented, positions are",
    "# the airports' reference points from OurAirports (ourairports.com, public domain).",
    "# Made by tools/mkbeacons.py. Fields: number (channel), name, ident, extra (ICAO code of the",
    "# airport), latitude hemisphere, degrees, minutes, longitude hemisphere, degrees, minutes.",
]

# Waypoints of the example routes: an ICAO code of the airport table, or (name, lat, lon) for a
# point of our own on the way (near a town, named after it).
MOSCOW_IRKUTSK = [
    "UUEE", ("VLDMR", 56.13, 40.40), "UWGG", ("CHBKS", 56.09, 47.35), "UWKD",
    ("NCHLN", 55.56, 52.09), "UWUU", "USCC", ("KURGN", 55.47, 65.41), ("ISHIM", 56.11, 69.48),
    "UNOO", ("BARAB", 55.36, 78.35), "UNNT", ("KEMRV", 55.27, 86.10), "UNKL",
    ("KANSK", 56.20, 95.70), ("TAISH", 55.94, 98.00), "UIII",
]
MOSCOW_STPETERSBURG = [
    "UUEE", ("TORZH", 57.04, 34.96), ("VALDA", 57.98, 33.25), ("NOVGO", 58.52, 31.27), "ULLI",
]
ALMATY_BUKHARA = [
    "UAAA", "UAFM", ("TARAZ", 42.90, 71.37), "UAII", "UTTT", ("SYRDA", 40.50, 68.70), ("JIZAK", 40.12, 67.84),
    "UTSS",
    "UTSB",
]
# The plan file: (waypoint name, position, beacon name of the leg that starts there).
MINSK_KHARKIV = [
    ("UMMS", "UMMS", "Минск"),             # beacon at the start: flying from it
    ("ЖЛОБИН", (52.89, 30.02), "Гомель"),  # beacon at the end: flying to it
    ("UMGG", "UMGG", "Жуляны"),            # beacon off the leg: counting-solving mode
    ("UKBB", "UKBB", "Харьков"),
    ("UKHH", "UKHH", ""),
]

CRLF = "\r\n"


def read_airports(path):
    with open(path, newline="", encoding="ascii") as f:
        rows = list(csv.DictReader(f))
    airports = {}
    for r in rows:
        airports[r["icao"]] = (r["name"], float(r["lat"]), float(r["lon"]))
    return airports


def deg_min(value, hundredths=100):
    """Whole degrees and minutes rounded to hundredths, carried so that minutes stay below 60."""
    a = abs(value)
    deg = int(a)
    mins = round((a - deg) * 60 * hundredths)
    if mins >= 60 * hundredths:
        deg += 1
        mins -= 60 * hundredths
    return deg, mins / hundredths


def beacon_csv(airports):
    missing = sorted(set(airports) - set(BEACONS))
    if missing:
        sys.exit("no beacon name for " + ", ".join(missing))
    names = [v[0] for v in BEACONS.values()]
    idents = [v[1] for v in BEACONS.values()]
    assert len(set(names)) == len(names), "beacon names must be unique"
    assert len(set(idents)) == len(idents), "identifiers must be unique"
    lines = list(CSV_HEADER)
    for i, (icao, (_, lat, lon)) in enumerate(airports.items()):
        name, ident = BEACONS[icao]
        channel = (i * 17) % 40 + 1  # neighbours in the list get different channels
        ld, lm = deg_min(lat)
        od, om = deg_min(lon)
        fields = [
            str(channel), name, ident, icao,
            "N" if lat >= 0 else "S", "%02d" % ld, "%05.2f" % lm,
            "E" if lon >= 0 else "W", "%03d" % od, "%05.2f" % om,
        ]
        lines.append(",".join('"%s"' % f for f in fields))
    return CRLF.join(lines) + CRLF


def resolve(route, airports):
    """[(ident, lat, lon, is_airport)] of a route."""
    out = []
    for w in route:
        if isinstance(w, str):
            _, lat, lon = airports[w]
            out.append((w, lat, lon, True))
        else:
            out.append((w[0], w[1], w[2], False))
    return out


def pln_pos(lat, lon):
    ld, lm = deg_min(lat)
    od, om = deg_min(lon)
    return "%s%02d* %05.2f', %s%03d* %05.2f'" % (
        "N" if lat >= 0 else "S", ld, lm, "E" if lon >= 0 else "W", od, om)


def central_km(a, b):
    la1, lo1, la2, lo2 = map(math.radians, (a[1], a[2], b[1], b[2]))
    c = (math.sin(la1) * math.sin(la2) + math.cos(la1) * math.cos(la2) * math.cos(lo2 - lo1))
    return math.acos(max(-1.0, min(1.0, c))) * 6378.137


def flight_plan(route, airports, fs2004, altitude_ft, title_names):
    pts = resolve(route, airports)
    dep, dst = pts[0], pts[-1]
    lines = ["[flightplan]"]
    if fs2004:
        lines.append("AppVersion=9.1.40901")
    lines += [
        "title=%s to %s" % (dep[0], dst[0]),
        "description=%s, %s" % (dep[0], dst[0]),
        "type=IFR",
        "routetype=1",
        "cruising_altitude=%d" % altitude_ft,
        "departure_id=%s, %s, +000000.00" % (dep[0], pln_pos(dep[1], dep[2])),
        "departure_position=1",
        "destination_id=%s, %s, +000000.00" % (dst[0], pln_pos(dst[1], dst[2])),
        "departure_name=%s" % title_names[0],
        "destination_name=%s" % title_names[1],
    ]
    if fs2004:
        lines.append("alternate_name=")
    for i, (ident, lat, lon, is_airport) in enumerate(pts):
        kind = "A" if is_airport else "U"
        if fs2004:
            # region, ident, (airport name), ident, type, latitude, longitude, altitude, airway
            lines.append("waypoint.%d=, %s, , %s, %s, %s, +000000.00," %
                         (i, ident, ident, kind, pln_pos(lat, lon)))
        else:
            # ident, type, latitude, longitude, altitude, airway
            lines.append("waypoint.%d=%s, %s, %s, +000000.00," % (i, ident, kind, pln_pos(lat, lon)))
    total = sum(central_km(pts[k], pts[k + 1]) for k in range(len(pts) - 1))
    return CRLF.join(lines) + CRLF, len(pts) - 1, total


def split_hundredths(x):
    """Degrees, minutes and hundredths as the program writes them: whole seconds converted."""
    a = abs(x)
    deg = int(a)
    a = (a - deg) * 60
    mins = int(a)
    secs = round((a - mins) * 60)  # ties to even, like the program
    if secs == 60:
        secs = 0
        mins += 1
        if mins == 60:
            mins = 0
            deg += 1
    return deg, mins, round(secs / 60 * 100)


def plan_file(plan, airports, names_in_csv):
    lines = ["SupPoint=Traverse"]
    for i, (name, where, beacon) in enumerate(plan):
        if isinstance(where, str):
            _, lat, lon = airports[where]
        else:
            lat, lon = where
        assert not beacon or beacon in names_in_csv, beacon
        la = split_hundredths(lat)
        lo = split_hundredths(lon)
        lines.append('waypoint.%d="%s", N%02d*%02d.%02d\u2019, E%03d*%02d.%02d\u2019, "%s"' %
                     ((i, name) + la + lo + (beacon,)))
    return CRLF.join(lines) + CRLF


def write(path, text):
    with open(path, "wb") as f:
        f.write(text.encode("cp1251"))


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--airports", default=os.path.join(root, "data", "sources", "cis_airports.csv"))
    ap.add_argument("--out", default=os.path.join(root, "data"))
    args = ap.parse_args()

    airports = read_airports(args.airports)
    write(os.path.join(args.out, "rsbn_cis_fs2004.csv"), beacon_csv(airports))

    examples = os.path.join(args.out, "examples")
    os.makedirs(examples, exist_ok=True)
    for file, route, fs2004, alt, names in [
        ("moscow-irkutsk.pln", MOSCOW_IRKUTSK, True, 33000, ("SHEREMETYEVO", "IRKUTSK")),
        ("moscow-stpetersburg.pln", MOSCOW_STPETERSBURG, True, 26000, ("SHEREMETYEVO", "PULKOVO")),
        ("almaty-bukhara-fs2002.pln", ALMATY_BUKHARA, False, 31000, ("ALMATY", "BUKHARA")),
    ]:
        text, legs, km = flight_plan(route, airports, fs2004, alt, names)
        write(os.path.join(examples, file), text)
        print("%s: %d legs, %.0f km" % (file, legs, km))
    names = {v[0] for v in BEACONS.values()}
    write(os.path.join(examples, "minsk-kharkiv.rbf"), plan_file(MINSK_KHARKIV, airports, names))
    print("rsbn_cis_fs2004.csv: %d beacons" % len(airports))


if __name__ == "__main__":
    main()
