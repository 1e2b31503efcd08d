#!/usr/bin/env bash
# run.sh [RUNS]
# The session launcher against bare CreateProcessA starts under Wine: one
# and six sessions of the signed stand-in, from the start until every
# session's window exists. Prints each measure and the ratios.
#
# Runs in an environment of its own (a fresh prefix that trusts the test
# publisher, a display), so it never disturbs a test run in build/win64.
set -eu
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
. "$repo/scripts/wine-loader"
runs=${1:-5}

cmake --build "$repo/build/native" --target testserver >/dev/null
cmake --build "$repo/build/win64" --target launch_bench session-programs trust-cert >/dev/null
bench_exe=$repo/build/win64/bench/launch/launch_bench.exe
programs=$repo/build/win64/tools/session-stub/programs

base=/tmp; [ -d /dev/shm ] && [ -w /dev/shm ] && base=/dev/shm
work=$(mktemp -d "$base/launch-bench.XXXXXX")
cleanup() { "$repo/scripts/test-env" stop "$work" >/dev/null 2>&1 || true; rm -rf "$work"; }
trap cleanup EXIT
"$repo/scripts/test-env" start "$work" >/dev/null
env=$work/test-env
# The environment is not a build tree: the trust in the test publisher is
# given here.
WINEPREFIX=$work/wineprefix DISPLAY=$(cat "$env/display") \
  "$repo/scripts/winrun" "$repo/build/win64/tools/session-stub/trust-cert.exe" >/dev/null 2>&1 </dev/null

WINEPREFIX=$work/wineprefix DISPLAY=$(cat "$env/display") \
  "$repo/scripts/winrun" "$bench_exe" "$(WINEPREFIX=$work/wineprefix winepath -w "$programs")" "$runs" \
  > "$work/out.txt" 2>&1 < /dev/null
grep '^RESULT' "$work/out.txt" > "$work/results.txt" || { cat "$work/out.txt"; exit 1; }
echo "cpu: $(nproc) cores; $(wine --version 2>/dev/null)"
python3 - "$work/results.txt" <<'PY'
import sys, statistics
runs = {}
for line in open(sys.argv[1]):
    _, method, seconds = line.split()
    runs.setdefault(method, []).append(float(seconds))
for method, times in sorted(runs.items()):
    print(f"{method:10} median {statistics.median(times):.4f} s, best {min(times):.4f} s "
          f"over {len(times)} runs")
med = lambda m: statistics.median(runs[m])
for n in (1, 6):
    print(f"{n} session(s): launcher / bare (medians) {med(f'launch-{n}') / med(f'bare-{n}'):.3f} "
          f"with the checks, {med(f'checked-{n}') / med(f'bare-{n}'):.3f} checked before "
          f"(goal <= 1.2)")
PY
