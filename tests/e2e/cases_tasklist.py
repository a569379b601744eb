"""Start-up, shutdown and the task list file: round trips of what the file
may hold, an unreadable list, the data folder, saves at log-off and at a
failed close."""
import os

from support.case import (ABOUT_CAPTION, EDITOR_CAPTION, MAIN_CAPTION, Case, program_text,
                          registry, utf16_file, utf16_list)
from support.drive import (ADD, EDIT, GRID, ctrl_alt_text, grid_rows, shot, show_main_window,
                           start_with_hotkeys)

EDITOR_OK, EDITOR_HOTKEY, EDITOR_ACTION, EDITOR_HOTKEY_LINE = 1, 1004, 1005, 1013
EDITOR_DESTINATION, EDITOR_BROWSE = 1006, 1008
CB_SETCURSEL, CBN_SELCHANGE = 0x014E, 1

CASES, case = registry()


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
def utf8_list_from_an_editor_shows_and_saves_its_characters(t):
    # As an editor's "Save as... UTF-8" writes it: the mark, then UTF-8.
    path = "C:\\Caf\u00e9\\\u041f\u0440\u0438\u0432\u0435\u0442.exe"
    t.write_tasks(b"\xef\xbb\xbf" + ("1,Run selected program...,,%s,Normal,0,True\r\n"
                                      % path).encode("utf-8"))
    program = t.start()
    show_main_window(t)
    rows = grid_rows(t)
    t.expect(rows and path in rows[0], "the grid shows %s" % rows)
    t.close(program)
    t.expect_tasks(utf16_file("1,Run selected program...,,%s,Normal,0,True\r\n" % path),
                   "after close")


@case
def a_hand_edited_action_is_marked_and_the_editor_asks_for_one(t):
    hotkey = ctrl_alt_text(t, "J")
    program = start_with_hotkeys(t, utf16_list("1,Run Calcc,%s,,Normal,0,True" % hotkey))
    show_main_window(t)
    shot(t, "main-unknown-action-100")  # the warning sign in the row's Hotkey cell
    t.driver(["lvselect", MAIN_CAPTION, GRID, "0"], ["click", MAIN_CAPTION, EDIT])
    t.wait_shown(EDITOR_CAPTION, "the editor to open")
    t.driver(["click", EDITOR_CAPTION, EDITOR_OK])
    t.wait_until(lambda: t.driver(["text", EDITOR_CAPTION, EDITOR_HOTKEY_LINE])[0] ==
                 program_text("kChooseActionText"), "OK to ask for an action")
    t.expect(t.find_window(EDITOR_CAPTION)[2], "OK closed the editor without an action")
    t.driver(["childsend", EDITOR_CAPTION, EDITOR_ACTION, CB_SETCURSEL, 2],  # "Run Calc"
             ["click", EDITOR_CAPTION, EDITOR_OK])
    t.wait_shown(EDITOR_CAPTION, "OK to close the editor", shown=False)
    t.wait_until(lambda: (t.read_tasks() or b"").decode("utf-16").startswith(
        "1,Run Calc,%s," % hotkey), "the chosen action to be saved")
    # "Add" after an OK starts without the last hotkey.
    t.driver(["click", MAIN_CAPTION, ADD])
    t.wait_shown(EDITOR_CAPTION, "Add to open the editor")
    t.expect(t.driver(["text", EDITOR_CAPTION, EDITOR_HOTKEY])[0] == "None",
             "Add starts with %s" % t.driver(["text", EDITOR_CAPTION, EDITOR_HOTKEY]))
    # "Power off computer" uses no destination: its box and Browse are greyed.
    t.driver(["childsend", EDITOR_CAPTION, EDITOR_ACTION, CB_SETCURSEL, 5],
             ["send", EDITOR_CAPTION, "WM_COMMAND", (CBN_SELCHANGE << 16) | EDITOR_ACTION])
    t.expect(t.driver(["enabled", EDITOR_CAPTION, EDITOR_DESTINATION],
                      ["enabled", EDITOR_CAPTION, EDITOR_BROWSE]) == ["enabled 0", "enabled 0"],
             "the destination of a power off can be typed in")
    shot(t, "editor-power-off-100")
    t.driver(["close", EDITOR_CAPTION])
    t.wait_shown(EDITOR_CAPTION, "the editor to close", shown=False)
    t.close(program)


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
    text = ("1,Run Calc,,,Normal,0,True,,,extra field\r\n"
            "2,Open CD-Rom\r\n"
            "3,Run Notepad,Control+N,,Hide,7x,False\r\n"
            "4,Log off computer,,,Normal,0,yes\r\n")
    # Written back little-endian; a tenth field is dropped, the damaged
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
def start_without_data_folder_writes_the_list_at_close(t):
    # The folder is made at start, for the lock of the running copy; the
    # list itself comes with the first save.
    program = t.start()
    t.expect(not os.path.exists(t.tasks_path), "task list written at start")
    t.close(program)
    t.expect(not os.path.exists(t.path("data", "keyvane.lock")), "the lock outlived the copy")
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
    window = t.spawn("C:\\e2e\\kvlistview.exe")
    t.find_window("kvlistview")
    rows = t.driver(["listview", "kvlistview", 100])
    want = ["rows 3 columns 3",
            "1\tRun Calc\t",
            "2\tOpen Website...\thttps://example.org/\u00fcber?q=\U0001F600",
            "3\tRun selected program...\tC:\\Pr\u00f6grams\\\u65e5\u672c\\a.exe, \"x\""]
    t.expect(rows == want, "list view read as %r" % rows)
    t.driver(["close", "kvlistview"])
    t.wait_until(lambda: window.poll() is not None, "kvlistview.exe to end")

