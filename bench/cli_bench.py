#!/usr/bin/env python3
"""kestrun-cli on a big generated plan: CPU time and peak memory of whole runs.

Writes an FS2004 flight plan of N waypoints (default 100,000) winding over the area of the
shipped beacons, legs of 20 to 150 km, and runs `kestrun-cli --auto-select` on it several
times under /usr/bin/time -v, output to /dev/null. Prints every run and the median.

Target: at most 0.5 s of CPU time and 64 MiB peak with the shipped beacons.

usage: bench/cli_bench.py CLI [--waypoints N] [--runs R] [--keep PLAN] [-- CLI-OPTIONS...]
"""
import argparse
import math
import os
import random
import re
import statistics
import subprocess
import sys
import tempfile

EARTH_KM = 6378.137


def forward(lat, lon, course_deg, km):
    """The point km along the great circle from (lat, lon) at course_deg, degrees."""
    d = km / EARTH_KM
    p1, l1, c = math.radians(lat), math.radians(lon), math.radians(course_deg)
    p2 = math.asin(math.sin(p1) * math.cos(d) + math.cos(p1) * math.sin(d) * math.cos(c))
    l2 = l1 + math.atan2(math.sin(c) * math.sin(d) * math.cos(p1),
                         math.cos(d) - math.sin(p1) * math.sin(p2))
    return math.degrees(p2), (math.degrees(l2) + 540) % 360 - 180


def coord(value, pos, neg, width):
    hemi = pos if value >= 0 else neg
    value = abs(value)
    deg = int(value)
    minutes = (value - deg) * 60
    if round(minutes, 2) >= 60:
        deg, minutes = deg + 1, 0.0
    return f"{hemi}{deg:0{width}d}* {minutes:05.2f}'"


def write_plan(path, waypoints):
    rng = random.Random(1)
    lat, lon, heading = 55.0, 37.0, 80.0
    lines = ["[flightplan]", "AppVersion=9.1.40901", "title=generated", "description=generated",
             "type=IFR", "routetype=1", "cruising_altitude=26000",
             "departure_id=WP0, N55* 00.00', E037* 00.00', +000000.00", "departure_position=1",
             "destination_id=WPN, N55* 00.00', E037* 00.00', +000000.00",
             "departure_name=START", "destination_name=END", "alternate_name="]
    for i in range(waypoints):
        pos = f"{coord(lat, 'N', 'S', 2)}, {coord(lon, 'E', 'W', 3)}"
        lines.append(f"waypoint.{i}=, WP{i}, , WP{i}, U, {pos}, +000000.00,")
        heading += 40 * (rng.random() - 0.5)
        # Winding within 42..62 N, 25..100 E, where the shipped beacons stand.
        if lat > 62:
            heading = 150
        if lat < 42:
            heading = 30
        if lon > 100:
            heading = 270
        if lon < 25:
            heading = 90
        lat, lon = forward(lat, lon, heading, 20 + 130 * rng.random())
    with open(path, "w", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")


def run(cli, plan, extra):
    cmd = ["/usr/bin/time", "-v", cli, "--auto-select", *extra, plan]
    p = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    if p.returncode != 0:
        sys.exit(f"cli_bench: {' '.join(cmd)} failed:\n{p.stderr}")

    def field(name):
        return float(re.search(re.escape(name) + r":\s*([0-9.]+)", p.stderr).group(1))

    cpu = field("User time (seconds)") + field("System time (seconds)")
    return cpu, field("Maximum resident set size (kbytes)") / 1024


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("cli")
    ap.add_argument("--waypoints", type=int, default=100000)
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--keep", help="write the generated plan here and keep it")
    argv = sys.argv[1:]
    extra = argv[argv.index("--") + 1:] if "--" in argv else []
    a = ap.parse_args(argv[:len(argv) - len(extra) - (1 if extra else 0)])
    a.extra = extra
    with tempfile.TemporaryDirectory() as tmp:
        plan = a.keep or os.path.join(tmp, "generated.pln")
        write_plan(plan, a.waypoints)
        results = [run(a.cli, plan, a.extra) for _ in range(a.runs)]
    for cpu, mib in results:
        print(f"cpu {cpu:.2f} s   peak {mib:.1f} MiB")
    print(f"median: cpu {statistics.median(r[0] for r in results):.2f} s   "
          f"peak {statistics.median(r[1] for r in results):.1f} MiB   "
          f"({a.waypoints} waypoints, --auto-select {' '.join(a.extra)})")


if __name__ == "__main__":
    main()
