#!/usr/bin/env python3
"""Measures keyvane.exe under Wine as a user meets it, with the end-to-end
suite's machinery: start-up until the last hotkey is registered, the extra
memory of a large task list, and showing the main window and scrolling its
grid to the end. Floors from bench/programs are measured the same way in the
same run, so each figure comes with what Wine alone costs:

    floor_empty    a hidden window, one hotkey, the message loop
    floor_imports  the same, loading every DLL keyvane.exe imports
    floor_window   a plain window with a list view and six buttons, shown
                   from the tray callback

Subjects take turns within each round, so a busy spell of the shared machine
falls on all of them alike; the first round only warms Wine's caches.
Prints medians of the rounds.

    python3 bench/wine_startup.py --build-dir build/mingw [--runs 3]
"""
import argparse
import os
import shutil
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from support.case import MAIN_CAPTION, Case  # noqa: E402  (the suite's machinery)
from support.drive import FILTER, GRID, show_main_window  # noqa: E402
from support.session import Session  # noqa: E402

FLOORS = ("floor_empty", "floor_imports", "floor_window")
TASK_COUNTS = (1, 1000, 10000)
SHOWN = ("keyvane 1", "keyvane 10000", "floor_window")  # subjects whose window is shown


def task_list(count, programs):
    """count rows that run one of a few dozen programs, each with a hotkey."""
    lines = []
    for i in range(count):
        key = "ABCDEFGHIJKLMNOPQRSTUVWXYZ"[i % 26]
        mods = ("Control+Alt+", "Control+Shift+", "Shift+Alt+", "Control+Shift+Alt+")[(i // 26) % 4]
        lines.append("%d,Run selected program...,%s%s,%s,Normal,0,True"
                     % (i + 1, mods, key, programs[i % len(programs)]))
    return b"\xff\xfe" + "".join(line + "\r\n" for line in lines).encode("utf-16-le")


def rss_anon_kib(case_name):
    """RssAnon of the Linux process running the case's program (Wine reports
    no private bytes): the newest process whose command line names the case."""
    best = None
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                cmd = f.read()
            if case_name.encode() not in cmd or b"kvdriver" in cmd:
                continue
            with open("/proc/%s/status" % pid) as f:
                for line in f:
                    if line.startswith("RssAnon:"):
                        value = int(line.split()[1])
                        if best is None or int(pid) > best[0]:
                            best = (int(pid), value)
        except OSError:
            continue
    return best[1] if best else None


def measure(session, subject, round_name, programs, samples):
    """One start of the subject, and, for those in SHOWN, one show from the
    tray and one scroll; appends the figures to samples[subject]."""
    name = "bench-%s-%s" % (subject.replace(" ", ""), round_name)
    got = samples.setdefault(subject, {})
    t = Case(session, name)
    try:
        if subject.startswith("keyvane "):
            count = int(subject.split()[1])
            t.write_tasks(task_list(count, programs))
            exe = "keyvane.exe"
        else:
            count = 1
            exe = subject + ".exe"
            shutil.copy2(os.path.join(session.build_dir, exe), t.path(exe))
        began = time.monotonic()
        # Returns once the main window answers: its loop runs, and every
        # hotkey was registered before (for a floor, before its loop too).
        program = t.start(exe)
        got.setdefault("start", []).append(time.monotonic() - began)
        time.sleep(1)
        memory = rss_anon_kib(name)
        if memory:
            got.setdefault("rss", []).append(memory / 1024)
        if subject in SHOWN:
            # Both include starting the driver under Wine, as the floor's do.
            began = time.monotonic()
            show_main_window(t)
            got.setdefault("show", []).append(time.monotonic() - began)
            began = time.monotonic()
            t.driver(["lvselect", MAIN_CAPTION, GRID, str(count - 1)])
            got.setdefault("scroll", []).append(time.monotonic() - began)
        if subject.startswith("keyvane ") and subject in SHOWN:
            # A keystroke in the search box: the grid shows the rows found
            # when the box answers (timed inside the driver, without its start).
            lines = t.driver(["settext", MAIN_CAPTION, FILTER, "system32\\c"])
            got.setdefault("filter", []).append(float(lines[-1].split()[1]))
        t.close(program)
    finally:
        t.cleanup()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    for floor in FLOORS:
        if not os.path.isfile(os.path.join(args.build_dir, floor + ".exe")):
            raise SystemExit("bench: %s.exe not found in %s (build the MinGW tree first)"
                             % (floor, args.build_dir))
    prefix = os.path.join(args.build_dir, "e2e-prefix")
    subjects = ["keyvane %d" % n for n in TASK_COUNTS] + list(FLOORS)
    with Session(args.build_dir, prefix) as session:
        system32 = os.path.join(session.prefix, "drive_c", "windows", "system32")
        programs = sorted("C:\\windows\\system32\\" + n for n in os.listdir(system32)
                          if n.endswith(".exe"))[:36]
        warm = {}
        for subject in subjects:
            measure(session, subject, "warm", programs, warm)
        samples = {}
        for attempt in range(args.runs):
            for subject in subjects:
                measure(session, subject, str(attempt), programs, samples)

    median = {s: {k: statistics.median(v) for k, v in figures.items()}
              for s, figures in samples.items()}
    columns = ("start", "rss", "show", "scroll", "filter")
    print("medians of %d rounds (start: to the last hotkey registered; rss: RssAnon "
          "1 s after a tray-only start; show and scroll include a driver start; filter: one "
          "keystroke in the search box)" % args.runs)
    print("%-16s %9s %9s %9s %9s %9s"
          % ("subject", "start s", "rss MiB", "show s", "scroll s", "filter ms"))
    for subject in subjects:
        row = median[subject]
        print("%-16s" % subject + "".join(
            " %9.3f" % row[k] if k in row else " %9s" % "-" for k in columns))
    kv1, kv10k = median["keyvane 1"], median["keyvane 10000"]
    imports, window = median["floor_imports"], median["floor_window"]
    print()
    print("%-44s %7s %7s %6s" % ("comparison", "keyvane", "floor", "ratio"))
    empty = median["floor_empty"]
    rows = [("start-up, 1 task vs floor_empty (s)", kv1["start"], empty["start"]),
            ("start-up, 1 task vs floor_imports (s)", kv1["start"], imports["start"]),
            ("start-up, 10,000 tasks vs 1 task (s)", kv10k["start"], kv1["start"]),
            ("RssAnon, tray-only start, 1 task (MiB)", kv1.get("rss"), imports.get("rss")),
            ("show from the tray vs floor_window (s)", kv1["show"], window["show"])]
    for label, value, base in rows:
        if value is None or base is None:
            print("%-44s %7s" % (label, "-"))
        else:
            print("%-44s %7.3f %7.3f %6.2f" % (label, value, base, value / base))


if __name__ == "__main__":
    main()
