#!/usr/bin/env bash
# run.sh [SIZE_MB]
# Throughput of the cacher under Wine: CacheFile against a bare synchronous
# WinINet loop in the same prefix and against curl from Linux, for one file
# of SIZE_MB megabytes (default 64) from the test web server, then the same
# file with the server paced to 10 MB/s. Prints each run and the ratios.
#
# Runs in an environment of its own (a fresh prefix, display and server in
# a temporary folder), so it never disturbs a test run in build/win64.
set -eu
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
. "$repo/scripts/wine-loader"
size_mb=${1:-64}
rate=10000000

cmake --build "$repo/build/native" --target testserver >/dev/null
cmake --build "$repo/build/win64" --target cacher_bench >/dev/null
bench_exe=$repo/build/win64/bench/cacher/cacher_bench.exe

work=$(mktemp -d /tmp/cacher-bench.XXXXXX)
cleanup() { "$repo/scripts/test-env" stop "$work" >/dev/null 2>&1 || true; rm -rf "$work"; }
trap cleanup EXIT
"$repo/scripts/test-env" start "$work" >/dev/null
env=$work/test-env
mkdir -p "$env/www/bench"
head -c $((size_mb * 1024 * 1024)) /dev/urandom > "$env/www/bench/big.bin"
ln "$env/www/bench/big.bin" "$env/www/bench/paced.bin"
echo "/bench/paced.bin rate=$rate" > "$env/rules"
port=$(cat "$env/http_port")
base=http://127.0.0.1:$port/bench
bytes=$(stat -c %s "$env/www/bench/big.bin")

run_windows() {  # FILE RUNS -> RESULT lines
  # Output goes to a file: Wine's service processes keep a pipe open.
  WINEPREFIX=$work/wineprefix DISPLAY=$(cat "$env/display") \
    "$repo/scripts/winrun" "$bench_exe" "$base" "$1" "$2" > "$work/out.txt" 2>&1 < /dev/null
  grep '^RESULT' "$work/out.txt" || { cat "$work/out.txt"; exit 1; }
}

echo "file: $bytes bytes; cpu: $(nproc) cores; $(wine --version 2>/dev/null)"
echo "--- unpaced"
run_windows big.bin 5 | tee "$work/unpaced.txt"
for _ in 1 2 3 4 5; do
  curl -s -o "$work/curl.bin" -w 'RESULT curl %{time_total} 0 %{size_download}\n' "$base/big.bin"
done | tee -a "$work/unpaced.txt"
echo "--- paced to $rate bytes/s"
run_windows paced.bin 2 | tee "$work/paced.txt"

python3 - "$work/unpaced.txt" "$work/paced.txt" "$bytes" "$rate" <<'EOF'
import sys
def load(path):
    runs = {}
    for line in open(path):
        _, method, seconds, cpu, size = line.split()
        runs.setdefault(method, []).append((float(seconds), float(cpu), int(size)))
    return runs
unpaced, paced = load(sys.argv[1]), load(sys.argv[2])
size, rate = int(sys.argv[3]), int(sys.argv[4])
best = lambda runs: min(r[0] for r in runs)
for method, runs in unpaced.items():
    print(f"unpaced {method}: best {best(runs):.3f} s, {size / best(runs) / 1e6:.1f} MB/s")
cf, bare, curl = best(unpaced["cachefile"]), best(unpaced["bare"]), best(unpaced["curl"])
print(f"CacheFile / bare loop throughput: {bare / cf:.3f} (goal >= 0.9)")
print(f"CacheFile / curl throughput:      {curl / cf:.3f}")
print(f"bare loop / curl throughput:      {curl / bare:.3f}")
line = size / rate
for method, runs in paced.items():
    t, cpu, _ = min(runs)
    print(f"paced {method}: best {t:.3f} s, {line / t:.3f} of line rate, cpu {cpu:.3f} s = "
          f"{100 * cpu / t:.1f}% of wall time")
print("goal paced: CacheFile >= 0.95 of line rate, cpu < 10% of wall time")
EOF
