"""Hotkeys and what their tasks do: run and close programs, open a website,
the CD tray, minimize-all, stand-by and log-off; a hotkey another program
holds, and a soak of many presses. The power-off, reboot and hibernate
actions are never pressed: under Wine a forced power-off ends every process
of the prefix, and the others do nothing that can be seen. Stand-by is: Wine
reports no stand-by sleep state, so the program says so."""
import contextlib
import time

from support.case import (EDITOR_CAPTION, MAIN_CAPTION, WINDOW_DEADLINE, CaseFailure, registry,
                          tasks_file, utf16_file)
from support.drive import (ADD, MOD_ALT, MOD_CONTROL, VK_CONTROL, VK_MENU, add_target,
                           ctrl_alt_text, grid_rows, press, show_main_window, start_with_hotkeys,
                           target_records, visible_windows, wait_records)

CASES, case = registry()


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
    # Text in another letter case reads as the same hotkey, and runs too.
    wait_records(t, 3, "the three matching rows to run")
    # Rows are run in one go; a later press shows the first has ended.
    press(t, "ctrl+alt+m")
    records = wait_records(t, 4, "the sentinel row to run")
    words = [r["cmdline"].rsplit(" ", 1)[-1] for r in records]
    t.expect(words == ["first", "lowercase", "second", "sentinel"],
             "started %s, want first, lowercase, second, sentinel" % words)
    t.expect([r["show"] for r in records] == ["1", "1", "0", "3"],
             "show codes %s" % [r["show"] for r in records])
    t.close(program)


# The fixed programs come from the system folder, so these cases run the
# prefix's own Notepad (window class "Notepad") and close it again.

def notepad_pids(t):
    return {pid for pid, cls, _ in visible_windows(t) if cls == "Notepad"}


@contextlib.contextmanager
def closing_notepads(t):
    """Makes sure no Notepad is open before the case, and none after it: the
    case's close row ends them, and a failing case leaves none either."""
    t.expect(not notepad_pids(t), "a Notepad is open before the case")
    try:
        yield
        press(t, "ctrl+alt+k")
        t.wait_until(lambda: not notepad_pids(t), "the close row to end Notepad")
    finally:
        for pid in notepad_pids(t):
            t.session.wine("taskkill", "/f", "/pid", str(pid))


@case
def fixed_program_holds_the_next_row_a_moment_at_most(t):
    # The next row minimizes every window: Notepad's only if it was ready
    # within the moment its start waits (under Wine it takes longer), the
    # test window's in any case.
    show_test_window(t, "Keyvane test window")
    combo = ctrl_alt_text(t, "N")
    program = start_with_hotkeys(t, tasks_file(
        ("Run Notepad", combo, "", "Normal"),
        ("Minimize/Maximaze all windows", combo, "", "Normal"),
        ("Close selected program...", ctrl_alt_text(t, "K"), "notepad.exe", "Normal")))
    with closing_notepads(t):
        press(t, "ctrl+alt+n")
        wait_window_state(t, 2, "minimized", "the next row to minimize the test window")
        t.wait_until(lambda: notepad_pids(t), "Notepad to show its window")
    t.close(program)


@case
def fixed_program_planted_beside_keyvane_does_not_run(t):
    # A search for the bare name would look in the program's own folder first.
    add_target(t, "notepad.exe")
    combo = ctrl_alt_text(t, "N")
    program = start_with_hotkeys(t, tasks_file(
        ("Run Notepad", combo, "", "Normal"),
        ("Run selected program...", combo, add_target(t) + " after-notepad", "Normal"),
        ("Close selected program...", ctrl_alt_text(t, "K"), "notepad.exe", "Normal")))
    with closing_notepads(t):
        press(t, "ctrl+alt+n")
        wait_records(t, 1, "the row after Run Notepad to run")
        planted = target_records(t, "notepad")
        t.expect(not planted, "the planted notepad.exe ran: %s" % [r["cmdline"] for r in planted])
        pids = t.wait_until(lambda: notepad_pids(t), "the system's Notepad to show its window")
        t.expect(program.pid not in pids, "the Notepad window belongs to keyvane.exe")
    t.close(program)


@case
def run_selected_program_starts_in_its_own_folder(t):
    # Keyvane runs in the runner's working folder, not the program's.
    target = add_target(t, folder="tools")
    program = start_with_hotkeys(t, tasks_file(
        ("Run selected program...", ctrl_alt_text(t, "N"), target + " in-tools", "Normal")))
    press(t, "ctrl+alt+n")
    record = wait_records(t, 1, "the program to start", folder="tools")[0]
    want = t.win_dir + "\\tools"
    t.expect(record["cwd"].rstrip("\\").lower() == want.lower(),
             "the program started in %r, want %r" % (record["cwd"], want))
    t.close(program)


