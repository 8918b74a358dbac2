#!/usr/bin/env bash
# The coordinator's ceiling: quarnMain with 50 stand-in clients that answer at once (the
# quick rule of coordinator/test/fake_client.cpp), over catalogues of SMALL and LARGE
# formulas, in an IPC namespace of its own (run as root). The difference of the two runs leaves
# out the fixed start and end of a run: it prints the hand-off rate (pairs per second of wall
# time) and the coordinator's processor time per pair.
#   bench/handoff.sh [build folder] [LARGE formulas] [SMALL formulas]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
large=${2:-1500}
small=${3:-100}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs n x n pairs; prints "<wall s> <coordinator processor s>".
run() {
    local dir="$work/$1"
    mkdir -p "$dir"
    awk -v n="$1" 'BEGIN { for (i = 0; i < n; i++) printf "f%d, %s", i, (i % 7 == 6 ? "\n" : "") ; print "\n" }' \
        > "$dir/formulas_001.txt"
    cp "$build/tests/fake_client" "$dir/quarnClient"
    echo "quick=1" > "$dir/fake_rule.txt"
    (cd "$dir" && QUARN_MIN_FREE_KB=0 QUARN_CLIENT_SUDO=0 /usr/bin/time -f "%e %U %S" -o times \
        unshare -i "$build/bin/quarnMain" > out.txt)
    grep -q "Run ended: .*, all done" "$dir/logfile.txt"
    awk '{ print $1, $2 + $3 }' "$dir/times"
}
read -r wallL cpuL < <(run "$large")
read -r wallS cpuS < <(run "$small")
pairs=$((large * large - small * small))
awk -v p="$pairs" -v w="$wallL" -v ws="$wallS" -v c="$cpuL" -v cs="$cpuS" 'BEGIN {
    printf "%d pairs: %.0f pairs/s, coordinator %.3f us of processor per pair\n",
           p, p / (w - ws), 1e6 * (c - cs) / p }'
