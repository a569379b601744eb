"""Driving the program as a user does, and watching what its tasks start.

Hotkey text uses the running system's key names (under Wine the X names,
"Control" for the Ctrl key), so the cases ask the system for them."""
import os
import shutil

from .case import MAIN_CAPTION

MOD_ALT, MOD_CONTROL = 1, 2
VK_CONTROL, VK_MENU = 0x11, 0x12

# The main window's controls and commands.
GRID = 902  # the task grid
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
    t.screenshot(os.path.join(t.session.build_dir, "screenshot-%s.png" % name))
