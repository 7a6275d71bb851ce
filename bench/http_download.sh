#!/bin/bash
# bench/http_download.sh -- download throughput and peak memory of "vlmtool get" against curl,
# over http and https, natively and (optionally) for the Windows build under wine.
# Serves one file (256 MiB by default) from nginx on two free 127.0.0.1 ports, http on one and
# https on the other (TLS 1.2 and 1.3; generated config, keep-alive on, run as the current user
# with every path in a temporary folder), then fetches it RUNS times (default 5) with each tool
# and prints, per protocol, the median wall time, the throughput, the ratio of vlmtool's
# throughput to curl's, and the median peak resident memory (/usr/bin/time -v).
#   bench/http_download.sh [MIB [RUNS]]
# vlmtool comes from the native-release preset, which this script builds (JOBS jobs, default 2).
# https: a throw-away authority and a server certificate for localhost and 127.0.0.1 are made
# at run time in the temporary folder (tests/support/test_certificates.py). vlmtool trusts the
# authority through OpenSSL's SSL_CERT_FILE, with an empty SSL_CERT_DIR so that the machine's
# store plays no part; curl through --cacert. nginx logs the TLS version of each https request,
# and the script prints which one each tool used.
# Under wine: the win64 build's tools/vlmtool.exe fetches the file over http and https with
# wine64, in a wine prefix of the run's own (in the temporary folder, booted with wineboot -i and
# ended with wineserver -k) whose current-user Root store trusts the authority
# (tests/e2e/trust_test_ca.exe). Native curl fetches the same file in turns with it; over https
# with TLS 1.2 at most, since wine's schannel speaks no newer version. Wine's own memory counts
# in the peak of vlmtool.exe, and its start in the times.
#   VLM_BENCH_WINE unset: the wine part runs when build/win64 holds vlmtool.exe and
#     trust_test_ca.exe (and says how to get it when not); 1: it must run, and the two programs
#     are built when missing (cmake --preset win64); 0: it is left out.
#   VLM_BENCH_WIN64_DIR: another win64 build tree to take the two programs from (only read).
# The two tools take turns run by run, and every run is bounded (10 minutes). Targets, for the
# native build: at least 0.9x curl's throughput; peak memory at most the body size plus 32 MiB
# (the client holds the body in memory by design).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

mib=${1:-256}
runs=${2:-5}
nginx=/usr/sbin/nginx
[ -x "$nginx" ] || { echo "skip: $nginx is not installed"; exit 0; }
bound=600  # seconds, for any one download

cmake --preset native-release >/dev/null
cmake --build --preset native-release --target vlmtool -j "${JOBS:-2}" >/dev/null
tool=$PWD/build/native-release/tools/vlmtool

win64=${VLM_BENCH_WIN64_DIR:-$PWD/build/win64}
win_tool=$win64/tools/vlmtool.exe
trust_tool=$win64/tests/e2e/trust_test_ca.exe
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)

work=$(mktemp -d /tmp/http-bench-XXXXXX)
pid=
prefix=
cleanup() {
  # The prefix, and the authority trusted in it, go with the temporary folder.
  [ -n "$prefix" ] && WINEPREFIX=$prefix timeout 60 wineserver -k </dev/null >/dev/null 2>&1
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# Whether the wine part runs; builds its two programs when VLM_BENCH_WINE=1 asks for it.
want_wine() {
  local missing=
  [ -f "$win_tool" ] || missing+=" $win_tool"
  [ -f "$trust_tool" ] || missing+=" $trust_tool"
  case ${VLM_BENCH_WINE:-} in
    0) return 1 ;;
    1)
      if [ -n "$missing" ] && [ -z "${VLM_BENCH_WIN64_DIR:-}" ]; then
        [ -f build/win64/CMakeCache.txt ] || cmake --preset win64 >/dev/null
        cmake --build build/win64 --target vlmtool trust_test_ca -j "${JOBS:-2}" >/dev/null
        missing=
      fi
      [ -z "$missing" ] || { echo "error: missing:$missing"; exit 1; }
      [ -x "$wine64" ] || { echo "error: $wine64 is not installed (package wine64)"; exit 1; } ;;
    *)
      [ -x "$wine64" ] || missing+=" $wine64"
      [ -z "$missing" ] && return
      echo "under wine: left out, missing:$missing (VLM_BENCH_WINE=1 builds the programs)"
      return 1 ;;
  esac
}

