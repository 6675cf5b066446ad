"""The program among other software: messages any process can post to it, hostile registry
values, WM_CLOSE posted to its windows, two copies started together, a Run key it may not
write."""
import re
import shutil
import time

import pytest

from korvix_e2e import (ENGINE_TITLE, MB, OPTIONS_KEY, RUN_KEY, RUN_VALUE, WM_USER, helper_exe, vm_hwm_bytes,
                        wait_until)
from test_accessibility import ROLE_STATUSBAR, tree
from test_mainwindow import open_main

WM_FREEUPFINISHED = WM_USER + 12
WM_LAUNCHSTART = WM_USER + 13
WM_FREEUPFATAL = WM_USER + 15
WM_FREEUPPROGRESS = WM_USER + 17
WM_SWITCHSKIN = WM_USER + 19
WM_ENGINEACTIVATE = WM_USER + 21
WM_HOTKEYSRELEASE = WM_USER + 24
WM_HOTKEYSRESTORE = WM_USER + 25
WM_FREEUPENDED = WM_USER + 27
WM_FREEUPERROR = WM_USER + 29
OLD_KEY = r"HKCU\Software\Tarvendel\Korvix Pro\Free And Run 4"
BLOCK_MB = 64
QUIT_TIMEOUT = 15


def import_raw(desktop, key, entries):
    """Writes values given as .reg data ('dword:ffffffff', 'hex(4):01,02', '"text"') under key."""
    root = key.replace("HKCU\\", "HKEY_CURRENT_USER\\")
    lines = ["REGEDIT4", "", f"[{root}]"] + [f'"{name}"={data}' for name, data in entries.items()]
    file = desktop.dir / f"raw-{time.monotonic_ns()}.reg"
    file.write_text("\r\n".join(lines) + "\r\n")
    desktop.regedit(file)


def quit_copy(desktop, korvix, copy):
    assert desktop.run_program(korvix, "quit") == 0
    copy.wait_exit(QUIT_TIMEOUT)


def cpu_jiffies(unix_pid):
    fields = open(f"/proc/{unix_pid}/stat").read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime + stime


# ---- Forged worker messages ----
FORGED = [
    pytest.param(WM_FREEUPENDED, 0, 0, id="ended"),
    pytest.param(WM_FREEUPFINISHED, 0, 0, id="finished"),
    pytest.param(WM_FREEUPFATAL, 487, 0, id="fatal"),
    pytest.param(WM_FREEUPERROR, 0, 0x10, id="error_with_a_junk_pointer"),
    pytest.param(WM_FREEUPPROGRESS, 5000, 0, id="progress_beyond_100"),
]


@pytest.mark.parametrize("msg,wparam,lparam", FORGED)
def test_a_forged_worker_message_during_a_countdown_cuts_nothing_short(desktop, korvix, total_mb, msg, wparam,
                                                                         lparam):
    # The start-up free-up of an automatic start: a 4-second countdown, then at once.
    desktop.reg_import(OPTIONS_KEY, {"Use Defaults": 0, "BackgroundActivity": 0, "Startup": 1, "StartupWait": 4,
                                     "StartupIdlePercent": 100, "StartupIdleEnforce": 1,
                                     "StartupFreeUpMB": total_mb - BLOCK_MB})
    program = desktop.start_program(korvix, "autostart")
    desktop.wait_engine(program)
    pid = program.unix_pid()
    before = vm_hwm_bytes(pid)

    out = desktop.ctl("forge", msg, wparam, lparam, 1500)
    answered, missed = map(int, re.fullmatch(r"answered (\d+) missed (\d+)", out).groups())
    assert missed == 0 and answered > 0, f"the engine stopped answering other copies: {out}"
    wait_until(lambda: vm_hwm_bytes(pid) - before >= 48 * MB, 30, "the start-up free-up after its countdown")
    assert program.running()
    assert desktop.ctl("msgbox", "Korvix Professional", 300, check=False) == "none"
    quit_copy(desktop, korvix, program)


def test_forged_worker_messages_without_a_worker_change_nothing(desktop, korvix):
    desktop.reg_import(OPTIONS_KEY, {"Use Defaults": 0, "BackgroundActivity": 0})
    program = desktop.start_program(korvix)
    desktop.wait_engine(program)
    for msg, wparam, lparam in ((WM_FREEUPENDED, 0, 0), (WM_FREEUPFINISHED, 0, 0), (WM_FREEUPFATAL, 5, 0),
                                (WM_FREEUPERROR, 0, 0x10)):
        out = desktop.ctl("forge", msg, wparam, lparam, 200)
        assert re.fullmatch(r"answered \d+ missed 0", out), out
    assert program.running()
    assert desktop.ctl("msgbox", "Korvix Professional", 300, check=False) == "none"
    quit_copy(desktop, korvix, program)


