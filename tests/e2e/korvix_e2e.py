"""End-to-end harness: one test's private world for the real Korvix.exe.

A `Desktop` is an Xvfb display, a throw-away Wine prefix cloned from the shared
template (scripts/wine-lib.sh is the one recipe for both), its wineserver with
the one virtual desktop "Default", and the helper `korvix_e2e_ctl.exe` that acts
from inside Wine. `close()` ends every process of the prefix and fails loudly if
one survives.

Waits poll an observable state and time out with a message that says what was
awaited; nothing sleeps for a fixed time except short settle delays.
"""
from __future__ import annotations

import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
WINE_LIB = ROOT / "scripts" / "wine-lib.sh"
ARTIFACTS = Path(os.environ.get("KORVIX_E2E_ARTIFACTS", ROOT / "build" / "e2e-artifacts"))
# Display scale in percent for screenshot runs (200: LogPixels 192). The tray geometry below
# holds at 100 % only, so tests that read icon pixels expect the default.
SCALE = int(os.environ.get("KORVIX_E2E_SCALE", "100"))
# The screen and the Wine desktop (scripts/wine-lib.sh reads the same variable); screenshots of
# large windows at 200 % need more than the default.
DESKTOP = os.environ.get("KORVIX_DESKTOP", "1024x768")

OPTIONS_KEY = r"HKCU\Software\Tarvendel\Korvix Professional 5"
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvix Professional"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
RUN_VALUE = "Korvix Pro"

WM_USER = 1024
WM_FREEUPREQUEST = WM_USER + 14
WM_ENGINEIDENTIFY = WM_USER + 20
WM_ENGINECLOSE = WM_USER + 28
ENGINE_SIGNATURE = 140971
ENGINE_TITLE = "Memory Engine"

# Virtual-key codes for keyboard input through the helper.
VK = {"down": 0x28, "up": 0x26, "right": 0x27, "left": 0x25, "return": 0x0D, "escape": 0x1B}

TRAY_CELL = 20     # Wine 8 lays tray icons out in 20-pixel cells from the right edge
ICON_SIZE = 16

MB = 1024 * 1024


# Whether this machine can run 32-bit programs under Wine (scripts/wine-lib.sh finds out; a
# sandboxed kernel may refuse 32-bit Linux programs, and with them Wine's 32-bit half), and
# whether they run under qemu's emulation, which is correct but slow.
WIN32_RUNS = os.environ.get("KORVIX_WIN32_RUNS", "1") != "0"
WIN32_EMULATED = WIN32_RUNS and os.environ.get("KORVIX_WIN32_EMULATED", "0") == "1"
WIN32_SKIP_REASON = os.environ.get("KORVIX_WIN32_SKIP_REASON", "this machine cannot run 32-bit programs")
# The build the end-to-end tests run where a test does not choose: the 32-bit product, or the
# 64-bit build where 32-bit programs do not run at native speed.
DEFAULT_BITS = 32 if WIN32_RUNS and not WIN32_EMULATED else 64
# For tests of what only a 32-bit program shows (the 32-bit build, the setup program): make
# test32 runs them (conftest.py skips them where 32-bit programs do not run).
needs_win32 = pytest.mark.win32
# Every wait of the harness is this many times longer where 32-bit programs are emulated: a
# 32-bit program takes about a minute to start there on an idle machine, and ten on a busy one
# (measured at a load of 12 on 2 cores).
TIME_SCALE = float(os.environ.get("KORVIX_E2E_TIME_SCALE", "30" if WIN32_EMULATED else "1"))


def slow(seconds: float) -> float:
    return seconds * TIME_SCALE


class HarnessError(AssertionError):
    """A wait timed out or a step of the harness failed; the text says which."""


def korvix_exe(bits: int) -> Path:
    env = "KORVIX_EXE32" if bits == 32 else "KORVIX_EXE64"
    default = ROOT / "dist" / ("win32" if bits == 32 else "win64") / "Korvix.exe"
    return Path(os.environ.get(env, default)).resolve()


