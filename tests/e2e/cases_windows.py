"""The main window, the task editor and the tray icon, driven as a user
would: tray clicks, buttons, the grid and the editor's fields."""
import subprocess

from support.case import (EDITOR_CAPTION, EXIT_DEADLINE, MAIN_CAPTION, ascii_file, registry,
                          tasks_file, utf16_list)
from support.drive import (ADD, DELETE, DELETE_ALL, EDIT, FILTER, GRID, GRID_ENABLED_COLUMN,
                           MENU_EXIT1, MOD_ALT, MOD_CONTROL, MOVE_UP, TRAY_PAUSE, UNDO, add_target,
                           ctrl_alt_text, grid_rows, grid_state, press, show_main_window, shot,
                           start_with_hotkeys, target_records, visible_windows, wait_records,
                           window_layout)

CASES, case = registry()

EDITOR_HOTKEY, EDITOR_ACTION, EDITOR_DEST, EDITOR_OK, EDITOR_WARNING = 1004, 1005, 1006, 1, 1013
HKM_SETHOTKEY, CB_SETCURSEL = 0x0401, 0x014E
HOTKEYF_CONTROL, HOTKEYF_ALT = 0x02, 0x04
WM_SYSCOMMAND, SC_CLOSE, SC_KEYMENU = 0x0112, 0xF060, 0xF100

@case
def editor_adds_and_edits_tasks_whose_hotkeys_work_at_once(t):
    target = add_target(t)
    # More rows than the grid shows at once, the first one selected.
    notes = ["%d,Note %d,,,Normal,0,False" % (n, n) for n in range(2, 41)]
    program = start_with_hotkeys(t, utf16_list("1,Run Notepad,,,Normal,0,False", *notes))
    show_main_window(t)
    t.driver(["lvselect", MAIN_CAPTION, GRID, "0"])
    shot(t, "main-window")
    t.driver(["click", MAIN_CAPTION, ADD])
    t.wait_shown(EDITOR_CAPTION, "the editor to open")
    t.driver(["childsend", EDITOR_CAPTION, EDITOR_HOTKEY, HKM_SETHOTKEY,
              ord("K") | (HOTKEYF_CONTROL | HOTKEYF_ALT) << 8],
             ["childsend", EDITOR_CAPTION, EDITOR_ACTION, CB_SETCURSEL, 10],
             ["settext", EDITOR_CAPTION, EDITOR_DEST, target + " added"])
    shot(t, "editor")
    t.driver(["click", EDITOR_CAPTION, EDITOR_OK])
    t.wait_for_tasks(utf16_list("1,Run Notepad,,,Normal,0,False", *notes,
                                # saved before the icons are renumbered
                                "41,Run selected program...,%s,%s added,Normal,0,True"
                                % (ctrl_alt_text(t, "K"), target)),
                     "the added task in the file")
    t.wait_shown(EDITOR_CAPTION, "the editor to close", shown=False)
    # The new task is the selected row, scrolled into sight.
    grid = grid_state(t)
    t.expect(grid["focused"] == 40 and grid["selected"] == [40]
             and grid["top"] <= 40 < grid["top"] + grid["perpage"],
             "after Add the grid shows %s, not the new row 40" % grid)
    press(t, "ctrl+alt+k")
    record = wait_records(t, 1, "the new task's program to start")[0]
    t.expect(record["cmdline"].endswith(" added"), "wrong program: %r" % record["cmdline"])
    rows = grid_rows(t)
    t.expect(len(rows) == 41 and rows[40][2] == "Run selected program...",
             "the grid does not show the new task: %r" % rows)
    # Edit the first row in place: a new hotkey and action; it stays disabled.
    t.driver(["lvselect", MAIN_CAPTION, GRID, "0"], ["click", MAIN_CAPTION, EDIT])
    t.wait_shown(EDITOR_CAPTION, "the editor to open for Edit")
    t.driver(["childsend", EDITOR_CAPTION, EDITOR_HOTKEY, HKM_SETHOTKEY,
              ord("J") | (HOTKEYF_CONTROL | HOTKEYF_ALT) << 8],
             ["childsend", EDITOR_CAPTION, EDITOR_ACTION, CB_SETCURSEL, 2],
             ["click", EDITOR_CAPTION, EDITOR_OK])
    t.wait_for_tasks(utf16_list("1,Run Calc,%s,,Normal,0,False" % ctrl_alt_text(t, "J"), *notes,
                                "41,Run selected program...,%s,%s added,Normal,1,True"
                                % (ctrl_alt_text(t, "K"), target)),
                     "the edited task in the file")
    # The main menu's Exit ends at once without the close handlers; the
    # destroy step still saves.
    t.close(program, by=["command", MAIN_CAPTION, 40001])
    t.expect(t.read_file(t.path("data", "w_size.cnfg")) is not None, "no window size kept at exit")


