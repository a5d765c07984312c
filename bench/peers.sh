#!/usr/bin/env bash
# termif98-check side by side with three terminal reminder tools on the same
# people (names, dates, leads), at 1,000 and 32,000 entries: birthday,
# remind and calendar, each with a look-ahead of 7 days, and termif98-check
# with -t 7 over one appointment file and over the same entries spread over
# a full check list of 101 files. The whole processes are timed by hyperfine
# in one run; each program's peak memory comes from GNU time.
#   bench/peers.sh [work folder]        (not part of the test suite)
# Installs the tools from Debian's packages when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${TMF_PEERS_BUILD:-$root/build-peers}
work=${1:-$(mktemp -d /tmp/tmf-peers-XXXXXX)}
mkdir -p "$work"

# --- the peers, hyperfine and GNU time
missing=()
for p in birthday remind calendar cpp hyperfine time; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# --- termif98-check and the maker of the people, optimised
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTMF_WITH_QT=OFF -DTMF_BUILD_TESTS=OFF \
  -DTMF_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target termif98-check tmf_peer_files >/dev/null

# A last check a week ago, so that passed-over dates are found too.
last_check=$(date -d '7 days ago' +%d.%m.%Y)
sizes=(1000 32000)
commands=()
for n in "${sizes[@]}"; do
  d=$work/$n
  rm -rf "$d"
  mkdir -p "$d"
  "$build/bin/tmf_peer_files" "$d" "$n" "$last_check"
  # A copy beside "daten/" reads that folder's check list, as installed
  # beside its data.
  cp "$build/bin/termif98-check" "$d/termif98-check"
  commands+=(
    "termif98-check $n|$d/termif98-check -t 7 $d/one.tmf"
    "termif98-check 101 Dateien $n|$d/termif98-check -t 7"
    "birthday $n|birthday -f $d/birthdays -W 7 -M 7"
    "remind $n|remind -q -h -t7 $d/reminders.rem"
    "calendar $n|calendar -f $d/calendar -A 7"
  )
done

# --- the same output from everyone before timing: each must find something
for c in "${commands[@]}"; do
  lines=$(${c#*|} | wc -l)
  [ "$lines" -gt 0 ] || { echo "no output from: ${c#*|}" >&2; exit 1; }
done

args=()
for c in "${commands[@]}"; do args+=(-n "${c%%|*}" "${c#*|}"); done
hyperfine -N --warmup 3 --min-runs 30 --export-json "$work/times.json" "${args[@]}" >"$work/hyperfine.txt" 2>&1

# --- peak memory, the highest of five runs
: >"$work/memory.txt"
for c in "${commands[@]}"; do
  peak=0
  for _ in 1 2 3 4 5; do
    kb=$( { /usr/bin/time -f %M ${c#*|} >/dev/null; } 2>&1 | tail -1)
    ((kb > peak)) && peak=$kb
  done
  echo "${c%%|*}|$peak" >>"$work/memory.txt"
done
for n in "${sizes[@]}"; do echo "file $n|$(stat -c %s "$work/$n/one.tmf")" >>"$work/memory.txt"; done

/usr/bin/python3 - "$work" "$(nproc)" "${sizes[@]}" <<'PY'
import json, sys
work, cores, sizes = sys.argv[1], sys.argv[2], sys.argv[3:]
results = {r["command"]: r for r in json.load(open(f"{work}/times.json"))["results"]}
median = {k: r["median"] * 1000 for k, r in results.items()}
cpu = {k: (r["user"] + r["system"]) * 1000 for k, r in results.items()}
memory = dict(line.strip().split("|") for line in open(f"{work}/memory.txt"))
peers = ("birthday", "remind", "calendar")
print(f"Cores: {cores}. Wall-clock medians by hyperfine, mean CPU (user+system), peak RSS by GNU time.")
print(f"{'program':<28}{'entries':>8}{'median ms':>11}{'ratio':>7}{'CPU ms':>8}{'peak KiB':>10}")
for n in sizes:
    ours = median[f"termif98-check {n}"]
    for name in ("termif98-check", "termif98-check 101 Dateien") + peers:
        key = f"{name} {n}"
        print(f"{name:<28}{n:>8}{median[key]:>11.2f}{median[key] / ours:>7.2f}{cpu[key]:>8.2f}{int(memory[key]):>10}")
n = sizes[-1]
ours = median[f"termif98-check {n}"]
fastest = min(peers, key=lambda p: median[f"{p} {n}"])
speedup = median[f"{fastest} {n}"] / ours
split = median[f"termif98-check 101 Dateien {n}"] / ours
peak = int(memory[f"termif98-check {n}"]) * 1024 / int(memory[f"file {n}"])
print(f"{n} entries: fastest peer ({fastest}) / termif98-check = {speedup:.2f} (target >= 4), "
      f"by CPU {cpu[f'{fastest} {n}'] / cpu[f'termif98-check {n}']:.2f}; "
      f"101 files / one file = {split:.2f} (target <= 1.5); peak / file size = {peak:.2f} (target <= 3)")
print("targets met" if speedup >= 4 and split <= 1.5 and peak <= 3 else "targets NOT met")
PY
