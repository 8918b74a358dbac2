#!/usr/bin/env bash
# Installs what is missing, builds the three programs and runs a search in ./work: the
# generator writes its first 20 formula files there (once), then quarnMain pairs them all.
# Without arguments it continues an unfinished search in ./work where it stopped, and does not
# start a finished one again; arguments are passed on to quarnMain (a resume argument, say).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"

mkdir -p work
cd work
if ! ls formulas* > /dev/null 2>&1; then
    "$top/build/bin/zindel"
fi
cp "$top/build/bin/quarnClient" ./quarnClient

# The log says whether a search ran here before and where it stopped.
if [ $# -eq 0 ]; then
    status=0
    resume=$("$top/build/bin/quarnCampaign" resume-argument .) || status=$?
    case $status in
        0) echo "continuing the unfinished search in ./work with $resume"
           set -- "$resume" ;;
        2) echo "the search in ./work is finished: its passing pairs are in work/best.txt"
           exit 0 ;;
        4) ;;  # no search has run here: start from the beginning
        *) exit 1 ;;
    esac
fi

# The search stops when free memory falls below QUARN_MIN_FREE_KB; unless it is set, the
# threshold is the one a campaign's run takes here (the coordinator's default while this machine
# has that much free memory, else a tenth of its memory).
if [ -z "${QUARN_MIN_FREE_KB:-}" ]; then
    threshold=$("$top/build/bin/quarnCampaign" min-free-kb)
    export QUARN_MIN_FREE_KB=${threshold%% *}
    echo "the search stops when free memory falls below $threshold"
fi
exec "$top/build/bin/quarnMain" "$@"
