"""The pause hotkey of the Options page, and the switches a second start
hands to the running copy of its folder, with their exit codes."""
import os

from support.case import MAIN_CAPTION, program_text, registry, tasks_file
from support.drive import (PAGES, SAVE, add_target, ctrl_alt_text, press, show_main_window,
                           shot, start_with_hotkeys, target_records, wait_records)

CASES, case = registry()

HKM_SETHOTKEY = 0x0401
HOTKEYF_CONTROL, HOTKEYF_ALT = 0x02, 0x04
PAUSE_FIELD, PAUSE_NOTE = 921, 922
PAUSED_NOTE = 917  # beside the search box, while paused
SAVED = 931  # beside "Save" for a moment after a save
BOX = "#32770|Keyvane"
CTRL_ALT_P = 0x4000 | 0x8000 | ord("P")  # the pause hotkey's code as the settings file keeps it


def paused_note(t):
    return t.driver(["text", MAIN_CAPTION, PAUSED_NOTE])[0]


def set_pause_field(t, key):
    t.driver(["childsend", MAIN_CAPTION, PAUSE_FIELD, HKM_SETHOTKEY,
              ord(key) | (HOTKEYF_CONTROL | HOTKEYF_ALT) << 8])


def ran(t, mark):
    return [r for r in target_records(t) if r["cmdline"].endswith(mark)]


@case
def pause_hotkey_pauses_and_resumes_and_is_kept(t):
    target = add_target(t)
    program = start_with_hotkeys(t, tasks_file(
        ("Run selected program...", ctrl_alt_text(t, "N"), target + " n-row", "Normal")))
    show_main_window(t)
    t.driver(["tabclick", MAIN_CAPTION, PAGES, 1])
    # A task's combination is refused, and says which task has it.
    set_pause_field(t, "N")
    t.wait_until(lambda: "Task 1" in t.driver(["text", MAIN_CAPTION, PAUSE_NOTE])[0],
                 "the field to refuse the task's combination")
    t.expect(t.driver(["text", MAIN_CAPTION, PAUSE_FIELD])[0] == "None",
             "the refused combination was taken")
    set_pause_field(t, "P")
    t.wait_until(lambda: t.driver(["text", MAIN_CAPTION, PAUSE_FIELD])[0] ==
                 ctrl_alt_text(t, "P"), "the field to take Ctrl+Alt+P")
    shot(t, "options-pause-hotkey")
    # The note names the hotkey that resumes, beside the tray menu.
    note = program_text("kPausedNoteHotKeyText").replace("%1", ctrl_alt_text(t, "P"))
    press(t, "ctrl+alt+p")
    t.wait_until(lambda: paused_note(t) == note, "the pause hotkey to pause")
    press(t, "ctrl+alt+n")  # paused: given back, it runs nothing
    press(t, "ctrl+alt+p")  # still registered while paused
    t.wait_until(lambda: paused_note(t) == "", "the pause hotkey to resume")
    press(t, "ctrl+alt+n")
    wait_records(t, 1, "the resumed task to run")
    t.expect(len(ran(t, "n-row")) == 1, "the paused press ran the task too")
    t.driver(["click", MAIN_CAPTION, SAVE])
    t.wait_until(lambda: t.driver(["text", MAIN_CAPTION, SAVED])[0] == program_text(
        "kOptionsSavedText"), "Save to say it saved")
    shot(t, "options-saved")
    settings = t.path("data", "settings.cnfg")
    t.wait_until(lambda: (t.read_file(settings) or b"").split(b"\r\n")[6:7] ==
                 [str(CTRL_ALT_P).encode()], "Save to keep the pause hotkey as line 7")
    t.close(program)
    # The next start has it again.
    program = t.start()
    show_main_window(t)
    press(t, "ctrl+alt+p")
    t.wait_until(lambda: t.driver(["text", MAIN_CAPTION, PAUSED_NOTE])[0] == note,
                 "the stored pause hotkey to pause after a new start")
    t.close(program)


def switch(t, *args):
    """Runs a second start with the arguments; returns its exit code and
    what it printed (its errors go to a file, as a script's would)."""
    err = t.path("switch.err")
    code = t.session.wine(t.win_dir + "\\keyvane.exe", *args, errors=err, timeout=90)
    return code, (t.read_file(err) or b"").decode("utf-8", "replace")