# ---- The program's own messages, forged by another process ----
def test_launch_and_switch_skin_posted_by_another_process_end_nothing_open_nothing_and_lose_no_setting(desktop,
                                                                                                      korvix):
    program = desktop.start_quiet(korvix, **{"Chart Interval": 3000})
    _, windows_pid = desktop.wait_engine(program)
    # The main window, which a switch of skin would ask for a file over (the engine shows it
    # only once it is two seconds old).
    wait_until(lambda: desktop.ctl("send", WM_ENGINEACTIVATE, 0, 0, ENGINE_TITLE) not in ("0", "timeout"), 20,
               "the main window to open")
    # Taken from the registry while the program runs: only its final save brings it back.
    assert desktop.wine("reg", "delete", OPTIONS_KEY, "/v", "Chart Interval", "/f").returncode == 0

    for key in (0, 1, -1):
        for msg in (WM_LAUNCHSTART, WM_SWITCHSKIN):
            assert "TfrmLaunch" in desktop.ctl("postall", windows_pid, msg, 0, key).splitlines()
    time.sleep(3)
    assert program.running(), "a second launch ended the program"
    assert desktop.identify() == 140971
    assert "Load Skin" not in desktop.ctl("titles").splitlines(), "another program opened the skin file dialog"
    quit_copy(desktop, korvix, program)
    assert desktop.reg_query(OPTIONS_KEY, "Chart Interval") == 3000, "the final save ran"


def test_hotkeys_released_by_another_process_stay_registered(desktop, korvix, total_mb):
    program = desktop.start_quiet(korvix, Amount1=total_mb - BLOCK_MB)
    assert desktop.ctl("send", WM_HOTKEYSRELEASE, 0, 0, ENGINE_TITLE) == "0"
    desktop.post(WM_HOTKEYSRELEASE)
    _, windows_pid = desktop.wait_engine(program)
    desktop.ctl("postall", windows_pid, WM_HOTKEYSRELEASE, 0, 0)
    time.sleep(0.5)
    pid = program.unix_pid()
    before = vm_hwm_bytes(pid)
    desktop.hotkey("ctrl+alt+d")
    wait_until(lambda: vm_hwm_bytes(pid) - before >= 48 * MB, 30, "Ctrl+Alt+D to start a free-up")
    quit_copy(desktop, korvix, program)


# ---- WM_CLOSE from outside ----
def test_wm_close_to_every_other_window_of_the_program_stops_nothing(desktop, korvix):
    # Sampling every 250 ms into both icons keeps the heartbeat visible as processor time.
    desktop.reg_import(OPTIONS_KEY, {"Use Defaults": 0, "BackgroundActivity": 0, "Chart Interval": 250,
                                     "CPU Monitoring": 1, "MemoryIcon": 1, "ProgramIcon": 1})
    program = desktop.start_program(korvix)
    _, windows_pid = desktop.wait_engine(program)
    desktop.tray_rect()

    closed = desktop.ctl("closeall", windows_pid).splitlines()
    assert "TfrmLaunch" in closed, closed
    time.sleep(1)
    assert program.running()
    unix_pid = program.unix_pid()
    busy = cpu_jiffies(unix_pid)
    wait_until(lambda: cpu_jiffies(unix_pid) - busy >= 3, 20, "the heartbeat to go on sampling")
    assert desktop.identify() == 140971
    assert desktop.tray_rect()
    quit_copy(desktop, korvix, program)


# ---- Free-and-Run launch ----
def choose_first_entry(desktop):
    desktop.right_click_icon(1)
    desktop.wait_menus(1)
    desktop.keys("down", "down", "right")  # Show, Free and Run > (Manage entries..., separator, the entry)
    desktop.wait_menus(2)
    desktop.keys("down", "return")
    desktop.wait_menus(0)


def far_options(file):
    return {"Use Defaults": 0, "BackgroundActivity": 0, "farCount": 1, "farMigrated": 1, "1farName": "E2E",
            "1farFileToRun": file, "1farMBToFree": 1 << 30}  # loads as T: nothing to free, start at once


