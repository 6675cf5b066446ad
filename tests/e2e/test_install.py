"""The setup program and its uninstaller, each test in a fresh prefix: silent as an administrator
runs them (what an installation puts in place, an update over a running copy, what an
uninstallation leaves behind) and by hand (the offer to start Korvix, the question about the
settings). The prefixes are 64-bit Windows, where setup installs the 64-bit program, except
the one that checks the 32-bit choice."""
import re
import zipfile

from korvix_e2e import (MEMORY_ICON, helper_exe, OPTIONS_KEY, ROOT, RUN_KEY, RUN_VALUE, STYLES, UNINSTALL_KEY,
                        choose_memory_style, has_text_inside, is_memory_bar, needs_win32, product_version, setup_exe,
                        wait_until)

PRODUCT = "Korvix Professional"
# The setup program and its uninstaller are 32-bit programs (NSIS makes no other).
needs_setup = needs_win32
SHIPPED = re.compile(r"(?i)^(korvix\.exe|.*\.skn|korvix\.chm)$")
START_TIMEOUT = 20


def shipped_files(arch="win64"):
    """What the program folder in dist/ holds for a user: the program, its skins, its help."""
    return {f.name: f for f in (ROOT / "dist" / arch).iterdir() if SHIPPED.match(f.name)}


def install(desktop):
    assert setup_exe().exists(), f"{setup_exe()} is missing: run make dist"
    done = desktop.wine(str(setup_exe()), "/S", timeout=120)
    assert done.returncode == 0, f"setup /S ended with {done.returncode}"


def install_location(desktop):
    return desktop.environment("LOCALAPPDATA") + "\\Programs\\" + PRODUCT


def shortcut(desktop):
    return desktop.environment("APPDATA") + "\\Microsoft\\Windows\\Start Menu\\Programs\\" + PRODUCT + ".lnk"


def installed_copies(desktop, folder):
    """Unix pids of the Korvix.exe processes running from folder. A process's first argument
    is its Windows path, or the Unix path it was started with."""
    windows_exe = (folder + "\\Korvix.exe").lower()
    unix_exe = str(desktop.unix_path(folder) / "Korvix.exe")
    return [pid for pid, cmd in desktop.program_processes("Korvix.exe")
            if cmd.lower().startswith(windows_exe) or cmd.startswith(unix_exe)]


def wait_installed_copy(desktop, folder, not_pid=None):
    pids = wait_until(lambda: [p for p in installed_copies(desktop, folder) if p != not_pid], START_TIMEOUT,
                      f"Korvix.exe running from {folder}")
    desktop.wait_engine()
    return pids[0]


def install_and_start(desktop):
    """Installs silently and starts the installed program: (folder, program file, Unix pid)."""
    install(desktop)
    folder = install_location(desktop)
    exe = desktop.unix_path(folder + "\\Korvix.exe")
    desktop.start_program(exe)
    return folder, exe, wait_installed_copy(desktop, folder)


def uninstall(desktop):
    """Runs the uninstaller silently, as the list of installed programs does, to its end."""
    quiet = desktop.reg_query(UNINSTALL_KEY, "QuietUninstallString")
    uninstaller, switch = re.fullmatch(r'"(.+)" (/S)', quiet).groups()
    assert desktop.wine(uninstaller, switch).returncode == 0
    # The uninstaller hands over to a copy of itself in the temporary folder and ends at once.
    wait_until(lambda: not desktop.prefix_processes("\\~nsu"), 60, "the uninstaller's copy to end")


@needs_setup
def test_silent_install_puts_files_shortcut_and_entry_in_place_and_the_program_starts(desktop):
    install(desktop)

    folder = install_location(desktop)
    files = {f.name: f for f in desktop.unix_path(folder).iterdir()}
    expected = shipped_files()
    assert set(files) == set(expected) | {"Uninstall.exe"}
    for name, source in expected.items():
        assert files[name].read_bytes() == source.read_bytes(), f"{name} is not the 64-bit program folder's"
    assert desktop.unix_path(shortcut(desktop)).is_file()

    entry = desktop.reg_values(UNINSTALL_KEY)
    assert entry is not None, "no uninstall entry"
    size_kb = sum(f.stat().st_size for f in files.values()) // 1024
    assert abs(entry.pop("EstimatedSize") - size_kb) <= len(files)
    assert entry == {
        "DisplayName": PRODUCT,
        "DisplayVersion": product_version(),
        "Publisher": "Tarvendel",
        "DisplayIcon": folder + "\\Korvix.exe,0",
        "InstallLocation": folder,
        "UninstallString": f'"{folder}\\Uninstall.exe"',
        "QuietUninstallString": f'"{folder}\\Uninstall.exe" /S',
        "NoModify": 1,
        "NoRepair": 1,
    }
    # Nothing of the program itself ran: no settings, no autostart entry yet.
    assert desktop.reg_values(OPTIONS_KEY) is None
    assert desktop.reg_query(RUN_KEY, RUN_VALUE) is None

    # The Start menu shortcut starts the installed program.
    desktop.wine("start", shortcut(desktop))
    wait_installed_copy(desktop, folder)
    desktop.wait_icon(MEMORY_ICON, has_text_inside, "the memory icon of the installed program")


