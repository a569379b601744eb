#!/usr/bin/env python3
"""End-to-end tests: the real keyvane.exe under Wine, driven from outside.

    python3 tests/e2e/run.py --build-dir build/mingw [--prefix DIR] [-k SUBSTRING]

Starts Xvfb on a free display and a private Wine prefix (created once, then
reused), runs each case in its own C:\\e2e\\<case> folder with a copy of
keyvane.exe and its data folder, and kills everything it started at the end.
Prints "PASS name" or "FAIL name: why" per case and a last line
"e2e: N passed, M failed"; the exit code is non-zero when a case fails.

The cases are in cases_<feature>.py, the machinery they share in support/.
Adding a case: write a function taking a Case in the module of its feature,
decorate it with that module's @case, and use the helpers of Case
(write_tasks, start, driver, close, wait_until, read_tasks) and support.drive.
Every wait is for a condition with a deadline. Standard library only.
"""
import argparse
import importlib
import os
import signal
import sys

from support.case import run_cases
from support.session import Session

# The modules of cases, in the order they run.
CASES = [function for module in (
    "cases_tasklist", "cases_life", "cases_hotkeys", "cases_windows", "cases_keyboard",
    "cases_options", "cases_commandline", "cases_scope", "cases_gridmenu",
    "cases_typing")
         for function in importlib.import_module(module).CASES]
# A case that ends the whole session runs last: under Wine a log-off ends
# every process of the prefix, the desktop's taskbar and notification area
# too, which do not come back for the cases after it.
CASES.sort(key=lambda function: getattr(function, "ends_session", False))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build-dir", required=True, help="MinGW build folder with keyvane.exe")
    parser.add_argument("--prefix", help="Wine prefix (default <build dir>/e2e-prefix)")
    parser.add_argument("-k", dest="select", action="append", default=[],
                        help="run only cases whose name contains this (repeatable)")
    parser.add_argument("-v", "--verbose", action="store_true")
    # Wine's own desktop has a taskbar with a notification area, title bars
    # and focus as on Windows; without it programs are bare X windows.
    parser.add_argument("--no-desktop", dest="desktop", action="store_false",
                        help="run without Wine's own desktop")
    parser.add_argument("--screenshots", action="store_true",
                        help="save a screenshot of the display for each failing case")
    args = parser.parse_args()

    prefix = args.prefix or os.path.join(args.build_dir, "e2e-prefix")
    chosen = [c for c in CASES if not args.select or any(s in c.__name__ for s in args.select)]
    # An interrupted run still kills what it started.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    with Session(args.build_dir, prefix, verbose=args.verbose, desktop=args.desktop) as session:
        session.lone_run = len(chosen) == 1
        passed, failed = run_cases(session, chosen, verbose=args.verbose,
                                   screenshots=args.screenshots)
    print("e2e: %d passed, %d failed" % (passed, failed), flush=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
