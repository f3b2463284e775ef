#!/usr/bin/env bash
# Makes the small GRIB2 files of winds and temperatures on pressure levels that the GRIB tests
# read, from ecCodes' own sample (Debian package libeccodes-tools). The values are written out
# below so that the tests can work out what lies between the grid points by hand.
#   tests/data/grib/make-aloft.sh   (writes into this folder)
set -euo pipefail
cd "$(dirname "$0")"
sample=/usr/share/eccodes/samples/regular_ll_pl_grib2.tmpl
rules=$(mktemp)
trap 'rm -f "$rules"' EXIT

# A 4 x 3 box of 1 degree: longitudes 10..13 E, latitudes 50 N down to 48 N (scanned from the
# north-west, row by row), 850, 500 and 250 hPa with geopotential height. 2026-12-07 00Z +6 h.
#   u = 10 + 2 (lon - 10) at 850, twice that at 500, 40 at 250 (m/s)
#   v = 2 (lat - 48) at 850, twice that at 500, 0 at 250
#   t = 271 + (lon - 10) + 2 (50 - lat) at 850, 30 less at 500, 220 at 250 (K)
#   gh = 1524 m (5000 ft) at 850; 5486.4 m (18000 ft) at lon 10 rising 60.96 m (200 ft) a
#   degree east at 500; 10668 m (35000 ft) at 250
cat >"$rules" <<'RULES'
set centre = "kwbc";
set dataDate = 20261207;
set dataTime = 0;
set stepUnits = "h";
set step = 6;
set Ni = 4;
set Nj = 3;
set numberOfDataPoints = 12;
set latitudeOfFirstGridPointInDegrees = 50;
set longitudeOfFirstGridPointInDegrees = 10;
set latitudeOfLastGridPointInDegrees = 48;
set longitudeOfLastGridPointInDegrees = 13;
set iDirectionIncrementInDegrees = 1;
set jDirectionIncrementInDegrees = 1;
set typeOfLevel = "isobaricInhPa";
set bitsPerValue = 24;
set level = 850;
set shortName = "u";  set values = {10,12,14,16, 10,12,14,16, 10,12,14,16}; write "aloft-box.grib2";
set shortName = "v";  set values = {4,4,4,4, 2,2,2,2, 0,0,0,0}; write "aloft-box.grib2";
set shortName = "t";  set values = {271,272,273,274, 273,274,275,276, 275,276,277,278}; write "aloft-box.grib2";
set shortName = "gh"; set values = {1524,1524,1524,1524, 1524,1524,1524,1524, 1524,1524,1524,1524}; write "aloft-box.grib2";
set level = 500;
set shortName = "u";  set values = {20,24,28,32, 20,24,28,32, 20,24,28,32}; write "aloft-box.grib2";
set shortName = "v";  set values = {8,8,8,8, 4,4,4,4, 0,0,0,0}; write "aloft-box.grib2";
set shortName = "t";  set values = {241,242,243,244, 243,244,245,246, 245,246,247,248}; write "aloft-box.grib2";
set shortName = "gh"; set values = {5486.4,5547.36,5608.32,5669.28, 5486.4,5547.36,5608.32,5669.28, 5486.4,5547.36,5608.32,5669.28}; write "aloft-box.grib2";
set level = 250;
set shortName = "u";  set values = {40,40,40,40, 40,40,40,40, 40,40,40,40}; write "aloft-box.grib2";
set shortName = "v";  set values = {0,0,0,0, 0,0,0,0, 0,0,0,0}; write "aloft-box.grib2";
set shortName = "t";  set values = {220,220,220,220, 220,220,220,220, 220,220,220,220}; write "aloft-box.grib2";
set shortName = "gh"; set values = {10668,10668,10668,10668, 10668,10668,10668,10668, 10668,10668,10668,10668}; write "aloft-box.grib2";
RULES
rm -f aloft-box.grib2
grib_filter "$rules" "$sample"

