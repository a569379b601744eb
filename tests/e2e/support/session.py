"""Xvfb, the Wine prefix and the processes of a run."""
import contextlib
import os
import select
import shutil
import subprocess
import time


class CaseFailure(Exception):
    pass


def wait_until(condition, what, timeout):
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise CaseFailure("timed out after %gs waiting for %s" % (timeout, what))
        time.sleep(0.05)


class Session:
    """Xvfb, the Wine prefix and wineserver for the whole run."""

    def __init__(self, build_dir, prefix, verbose=False, desktop=False):
        self.desktop = desktop
        self.desktop_size = "1600x1200"  # the whole virtual display
        self.lone_run = False  # one case alone: nothing left in the tray
        self.build_dir = os.path.abspath(build_dir)
        self.prefix = os.path.abspath(prefix)
        self.verbose = verbose
        self.xvfb = None
        self.env = None
        self.processes = []  # everything started, killed at the end
        self.first_start = True

    # -- start and stop --------------------------------------------------

    def __enter__(self):
        for exe in ("keyvane.exe", "kvdriver.exe"):
            if not os.path.isfile(os.path.join(self.build_dir, exe)):
                raise SystemExit("e2e: %s not found in %s (build the MinGW tree first)"
                                 % (exe, self.build_dir))
        try:
            display = self._start_xvfb()
            self.env = dict(os.environ, DISPLAY=display, WINEPREFIX=self.prefix,
                            WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
            self.env.pop("WAYLAND_DISPLAY", None)
            self._prepare_prefix()
            self._set_desktop()
            # One wineserver for the whole run, so each start does not pay for it.
            subprocess.run(["wineserver", "-p"], env=self.env, timeout=60,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.root = os.path.join(self.prefix, "drive_c", "e2e")
            os.makedirs(self.root, exist_ok=True)
            shutil.copy2(os.path.join(self.build_dir, "kvdriver.exe"),
                         os.path.join(self.root, "kvdriver.exe"))
            for extra in sorted(os.listdir(self.build_dir)):
                # Target programs of the cases (kvtarget.exe and the like).
                if extra.startswith("kv") and extra.endswith(".exe") and extra != "kvdriver.exe":
                    shutil.copy2(os.path.join(self.build_dir, extra), os.path.join(self.root, extra))
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        for proc in self.processes:
            if proc.poll() is None:
                proc.kill()
        if self.env:
            with contextlib.suppress(OSError, subprocess.TimeoutExpired):
                subprocess.run(["wineserver", "-k"], env=self.env, timeout=30,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for proc in self.processes:
            with contextlib.suppress(subprocess.TimeoutExpired):
                proc.wait(timeout=10)
        if self.xvfb:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
        return False

    def _start_xvfb(self):
        # -displayfd lets Xvfb pick a free display and tell us which.
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1600x1200x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        text = b""
        deadline = time.monotonic() + 30
        while not text.endswith(b"\n"):
            left = deadline - time.monotonic()
            ready, _, _ = select.select([read_end], [], [], max(left, 0))
            if not ready:
                raise SystemExit("e2e: Xvfb did not report a display within 30 s")
            chunk = os.read(read_end, 64)
            if not chunk:
                raise SystemExit("e2e: Xvfb ended before reporting a display")
            text += chunk
        os.close(read_end)
        return ":" + text.decode().strip()

    def _prepare_prefix(self):
        marker = os.path.join(self.prefix, ".keyvane-e2e-ready")
        if os.path.exists(marker):
            return
        os.makedirs(self.prefix, exist_ok=True)
        self.log("creating Wine prefix %s" % self.prefix)
        subprocess.run(["wineboot", "-i"], env=self.env, timeout=300,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        # A crashing program must not leave a dialog waiting for a click.
        self.reg_add(r"HKCU\Software\Wine\WineDbg", "ShowCrashDialog", "REG_DWORD", "0")
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=120)
        with open(marker, "w") as f:
            f.write("ok\n")

    def _set_desktop(self):
        # Wine's own desktop (as "explorer /desktop=NAME,WxH" makes): a
        # taskbar with a notification area, title bars and keyboard focus as
        # on Windows. Without it programs are bare X windows.
        key = r"HKCU\Software\Wine\Explorer"
        if self.desktop:
            self.reg_add(key, "Desktop", "REG_SZ", "Keyvane")
            self.reg_add(key + r"\Desktops", "Keyvane", "REG_SZ", self.desktop_size)
        else:
            self.wine("reg", "delete", key, "/v", "Desktop", "/f")
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=120)

    # -- helpers for cases ------------------------------------------------

    def log(self, text):
        if self.verbose:
            print("  .. " + text, flush=True)

    @staticmethod
    def _errors(path):
        return open(path, "wb") if path else contextlib.nullcontext(subprocess.DEVNULL)

    def wine(self, *args, timeout=60, errors=None):
        """Runs a Windows program to its end; returns its exit code. Wine's own
        complaints go to the file `errors` when given."""
        with self._errors(errors) as err:
            return subprocess.run(["wine", *args], env=self.env, timeout=timeout,
                                  stdout=subprocess.DEVNULL, stderr=err).returncode

    def reg_add(self, key, name, kind, data):
        args = ["reg", "add", key, "/f"]
        args += ["/ve"] if name is None else ["/v", name]
        args += ["/t", kind, "/d", data]
        if self.wine(*args) != 0:
            raise CaseFailure("reg add %s failed" % key)

    def reg_values(self, key):
        """Every value of a key as {name: (type, data)}, or None when the key is missing."""
        out_path = os.path.join(self.root, "reg-values.txt")
        with open(out_path, "wb") as out:
            code = subprocess.run(["wine", "reg", "query", key], env=self.env, timeout=60,
                                  stdout=out, stderr=subprocess.DEVNULL).returncode
        if code != 0:
            return None
        values = {}
        with open(out_path, "rb") as f:
            for line in f.read().decode("utf-8", "replace").splitlines():
                parts = line.strip().split(None, 2)
                if len(parts) >= 2 and parts[1].startswith("REG_"):
                    values[parts[0]] = (parts[1], parts[2] if len(parts) > 2 else "")
        return values

    def reg_query(self, key, name):
        """The data of a string value, or None when the value does not exist."""
        kind, data = (self.reg_values(key) or {}).get(name, (None, None))
        return data if kind == "REG_SZ" else None

    def spawn(self, *args, errors=None):
        """Starts a Windows program; Wine's own complaints go to the file
        `errors` when given."""
        with self._errors(errors) as err:
            proc = subprocess.Popen(["wine", *args], env=self.env, stdin=subprocess.DEVNULL,
                                    stdout=subprocess.DEVNULL, stderr=err)
        self.processes.append(proc)
        return proc
