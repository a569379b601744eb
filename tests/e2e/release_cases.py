#!/usr/bin/env python3
"""End-to-end tests of the release packages under Wine, as a user meets them:
the portable zip, a silent install, an update over it and a silent uninstall.

    python3 tests/e2e/release_cases.py --build-dir build/mingw --packages build/release-out

Uses the suite's machinery (support/) with a Wine prefix of its own, made anew
for every run (<build dir>/release-prefix), so installing and uninstalling
never touch the main suite's prefix. The build folder gives the driver and
the target programs; the packages folder what scripts/release.sh made.
Prints "PASS name" or "FAIL name: why" per case and a last line
"e2e: N passed, M failed". The cases run in order: each later one works on
the install the earlier ones made, and installs again when that is missing.
"""
import argparse
import glob
import os
import shutil
import signal
import sys
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from support.case import (describe_difference, registry, run_cases, tasks_file,  # noqa: E402
                          utf16_file, utf16_list)
from support.drive import add_target, ctrl_alt_text, press, wait_records  # noqa: E402
from support.session import Session  # noqa: E402

UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Keyvane"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
ZIP_FILES = ["LICENSE.txt", "README.txt", "keyvane.exe"]
INSTALLED_FILES = ["LICENSE.txt", "README.txt", "keyvane.exe", "uninstall.exe"]
SETUP_DEADLINE = 180
# Tray only, autostart as asked: the window stays hidden at start.
OPTIONS = "%s\r\n-1\r\n27\r\n104\r\n105\r\n211\r\n"


class Packages:
    """What scripts/release.sh wrote into its output folder."""

    def __init__(self, folder):
        zips = glob.glob(os.path.join(folder, "keyvane-*-win64.zip"))
        setups = glob.glob(os.path.join(folder, "keyvane-*-setup.exe"))
        if len(zips) != 1 or len(setups) != 1:
            raise SystemExit("release e2e: want one zip and one setup in %s (run scripts/release.sh)"
                             % folder)
        self.zip, self.setup = zips[0], setups[0]
        self.version = os.path.basename(self.zip)[len("keyvane-"):-len("-win64.zip")]


class Install:
    """Where setup puts things in the session's prefix, in both path forms."""

    def __init__(self, session):
        users = os.path.join(session.prefix, "drive_c", "users")
        names = [n for n in sorted(os.listdir(users))
                 if n != "Public" and os.path.isdir(os.path.join(users, n, "AppData"))]
        if len(names) != 1:
            raise SystemExit("release e2e: no single user profile in %s: %s" % (users, names))
        user = names[0]
        self.dir = os.path.join(users, user, "AppData", "Local", "Programs", "Keyvane")
        self.win_dir = "C:\\users\\%s\\AppData\\Local\\Programs\\Keyvane" % user
        self.shortcut = os.path.join(users, user, "AppData", "Roaming", "Microsoft", "Windows",
                                     "Start Menu", "Programs", "Keyvane.lnk")
        self.user = user

    def path(self, *parts):
        return os.path.join(self.dir, *parts)

    def exe_from(self, t):
        """The installed keyvane.exe as Case.start takes it: relative to the case's folder."""
        return "..\\..\\users\\%s\\AppData\\Local\\Programs\\Keyvane\\keyvane.exe" % self.user


def run_setup(t, packages, *args, check=True):
    """Runs the installer to its end (silent setup waits for its work); returns
    its exit code, which must be 0 when check."""
    local = os.path.join(t.session.root, os.path.basename(packages.setup))
    if not os.path.exists(local):
        shutil.copy2(packages.setup, local)
    code = t.session.wine("C:\\e2e\\" + os.path.basename(local), *args, timeout=SETUP_DEADLINE,
                          errors=t.path("setup.err"))
    if check:
        t.expect(code == 0, "setup %s ended with exit code %d" % (" ".join(args), code))
    return code


def ensure_installed(t, packages, install):
    if not os.path.exists(install.path("keyvane.exe")):
        run_setup(t, packages, "/S")


def write_data(install, tasks, autostart=False):
    os.makedirs(install.path("data"), exist_ok=True)
    with open(install.path("data", "actions.cfg"), "wb") as f:
        f.write(tasks)
    with open(install.path("data", "settings.cnfg"), "wb") as f:
        f.write((OPTIONS % ("-1" if autostart else "0")).encode("ascii"))


def mentions(data, text):
    """Whether a binary file holds the text, as ANSI or as UTF-16, any case."""
    low = data.lower()
    return text.lower().encode("latin-1") in low or text.lower().encode("utf-16-le") in low


# ---------------------------------------------------------------------------

CASES, case = registry()