# A throw-away authority and the server's certificate, in $work/certs: sets ca, cert and key.
make_certificates() {
  local made
  made=$(python3 - "$PWD/tests/support" "$work/certs" <<'PY'
import sys
sys.dont_write_bytecode = True
sys.path.insert(0, sys.argv[1])
import test_certificates
authority = test_certificates.make_authority(sys.argv[2], "velmora-bench-authority")
cert, key = test_certificates.issue(sys.argv[2], "server", authority,
                                    "DNS:localhost,IP:127.0.0.1")
print(authority[0], cert, key)
PY
)
  read -r ca cert key <<<"$made"
  mkdir -p "$work/no-store"  # SSL_CERT_DIR: no certificates but the authority above
}

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# nginx in the foreground, http on $port and https on $tls_port; waits (bounded) until both
# accept connections.
start_nginx() {
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
    log_format tls '\$ssl_protocol \$http_user_agent';
    server { listen 127.0.0.1:$port; root $work/root; }
    server {
        listen 127.0.0.1:$tls_port ssl;
        root $work/root;
        ssl_certificate $cert;
        ssl_certificate_key $key;
        ssl_protocols TLSv1.2 TLSv1.3;
        access_log $work/nginx/tls.log tls;
    }
}
CONF
  "$nginx" -p "$work/nginx" -c "$work/nginx/nginx.conf" 2>/dev/null &
  pid=$!
  local p
  for p in "$port" "$tls_port"; do
    for _ in $(seq 100); do
      (exec 3<>/dev/tcp/127.0.0.1/$p) 2>/dev/null && break
      sleep 0.1
    done
  done
}