def test_a_free_and_run_program_starts_in_its_own_folder(desktop, korvix):
    target = desktop.prefix / "drive_c" / "e2e" / "far_target.exe"
    target.parent.mkdir(parents=True)
    shutil.copyfile(helper_exe("far_target"), target)
    desktop.reg_import(OPTIONS_KEY, far_options(r"C:\e2e\far_target.exe"))
    program = desktop.start_program(korvix)
    desktop.wait_engine(program)
    desktop.tray_rect()
    choose_first_entry(desktop)
    marker = target.with_name(target.name + ".ran")
    wait_until(marker.exists, 30, "the entry's program to run")
    report = dict(line.split("=", 1) for line in marker.read_text().splitlines())
    assert report["cwd"].lower() == r"c:\e2e"
    quit_copy(desktop, korvix, program)


def test_a_free_and_run_program_that_cannot_start_is_told_with_the_systems_words(desktop, korvix):
    (desktop.prefix / "drive_c" / "e2e").mkdir(parents=True)
    desktop.reg_import(OPTIONS_KEY, far_options(r"C:\e2e\gone.exe"))
    program = desktop.start_program(korvix)
    desktop.wait_engine(program)
    desktop.tray_rect()
    choose_first_entry(desktop)
    desktop.wait_text("Korvix Professional", "could not start")
    desktop.save_window("launch-failed", "Korvix Professional")
    text = desktop.ctl("msgbox", "Korvix Professional", 5000)
    assert text.startswith("Korvix Professional could not start this program:\nC:\\e2e\\gone.exe\n"), text
    assert "(2)" in text, "the system's text and code"
    assert program.running()
    quit_copy(desktop, korvix, program)


# ---- One copy ----
def test_two_copies_started_together_run_one_engine(desktop, korvix):
    copies = [desktop.start_program(korvix), desktop.start_program(korvix)]
    desktop.wait_engine()
    wait_until(lambda: sum(c.running() for c in copies) == 1, 30, "one of the two copies to end")
    time.sleep(1)
    assert desktop.engine_count() == 1
    assert len(desktop.program_processes("Korvix.exe")) == 1
    quit_copy(desktop, korvix, next(c for c in copies if c.running()))


# ---- A Run key the program may not write ----
def lock_run_key(desktop):
    """Closes the Run key to writes, and checks it from another process: Wine's own start-up
    (wineboot, which runs the Run entries) may still be at work on the key at first."""
    def locked():
        assert desktop.ctl("lockkey", r"Software\Microsoft\Windows\CurrentVersion\Run") == "1"
        probe = desktop.wine("reg", "add", RUN_KEY, "/v", "probe", "/d", "x", "/f")
        if probe.returncode == 0:
            desktop.wine("reg", "delete", RUN_KEY, "/v", "probe", "/f")
            return False
        return True
    wait_until(locked, 30, "the Run key to refuse writes", 0.5)


def test_a_closed_run_key_costs_neither_the_options_nor_the_list(desktop, korvix, total_mb):
    desktop.reg_import(OPTIONS_KEY, {"Use Defaults": 0, "BackgroundActivity": 0, "Startup": 1,
                                     "Chart Interval": 3000, "farCount": 1, "1farFileToRun": r"C:\e2e\editor.exe",
                                     "1farMBToFree": 0})
    lock_run_key(desktop)
    program = desktop.start_program(korvix)
    desktop.wait_engine(program)
    quitting = desktop.start_program(korvix, "quit")
    desktop.wait_text("Korvix Professional", "could not be changed")
    desktop.save_window("autostart-not-saved", "Korvix Professional")
    text = desktop.ctl("msgbox", "Korvix Professional", 20000)
    assert quitting.wait_exit(QUIT_TIMEOUT) == 0
    program.wait_exit(QUIT_TIMEOUT)

    assert text.startswith("Your settings were saved, but whether Korvix Professional starts with Windows could "
                           "not be changed."), text
    assert desktop.reg_query(RUN_KEY, RUN_VALUE) is None
    stored = desktop.reg_values(OPTIONS_KEY)
    assert stored["Use Defaults"] == 0
    assert stored["Chart Interval"] == 3000
    assert stored["farCount"] == 1
    assert stored["1farMBToFree"] == 1, "the list was saved (its position corrected)"


