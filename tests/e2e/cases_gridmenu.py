"""The grid's right-click menu and files dropped on the main window: Run now
tries a task without leaving the window, a dropped shortcut becomes a new
task in the editor."""
from support.case import EDITOR_CAPTION, MAIN_CAPTION, registry, utf16_list
from support.drive import (GRID, add_target, ctrl_alt_text, grid_rows, shot, show_main_window,
                           start_with_hotkeys, target_records, visible_windows, wait_records)

CASES, case = registry()

WM_KEYDOWN, VK_RETURN, VK_ESCAPE, VK_HOME, VK_DOWN, VK_APPS = 0x0100, 0x0D, 0x1B, 0x24, 0x28, 0x5D
EDITOR_ACTION, EDITOR_DEST = 1005, 1006
CB_GETCURSEL = 0x0147
RUN_SELECTED_PROGRAM = 10


def menu_shown(t):
    return any(cls == "#32768" for _, cls, _ in visible_windows(t))


def pick(t, *keys):
    """Keys to the open menu, which reads its thread's whole queue."""
    for key in keys:
        t.driver(["post", "#32768|", WM_KEYDOWN, key])
    t.wait_until(lambda: not menu_shown(t), "the menu to close")


@case
def run_now_from_the_grid_menu_runs_a_disabled_task_once(t):
    target = add_target(t)
    rows = ["1,Run Calc,%s,,Normal,0,True" % ctrl_alt_text(t, "C"),
            "2,Run selected program...,%s,%s tried,Normal,0,False" % (ctrl_alt_text(t, "R"), target)]
    try:
        for scale, dpi in (("150", 144), ("100", 96)):
            t.session.reg_add("HKCU\\Control Panel\\Desktop", "LogPixels", "REG_DWORD", str(dpi))
            program = start_with_hotkeys(t, utf16_list(*rows))
            show_main_window(t)
            # A right click on the second row opens its menu there: "Enable",
            # as the task is off, and "Edit" in bold.
            t.driver(["lvrclick", MAIN_CAPTION, GRID, 1, 3])
            t.wait_until(lambda: menu_shown(t), "the grid's menu to open at %s%%" % scale)
            shot(t, "grid-menu-%s" % scale)
            if scale == "150":
                pick(t, VK_ESCAPE)
                t.close(program)
    finally:
        t.session.reg_add("HKCU\\Control Panel\\Desktop", "LogPixels", "REG_DWORD", "96")
    t.expect(not target_records(t), "the menu ran something before an item was chosen")
    pick(t, VK_HOME, VK_DOWN, VK_RETURN)  # "Run now"
    record = wait_records(t, 1, "Run now to start the task's program")[0]
    t.expect(record["cmdline"].endswith(" tried"), "wrong program: %r" % record["cmdline"])
    t.expect(t.read_tasks() == utf16_list(*rows), "Run now changed the task list")
    # Shift+F10 or the menu key (a context menu without a point): at the
    # current row, the one right-clicked.
    t.driver(["keys", "shift+f10"])
    t.wait_until(lambda: menu_shown(t), "the menu to open from the keyboard")
    shot(t, "grid-menu-keyboard")
    pick(t, VK_ESCAPE)
    t.expect(len(target_records(t)) == 1, "the task ran more than once")
    # The menu key, once: "Enable" switches the task on and saves.
    t.driver(["keys", VK_APPS])
    t.wait_until(lambda: menu_shown(t), "the menu key to open the menu")
    pick(t, VK_HOME, VK_DOWN, VK_DOWN, VK_RETURN)
    t.wait_until(lambda: t.read_tasks().decode("utf-16").rstrip().endswith(",True"),
                 "the task enabled in the file")
    t.driver(["settle"])
    t.expect(not menu_shown(t), "one press of the menu key opened the menu twice")
    t.close(program)


@case
def dropped_shortcut_fills_the_editor_and_its_task_runs(t):
    target = add_target(t, folder="Tools Folder")
    shortcut = t.win_dir + "\\Tool.lnk"
    t.driver(["shortcut", shortcut, target, "--from-shortcut"])
    program = start_with_hotkeys(t, utf16_list())
    show_main_window(t)
    t.driver(["drop", MAIN_CAPTION, shortcut])
    t.wait_shown(EDITOR_CAPTION, "the editor to open for the dropped shortcut")
    shot(t, "editor-dropped-shortcut")
    dest = t.driver(["text", EDITOR_CAPTION, EDITOR_DEST])[0]
    t.expect(dest == target + " --from-shortcut", "the destination is %r" % dest)
    action = t.driver(["childsend", EDITOR_CAPTION, EDITOR_ACTION, CB_GETCURSEL])[0]
    t.expect(action == "result %d" % RUN_SELECTED_PROGRAM, "the action is %s" % action)
    # Not the shortcut's "Maximized": Wine's link object reads back "Normal"
    # for a file that holds 3 (the unit tests cover the mapping).
    t.driver(["click", EDITOR_CAPTION, 1])  # OK
    t.wait_shown(EDITOR_CAPTION, "the editor to close", shown=False)
    t.wait_until(lambda: len(grid_rows(t)) == 1, "the new task in the grid")
    # The new task runs what the shortcut ran.
    t.driver(["lvselect", MAIN_CAPTION, GRID, "0"])
    t.driver(["command", MAIN_CAPTION, 40051])  # the grid menu's "Run now"
    record = wait_records(t, 1, "the dropped shortcut's task to run", folder="Tools Folder")[0]
    t.expect(record["cmdline"].endswith("--from-shortcut"), "ran %r" % record["cmdline"])
    t.close(program)