def product_version() -> str:
    """The version the build compiled into Korvix.exe (from CMakeLists.txt's project VERSION)."""
    header = ROOT / "build" / "win32" / "generated" / "korvix_version.h"
    match = re.search(r'#define KORVIX_VERSION_TEXT "([^"]+)"', header.read_text()) if header.exists() else None
    if not match:
        raise HarnessError(f"no version in {header}: build first (make build)")
    return match.group(1)


def setup_exe() -> Path:
    """The setup program `make dist` built for this version (or $KORVIX_SETUP)."""
    override = os.environ.get("KORVIX_SETUP")
    return Path(override).resolve() if override else ROOT / "dist" / f"Korvix-{product_version()}-setup.exe"


def helper_exe(name: str) -> Path:
    """The newest build of a helper program (tests/e2e/ctl) from the known build folders."""
    file = f"korvix_e2e_{name}.exe"
    override = os.environ.get("KORVIX_E2E_CTL_DIR")
    # The 64-bit helpers where 32-bit programs are slow or absent: they act on both builds.
    builds = ("e2e", "win32") if DEFAULT_BITS == 32 else ("win64",)
    dirs = [Path(override)] if override else [ROOT / "build" / d / "tests/e2e/ctl" for d in builds]
    found = [d / file for d in dirs if (d / file).exists()]
    if not found:
        raise HarnessError(f"{file} is not built; build target korvix_e2e_{name} (looked in {dirs})")
    return max(found, key=lambda p: p.stat().st_mtime)


def winpath(path: Path | str) -> str:
    return "Z:" + str(path).replace("/", "\\")


def wait_until(predicate, timeout: float, what: str, interval: float = 0.05):
    """Polls predicate until it returns something truthy, which is returned."""
    timeout = slow(timeout)
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise HarnessError(f"timed out after {timeout:g} s waiting for {what}")
        time.sleep(interval)


def _bash_wine_lib(script: str, env: dict | None = None) -> str:
    done = subprocess.run(["bash", "-c", f'. "{WINE_LIB}" && {script}'], env=env,
                          capture_output=True, text=True, timeout=slow(300))
    if done.returncode != 0:
        raise HarnessError(f"wine-lib.sh step failed: {script}\n{done.stderr}")
    return done.stdout


def ensure_template(arch: str = "") -> None:
    """Builds the shared template prefix once (cached by wine-lib.sh); arch "win32" for the
    template of a 32-bit Windows."""
    _bash_wine_lib(f"korvix_template {arch}")


def total_phys_mb(bits: int = 64) -> int:
    """TotalPhysMB as the program computes it from the memory the system reports to a program
    of that many bits. Under qemu's emulation a 32-bit program is told the memory modulo 4 GB
    (the emulator converts the sysinfo call's byte count to 32 bits)."""
    with open("/proc/meminfo") as f:
        total = int(re.search(r"MemTotal:\s+(\d+) kB", f.read()).group(1)) * 1024
    if bits == 32 and WIN32_EMULATED:
        total %= 1 << 32
    return int(total / 1048576 + 0.99)


