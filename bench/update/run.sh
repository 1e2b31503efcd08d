#!/usr/bin/env bash
# run.sh [--digests] [RUNS] [testserver|nginx]
# The component update against bare WinINet requests under Wine: a page
# whose six distribution lists name 30 files of 64 MB in all, first with
# nothing installed, then with everything current. Prints each run and the
# ratios. The site is served by the test web server, or by nginx (keep-alive,
# ETag and Last-Modified as a real site sends them). --digests gives every
# list line the file's size and SHA-256, so that the first load hashes and
# checks each download.
#
# Runs in an environment of its own (a fresh prefix, display and server in
# a temporary folder), so it never disturbs a test run in build/win64.
set -eu
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
. "$repo/scripts/wine-loader"
digests=0
if [ "${1:-}" = --digests ]; then digests=1; shift; fi
runs=${1:-3}
server=${2:-testserver}
case "$server" in
  testserver|nginx) ;;
  *) echo "usage: run.sh [--digests] [RUNS] [testserver|nginx]" >&2; exit 2 ;;
esac

cmake --build "$repo/build/native" --target testserver >/dev/null
cmake --build "$repo/build/win64" --target update_bench >/dev/null
bench_exe=$repo/build/win64/bench/update/update_bench.exe

# On tmpfs where there is one: the disk's write-back would otherwise decide
# the figures of both sides.
base=/tmp; [ -d /dev/shm ] && [ -w /dev/shm ] && base=/dev/shm
work=$(mktemp -d "$base/update-bench.XXXXXX")
cleanup() {
  [ -s "$work/nginx.pid" ] && kill "$(cat "$work/nginx.pid")" 2>/dev/null
  "$repo/scripts/test-env" stop "$work" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
"$repo/scripts/test-env" start "$work" >/dev/null
env=$work/test-env
site=$env/www/bench
mkdir -p "$site"
printf '[Kestrava]\r\nCDVersion=1\r\n' > "$site/site.ini"
# 30 files: five per kind, 64 MB in all.
each=$((64 * 1024 * 1024 / 30))
n=0
for list in md mp ad ap ftp vt; do
  : > "$site/$list.lst"
  for i in 1 2 3 4 5; do
    n=$((n + 1))
    head -c $each /dev/urandom > "$site/${list^^}$i.DAT"
    field=
    [ $digests = 1 ] && field=",$each:$(sha256sum < "$site/${list^^}$i.DAT" | cut -c1-64)"
    printf '%s,%d%s\r\n' "${list^^}$i.DAT" 3 "$field" >> "$site/$list.lst"
  done
done
port=$(cat "$env/http_port")
if [ "$server" = nginx ]; then
  port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0))
print(s.getsockname()[1])')
  mkdir -p "$work/nginx"
  # As root the workers read the site as www-data.
  user=""
  if [ "$(id -u)" -eq 0 ]; then
    user="user www-data;"
    chmod a+rx "$work"
    chmod -R a+rX "$env/www"
  fi
  cat >"$work/nginx/nginx.conf" <<EOF
$user
worker_processes 1;
pid $work/nginx.pid;
events { worker_connections 64; }
http {
  include /etc/nginx/mime.types;
  access_log off;
  client_body_temp_path $work/nginx/body;
  server { listen 127.0.0.1:$port; root $env/www; }
}
EOF
  PATH=$PATH:/usr/sbin nginx -p "$work/nginx" -c "$work/nginx/nginx.conf" \
    -e "$work/nginx/error.log" || { echo "nginx did not start"; exit 1; }
fi

WINEPREFIX=$work/wineprefix DISPLAY=$(cat "$env/display") \
  "$repo/scripts/winrun" "$bench_exe" "http://127.0.0.1:$port/bench" "$runs" \
  > "$work/out.txt" 2>&1 < /dev/null
grep '^RESULT' "$work/out.txt" > "$work/results.txt" || { cat "$work/out.txt"; exit 1; }
echo "$server: 30 files, $((each * 30)) bytes$([ $digests = 1 ] && echo ', sizes and digests listed'); cpu: $(nproc) cores; $(wine --version 2>/dev/null)"
python3 - "$work/results.txt" <<'PY'
import sys, statistics
runs = {}
for line in open(sys.argv[1]):
    _, method, seconds, cpu = line.split()
    runs.setdefault(method, []).append((float(seconds), float(cpu)))
for method, values in runs.items():
    times = [v[0] for v in values]
    print(f"{method:10} median {statistics.median(times):.4f} s, best {min(times):.4f} s "
          f"over {len(times)} runs")
# Best times: other work on the machine only ever adds. Paired: each pass
# measures the methods one after the other, so the median of the ratios
# within passes leaves out the machine's slower and faster spells.
best = lambda m: min(v[0] for v in runs[m])
paired = lambda a, b: statistics.median(x[0] / y[0] for x, y in zip(runs[a], runs[b]))
print(f"no-op load / bare requests: best {best('noop') / best('bare-noop'):.3f}, "
      f"paired median {paired('noop', 'bare-noop'):.3f} (goal <= 1.25)")
print(f"  the cacher's requests alone:       paired median {paired('cacher-noop', 'bare-noop'):.3f}")
print(f"  a minimal asynchronous client:     paired median {paired('async-noop', 'bare-noop'):.3f}")
print(f"no-op load / minimal asynchronous requests: paired median "
      f"{paired('noop', 'async-noop'):.3f}")
print(f"first load throughput / bare loop: best {best('bare-first') / best('first'):.3f}, "
      f"paired median {1 / paired('first', 'bare-first'):.3f} (goal >= 0.9)")
PY