@needs_setup
def test_on_32_bit_windows_setup_installs_the_32_bit_program(desktop32):
    install(desktop32)
    folder = install_location(desktop32)
    installed = desktop32.unix_path(folder + "\\Korvix.exe")
    assert installed.read_bytes() == shipped_files("win32")["Korvix.exe"].read_bytes()
    desktop32.start_program(installed)
    wait_installed_copy(desktop32, folder)


@needs_setup
def test_installing_over_a_running_copy_closes_it_and_keeps_a_changed_setting(desktop):
    folder, exe, first = install_and_start(desktop)
    desktop.wait_icon(MEMORY_ICON, has_text_inside, "the memory icon drawn as a number (the default)")
    # Changed in the running copy only: it reaches the registry when that copy closes properly.
    choose_memory_style(desktop, "Bar")
    desktop.wait_icon(MEMORY_ICON, is_memory_bar, "the memory icon drawn as a bar")
    written = exe.stat().st_ctime_ns

    install(desktop)

    assert first not in installed_copies(desktop, folder), "the running copy was not closed"
    assert exe.stat().st_ctime_ns != written, "Korvix.exe was not replaced"
    assert desktop.reg_query(OPTIONS_KEY, "MemoryIconStyle") == STYLES["Bar"]
    # A silent update starts again the copy it closed, and that copy shows the kept style.
    wait_installed_copy(desktop, folder, not_pid=first)
    desktop.wait_icon(MEMORY_ICON, is_memory_bar, "the restarted copy's memory icon drawn as a bar")
    assert desktop.engine_count() == 1


@needs_setup
def test_silent_uninstall_closes_the_copy_and_leaves_nothing_but_the_settings(desktop):
    # A first run ends by saving the settings and the autostart entry for the installed program.
    folder, exe, _ = install_and_start(desktop)
    assert desktop.run_program(exe, "quit") == 0
    wait_until(lambda: not installed_copies(desktop, folder), 15, "the first run to end")
    assert desktop.reg_query(RUN_KEY, RUN_VALUE) == f'"{folder}\\Korvix.exe" autostart'
    desktop.start_program(exe)
    wait_installed_copy(desktop, folder)

    quiet = desktop.reg_query(UNINSTALL_KEY, "QuietUninstallString")
    uninstaller, switch = re.fullmatch(r'"(.+)" (/S)', quiet).groups()
    assert desktop.wine(uninstaller, switch).returncode == 0
    # The uninstaller hands over to a copy of itself in the temporary folder and ends at once.
    wait_until(lambda: not desktop.prefix_processes("\\~nsu"), 60, "the uninstaller's copy to end")

    assert installed_copies(desktop, folder) == []
    assert desktop.engine_count() == 0
    assert not desktop.unix_path(folder).exists()
    assert not desktop.unix_path(shortcut(desktop)).exists()
    assert desktop.reg_values(UNINSTALL_KEY) is None
    assert desktop.reg_query(RUN_KEY, RUN_VALUE) is None
    assert desktop.reg_query(OPTIONS_KEY, "Use Defaults") == 0
    assert desktop.reg_query(OPTIONS_KEY, "MemoryIcon") == 1


def test_portable_archive_holds_both_program_folders_and_what_to_run():
    version = product_version()
    archive = ROOT / "dist" / f"Korvix-{version}-portable.zip"
    assert archive.exists(), f"{archive} is missing: run make dist"
    top = f"Korvix-{version}/"
    with zipfile.ZipFile(archive) as z:
        files = {info.filename[len(top):]: info for info in z.infolist()
                 if info.filename.startswith(top) and not info.is_dir()}
        expected = {f"{arch}/{name}" for arch in ("win32", "win64") for name in shipped_files(arch)}
        assert set(files) == expected | {"README.txt"}
        for arch in ("win32", "win64"):
            for name, source in shipped_files(arch).items():
                assert z.read(top + f"{arch}/{name}") == source.read_bytes(), f"{arch}/{name}"
        text = z.read(top + "README.txt").decode("ascii")
    assert f"Korvix Professional {version}" in text
    assert "win64\\Korvix.exe" in text and "win32\\Korvix.exe" in text and "UNINSTALL" in text
    assert "\n" not in text.replace("\r\n", ""), "Notepad needs Windows line ends"


