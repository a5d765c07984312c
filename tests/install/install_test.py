#!/usr/bin/python3
"""Installs the build into a temporary DESTDIR, checks the installed tree and
the desktop files, and runs the installed program with HOME and the XDG
folders in a temporary folder: its data must be made there and nowhere else,
a second copy must leave every file as it was, and a lock left by a killed
copy must not stop the next start.

usage: install_test.py BUILD_DIR
"""
import hashlib
import os
import signal
import stat
import subprocess
import sys
import tempfile
import time

BUILD = os.path.abspath(sys.argv[1])
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FEHLER:", what, flush=True)


def snapshot(root, skip=()):
    """Every regular file below root with its content hash."""
    files = {}
    for folder, dirs, names in os.walk(root):
        dirs[:] = [d for d in dirs if os.path.join(folder, d) not in skip]
        for n in names:
            p = os.path.join(folder, n)
            if stat.S_ISREG(os.lstat(p).st_mode):
                with open(p, "rb") as f:
                    files[os.path.relpath(p, root)] = hashlib.sha256(f.read()).hexdigest()
    return files


def wait_for(condition, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if condition():
            return True
        time.sleep(0.1)
    return condition()


def list_file(settings, files):
    """A "Liste.dat": 121 scrambled CRLF lines, settings first, then the check list."""
    lines = [""] * 121
    for k, v in settings.items():
        lines[k] = v
    for i, f in enumerate(files):
        lines[20 + i] = f
    out = b""
    for line in lines:
        raw = line.encode("cp1252")
        n = len(raw)
        while n > 240:
            n //= 2
        key = 255 - n
        out += bytes(b ^ key for b in raw) + b"\r\n"
    return out


tmp = tempfile.mkdtemp(prefix="tmf-install-")
dest = os.path.join(tmp, "dest")
prefix = dest + "/usr"
env = dict(os.environ, DESTDIR=dest)
r = subprocess.run(["cmake", "--install", BUILD, "--prefix", "/usr"], env=env, capture_output=True, text=True)
check(r.returncode == 0, "cmake --install: " + r.stderr)

# ---------------------------------------------------------------- the tree
expected = [
    "bin/termif98",
    "bin/termif98-check",
    "share/termifolio98/musik/Hinweis.wav",
    "share/termifolio98/musik/close.wav",
    "share/termifolio98/musik/fehler.wav",
    "share/termifolio98/musik/tata.wav",
    "share/termifolio98/spezial/TermifolioIntern.rtf",
    "share/termifolio98/daten/Beschreibung.doc",
    "share/applications/termifolio98.desktop",
    "share/metainfo/de.wuksoft.termifolio98.metainfo.xml",
    "share/man/man1/termif98.1",
    "share/man/man1/termif98-check.1",
    "share/icons/hicolor/scalable/apps/termifolio98.svg",
] + ["share/icons/hicolor/%dx%d/apps/termifolio98.png" % (s, s) for s in (16, 22, 24, 32, 48, 64, 128, 256)]
installed = snapshot(prefix)
for e in expected:
    check(e in installed, "nicht installiert: " + e)
check(os.access(prefix + "/bin/termif98", os.X_OK), "termif98 ist nicht ausführbar")
check(not os.path.exists(prefix + "/bin/Termif98"), "die Build-Datei Termif98 liegt im bin/")
check(not os.path.exists(prefix + "/bin/daten"), "Datenordner neben dem installierten Programm")
for s in (16, 22, 24, 32, 48, 64, 128, 256):
    with open(prefix + "/share/icons/hicolor/%dx%d/apps/termifolio98.png" % (s, s), "rb") as f:
        head = f.read(24)
    check(head[:8] == b"\x89PNG\r\n\x1a\n", "kein PNG: %d" % s)
    check(int.from_bytes(head[16:20], "big") == s and int.from_bytes(head[20:24], "big") == s,
          "Symbol %d hat nicht seine Größe" % s)
with open(prefix + "/share/icons/hicolor/scalable/apps/termifolio98.svg", encoding="utf-8") as f:
    check("<svg" in f.read(), "das skalierbare Symbol ist kein SVG")
with open(prefix + "/share/man/man1/termif98.1", encoding="utf-8") as f:
    check(f.read().startswith(".TH TERMIF98 1"), "die Handbuchseite beginnt nicht mit .TH")

r = subprocess.run(["desktop-file-validate", prefix + "/share/applications/termifolio98.desktop"],
                   capture_output=True, text=True)
check(r.returncode == 0 and not r.stdout.strip(), "desktop-file-validate: " + r.stdout + r.stderr)
r = subprocess.run(["appstreamcli", "validate", "--no-net",
                    prefix + "/share/metainfo/de.wuksoft.termifolio98.metainfo.xml"], capture_output=True, text=True)
check(r.returncode == 0, "appstreamcli validate: " + r.stdout + r.stderr)

# ------------------------------------------------------- running it installed
home = os.path.join(tmp, "home")
run_dir = os.path.join(tmp, "run")
tmp_dir = os.path.join(tmp, "tmp")
for d in (home, run_dir, tmp_dir):
    os.makedirs(d, mode=0o700)
data_home = os.path.join(tmp, "xdg-data")
config_home = os.path.join(tmp, "xdg-config")
base_env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": home, "XDG_DATA_HOME": data_home,
            "XDG_CONFIG_HOME": config_home, "XDG_CACHE_HOME": os.path.join(tmp, "cache"),
            "XDG_RUNTIME_DIR": run_dir, "TMPDIR": tmp_dir, "LANG": "C.UTF-8", "LC_ALL": "C.UTF-8",
            "TZ": "Europe/Berlin"}