@case
def zip_holds_the_program_and_runs_from_a_fresh_folder(t, packages, install):
    with zipfile.ZipFile(packages.zip) as z:
        names = z.namelist()
        t.expect(names == ZIP_FILES, "the zip holds %s, want %s" % (names, ZIP_FILES))
        t.expect(z.testzip() is None, "a damaged member in the zip")
        readme = z.read("README.txt")
        t.expect(b"\r\n" in readme and packages.version.encode() in readme,
                 "README.txt is not Windows text naming version %s" % packages.version)
        z.extractall(t.path("portable"))
    program = t.start("portable\\keyvane.exe")
    t.close(program)
    data = t.path("portable", "data")
    t.expect(t.read_file(os.path.join(data, "actions.cfg")) == b"\xff\xfe",
             "no empty task list saved beside the unpacked program")
    for name in ("settings.cnfg", "w_size.cnfg"):
        t.expect(os.path.exists(os.path.join(data, name)), "%s not saved beside the program" % name)
    t.expect(not os.path.exists(t.path("data")), "data saved elsewhere than beside the program")
    # Autostart is on by default: it points at the unpacked program.
    autostart = t.session.reg_query(RUN_KEY, "Keyvane")
    t.expect(autostart == t.win_dir + "\\portable\\keyvane.exe", "autostart value %r" % autostart)
    t.session.wine("reg", "delete", RUN_KEY, "/v", "Keyvane", "/f")


@case
def silent_install_makes_files_shortcut_and_uninstall_entry(t, packages, install):
    t.expect(not os.path.exists(install.dir), "the prefix is not fresh: %s exists" % install.dir)
    run_setup(t, packages, "/S")
    t.expect(sorted(os.listdir(install.dir)) == INSTALLED_FILES,
             "installed files: %s" % sorted(os.listdir(install.dir)))
    with zipfile.ZipFile(packages.zip) as z:
        t.expect(t.read_file(install.path("keyvane.exe")) == z.read("keyvane.exe"),
                 "the installed keyvane.exe is not the packaged one")
    link = t.read_file(install.shortcut)
    t.expect(link is not None, "no Start menu shortcut at %s" % install.shortcut)
    t.expect(mentions(link, install.win_dir + "\\keyvane.exe"),
             "the shortcut does not point at the installed keyvane.exe")
    values = t.session.reg_values(UNINSTALL_KEY) or {}
    uninstaller = install.win_dir + "\\uninstall.exe"
    want = {
        "DisplayName": "Keyvane",
        "DisplayVersion": packages.version,
        "Publisher": "The Keyvane authors",
        "DisplayIcon": install.win_dir + "\\keyvane.exe,0",
        "InstallLocation": install.win_dir,
        "UninstallString": '"%s"' % uninstaller,
        "QuietUninstallString": '"%s" /S' % uninstaller,
    }
    for name, data in want.items():
        got = t.session.reg_query(UNINSTALL_KEY, name)
        t.expect(got == data, "uninstall entry %s is %r, want %r" % (name, got, data))
    kind, size = values.get("EstimatedSize", (None, "0"))
    files_kib = sum(os.path.getsize(install.path(n)) for n in INSTALLED_FILES) / 1024
    t.expect(kind == "REG_DWORD" and files_kib * 0.8 <= int(size, 0) <= files_kib * 1.5,
             "EstimatedSize %s %s, the files take %.0f KiB" % (kind, size, files_kib))
    t.expect(t.session.reg_query(RUN_KEY, "Keyvane") is None, "setup wrote an autostart value")

    # The installed program works: a hotkey from a prepared task list runs its program.
    target = add_target(t)
    write_data(install, tasks_file(
        ("Run selected program...", ctrl_alt_text(t, "N"), target + " installed", "Normal")))
    program = t.start(install.exe_from(t))
    press(t, "ctrl+alt+n")
    record = wait_records(t, 1, "the hotkey's program to start")[0]
    t.expect(record["cmdline"].endswith(" installed"), "ran %r" % record["cmdline"])
    t.close(program)


