"""Driving the program as a user does, and watching what its tasks start.

Hotkey text uses the running system's key names (under Wine the X names,
"Control" for the Ctrl key), so the cases ask the system for them."""
import os
import shutil

from .case import MAIN_CAPTION
from .session import CaseFailure

MOD_ALT, MOD_CONTROL = 1, 2
VK_CONTROL, VK_MENU = 0x11, 0x12

# The main window's controls and commands.
GRID = 902  # the task grid
FILTER = 916  # the search box above it
ADD, EDIT, DELETE, DELETE_ALL, MOVE_DOWN, MOVE_UP = 903, 904, 905, 906, 907, 908
SAVE, IMPORT, AUTO_START, TRAY_ONLY, PAGES = 915, 914, 911, 912, 900
GRID_DESC_COLUMN = 2  # the grid shows the icon first, then "#", then Desc
GRID_ENABLED_COLUMN = 6
MENU_EXIT1 = 40005  # the tray menu's "Exit"
UNDO, REDO, TRAY_PAUSE = 40006, 40007, 40008  # "Edit" > "Undo", "Redo"; the tray's pause


def ctrl_alt_text(t, key):
    """The hotkey text of Ctrl+Alt+key as this system writes it."""
    ctrl, alt, name = t.driver(["keyname", VK_CONTROL], ["keyname", VK_MENU],
                               ["keyname", ord(key)])
    return "%s+%s+%s" % (ctrl, alt, name)


def start_with_hotkeys(t, data):
    """Starts keyvane.exe on the task list; Case.start returns once its hotkeys
    are registered."""
    t.write_tasks(data)
    return t.start()


def press(t, combo):
    t.driver(["keys", combo])


def add_target(t, name="kvtarget.exe", folder=None):
    """Copies the target program into the case's folder (or a folder inside
    it); returns its Windows path."""
    parts = [folder, name] if folder else [name]
    if folder:
        os.makedirs(t.path(folder), exist_ok=True)
    shutil.copy2(os.path.join(t.session.root, "kvtarget.exe"), t.path(*parts))
    return "\\".join([t.win_dir] + parts)


def target_records(t, base="kvtarget", folder=None):
    """What every start of the target wrote, oldest process first; the target
    writes beside itself."""
    records = []
    where = t.path(folder) if folder else t.dir
    for name in os.listdir(where):
        if not (name.startswith(base + "-") and name.endswith(".txt")):
            continue
        record = {"pid": int(name[len(base) + 1:-4]), "lines": []}
        for line in (t.read_file(os.path.join(where, name)) or b"").decode(
                "utf-8", "replace").splitlines():
            key, _, value = line.partition(" ")
            record["lines"].append(line)
            record.setdefault(key, value)
        records.append(record)
    return sorted(records, key=lambda r: int(r.get("created", "0")))


def wait_records(t, count, what, base="kvtarget", folder=None):
    def enough():
        records = target_records(t, base, folder)
        return len(records) >= count and records
    return t.wait_until(enough, what)


def expect_ctrl_alt_goes_elsewhere(t, key, records, why):
    """Another program asks for Ctrl+Alt+key and gets it, and a press reaches
    it; records: how many starts of the target there are with it, none of
    them the task's."""
    t.spawn(t.win_dir + "\\kvtarget.exe", "--hold", str(MOD_CONTROL | MOD_ALT), str(ord(key)))
    holder = wait_records(t, records, "another program to ask for Ctrl+Alt+%s" % key)[-1]
    t.expect(holder.get("held") == "1", why)
    press(t, "ctrl+alt+" + key.lower())
    t.wait_until(lambda: "pressed" in target_records(t)[-1]["lines"],
                 "the press to reach the other program")
    t.expect(len(target_records(t)) == records, "%s: the task ran too" % why)


def visible_windows(t, ignore_pids=()):
    """(pid, class, caption) of every visible top-level window."""
    found = set()
    for line in t.driver(["list"]):
        pid, visible, cls, caption = (line.split("\t", 3) + ["", "", "", ""])[:4]
        if visible == "1" and int(pid) not in ignore_pids:
            found.add((int(pid), cls, caption))
    return found


