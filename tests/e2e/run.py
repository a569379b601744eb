#!/usr/bin/env python3
"""End-to-end tests: the real keyvane.exe under Wine, driven from outside.

    python3 tests/e2e/run.py --build-dir build/mingw [--prefix DIR] [-k SUBSTRING]

Starts Xvfb on a free display and a private Wine prefix (created once, then
reused), runs each case in its own C:\\e2e\\<case> folder with a copy of
keyvane.exe and its data folder, and kills everything it started at the end.
Prints "PASS name" or "FAIL name: why" per case and a last line
"e2e: N passed, M failed"; the exit code is non-zero when a case fails.

Adding a case: write a function taking a Case, decorate it with @case, and
use the helpers of Case (write_tasks, start, driver, close, wait_until,
read_tasks). Every wait is for a condition with a deadline.
Standard library only.
"""
import argparse
import os
import select
import re
import shutil
import signal
import struct
import subprocess
import sys
import time
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))



def _program_text(name):
    """One of the program's own texts, read from where the program keeps
    them, so the suite never holds a second copy that could drift."""
    with open(os.path.join(HERE, "..", "..", "src", "base", "AppInfo.h"), encoding="utf-8") as f:
        match = re.search(r"\b%s\s*=\s*u\"((?:[^\"\\]|\\.)*)\"" % name, f.read())
    if not match:
        raise SystemExit("e2e: %s not found in src/base/AppInfo.h" % name)
    return match.group(1)


MAIN_CAPTION = _program_text("kMainWindowCaption")
EDITOR_CAPTION = _program_text("kEditorCaption")
ABOUT_CAPTION = _program_text("kAboutCaption")

# Deadlines in seconds, generous for a loaded 2-core machine.
WINDOW_DEADLINE = 20
EXIT_DEADLINE = 20
FIRST_START_DEADLINE = 180  # a fresh prefix builds its font cache on the first window


class CaseFailure(Exception):
    pass


# ---------------------------------------------------------------------------
# The task list file. Expected files are written out literally: a model of
# the reader and writer here would share any misreading with the program.


def utf16_file(text):
    """The text as a UTF-16 LE file with its byte order mark (FF FE): only the
    encoding, no field logic."""
    return b"\xff\xfe" + text.encode("utf-16-le")


def describe_difference(got, want):
    if got is None:
        return "file missing"
    at = next((i for i in range(min(len(got), len(want))) if got[i] != want[i]),
              min(len(got), len(want)))
    return "bytes differ at %d (got %d bytes, want %d): got %s... want %s..." % (
        at, len(got), len(want), got[at:at + 16].hex(" "), want[at:at + 16].hex(" "))


# ---------------------------------------------------------------------------
# Wine, the display and the processes of a run.

def wait_until(condition, what, timeout):
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise CaseFailure("timed out after %gs waiting for %s" % (timeout, what))
        time.sleep(0.05)