@case
def install_over_a_running_install_keeps_the_task_list(t, packages, install):
    ensure_installed(t, packages, install)
    target = add_target(t)
    # As the program writes it, so its save at close changes no byte.
    tasks = utf16_list("1,Run selected program...,%s,%s updated,Normal,0,True"
                       % (ctrl_alt_text(t, "U"), target),
                       "2,Open Website...,,http://example.org,Maximize,1,False")
    write_data(install, tasks)
    program = t.start(install.exe_from(t))
    run_setup(t, packages, "/S")
    # Setup closed the running copy as Windows does, before it replaced the program.
    t.expect(program.proc.poll() is not None, "keyvane.exe still runs after setup")
    t.expect(program.proc.returncode == 0, "keyvane.exe ended with exit code %s"
             % program.proc.returncode)
    t.expect(t.read_file(install.path("data", "actions.cfg")) == tasks,
             "the task list changed: %s" % describe_difference(
                 t.read_file(install.path("data", "actions.cfg")), tasks))
    t.expect(sorted(os.listdir(install.dir)) == sorted(INSTALLED_FILES + ["data"]),
             "files after the update: %s" % sorted(os.listdir(install.dir)))
    program = t.start(install.exe_from(t))
    press(t, "ctrl+alt+u")
    record = wait_records(t, 1, "the hotkey to work after the update")[0]
    t.expect(record["cmdline"].endswith(" updated"), "ran %r" % record["cmdline"])
    t.close(program)


@case
def setup_stops_without_touching_files_when_keyvane_does_not_close(t, packages, install):
    ensure_installed(t, packages, install)
    write_data(install, utf16_list("1,Run Calc,,,Normal,0,True"))
    program = t.start(install.exe_from(t))
    marker = b"left by the case"
    with open(install.path("README.txt"), "wb") as f:
        f.write(marker)
    # A program that answers no message: stopped, as far as Windows can see.
    os.kill(program.proc.pid, signal.SIGSTOP)
    try:
        code = run_setup(t, packages, "/S", check=False)
    finally:
        os.kill(program.proc.pid, signal.SIGCONT)
    t.expect(code != 0, "setup reported success although Keyvane still ran")
    t.expect(t.read_file(install.path("README.txt")) == marker, "setup replaced files of a running Keyvane")
    t.close(program)
    run_setup(t, packages, "/S")
    t.expect(t.read_file(install.path("README.txt")) != marker, "setup did not replace README.txt")


@case
def silent_uninstall_closes_keyvane_and_keeps_only_its_data(t, packages, install):
    ensure_installed(t, packages, install)
    # Single-byte text: only the program's own save at close makes it UTF-16.
    write_data(install, b"1,Run Calc,,,Normal,0,True\n", autostart=True)
    t.session.reg_add(RUN_KEY, "Keyvane", "REG_SZ", '"%s\\keyvane.exe"' % install.win_dir)
    program = t.start(install.exe_from(t))
    quiet = t.session.reg_query(UNINSTALL_KEY, "QuietUninstallString")
    t.expect(quiet is not None and quiet.startswith('"') and quiet.endswith('" /S'),
             "QuietUninstallString %r" % quiet)
    code = t.session.wine(quiet[1:-4], "/S", timeout=SETUP_DEADLINE, errors=t.path("uninstall.err"))
    t.expect(code == 0, "the uninstaller ended with exit code %d" % code)
    # It goes on from a copy of itself in the temporary folder.
    code = t.wait_exit(program, timeout=60)
    t.expect(code == 0, "keyvane.exe ended with exit code %s" % code)
    t.wait_until(lambda: not os.path.exists(install.path("uninstall.exe")),
                 "the uninstaller to remove the program", timeout=60)
    t.wait_until(lambda: t.session.reg_values(UNINSTALL_KEY) is None,
                 "the uninstall entry to go", timeout=60)
    t.expect(t.read_file(install.path("data", "actions.cfg"))
             == utf16_file("1,Run Calc,,,Normal,0,True\r\n"),
             "the task list was not saved by keyvane.exe's close: %r"
             % t.read_file(install.path("data", "actions.cfg")))
    t.expect(sorted(os.listdir(install.dir)) == ["data"],
             "left in the program folder: %s" % sorted(os.listdir(install.dir)))
    t.expect(not os.path.exists(install.shortcut), "the Start menu shortcut is still there")
    t.expect(t.session.reg_query(RUN_KEY, "Keyvane") is None, "the autostart value is still there")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build-dir", required=True, help="MinGW build folder with kvdriver.exe")
    parser.add_argument("--packages", required=True, help="scripts/release.sh's output folder")
    parser.add_argument("-v", "--verbose", action="store_true")
    args = parser.parse_args()
    packages = Packages(args.packages)

    # A fresh prefix each run: the first install must find nothing there.
    prefix = os.path.join(args.build_dir, "release-prefix")
    if os.path.exists(prefix):
        shutil.rmtree(prefix)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    with Session(args.build_dir, prefix, verbose=args.verbose) as session:
        # Shortcuts made by setup must not become menu entries on this machine.
        session.env["WINEDLLOVERRIDES"] += ";winemenubuilder.exe=d"
        passed, failed = run_cases(session, CASES, packages, Install(session),
                                   verbose=args.verbose)
    print("e2e: %d passed, %d failed" % (passed, failed), flush=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
