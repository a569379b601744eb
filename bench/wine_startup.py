#!/usr/bin/env python3
"""Measures keyvane.exe under Wine as a user meets it, with the end-to-end
suite's machinery: start-up until the last hotkey is registered, the extra
memory of a large task list, and showing the main window and scrolling its
grid to the end. Prints medians of several runs.

    python3 bench/wine_startup.py --build-dir build/mingw [--runs 3]
"""
import argparse
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from support.case import MAIN_CAPTION, Case  # noqa: E402
from support.drive import GRID, show_main_window  # noqa: E402
from support.session import Session  # noqa: E402


def task_list(count, programs):
    """count rows that run one of a few dozen programs, each with a hotkey."""
    lines = []
    for i in range(count):
        key = "ABCDEFGHIJKLMNOPQRSTUVWXYZ"[i % 26]
        mods = ("Control+Alt+", "Control+Shift+", "Shift+Alt+", "Control+Shift+Alt+")[(i // 26) % 4]
        lines.append("%d,Run selected program...,%s%s,%s,Normal,0,True"
                     % (i + 1, mods, key, programs[i % len(programs)]))
    return b"\xff\xfe" + "".join(line + "\r\n" for line in lines).encode("utf-16-le")


def rss_anon_kib(pid_hint_exe):
    """RssAnon of the Linux process running keyvane.exe (Wine reports no
    private bytes): the newest process whose command line names it."""
    best = None
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                cmd = f.read()
            if pid_hint_exe.encode() not in cmd or b"kvdriver" in cmd:
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


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    prefix = os.path.join(args.build_dir, "e2e-prefix")
    with Session(args.build_dir, prefix) as session:
        system32 = os.path.join(session.prefix, "drive_c", "windows", "system32")
        programs = sorted("C:\\windows\\system32\\" + n for n in os.listdir(system32)
                          if n.endswith(".exe"))[:36]
        results = {}
        # The first start of a session pays for Wine's caches: not measured.
        warm = Case(session, "measure-warm-up")
        try:
            warm.write_tasks(task_list(1, programs))
            warm.close(warm.start())
        finally:
            warm.cleanup()
        for count in (1, 1000, 10000):
            starts, memory = [], []
            for attempt in range(args.runs):
                t = Case(session, "measure-%d-%d" % (count, attempt))
                try:
                    t.write_tasks(task_list(count, programs))
                    began = time.monotonic()
                    program = t.start()  # returns once the About box exists:
                    starts.append(time.monotonic() - began)  # after the last registration
                    time.sleep(1)
                    memory.append(rss_anon_kib("measure-%d-%d" % (count, attempt)))
                    if count in (1, 10000) and attempt == 0:
                        began = time.monotonic()
                        show_main_window(t)
                        shown = time.monotonic() - began
                        began = time.monotonic()
                        t.driver(["lvselect", MAIN_CAPTION, GRID, str(count - 1)])
                        scrolled = time.monotonic() - began
                        # Both include starting the driver under Wine; the
                        # one-task figures are that baseline.
                        results["show main window, %d tasks (s)" % count] = shown
                        results["select and scroll to the last row, %d tasks (s)" % count] = scrolled
                    t.close(program)
                finally:
                    t.cleanup()
            results["start-up, %d tasks, median (s)" % count] = statistics.median(starts)
            known = [m for m in memory if m]
            if known:
                results["RssAnon, %d tasks, median (MiB)" % count] = statistics.median(known) / 1024
        for name, value in results.items():
            print("%-45s %.3f" % (name, value))
        one = results["start-up, 1 tasks, median (s)"]
        print("start-up ratio 10000/1: %.2f" % (results["start-up, 10000 tasks, median (s)"] / one))


if __name__ == "__main__":
    main()