# ---- Hostile registry values ----
BOOLEANS = ["CPU Monitoring", "MemoryIcon", "ProgramIcon", "CriticalIdle", "CriticalIdleEnforce", "Critical",
            "RegularIdle", "RegularIdleEnforce", "Regular", "StartupIdle", "StartupIdleEnforce", "Startup",
            "ShowUsedMemory"]


def ranges(t):
    """Every stored number with the range its value must be in once the program has saved."""
    r = {name: (0, 1) for name in BOOLEANS}
    r.update({"Chart Interval": (250, 60000), "Manual": (1, t), "MemoryIconStyle": (1, 3), "CPUIconStyle": (1, 3),
              "CriticalIdlePercent": (1, 100), "CriticalIdleSeconds": (1, 60), "CriticalFreeUpMB": (1, t),
              "CriticalTriggerMB": (1, t), "RegularInterval": (1, 1440), "RegularIdlePercent": (1, 100),
              "RegularIdleSeconds": (1, 60), "RegularFreeUpMB": (1, t), "StartupIdlePercent": (1, 100),
              "StartupIdleSeconds": (1, 60), "StartupFreeUpMB": (1, t), "StartupWait": (0, 120),
              "Amount1": (0, t - 1), "Amount2": (0, t - 1), "Amount3": (0, t - 1), "Hotkey1": (0, 0xFFFF),
              "Hotkey2": (0, 0xFFFF), "Hotkey3": (0, 0xFFFF)})
    return r


def dword(value):
    return f"dword:{value & 0xFFFFFFFF:08x}"


def text(s):
    return '"' + s.replace("\\", "\\\\").replace('"', '\\"') + '"'


def unterminated(s):
    """A REG_SZ whose data ends without the terminating zero."""
    return "hex(1):" + ",".join(f"{b:02x}" for b in s.encode("utf-16-le"))


HOSTILE = {
    "minus_one": lambda t: dword(-1),
    "int_min": lambda t: dword(-2**31),
    "int_max": lambda t: dword(2**31 - 1),
    "zero": lambda t: dword(0),
    "t": lambda t: dword(t),
    "t_plus_1": lambda t: dword(t + 1),
    "wrong_type": lambda t: text("12"),
    "short_binary": lambda t: "hex(4):01,02",
    "long_binary": lambda t: "hex(4):01,02,03,04,05,06,07,08",
}


@pytest.mark.parametrize("kind", list(HOSTILE))
def test_hostile_stored_values_start_the_engine_and_are_written_back_in_range(desktop, korvix, total_mb, kind):
    value = HOSTILE[kind](total_mb)
    entries = {name: value for name in ranges(total_mb)}
    entries.update({"Use Defaults": dword(0), "BackgroundActivity": dword(0), "farCount": value,
                    "1farMBToFree": value, "2farMBToFree": value, "1farFileToRun": unterminated("C:\\x.exe"),
                    "2farName": text("N" * 600), "Skin": text("S" * 600)})
    import_raw(desktop, OPTIONS_KEY, entries)
    program = desktop.start_program(korvix)
    desktop.wait_engine(program, timeout=10)
    quit_copy(desktop, korvix, program)

    stored = desktop.reg_values(OPTIONS_KEY)
    wrong = {name: stored.get(name) for name, (lo, hi) in ranges(total_mb).items()
             if not isinstance(stored.get(name), int) or not lo <= stored[name] <= hi}
    assert not wrong, f"written back out of range: {wrong}"
    count = stored["farCount"]
    assert 0 <= count <= 2
    for n in range(1, count + 1):
        assert 1 <= stored[f"{n}farMBToFree"] <= total_mb
        assert len(stored.get(f"{n}farName", "")) <= 500
        assert len(stored.get(f"{n}farFileToRun", "")) <= 500
    assert len(stored["Skin"]) <= 500


def test_a_huge_count_and_thousands_of_old_entries_start_the_engine_within_seconds(desktop, korvix, total_mb):
    old = {}
    for n in range(3000):
        old.update({f"Display e{n}": text(f"Entry {n}"), f"Run e{n}": text(f"C:\\p{n}.exe"),
                    f"Free e{n}": dword(n % 60 - 5)})
    import_raw(desktop, OLD_KEY, old)
    import_raw(desktop, OPTIONS_KEY, {"Use Defaults": dword(0), "BackgroundActivity": dword(0),
                                      "farCount": dword(2**31 - 1)})
    program = desktop.start_program(korvix)
    desktop.wait_engine(program, timeout=15)
    quit_copy(desktop, korvix, program)

    stored = desktop.reg_values(OPTIONS_KEY)
    assert desktop.reg_values(OLD_KEY) is None
    assert stored["farMigrated"] == 1
    assert stored["farCount"] == 3000
    assert all(1 <= stored[f"{n}farMBToFree"] < total_mb for n in range(1, 3001))


