"""Options, window geometry, autostart, the import of version 1.2 lists and
the About box; last, pictures of every window at three scales."""
import os
import shutil
import struct
import subprocess

from support.case import (ABOUT_CAPTION, EDITOR_CAPTION, MAIN_CAPTION, CaseFailure, ascii_file,
                          registry, utf16_list)
from support.drive import (ADD, AUTO_START, DELETE, DELETE_ALL, EDIT, GRID, GRID_DESC_COLUMN,
                           IMPORT, MENU_EXIT1, MOD_ALT, MOD_CONTROL, MOVE_DOWN, MOVE_UP, PAGES,
                           SAVE, TRAY_ONLY, add_target, ctrl_alt_text, expect_whole_layout, grid_rows,
                           grid_state,
                           expect_ctrl_alt_goes_elsewhere, press, show_main_window, shot,
                           start_with_hotkeys, visible_windows, wait_records)

CASES, case = registry()

BM_GETCHECK, BM_SETCHECK = 0x00F0, 0x00F1
LVM_GETCOLUMNWIDTH, LVM_SETCOLUMNWIDTH = 0x101D, 0x101E
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
OPEN_DIALOG = "#32770|Open"
FILE_NAME_BOX = 0x47C


def run_value(t):
    return t.session.reg_query(RUN_KEY, "Keyvane")


def visible_message_box(t):
    return any(w[1:] == ("#32770", "Keyvane") for w in visible_windows(t))


@case
def first_start_shows_the_window_and_writes_both_option_files(t):
    t.write_tasks(utf16_list("1,Run Notepad,,,Normal,0,True"), options=False)
    program = t.start()
    t.wait_shown(MAIN_CAPTION, "the main window to show at a first start")
    t.wait_until(lambda: t.read_file(t.path("data", "w_size.cnfg")) is not None,
                 "the option files to be written")
    t.expect(not visible_message_box(t), "a first start showed a message")
    # The designed options and widths: "#" room for five digits, the text
    # columns as designed; the grid holds them as written.
    t.expect(t.read_file(t.path("data", "settings.cnfg")) ==
             ascii_file("-1", "-1", "44", "104", "105", "211", "0"),
             "settings.cnfg: %r" % t.read_file(t.path("data", "settings.cnfg")))
    widths = t.driver(["lvcolumns", MAIN_CAPTION, GRID])[0].split()[1:]
    t.expect(widths[1:5] == ["44", "104", "105", "211"], "the grid's columns: %s" % widths)
    lines = t.read_file(t.path("data", "w_size.cnfg")).decode("ascii").split("\r\n")
    t.expect(int(lines[0]) > 609 and lines[1:3] == ["449", "0"] and lines[5:] == [""],
             "w_size.cnfg: %r" % lines)
    # The first window shows every column, the Enabled box too, with room
    # for the scroll bar of a longer list.
    grid = grid_state(t)
    t.expect(grid["columns"] + 17 <= grid["client"], "the columns are wider than the grid: %s" % grid)
    t.expect(run_value(t) == t.win_dir + "\\keyvane.exe",
             "the Run value is %r" % run_value(t))
    t.close(program)


