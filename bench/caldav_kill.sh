#!/usr/bin/env bash
# termif98-sync killed at random moments while it publishes COUNT entries
# (default 32,000) to a calendar, then one run to the end: the calendar must
# hold exactly one event per entry, and a run after that sends one request.
#   bench/caldav_kill.sh [count] [xandikos|radicale] [kills]     (not part of the test suite)
# Into Radicale the first publish goes as one whole calendar; Xandikos takes
# one event at a time.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
count=${1:-32000}
server=${2:-xandikos}
kills=${3:-6}
build=${TMF_PEERS_BUILD:-$root/build-bench}
work=$(mktemp -d /dev/shm/tmf-caldav-kill-XXXXXX)
trap 'kill "${server_pid:-0}" 2>/dev/null || true; rm -rf "$work"' EXIT

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTMF_BUILD_TESTS=OFF -DTMF_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target caldav_bench termif98-sync >/dev/null

port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
if [ "$server" = xandikos ]; then
  xandikos --defaults -d "$work/server" -l 127.0.0.1 -p "$port" >"$work/server.log" 2>&1 &
  calendar="http://127.0.0.1:$port/user/calendars/calendar/"
  account=(--server "http://127.0.0.1:$port/")
else
  mkdir -p "$work/server"
  echo "anna:geheim" >"$work/server/users"
  printf '[server]\nhosts = 127.0.0.1:%s\n[auth]\ntype = htpasswd\nhtpasswd_filename = %s/server/users\nhtpasswd_encryption = plain\n[storage]\nfilesystem_folder = %s/server/collections\n[rights]\ntype = owner_only\n' \
    "$port" "$work" "$work" >"$work/server/config"
  radicale --config "$work/server/config" >"$work/server.log" 2>&1 &
  calendar="http://127.0.0.1:$port/anna/kalender/"
  echo geheim >"$work/passwort"
  account=(--server "http://127.0.0.1:$port/" --benutzer anna --passwort-befehl "cat $work/passwort")
fi
server_pid=$!
for _ in $(seq 100); do curl -s -o /dev/null "http://127.0.0.1:$port/" && break; sleep 0.1; done
[ "$server" = xandikos ] || curl -s -o /dev/null -u anna:geheim -X MKCALENDAR "$calendar"

# A copy of the program beside its own data folder, with its own INI.
mkdir -p "$work/app/daten"
cp "$build/bin/termif98-sync" "$work/app/"
export XDG_CONFIG_HOME=$work/config HOME=$work
"$build/bin/caldav_bench" --datei "$count" "$work/Bench.tmf"
"$build/bin/caldav_bench" --uids "$count" | sort >"$work/expected.txt"
sync=("$work/app/termif98-sync" "${account[@]}" --in "$work/Bench.tmf" --kalender "$calendar" --senden)

for i in $(seq "$kills"); do
  after=$((RANDOM % 25 + 3))
  start=$(date +%s.%N)
  status=0
  timeout -s KILL "$after" "${sync[@]}" >"$work/run$i.log" 2>&1 || status=$?
  printf 'run %d: killed after %s s (status %s)\n' "$i" "$after" "$status"
done
start=$(date +%s.%N)
"${sync[@]}" >"$work/last.log" 2>&1 || { echo "the last run failed:"; tail -20 "$work/last.log"; exit 1; }
printf 'last run, to the end: %.1f s, %s\n' "$(echo "$(date +%s.%N) - $start" | bc)" "$(grep 'Anfragen' "$work/last.log")"
sed -n '1,6p' "$work/last.log"

# Every event's UID, as another client reads the calendar.
curl -s -u anna:geheim -X REPORT -H "Depth: 1" -H "Content-Type: application/xml" \
  --data '<?xml version="1.0"?><C:calendar-query xmlns="DAV:" xmlns:C="urn:ietf:params:xml:ns:caldav"><prop><C:calendar-data/></prop><C:filter><C:comp-filter name="VCALENDAR"/></C:filter></C:calendar-query>' "$calendar" |
  /usr/bin/python3 -c '
import sys, xml.etree.ElementTree as ET
root = ET.parse(sys.stdin).getroot()
for data in root.iter("{urn:ietf:params:xml:ns:caldav}calendar-data"):
    for line in (data.text or "").replace("\r\n ", "").splitlines():
        if line.startswith("UID:"): print(line[4:].strip())' | sort >"$work/held.txt"
echo "entries: $(wc -l <"$work/expected.txt"), events in the calendar: $(wc -l <"$work/held.txt"), distinct: $(sort -u "$work/held.txt" | wc -l)"
if diff -q "$work/expected.txt" "$work/held.txt" >/dev/null; then
  echo "exactly one event per entry"
else
  echo "MISMATCH:"; diff "$work/expected.txt" "$work/held.txt" | head
  exit 1
fi
"${sync[@]}" | grep Anfragen
