"""Typing for the user: "Type text..." and "Send keys..." reach another
program's standard edit box exactly, with the hotkey still held, and a text
made in the editor comes back whole after a restart."""
from support.case import EDITOR_CAPTION, MAIN_CAPTION, registry, tasks_file, utf16_file
from support.drive import (ADD, EDIT, EDIT_BOX, GRID, box_text, ctrl_alt_text, focus_edit_box,
                           press, shot, show_edit_box, show_main_window, start_with_hotkeys,
                           units_text, wait_box_text, wait_nothing_held)

CASES, case = registry()

BOX_CAPTION = "Keyvane typing target"
VK_HOME, VK_DELETE = 0x24, 0x2E
EDITOR_HOTKEY, EDITOR_ACTION, EDITOR_TEXT = 1004, 1005, 1022  # the text box of "Type text..."
CB_SETCURSEL, CBN_SELCHANGE = 0x014E, 1
TYPE_TEXT_INDEX = 16  # after the sixteen older actions in the Action box
RUN_NOW = 40051  # the grid menu's "Run now"


@case
def a_held_hotkey_types_every_script_into_another_program_and_send_keys_edit_it(t):
    home, delete = t.driver(["keyname", VK_HOME, "extended"], ["keyname", VK_DELETE, "extended"])
    program = start_with_hotkeys(t, tasks_file(
        # The file writes the line break as "|".
        ("Type text...", ctrl_alt_text(t, "Y"), "Grüße 世界 \U0001F44B|Zweite Zeile", "Normal"),
        ("Send keys...", ctrl_alt_text(t, "U"), '"%s, %s"' % (home, delete), "Normal")))
    show_edit_box(t, BOX_CAPTION)
    # The hotkey's letter goes up; the hand stays on Ctrl and Alt for 400 ms.
    # Typed then, the characters would be shortcuts, and a key-up sent for
    # Ctrl or Alt would take them from under the user's fingers.
    try:
        held, typed = t.driver(["keydown", "ctrl"], ["keydown", "alt"], ["keys", "y"],
                               ["pause", 400], ["held"], ["units", BOX_CAPTION, EDIT_BOX],
                               ["keyup", "alt"], ["keyup", "ctrl"])
    except BaseException:
        t.driver(["keyup", "alt"], ["keyup", "ctrl"])  # nothing left held for the next case
        raise
    t.expect({"0x11", "0x12"} <= set(held.split()),
             "Ctrl and Alt were lifted while the user held them: %s" % held)
    t.expect(units_text(typed) == "", "typed while Ctrl and Alt were held: %r"
             % units_text(typed))
    wait_box_text(t, BOX_CAPTION, "Grüße 世界 \U0001F44B\r\nZweite Zeile",
                  "the text and its line break to be typed once Ctrl and Alt are up")
    wait_nothing_held(t, "every key typed to be released")

    # Home, then Delete: the second line loses its first letter.
    press(t, "ctrl+alt+u")
    wait_box_text(t, BOX_CAPTION, "Grüße 世界 \U0001F44B\r\nweite Zeile",
                  "Home, Delete to edit the box")
    wait_nothing_held(t, "Home and Delete to be released")
    t.close(program)


# A web address with "|", a literal "{|}" and "{||}" (what the file's own
# marks look like), a "{" before the line break, a "|" and a "{" at the ends.
ROUND_TRIP = "css?family=Roboto|Open+Sans {|} {||}{\r\n}| x}{ end {"


def type_into_box(t, what, run_now=False):
    t.driver(["settext", BOX_CAPTION, EDIT_BOX, ""])
    if run_now:
        # From Keyvane's own window: the program in front before it gets the text.
        t.driver(["command", MAIN_CAPTION, RUN_NOW])
    else:
        focus_edit_box(t, BOX_CAPTION)
        press(t, "ctrl+alt+y")
    wait_box_text(t, BOX_CAPTION, ROUND_TRIP, what)
    wait_nothing_held(t, "every key typed to be released")


def open_editor_on_first_task(t):
    t.driver(["lvselect", MAIN_CAPTION, GRID, "0"], ["click", MAIN_CAPTION, EDIT])
    t.wait_shown(EDITOR_CAPTION, "the editor to open")


@case
def a_text_with_bars_braces_and_a_line_break_made_in_the_editor_is_typed_exactly_after_a_restart(t):
    t.write_options(tray_only=True)
    program = t.start()
    show_main_window(t)
    t.driver(["click", MAIN_CAPTION, ADD])
    t.wait_shown(EDITOR_CAPTION, "the editor to open")
    t.wait_until(lambda: t.driver(["focus", EDITOR_CAPTION])[0] == "focus %d" % EDITOR_HOTKEY,
                 "the focus in the hotkey field")
    press(t, "ctrl+alt+y")
    t.wait_until(lambda: t.driver(["text", EDITOR_CAPTION, EDITOR_HOTKEY])[0] ==
                 ctrl_alt_text(t, "Y"), "the field to take Ctrl+Alt+Y")
    t.driver(["childsend", EDITOR_CAPTION, EDITOR_ACTION, CB_SETCURSEL, TYPE_TEXT_INDEX],
             ["send", EDITOR_CAPTION, "WM_COMMAND", (CBN_SELCHANGE << 16) | EDITOR_ACTION])
    t.expect(t.driver(["text", EDITOR_CAPTION, EDITOR_ACTION]) == ["Type text..."],
             "the Action box shows %s" % t.driver(["text", EDITOR_CAPTION, EDITOR_ACTION]))
    # Typed as a user types it: Enter makes the line break in the box.
    with open(t.path("text.txt"), "wb") as f:
        f.write(utf16_file(ROUND_TRIP))
    t.driver(["setfocus", EDITOR_CAPTION, EDITOR_TEXT], ["type", t.win_dir + "\\text.txt"])
    t.wait_until(lambda: box_text(t, EDITOR_CAPTION, EDITOR_TEXT) == ROUND_TRIP,
                 "the text to be typed into the editor")
    shot(t, "editor-type-text-100")  # the multi-line box and its count
    press(t, "ctrl+0x0D")  # Ctrl+Enter is OK
    t.wait_shown(EDITOR_CAPTION, "Ctrl+Enter to close the editor", shown=False)

    show_edit_box(t, BOX_CAPTION)
    type_into_box(t, "the text made in the editor to be typed")
    t.close(program)

    t.session.reg_add("HKCU\\Control Panel\\Desktop", "LogPixels", "REG_DWORD", "144")
    try:
        program = t.start()
        type_into_box(t, "the text read back from the file to be typed")
        show_main_window(t)
        open_editor_on_first_task(t)
        t.expect(box_text(t, EDITOR_CAPTION, EDITOR_TEXT) == ROUND_TRIP,
                 "the editor shows %r" % box_text(t, EDITOR_CAPTION, EDITOR_TEXT))
        shot(t, "editor-type-text-150")
        t.driver(["close", EDITOR_CAPTION])
        t.wait_shown(EDITOR_CAPTION, "the editor to close", shown=False)
        type_into_box(t, "Run now to type into the program in front before Keyvane", run_now=True)
        t.close(program)
    finally:
        t.session.reg_add("HKCU\\Control Panel\\Desktop", "LogPixels", "REG_DWORD", "96")