@case
def saved_options_come_back_and_drive_the_run_value(t):
    folder = t.path("My Tools")
    os.makedirs(os.path.join(folder, "data"))
    shutil.copy2(t.path("keyvane.exe"), os.path.join(folder, "keyvane.exe"))
    exe = t.win_dir + "\\My Tools\\keyvane.exe"
    with open(os.path.join(folder, "data", "settings.cnfg"), "wb") as f:
        f.write(ascii_file("0", "-1", "27", "104", "105", "211"))
    program = t.start(exe="My Tools\\keyvane.exe")
    t.expect(run_value(t) == "", "a cleared option keeps an empty Run value, got %r" % run_value(t))
    show_main_window(t)
    t.driver(["childsend", MAIN_CAPTION, AUTO_START, BM_SETCHECK, 1],
             ["childsend", MAIN_CAPTION, TRAY_ONLY, BM_SETCHECK, 0],
             ["childsend", MAIN_CAPTION, GRID, LVM_SETCOLUMNWIDTH, GRID_DESC_COLUMN, 150],
             ["place", MAIN_CAPTION, 40, 30, 700, 500],
             ["click", MAIN_CAPTION, SAVE])
    settings = os.path.join(folder, "data", "settings.cnfg")
    place = os.path.join(folder, "data", "w_size.cnfg")
    # Save writes the options, then the window's place: wait for both.
    want = (ascii_file("-1", "0", "27", "150", "105", "211", "0"),
            ascii_file("700", "500", "0", "40", "30"))
    try:
        t.wait_until(lambda: (t.read_file(settings), t.read_file(place)) == want,
                     "Save to write the options and the window's place")
    except CaseFailure as e:
        t.fail("%s: %r, %r" % (e, t.read_file(settings), t.read_file(place)))
    # A path with a blank is quoted, so no other program on it starts instead.
    t.expect(run_value(t) == '"%s"' % exe, "the Run value is %r" % run_value(t))
    t.close(program)
    t.expect(t.read_file(place) == want[1], "the exit moved the kept place: %r" % t.read_file(place))

    # The next start shows the window where it was, with the options. The
    # window is shown before the start has moved it there, and a message
    # sent to it may be answered meanwhile: wait for the place itself.
    program = t.start(exe="My Tools\\keyvane.exe")
    t.wait_shown(MAIN_CAPTION, "the main window to show at start")
    def rect():
        return t.driver(["rect", MAIN_CAPTION])[0].split()
    try:
        t.wait_until(lambda: rect() == ["40", "30", "740", "530"], "the window to come back")
    except CaseFailure:
        t.fail("the window came back at %s" % rect())
    checks = t.driver(["childsend", MAIN_CAPTION, AUTO_START, BM_GETCHECK],
                      ["childsend", MAIN_CAPTION, TRAY_ONLY, BM_GETCHECK],
                      ["childsend", MAIN_CAPTION, GRID, LVM_GETCOLUMNWIDTH, GRID_DESC_COLUMN])
    t.expect(checks[:3] == ["result 1", "result 0", "result 150"], "after the restart: %s" % checks)
    # Clearing the option leaves the value there, empty.
    t.driver(["childsend", MAIN_CAPTION, AUTO_START, BM_SETCHECK, 0], ["click", MAIN_CAPTION, SAVE])
    t.wait_until(lambda: run_value(t) == "", "the Run value to empty")
    t.close(program)


PAUSE_FULL_SCREEN = 930  # "Pause while a full-screen program is in front"
SC_MAXIMIZE = 0xF030


@case
def full_screen_pause_is_kept_and_pauses_only_for_a_full_screen_window(t):
    target = add_target(t)
    program = start_with_hotkeys(t, utf16_list(
        "1,Run selected program...,%s,%s,Normal,0,True" % (ctrl_alt_text(t, "K"), target)))
    show_main_window(t)
    t.driver(["tabclick", MAIN_CAPTION, PAGES, 1], ["click", MAIN_CAPTION, PAUSE_FULL_SCREEN],
             ["click", MAIN_CAPTION, SAVE])
    settings = t.path("data", "settings.cnfg")
    t.wait_until(lambda: (t.read_file(settings) or b"").endswith(b"\r\n0\r\n-1\r\n"),
                 "Save to keep the option in the eighth line")
    t.close(program)

    # The next start reads the option back, and its own save keeps it.
    program = t.start()
    show_main_window(t)
    check = t.driver(["childsend", MAIN_CAPTION, PAUSE_FULL_SCREEN, BM_GETCHECK])
    t.expect(check == ["result 1"], "the option after a restart: %s" % check)
    t.expect(t.read_file(settings).endswith(b"\r\n0\r\n-1\r\n"),
             "the start dropped the option: %r" % t.read_file(settings))

    # A maximized window in front is no full-screen program: the task runs.
    states = t.win_dir + "\\maximized.txt"
    t.spawn("C:\\e2e\\kvwindow.exe", states, "Keyvane maximized window")
    t.wait_until(lambda: t.read_file(t.path("maximized.txt")), "the test window to show")
    t.driver(["post", "Keyvane maximized window", "WM_SYSCOMMAND", SC_MAXIMIZE])
    t.wait_until(lambda: b"maximized" in t.read_file(t.path("maximized.txt")),
                 "the test window to be maximized")
    press(t, "ctrl+alt+k")
    wait_records(t, 1, "the task to run with a maximized window in front")
    # A full-screen one pauses the hotkeys: another program can take the
    # combination, and its press is not the task's.
    t.spawn("C:\\e2e\\kvwindow.exe", t.win_dir + "\\full.txt", "Keyvane full screen",
            "fullscreen")
    t.wait_until(lambda: t.read_file(t.path("full.txt")), "the full-screen window to show")
    expect_ctrl_alt_goes_elsewhere(t, "K", 2, "the hotkeys were not paused for the full screen")
    t.close(program)


