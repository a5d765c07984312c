#!/usr/bin/env bash
# Publishing to a Radicale calendar, side by side with vdirsyncer syncing the
# same events from a folder of .ics files to the same kind of server: the
# first publish of each size, then a run with one entry changed. Each tool
# gets a fresh Radicale (htpasswd users, storage on /dev/shm, so that the
# server's disk does not decide). Requests: ours as the client counts them,
# vdirsyncer's from Radicale's log.
# vdirsyncer puts one event at a time, and Radicale checks each new one's UID
# against the whole calendar: at 8,000 that takes hours, so vdirsyncer's first
# sync is stopped after TMF_PEER_LIMIT seconds (default 600) and the table
# says how many events it had stored by then.
#   bench/caldav_peers.sh [sizes...]      (default: 1000 8000; not part of the test suite)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${TMF_PEERS_BUILD:-$root/build-bench}
sizes=("$@")
((${#sizes[@]})) || sizes=(1000 8000)
work=$(mktemp -d /dev/shm/tmf-caldav-peers-XXXXXX)
trap 'kill "${radicale_pid:-0}" 2>/dev/null || true; rm -rf "$work"' EXIT

for p in vdirsyncer radicale curl bc; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || {
    echo "missing Debian package: $p" >&2
    exit 1
  }
done

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTMF_BUILD_TESTS=OFF -DTMF_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target caldav_bench >/dev/null

free_port() { /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }

# start_radicale DIR: a Radicale as the tests start it, logging each request.
start_radicale() {
  local dir=$1
  port=$(free_port)
  mkdir -p "$dir"
  echo "anna:geheim" >"$dir/users"
  cat >"$dir/config" <<EOF
[server]
hosts = 127.0.0.1:$port
[auth]
type = htpasswd
htpasswd_filename = $dir/users
htpasswd_encryption = plain
[storage]
filesystem_folder = $dir/collections
[rights]
type = owner_only
[logging]
level = info
EOF
  radicale --config "$dir/config" >"$dir/log" 2>&1 &
  radicale_pid=$!
  for _ in $(seq 100); do
    curl -s -o /dev/null "http://127.0.0.1:$port/" && return 0
    sleep 0.1
  done
  echo "Radicale did not come up" >&2
  exit 1
}
stop_radicale() { kill "$radicale_pid"; wait "$radicale_pid" 2>/dev/null || true; radicale_pid=0; }
requests() { grep -c " request for " "$1/log" || true; }

limit=${TMF_PEER_LIMIT:-600}
stored() { find "$1/collections/collection-root/anna/bench" -maxdepth 1 -name '*.ics' | wc -l; }
results=$work/results.txt
: >"$results"
for n in "${sizes[@]}"; do
  # --- ours
  "$build/bin/caldav_bench" "$n" | tee "$work/ours-$n.txt"
  awk -v n="$n" '/^first/ {print "ours first " n " " $(NF-2) " " $(NF-1) " " $NF}
                 /^second/ {print "ours quiet " n " " $(NF-2) " " $(NF-1) " " $NF}
                 /^third/ {print "ours one " n " " $(NF-2) " " $(NF-1) " " $NF}' "$work/ours-$n.txt" >>"$results"

  # --- vdirsyncer, the same events as files
  d=$work/vdir-$n
  mkdir -p "$d/ics" "$d/status"
  "$build/bin/caldav_bench" --ics "$n" "$d/ics"
  start_radicale "$d/server"
  curl -s -o /dev/null -u anna:geheim -X MKCALENDAR "http://127.0.0.1:$port/anna/bench/"
  cat >"$d/config" <<EOF
[general]
status_path = "$d/status/"
[pair bench]
a = "ordner"
b = "kalender"
collections = null
conflict_resolution = "a wins"
[storage ordner]
type = "filesystem"
path = "$d/ics/"
fileext = ".ics"
[storage kalender]
type = "caldav"
url = "http://127.0.0.1:$port/anna/bench/"
username = "anna"
password = "geheim"
EOF
  { yes || true; } | vdirsyncer -c "$d/config" discover bench >"$d/discover.log" 2>&1
  before=$(requests "$d/server")
  start=$(date +%s.%N)
  status=0
  /usr/bin/time -f "%U %S" -o "$d/cpu1" timeout "$limit" vdirsyncer -c "$d/config" sync >"$d/sync1.log" 2>&1 || status=$?
  end=$(date +%s.%N)
  after=$(requests "$d/server")
  if [ "$status" = 124 ]; then
    echo "vdirsyncer first sync of $n stopped after $limit s with $(stored "$d/server") events stored" | tee -a "$work/notes.txt" >&2
    echo "vdirsyncer first $n $((after - before)) $(echo "$end - $start" | bc) nan $(stored "$d/server")" >>"$results"
    stop_radicale
    continue
  fi
  [ "$status" = 0 ] || echo "vdirsyncer first sync failed: $(tail -3 "$d/sync1.log")" >&2
  echo "vdirsyncer first $n $((after - before)) $(echo "$end - $start" | bc) $(awk '{print $1 + $2}' "$d/cpu1")" >>"$results"
  # one event changed, as the entry changed in the file
  f=$(find "$d/ics" -name '*.ics' -print -quit)
  sed -i 's/^TRIGGER:-P\([0-9]*\)D/TRIGGER:-P99D/' "$f"
  before=$(requests "$d/server")
  start=$(date +%s.%N)
  /usr/bin/time -f "%U %S" -o "$d/cpu2" vdirsyncer -c "$d/config" sync >"$d/sync2.log" 2>&1 ||
    echo "vdirsyncer second sync failed" >&2
  end=$(date +%s.%N)
  after=$(requests "$d/server")
  echo "vdirsyncer one $n $((after - before)) $(echo "$end - $start" | bc) $(awk '{print $1 + $2}' "$d/cpu2")" >>"$results"
  stop_radicale
done

/usr/bin/python3 - "$results" <<'PY'
import sys
rows = [line.split() for line in open(sys.argv[1])]
t = {(r[0], r[1], int(r[2])): (int(r[3]), float(r[4]), float(r[5]) if len(r) > 5 else float("nan")) for r in rows}
partial = {int(r[2]): int(r[6]) for r in rows if len(r) > 6}
sizes = sorted({k[2] for k in t})
print(f"{'run':<30}{'entries':>8}{'requests':>10}{'seconds':>10}{'ratio':>8}{'client CPU s':>14}{'ratio':>8}")
for n in sizes:
    for run in ("first", "one"):
        ours = t.get(("ours", run, n))
        peer = t.get(("vdirsyncer", run, n))
        label = "first publish" if run == "first" else "one entry changed"
        if ours:
            ratio = (">" if n in partial and run == "first" else "") + f"{peer[1] / ours[1]:.2f}" if peer else "-"
            cpu = f"{peer[2] / ours[2]:.2f}" if peer and ours[2] > 0 else "-"
            print(f"{'termif98 ' + label:<30}{n:>8}{ours[0]:>10}{ours[1]:>10.2f}{ratio:>8}{ours[2]:>14.2f}{cpu:>8}")
        if peer:
            print(f"{'vdirsyncer ' + label:<30}{n:>8}{peer[0]:>10}{peer[1]:>10.2f}{'':>8}{peer[2]:>14.2f}")
        if run == "first" and n in partial:
            print(f"  (vdirsyncer stopped at the limit with {partial[n]} of {n} events stored: the ratio is a lower bound)")
    quiet = t.get(("ours", "quiet", n))
    if quiet:
        print(f"{'termif98 nothing changed':<30}{n:>8}{quiet[0]:>10}{quiet[1]:>10.2f}{'':>8}{quiet[2]:>14.2f}")
print("ratio: vdirsyncer's / ours (goal on the first publish: >= 2)")
PY