# The same size of box scanned the other way round (from the south-east, westward along each
# row, rows going north), longitudes -2..1, latitudes 10..12 N; 700 and 300 hPa without
# geopotential height, and a 2 m temperature that is not on a pressure level.
# 2026-12-07 12Z +3 h.
#   u = 2 (lon + 2) + (lat - 10) at 700, 30 at 300; v = -3 (lat - 10) at 700, -10 at 300
#   t = 280 + (lon + 2) at 700, 230 at 300
cat >"$rules" <<'RULES'
set centre = "kwbc";
set dataDate = 20261207;
set dataTime = 1200;
set stepUnits = "h";
set step = 3;
set Ni = 4;
set Nj = 3;
set numberOfDataPoints = 12;
set iScansNegatively = 1;
set jScansPositively = 1;
set latitudeOfFirstGridPointInDegrees = 10;
set longitudeOfFirstGridPointInDegrees = 1;
set latitudeOfLastGridPointInDegrees = 12;
set longitudeOfLastGridPointInDegrees = -2;
set iDirectionIncrementInDegrees = 1;
set jDirectionIncrementInDegrees = 1;
set typeOfLevel = "isobaricInhPa";
set bitsPerValue = 24;
set level = 700;
set shortName = "u"; set values = {6,4,2,0, 7,5,3,1, 8,6,4,2}; write "aloft-std.grib2";
set shortName = "v"; set values = {0,0,0,0, -3,-3,-3,-3, -6,-6,-6,-6}; write "aloft-std.grib2";
set shortName = "t"; set values = {283,282,281,280, 283,282,281,280, 283,282,281,280}; write "aloft-std.grib2";
set level = 300;
set shortName = "u"; set values = {30,30,30,30, 30,30,30,30, 30,30,30,30}; write "aloft-std.grib2";
set shortName = "v"; set values = {-10,-10,-10,-10, -10,-10,-10,-10, -10,-10,-10,-10}; write "aloft-std.grib2";
set shortName = "t"; set values = {230,230,230,230, 230,230,230,230, 230,230,230,230}; write "aloft-std.grib2";
set typeOfLevel = "heightAboveGround";
set level = 2;
set shortName = "t"; set values = {300,300,300,300, 300,300,300,300, 300,300,300,300}; write "aloft-std.grib2";
RULES
rm -f aloft-std.grib2
grib_filter "$rules" "$sample"

# A ring round the equator: 360 x 2 points of 1 degree (longitudes 0..359, latitudes 1 and
# 0 N), 500 hPa only. u is 10 m/s at longitude 0, 30 at 359 and 0 elsewhere; v 0; t 250 K.
ring() {
  local first=$1 last=$2 rest=$3 row="$1" i
  for ((i = 1; i < 359; ++i)); do row+=",$rest"; done
  row+=",$last"
  echo "$row,$row"
}
cat >"$rules" <<RULES
set centre = "kwbc";
set dataDate = 20261207;
set dataTime = 0;
set stepUnits = "h";
set step = 6;
set Ni = 360;
set Nj = 2;
set numberOfDataPoints = 720;
set latitudeOfFirstGridPointInDegrees = 1;
set longitudeOfFirstGridPointInDegrees = 0;
set latitudeOfLastGridPointInDegrees = 0;
set longitudeOfLastGridPointInDegrees = 359;
set iDirectionIncrementInDegrees = 1;
set jDirectionIncrementInDegrees = 1;
set typeOfLevel = "isobaricInhPa";
set bitsPerValue = 8;
set level = 500;
set shortName = "u"; set values = {$(ring 10 30 0)}; write "aloft-ring.grib2";
set shortName = "v"; set values = {$(ring 0 0 0)}; write "aloft-ring.grib2";
set shortName = "t"; set values = {$(ring 250 250 250)}; write "aloft-ring.grib2";
RULES
rm -f aloft-ring.grib2
grib_filter "$rules" "$sample"

# A global Gaussian grid (N32: 128 x 64 points, the rows from 87.86 N to 87.86 S), 500 hPa:
# u 10 m/s, v -5 m/s and t 250 K everywhere.
every() {
  local list="$1" i
  for ((i = 1; i < 8192; ++i)); do list+=",$1"; done
  echo "$list"
}
cat >"$rules" <<RULES
set centre = "kwbc";
set dataDate = 20261207;
set dataTime = 0;
set stepUnits = "h";
set step = 6;
set level = 500;
set shortName = "u"; set values = {$(every 10)}; write "aloft-gaussian.grib2";
set shortName = "v"; set values = {$(every -5)}; write "aloft-gaussian.grib2";
set shortName = "t"; set values = {$(every 250)}; write "aloft-gaussian.grib2";
RULES
rm -f aloft-gaussian.grib2
grib_filter "$rules" /usr/share/eccodes/samples/regular_gg_pl_grib2.tmpl

# Winds on two different grids: u on a 4 x 3 box, v on a 3 x 3 one.
cat >"$rules" <<'RULES'
set centre = "kwbc";
set dataDate = 20261207;
set dataTime = 0;
set Ni = 4;
set Nj = 3;
set numberOfDataPoints = 12;
set latitudeOfFirstGridPointInDegrees = 50;
set longitudeOfFirstGridPointInDegrees = 10;
set latitudeOfLastGridPointInDegrees = 48;
set longitudeOfLastGridPointInDegrees = 13;
set iDirectionIncrementInDegrees = 1;
set jDirectionIncrementInDegrees = 1;
set typeOfLevel = "isobaricInhPa";
set bitsPerValue = 16;
set level = 500;
set shortName = "u"; set values = {1,1,1,1, 1,1,1,1, 1,1,1,1}; write "aloft-mismatch.grib2";
set Ni = 3;
set numberOfDataPoints = 9;
set longitudeOfLastGridPointInDegrees = 12;
set shortName = "v"; set values = {1,1,1, 1,1,1, 1,1,1}; write "aloft-mismatch.grib2";
RULES
rm -f aloft-mismatch.grib2
grib_filter "$rules" "$sample"