def show_main_window(t):
    t.driver(["tray", MAIN_CAPTION, 513])  # left button down on the icon
    t.wait_shown(MAIN_CAPTION, "the main window to show")


def grid_rows(t):
    lines = t.driver(["listview", MAIN_CAPTION, GRID])
    return [line.split("\t") for line in lines[1:] if line != "ok"]


def shot(t, name):
    # What was just shown has painted itself on the screen.
    t.driver(["settle"])
    t.screenshot(os.path.join(t.session.build_dir, "screenshot-%s.png" % name))


def window_layout(t, caption):
    """The window's client area (screen coordinates) and each visible
    control as (id, class, left, top, right, bottom); and whether the window
    is maximized."""
    lines = t.driver(["layout", caption])
    client = tuple(int(n) for n in lines[0].split()[1:])
    zoomed = lines[1].split()[2] == "1"
    controls = []
    for line in lines[2:]:
        words = line.split()
        controls.append((int(words[0]), words[1]) + tuple(int(n) for n in words[2:6]))
    return client, controls, zoomed


def expect_whole_layout(t, caption, what, apart=()):
    """Every visible control lies inside the window's client area, and the
    controls named in apart overlap none of each other."""
    client, controls, _ = window_layout(t, caption)
    left, top, right, bottom = client
    for id_, cls, l, tp, r, b in controls:
        t.expect(left <= l and tp >= top and r <= right and b <= bottom,
                 "%s: control %d (%s) at %s is cut by the client area %s"
                 % (what, id_, cls, (l, tp, r, b), client))
    boxes = [c for c in controls if c[0] in apart]
    t.expect(len(boxes) == len(apart), "%s: only %s of %s shown" % (what, boxes, apart))
    for i, a in enumerate(boxes):
        for b in boxes[i + 1:]:
            t.expect(a[4] <= b[2] or b[4] <= a[2] or a[5] <= b[3] or b[5] <= a[3],
                     "%s: controls %d and %d overlap" % (what, a[0], b[0]))


def grid_state(t):
    """The grid's top row, rows per page, focused row, selected rows, the
    columns' summed width and its client width."""
    words = t.driver(["lvstate", MAIN_CAPTION, GRID])[0].split()
    selected = [] if words[7] == "-" else [int(n) for n in words[7].split(",")]
    return {"top": int(words[1]), "perpage": int(words[3]), "focused": int(words[5]),
            "selected": selected, "columns": int(words[9]), "client": int(words[11])}


# kvwindow.exe's standard multi-line edit box, which other programs type into.
EDIT_BOX = 100


def show_edit_box(t, caption):
    """Starts kvwindow.exe with its edit box, in front with the focus."""
    out = "%s.txt" % caption.replace(" ", "-")
    t.spawn("C:\\e2e\\kvwindow.exe", t.win_dir + "\\" + out, caption, "edit")
    t.wait_until(lambda: (t.read_file(t.path(out)) or b"").startswith(b"shown"),
                 "the edit box to show")
    focus_edit_box(t, caption)


def focus_edit_box(t, caption):
    t.driver(["front", caption])
    t.wait_until(lambda: t.driver(["focus", caption])[0] == "focus %d" % EDIT_BOX,
                 "the edit box to have the focus")


def units_text(line):
    """The text of a driver "units" line, exactly (lone surrogates too)."""
    return b"".join(int(w, 16).to_bytes(2, "little") for w in line.split()[1:]).decode(
        "utf-16-le", "surrogatepass")


def box_text(t, caption, control=EDIT_BOX):
    return units_text(t.driver(["units", caption, control])[0])


def wait_box_text(t, caption, want, what, timeout=30):
    try:
        t.wait_until(lambda: box_text(t, caption) == want, what, timeout)
    except CaseFailure as e:
        raise CaseFailure("%s: the box holds %r" % (e, box_text(t, caption)))


def wait_nothing_held(t, what):
    """No key is down for the system (a key sent down and never up stays so)."""
    try:
        t.wait_until(lambda: t.driver(["held"])[0] == "held", what, timeout=10)
    except CaseFailure as e:
        raise CaseFailure("%s: %s" % (e, t.driver(["held"])[0]))