def default_options(t: int) -> dict:
    """What a first run stores, for a machine of t megabytes (t as total_phys_mb gives it)."""
    return {
        "Use Defaults": 0,
        "CPU Monitoring": 0,
        "Chart Interval": 1000,
        "Manual": t // 2,
        "MemoryIcon": 1,
        "MemoryIconStyle": 2,
        "CPUIconStyle": 2,
        "ProgramIcon": 0,
        "CriticalIdle": 1,
        "CriticalIdlePercent": 50,
        "CriticalIdleEnforce": 1,
        "CriticalIdleSeconds": 10,
        "CriticalFreeUpMB": t * 6 // 10,
        "CriticalTriggerMB": t * 8 // 10,
        "Critical": 1,
        "RegularInterval": 60,
        "RegularIdle": 1,
        "RegularIdlePercent": 25,
        "RegularIdleEnforce": 0,
        "RegularIdleSeconds": 60,
        "RegularFreeUpMB": t // 2,
        "Regular": 1,
        "StartupIdle": 1,
        "StartupIdlePercent": 25,
        "StartupIdleEnforce": 1,
        "StartupIdleSeconds": 60,
        "StartupFreeUpMB": t // 2,
        "StartupWait": 5,
        "Startup": 1,
        "Skin": "default.skn",
        "BackgroundActivity": 1,
        "Amount1": t // 2,
        "Amount2": t * 4 // 10,
        "Amount3": t * 2 // 10,
        "Hotkey1": 49220,
        "Hotkey2": 49222,
        "Hotkey3": 49223,
        "ShowUsedMemory": 1,
    }


# What "Restore default settings" leaves as it is (of the values above).
KEPT_BY_RESTORE_DEFAULTS = ("Use Defaults", "CriticalIdle", "RegularIdle", "StartupIdle", "Skin", "Hotkey1", "Hotkey2",
                            "Hotkey3")


# ---- images -----------------------------------------------------------------

def read_rgb(png: Path, x: int, y: int, w: int, h: int) -> list[list[tuple[int, int, int]]]:
    """Rows of (r, g, b) of a rectangle of an image file."""
    raw = subprocess.run(["convert", str(png), "-crop", f"{w}x{h}+{x}+{y}", "+repage", "-depth", "8", "rgb:-"],
                         capture_output=True, check=True).stdout
    if len(raw) != w * h * 3:
        raise HarnessError(f"cannot read {w}x{h}+{x}+{y} of {png}")
    return [[tuple(raw[(row * w + col) * 3:(row * w + col) * 3 + 3]) for col in range(w)] for row in range(h)]


BLACK, WHITE = (0, 0, 0), (255, 255, 255)


def has_picture_frame(pixels) -> bool:
    """Every drawn tray picture has a black left column and a black top row."""
    return all(p == BLACK for p in pixels[0]) and all(row[0] == BLACK for row in pixels)


def bar_height(pixels):
    """Height of a bar picture (white inside, a filled block of whole rows at the bottom,
    no black inside the frame), or None when the picture is not one."""
    if not has_picture_frame(pixels):
        return None
    inner = [row[1:] for row in pixels[1:]]
    kinds = []
    for row in inner:
        if len(set(row)) != 1:
            return None
        kinds.append(row[0])
    if BLACK in kinds:
        return None
    filled = [k != WHITE for k in kinds]
    height = sum(filled)
    if filled != [False] * (15 - height) + [True] * height:
        return None
    return height


def has_text_inside(pixels) -> bool:
    """A number picture: black text pixels inside the frame."""
    return has_picture_frame(pixels) and any(p == BLACK for row in pixels[1:] for p in row[1:])


# ---- the memory icon and its tray menu ------------------------------------------

MEMORY_ICON = 1  # at default options the memory icon is the only one
# Memory Monitor submenu, top to bottom; it opens with its first item selected.
STYLES = {"Chart": 1, "Number": 2, "Bar": 3}
NORMAL_GREEN, WARNING_RED = (0, 128, 0), (255, 0, 0)


def choose_memory_style(desktop: "Desktop", style: str, screen_name: str | None = None) -> None:
    """Chooses a style in the memory icon's tray menu (Memory Monitor submenu)."""
    desktop.right_click_icon(MEMORY_ICON)
    desktop.wait_menus(1)
    desktop.keys("m")  # "&Memory Monitor"
    menus = desktop.wait_menus(2)
    if screen_name:
        shot = desktop.screenshot(screen_name)
        left = min(m[0] for m in menus) - 16
        top = min(m[1] for m in menus) - 16
        tray = desktop.tray_rect()
        desktop.save_screen(screen_name, shot, (max(0, left), max(0, top), tray[2], tray[3]))
    desktop.keys(*["down"] * (STYLES[style] - 1), "return")
    desktop.wait_menus(0)