@case
def close_selected_program_ends_every_copy(t):
    add_target(t)
    add_target(t, "kvother.exe")
    copies = [t.spawn(t.win_dir + "\\kvtarget.exe", "--stay") for _ in range(2)]
    other = t.spawn(t.win_dir + "\\kvother.exe", "--stay")
    wait_records(t, 2, "two copies of the target to run")
    wait_records(t, 1, "the other program to run", base="kvother")
    combo = ctrl_alt_text(t, "N")
    # Parameters after the program name, and another letter case.
    program = start_with_hotkeys(t, tasks_file(
        ("Close selected program...", combo, t.win_dir + "\\KvTarget.EXE --ignored", "Normal")))
    press(t, "ctrl+alt+n")
    for copy in copies:
        t.expect_ends(copy, "a copy of the target is still running after the press")
    t.expect(other.poll() is None, "a program of another name was closed too")
    t.expect(program.proc.poll() is None, "keyvane.exe ended")
    t.close(program)


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
def program_that_cannot_start_is_told_without_a_box(t):
    # The shell's own error box was a message loop inside the press, owned
    # by a hidden window; the failure is told in a balloon of the tray icon.
    target = add_target(t)
    program = start_with_hotkeys(t, tasks_file(
        ("Run selected program...", ctrl_alt_text(t, "N"), t.win_dir + "\\gone.exe", "Normal"),
        ("Run selected program...", ctrl_alt_text(t, "M"), target + " after", "Normal")))

    def balloon():
        return any(cls == "tooltips_class32" and pid != program.pid
                   for pid, cls, _ in visible_windows(t))
    t.expect(not balloon(), "a balloon shows before the press")
    press(t, "ctrl+alt+n")
    press(t, "ctrl+alt+m")
    # The later press ran after the failed one had returned.
    wait_records(t, 1, "the later hotkey's program to start")
    boxes = [w for w in visible_windows(t) if w[1] == "#32770"]
    t.expect(not boxes, "a box opened: %r" % boxes)
    t.wait_until(balloon, "the tray icon's balloon")
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
    copy = t.spawn(t.win_dir + "\\kv target.exe", "--stay")
    wait_records(t, 2, "a running copy of the quoted program", base="kv target")
    press(t, "ctrl+alt+k")
    t.expect_ends(copy, "the quoted program is still running after the close press")
    t.close(program)


@case
def hotkey_held_elsewhere_is_not_registered(t):
    target = add_target(t)
    t.spawn(t.win_dir + "\\kvtarget.exe", "--hold", str(MOD_CONTROL | MOD_ALT), str(ord("H")))
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


@case
def keypad_keys_run_the_rows_that_name_them(t):
    # The main block's "/" and the keypad's are two keys the system names
    # alike without the extended flag; Enter and the keypad's Enter are one
    # virtual key, so either press runs the keypad's row.
    target = add_target(t)

    def text(vk, *extended):
        ctrl, alt, name = t.driver(["keyname", VK_CONTROL], ["keyname", VK_MENU],
                                   ["keyname", vk, *extended])
        return "%s+%s+%s" % (ctrl, alt, name)

    program = start_with_hotkeys(t, tasks_file(
        ("Run selected program...", text(0xBF), target + " main-slash", "Normal"),
        ("Run selected program...", text(0x6F, "extended"), target + " keypad-slash", "Normal"),
        ("Run selected program...", text(0x0D, "extended"), target + " keypad-enter", "Normal")))
    for count, combo in enumerate(["ctrl+alt+191", "ctrl+alt+111", "ctrl+alt+13"], 1):
        press(t, combo)
        wait_records(t, count, "the row of %s to run" % combo)
    words = [r["cmdline"].rsplit(" ", 1)[-1] for r in target_records(t)]
    t.expect(words == ["main-slash", "keypad-slash", "keypad-enter"], "started %s" % words)
    t.close(program)


@case
def stand_by_the_computer_lacks_is_told(t):
    # Wine reports neither S3 nor the modern standby: the refusal stays.
    box = "#32770|Keyvane"
    program = start_with_hotkeys(t, tasks_file(
        ("Stand by computer", ctrl_alt_text(t, "S"), "", "Normal")))
    press(t, "ctrl+alt+s")
    t.find_window(box)
    text = " ".join(line.split("\t", 2)[-1] for line in t.driver(["children", box]))
    t.expect("Stand by is not possible" in text and "(S3)" in text, "the message says %r" % text)
    t.driver(["command", box, 1])  # OK
    t.wait_until(lambda: not any(cls == "#32770" for _, cls, _ in visible_windows(t)),
                 "the message to close")
    t.close(program)