@case
def command_line_switches_act_on_the_running_copy(t):
    target = add_target(t)
    t.write_tasks(tasks_file(
        ("Run selected program...", ctrl_alt_text(t, "N"), target + " first", "Normal"),
        ("Run selected program...", ctrl_alt_text(t, "M"), target + " second", "Normal"),
        ("Run selected program...", ctrl_alt_text(t, "K"), target + " third", "Normal", False)))
    # Another program's window of Keyvane's generic class is never asked.
    foreign = t.path("foreign.txt")
    t.spawn("C:\\e2e\\kvwindow.exe", t.win_dir + "\\foreign.txt", "Foreign form", "TForm1")
    t.wait_until(lambda: (t.read_file(foreign) or b"").startswith(b"shown"),
                 "the foreign window to show")
    code, said = switch(t, "/pause")
    t.expect(code == 1 and program_text("kNotRunningText") in said,
             "/pause with no copy running: exit %s, %r" % (code, said[-300:]))
    t.expect(b"asked" not in t.read_file(foreign), "the command line asked another program")
    code, said = switch(t, "/hlep")
    t.expect(code == 2 and "/hlep" in said and "/run N" in said,
             "an unknown switch: exit %s, %r" % (code, said[-300:]))
    # Started by a launcher (no console, nothing redirected): a box says it.
    launched = t.spawn(t.win_dir + "\\keyvane.exe", "/hlep")
    t.find_window(BOX)
    text = " ".join(line.split("\t", 2)[-1] for line in t.driver(["children", BOX]))
    t.expect("/hlep" in text and "/resume" in text, "the unknown switch's box: %r" % text[:300])
    t.driver(["close", BOX])
    t.expect_ends(launched, "the start with an unknown switch did not end after its box")
    t.expect(launched.returncode == 2, "the launcher's unknown switch ended with %s"
             % launched.returncode)

    program = t.start()
    show_main_window(t)
    note = program_text("kPausedNoteText")
    t.expect(switch(t, "/pause")[0] == 0, "/pause did not answer 0")
    t.wait_until(lambda: paused_note(t) == note, "/pause to pause the running copy")
    t.expect(switch(t, "-Resume")[0] == 0, "-Resume did not answer 0")
    t.wait_until(lambda: paused_note(t) == "", "-Resume to resume it")

    t.expect(switch(t, "/run", "2")[0] == 0, "/run 2 did not answer 0")
    wait_records(t, 1, "/run 2 to run the second task's program")
    t.expect(ran(t, "second") and not ran(t, "first"), "/run 2 ran another task")
    code, said = switch(t, "/run", "7")
    t.expect(code == 3 and "no task 7" in said, "/run 7 of two tasks: exit %s, %r"
             % (code, said[-300:]))

    code, said = switch(t, "/run:3")
    t.expect(code == 3 and "disabled" in said, "/run:3 of a disabled task: exit %s, %r"
             % (code, said[-300:]))
    t.expect(not ran(t, "third"), "a disabled task ran")

    t.driver(["post", MAIN_CAPTION, 0x0112, 0xF060])  # the title bar's close hides it
    t.wait_shown(MAIN_CAPTION, "the main window to hide", shown=False)
    t.expect(switch(t, "/show")[0] == 0, "/show did not answer 0")
    t.wait_shown(MAIN_CAPTION, "/show to show the main window")
    code, _ = switch(t, "/exit")
    t.expect(code == 0, "/exit answered %s" % code)
    t.expect(program.proc.poll() is not None or t.wait_exit(program) == 0,
             "/exit returned before the copy ended")

    # /show with no copy running starts one, and shows it.
    proc = t.session.spawn(t.win_dir + "\\keyvane.exe", "/show")
    t.wait_shown(MAIN_CAPTION, "/show to start a copy and show it")
    t.wait_until(lambda: switch(t, "/exit")[0] == 0, "/exit of the copy /show started")
    proc.wait(timeout=30)


@case
def help_switch_lists_the_switches_through_the_command_prompt(t):
    # As typed at a prompt or in a script: cmd waits for the program and
    # hands its output to the file.
    for arg in ("/?", "--help"):
        code = t.session.wine("cmd", "/c", "%s\\keyvane.exe %s > %s\\help.txt"
                              % (t.win_dir, arg, t.win_dir), timeout=90)
        said = (t.read_file(t.path("help.txt")) or b"").decode("utf-8", "replace")
        t.expect(code == 0, "%s ended with %s" % (arg, code))
        for name in ("/pause", "/resume", "/show", "/exit", "/run N", "/?"):
            t.expect(name in said, "%s did not list %s: %r" % (arg, name, said[-300:]))
        t.expect("Unknown switch" not in said, "%s was taken as unknown" % arg)
    # Help thrown away by a script shows no box to hang it.
    code = t.session.wine("cmd", "/c", "%s\\keyvane.exe -h > nul" % t.win_dir, timeout=90)
    t.expect(code == 0, "-h > nul ended with %s" % code)
    t.expect(not os.path.exists(t.path("data")), "help started a copy of Keyvane")
    code, said = switch(t, "/run", "abc")
    t.expect(code == 2 and "/run needs a task number" in said and "abc" in said and
             "Unknown switch" not in said, "/run abc: exit %s, %r" % (code, said[-300:]))