def is_memory_bar(pixels) -> bool:
    height = bar_height(pixels)
    if height is None:
        return False
    # Used-memory mode: normal colour below the warning level of 12 rows, warning colour from it.
    return height == 0 or pixels[15][1] == (WARNING_RED if height >= 12 else NORMAL_GREEN)


# ---- processes ----------------------------------------------------------------

def _proc_environ_has(pid: str, entry: bytes) -> bool:
    try:
        with open(f"/proc/{pid}/environ", "rb") as f:
            return entry in f.read().split(b"\0")
    except OSError:
        return False


def _proc_argv(pid: str) -> list[str]:
    """The arguments of a process; for a Wine process argv[0] is the program's Windows path.
    An emulated 32-bit Wine process shows the emulator's own arguments (qemu-i386-static, the
    32-bit loader, then the program's): those of the program are what follows the loader."""
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            argv = [a.decode(errors="replace") for a in f.read().rstrip(b"\0").split(b"\0")]
    except OSError:
        return []
    if argv and os.path.basename(argv[0]).startswith("qemu-"):
        argv = argv[2:]
    return argv


def _proc_cmdline(pid: str) -> str:
    return " ".join(_proc_argv(pid)).strip()


def vm_hwm_bytes(unix_pid: int) -> int:
    with open(f"/proc/{unix_pid}/status") as f:
        return int(re.search(r"VmHWM:\s+(\d+) kB", f.read()).group(1)) * 1024