@case
def a_maximized_window_kept_while_starting_hidden_comes_back_maximized(t):
    t.write_options(tray_only=True)
    with open(t.path("data", "w_size.cnfg"), "wb") as f:
        f.write(ascii_file("700", "500", "2", "30", "30"))
    program = start_with_hotkeys(t, utf16_list("1,Run Notepad,,,Normal,0,True"))

    def state():
        return t.read_file(t.path("data", "w_size.cnfg")).decode("ascii").split("\r\n")[2]
    # The start's save keeps the maximize the hidden window is still to show.
    t.expect(state() == "2", "the start saved the window state %r" % state())
    show_main_window(t)
    t.expect(window_layout(t, MAIN_CAPTION)[2], "the first tray click showed a window not maximized")
    t.close(program)
    t.expect(state() == "2", "the exit saved the window state %r" % state())


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
    holder = t.spawn(t.win_dir + "\\kvtarget.exe", "--hold", str(MOD_CONTROL | MOD_ALT),
                     str(ord("1")))
    held = wait_records(t, 1, "another program to take the freed hotkey")
    t.expect(held[0].get("held") == "1", "the deleted task's hotkey is still taken")
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


def editor_text(t, control):
    return "\n".join(t.driver(["text", EDITOR_CAPTION, control]))


def wait_capture(t, keys, field, warning, what):
    press(t, keys)
    t.wait_until(lambda: (editor_text(t, EDITOR_HOTKEY), editor_text(t, EDITOR_WARNING))
                 == (field, warning), what)


@case
def hotkey_field_captures_held_and_win_combinations_and_refuses_a_bare_letter(t):
    target = add_target(t)
    first = "1,Run selected program...,%s,%s first,Normal,0,True" % (ctrl_alt_text(t, "K"), target)
    holder = t.spawn(t.win_dir + "\\kvtarget.exe", "--hold", str(MOD_CONTROL | MOD_ALT),
                     str(ord("H")))
    t.expect(wait_records(t, 1, "another program to take Ctrl+Alt+H")[0].get("held") == "1",
             "the other program could not take Ctrl+Alt+H")
    program = start_with_hotkeys(t, utf16_list(first))
    show_main_window(t)
    t.driver(["click", MAIN_CAPTION, ADD])
    t.wait_shown(EDITOR_CAPTION, "the editor to open")
    t.expect(editor_text(t, EDITOR_HOTKEY) == "None", "the field is not empty")
    wait_capture(t, "n", "None", "Not taken: N is needed for typing; add Ctrl, Alt or Win",
                 "the bare letter refused")
    shot(t, "editor-refused")
    t.driver(["click", EDITOR_CAPTION, EDITOR_OK])
    t.wait_for_tasks(utf16_list(first, "2,Run My Computer,,,Normal,0,True"),
                     "the new task saved without the bare letter")
    # Edit it: a combination another program holds reaches the field only.
    t.driver(["lvselect", MAIN_CAPTION, GRID, "1"], ["click", MAIN_CAPTION, EDIT])
    t.wait_shown(EDITOR_CAPTION, "the editor to open for Edit")
    wait_capture(t, "ctrl+alt+h", ctrl_alt_text(t, "H"),
                 "This hotkey is in use by another program", "the held combination captured")
    wait_capture(t, "ctrl+alt+k", ctrl_alt_text(t, "K"), "Task 1 uses this hotkey too",
                 "the first task's combination captured")
    win_j = "Win+" + t.driver(["keyname", ord("J")])[0]
    wait_capture(t, "win+j", win_j, "", "the Win combination captured")
    shot(t, "editor-win")
    t.driver(["childsend", EDITOR_CAPTION, EDITOR_ACTION, CB_SETCURSEL, 10],
             ["settext", EDITOR_CAPTION, EDITOR_DEST, target + " win"],
             ["click", EDITOR_CAPTION, EDITOR_OK])
    t.wait_for_tasks(utf16_list(first, "2,Run selected program...,%s,%s win,Normal,1,True"
                                % (win_j, target)), "the Win hotkey in the file")
    t.wait_shown(EDITOR_CAPTION, "the editor to close", shown=False)
    press(t, "win+j")
    t.wait_until(lambda: any(r.get("cmdline", "").endswith(" win") for r in target_records(t)),
                 "the Win hotkey's task to run")
    t.expect(not any("pressed" in r["lines"] for r in target_records(t)),
             "the program holding Ctrl+Alt+H received it while the field captured it")
    holder.kill()
    t.close(program)


