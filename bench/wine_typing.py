#!/usr/bin/env python3
"""Measures "Type text..." under Wine against what Wine alone costs: 2,000
characters of several scripts typed into a standard multi-line edit box
(kvwindow.exe's), once by keyvane.exe on its hotkey and once by the driver,
which sends the same characters in one SendInput call as Unicode input. Both
are timed inside the driver, from just before its key press (or its
SendInput call) until the box holds the whole text, and the text is checked
to the last code unit, so a fast run that typed the wrong thing counts for
nothing.

Subjects take turns within each round, so a busy spell of the shared machine
falls on both alike; the first round only warms Wine's caches. Prints the
medians of the rounds and their ratio.

    python3 bench/wine_typing.py --build-dir build/mingw [--runs 5]
"""
import argparse
import os
import statistics
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from support.case import Case, CaseFailure, utf16_file  # noqa: E402  (the suite's machinery)
from support.drive import EDIT_BOX, box_text, ctrl_alt_text, show_edit_box  # noqa: E402
from support.session import Session  # noqa: E402

# Words of Latin, Greek, Cyrillic, Han, Hangul, Hebrew, Arabic, Devanagari
# and Thai letters, emoji outside the basic plane among them; no
# comma, quote mark, "|", brace or line break, so the task list holds the
# text as it stands.
WORDS = ("Grüße", "naïve", "façade", "Ελληνικά", "κείμενο", "Привет", "мир", "日本語の",
         "文章", "世界", "한국어", "שלום", "مرحبا", "हिन्दी", "ไทย", "\U0001F44B", "\U0001F600",
         "\U0001F680", "Zürich", "Łódź")
LENGTH = 2000  # characters (code points); the emoji take two code units each
CAPTION = "Keyvane typing benchmark"
DEADLINE_MS = 300000


def bench_text():
    words, count, i = [], 0, 0
    while count < LENGTH:
        word = WORDS[i % len(WORDS)]
        i += 1
        piece = (" " if words else "") + word
        words.append(piece[:LENGTH - count])
        count += len(words[-1])
    return "".join(words)


def measure(session, subject, round_name, text, samples):
    """One typing of the text by the subject into a fresh edit box; appends
    its time in seconds to samples[subject]."""
    t = Case(session, "bench-typing-%s-%s" % (subject, round_name))
    units = len(text.encode("utf-16-le")) // 2
    try:
        if subject == "keyvane":
            t.write_tasks(utf16_file("1,Type text...,%s,%s,Normal,0,True\r\n"
                                     % (ctrl_alt_text(t, "Y"), text)))
            program = t.start()
            send = ["keys", "ctrl+alt+y"]
        else:
            program = None
            with open(t.path("text.txt"), "wb") as f:
                f.write(utf16_file(text))
            send = ["type", t.win_dir + "\\text.txt"]
        # The box in front, with the focus, after keyvane.exe's start.
        show_edit_box(t, CAPTION)
        lines = t.driver(["mark"], send, ["waitlength", CAPTION, EDIT_BOX, units, DEADLINE_MS],
                         timeout=DEADLINE_MS / 1000 + 60)
        typed = box_text(t, CAPTION)
        if typed != text:
            at = next((i for i, (a, b) in enumerate(zip(typed, text)) if a != b),
                      min(len(typed), len(text)))
            raise CaseFailure("%s typed %d characters, wrong from %d: %r" % (
                subject, len(typed), at, typed[at:at + 12]))
        samples.setdefault(subject, []).append(float(lines[-1].split()[1]) / 1000)
        t.driver(["close", CAPTION])
        if program:
            t.close(program)
    finally:
        t.cleanup()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    text = bench_text()
    subjects = ("keyvane", "sendinput")
    prefix = os.path.join(args.build_dir, "e2e-prefix")
    with Session(args.build_dir, prefix) as session:
        if not os.path.isfile(os.path.join(session.root, "kvwindow.exe")):
            raise SystemExit("bench: kvwindow.exe not found in %s" % args.build_dir)
        warm = {}
        for subject in subjects:
            measure(session, subject, "warm", text, warm)
        samples = {}
        for attempt in range(args.runs):
            for subject in subjects:
                measure(session, subject, str(attempt), text, samples)

    print("%d characters (%d code units) of nine scripts and emoji into a multi-line edit box; "
          "seconds from the press (or the SendInput call) to the whole text"
          % (len(text), len(text.encode("utf-16-le")) // 2))
    for subject in subjects:
        print("%-10s runs %s  median %.2f" % (
            subject, " ".join("%.2f" % s for s in samples[subject]),
            statistics.median(samples[subject])))
    ratio = statistics.median(samples["keyvane"]) / statistics.median(samples["sendinput"])
    print("ratio keyvane / one SendInput call: %.2f (target at most 1.5)" % ratio)


if __name__ == "__main__":
    main()