class Program:
    """A Windows program started in the desktop's prefix (a `wine` child process)."""

    def __init__(self, desktop: "Desktop", popen: subprocess.Popen, name: str):
        self.desktop, self.popen, self.name = desktop, popen, name

    def running(self) -> bool:
        return self.popen.poll() is None

    def wait_exit(self, timeout: float) -> int:
        try:
            timeout = slow(timeout)
            return self.popen.wait(timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError(f"{self.name} still running after {timeout:g} s") from None

    def unix_pid(self) -> int:
        """The Unix process that runs the program. For a 64-bit program `wine` runs
        start.exe, which starts the program as another process."""
        pids = self.desktop.program_processes(self.name)
        if len(pids) != 1:
            raise HarnessError(f"expected one process of {self.name} in the prefix, found {pids}")
        return pids[0][0]


class Desktop:
    """Xvfb + a private prefix + its wineserver; use as a context manager. The prefix is a
    64-bit Windows, or with arch "win32" a 32-bit one."""

    def __init__(self, name: str, arch: str = ""):
        ARTIFACTS.mkdir(parents=True, exist_ok=True)
        self.name = re.sub(r"[^A-Za-z0-9_.-]", "_", name)
        self.dir = Path(tempfile.mkdtemp(prefix=f"korvix-e2e-{self.name}-"))
        self.prefix = self.dir / "prefix"
        self.arch = arch
        self.programs: list[Program] = []
        self.xvfb = None
        self.env = None
        self.log = open(self.dir / "wine.log", "ab")

    # -- lifecycle --
    def __enter__(self):
        try:
            self.start()
        except BaseException:
            self.close(check=False)
            raise
        return self

    def __exit__(self, kind, value, tb):
        self.close(check=kind is None)

    def start(self):
        # The template is built once per run (conftest); cloning it is all a test pays.
        self._start_xvfb()
        if self.arch:
            ensure_template(self.arch)  # built on first use only
        _bash_wine_lib(f'korvix_prefix_new "{self.prefix}" {self.arch}')
        env = dict(os.environ)
        # No menu entries in the Linux home for the shortcuts a test creates (winemenubuilder).
        env.update(DISPLAY=self.display, WINEPREFIX=str(self.prefix), WINEDEBUG="-all",
                   WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
        env.pop("WINELOADER", None)
        self.env = env
        if SCALE != 100:
            # Wine reads the display scale when the session starts: set it, then end the session.
            self.wine("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                      "/d", str(96 * SCALE // 100), "/f")
            for args in (["wineserver", "-k"], ["wineserver", "-w"]):
                subprocess.run(args, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        # Warm-up: one tiny Wine process brings up wineserver, services and the desktop
        # window, so the program and the helper never race to create the desktop.
        self.ctl("tray", check=False, timeout=60)

    def _start_xvfb(self):
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{DESKTOP}x24", "-fbdir", str(self.dir),
             "-nocursor", "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise HarnessError("Xvfb did not report a display")
        self.display = f":{number}"

    def close(self, check: bool = True):
        leaks = []
        if self.env:
            for args in (["wineserver", "-k"], ["wineserver", "-w"]):
                subprocess.run(args, env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
            for program in self.programs:
                try:
                    program.popen.wait(10)
                except subprocess.TimeoutExpired:
                    program.popen.kill()
                    program.popen.wait()
            leaks = self.prefix_processes()
            for pid, _ in leaks:
                try:
                    os.kill(pid, signal.SIGKILL)
                except OSError:
                    pass
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait(10)
        self.log.close()
        if os.environ.get("KORVIX_E2E_KEEP"):
            print(f"kept {self.dir}")
        else:
            shutil.rmtree(self.dir, ignore_errors=True)
        if check and leaks:
            raise HarnessError(f"processes of the prefix survived wineserver -k: {leaks}")

    def prefix_processes(self, name_part: str | None = None) -> list[tuple[int, str]]:
        """Live processes that belong to this prefix (zombies carry no environment)."""
        entry = f"WINEPREFIX={self.prefix}".encode()
        found = []
        for pid in filter(str.isdigit, os.listdir("/proc")):
            if int(pid) == os.getpid() or not _proc_environ_has(pid, entry):
                continue
            cmd = _proc_cmdline(pid)
            if name_part is None or name_part.lower() in cmd.lower():
                found.append((int(pid), cmd))
        return found

    def program_processes(self, exe_name: str) -> list[tuple[int, str]]:
        """Processes of the prefix running exe_name itself (not a launcher naming it)."""
        def runs(pid):
            argv = _proc_argv(str(pid))
            return bool(argv) and re.split(r"[\\/]", argv[0])[-1].lower() == exe_name.lower()
        return [(pid, cmd) for pid, cmd in self.prefix_processes() if runs(pid)]

    # -- Windows programs --
    def start_quiet(self, exe: Path, **options) -> Program:
        """Korvix with its options stored first, no automatic free-up among them, started and
        ready: its engine window up and its icons shown (options applied, hotkeys registered)."""
        self.reg_import(OPTIONS_KEY, {"Use Defaults": 0, "BackgroundActivity": 0, **options})
        program = self.start_program(exe)
        self.wait_engine(program)
        self.tray_rect()
        return program

    def start_program(self, exe: Path, *args: str) -> Program:
        if not exe.exists():
            raise HarnessError(f"{exe} does not exist")
        popen = subprocess.Popen(["wine", str(exe), *args], env=self.env, stdin=subprocess.DEVNULL,
                                 stdout=self.log, stderr=self.log)
        program = Program(self, popen, exe.name)
        self.programs.append(program)
        return program

    def run_program(self, exe: Path, *args: str, timeout: float = 20) -> int:
        """Runs a program to its end; returns its exit code."""
        return self.start_program(exe, *args).wait_exit(timeout)

    def wine(self, *args: str, timeout: float = 60) -> subprocess.CompletedProcess:
        """Runs a Wine command to its end. Output goes through a file, not a pipe: a Wine
        service started on demand by this command would inherit a pipe and hold it open."""
        with tempfile.TemporaryFile(dir=self.dir) as out:
            done = subprocess.run(["wine", *args], env=self.env, stdin=subprocess.DEVNULL, stdout=out,
                                  stderr=self.log, timeout=slow(timeout))
            out.seek(0)
            done.stdout = out.read()
        return done

    def wine_again(self, *args: str, timeout: float = 60, tries: int = 2,
                   failed=lambda done: done.returncode != 0) -> subprocess.CompletedProcess:
        """Runs a Wine command that changes nothing when run twice (a query, an import), again
        while it failed: on a loaded machine Wine now and then ends a starting process with
        code 1 before it has done anything."""
        for attempt in range(tries):
            if attempt:
                self.log.write(f"korvix_e2e: {args[0]} ended with {done.returncode}, run again\n".encode())
                time.sleep(0.5)
            done = self.wine(*args, timeout=timeout)
            if not failed(done):
                break
        return done

    def ctl(self, *args: str, check: bool = True, timeout: float = 30) -> str:
        # The helper prints a line on every path, so a failure with no output at all means its
        # main never ran and nothing was done: only then is it run again.
        done = self.wine_again(str(helper_exe("ctl")), *map(str, args), timeout=timeout, tries=3,
                               failed=lambda d: d.returncode != 0 and not d.stdout.strip())
        out = done.stdout.decode(errors="replace").replace("\r", "").strip()
        if check and done.returncode != 0:
            raise HarnessError(f"ctl {' '.join(map(str, args))} failed ({done.returncode}): {out}; "
                               f"Wine said: {self.log_tail()}")
        return out

    def start_standin(self, log: Path) -> Program:
        """The helper's stand-in tray program (used to check the harness itself)."""
        popen = subprocess.Popen(["wine", str(helper_exe("ctl")), "standin", winpath(log)], env=self.env,
                                 stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log)
        program = Program(self, popen, helper_exe("ctl").name)
        self.programs.append(program)
        return program

    def environment(self, name: str) -> str:
        """A variable of the Windows environment (LOCALAPPDATA, APPDATA, ...)."""
        out = self.wine_again("cmd", "/c", "echo", f"%{name}%").stdout.decode(errors="replace").strip()
        if not out or out == f"%{name}%":
            raise HarnessError(f"no %{name}% in the prefix")
        return out

    def unix_path(self, windows_path: str) -> Path:
        """The file behind a C: path of the prefix."""
        if not re.match(r"(?i)^c:\\", windows_path):
            raise HarnessError(f"not a path on C: {windows_path}")
        return self.prefix / "drive_c" / Path(*windows_path[3:].split("\\"))

    # -- the engine window --
    def wait_engine(self, program: Program | None = None, timeout: float = 20) -> tuple[int, int]:
        """Waits for a window "Memory Engine" answering the signature: (hwnd, windows pid).
        Gives up early when program, the copy expected to create it, has ended."""
        timeout = slow(timeout)
        deadline = time.monotonic() + timeout
        while True:
            out = self.ctl("engine", 1000, check=False)
            if re.fullmatch(r"\d+ \d+", out):
                hwnd, pid = out.split()
                return int(hwnd), int(pid)
            if program and not program.running():
                raise HarnessError(f"{program.name} ended (exit code {program.popen.returncode}) "
                                   f"without an engine window answering {ENGINE_SIGNATURE}")
            if time.monotonic() >= deadline:
                raise HarnessError(f"no engine window answering {ENGINE_SIGNATURE} within {timeout:g} s")

    def engine_count(self) -> int:
        return int(self.ctl("engines"))

    def identify(self) -> int | None:
        out = self.ctl("identify", ENGINE_TITLE, check=False)
        return int(out) if re.fullmatch(r"-?\d+", out) else None

    def post(self, msg: int, wparam: int = 0, lparam: int = 0, title: str = ENGINE_TITLE) -> None:
        if self.ctl("post", msg, wparam, lparam, title) != "1":
            raise HarnessError(f"PostMessage {msg} to {title!r} failed")

    # -- registry (live, through wineserver) --
    def reg_query(self, key: str, value: str):
        """The data of a value (int for REG_DWORD, str otherwise), or None when absent."""
        return (self.reg_values(key) or {}).get(value)

    def reg_values(self, key: str) -> dict | None:
        """Every value of key (int for REG_DWORD, str otherwise), or None when the key is absent."""
        done = self.wine_again("reg", "query", key)  # an absent key fails twice
        if done.returncode != 0:
            return None
        values = {}
        for line in done.stdout.decode(errors="replace").splitlines():
            m = re.match(r"^\s{4}(.+?)\s{4}(REG_[A-Z_]+)(?:\s{4}(.*))?$", line.rstrip("\r"))
            if m:
                data = m.group(3) or ""
                values[m.group(1)] = int(data, 16) if m.group(2) == "REG_DWORD" else data
        return values

    def reg_import(self, key: str, values: dict) -> None:
        """Writes values (int: REG_DWORD, str: REG_SZ) under key in one regedit call."""
        root = key.replace("HKCU\\", "HKEY_CURRENT_USER\\")
        lines = ["REGEDIT4", "", f"[{root}]"]
        for name, data in values.items():
            if isinstance(data, int):
                lines.append(f'"{name}"=dword:{data:08x}')
            else:
                escaped = data.replace("\\", "\\\\").replace('"', '\\"')
                lines.append(f'"{name}"="{escaped}"')
        file = self.dir / f"import-{len(values)}-{time.monotonic_ns()}.reg"
        file.write_text("\r\n".join(lines) + "\r\n")
        self.regedit(file)

    def regedit(self, file: Path) -> None:
        """Imports a .reg file (an import is idempotent, so a failed one is made again)."""
        done = self.wine_again("regedit", "/S", winpath(file))
        if done.returncode != 0:
            raise HarnessError(f"regedit failed ({done.returncode}) on {file}; Wine said: {self.log_tail()}")

    def log_tail(self, lines: int = 15) -> str:
        """The end of what Wine wrote to this desktop's log (it is deleted with the desktop)."""
        self.log.flush()
        text = (self.dir / "wine.log").read_bytes().decode(errors="replace").splitlines()
        return "\n".join(text[-lines:]) or "(nothing)"

    # -- screen, tray, input --
    def xdotool(self, *args: str) -> str:
        done = subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, text=True, timeout=20)
        if done.returncode != 0:
            raise HarnessError(f"xdotool {' '.join(map(str, args))} failed: {done.stderr}")
        return done.stdout.strip()

    def screenshot(self, name: str) -> Path:
        """The screen as it is: Xvfb keeps its pixels in a file (-fbdir). xwd and ImageMagick's
        import compose the screen window by window where windows have colormaps of their own, as
        Wine's have; xwd then leaves popups over another window (the help popup, a menu) black
        although the screen shows them. No pointer is drawn (-nocursor): it would cover what a
        test has just clicked."""
        path = ARTIFACTS / f"{self.name}-{name}.png"
        subprocess.run(["convert", f"xwd:{self.dir / 'Xvfb_screen0'}", f"png:{path}"], check=True, timeout=20)
        return path

    def tray_rect(self):
        """(left, top, right, bottom) of the taskbar once it is visible (it shows with the first icon)."""
        def visible():
            out = self.ctl("tray", check=False)
            parts = out.split()
            return tuple(map(int, parts[1:])) if len(parts) == 5 and parts[0] == "1" else None
        return wait_until(visible, 15, "the taskbar to show (it appears with the first tray icon)", 0.1)

    def save_screen(self, name: str, shot: Path, box: tuple[int, int, int, int]) -> Path:
        """Crops box (left, top, right, bottom) of a screenshot into the artifacts, and into
        $KORVIX_E2E_SCREENS (docs/screens when refreshing the documentation) when set."""
        left, top, right, bottom = box
        crop = ARTIFACTS / (f"{name}.png" if SCALE == 100 else f"{name}-{SCALE}.png")
        subprocess.run(["convert", str(shot), "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
                        f"png:{crop}"], check=True, timeout=20)
        if os.environ.get("KORVIX_E2E_SCREENS"):
            target = Path(os.environ["KORVIX_E2E_SCREENS"])
            target.mkdir(parents=True, exist_ok=True)
            shutil.copyfile(crop, target / crop.name)
        return crop

    def window_rect(self, title: str) -> tuple[int, int, int, int]:
        out = self.ctl("rect", title, check=False)
        if not re.fullmatch(r"-?\d+( -?\d+){3}", out):
            raise HarnessError(f"no window titled {title!r}")
        return tuple(map(int, out.split()))

    def window_texts(self, title: str) -> list[str]:
        """The texts of the controls of the visible windows titled title (a dialog, a message box)."""
        return self.ctl("texts", title, check=False).splitlines()

    def wait_text(self, title: str, part: str, timeout: float = 20) -> list[str]:
        """Waits until a control of a window titled title shows a text containing part."""
        return wait_until(lambda: (texts := self.window_texts(title)) and any(part in t for t in texts) and texts,
                          timeout, f"{part!r} in the window {title!r}", 0.1)

    def save_window(self, name: str, title: str) -> Path:
        """A screenshot of the window titled title (see save_screen)."""
        time.sleep(0.3)  # settle: a window that has just shown its text may not have painted yet
        return self.save_screen(name, self.screenshot(name), self.window_rect(title))

    def icon_center(self, n: int) -> tuple[int, int]:
        """Centre of the n-th tray icon, n = 1 the first added (rightmost)."""
        left, top, right, bottom = self.tray_rect()
        return right - TRAY_CELL * (n - 1) - TRAY_CELL // 2, (top + bottom) // 2

    def icon_pixels(self, n: int, shot: Path | None = None):
        cx, cy = self.icon_center(n)
        shot = shot or self.screenshot(f"icon{n}")
        return read_rgb(shot, cx - ICON_SIZE // 2, cy - ICON_SIZE // 2, ICON_SIZE, ICON_SIZE)

    def wait_icon(self, n: int, predicate, what: str, timeout: float = 15):
        return wait_until(lambda: predicate(self.icon_pixels(n)), timeout, f"tray icon {n}: {what}", 0.15)

    def right_click_icon(self, n: int) -> None:
        x, y = self.icon_center(n)
        self.xdotool("mousemove", x, y)
        time.sleep(0.05)  # settle: the shell sees the pointer over the icon before the click
        self.xdotool("click", 3)

    def menus(self) -> list[tuple[int, int, int, int]]:
        out = self.ctl("menus", check=False)
        return [tuple(map(int, line.split())) for line in out.splitlines() if re.fullmatch(r"-?\d+( -?\d+){3}", line)]

    def wait_menus(self, count: int, timeout: float = 10):
        return wait_until(lambda: (m := self.menus()) and len(m) == count and m or (count == 0 and not m),
                          timeout, f"{count} open popup menu(s)", 0.1)

    def keys(self, *keys) -> None:
        """Keys through SendInput inside Wine: names of VK, single letters, or codes."""
        codes = [VK[k] if k in VK else (ord(k.upper()) if isinstance(k, str) and len(k) == 1 else int(k))
                 for k in keys]
        self.ctl("key", *codes)

    def hotkey(self, spec: str) -> None:
        """A global hotkey: X focus must be on the Wine desktop window for Wine to see it."""
        windows = self.xdotool("search", "--name", "Wine desktop").split()
        if not windows:
            raise HarnessError("no Wine desktop window to focus")
        self.xdotool("windowfocus", "--sync", windows[0])
        self.xdotool("key", spec)

    def logoff(self) -> None:
        """Ends the session as a logoff does: WM_QUERYENDSESSION and WM_ENDSESSION to every window."""
        done = self.wine("wineboot", "-e", timeout=60)
        if done.returncode != 0:
            raise HarnessError(f"wineboot -e failed ({done.returncode})")
