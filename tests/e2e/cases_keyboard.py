"""The main window as a keyboard user meets it inside Wine's desktop: keys
typed on the X server's keyboard, the focus kept as Windows programs keep
it, the menu bar's mnemonics, and only commands that can act."""
import subprocess

from support.case import EDITOR_CAPTION, MAIN_CAPTION, program_text, registry
from support.drive import (ADD, DELETE, DELETE_ALL, EDIT, FILTER, GRID, MOVE_DOWN, MOVE_UP,
                           TRAY_PAUSE, grid_rows, show_main_window, shot, visible_windows)

CASES, case = registry()

PAUSED_NOTE = 917  # beside the search box
PAGE_CONTROLS = range(900, 918)


def xkeys(t, *keys):
    subprocess.run(["xdotool", "key", "--delay", "80", *keys], env=t.session.env, timeout=30,
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def focus(t):
    return int(t.driver(["focus", MAIN_CAPTION])[0].split()[1])


def enabled(t, *controls):
    return [t.driver(["enabled", MAIN_CAPTION, c])[0] == "enabled 1" for c in controls]


def menu_shown(t):
    return any(cls == "#32768" for _, cls, _ in visible_windows(t))


@case
def a_keyboard_user_keeps_the_focus_opens_the_menus_and_meets_only_commands_that_act(t):
    if not t.session.desktop:
        return  # the X keyboard reaches the window that Wine's desktop makes active
    t.write_options(tray_only=True)
    program = t.start()
    show_main_window(t)
    t.wait_until(lambda: focus(t) == FILTER, "the search box to have the focus (an empty list)")
    t.expect(enabled(t, EDIT, DELETE, DELETE_ALL, MOVE_DOWN, MOVE_UP) == [False] * 5,
             "commands enabled on an empty list")

    # A task added from the keyboard; the closed editor hands the focus back.
    xkeys(t, "alt+a")
    t.wait_shown(EDITOR_CAPTION, "Alt+A to open the editor")
    xkeys(t, "ctrl+alt+n", "Return")
    t.wait_shown(EDITOR_CAPTION, "Enter to close the editor", shown=False)
    t.wait_until(lambda: len(grid_rows(t)) == 1, "the task to be added")
    t.wait_until(lambda: focus(t) in PAGE_CONTROLS, "a control to have the focus after the editor")
    t.expect(enabled(t, EDIT, DELETE, DELETE_ALL, MOVE_DOWN, MOVE_UP) ==
             [True, True, True, False, False], "the one row selected: Edit, Delete, Delete All")
    # Alt+E is the Edit menu, as in every program, not the Edit button.
    xkeys(t, "alt+e")
    t.wait_until(lambda: menu_shown(t), "Alt+E to open the Edit menu")
    t.expect(not t.find_window(EDITOR_CAPTION)[2], "Alt+E opened the editor")
    shot(t, "keyboard-edit-menu")  # "Undo Add" with its shortcut apart
    xkeys(t, "Escape", "Escape")
    t.wait_until(lambda: not menu_shown(t), "Escape to close the menu")

    before = focus(t)
    xkeys(t, "Tab")
    t.wait_until(lambda: focus(t) in PAGE_CONTROLS and focus(t) != before, "Tab to move the focus")

    # Ctrl+F, then a filter that hides the row; Escape shows it again.
    xkeys(t, "ctrl+f")
    t.wait_until(lambda: focus(t) == FILTER, "Ctrl+F to reach the search box")
    xkeys(t, "z", "z", "z")
    t.wait_until(lambda: grid_rows(t) == [], "the filter to hide the row")
    t.expect(enabled(t, DELETE_ALL) == [False], "Delete All enabled with no row shown")
    shot(t, "keyboard-no-task-matches")
    xkeys(t, "Escape")
    t.wait_until(lambda: len(grid_rows(t)) == 1, "Escape to clear the filter")
    # Ctrl+Z in the grid takes the task back (in the search box it undoes typing).
    xkeys(t, "Tab")
    t.wait_until(lambda: focus(t) == GRID, "Tab to reach the grid from the search box")
    xkeys(t, "ctrl+z")
    t.wait_until(lambda: grid_rows(t) == [], "Ctrl+Z to take the added task back")

    # The window says the hotkeys are paused, as the tray icon does.
    t.driver(["command", MAIN_CAPTION, TRAY_PAUSE])
    note = program_text("kPausedNoteText")
    t.wait_until(lambda: t.driver(["text", MAIN_CAPTION, PAUSED_NOTE])[0] == note,
                 "the window to say the hotkeys are paused")
    shot(t, "keyboard-paused")
    t.driver(["command", MAIN_CAPTION, TRAY_PAUSE])
    t.wait_until(lambda: t.driver(["text", MAIN_CAPTION, PAUSED_NOTE])[0] == "",
                 "the note to go when the hotkeys resume")
    t.close(program)