def version12_list(items):
    """A hotkey list as version 1.2 saved it: a list view in the component
    stream, its items in the "Items.Data" block. Written here field by field;
    the reader under test is the program's."""
    def short(text):
        data = text.encode("cp1252")
        return bytes([len(data)]) + data
    records = b""
    for caption, subitems in items:
        records += struct.pack("<iiiiI", -1, -1, -1, len(subitems), 0) + short(caption)
        records += b"".join(short(s) for s in subitems)
    block = struct.pack("<II", 8 + len(records), len(items)) + records
    return (b"TPF0" + short("TListView") + short("ListView1") +
            short("Left") + b"\x02\x10" +  # an 8-bit integer property, skipped
            short("Items.Data") + b"\x0a" + struct.pack("<I", len(block)) + block +
            b"\x00" + b"\x00")


def import_file(t, path):
    t.driver(["click", MAIN_CAPTION, IMPORT])
    t.wait_shown(OPEN_DIALOG, "the file dialog to open")
    t.driver(["settext", OPEN_DIALOG, FILE_NAME_BOX, path], ["click", OPEN_DIALOG, 1])


def icon_cells(t, rows):
    """The pixels of each row's picture in the grid, as on the screen."""
    path = t.path("grid.png")
    t.driver(["settle"])  # the repaint the eye would see
    t.screenshot(path)
    t.expect(os.path.exists(path), "no screenshot (ImageMagick's import is needed)")
    cells = []
    for row in rows:
        left, top, _, bottom = (int(n) for n in t.driver(["lvcell", MAIN_CAPTION, GRID, row, 0])[0].split())
        number = int(t.driver(["lvcell", MAIN_CAPTION, GRID, row, 1])[0].split()[0])
        # Inside the cell's edges, away from grid lines and focus marks.
        crop = "%dx%d+%d+%d" % (number - left - 6, bottom - top - 6, left + 3, top + 3)
        cells.append(subprocess.run(["convert", path, "-crop", crop, "rgb:-"],
                                    capture_output=True, timeout=30).stdout)
    os.remove(path)
    return cells


@case
def import_appends_a_version12_list_and_a_bad_file_appends_nothing(t):
    target = add_target(t)
    combos = [ctrl_alt_text(t, k) for k in "123"]
    with open(t.path("old.cnfg"), "wb") as f:
        f.write(version12_list([("Run selected program...", [combos[i], "%s imported%d" % (target, i)])
                                for i in range(3)]))
    with open(t.path("notes.cnfg"), "wb") as f:
        f.write(b"These are not hotkeys.\r\n")
    program = start_with_hotkeys(t, utf16_list("1,Run Notepad,,,Normal,0,True"))
    show_main_window(t)
    t.driver(["tabclick", MAIN_CAPTION, PAGES, 1])
    import_file(t, t.win_dir + "\\old.cnfg")
    want = utf16_list("1,Run Notepad,,,Normal,0,True",
                      *["%d,Run selected program...,%s,%s imported%d,Normal,%d,True"
                        % (i + 2, combos[i], target, i, i + 1) for i in range(3)])
    t.wait_for_tasks(want, "the imported tasks in the file")
    press(t, "ctrl+alt+2")
    record = wait_records(t, 1, "an imported task's program to start")[0]
    t.expect(record["cmdline"].endswith("imported1"), "wrong program: %r" % record["cmdline"])
    # A file that is no hotkey list: "Error!", and nothing is appended.
    import_file(t, t.win_dir + "\\notes.cnfg")
    t.wait_until(lambda: visible_message_box(t), "the error message")
    text = " ".join(t.driver(["children", "#32770|Keyvane"]))
    t.expect("Error!" in text, "the message says %r" % text)
    t.driver(["close", "#32770|Keyvane"])
    t.wait_until(lambda: not visible_message_box(t), "the message to close")
    t.wait_for_tasks(want, "the task list after the failed import")
    # The grid draws the imported rows' pictures at once: as a new start does.
    t.driver(["tabclick", MAIN_CAPTION, PAGES, 0], ["lvselect", MAIN_CAPTION, GRID, "0"])
    imported = icon_cells(t, [1, 2, 3])
    t.expect(all(len(set(cell)) > 3 for cell in imported), "an imported row shows no picture")
    t.close(program)
    program = t.start()
    show_main_window(t)
    t.driver(["lvselect", MAIN_CAPTION, GRID, "0"])
    t.expect(icon_cells(t, [1, 2, 3]) == imported,
             "after the import the grid drew other pictures than a new start draws")
    t.close(program)


