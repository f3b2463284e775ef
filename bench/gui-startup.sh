#!/bin/sh
# Times the desktop program's start: from main() to the first paint of the main window, and to
# the first paint of the map opened right after it, best of 5 runs, on Qt's offscreen platform
# (QT_QPA_PLATFORM set beforehand wins, e.g. xcb under Xvfb). The program runs from a scratch
# copy of build/bin, started in that folder, with a configuration written by zephyra-cli
# configure. Not part of CI.
#
#   bench/gui-startup.sh [BIN_FOLDER]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
bin=${1:-$here/build/bin}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp -r "$bin/." "$scratch/"
"$scratch/zephyra-cli" configure >/dev/null

run() {
    ZEPHYRA_STARTUP_TIMING=map QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} \
        timeout 60 sh -c "cd \"$scratch\" && ./zephyra" </dev/null 2>&1 || true
}

for _ in 1 2 3 4 5; do
    run | grep '^startup:' | tr '\n' ' '
    echo
done | awk '
    { main = $6; map = $12; opened = substr($14, 2)
      if (NR == 1 || main < bm) bm = main
      if (NR == 1 || map < bp) bp = map
      if (NR == 1 || opened < bo) bo = opened }
    END { printf "main window painted: %.1f ms; map painted: %.1f ms (%.1f ms after it was opened); best of %d\n", bm, bp, bo, NR }'
