#!/bin/bash
# Times the METAR reader of metar-taf-parser 9 (a general-purpose JavaScript parser) on a file of
# reports, one parseMetar per line in one node process, best of 5 passes, beside
# `zephyra-cli decode` of a file as a whole process, best of 5 runs. Not part of CI: it installs
# the peer from npm into a scratch folder, and needs node and npm (Debian: nodejs, npm).
#
#   bench/peer-metar-taf-parser.sh [REPORTS_FILE [DECODE_FILE [ZEPHYRA_CLI]]]
#
# REPORTS_FILE: one report per line (default: tests/data/metar/awc_metars_2022-10-23T11Z.txt.gz);
# DECODE_FILE: what zephyra-cli decodes (default: the cycle file of the same hour). Either may be
# gzip-compressed; it is inflated into the scratch folder first.
# ZEPHYRA_CLI: default build/bin/zephyra-cli. The database decode writes is a scratch copy.
#
# A run is timed from the shell's fork to its wait with bash's own clock (EPOCHREALTIME): a
# `date` before and after would add its own start and exit, some 1.5 ms, to every run.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
data="$here/tests/data/metar"
reports=${1:-$data/awc_metars_2022-10-23T11Z.txt.gz}
decode=${2:-$data/awc_metars_2022-10-23T11Z_cycle.txt.gz}
cli=${3:-$here/build/bin/zephyra-cli}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
gzip -dcf "$reports" >"$scratch/reports.txt"
gzip -dcf "$decode" >"$scratch/decode.txt"
cp "$(dirname "$cli")/vanedb.mdb" "$scratch/vanedb.mdb"

(cd "$scratch" && npm init -y >/dev/null &&
    npm install --no-audit --no-fund --silent metar-taf-parser@9 >/dev/null)

cat >"$scratch/peer.mjs" <<'JS'
import { readFileSync } from "node:fs";
import { parseMetar } from "metar-taf-parser";
const lines = readFileSync(process.argv[2], "utf8").split("\n").filter((l) => l.trim() !== "");
let best = Infinity;
let parsed = 0;
for (let pass = 0; pass < 5; ++pass) {
  const start = process.hrtime.bigint();
  parsed = 0;
  for (const line of lines) {
    try {
      parseMetar(line);
      ++parsed;
    } catch {
      // A line the parser refuses still costs its time.
    }
  }
  best = Math.min(best, Number(process.hrtime.bigint() - start) / 1e6);
}
console.log(`peer: ${lines.length} lines (${parsed} parsed), best of 5 passes: ${best.toFixed(1)} ms`);
console.log(`peer_ms=${best}`);
JS
peer=$(cd "$scratch" && node peer.mjs "$scratch/reports.txt")
echo "$peer" | head -1
peer_ms=$(echo "$peer" | sed -n 's/^peer_ms=//p')

best_us=
for _ in 1 2 3 4 5; do
    # Microseconds, whatever the locale's decimal sign.
    start=${EPOCHREALTIME//[!0-9]/}
    "$cli" decode --db "$scratch/vanedb.mdb" "$scratch/decode.txt" >"$scratch/decode.out"
    end=${EPOCHREALTIME//[!0-9]/}
    us=$((10#$end - 10#$start))
    if [ -z "$best_us" ] || [ "$us" -lt "$best_us" ]; then best_us=$us; fi
done
grep "Done Processing" "$scratch/decode.out"
awk -v us="$best_us" -v peer="$peer_ms" 'BEGIN {
    printf "zephyra-cli decode, whole process, best of 5: %.1f ms\n", us / 1000
    printf "zephyra-cli is %.1fx faster than the peer\n", peer / (us / 1000)
}'
