"""One case's folder, its files and the helpers to drive it, and the running
of cases."""
import contextlib
import os
import re
import shutil
import subprocess
import time
import traceback

from .session import CaseFailure, wait_until

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..")


def program_text(name):
    """One of the program's own texts, read from where the program keeps
    them, so the suite never holds a second copy that could drift."""
    with open(os.path.join(ROOT, "src", "base", "AppInfo.h"), encoding="utf-8") as f:
        match = re.search(r"\b%s\s*=\s*u\"((?:[^\"\\]|\\.)*)\"" % name, f.read())
    if not match:
        raise SystemExit("e2e: %s not found in src/base/AppInfo.h" % name)
    return match.group(1)


MAIN_CAPTION = program_text("kMainWindowCaption")
EDITOR_CAPTION = program_text("kEditorCaption")
ABOUT_CAPTION = program_text("kAboutCaption")

# Deadlines in seconds, generous for a loaded 2-core machine.
WINDOW_DEADLINE = 20
EXIT_DEADLINE = 20
FIRST_START_DEADLINE = 180  # a fresh prefix builds its font cache on the first window


# Task list and option files. Expected files are written out literally: a
# model of the reader and writer here would share any misreading with the
# program.

def utf16_file(text):
    """The text as a UTF-16 LE file with its byte order mark (FF FE): only the
    encoding, no field logic."""
    return b"\xff\xfe" + text.encode("utf-16-le")


def utf16_list(*lines):
    """The bytes of a task list file whose records are these lines, as the
    program writes it: a byte order mark, then each line and CR LF."""
    return utf16_file("".join(line + "\r\n" for line in lines))


def tasks_file(*rows):
    """A task list file of rows (desc, hotkey, dest, type_run[, enabled]), icon
    0. Each field is given as it stands in the file: one holding "," or a
    quote mark must be given quoted, its quote marks doubled."""
    return utf16_list(*("%d,%s,%s,%s,%s,0,%s" % ((number,) + tuple(row[:4]) +
                                                 (row[4] if len(row) > 4 else True,))
                        for number, row in enumerate(rows, 1)))


def ascii_file(*lines):
    return "".join(line + "\r\n" for line in lines).encode("ascii")


def describe_difference(got, want):
    if got is None:
        return "file missing"
    at = next((i for i in range(min(len(got), len(want))) if got[i] != want[i]),
              min(len(got), len(want)))
    return "bytes differ at %d (got %d bytes, want %d): got %s... want %s..." % (
        at, len(got), len(want), got[at:at + 16].hex(" "), want[at:at + 16].hex(" "))


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
        self.helpers = []  # other programs the case started, ended with it
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

    def write_options(self, autostart=False, tray_only=True, widths=(27, 104, 105, 211),
                      pause_hotkey=0):
        os.makedirs(self.path("data"), exist_ok=True)
        lines = (["-1" if autostart else "0", "-1" if tray_only else "0"] +
                 [str(w) for w in widths] + [str(pause_hotkey)])
        with open(self.path("data", "settings.cnfg"), "wb") as f:
            f.write(ascii_file(*lines))

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
        self.expect(got == want, "task list%s: %s" % (" " + when if when else "",
                                                      describe_difference(got, want)))

    def wait_until(self, condition, what, timeout=WINDOW_DEADLINE):
        return wait_until(condition, what, timeout)

    def wait_shown(self, caption, what, shown=True):
        """Waits until the window is visible, or with shown=False hidden."""
        self.wait_until(lambda: self.find_window(caption)[2] == shown, what)

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

    def expect_ends(self, proc, why, timeout=WINDOW_DEADLINE):
        """Fails with why unless the process ends within the timeout."""
        try:
            proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.fail(why)

    def wait_exit(self, program, timeout=EXIT_DEADLINE):
        self.expect_ends(program.proc, "keyvane.exe still running %ds after it was told to end"
                         % timeout, timeout)
        return program.proc.returncode

    def close(self, program, by=("close", MAIN_CAPTION)):
        """Ends the program by a driver command, by default as taskkill
        without /F does (WM_CLOSE to the main window), and waits for the
        process to end with exit code 0."""
        self.driver(by)
        code = self.wait_exit(program)
        self.expect(code == 0, "keyvane.exe ended with exit code %s" % code)

    def spawn(self, *args):
        """Starts another program that ends with the case, whatever fails."""
        proc = self.session.spawn(*args)
        self.helpers.append(proc)
        return proc

    def screenshot(self, path):
        if shutil.which("import"):
            subprocess.run(["import", "-window", "root", path], env=self.session.env, timeout=30,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def cleanup(self):
        """Kills whatever the case left running and waits for its windows to go."""
        left = any(program.proc.poll() is None for program in self.programs)
        for proc in [program.proc for program in self.programs] + self.helpers:
            if proc.poll() is None:
                proc.kill()
                with contextlib.suppress(subprocess.TimeoutExpired):
                    proc.wait(timeout=EXIT_DEADLINE)
        if left:
            with contextlib.suppress(CaseFailure):
                self.wait_window_gone(MAIN_CAPTION)


def registry():
    """A list of cases and the decorator that adds one to it: cases run in
    the order they are defined."""
    cases = []

    def case(function):
        cases.append(function)
        return function
    return cases, case


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


def run_cases(session, functions, *args, verbose=False, screenshots=False):
    """Runs the cases in order; returns how many passed and how many failed."""
    passed = sum(run_case(session, f.__name__, f, *args, verbose=verbose, screenshots=screenshots)
                 for f in functions)
    return passed, len(functions) - passed