# A wine prefix of the run's own whose current-user Root store trusts the authority. Its wine
# server stays up until the end (cleanup), so that a timed run starts the tool and not the
# prefix's services. Everything wine prints goes to a file: its background processes would keep
# a pipe open.
start_wine() {
  prefix=$work/wineprefix
  wine_env=(env WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all
            WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=")
  mkdir -p "$prefix"  # the server starts in the prefix's folder
  wine_step "starting the wine server" 60 wineserver -p
  wine_step "booting the prefix (wineboot -i)" 300 wineboot -i
  wine_step "trusting the authority in the prefix" 120 "$wine64" "$trust_tool" add "Z:$ca"
}

# wine_step WHAT SECONDS COMMAND...: one step of start_wine, bounded; stops the bench on failure.
wine_step() {
  local what=$1 seconds=$2 log=$work/wine.log
  shift 2
  "${wine_env[@]}" timeout "$seconds" "$@" </dev/null >>"$log" 2>&1 && return
  echo "error: $what failed or took over $seconds s; wine printed:"
  cat "$log"
  exit 1
}

# One timed run, its output to $work/tool.log: prints "<seconds> <peak KiB>".
measure() {
  local stats=$work/time.txt
  /usr/bin/time -v -o "$stats" timeout "$bound" "$@" </dev/null >"$work/tool.log" 2>&1 || true
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

check_body() {
  cmp -s "$work/out.bin" "$work/root/body.bin" && return
  echo "$1: body differs"
  cat "$work/tool.log"
  exit 1
}

# The labels of the part being run (native or under wine): vlmtool's and curl's names, the drive
# prefix of vlmtool's output path, and the note after vlmtool's peak over the body size.
ours_label="vlmtool get" curl_label="curl" out_drive="" peak_note="target <= 32"

# compare HEADING URL OURS CURL: RUNS turns of the command in the array named OURS (given the URL
# and the output path) and of curl with the options in the array named CURL, then the report.
compare() {
  local heading=$1 url=$2
  local -n ours=$3 curl_options=$4
  local tw= tr= cw= cr= w r out=$work/out.bin
  : > "$work/nginx/tls.log"
  # The tools take turns, so a change in the machine's load falls on both alike.
  for _ in $(seq "$runs"); do
    rm -f "$out"
    read -r w r < <(measure "${ours[@]}" "$url" "$out_drive$out")
    check_body "$ours_label"
    tw+="$w " tr+="$r "
    rm -f "$out"
    read -r w r < <(measure curl -sS --max-time "$bound" "${curl_options[@]}" -o "$out" "$url")
    check_body "$curl_label"
    cw+="$w " cr+="$r "
  done
  report "$heading" "$tw" "$tr" "$cw" "$cr"
  if [[ $url == https:* ]]; then tls_versions; fi
}

report() {
  python3 - "$mib" "$ours_label" "$curl_label" "$peak_note" "$@" <<'PY'
import statistics, sys
mib = int(sys.argv[1])
ours, theirs, note, heading = sys.argv[2:6]
tw, tr, cw, cr = ([float(x) for x in a.split()] for a in sys.argv[6:10])
t_wall, c_wall = statistics.median(tw), statistics.median(cw)
t_rss, c_rss = statistics.median(tr) / 1024, statistics.median(cr) / 1024
width = max(len(ours), len(theirs)) + 2

def line(name, wall, rss, walls):
    print(f"{name + ':':<{width}}{wall:.2f} s, {mib / wall:.0f} MiB/s, peak {rss:.0f} MiB"
          f"  (runs: {walls})")

print(heading)
line(ours, t_wall, t_rss, tw)
line(theirs, c_wall, c_rss, cw)
print(f"throughput ratio vlmtool/curl: {c_wall / t_wall:.2f}")
print(f"{ours.split()[0]} peak over body size: {t_rss - mib:.0f} MiB ({note})")
PY
}

# What wine's start costs in each of vlmtool.exe's times: the median of RUNS runs of it without a
# command (it prints its usage and exits).
wine_start() {
  local walls= w r
  for _ in $(seq "$runs"); do
    read -r w r < <(measure "${wine_env[@]}" "$wine64" "$win_tool")
    walls+="$w "
  done
  python3 -c 'import statistics, sys; print(f"{statistics.median(map(float, sys.argv[1:])):.2f}")' \
    $walls
}

# The TLS versions nginx logged for the last comparison, per tool.
tls_versions() {
  local ours theirs
  ours=$({ grep -v ' curl/' "$work/nginx/tls.log" || true; } | cut -d' ' -f1 | sort -u | paste -sd,)
  theirs=$({ grep ' curl/' "$work/nginx/tls.log" || true; } | cut -d' ' -f1 | sort -u | paste -sd,)
  echo "TLS as nginx logged it: vlmtool ${ours:-none}, curl ${theirs:-none}"
}

mkdir -p "$work/root" "$work/nginx"
head -c $((mib * 1024 * 1024)) /dev/urandom > "$work/root/body.bin"
port=$(free_port)
tls_port=$(free_port)
make_certificates
start_nginx
url=http://127.0.0.1:$port/body.bin
tls_url=https://127.0.0.1:$tls_port/body.bin

echo "body: $mib MiB, $runs runs each, medians"
native=("$tool" get)
native_tls=(env SSL_CERT_FILE="$ca" SSL_CERT_DIR="$work/no-store" "$tool" get)
plain=()
with_ca=(--cacert "$ca")
compare "http, native:" "$url" native plain
compare "https, native:" "$tls_url" native_tls with_ca

if want_wine; then
  start_wine
  echo "under wine: vlmtool.exe starts and exits, no download, in $(wine_start) s (median)"
  under_wine=("${wine_env[@]}" "$wine64" "$win_tool" get)
  with_ca_tls12=(--cacert "$ca" --tls-max 1.2)
  ours_label="vlmtool.exe get (wine)" curl_label="curl (native)" out_drive="Z:"
  peak_note="wine's own memory included"
  compare "http, vlmtool.exe under wine against native curl:" "$url" under_wine plain
  compare "https, vlmtool.exe under wine against native curl (TLS 1.2 at most):" "$tls_url" \
    under_wine with_ca_tls12
fi