# A count of 2147483647 with one entry numbered 999999999 once took more than 20 s and then
# all memory: the numbers stored are what is read.
def test_a_huge_count_and_a_far_off_entry_number_start_the_engine_within_seconds_and_are_saved_as_loaded(
        desktop, korvix, total_mb):
    import_raw(desktop, OPTIONS_KEY, {"Use Defaults": dword(0), "BackgroundActivity": dword(0), "farMigrated": dword(1),
                                      "farCount": dword(2**31 - 1), "1farName": text("one"),
                                      "1farFileToRun": text(r"C:\one.exe"), "1farMBToFree": dword(total_mb // 2),
                                      "999999999farName": text("far"), "999999999farFileToRun": text(r"C:\far.exe")})
    program = desktop.start_program(korvix)
    desktop.wait_engine(program, timeout=10)
    quit_copy(desktop, korvix, program)

    stored = desktop.reg_values(OPTIONS_KEY)
    assert stored["farCount"] == 2
    assert (stored["1farName"], stored["1farFileToRun"], stored["1farMBToFree"]) == ("one", r"C:\one.exe", total_mb // 2)
    assert (stored["2farName"], stored["2farFileToRun"]) == ("far", r"C:\far.exe")


# The registry lists value names in its own order (Wine's is by name, so this one comes
# first); a name longer than any of ours must not hide the ones after it.
def test_a_value_name_longer_than_500_characters_hides_no_entry(desktop, korvix):
    import_raw(desktop, OPTIONS_KEY, {"0" * 600: text("not ours"), "Use Defaults": dword(0),
                                      "BackgroundActivity": dword(0), "farMigrated": dword(1), "farCount": dword(2),
                                      "1farName": text("one"), "1farFileToRun": text(r"C:\one.exe"),
                                      "2farName": text("two"), "2farFileToRun": text(r"C:\two.exe")})
    assert "0" * 600 in desktop.reg_values(OPTIONS_KEY)
    program = desktop.start_program(korvix)
    desktop.wait_engine(program)
    quit_copy(desktop, korvix, program)

    stored = desktop.reg_values(OPTIONS_KEY)
    assert stored["farCount"] == 2
    assert (stored["1farName"], stored["2farName"]) == ("one", "two")


def status_line(desktop) -> str:
    """The main window's status line as a screen reader reads it."""
    return next((row[3] for row in tree(desktop) if row[1] == ROLE_STATUSBAR), "")


def test_a_failing_memory_reading_starts_no_critical_free_up_and_the_status_says_so(desktop, korvix, total_mb):
    """Another process makes the system's memory reading fail inside Korvix (GlobalMemoryStatusEx
    answers FALSE there): that is no reading, not "no memory available". The critical check, armed
    far below what is available, starts no free-up, and the status line says the reading failed;
    once the system reads again, the note goes."""
    program = desktop.start_quiet(korvix, BackgroundActivity=1, Regular=0, Startup=0, Critical=1, CriticalIdle=0,
                                  CriticalTriggerMB=total_mb // 20, CriticalFreeUpMB=BLOCK_MB)
    open_main(desktop)
    assert "memory reading failed" not in status_line(desktop)
    before = vm_hwm_bytes(program.unix_pid())
    assert desktop.ctl("failmem", "on") == "done"
    try:
        wait_until(lambda: "memory reading failed" in status_line(desktop), 20, "the status line to tell it")
        time.sleep(3)  # several critical checks of failed readings
        rise = vm_hwm_bytes(program.unix_pid()) - before
        assert rise < BLOCK_MB * MB // 2, f"a failed reading started a critical free-up (+{rise // MB} MB)"
        # Read as "nothing available", a critical free-up of nearly all memory would start and be
        # told (the 32-bit build refuses it with its size limit balloon).
        told = [b for b in desktop.ctl("balloons", check=False).splitlines() if "freed" in b.lower()]
        assert not told, f"a failed reading started a critical free-up: {told}"
    finally:
        desktop.ctl("failmem", "off", check=False)
    wait_until(lambda: "memory reading failed" not in status_line(desktop), 20, "the note to go once it reads again")
