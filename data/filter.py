#!/usr/bin/env python3
"""Prepares the shipped data files from full downloads.

usage: data/filter.py SOURCE_DIR [OUT_DIR]

SOURCE_DIR holds the downloads laid out as
    ourairports/airports.csv[.gz], ourairports/navaids.csv[.gz], ourairports/countries.csv,
    stations/stations.txt, stations/nsd_cccc.txt, stations/weather-util_stations.gz,
    fixes/fix.dat.gz
OUT_DIR defaults to the folder of this script.

Rows are only dropped, never changed: every kept line is written byte for byte, so each file
keeps its original format and `zephyra-cli build-db` reads the full downloads just as well.
The rows dropped here are ones the importer would not use anyway:
  - airports.csv: keeps large_airport and medium_airport rows, and every row whose ident,
    icao_code or gps_code is the id of a reporting station in one of the station lists;
  - navaids.csv: keeps the VOR and NDB families (VOR, VOR-DME, VORTAC, NDB, NDB-DME).
Everything else is copied unchanged. Gzip output carries no time stamp, so a rerun on the
same input gives the same bytes.
"""

import csv
import gzip
import io
import os
import re
import shutil
import sys

STATION_ID = re.compile(r"^[A-Z][A-Z0-9]{3}$")
AIRPORT_TYPES = {"large_airport", "medium_airport"}
NAVAID_TYPES = {"VOR", "VOR-DME", "VORTAC", "NDB", "NDB-DME"}


def open_bytes(path):
    """Opens path, or path + '.gz' when only the compressed copy is there."""
    if os.path.exists(path):
        return gzip.open(path, "rb") if path.endswith(".gz") else open(path, "rb")
    return gzip.open(path + ".gz", "rb")


def station_ids(source):
    ids = set()
    with open_bytes(os.path.join(source, "stations", "stations.txt")) as f:
        for line in f.read().decode("latin-1").splitlines():
            if not line.startswith("!") and len(line) >= 83:
                ids.add(line[20:24].strip())
    with open_bytes(os.path.join(source, "stations", "nsd_cccc.txt")) as f:
        for line in f.read().decode("latin-1").splitlines():
            ids.add(line.split(";", 1)[0].strip())
    with open_bytes(os.path.join(source, "stations", "weather-util_stations.gz")) as f:
        for line in f.read().decode("utf-8").splitlines():
            if line.startswith("[") and line.rstrip().endswith("]"):
                ids.add(line.strip()[1:-1].upper())
    return {i for i in ids if STATION_ID.match(i)}


def csv_records(raw):
    """Yields (fields, original text) per CSV record; a record may span lines."""
    pending = ""
    for line in io.StringIO(raw.decode("utf-8"), newline=""):
        pending += line
        if pending.count('"') % 2:
            continue  # a quoted field goes on in the next line
        yield next(csv.reader([pending])), pending
        pending = ""
    if pending:
        yield next(csv.reader([pending])), pending


def filter_csv(source_path, target_path, keep):
    with open_bytes(source_path) as f:
        records = csv_records(f.read())
    header, header_text = next(records)
    column = {name: i for i, name in enumerate(header)}
    kept = [header_text]
    total = 0
    for fields, text in records:
        total += 1
        if len(fields) == len(header) and keep(fields, column):
            kept.append(text)
    data = "".join(kept).encode("utf-8")
    with open(target_path, "wb") as out:
        out.write(gzip.compress(data, compresslevel=9, mtime=0))
    print(f"{target_path}: {len(kept) - 1} of {total} rows")


def gzip_copy(source_path, target_path):
    with open_bytes(source_path) as f:
        data = f.read()
    with open(target_path, "wb") as out:
        out.write(gzip.compress(data, compresslevel=9, mtime=0))
    print(f"{target_path}: copied")


def main():
    if len(sys.argv) not in (2, 3):
        print(__doc__, file=sys.stderr)
        return 2
    source = sys.argv[1]
    out = sys.argv[2] if len(sys.argv) == 3 else os.path.dirname(os.path.abspath(__file__))
    for sub in ("ourairports", "stations", "fixes"):
        os.makedirs(os.path.join(out, sub), exist_ok=True)

    ids = station_ids(source)
    print(f"{len(ids)} station ids")

    def keep_airport(f, c):
        if f[c["type"]] in AIRPORT_TYPES:
            return True
        return any(f[c[k]] in ids for k in ("ident", "icao_code", "gps_code"))

    filter_csv(os.path.join(source, "ourairports", "airports.csv"),
               os.path.join(out, "ourairports", "airports.csv.gz"), keep_airport)
    filter_csv(os.path.join(source, "ourairports", "navaids.csv"),
               os.path.join(out, "ourairports", "navaids.csv.gz"),
               lambda f, c: f[c["type"]] in NAVAID_TYPES)
    shutil.copyfile(os.path.join(source, "ourairports", "countries.csv"),
                    os.path.join(out, "ourairports", "countries.csv"))
    gzip_copy(os.path.join(source, "stations", "stations.txt"),
              os.path.join(out, "stations", "stations.txt.gz"))
    gzip_copy(os.path.join(source, "stations", "nsd_cccc.txt"),
              os.path.join(out, "stations", "nsd_cccc.txt.gz"))
    # Already compressed by its publisher: copied byte for byte.
    shutil.copyfile(os.path.join(source, "stations", "weather-util_stations.gz"),
                    os.path.join(out, "stations", "weather-util_stations.gz"))
    shutil.copyfile(os.path.join(source, "fixes", "fix.dat.gz"),
                    os.path.join(out, "fixes", "fix.dat.gz"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
