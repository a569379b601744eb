"""Tasks for some programs only, and a running copy brought up instead of a
second one, as a user meets them: the program in front decides, and the
editor shows and checks the new lines."""
import os
import shutil

from support.case import EDITOR_CAPTION, MAIN_CAPTION, registry, utf16_list
from support.drive import (EDIT, FILTER, GRID, add_target, ctrl_alt_text, expect_ctrl_alt_goes_elsewhere,
                           grid_rows, press, shot, show_main_window, start_with_hotkeys,
                           target_records, visible_windows, wait_records)
from cases_hotkeys import WINDOW_STATES, wait_window_state

CASES, case = registry()

EDITOR_SCOPE, EDITOR_PROGRAMS, EDITOR_PROGRAMS_ERROR, EDITOR_OK = 1015, 1016, 1019, 1


def editor_text(t, control):
    return "\n".join(t.driver(["text", EDITOR_CAPTION, control]))


@case
def a_task_for_one_program_and_a_running_copy_toggled(t):
    target = add_target(t)
    # The copy is the task's program file: the window's program, started
    # from the case's folder, where it keeps its states file. (Parameters
    # with a backslash would keep the destination from splitting.)
    shutil.copy2(os.path.join(t.session.root, "kvwindow.exe"), t.path("kvwindow.exe"))
    window = "%s\\kvwindow.exe %s Second" % (t.win_dir, WINDOW_STATES)
    tasks = utf16_list(
        "1,Run selected program...,%s,%s scoped,Normal,0,True,kvwindow.exe"
        % (ctrl_alt_text(t, "K"), target),
        "2,Run selected program...,%s,%s,Normal,0,True,,Toggle" % (ctrl_alt_text(t, "T"), window))
    program = start_with_hotkeys(t, tasks)
    t.spawn(t.win_dir + "\\kvwindow.exe", t.win_dir + "\\" + WINDOW_STATES, "Keyvane test window")
    wait_window_state(t, 1, "shown", "the test window to show")
    # The test window in front: the task for it fires.
    press(t, "ctrl+alt+k")
    record = wait_records(t, 1, "the task for the test window to run")[0]
    t.expect(record["cmdline"].endswith(" scoped"), "wrong start %r" % record["cmdline"])
    # The running copy in front is minimized, then brought back; no second copy.
    press(t, "ctrl+alt+t")
    wait_window_state(t, 2, "minimized", "the running copy to be minimized")
    press(t, "ctrl+alt+t")
    wait_window_state(t, 3, "restored", "the running copy to come back")
    t.expect(not any(caption == "Second" for _, _, caption in visible_windows(t)),
             "a second copy started")
    # With another program in front the combination is not ours: a program
    # that asks for it gets it, and its press.
    show_main_window(t)
    shot(t, "main-programs-mark-100")  # "only" at the end of row 1's hotkey
    expect_ctrl_alt_goes_elsewhere(t, "K", 2, "Keyvane kept Ctrl+Alt+K with the test window behind")
    # The search finds a task by the programs it is for too.
    t.driver(["settext", MAIN_CAPTION, FILTER, "kvwindow.exe"])
    t.wait_until(lambda: len(grid_rows(t)) == 2, "the search to find the task for kvwindow.exe")
    t.driver(["settext", MAIN_CAPTION, FILTER, ""])

    # The editor shows the line, and refuses a list with a folder in it.
    t.driver(["lvselect", MAIN_CAPTION, GRID, "0"], ["click", MAIN_CAPTION, EDIT])
    t.wait_shown(EDITOR_CAPTION, "the editor to open")
    t.expect(editor_text(t, EDITOR_PROGRAMS) == "kvwindow.exe",
             "the editor shows %r" % editor_text(t, EDITOR_PROGRAMS))
    shot(t, "editor-programs-100")
    t.driver(["settext", EDITOR_CAPTION, EDITOR_PROGRAMS, "c:\\x\\a.exe"],
             ["click", EDITOR_CAPTION, EDITOR_OK])
    t.wait_until(lambda: editor_text(t, EDITOR_PROGRAMS_ERROR).endswith("c:\\x\\a.exe"),
                 "the editor to refuse a path")
    shot(t, "editor-programs-refused-100")
    t.driver(["close", EDITOR_CAPTION])
    t.wait_shown(EDITOR_CAPTION, "the editor to close", shown=False)
    t.close(program)
    saved = t.read_file(t.path("data", "actions.cfg")).decode("utf-16")
    t.expect(",True,kvwindow.exe\r\n" in saved and ",True,,Toggle\r\n" in saved,
             "the exit's save lost the later fields: %r" % saved)

    # The same line at 150%.
    t.session.reg_add("HKCU\\Control Panel\\Desktop", "LogPixels", "REG_DWORD", "144")
    try:
        program = t.start()
        show_main_window(t)
        t.driver(["lvselect", MAIN_CAPTION, GRID, "0"], ["click", MAIN_CAPTION, EDIT])
        t.wait_shown(EDITOR_CAPTION, "the editor to open at 150%")
        shot(t, "editor-programs-150")
        t.driver(["close", EDITOR_CAPTION])
        t.wait_shown(EDITOR_CAPTION, "the editor to close", shown=False)
        t.close(program)
    finally:
        t.session.reg_add("HKCU\\Control Panel\\Desktop", "LogPixels", "REG_DWORD", "96")