@case
def about_box_shows_its_texts_and_both_links_reach_the_shell(t):
    target = add_target(t)
    for scheme in ("http", "mailto"):
        t.session.reg_add(r"HKCR\%s\shell\open\command" % scheme, None, "REG_SZ",
                          '"%s" "%%1"' % target)
    program = start_with_hotkeys(t, utf16_list("1,Run Notepad,,,Normal,0,True"))
    t.driver(["command", MAIN_CAPTION, 40004])  # the tray menu's "About..."
    t.wait_shown(ABOUT_CAPTION, "the About box to open")
    shot(t, "about")
    text = " ".join(t.driver(["children", ABOUT_CAPTION]))
    for part in ("Keyvane", "Version 1.4", "Keyvane \u2013 this is a manager hotkeys for Windows. ",
                 "click here to visit our website", "click here to send feedback"):
        t.expect(part in text, "the About box lacks %r: %r" % (part, text))
    t.driver(["click", ABOUT_CAPTION, 1104])
    first = wait_records(t, 1, "the web page to reach the http handler")[0]
    t.expect("http://keyvane.example.org/#hk=1" in first["cmdline"], "got %r" % first["cmdline"])
    t.driver(["click", ABOUT_CAPTION, 1105])
    second = wait_records(t, 2, "the mail to reach the mailto handler")[1]
    t.expect("mailto:" in second["cmdline"] and "subject=Feedback - Keyvane" in second["cmdline"],
             "got %r" % second["cmdline"])
    t.driver(["click", ABOUT_CAPTION, 1])  # OK
    t.wait_window_gone(ABOUT_CAPTION)  # made anew at each opening
    # Modal windows stay single: "About..." again while it is open only
    # brings it to the front, and the tray's "Exit" closes it first, then
    # ends the program through its close path.
    t.driver(["command", MAIN_CAPTION, 40004])
    t.wait_shown(ABOUT_CAPTION, "the About box to open again")
    t.driver(["command", MAIN_CAPTION, 40002])
    abouts = [line for line in t.driver(["list"]) if line.endswith("\t" + ABOUT_CAPTION)]
    t.expect(len(abouts) == 1, "more than one About box: %s" % abouts)
    t.close(program, by=["command", MAIN_CAPTION, MENU_EXIT1])
    t.expect_tasks(utf16_list("1,Run Notepad,,,Normal,0,True"), "after the exit")


