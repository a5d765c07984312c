#!/usr/bin/env bash
# The windowed program's start with a 32,000-entry current file beside the
# same start with an empty one: from the process start to the moment its
# event loop first has nothing left to do with the main window painted
# (TMF_EXIT_WHEN_IDLE ends it there), timed by hyperfine under Xvfb, and
# each start's peak memory by GNU time. Both starts read the same settings
# (no check at start, sorted by first name), so that the difference is the
# file's doing.
#   bench/window_start.sh [work folder]        (not part of the test suite)
# Targets: start to idle within 1.15x of the empty start; memory beyond the
# empty start's at most 1.2x the file's size.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
# TMF_WINDOW_BUILD: an existing build folder to take the program from.
build=${TMF_WINDOW_BUILD:-$root/build-window}
work=${1:-$(mktemp -d /tmp/tmf-window-XXXXXX)}
work=$(realpath "$work")
mkdir -p "$work"
entries=32000
runs=${TMF_WINDOW_RUNS:-20}

missing=()
for p in hyperfine time xvfb xauth; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

[ -n "${TMF_WINDOW_BUILD:-}" ] ||
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTMF_BUILD_TESTS=OFF -DTMF_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target Termif98 tmf_window_files >/dev/null

# Two program folders, each with its own copy of the program (the data
# folder is the one beside the program file) and a pristine data folder
# that every run starts from.
for n in 0 "$entries"; do
  app=$work/app$n
  rm -rf "$app"
  mkdir -p "$app"
  cp "$build/bin/Termif98" "$app/"
  cp -r "$build/bin/musik" "$build/bin/spezial" "$app/"
  "$build/bin/tmf_window_files" "$app/daten.orig" "$n" 1
  cat >"$app/fresh.sh" <<EOF
#!/bin/sh
rm -rf "$app/daten" && cp -r "$app/daten.orig" "$app/daten"
EOF
  chmod +x "$app/fresh.sh"
done
size=$(stat -c %s "$work/app$entries/daten.orig/Termif98.tmf")

export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/runtime
export TMF_EXIT_WHEN_IDLE=1 LANG=C.UTF-8
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

cat >"$work/measure.sh" <<EOF
#!/usr/bin/env bash
set -euo pipefail
# A start that waits for an answer never gets idle: each must end by itself.
for n in 0 $entries; do
  "$work/app\$n/fresh.sh"
  timeout 60 "$work/app\$n/Termif98" >/dev/null 2>&1 || { echo "the start with \$n entries did not end by itself" >&2; exit 1; }
done
hyperfine -N --warmup 2 --runs $runs --export-json "$work/times.json" \\
  --prepare "$work/app0/fresh.sh" -n empty "$work/app0/Termif98" \\
  --prepare "$work/app$entries/fresh.sh" -n "$entries" "$work/app$entries/Termif98" >"$work/hyperfine.txt" 2>&1
: >"$work/memory.txt"
for n in 0 $entries; do
  for _ in 1 2 3 4 5; do
    "$work/app\$n/fresh.sh"
    /usr/bin/time -f %M -o "$work/peak.txt" "$work/app\$n/Termif98" >/dev/null 2>&1
    kb=\$(tail -1 "$work/peak.txt")
    echo "\$n \$kb" >>"$work/memory.txt"
  done
done
EOF
chmod +x "$work/measure.sh"
xvfb-run -a -s "-screen 0 1024x768x24" "$work/measure.sh"

/usr/bin/python3 - "$work" "$entries" "$size" "$(nproc)" "$(cut -d' ' -f1-3 /proc/loadavg)" <<'PY'
import json, statistics, sys
work, entries, size, cores, load = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4], sys.argv[5]
results = {r["command"]: r for r in json.load(open(f"{work}/times.json"))["results"]}
memory = {}
for line in open(f"{work}/memory.txt"):
    n, kb = line.split()
    memory.setdefault(n, []).append(int(kb))
print(f"Cores: {cores}, load average before: {load}. Wall-clock by hyperfine, CPU = user+system means, peak RSS by GNU time (median of 5).")
print(f"{'start':<14}{'median ms':>10}{'min ms':>9}{'CPU ms':>9}{'peak KiB':>10}")
rows = (("empty", "0"), (entries, entries))
for name, n in rows:
    r = results[name]
    print(f"{name + ' file':<14}{r['median'] * 1000:>10.1f}{r['min'] * 1000:>9.1f}"
          f"{(r['user'] + r['system']) * 1000:>9.1f}{statistics.median(memory[n]):>10.0f}")
ratio = results[entries]["median"] / results["empty"]["median"]
fastest = results[entries]["min"] / results["empty"]["min"]
extra = (statistics.median(memory[entries]) - statistics.median(memory["0"])) * 1024
print(f"{entries} entries: start to idle / empty start = {ratio:.3f} (fastest runs {fastest:.3f}; target <= 1.15), "
      f"memory beyond the empty start = {extra / 2**20:.1f} MiB = {extra / size:.2f} x the file's {size / 1e6:.1f} MB (target <= 1.2)")
print("window start targets met" if ratio <= 1.15 and extra / size <= 1.2 else "window start targets NOT met")
PY
