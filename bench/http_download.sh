#!/bin/bash
# bench/http_download.sh -- download throughput and peak memory of "vlmtool get" against curl.
# Serves one file (256 MiB by default) from nginx on a free 127.0.0.1 port (generated config,
# keep-alive on, run as the current user with every path in a temporary folder), then fetches it
# RUNS times (default 5) with each tool and prints the median wall time, the throughput, the ratio
# of vlmtool's throughput to curl's, and the median peak resident memory (/usr/bin/time -v).
#   bench/http_download.sh [MIB [RUNS]]
# vlmtool comes from the native-release preset, which this script builds (JOBS jobs, default 2).
# The two tools take turns run by run. Targets: at least 0.9x curl's throughput; peak memory at
# most the body size plus 32 MiB (the client holds the body in memory by design).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

mib=${1:-256}
runs=${2:-5}
nginx=/usr/sbin/nginx
[ -x "$nginx" ] || { echo "skip: $nginx is not installed"; exit 0; }

cmake --preset native-release >/dev/null
cmake --build --preset native-release --target vlmtool -j "${JOBS:-2}" >/dev/null
tool=$PWD/build/native-release/tools/vlmtool

work=$(mktemp -d /tmp/http-bench-XXXXXX)
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/root" "$work/nginx"
head -c $((mib * 1024 * 1024)) /dev/urandom > "$work/root/body.bin"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat > "$work/nginx/nginx.conf" <<CONF
worker_processes 1;
daemon off;
master_process off;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 64; }
http {
    client_body_temp_path $work/nginx/body;
    proxy_temp_path $work/nginx/proxy;
    fastcgi_temp_path $work/nginx/fastcgi;
    uwsgi_temp_path $work/nginx/uwsgi;
    scgi_temp_path $work/nginx/scgi;
    access_log off;
    sendfile on;
    keepalive_timeout 65;
    default_type application/octet-stream;
    server { listen 127.0.0.1:$port; root $work/root; }
}
CONF
"$nginx" -p "$work/nginx" -c "$work/nginx/nginx.conf" 2>/dev/null &
pid=$!
for _ in $(seq 100); do
  (exec 3<>/dev/tcp/127.0.0.1/$port) 2>/dev/null && break
  sleep 0.1
done
url=http://127.0.0.1:$port/body.bin

# One timed run: prints "<seconds> <peak KiB>".
measure() {
  local stats=$work/time.txt
  /usr/bin/time -v -o "$stats" "$@" >/dev/null
  python3 - "$stats" <<'PY'
import sys
wall = rss = None
for line in open(sys.argv[1]):
    line = line.strip()
    if line.startswith("Elapsed (wall clock)"):
        parts = line.rsplit(" ", 1)[1].split(":")
        wall = sum(float(p) * 60 ** i for i, p in enumerate(reversed(parts)))
    if line.startswith("Maximum resident set size"):
        rss = int(line.rsplit(" ", 1)[1])
print(wall, rss)
PY
}

declare -A wall rss
wall=([vlmtool]="" [curl]="")
rss=([vlmtool]="" [curl]="")
# The tools take turns, so a change in the machine's load falls on both alike.
for run in $(seq "$runs"); do
  for name in vlmtool curl; do
    rm -f "$work/out.bin"
    if [ $name = vlmtool ]; then
      read -r w r < <(measure "$tool" get "$url" "$work/out.bin")
    else
      read -r w r < <(measure curl -sS -o "$work/out.bin" "$url")
    fi
    cmp -s "$work/out.bin" "$work/root/body.bin" || { echo "$name: body differs"; exit 1; }
    wall[$name]+="$w "
    rss[$name]+="$r "
  done
done

python3 - "$mib" "${wall[vlmtool]}" "${rss[vlmtool]}" "${wall[curl]}" "${rss[curl]}" <<'PY'
import statistics, sys
mib = int(sys.argv[1])
tw, tr, cw, cr = ([float(x) for x in a.split()] for a in sys.argv[2:6])
t_wall, c_wall = statistics.median(tw), statistics.median(cw)
t_rss, c_rss = statistics.median(tr) / 1024, statistics.median(cr) / 1024
print(f"body: {mib} MiB, {len(tw)} runs each, medians")
print(f"vlmtool get: {t_wall:.2f} s, {mib / t_wall:.0f} MiB/s, peak {t_rss:.0f} MiB  (runs: {tw})")
print(f"curl:        {c_wall:.2f} s, {mib / c_wall:.0f} MiB/s, peak {c_rss:.0f} MiB  (runs: {cw})")
print(f"throughput ratio vlmtool/curl: {c_wall / t_wall:.2f}")
print(f"vlmtool peak over body size: {t_rss - mib:.0f} MiB (target <= 32)")
PY