@case
def screenshots_of_the_windows(t):
    """Pictures of every window for a person to look at, written into the
    build folder, at 100%, 150% and 200%; at each scale every control lies
    whole inside its window, the six task buttons side by side, and the grid
    shows all its columns, even at the least size the window allows and with
    a size saved at 100%."""
    target = add_target(t)
    t.spawn(t.win_dir + "\\kvtarget.exe", "--hold", str(MOD_CONTROL | MOD_ALT), str(ord("H")))
    try:
        wait_records(t, 1, "another program to take Ctrl+Alt+H")
        data = utf16_list("1,Run Notepad,%s,,Normal,0,True" % ctrl_alt_text(t, "N"),
                          "2,Open Website...,%s,http://example.org,Maximize,0,False"
                          % ctrl_alt_text(t, "W"),
                          "3,Run selected program...,%s,%s,Normal,0,True"
                          % (ctrl_alt_text(t, "H"), target),
                          "4,Reboot computer,ctrl+alt+x,,Normal,0,True",
                          "5,Minimize/Maximaze all windows,%s,,Normal,0,True"
                          % ctrl_alt_text(t, "M"),
                          "6,Hibernate computer,,,Hide,0,True",
                          "7,Type text...,,\"Dear Ann,||Gr\u00fc\u00dfe {|} {braces}|\U0001F44B\",Normal,0,True",
                          "8,Send keys...,,\"Home, Nokey\",Normal,0,True")
        buttons = (ADD, EDIT, DELETE, DELETE_ALL, MOVE_DOWN, MOVE_UP)
        for scale, dpi in (("100", 96), ("150", 144), ("200", 192)):
            t.session.reg_add("HKCU\\Control Panel\\Desktop", "LogPixels", "REG_DWORD", str(dpi))
            # The files keep pixels at 100%, whatever the scale they were
            # saved at: the columns and the window grow with the scale.
            t.write_options(widths=(44, 104, 105, 211))
            settings = t.read_file(t.path("data", "settings.cnfg"))
            with open(t.path("data", "w_size.cnfg"), "wb") as f:
                f.write(ascii_file("609", "449", "0", "20", "20"))
            program = start_with_hotkeys(t, data)
            show_main_window(t)
            widths = t.driver(*[["childsend", MAIN_CAPTION, GRID, LVM_GETCOLUMNWIDTH, c]
                                for c in range(1, 5)])
            scaled = ["result %d" % ((w * dpi + 48) // 96) for w in (44, 104, 105, 211)]
            t.expect(widths == scaled, "the columns at %s%%: %s" % (scale, widths))
            what = "the main window at %s%%" % scale
            expect_whole_layout(t, MAIN_CAPTION, what, apart=buttons)
            # The designed text columns may be wider than the grid: it
            # scrolls sideways, and the buttons stay whole.
            shot(t, "main-hotkeys-%s" % scale)
            t.driver(["tabclick", MAIN_CAPTION, PAGES, 1])
            expect_whole_layout(t, MAIN_CAPTION, "the options page at %s%%" % scale,
                                apart=(IMPORT, SAVE))
            shot(t, "main-options-%s" % scale)
            t.driver(["tabclick", MAIN_CAPTION, PAGES, 0])
            # The least size the window takes still shows every control.
            t.driver(["place", MAIN_CAPTION, 20, 20, 200, 150])
            what = "the smallest main window at %s%%" % scale
            expect_whole_layout(t, MAIN_CAPTION, what, apart=buttons)
            shot(t, "main-smallest-%s" % scale)
            t.driver(["lvselect", MAIN_CAPTION, GRID, "2"], ["click", MAIN_CAPTION, EDIT])
            t.wait_shown(EDITOR_CAPTION, "the editor to open")
            expect_whole_layout(t, EDITOR_CAPTION, "the editor at %s%%" % scale,
                                apart=(1, 2, 1004, 1005, 1006, 1007, 1008))
            shot(t, "editor-%s" % scale)
            t.driver(["close", EDITOR_CAPTION])
            t.wait_shown(EDITOR_CAPTION, "the editor to close", shown=False)
            # The text to type in its multi-line box with the count under it,
            # and the keys field with the line saying the keys are unreadable.
            for row, form, apart in (("6", "text", (1, 2, 1004, 1005, 1022, 1023)),
                                     ("7", "keys", (1, 2, 1004, 1005, 1006, 1024, 1026))):
                t.driver(["lvselect", MAIN_CAPTION, GRID, row], ["click", MAIN_CAPTION, EDIT])
                t.wait_shown(EDITOR_CAPTION, "the editor to open")
                if form == "keys":
                    t.driver(["click", EDITOR_CAPTION, 1])  # OK: the keys cannot be read
                expect_whole_layout(t, EDITOR_CAPTION, "the editor's %s at %s%%" % (form, scale),
                                    apart=apart)
                shot(t, "editor-%s-%s" % (form, scale))
                t.driver(["close", EDITOR_CAPTION])
                t.wait_shown(EDITOR_CAPTION, "the editor to close", shown=False)
            t.driver(["command", MAIN_CAPTION, 40002])  # "Help" > "About..."
            t.wait_shown(ABOUT_CAPTION, "the About box to open")
            expect_whole_layout(t, ABOUT_CAPTION, "the About box at %s%%" % scale,
                                apart=(1, 1101, 1103, 1104, 1105))
            shot(t, "about-%s" % scale)
            t.driver(["close", ABOUT_CAPTION])
            t.wait_window_gone(ABOUT_CAPTION)  # made anew at each opening
            # An empty list says how to begin one.
            t.driver(["click", MAIN_CAPTION, DELETE_ALL])
            t.wait_until(lambda: not grid_rows(t), "Delete All to empty the grid")
            shot(t, "main-empty-%s" % scale)
            t.close(program)
            t.expect(t.read_file(t.path("data", "settings.cnfg")) == settings,
                     "the exit at %s%% changed the stored widths" % scale)
    finally:
        t.session.reg_add("HKCU\\Control Panel\\Desktop", "LogPixels", "REG_DWORD", "96")