gui_env = dict(base_env, QT_QPA_PLATFORM="offscreen")
program = prefix + "/bin/termif98"
data = os.path.join(data_home, "Termifolio98", "daten")
outside = (dest, run_dir, tmp_dir)  # the program's own tree, sockets and Qt's runtime files
before_tree = snapshot(dest)

# No display at all: the answers must come without one.
r = subprocess.run([program, "--version"], env=base_env, capture_output=True, text=True, timeout=30)
check(r.returncode == 0 and r.stdout == "Termifolio98 2.27\n", "--version: %r %r" % (r.returncode, r.stdout))
r = subprocess.run([program, "--help"], env=base_env, capture_output=True, text=True, timeout=30)
check(r.returncode == 0 and r.stdout.startswith("Aufruf: termif98 [OPTION]") and "--version" in r.stdout,
      "--help: %r" % r.stdout)
r = subprocess.run([program, "--gibtsnicht"], env=base_env, capture_output=True, text=True, timeout=30)
check(r.returncode == 2 and "unbekannte Option" in r.stderr and not r.stdout, "unbekannte Option: %r" % r.stderr)
check(snapshot(tmp, outside) == {}, "die Optionen haben Dateien angelegt")

# The terminal program finds the same data folder as the windowed one.
r = subprocess.run([prefix + "/bin/termif98-check"], env=base_env, capture_output=True, text=True, timeout=30)
check(r.returncode == 1 and data in r.stdout + r.stderr, "termif98-check sucht woanders: %r" % (r.stdout + r.stderr))

# The first start with nothing there makes the data folder and its file.
first = subprocess.Popen([program], env=gui_env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
started = wait_for(lambda: os.path.exists(os.path.join(data, "Termif98.tmf"))
                   and os.path.exists(os.path.join(data, ".termif98.lock")), 60)
check(started, "der erste Start hat keine Daten unter XDG_DATA_HOME angelegt")
check(stat.S_IMODE(os.stat(data).st_mode) == 0o700, "der Datenordner ist nicht privat")
time.sleep(1)  # the start-up's check and date stamp are done by now
files = snapshot(tmp, outside)
check(all(f.startswith("xdg-data/Termifolio98/daten/") for f in files), "Dateien außerhalb der Daten: %s" % files)

# A second copy on the same folder writes nothing and ends.
r = subprocess.run([program], env=gui_env, capture_output=True, text=True, timeout=60)
check(r.returncode == 0, "der zweite Start endete mit %d" % r.returncode)
check(snapshot(tmp, outside) == files, "der zweite Start hat Dateien verändert")
check(first.poll() is None, "die erste Kopie lief nicht mehr")
first.send_signal(signal.SIGKILL)  # a crash: the lock stays behind
first.wait(timeout=30)
check(os.path.exists(os.path.join(data, ".termif98.lock")), "nach dem Absturz fehlt die Sperre")

# The next start takes the crashed copy's lock over; in the background mode
# it checks, ends by itself and leaves its settings in the data folder only.
current = os.path.join(data, "Termif98.tmf")
with open(os.path.join(data, "Liste.dat"), "wb") as f:
    f.write(list_file({10: "Wuk-Soft98", 12: "0", 14: "1", 16: "1", 17: "1", 18: "0", 19: "0"}, [current]))
r = subprocess.run([program], env=gui_env, capture_output=True, text=True, timeout=90)
check(r.returncode == 0, "der Hintergrundstart endete mit %d: %s" % (r.returncode, r.stderr))
check(not os.path.exists(os.path.join(data, ".termif98.lock")), "die Sperre blieb nach dem Ende liegen")
files = snapshot(tmp, outside)
check({"xdg-data/Termifolio98/daten/Liste.dat", "xdg-data/Termifolio98/daten/Termif98.tmf"} <= set(files),
      "Daten fehlen: %s" % files)
check(all(f.startswith("xdg-data/Termifolio98/daten/") or f.startswith("xdg-config/Termifolio98/")
          for f in files), "Dateien außerhalb der Daten: %s" % files)
check(os.listdir(home) == [], "im Heimordner entstand %s" % os.listdir(home))
check(snapshot(dest) == before_tree, "das installierte Programm hat seinen Ordner verändert")

if failures:
    print("%d Fehler, Ordner bleibt: %s" % (len(failures), tmp))
    sys.exit(1)
subprocess.run(["rm", "-rf", tmp])
print("install tree, desktop files and installed runs: OK")