SETUP_TITLE = PRODUCT + " Setup"
UNINSTALL_TITLE = PRODUCT + " Uninstall"


@needs_setup
def test_setup_by_hand_offers_to_start_korvix_at_the_end(desktop):
    setup = desktop.start_program(setup_exe())
    desktop.wait_text(SETUP_TITLE, "no administrator rights")
    desktop.save_window("setup-welcome", SETUP_TITLE)
    desktop.keys("return")
    desktop.wait_text(SETUP_TITLE, "Choose Install Location")
    desktop.save_window("setup-folder", SETUP_TITLE)
    desktop.keys("return")
    desktop.wait_text(SETUP_TITLE, "Start " + PRODUCT)
    desktop.save_window("setup-finish", SETUP_TITLE)
    desktop.keys("return")
    assert setup.wait_exit(20) == 0
    wait_installed_copy(desktop, install_location(desktop))


@needs_setup
def test_uninstall_by_hand_asks_before_it_removes_the_settings(desktop):
    folder, _, _ = install_and_start(desktop)

    desktop.start_program(desktop.unix_path(folder + "\\Uninstall.exe"))
    desktop.wait_text(UNINSTALL_TITLE, "Uninstall " + PRODUCT)
    desktop.keys("return")
    desktop.wait_text(UNINSTALL_TITLE, "settings as well")
    desktop.save_window("uninstall-settings-question", UNINSTALL_TITLE)
    desktop.keys("y")
    desktop.wait_text(UNINSTALL_TITLE, "Uninstallation Complete")
    desktop.keys("return")
    wait_until(lambda: not desktop.prefix_processes("\\~nsu"), 60, "the uninstaller's copy to end")
    assert desktop.reg_values(OPTIONS_KEY) is None
    assert desktop.reg_values(r"HKCU\Software\Tarvendel") is None
    assert not desktop.unix_path(folder).exists()


# A copy that does not close (held by a message box of its own) must not hold a silent
# update for ever: asked by the engine's close message, then ended.
@needs_setup
def test_a_silent_update_ends_a_copy_that_does_not_close_and_goes_on(desktop):
    install(desktop)
    stubborn = desktop.start_program(helper_exe("ctl"), "stubborn")
    desktop.wait_engine(stubborn)

    install(desktop)
    assert not stubborn.running(), "the copy that did not close was not ended"
    folder = install_location(desktop)
    assert desktop.reg_query(UNINSTALL_KEY, "InstallLocation") == folder


# The autostart value is one for every copy: a portable copy's stays.
@needs_setup
def test_uninstall_leaves_the_autostart_entry_of_a_copy_in_another_folder(desktop):
    install(desktop)
    elsewhere = '"C:\\Tools\\Korvix\\Korvix.exe" autostart'
    desktop.reg_import(RUN_KEY, {RUN_VALUE: elsewhere})
    uninstall(desktop)
    assert desktop.reg_query(RUN_KEY, RUN_VALUE) == elsewhere


# A shipped skin changed in place is kept under another name; unchanged ones are replaced
# and removed as before.
@needs_setup
def test_a_shipped_skin_the_user_edited_is_kept_aside_by_an_update_and_by_the_uninstaller(desktop):
    install(desktop)
    folder = desktop.unix_path(install_location(desktop))
    shipped = shipped_files()
    edited = (folder / "default.skn").read_bytes() + b"\r\n; my colours\r\n"
    (folder / "default.skn").write_bytes(edited)

    install(desktop)
    assert (folder / "default.skn").read_bytes() == shipped["default.skn"].read_bytes()
    assert (folder / "default (edited).skn").read_bytes() == edited
    skins = sorted(f.name for f in folder.iterdir() if f.suffix == ".skn")
    assert skins == sorted([*(n for n in shipped if n.endswith(".skn")), "default (edited).skn"])

    uninstall(desktop)
    assert [f.name for f in folder.iterdir()] == ["default (edited).skn"]