@case
def filter_shows_matching_rows_and_delete_takes_only_those(t):
    rows = ["%d,Run Calc,,%s,Normal,0,True" % (i + 1, dest) for i, dest in
            enumerate(["alpha", "Ärger beta", "gamma", "ÄRGER delta", "epsilon"])]
    program = start_with_hotkeys(t, utf16_list(*rows))
    show_main_window(t)
    t.driver(["lvselect", MAIN_CAPTION, GRID, "0,2"])  # hidden by the filter below
    t.driver(["settext", MAIN_CAPTION, FILTER, "ärger"])
    t.wait_until(lambda: [r[4] for r in grid_rows(t)] == ["Ärger beta", "ÄRGER delta"],
                 "the grid to show the two matching rows")
    shot(t, "main-window-filtered")
    t.driver(["lvselect", MAIN_CAPTION, GRID, "1"], ["click", MAIN_CAPTION, DELETE])
    t.wait_until(lambda: [r[4] for r in grid_rows(t)] == ["Ärger beta"],
                 "the deleted row gone from the filtered grid")
    t.driver(["settext", MAIN_CAPTION, FILTER, ""])
    t.wait_until(lambda: len(grid_rows(t)) == 4, "every row back once the filter is cleared")
    # Each row keeps the icon number the start gave it (its row then).
    want = [rows[i].replace(",Normal,0,", ",Normal,%d," % i) for i in (0, 1, 2, 4)]
    want[3] = want[3].replace("5,", "4,", 1)
    t.wait_for_tasks(utf16_list(*want), "only the visible selected row deleted")
    t.close(program)


@case
def undo_brings_back_what_delete_all_removed(t):
    target = add_target(t)
    rows = ["1,Run selected program...,%s,%s undone,Normal,0,True" % (ctrl_alt_text(t, "U"), target),
            "2,Run Calc,%s,,Normal,0,False" % ctrl_alt_text(t, "V")]
    program = start_with_hotkeys(t, utf16_list(*rows))
    show_main_window(t)
    # A move saves the table as the program keeps it; Delete All empties it.
    t.driver(["lvselect", MAIN_CAPTION, GRID, "1"], ["click", MAIN_CAPTION, MOVE_UP])
    t.wait_until(lambda: t.read_tasks() != utf16_list(*rows), "the move to be saved")
    kept = t.read_tasks()
    t.driver(["click", MAIN_CAPTION, DELETE_ALL])
    t.wait_for_tasks(b"\xff\xfe", "the empty list in the file")
    # The Edit menu, opened from the keyboard, names what it undoes.
    t.driver(["post", MAIN_CAPTION, WM_SYSCOMMAND, SC_KEYMENU, ord("e")])
    t.wait_until(lambda: tray_menu_shown(t), "the Edit menu to open")
    shot(t, "edit-menu-undo-delete-all")
    t.driver(["post", "#32768|", 0x0100, 0x1B])  # WM_KEYDOWN, Escape
    t.wait_until(lambda: not tray_menu_shown(t), "the Edit menu to close")
    t.driver(["command", MAIN_CAPTION, UNDO])
    t.wait_for_tasks(kept, "Undo to bring back the same bytes")
    t.expect(len(grid_rows(t)) == 2, "the grid does not show the rows back")
    press(t, "ctrl+alt+u")
    wait_records(t, 1, "the hotkey of the row brought back to run")
    # Ctrl+Y from the keyboard: the main window's accelerator table.
    press(t, "ctrl+y")
    t.wait_for_tasks(b"\xff\xfe", "Ctrl+Y to empty the list again")
    t.close(program)


def tray_menu_shown(t):
    return any(cls == "#32768" for _, cls, _ in visible_windows(t))


@case
def tray_menu_title_bar_close_and_second_start(t):
    target = add_target(t)
    data = utf16_list("1,Run selected program...,%s,%s hidden,Normal,0,True"
                      % (ctrl_alt_text(t, "G"), target))
    program = start_with_hotkeys(t, data)
    # The right button opens the tray menu; Escape closes it, doing nothing.
    t.driver(["tray", MAIN_CAPTION, 516])
    t.wait_until(lambda: tray_menu_shown(t), "the tray menu to open")
    shot(t, "tray-menu")
    t.driver(["post", "#32768|", 0x0100, 0x1B])  # WM_KEYDOWN, Escape
    t.wait_until(lambda: not tray_menu_shown(t), "the tray menu to close")
    t.expect(not t.find_window(MAIN_CAPTION)[2], "the tray menu showed the main window")
    # The title bar's close hides the window; the program stays.
    show_main_window(t)
    t.driver(["post", MAIN_CAPTION, WM_SYSCOMMAND, SC_CLOSE])
    t.wait_shown(MAIN_CAPTION, "the main window to hide", shown=False)
    t.expect(program.proc.poll() is None, "the title bar's close ended the program")
    press(t, "ctrl+alt+g")
    wait_records(t, 1, "the hotkey to act while the window is hidden")
    # A second start in the same folder shows the first one and ends.
    second = t.session.spawn(t.win_dir + "\\keyvane.exe")
    t.expect_ends(second, "the second start is still running", timeout=EXIT_DEADLINE)
    t.wait_shown(MAIN_CAPTION, "the first copy to show its window")
    # The tray menu's Exit ends the program through its close path.
    t.close(program, by=["command", MAIN_CAPTION, MENU_EXIT1])
    t.expect_tasks(data, "after the tray's Exit")