class Session:
    """Xvfb, the Wine prefix and wineserver for the whole run."""

    def __init__(self, build_dir, prefix, verbose=False):
        self.build_dir = os.path.abspath(build_dir)
        self.prefix = os.path.abspath(prefix)
        self.verbose = verbose
        self.xvfb = None
        self.env = None
        self.processes = []  # everything started, killed at the end
        self.first_start = True

    # -- start and stop --------------------------------------------------

    def __enter__(self):
        for exe in ("keyvane.exe", "kvdriver.exe"):
            if not os.path.isfile(os.path.join(self.build_dir, exe)):
                raise SystemExit("e2e: %s not found in %s (build the MinGW tree first)"
                                 % (exe, self.build_dir))
        try:
            display = self._start_xvfb()
            self.env = dict(os.environ, DISPLAY=display, WINEPREFIX=self.prefix,
                            WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
            self.env.pop("WAYLAND_DISPLAY", None)
            self._prepare_prefix()
            # One wineserver for the whole run, so each start does not pay for it.
            subprocess.run(["wineserver", "-p"], env=self.env, timeout=60,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.root = os.path.join(self.prefix, "drive_c", "e2e")
            os.makedirs(self.root, exist_ok=True)
            shutil.copy2(os.path.join(self.build_dir, "kvdriver.exe"),
                         os.path.join(self.root, "kvdriver.exe"))
            for extra in sorted(os.listdir(self.build_dir)):
                # Target programs of the cases (kvtarget.exe and the like).
                if extra.startswith("kv") and extra.endswith(".exe") and extra != "kvdriver.exe":
                    shutil.copy2(os.path.join(self.build_dir, extra), os.path.join(self.root, extra))
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        for proc in self.processes:
            if proc.poll() is None:
                proc.kill()
        if self.env:
            try:
                subprocess.run(["wineserver", "-k"], env=self.env, timeout=30,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            except (OSError, subprocess.TimeoutExpired):
                pass
        for proc in self.processes:
            try:
                proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass
        if self.xvfb:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
        return False

    def _start_xvfb(self):
        # -displayfd lets Xvfb pick a free display and tell us which.
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        text = b""
        deadline = time.monotonic() + 30
        while not text.endswith(b"\n"):
            left = deadline - time.monotonic()
            ready, _, _ = select.select([read_end], [], [], max(left, 0))
            if not ready:
                raise SystemExit("e2e: Xvfb did not report a display within 30 s")
            chunk = os.read(read_end, 64)
            if not chunk:
                raise SystemExit("e2e: Xvfb ended before reporting a display")
            text += chunk
        os.close(read_end)
        return ":" + text.decode().strip()

    def _prepare_prefix(self):
        marker = os.path.join(self.prefix, ".keyvane-e2e-ready")
        if os.path.exists(marker):
            return
        os.makedirs(self.prefix, exist_ok=True)
        self.log("creating Wine prefix %s" % self.prefix)
        subprocess.run(["wineboot", "-i"], env=self.env, timeout=300,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        # A crashing program must not leave a dialog waiting for a click.
        self.reg_add(r"HKCU\Software\Wine\WineDbg", "ShowCrashDialog", "REG_DWORD", "0")
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=120)
        with open(marker, "w") as f:
            f.write("ok\n")

    # -- helpers for cases ------------------------------------------------

    def log(self, text):
        if self.verbose:
            print("  .. " + text, flush=True)

    def wine(self, *args, timeout=60, errors=None):
        """Runs a Windows program to its end; returns its exit code. Wine's own
        complaints go to the file `errors` when given."""
        err = open(errors, "wb") if errors else subprocess.DEVNULL
        try:
            return subprocess.run(["wine", *args], env=self.env, timeout=timeout,
                                  stdout=subprocess.DEVNULL, stderr=err).returncode
        finally:
            if errors:
                err.close()

    def reg_add(self, key, name, kind, data):
        args = ["reg", "add", key, "/f"]
        args += ["/ve"] if name is None else ["/v", name]
        args += ["/t", kind, "/d", data]
        if self.wine(*args) != 0:
            raise CaseFailure("reg add %s failed" % key)

    def reg_query(self, key, name):
        """The data of a string value, or None when the value does not exist."""
        out_path = os.path.join(self.prefix, "drive_c", "e2e", "reg-query.txt")
        with open(out_path, "wb") as out:
            code = subprocess.run(["wine", "reg", "query", key, "/v", name], env=self.env,
                                  timeout=60, stdout=out, stderr=subprocess.DEVNULL).returncode
        if code != 0:
            return None
        with open(out_path, "rb") as f:
            text = f.read().decode("utf-8", "replace")
        for line in text.splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) >= 2 and parts[0] == name and parts[1] == "REG_SZ":
                return parts[2] if len(parts) > 2 else ""
        return None

    def spawn(self, *args, errors=None):
        """Starts a Windows program; Wine's own complaints go to the file
        `errors` when given."""
        err = open(errors, "wb") if errors else subprocess.DEVNULL
        try:
            proc = subprocess.Popen(["wine", *args], env=self.env, stdin=subprocess.DEVNULL,
                                    stdout=subprocess.DEVNULL, stderr=err)
        finally:
            if errors:
                err.close()
        self.processes.append(proc)
        return proc


class Program:
    """A running keyvane.exe (or another program a case started)."""

    def __init__(self, proc, pid):
        self.proc = proc  # the Unix process that is the Windows process
        self.pid = pid  # its Windows process id


class Case:
    """One case's folder C:\\e2e\\<name> and the helpers to drive it."""

    def __init__(self, session, name):
        self.session = session
        self.name = name
        self.dir = os.path.join(session.root, name)
        self.win_dir = "C:\\e2e\\" + name
        self.programs = []
        self._driver_runs = 0
        if os.path.exists(self.dir):
            shutil.rmtree(self.dir)
        os.makedirs(self.dir)
        shutil.copy2(os.path.join(session.build_dir, "keyvane.exe"),
                     os.path.join(self.dir, "keyvane.exe"))

    # -- files -------------------------------------------------------------

    def path(self, *parts):
        return os.path.join(self.dir, *parts)

    @property
    def tasks_path(self):
        return self.path("data", "actions.cfg")

    def write_tasks(self, data, options=True):
        """Writes the task list; with options, also option files that keep
        the window in the tray at start (unless the case wrote its own)."""
        os.makedirs(self.path("data"), exist_ok=True)
        with open(self.tasks_path, "wb") as f:
            f.write(data)
        if options and not os.path.exists(self.path("data", "settings.cnfg")):
            self.write_options()

    def write_options(self, autostart=False, tray_only=True, widths=(27, 104, 105, 211)):
        os.makedirs(self.path("data"), exist_ok=True)
        lines = ["-1" if autostart else "0", "-1" if tray_only else "0"] + [str(w) for w in widths]
        with open(self.path("data", "settings.cnfg"), "wb") as f:
            f.write("".join(line + "\r\n" for line in lines).encode("ascii"))

    def read_tasks(self):
        return self.read_file(self.tasks_path)

    @staticmethod
    def read_file(path):
        try:
            with open(path, "rb") as f:
                return f.read()
        except FileNotFoundError:
            return None

    # -- checks --------------------------------------------------------------

    def fail(self, why):
        raise CaseFailure(why)

    def expect(self, condition, why):
        if not condition:
            raise CaseFailure(why)

    def expect_tasks(self, want, when=""):
        got = self.read_tasks()
        if got != want:
            self.fail("task list %s: %s" % (when, describe_difference(got, want)) if when
                      else "task list: " + describe_difference(got, want))

    def wait_until(self, condition, what, timeout=WINDOW_DEADLINE):
        return wait_until(condition, what, timeout)

    def wait_for_tasks(self, want, what, timeout=WINDOW_DEADLINE):
        try:
            self.wait_until(lambda: self.read_tasks() == want, what, timeout)
        except CaseFailure as e:
            raise CaseFailure("%s: %s" % (e, describe_difference(self.read_tasks(), want)))

    # -- the driver and the program -------------------------------------------

    def driver(self, *commands, timeout=60):
        """Runs kvdriver.exe with one or more commands (each a list of
        arguments); returns its output lines. A failing command fails the case."""
        args = []
        for command in commands:
            if args:
                args.append(";")
            args += [str(a) for a in command]
        # A driver that wrote nothing at all never reached its first command:
        # Wine itself failed to start it on a loaded machine. Start it again.
        for attempt in range(3):
            code, lines, complaint = self._run_driver(args, timeout)
            if lines or attempt == 2:
                break
            print("  .. driver %s wrote nothing (exit %d)%s; starting it again"
                  % (" ".join(args), code, ": " + complaint if complaint else ""), flush=True)
            time.sleep(1)
        if code != 0 or not lines or lines[-1] != "ok":
            detail = lines[-1] if lines else "no output (exit %d)%s" % (
                code, ": " + complaint if complaint else "")
            self.fail("driver %s: %s" % (" ".join(args), detail))
        return lines[:-1]

    def _run_driver(self, args, timeout):
        self._driver_runs += 1
        out_name = "driver-%d.txt" % self._driver_runs
        out_path = self.path(out_name)
        err_path = self.path("driver-%d.err" % self._driver_runs)
        try:
            code = self.session.wine("C:\\e2e\\kvdriver.exe", self.win_dir + "\\" + out_name, *args,
                                     timeout=timeout, errors=err_path)
        except subprocess.TimeoutExpired:
            self.fail("driver %s did not end within %ds" % (" ".join(args), timeout))
        lines = (self.read_file(out_path) or b"").decode("utf-8", "replace").splitlines()
        complaints = (self.read_file(err_path) or b"").decode("utf-8", "replace").splitlines()
        return code, lines, complaints[-1].strip() if complaints else ""

    def find_window(self, caption, timeout=WINDOW_DEADLINE):
        """Waits for a top-level window (hidden ones count); returns
        (hwnd, pid, visible)."""
        line = self.driver(["find", caption, int(timeout * 1000)], timeout=timeout + 30)[0]
        words = line.split()
        return int(words[1]), int(words[3]), words[5] == "1"

    def wait_window_gone(self, caption, timeout=WINDOW_DEADLINE):
        self.driver(["gone", caption, int(timeout * 1000)], timeout=timeout + 30)

    def start(self, exe="keyvane.exe", ready=True):
        """Starts the case's copy of keyvane.exe and waits for its main window
        and, when ready, for the end of the start-up."""
        first = self.session.first_start
        self.session.first_start = False
        deadline = time.monotonic() + (FIRST_START_DEADLINE if first else WINDOW_DEADLINE)
        # Wine on a loaded machine now and then ends a new process with exit
        # code 1 before its first instruction; the program itself never ends
        # that way before its main window exists. Start it once more then.
        for attempt in range(2):
            err_path = self.path("start-%d%s.err" % (len(self.programs), "-again" if attempt else ""))
            proc = self.session.spawn(self.win_dir + "\\" + exe, errors=err_path)
            pid = self._wait_main_window(proc, deadline)
            if pid is not None:
                break
            complaints = (self.read_file(err_path) or b"").decode("utf-8", "replace").splitlines()
            why = "%s ended at start (exit %s)%s" % (
                exe, proc.returncode, ": " + complaints[-1].strip() if complaints else "")
            if proc.returncode != 1 or attempt == 1:
                self.fail(why)
            print("  .. %s; starting it again" % why, flush=True)
        # Ended with the case from now on, whatever fails next.
        program = Program(proc, pid)
        self.programs.append(program)
        if ready:
            self.wait_ready(program, timeout=max(2.0, deadline - time.monotonic()))
        return program

    def wait_ready(self, program, timeout=WINDOW_DEADLINE):
        """Waits for the end of the start-up: the main window answers once its
        message loop runs, and the hotkeys are registered before it exists."""
        self.driver(["send", MAIN_CAPTION, "WM_NULL", 0, 0], timeout=timeout + 30)
        if program.proc.poll() is not None:
            self.fail("keyvane.exe ended at start (exit %s)" % program.proc.returncode)

    def _wait_main_window(self, proc, deadline):
        """The process id of the main window's owner, or None when the
        process ended first."""
        # Short looks, so a program that dies at start is seen at once.
        while True:
            try:
                _, pid, _ = self.find_window(MAIN_CAPTION, timeout=2)
                return pid
            except CaseFailure:
                if proc.poll() is not None:
                    return None
                if time.monotonic() >= deadline:
                    raise

    def wait_exit(self, program, timeout=EXIT_DEADLINE):
        try:
            return program.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.fail("keyvane.exe still running %ds after it was told to end" % timeout)

    def close(self, program):
        """Closes the program as taskkill without /F does (WM_CLOSE to the
        main window) and waits for the process to end with exit code 0."""
        self.driver(["close", MAIN_CAPTION])
        code = self.wait_exit(program)
        self.expect(code == 0, "keyvane.exe ended with exit code %s" % code)

    def screenshot(self, path):
        if shutil.which("import"):
            subprocess.run(["import", "-window", "root", path], env=self.session.env, timeout=30,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def cleanup(self):
        """Kills whatever the case left running and waits for its windows to go."""
        left = False
        for program in self.programs:
            if program.proc.poll() is None:
                left = True
                program.proc.kill()
                try:
                    program.proc.wait(timeout=EXIT_DEADLINE)
                except subprocess.TimeoutExpired:
                    pass
        if left:
            try:
                self.wait_window_gone(MAIN_CAPTION)
            except CaseFailure:
                pass


CASES = []


def case(function):
    CASES.append(function)
    return function


# ---------------------------------------------------------------------------
# Start-up, shutdown and the task list file.

def roundtrip(t, data, want):
    """Starts with data as the task list file, checks the program does not
    rewrite it while running, closes it with WM_CLOSE and checks the file is
    then want."""
    t.write_tasks(data)
    program = t.start()
    t.expect_tasks(data, "rewritten while running")
    t.close(program)
    t.expect_tasks(want, "after close")


@case
def tray_start_makes_only_the_hidden_main_window(t):
    # A start in the tray makes what the tray needs and no more: the editor
    # and the About box are made when first asked for.
    t.write_tasks(b"\xff\xfe")
    program = t.start()
    _, pid, visible = t.find_window(MAIN_CAPTION)
    t.expect(pid == program.pid and not visible, "the main window is visible at start")
    windows = [line.split("\t")[-1] for line in t.driver(["list"])]
    t.expect(EDITOR_CAPTION not in windows and ABOUT_CAPTION not in windows,
             "windows made at start: %s" % windows)
    t.close(program)
    t.wait_window_gone(MAIN_CAPTION)


@case
def quotes_and_commas_survive(t):
    roundtrip(t, utf16_file(
        '1,Run selected program...,Control+Alt+Q,"C:\\Program Files\\a ""b"" c.exe" -x,Normal,0,True\r\n'
        '2,Open Website...,,"http://example.org/?a=1,b=2",Maximize,3,False\r\n'
        '3,Run Notepad,,"""",Hide,0,true\r\n'
        '4,Run Calc,,"""quoted"" start",Minimze,0,1\r\n'
        # A quote after other text, not written by the program: it joins the
        # field, and every comma after it up to the line end with it.
        '5,Run Calc,,a"b,c,Normal,0,True\r\n'), utf16_file(
        # The text after the closing quote joins the field, which is then
        # written quoted as a whole.
        # Icon numbers are renumbered at start: the count of rows above with a known action.
        '1,Run selected program...,Control+Alt+Q,"C:\\Program Files\\a ""b"" c.exe -x",Normal,0,True\r\n'
        '2,Open Website...,,"http://example.org/?a=1,b=2",Maximize,1,False\r\n'
        '3,Run Notepad,,"""",Hide,2,True\r\n'
        '4,Run Calc,,"""quoted"" start",Minimze,3,True\r\n'
        '5,Run Calc,,"a""b,c,Normal,0,True",,4,True\r\n'))


@case
def line_break_in_field_survives(t):
    roundtrip(t, utf16_file(
        "1,Run selected program...,,first line|second line,Normal,0,True\r\n"
        '2,Open Website...,,"a,b|c",Normal,0,True\r\n'
        # A lone LF ends the record even between quote marks.
        '3,Run Calc,,"x\ny",Normal,0,True\r\n'), utf16_file(
        "1,Run selected program...,,first line|second line,Normal,0,True\r\n"
        '2,Open Website...,,"a,b|c",Normal,1,True\r\n'
        # The record after the LF holds y", ... as its first (ignored) field.
        "3,Run Calc,,x,,2,True\r\n"
        "4,,,,,0,True\r\n"))


@case
def non_ascii_text_survives(t):
    data = utf16_file(
        "1,Run selected program...,Control+Alt+Ä,C:\\Prögrams\\日本語\\app.exe --name=\U0001F600,"
        "Normal,0,True\r\n"
        "2,Open Website...,,https://example.org/Ωμέγα?q=\U0001D11E,Hide,0,False\r\n")
    roundtrip(t, data, data.replace("Hide,0,".encode("utf-16-le"), "Hide,1,".encode("utf-16-le")))


@case
def empty_table_survives(t):
    roundtrip(t, b"\xff\xfe", b"\xff\xfe")


@case
def single_byte_file_with_lf_and_no_final_break(t):
    roundtrip(t, b"1,Run Calc,,,Normal,0,True\n"
                 b"2,Open Website...,,http://example.org/caf\xe9,Maximize,,TRUE\n"
                 b"3,Open CD-Rom",
              # Byte E9 is the character U+00E9 (E9 00 in the file written).
              utf16_file("1,Run Calc,,,Normal,0,True\r\n"
                         "2,Open Website...,,http://example.org/caf\u00e9,Maximize,1,True\r\n"
                         "3,Open CD-Rom,,,,2,True\r\n"))


@case
def big_endian_file_with_damaged_records(t):
    text = ("1,Run Calc,,,Normal,0,True,extra field\r\n"
            "2,Open CD-Rom\r\n"
            "3,Run Notepad,Control+N,,Hide,7x,False\r\n"
            "4,Log off computer,,,Normal,0,yes\r\n")
    # Written back little-endian; the eighth field is dropped, the damaged
    # icon number reads as 0 and the rest of the file still loads.
    roundtrip(t, b"\xfe\xff" + text.encode("utf-16-be"), utf16_file(
        "1,Run Calc,,,Normal,0,True\r\n"
        "2,Open CD-Rom,,,,1,True\r\n"
        "3,Run Notepad,Control+N,,Hide,2,False\r\n"
        "4,Log off computer,,,Normal,3,False\r\n"))


@case
def unreadable_task_list_is_kept_aside_not_overwritten(t):
    # Far larger than any task list: the program refuses to read it, says so
    # at start, and the next save keeps it beside an earlier rescue rather
    # than over it or over the list.
    t.write_tasks(utf16_file("1,Run Calc,,,Normal,0,True\r\n"))
    size = 64 * 1024 * 1024 + 2
    os.truncate(t.tasks_path, size)
    earlier = utf16_file("1,Run Notepad,,,Normal,0,True\r\n")
    with open(t.tasks_path + ".bak", "wb") as f:
        f.write(earlier)
    program = t.start(ready=False)
    box = "#32770|Keyvane"
    t.find_window(box)
    text = " ".join(line.split("\t", 2)[-1] for line in t.driver(["children", box]))
    t.expect("actions.cfg" in text and "actions.cfg.1.bak" in text,
             "the message does not name the file and where it is kept: %r" % text)
    t.driver(["command", box, 1])  # OK
    t.wait_ready(program)
    t.close(program)
    t.expect_tasks(b"\xff\xfe", "after close")
    t.expect(Case.read_file(t.tasks_path + ".bak") == earlier, "the earlier rescue was replaced")
    rescued = t.tasks_path + ".1.bak"
    t.expect(os.path.exists(rescued) and os.path.getsize(rescued) == size,
             "the unreadable file was not kept as actions.cfg.1.bak")


@case
def start_without_data_folder_creates_it_at_close(t):
    program = t.start()
    t.expect(not os.path.exists(t.path("data")), "data folder created at start")
    t.close(program)
    t.expect_tasks(b"\xff\xfe", "after close")


@case
def log_off_saves_task_list(t):
    data = b"1,Run Calc,,,Normal,0,True\n2,Open Website...,,\"a,b\",Hide,0,1\n"
    t.write_tasks(data)
    program = t.start()
    out = t.driver(["endsession", MAIN_CAPTION, "logoff"])
    t.expect(out == ["query 1"], "log-off was not allowed: %s" % out)
    # Saved while the program still runs: the system may end it at any time now.
    t.expect_tasks(utf16_file('1,Run Calc,,,Normal,0,True\r\n2,Open Website...,,"a,b",Hide,1,True\r\n'),
                   "after WM_ENDSESSION")
    t.expect(program.proc.poll() is None, "keyvane.exe ended by itself at log-off")


@case
def failed_save_at_close_is_reported_and_loses_nothing(t):
    data = utf16_file("1,Run Notepad,Control+Alt+N,,Normal,0,True\r\n")
    t.write_tasks(data)
    program = t.start()
    # A folder where the file should be: the save cannot replace it.
    os.remove(t.tasks_path)
    os.mkdir(t.tasks_path)
    t.driver(["close", MAIN_CAPTION])
    box = "#32770|Keyvane"
    t.find_window(box)
    texts = [line.split("\t", 2)[-1] for line in t.driver(["children", box])]
    t.expect(any("actions.cfg" in text for text in texts),
             "the error report does not name the file: %s" % texts)
    t.expect(program.proc.poll() is None, "keyvane.exe ended although its tasks were not saved")
    t.driver(["command", box, 1])  # OK
    t.wait_window_gone(box)
    t.find_window(MAIN_CAPTION)
    t.expect(os.path.isdir(t.tasks_path), "the failed save removed what was in its way")
    # Once the obstacle is gone, the next close saves the tasks it still holds.
    os.rmdir(t.tasks_path)
    t.close(program)
    t.expect_tasks(data, "after the second close")
    leftovers = sorted(set(os.listdir(t.path("data"))) -
                       {"actions.cfg", "settings.cnfg", "w_size.cnfg"})
    t.expect(not leftovers, "temporary files left in data: %s" % leftovers)


@case
def cancelled_log_off_saves_nothing(t):
    data = b"1,Run Calc,,,Normal,0,True\n"
    t.write_tasks(data)
    program = t.start()
    t.driver(["send", MAIN_CAPTION, "WM_ENDSESSION", 0, 0])
    t.expect_tasks(data, "after a cancelled session end")
    t.close(program)
    t.expect_tasks(utf16_file("1,Run Calc,,,Normal,0,True\r\n"), "after close")


@case
def driver_reads_list_view_of_another_process(t):
    # The harness itself: the grid's rows will be read this way.
    window = t.session.spawn("C:\\e2e\\kvlistview.exe")
    t.programs.append(Program(window, None))
    t.find_window("kvlistview")
    rows = t.driver(["listview", "kvlistview", 100])
    want = ["rows 3 columns 3",
            "1\tRun Calc\t",
            "2\tOpen Website...\thttps://example.org/\u00fcber?q=\U0001F600",
            "3\tRun selected program...\tC:\\Pr\u00f6grams\\\u65e5\u672c\\a.exe, \"x\""]
    t.expect(rows == want, "list view read as %r" % rows)
    t.driver(["close", "kvlistview"])
    t.wait_until(lambda: window.poll() is not None, "kvlistview.exe to end")


# ---------------------------------------------------------------------------
# Hotkeys: press keys anywhere, look at what the task started.
#
# Hotkey text uses the running system's key names (under Wine the X names,
# "Control" for the Ctrl key), so the cases ask the system for them.

MOD_ALT, MOD_CONTROL = 1, 2
VK_CONTROL, VK_MENU = 0x11, 0x12


def tasks_file(*rows):
    """A task list file of rows (desc, hotkey, dest, type_run[, enabled]), icon
    0. Each field is given as it stands in the file: one holding "," or a
    quote mark must be given quoted, its quote marks doubled."""
    lines = ["%d,%s,%s,%s,%s,0,%s\r\n" % ((number,) + tuple(row[:4]) +
                                          (row[4] if len(row) > 4 else True,))
             for number, row in enumerate(rows, 1)]
    return utf16_file("".join(lines))


def ctrl_alt_text(t, key):
    """The hotkey text of Ctrl+Alt+key as this system writes it."""
    ctrl, alt, name = t.driver(["keyname", VK_CONTROL], ["keyname", VK_MENU],
                               ["keyname", ord(key)])
    return "%s+%s+%s" % (ctrl, alt, name)


def start_with_hotkeys(t, data):
    """Starts keyvane.exe on the task list; its hotkeys are registered
    before its main window exists."""
    t.write_tasks(data)
    return t.start()


def press(t, combo):
    t.driver(["keys", combo])


def add_target(t, name="kvtarget.exe"):
    """Copies the target program into the case's folder; returns its Windows path."""
    shutil.copy2(os.path.join(t.session.root, "kvtarget.exe"), t.path(name))
    return t.win_dir + "\\" + name


def target_records(t, base="kvtarget"):
    """What every start of the target wrote, oldest process first."""
    records = []
    for name in os.listdir(t.dir):
        if not (name.startswith(base + "-") and name.endswith(".txt")):
            continue
        record = {"pid": int(name[len(base) + 1:-4]), "lines": []}
        for line in (t.read_file(t.path(name)) or b"").decode("utf-8", "replace").splitlines():
            key, _, value = line.partition(" ")
            record["lines"].append(line)
            record.setdefault(key, value)
        records.append(record)
    return sorted(records, key=lambda r: int(r.get("created", "0")))


def wait_records(t, count, what, base="kvtarget"):
    return t.wait_until(lambda: len(target_records(t, base)) >= count and target_records(t, base),
                        what)


@case
def run_selected_program_with_parameters_minimized(t):
    target = add_target(t)
    combo = ctrl_alt_text(t, "N")
    program = start_with_hotkeys(t, tasks_file(
        ("Run selected program...", combo, target.upper() + " First Arg /X=Mixed", "Minimze")))
    press(t, "ctrl+alt+n")
    record = wait_records(t, 1, "the target to start")[0]
    t.expect(record["cmdline"].endswith(" First Arg /X=Mixed"),
             "parameters not passed as typed: %r" % record["cmdline"])
    t.expect(record["show"] == "6", "show code %s, want 6 (minimized)" % record["show"])
    t.close(program)


@case
def one_press_runs_every_enabled_matching_row_in_order(t):
    target = add_target(t)
    combo = ctrl_alt_text(t, "N")
    sentinel = ctrl_alt_text(t, "M")
    program = start_with_hotkeys(t, tasks_file(
        ("Run selected program...", combo, target + " first", "Normal"),
        ("Run selected program...", combo, target + " disabled", "Normal", False),
        ("Run selected program...", combo.lower(), target + " lowercase", "Normal"),
        ("Run selected program...", combo, target + " second", "Hide"),
        ("Run selected program...", sentinel, target + " sentinel", "Maximize")))
    press(t, "ctrl+alt+n")
    wait_records(t, 2, "both matching rows to run")
    # Rows are run in one go; a later press shows the first has ended.
    press(t, "ctrl+alt+m")
    records = wait_records(t, 3, "the sentinel row to run")
    words = [r["cmdline"].rsplit(" ", 1)[-1] for r in records]
    t.expect(words == ["first", "second", "sentinel"],
             "started %s, want first, second, sentinel" % words)
    t.expect([r["show"] for r in records] == ["1", "0", "3"],
             "show codes %s" % [r["show"] for r in records])
    t.close(program)


@case
def fixed_program_is_ready_before_the_next_row_runs(t):
    # A stand-in for Notepad that shows its window only after a while; the
    # program's own folder is searched before the system's.
    add_target(t, "notepad.exe")
    with open(t.path("notepad.args"), "w") as f:
        f.write("--window-after 1500\n")
    target = add_target(t)
    combo = ctrl_alt_text(t, "N")
    program = start_with_hotkeys(t, tasks_file(
        ("Run Notepad", combo, "", "Normal"),
        ("Run selected program...", combo, target + " next-row", "Normal"),
        ("Close selected program...", ctrl_alt_text(t, "K"), "notepad.exe", "Normal")))
    press(t, "ctrl+alt+n")
    slow = t.wait_until(lambda: [r for r in target_records(t, "notepad") if "window" in r],
                        "the slow program to show its window")[0]
    after = wait_records(t, 1, "the next row to run")[0]
    window_time = int(slow["window"].split()[0])
    t.expect(int(after["created"]) > window_time,
             "the next row ran %.2f s before the started program had its window"
             % ((window_time - int(after["created"])) / 1e7))
    press(t, "ctrl+alt+k")
    t.driver(["exited", slow["pid"], WINDOW_DEADLINE * 1000], timeout=WINDOW_DEADLINE + 30)
    t.close(program)


@case
def close_selected_program_ends_every_copy(t):
    add_target(t)
    add_target(t, "kvother.exe")
    copies = [t.session.spawn(t.win_dir + "\\kvtarget.exe", "--stay") for _ in range(2)]
    other = t.session.spawn(t.win_dir + "\\kvother.exe", "--stay")
    wait_records(t, 2, "two copies of the target to run")
    wait_records(t, 1, "the other program to run", base="kvother")
    combo = ctrl_alt_text(t, "N")
    # Parameters after the program name, and another letter case.
    program = start_with_hotkeys(t, tasks_file(
        ("Close selected program...", combo, t.win_dir + "\\KvTarget.EXE --ignored", "Normal")))
    try:
        press(t, "ctrl+alt+n")
        for copy in copies:
            try:
                copy.wait(timeout=WINDOW_DEADLINE)
            except subprocess.TimeoutExpired:
                t.fail("a copy of the target is still running after the press")
        t.expect(other.poll() is None, "a program of another name was closed too")
        t.expect(program.proc.poll() is None, "keyvane.exe ended")
        t.close(program)
    finally:
        for proc in copies + [other]:
            if proc.poll() is None:
                proc.kill()


@case
def open_website_hands_the_address_to_the_http_handler(t):
    target = add_target(t)
    # Under Wine 8 a handler under HKCU\Software\Classes is ignored.
    t.session.reg_add(r"HKCR\http\shell\open\command", None, "REG_SZ",
                      '"%s" "%%1"' % target)
    address = "http://Example.ORG/Path/Page.html?Q=Mixed&r=1"
    combo = ctrl_alt_text(t, "W")
    program = start_with_hotkeys(t, tasks_file(("Open Website...", combo, address, "Normal")))
    press(t, "ctrl+alt+w")
    record = wait_records(t, 1, "the http handler to start")[0]
    t.expect(address in record["cmdline"],
             "the handler got %r, want the address %r" % (record["cmdline"], address))
    t.close(program)


@case
def quoted_program_path_with_blanks_runs_and_closes(t):
    # A path with blanks in quotes, as the shell's "Copy as path" gives it.
    path = add_target(t, "kv target.exe")
    # In the file the field is quoted and its own quote marks doubled.
    program = start_with_hotkeys(t, tasks_file(
        ("Run selected program...", ctrl_alt_text(t, "N"), '"""%s"" Quoted Arg"' % path, "Normal"),
        ("Close selected program...", ctrl_alt_text(t, "K"), '"""%s"" --ignored"' % path,
         "Normal")))
    press(t, "ctrl+alt+n")
    record = wait_records(t, 1, "the quoted program to start", base="kv target")[0]
    t.expect(record["cmdline"].endswith(" Quoted Arg"),
             "parameters not passed: %r" % record["cmdline"])
    copy = t.session.spawn(t.win_dir + "\\kv target.exe", "--stay")
    try:
        wait_records(t, 2, "a running copy of the quoted program", base="kv target")
        press(t, "ctrl+alt+k")
        try:
            copy.wait(timeout=WINDOW_DEADLINE)
        except subprocess.TimeoutExpired:
            t.fail("the quoted program is still running after the close press")
        t.close(program)
    finally:
        if copy.poll() is None:
            copy.kill()


@case
def hotkey_held_elsewhere_is_not_registered(t):
    target = add_target(t)
    holder = t.session.spawn(t.win_dir + "\\kvtarget.exe", "--hold", str(MOD_CONTROL | MOD_ALT),
                             str(ord("H")))
    try:
        held = wait_records(t, 1, "another program to take Ctrl+Alt+H")[0]
        t.expect(held.get("held") == "1", "the other program could not take the hotkey")
        program = start_with_hotkeys(t, tasks_file(
            ("Run selected program...", ctrl_alt_text(t, "H"), target + " held-row", "Normal"),
            ("Run selected program...", ctrl_alt_text(t, "J"), target + " free-row", "Normal")))
        press(t, "ctrl+alt+h")
        t.wait_until(lambda: any("pressed" in r["lines"] for r in target_records(t)),
                     "the other program to get its hotkey")
        press(t, "ctrl+alt+j")
        t.wait_until(lambda: any(r["cmdline"].endswith("free-row") for r in target_records(t)),
                     "the free hotkey's task to run")
        started = [r["cmdline"] for r in target_records(t)]
        t.expect(not any(c.endswith("held-row") for c in started),
                 "the held hotkey ran its task: %s" % started)
        t.expect(program.proc.poll() is None, "keyvane.exe ended")
        t.close(program)
    finally:
        if holder.poll() is None:
            holder.kill()


# ---------------------------------------------------------------------------
# CD tray, minimize-all and log-off. The power-off, reboot, hibernate and
# stand-by actions are never pressed here: under Wine a forced power-off ends
# every process of the prefix, and the others do nothing that can be seen.

WINDOW_STATES = "kvwindow.txt"


def visible_windows(t, ignore_pids=()):
    """(pid, class, caption) of every visible top-level window."""
    found = set()
    for line in t.driver(["list"]):
        pid, visible, cls, caption = (line.split("\t", 3) + ["", "", "", ""])[:4]
        if visible == "1" and int(pid) not in ignore_pids:
            found.add((int(pid), cls, caption))
    return found


def window_states(t):
    return (t.read_file(t.path(WINDOW_STATES)) or b"").decode("utf-8", "replace").split()


def wait_window_state(t, count, state, what, timeout=WINDOW_DEADLINE):
    """Waits until the test window has recorded count states, the last one state."""
    t.wait_until(lambda: len(window_states(t)) >= count, what, timeout)
    states = window_states(t)
    t.expect(len(states) == count and states[-1] == state,
             "the test window went through %s, want %d states ending in %s"
             % (states, count, state))


@case
def open_cd_rom_without_drive_does_nothing_visible(t):
    target = add_target(t)
    # The drive texts as the editor stores them and as typed by hand.
    program = start_with_hotkeys(t, tasks_file(
        ("Open CD-Rom", ctrl_alt_text(t, "O"), "D:", "Normal"),
        ("Close CD-Rom", ctrl_alt_text(t, "C"), "d:\\", "Normal"),
        ("Open CD-Rom", ctrl_alt_text(t, "C"), "", "Normal"),
        ("Run selected program...", ctrl_alt_text(t, "N"), target + " after-cd", "Normal")))
    before = visible_windows(t)
    press(t, "ctrl+alt+o")
    press(t, "ctrl+alt+c")
    # Presses are handled in order: once the last one has run, so have the CD rows.
    press(t, "ctrl+alt+n")
    record = wait_records(t, 1, "the task after the CD presses to run")[0]
    t.expect(record["cmdline"].endswith("after-cd"), "unexpected start %r" % record["cmdline"])
    after = visible_windows(t, ignore_pids=(record["pid"],))
    t.expect(after == before, "the CD presses changed the visible windows: new %s, gone %s"
             % (sorted(after - before), sorted(before - after)))
    t.expect(program.proc.poll() is None, "keyvane.exe ended")
    t.close(program)


@case
def minimize_all_tasks_share_one_flag(t):
    caption = "Keyvane test window"
    window = t.session.spawn("C:\\e2e\\kvwindow.exe",
                             t.win_dir + "\\" + WINDOW_STATES, caption)
    try:
        wait_window_state(t, 1, "shown", "the test window to show")
        program = start_with_hotkeys(t, tasks_file(
            ("Minimize/Maximaze all windows", ctrl_alt_text(t, "M"), "", "Normal"),
            ("Minimize/Maximaze all windows", ctrl_alt_text(t, "R"), "", "Hide")))
        t.expect(window_states(t) == ["shown"], "the start changed the test window: %s"
                 % window_states(t))
        press(t, "ctrl+alt+m")
        wait_window_state(t, 2, "minimized", "the first press to minimize the test window")
        # The other task restores: the flag belongs to the program, not the task.
        press(t, "ctrl+alt+r")
        wait_window_state(t, 3, "restored", "the second press to restore the test window")
        press(t, "ctrl+alt+r")
        wait_window_state(t, 4, "minimized", "the third press to minimize again")
        t.expect(not any(cls == "#32770" for _, cls, _ in visible_windows(t)),
                 "a message box is showing")
        t.expect(program.proc.poll() is None, "keyvane.exe ended")
        t.close(program)
    finally:
        if window.poll() is None:
            window.kill()


SOAK_WARM_UP = 200
SOAK_PRESSES = 2000
# Growth allowed over the soak: a leak of one handle, or of a few hundred
# bytes, a press shows far above these.
SOAK_HANDLE_SLACK = 8
SOAK_MEMORY_SLACK_KIB = 256


def rss_anon_kib(program):
    """The private memory of the program: under Wine, the Unix process's
    RssAnon (GetProcessMemoryInfo reports no private bytes)."""
    with open("/proc/%d/status" % program.proc.pid) as f:
        for line in f:
            if line.startswith("RssAnon:"):
                return int(line.split()[1])
    raise CaseFailure("no RssAnon in /proc/%d/status" % program.proc.pid)


@case
def many_presses_keep_handles_and_memory(t):
    window = t.session.spawn("C:\\e2e\\kvwindow.exe",
                             t.win_dir + "\\" + WINDOW_STATES, "Keyvane soak window")
    try:
        wait_window_state(t, 1, "shown", "the test window to show")
        # The soak row runs code and starts nothing (there is no drive Q:);
        # the other row shows, through the test window, when every press
        # before it has been handled.
        program = start_with_hotkeys(t, tasks_file(
            ("Open CD-Rom", ctrl_alt_text(t, "O"), "Q:", "Normal"),
            ("Minimize/Maximaze all windows", ctrl_alt_text(t, "M"), "", "Normal")))

        def soak(presses, states, state):
            started = time.monotonic()
            t.driver(["keys", "ctrl+alt+o", presses], ["keys", "ctrl+alt+m"])
            wait_window_state(t, states, state, "%d presses to be handled" % presses,
                              timeout=WINDOW_DEADLINE + presses * 0.05)
            handles = int(t.driver(["handles", program.pid])[0].split()[1])
            return handles, rss_anon_kib(program), time.monotonic() - started

        handles0, memory0, _ = soak(SOAK_WARM_UP, 2, "minimized")
        handles1, memory1, took = soak(SOAK_PRESSES, 3, "restored")
        print("  .. %d presses in %.1f s: handles %d -> %d, RssAnon %d -> %d KiB"
              % (SOAK_PRESSES, took, handles0, handles1, memory0, memory1), flush=True)
        t.expect(handles1 - handles0 <= SOAK_HANDLE_SLACK,
                 "handles grew from %d to %d over %d presses" % (handles0, handles1, SOAK_PRESSES))
        t.expect(memory1 - memory0 <= SOAK_MEMORY_SLACK_KIB,
                 "private memory grew from %d to %d KiB over %d presses"
                 % (memory0, memory1, SOAK_PRESSES))
        t.expect(not any(cls == "#32770" for _, cls, _ in visible_windows(t)),
                 "a message box is showing")
        t.close(program)
    finally:
        if window.poll() is None:
            window.kill()


# Under Wine the log-off ends every process of the prefix; later cases start their own.
@case
def log_off_hotkey_ends_session_and_saves_tasks(t):
    combo = ctrl_alt_text(t, "L")
    # Single-byte lines without CR: the save writes them back as UTF-16 with
    # CR LF, so the file shows whether the program saved it.
    data = ("1,Log off computer,%s,,Normal,0,True\n"
            "2,Run Calc,,,Hide,0,False\n" % combo).encode("ascii")
    program = start_with_hotkeys(t, data)
    t.expect_tasks(data, "before the press")
    press(t, "ctrl+alt+l")
    t.wait_exit(program)
    t.expect_tasks(utf16_file("1,Log off computer,%s,,Normal,0,True\r\n"
                              "2,Run Calc,,,Hide,1,False\r\n" % combo), "after the log-off")


# ---------------------------------------------------------------------------

# ---------------------------------------------------------------------------
# The main window, the task editor and the tray icon, driven as a user
# would: tray clicks, buttons, the grid and the editor's fields.

GRID = 902  # the task grid
ADD, EDIT, DELETE, DELETE_ALL, MOVE_DOWN, MOVE_UP = 903, 904, 905, 906, 907, 908
EDITOR_HOTKEY, EDITOR_ACTION, EDITOR_DEST, EDITOR_OK = 1004, 1005, 1006, 1
GRID_ENABLED_COLUMN = 6
HKM_SETHOTKEY, CB_SETCURSEL = 0x0401, 0x014E
HOTKEYF_CONTROL, HOTKEYF_ALT = 0x02, 0x04
MENU_EXIT1 = 40005  # the tray menu's "Exit"
WM_SYSCOMMAND, SC_CLOSE = 0x0112, 0xF060


def utf16_list(*lines):
    """The bytes of a task list file whose records are these lines, as the
    program writes it: a byte order mark, then each line and CR LF."""
    return b"\xff\xfe" + "".join(line + "\r\n" for line in lines).encode("utf-16-le")


def show_main_window(t):
    t.driver(["tray", MAIN_CAPTION, 513])  # left button down on the icon
    t.wait_until(lambda: t.find_window(MAIN_CAPTION)[2], "the main window to show")


def grid_rows(t):
    lines = t.driver(["listview", MAIN_CAPTION, GRID])
    return [line.split("\t") for line in lines[1:] if line != "ok"]


def shot(t, name):
    t.screenshot(os.path.join(t.session.build_dir, "screenshot-%s.png" % name))


@case
def editor_adds_and_edits_tasks_whose_hotkeys_work_at_once(t):
    target = add_target(t)
    program = start_with_hotkeys(t, utf16_list("1,Run Notepad,,,Normal,0,False"))
    show_main_window(t)
    shot(t, "main-window")
    t.driver(["click", MAIN_CAPTION, ADD])
    t.wait_until(lambda: t.find_window(EDITOR_CAPTION)[2], "the editor to open")
    t.driver(["childsend", EDITOR_CAPTION, EDITOR_HOTKEY, HKM_SETHOTKEY,
              ord("K") | (HOTKEYF_CONTROL | HOTKEYF_ALT) << 8],
             ["childsend", EDITOR_CAPTION, EDITOR_ACTION, CB_SETCURSEL, 10],
             ["settext", EDITOR_CAPTION, EDITOR_DEST, target + " added"])
    shot(t, "editor")
    t.driver(["click", EDITOR_CAPTION, EDITOR_OK])
    t.wait_for_tasks(utf16_list("1,Run Notepad,,,Normal,0,False",
                                # saved before the icons are renumbered
                                "2,Run selected program...,%s,%s added,Normal,0,True"
                                % (ctrl_alt_text(t, "K"), target)),
                     "the added task in the file")
    t.wait_until(lambda: not t.find_window(EDITOR_CAPTION)[2], "the editor to close")
    press(t, "ctrl+alt+k")
    record = wait_records(t, 1, "the new task's program to start")[0]
    t.expect(record["cmdline"].endswith(" added"), "wrong program: %r" % record["cmdline"])
    rows = grid_rows(t)
    t.expect(len(rows) == 2 and rows[1][2] == "Run selected program...",
             "the grid does not show the new task: %r" % rows)
    # Edit the first row in place: a new hotkey and action; it stays disabled.
    t.driver(["lvselect", MAIN_CAPTION, GRID, "0"], ["click", MAIN_CAPTION, EDIT])
    t.wait_until(lambda: t.find_window(EDITOR_CAPTION)[2], "the editor to open for Edit")
    t.driver(["childsend", EDITOR_CAPTION, EDITOR_HOTKEY, HKM_SETHOTKEY,
              ord("J") | (HOTKEYF_CONTROL | HOTKEYF_ALT) << 8],
             ["childsend", EDITOR_CAPTION, EDITOR_ACTION, CB_SETCURSEL, 2],
             ["click", EDITOR_CAPTION, EDITOR_OK])
    t.wait_for_tasks(utf16_list("1,Run Calc,%s,,Normal,0,False" % ctrl_alt_text(t, "J"),
                                "2,Run selected program...,%s,%s added,Normal,1,True"
                                % (ctrl_alt_text(t, "K"), target)),
                     "the edited task in the file")
    # The main menu's Exit ends at once without the close handlers; the
    # destroy step still saves.
    t.driver(["command", MAIN_CAPTION, 40001])
    code = t.wait_exit(program)
    t.expect(code == 0, "keyvane.exe ended with exit code %s" % code)
    t.expect(t.read_file(t.path("data", "w_size.cnfg")) is not None, "no window size kept at exit")


@case
def delete_move_and_enabled_reach_the_file_and_free_the_hotkey(t):
    target = add_target(t)
    keys = "12345"
    rows = ["%d,Run selected program...,%s,%s row%s,Normal,0,True"
            % (i + 1, ctrl_alt_text(t, k), target, k) for i, k in enumerate(keys)]
    program = start_with_hotkeys(t, utf16_list(*rows))
    show_main_window(t)
    # Rows 1, 2 and 4 selected: Delete leaves the former 3 and 5.
    t.driver(["lvselect", MAIN_CAPTION, GRID, "0,1,3"], ["click", MAIN_CAPTION, DELETE])
    left = [rows[2].replace("3,", "1,", 1), rows[4].replace("5,", "2,", 1)]
    # Every task's icon number follows its row after the rebuild at start.
    want = [left[0].replace(",Normal,0,", ",Normal,2,"), left[1].replace(",Normal,0,", ",Normal,4,")]
    t.wait_for_tasks(utf16_list(*want), "the deleted rows gone from the file")
    # The deleted row's hotkey is given back: another program can take it.
    holder = t.session.spawn(t.win_dir + "\\kvtarget.exe", "--hold", str(MOD_CONTROL | MOD_ALT),
                             str(ord("1")))
    try:
        held = wait_records(t, 1, "another program to take the freed hotkey")
        t.expect(held[0].get("held") == "1", "the deleted task's hotkey is still taken")
    finally:
        holder.kill()
    # Move up on the second row swaps the two.
    t.driver(["lvselect", MAIN_CAPTION, GRID, "1"], ["click", MAIN_CAPTION, MOVE_UP])
    moved = [want[1].replace("2,", "1,", 1), want[0].replace("1,", "2,", 1)]
    t.wait_for_tasks(utf16_list(*moved), "the moved row in the file")
    # A click on an Enabled box reaches the file, and its hotkey stops acting.
    t.driver(["lvclick", MAIN_CAPTION, GRID, 0, GRID_ENABLED_COLUMN])
    off = [moved[0][:-len("True")] + "False", moved[1]]
    t.wait_for_tasks(utf16_list(*off), "the cleared Enabled box in the file")
    shot(t, "main-window-after-commands")
    t.close(program)


@case
def tray_menu_title_bar_close_and_second_start(t):
    target = add_target(t)
    data = utf16_list("1,Run selected program...,%s,%s hidden,Normal,0,True"
                      % (ctrl_alt_text(t, "G"), target))
    program = start_with_hotkeys(t, data)
    # The right button opens the tray menu; Escape closes it, doing nothing.
    t.driver(["tray", MAIN_CAPTION, 516])
    t.wait_until(lambda: any(line.split("\t")[1:3] == ["1", "#32768"]
                             for line in t.driver(["list"])), "the tray menu to open")
    shot(t, "tray-menu")
    t.driver(["post", "#32768|", 0x0100, 0x1B])  # WM_KEYDOWN, Escape
    t.wait_until(lambda: not any(line.split("\t")[1:3] == ["1", "#32768"]
                                 for line in t.driver(["list"])), "the tray menu to close")
    t.expect(not t.find_window(MAIN_CAPTION)[2], "the tray menu showed the main window")
    # The title bar's close hides the window; the program stays.
    show_main_window(t)
    t.driver(["post", MAIN_CAPTION, WM_SYSCOMMAND, SC_CLOSE])
    t.wait_until(lambda: not t.find_window(MAIN_CAPTION)[2], "the main window to hide")
    t.expect(program.proc.poll() is None, "the title bar's close ended the program")
    press(t, "ctrl+alt+g")
    wait_records(t, 1, "the hotkey to act while the window is hidden")
    # A second start in the same folder shows the first one and ends.
    second = t.session.spawn(t.win_dir + "\\keyvane.exe")
    try:
        second.wait(timeout=EXIT_DEADLINE)
    except subprocess.TimeoutExpired:
        t.fail("the second start is still running")
    t.wait_until(lambda: t.find_window(MAIN_CAPTION)[2], "the first copy to show its window")
    # The tray menu's Exit ends the program through its close path.
    t.driver(["command", MAIN_CAPTION, MENU_EXIT1])
    code = t.wait_exit(program)
    t.expect(code == 0, "keyvane.exe ended with exit code %s" % code)
    t.expect_tasks(data, "after the tray's Exit")


# ---------------------------------------------------------------------------
# Options, window geometry, autostart, the import of version 1.2 lists and
# the About box.

SAVE, IMPORT, AUTO_START, TRAY_ONLY, PAGES = 915, 914, 911, 912, 900
BM_GETCHECK, BM_SETCHECK = 0x00F0, 0x00F1
LVM_GETCOLUMNWIDTH, LVM_SETCOLUMNWIDTH = 0x101D, 0x101E
GRID_DESC_COLUMN = 2  # the grid shows the icon first, then "#", then Desc
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
OPEN_DIALOG = "#32770|Open"
FILE_NAME_BOX = 0x47C


def ascii_file(*lines):
    return "".join(line + "\r\n" for line in lines).encode("ascii")


def run_value(t):
    return t.session.reg_query(RUN_KEY, "Keyvane")


def visible_message_box(t):
    return any(line.split("\t")[1:4] == ["1", "#32770", "Keyvane"] for line in t.driver(["list"]))


@case
def first_start_shows_the_window_and_writes_both_option_files(t):
    t.write_tasks(utf16_list("1,Run Notepad,,,Normal,0,True"), options=False)
    program = t.start()
    t.wait_until(lambda: t.find_window(MAIN_CAPTION)[2], "the main window to show at a first start")
    t.wait_until(lambda: t.read_file(t.path("data", "w_size.cnfg")) is not None,
                 "the option files to be written")
    t.expect(not visible_message_box(t), "a first start showed a message")
    # The designed options and widths.
    t.expect(t.read_file(t.path("data", "settings.cnfg")) ==
             ascii_file("-1", "-1", "27", "104", "105", "211"),
             "settings.cnfg: %r" % t.read_file(t.path("data", "settings.cnfg")))
    lines = t.read_file(t.path("data", "w_size.cnfg")).decode("ascii").split("\r\n")
    t.expect(lines[:3] == ["609", "449", "0"] and lines[5:] == [""],
             "w_size.cnfg: %r" % lines)
    t.expect(run_value(t) == t.win_dir + "\\keyvane.exe",
             "the Run value is %r" % run_value(t))
    t.close(program)


@case
def saved_options_come_back_and_drive_the_run_value(t):
    folder = t.path("My Tools")
    os.makedirs(os.path.join(folder, "data"))
    shutil.copy2(t.path("keyvane.exe"), os.path.join(folder, "keyvane.exe"))
    exe = t.win_dir + "\\My Tools\\keyvane.exe"
    with open(os.path.join(folder, "data", "settings.cnfg"), "wb") as f:
        f.write(ascii_file("0", "-1", "27", "104", "105", "211"))
    program = t.start(exe="My Tools\\keyvane.exe")
    t.expect(run_value(t) == "", "a cleared option keeps an empty Run value, got %r" % run_value(t))
    show_main_window(t)
    t.driver(["childsend", MAIN_CAPTION, AUTO_START, BM_SETCHECK, 1],
             ["childsend", MAIN_CAPTION, TRAY_ONLY, BM_SETCHECK, 0],
             ["childsend", MAIN_CAPTION, GRID, LVM_SETCOLUMNWIDTH, GRID_DESC_COLUMN, 150],
             ["place", MAIN_CAPTION, 40, 30, 700, 500],
             ["click", MAIN_CAPTION, SAVE])
    settings = os.path.join(folder, "data", "settings.cnfg")
    t.wait_until(lambda: t.read_file(settings) == ascii_file("-1", "0", "27", "150", "105", "211"),
                 "Save to write the options")
    t.expect(t.read_file(os.path.join(folder, "data", "w_size.cnfg")) ==
             ascii_file("700", "500", "0", "40", "30"), "Save did not keep the window's place")
    # A path with a blank is quoted, so no other program on it starts instead.
    t.expect(run_value(t) == '"%s"' % exe, "the Run value is %r" % run_value(t))
    t.close(program)

    # The next start shows the window where it was, with the options.
    program = t.start(exe="My Tools\\keyvane.exe")
    t.wait_until(lambda: t.find_window(MAIN_CAPTION)[2], "the main window to show at start")
    rect = t.driver(["rect", MAIN_CAPTION])[0].split()
    t.expect(rect == ["40", "30", "740", "530"], "the window came back at %s" % rect)
    checks = t.driver(["childsend", MAIN_CAPTION, AUTO_START, BM_GETCHECK],
                      ["childsend", MAIN_CAPTION, TRAY_ONLY, BM_GETCHECK],
                      ["childsend", MAIN_CAPTION, GRID, LVM_GETCOLUMNWIDTH, GRID_DESC_COLUMN])
    t.expect(checks[:3] == ["result 1", "result 0", "result 150"], "after the restart: %s" % checks)
    # Clearing the option leaves the value there, empty.
    t.driver(["childsend", MAIN_CAPTION, AUTO_START, BM_SETCHECK, 0], ["click", MAIN_CAPTION, SAVE])
    t.wait_until(lambda: run_value(t) == "", "the Run value to empty")
    t.close(program)


def version12_list(items):
    """A hotkey list as version 1.2 saved it: a list view in the component
    stream, its items in the "Items.Data" block. Written here field by field;
    the reader under test is the program's."""
    def short(text):
        data = text.encode("cp1252")
        return bytes([len(data)]) + data
    records = b""
    for caption, subitems in items:
        records += struct.pack("<iiiiI", -1, -1, -1, len(subitems), 0) + short(caption)
        records += b"".join(short(s) for s in subitems)
    block = struct.pack("<II", 8 + len(records), len(items)) + records
    return (b"TPF0" + short("TListView") + short("ListView1") +
            short("Left") + b"\x02\x10" +  # an 8-bit integer property, skipped
            short("Items.Data") + b"\x0a" + struct.pack("<I", len(block)) + block +
            b"\x00" + b"\x00")


def import_file(t, path):
    t.driver(["click", MAIN_CAPTION, IMPORT])
    t.wait_until(lambda: t.find_window(OPEN_DIALOG)[2], "the file dialog to open")
    t.driver(["settext", OPEN_DIALOG, FILE_NAME_BOX, path], ["click", OPEN_DIALOG, 1])


@case
def import_appends_a_version12_list_and_a_bad_file_appends_nothing(t):
    target = add_target(t)
    combos = [ctrl_alt_text(t, k) for k in "123"]
    with open(t.path("old.cnfg"), "wb") as f:
        f.write(version12_list([("Run selected program...", [combos[i], "%s imported%d" % (target, i)])
                                for i in range(3)]))
    with open(t.path("notes.cnfg"), "wb") as f:
        f.write(b"These are not hotkeys.\r\n")
    program = start_with_hotkeys(t, utf16_list("1,Run Notepad,,,Normal,0,True"))
    show_main_window(t)
    t.driver(["tabclick", MAIN_CAPTION, PAGES, 1])
    import_file(t, t.win_dir + "\\old.cnfg")
    want = utf16_list("1,Run Notepad,,,Normal,0,True",
                      *["%d,Run selected program...,%s,%s imported%d,Normal,%d,True"
                        % (i + 2, combos[i], target, i, i + 1) for i in range(3)])
    t.wait_for_tasks(want, "the imported tasks in the file")
    press(t, "ctrl+alt+2")
    record = wait_records(t, 1, "an imported task's program to start")[0]
    t.expect(record["cmdline"].endswith("imported1"), "wrong program: %r" % record["cmdline"])
    # A file that is no hotkey list: "Error!", and nothing is appended.
    import_file(t, t.win_dir + "\\notes.cnfg")
    t.wait_until(lambda: visible_message_box(t), "the error message")
    text = " ".join(t.driver(["children", "#32770|Keyvane"]))
    t.expect("Error!" in text, "the message says %r" % text)
    t.driver(["close", "#32770|Keyvane"])
    t.wait_until(lambda: not visible_message_box(t), "the message to close")
    t.wait_for_tasks(want, "the task list after the failed import")
    t.close(program)


@case
def about_box_shows_its_texts_and_both_links_reach_the_shell(t):
    target = add_target(t)
    for scheme in ("http", "mailto"):
        t.session.reg_add(r"HKCR\%s\shell\open\command" % scheme, None, "REG_SZ",
                          '"%s" "%%1"' % target)
    program = start_with_hotkeys(t, utf16_list("1,Run Notepad,,,Normal,0,True"))
    t.driver(["command", MAIN_CAPTION, 40004])  # the tray menu's "About..."
    t.wait_until(lambda: t.find_window(ABOUT_CAPTION)[2], "the About box to open")
    shot(t, "about")
    text = " ".join(t.driver(["children", ABOUT_CAPTION]))
    for part in ("Keyvane", "Version 1.4", "Keyvane \u2013 this is a manager hotkeys for Windows. ",
                 "click here to visit our website", "click here to send feedback"):
        t.expect(part in text, "the About box lacks %r: %r" % (part, text))
    t.driver(["click", ABOUT_CAPTION, 1104])
    first = wait_records(t, 1, "the web page to reach the http handler")[0]
    t.expect("http://keyvane.example.org/#hk=1" in first["cmdline"], "got %r" % first["cmdline"])
    t.driver(["click", ABOUT_CAPTION, 1105])
    second = wait_records(t, 2, "the mail to reach the mailto handler")[1]
    t.expect("mailto:" in second["cmdline"] and "subject=Feedback - Keyvane" in second["cmdline"],
             "got %r" % second["cmdline"])
    t.driver(["click", ABOUT_CAPTION, 1])  # OK
    t.wait_until(lambda: not t.find_window(ABOUT_CAPTION)[2], "the About box to close")
    # Modal windows stay single: "About..." again while it is open only
    # brings it to the front, and the tray's "Exit" closes it first, then
    # ends the program through its close path.
    t.driver(["command", MAIN_CAPTION, 40004])
    t.wait_until(lambda: t.find_window(ABOUT_CAPTION)[2], "the About box to open again")
    t.driver(["command", MAIN_CAPTION, 40002])
    abouts = [line for line in t.driver(["list"]) if line.endswith("\t" + ABOUT_CAPTION)]
    t.expect(len(abouts) == 1, "more than one About box: %s" % abouts)
    t.driver(["command", MAIN_CAPTION, MENU_EXIT1])
    code = t.wait_exit(program)
    t.expect(code == 0, "keyvane.exe ended with exit code %s" % code)
    t.expect_tasks(utf16_list("1,Run Notepad,,,Normal,0,True"), "after the exit")


@case
def screenshots_of_the_windows(t):
    """Not a check of behaviour: pictures of every window for a person to
    look at, written into the build folder, at 100% and at 150%."""
    target = add_target(t)
    holder = t.session.spawn(t.win_dir + "\\kvtarget.exe", "--hold", str(MOD_CONTROL | MOD_ALT),
                             str(ord("H")))
    try:
        wait_records(t, 1, "another program to take Ctrl+Alt+H")
        data = utf16_list("1,Run Notepad,%s,,Normal,0,True" % ctrl_alt_text(t, "N"),
                          "2,Open Website...,%s,http://example.org,Maximize,0,False"
                          % ctrl_alt_text(t, "W"),
                          "3,Run selected program...,%s,%s,Normal,0,True"
                          % (ctrl_alt_text(t, "H"), target),
                          "4,Reboot computer,ctrl+alt+x,,Normal,0,True",
                          "5,Minimize/Maximaze all windows,%s,,Normal,0,True"
                          % ctrl_alt_text(t, "M"),
                          "6,Hibernate computer,,,Hide,0,True")
        for scale, dpi in (("100", 96), ("150", 144)):
            t.session.reg_add("HKCU\\Control Panel\\Desktop", "LogPixels", "REG_DWORD", str(dpi))
            program = start_with_hotkeys(t, data)
            show_main_window(t)
            shot(t, "main-hotkeys-%s" % scale)
            t.driver(["tabclick", MAIN_CAPTION, 900, 1])
            t.driver(["sleep", 500])
            shot(t, "main-options-%s" % scale)
            t.driver(["tabclick", MAIN_CAPTION, 900, 0], ["lvselect", MAIN_CAPTION, GRID, "2"],
                     ["click", MAIN_CAPTION, EDIT])
            t.wait_until(lambda: t.find_window(EDITOR_CAPTION)[2], "the editor to open")
            shot(t, "editor-%s" % scale)
            t.driver(["close", EDITOR_CAPTION])
            t.wait_until(lambda: not t.find_window(EDITOR_CAPTION)[2], "the editor to close")
            t.driver(["command", MAIN_CAPTION, 40002])  # "Help" > "About..."
            t.wait_until(lambda: t.find_window(ABOUT_CAPTION)[2], "the About box to open")
            shot(t, "about-%s" % scale)
            t.driver(["close", ABOUT_CAPTION])
            t.wait_until(lambda: not t.find_window(ABOUT_CAPTION)[2], "the About box to close")
            t.close(program)
    finally:
        t.session.reg_add("HKCU\\Control Panel\\Desktop", "LogPixels", "REG_DWORD", "96")
        holder.kill()


def run_case(session, name, function, *args, verbose=False, screenshots=False):
    """Runs one case in its own folder, prints PASS or FAIL, and always
    cleans up after it; returns whether it passed."""
    t = Case(session, name)
    started = time.monotonic()
    try:
        function(t, *args)
        print("PASS %s" % name, flush=True)
        return True
    except CaseFailure as e:
        if screenshots:
            t.screenshot(os.path.join(session.build_dir, "e2e-%s.png" % name))
        print("FAIL %s: %s" % (name, e), flush=True)
    except Exception as e:  # a fault of the runner or the case itself
        print("FAIL %s: %s: %s" % (name, type(e).__name__, e), flush=True)
        if verbose:
            traceback.print_exc()
    finally:
        t.cleanup()
        session.log("%s took %.1fs" % (name, time.monotonic() - started))
    return False


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build-dir", required=True, help="MinGW build folder with keyvane.exe")
    parser.add_argument("--prefix", help="Wine prefix (default <build dir>/e2e-prefix)")
    parser.add_argument("-k", dest="select", action="append", default=[],
                        help="run only cases whose name contains this (repeatable)")
    parser.add_argument("-v", "--verbose", action="store_true")
    parser.add_argument("--screenshots", action="store_true",
                        help="save a screenshot of the display for each failing case")
    args = parser.parse_args()

    prefix = args.prefix or os.path.join(args.build_dir, "e2e-prefix")
    chosen = [c for c in CASES if not args.select or any(s in c.__name__ for s in args.select)]
    passed = failed = 0
    # An interrupted run still kills what it started.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    with Session(args.build_dir, prefix, verbose=args.verbose) as session:
        for function in chosen:
            if run_case(session, function.__name__, function, verbose=args.verbose,
                        screenshots=args.screenshots):
                passed += 1
            else:
                failed += 1
    print("e2e: %d passed, %d failed" % (passed, failed), flush=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