# The CD tray, minimize-all and log-off; a test window records its states.

WINDOW_STATES = "kvwindow.txt"


def window_states(t):
    return (t.read_file(t.path(WINDOW_STATES)) or b"").decode("utf-8", "replace").split()


def wait_window_state(t, count, state, what, timeout=WINDOW_DEADLINE):
    """Waits until the test window has recorded count states, the last one state."""
    t.wait_until(lambda: len(window_states(t)) >= count, what, timeout)
    states = window_states(t)
    t.expect(len(states) == count and states[-1] == state,
             "the test window went through %s, want %d states ending in %s"
             % (states, count, state))


def show_test_window(t, caption):
    """Starts the test window, which records each of its states in a file."""
    t.spawn("C:\\e2e\\kvwindow.exe", t.win_dir + "\\" + WINDOW_STATES, caption)
    wait_window_state(t, 1, "shown", "the test window to show")


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
    show_test_window(t, "Keyvane test window")
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
    show_test_window(t, "Keyvane soak window")
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


@case
def alt_of_the_field_mnemonic_is_released_for_the_system(t):
    # Alt+H from the Action box puts the focus in the hotkey field with Alt
    # down: the field took Alt's release, and the system kept Alt held.
    hotkey, action = 1004, 1005
    program = start_with_hotkeys(t, tasks_file(("Run Calc", ctrl_alt_text(t, "K"), "", "Normal")))
    show_main_window(t)
    t.driver(["click", MAIN_CAPTION, ADD])
    t.wait_shown(EDITOR_CAPTION, "the editor to open")

    def wait_focus(control, what):
        t.wait_until(lambda: t.driver(["focus", EDITOR_CAPTION])[0] == "focus %d" % control, what)
    wait_focus(hotkey, "the focus in the hotkey field")
    press(t, "0x9")  # Tab
    wait_focus(action, "Tab to move the focus to the Action box")
    t.driver(["keydown", "alt"], ["keys", "h"])
    wait_focus(hotkey, "Alt+H to move the focus to the hotkey field")
    # Alt still held: the field takes the key with it.
    press(t, "f5")
    alt_f5 = "%s+%s" % tuple(t.driver(["keyname", VK_MENU], ["keyname", 0x74]))
    t.wait_until(lambda: t.driver(["text", EDITOR_CAPTION, hotkey])[0] == alt_f5,
                 "the field to take %s" % alt_f5)
    t.driver(["keyup", "alt"])
    t.expect(t.driver(["keystate", "alt"])[0] == "down 0",
             "the system still holds Alt after its release in the hotkey field")
    # Alt pressed in the field is taken whole, and leaves nothing held either.
    press(t, "alt+f6")
    t.wait_until(lambda: t.driver(["text", EDITOR_CAPTION, hotkey])[0].endswith(
        t.driver(["keyname", 0x75])[0]), "the field to take Alt+F6")
    t.expect(t.driver(["keystate", "alt"])[0] == "down 0", "the system holds Alt after Alt+F6")
    t.close(program)


@case
def alt_f4_in_the_hotkey_field_closes_the_editor_and_is_not_taken(t):
    # Alt+F4 belongs to Windows in every program: pressed in the field it
    # closes the editor, as it does elsewhere, and leaves Alt released.
    hotkey = 1004
    program = start_with_hotkeys(t, tasks_file(("Run Calc", ctrl_alt_text(t, "K"), "", "Normal")))
    show_main_window(t)
    rows = grid_rows(t)
    t.driver(["click", MAIN_CAPTION, ADD])
    t.wait_shown(EDITOR_CAPTION, "the editor to open")
    t.wait_until(lambda: t.driver(["focus", EDITOR_CAPTION])[0] == "focus %d" % hotkey,
                 "the focus in the hotkey field")
    press(t, "ctrl+alt+j")
    t.wait_until(lambda: t.driver(["text", EDITOR_CAPTION, hotkey])[0] == ctrl_alt_text(t, "J"),
                 "the field to take Ctrl+Alt+J")
    press(t, "alt+f4")
    t.wait_shown(EDITOR_CAPTION, "Alt+F4 in the hotkey field to close the editor", shown=False)
    t.expect(t.driver(["keystate", "alt"])[0] == "down 0", "the system holds Alt after Alt+F4")
    t.expect(grid_rows(t) == rows, "the editor closed by Alt+F4 added a task")
    t.close(program)


# Under Wine the log-off ends every process of the prefix; it runs last.
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


log_off_hotkey_ends_session_and_saves_tasks.ends_session = True