@case
def paused_hotkey_does_not_fire_until_resumed(t):
    target = add_target(t)
    program = start_with_hotkeys(t, tasks_file(
        ("Run selected program...", ctrl_alt_text(t, "P"), target + " paused-row", "Normal")))
    t.driver(["command", MAIN_CAPTION, TRAY_PAUSE])
    press(t, "ctrl+alt+p")
    # Given back to the system: another program can take it, and gets it.
    t.spawn(target, "--hold", str(MOD_CONTROL | MOD_ALT), str(ord("P")))
    holder = t.wait_until(lambda: [r for r in target_records(t) if r.get("held") == "1"],
                          "another program to take the paused hotkey")[0]
    # The paused icon and the ticked item, in the tray menu.
    t.driver(["tray", MAIN_CAPTION, 516])
    t.wait_until(lambda: tray_menu_shown(t), "the tray menu to open")
    shot(t, "tray-menu-paused")
    t.driver(["post", "#32768|", 0x0100, 0x1B])  # WM_KEYDOWN, Escape
    t.wait_until(lambda: not tray_menu_shown(t), "the tray menu to close")
    press(t, "ctrl+alt+p")
    t.wait_until(lambda: any("pressed" in r["lines"] for r in target_records(t)),
                 "the other program to get the press")
    t.session.wine("taskkill", "/f", "/pid", str(holder["pid"]))
    t.driver(["exited", holder["pid"]])  # its hotkey goes with it
    # The second click takes it again.
    t.driver(["command", MAIN_CAPTION, TRAY_PAUSE])
    press(t, "ctrl+alt+p")
    t.wait_until(lambda: any(r["cmdline"].endswith("paused-row") for r in target_records(t)),
                 "the resumed hotkey to run its task")
    rows = [r for r in target_records(t) if r["cmdline"].endswith("paused-row")]
    t.expect(len(rows) == 1, "the row ran %d times: the paused press ran it too" % len(rows))
    t.close(program)


def desktop_tray_icon_point(t):
    """Where the desktop's notification area draws our icon: the right end
    of the taskbar along the desktop's bottom edge (ours is the only icon
    there), in screen pixels. The taskbar's own window reports no place."""
    width, height = (int(v) for v in t.session.desktop_size.split("x"))
    return width - 10, height - 11


def xdotool(t, *args):
    subprocess.run(["xdotool", *args], env=t.session.env, timeout=30, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


@case
def tray_icon_clicked_and_hotkey_typed_as_a_person_does(t):
    """The road of a physical mouse and keyboard: the X server's pointer
    clicks the icon where the desktop's notification area draws it, and the
    X server's keyboard types the hotkey (no SendInput on either)."""
    if not t.session.desktop:
        return  # without Wine's desktop there is no notification area to click
    target = add_target(t)
    data = utf16_list("1,Run selected program...,%s,%s typed,Normal,0,True"
                      % (ctrl_alt_text(t, "K"), target))
    program = start_with_hotkeys(t, data)
    shot(t, "desktop-tray-icon")
    # The click is at the corner only when ours is the notification area's
    # one icon: those of programs earlier cases killed stay there in a full
    # run, so the window is shown as the other cases show it.
    if t.session.lone_run:
        x, y = desktop_tray_icon_point(t)
        xdotool(t, "mousemove", str(x), str(y), "click", "1")
        t.wait_shown(MAIN_CAPTION, "a click on the tray icon to show the main window")
    else:
        show_main_window(t)
    shot(t, "desktop-main-window")
    xdotool(t, "key", "ctrl+alt+k")
    wait_records(t, 1, "the hotkey typed on the X keyboard to run its task")
    t.driver(["send", MAIN_CAPTION, "WM_COMMAND", TRAY_PAUSE])  # sent: paused once it answers
    shot(t, "desktop-tray-icon-paused")
    t.close(program, by=["command", MAIN_CAPTION, MENU_EXIT1])
