#!/usr/bin/env bash
# termif98-check side by side with other terminal programs on the same
# 32,000 people (names, dates, leads), each with a look-ahead of 7 days:
#  - one appointment file in three forms: written a record at a time (as
#    tools that write entry by entry leave a file), written in one go (as
#    this program saves), and a copy of that made by cp. How a file came into
#    the system's cache decides what mapping or reading it costs; each form
#    is timed against cat of the same file, so both sides find the same pages
#    in the same state;
#  - birthday on the same people in its own format (remind and calendar
#    beside it, for comparison only);
#  - a full check list of 101 files of 32,000 entries each (1.25 GB),
#    against cat of all its files, with the peak memory of the check.
# Wall-clock times by hyperfine (the single files in rounds, each in the
# other order), peak memory by GNU time. Prints each
# target with its ratio and whether it is met, and the load before and after.
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
n=32000
d=$work/$n
rm -rf "$d"
mkdir -p "$d"
"$build/bin/tmf_peer_files" "$d" "$n" "$last_check"
cp "$d/one.tmf" "$d/one-copy.tmf"
# A copy beside "daten/" reads that folder's check list, as installed
# beside its data.
cp "$build/bin/termif98-check" "$d/termif98-check"
check=$d/termif98-check
forms=(records one-go cp-copy)
declare -A file=([records]=$d/one-records.tmf [one-go]=$d/one.tmf [cp-copy]=$d/one-copy.tmf)
list_files=("$d"/daten/f*.tmf)

commands=()
for f in "${forms[@]}"; do
  commands+=("check $f|$check -t 7 ${file[$f]}" "cat $f|cat ${file[$f]}")
done
commands+=(
  "birthday|birthday -f $d/birthdays -W 7 -M 7"
  "remind|remind -q -h -t7 $d/reminders.rem"
  "calendar|calendar -f $d/calendar -A 7"
)
list_commands=("check list|$check -t 7" "cat list|cat ${list_files[*]}")

# --- the same output from everyone before timing: each must find something
for c in "${commands[@]}" "${list_commands[@]}"; do
  lines=$(${c#*|} | wc -l)
  [ "$lines" -gt 0 ] || { echo "no output from: ${c#*|}" >&2; exit 1; }
done
for f in records cp-copy; do
  cmp -s <($check -t 7 "${file[one-go]}" | tail -n +2) <($check -t 7 "${file[$f]}" | tail -n +2) ||
    { echo "the forms of the file do not give the same report" >&2; exit 1; }
done

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
run() {  # name of the export, minimum runs, commands
  local out=$1 runs=$2 args=()
  shift 2
  for c in "$@"; do args+=(-n "${c%%|*}" "${c#*|}"); done
  hyperfine -N --warmup 3 --min-runs "$runs" --export-json "$work/$out.json" "${args[@]}" \
    >"$work/$out.txt" 2>&1
}
# The single files in five rounds, the order turned each time: a fastest run
# of a program that wants both cores comes seldom, so that one batch of
# forty can miss it, and a batch run later finds the machine in another
# state. Each command's figures are taken over all its rounds.
rounds=5
for ((r = 1; r <= rounds; r++)); do
  if ((r % 2)); then run "times-$r" 40 "${commands[@]}"; else
    reversed=()
    for ((i = ${#commands[@]} - 1; i >= 0; i--)); do reversed+=("${commands[i]}"); done
    run "times-$r" 40 "${reversed[@]}"
  fi
done
run list 10 "${list_commands[@]}"

# --- peak memory, the highest of five runs
: >"$work/memory.txt"
for c in "check records|$check -t 7 ${file[records]}" "${list_commands[0]}"; do
  peak=0
  for _ in 1 2 3 4 5; do
    kb=$( { /usr/bin/time -f %M ${c#*|} >/dev/null; } 2>&1 | tail -1)
    ((kb > peak)) && peak=$kb
  done
  echo "${c%%|*}|$peak" >>"$work/memory.txt"
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

/usr/bin/python3 - "$work" "$(nproc)" "$load_before" "$load_after" "$rounds" "${forms[@]}" <<'PY'
import json, statistics, sys
work, cores, before, after, rounds, forms = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4], int(sys.argv[5]), sys.argv[6:]
times, cpus, per_round = {}, {}, {}
for name in [f"times-{r}" for r in range(1, rounds + 1)] + ["list"]:
    for r in json.load(open(f"{work}/{name}.json"))["results"]:
        times.setdefault(r["command"], []).extend(r["times"])
        if name != "list":
            per_round.setdefault(r["command"], []).append(min(r["times"]))
        cpus.setdefault(r["command"], []).append(r["user"] + r["system"])
fastest = {k: min(t) * 1000 for k, t in times.items()}
median = {k: statistics.median(t) * 1000 for k, t in times.items()}
cpu = {k: statistics.mean(c) * 1000 for k, c in cpus.items()}

memory = {k: int(v) for k, v in (line.strip().split("|") for line in open(f"{work}/memory.txt"))}
print(f"Cores: {cores}. Load (1, 5, 15 min) before: {before}, after: {after}.")
print("Wall-clock by hyperfine (fastest run and median), mean CPU (user+system); peak RSS by GNU time.")
print(f"{'program':<16}{'fastest ms':>11}{'median ms':>11}{'CPU ms':>9}")
for k in times:
    print(f"{k:<16}{fastest[k]:>11.2f}{median[k]:>11.2f}{cpu[k]:>9.2f}")
print()
met = True
def target(text, ratio, ok):
    global met
    met = met and ok
    print(f"{text:<58}{ratio:>7.2f}  {'met' if ok else 'NOT met'}")
for f in forms:
    ratio = fastest["birthday"] / fastest[f"check {f}"]
    target(f"1. birthday / termif98-check, {f} (>= 6)", ratio, ratio >= 6)
for f in forms:
    ratio = fastest[f"check {f}"] / fastest[f"cat {f}"]
    target(f"1. termif98-check / cat, {f} (<= 1.25)", ratio, ratio <= 1.25)
    each = [c / t for c, t in zip(per_round[f"check {f}"], per_round[f"cat {f}"])]
    print("   (round by round: " + " ".join(f"{e:.2f}" for e in each) + ")")
ratio = fastest["check list"] / fastest["cat list"]
target("2. termif98-check / cat, 101 files (<= 1.5)", ratio, ratio <= 1.5)
peak = memory["check list"] / 1000 * 1024 / 1000
target("2. peak memory over 101 files, MB (< 16)", peak, peak < 16)
print(f"   (peak memory over one file of 32,000 entries: {memory['check records'] * 1024 / 1e6:.2f} MB)")
print("targets met" if met else "targets NOT met")
PY