def target_lines(t, pid):
    return next((r["lines"] for r in target_records(t) if r["pid"] == pid), [])


def wait_target_line(t, pid, line, what):
    t.wait_until(lambda: line in target_lines(t, pid), what)


@case
def a_program_that_does_not_answer_leaves_the_hotkeys_alive(t):
    target = add_target(t)
    program = start_with_hotkeys(t, utf16_list(
        "1,Run selected program...,%s,%s --stay,Normal,0,True,,Front" % (ctrl_alt_text(t, "F"),
                                                                         target),
        "2,Run selected program...,%s,%s after,Normal,0,True" % (ctrl_alt_text(t, "N"), target)))
    # The task's program, minimized, stops looking at its messages.
    t.spawn(target, "--window", "Hung target", "--hang")
    hung = wait_records(t, 1, "the target to start")[0]["pid"]
    wait_target_line(t, hung, "hung", "the target to stop answering")
    press(t, "ctrl+alt+f")
    press(t, "ctrl+alt+n")
    records = wait_records(t, 2, "the press after bringing up a program that does not answer")
    t.expect(records[-1]["cmdline"].endswith(" after"), "started %r" % records[-1]["cmdline"])
    # Once it answers again it has been left as it was: no restore was queued
    # for it, and no second copy started.
    with open(t.path("kvtarget-%d.go" % hung), "wb"):
        pass
    wait_target_line(t, hung, "answering", "the target to answer again")
    t.driver(["send", "Hung target", "WM_NULL"])
    t.expect(target_lines(t, hung)[-2:] == ["hung", "answering"],
             "the target went through %s" % target_lines(t, hung))
    t.expect(len(target_records(t)) == 2, "a second copy started")
    t.close(program)


@case
def toggle_minimizes_a_program_whose_own_dialog_is_in_front(t):
    target = add_target(t)
    program = start_with_hotkeys(t, utf16_list(
        "1,Run selected program...,%s,%s --stay,Normal,0,True,,Toggle" % (ctrl_alt_text(t, "T"),
                                                                          target)))
    t.spawn(target, "--window", "Dialog target", "--dialog")
    pid = wait_records(t, 1, "the target to start")[0]["pid"]
    wait_target_line(t, pid, "active dialog", "the target's dialog to come in front")
    press(t, "ctrl+alt+t")
    wait_target_line(t, pid, "window minimized", "the program to be minimized")
    # Pressed again, it comes back. (Which of its windows is active then is
    # not shown here: Wine activates a window it has just minimized, which
    # makes it its own last active popup.)
    press(t, "ctrl+alt+t")
    t.wait_until(lambda: "window restored" in target_lines(t, pid)[
        target_lines(t, pid).index("window minimized"):], "the program to come back")
    t.expect(len(target_records(t)) == 1, "a second copy started")
    t.close(program)
