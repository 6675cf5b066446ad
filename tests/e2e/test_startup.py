"""Start-up, the one-copy rule, the command-line modes "quit" and "UNINSTALL", and the
pdh.dll placement check."""
import shutil

from korvix_e2e import (ENGINE_SIGNATURE, OPTIONS_KEY, RUN_KEY, RUN_VALUE, default_options, winpath)

QUIT_TIMEOUT = 15


def quit_running_copy(desktop, korvix, first):
    assert desktop.run_program(korvix, "quit") == 0
    first.wait_exit(QUIT_TIMEOUT)


def test_first_run_stores_the_default_options_and_the_autostart_entry(desktop, korvix, total_mb):
    assert desktop.reg_query(OPTIONS_KEY, "MemoryIconStyle") is None
    first = desktop.start_program(korvix)
    desktop.wait_engine(first)
    quit_running_copy(desktop, korvix, first)

    stored = {name: desktop.reg_query(OPTIONS_KEY, name) for name in default_options(total_mb)}
    assert stored == default_options(total_mb)
    autostart = desktop.reg_query(RUN_KEY, RUN_VALUE)
    assert autostart is not None and autostart.lower().endswith('korvix.exe" autostart'), autostart
    assert autostart.startswith('"')


def test_second_start_ends_at_once_and_the_first_keeps_answering(desktop, korvix):
    first = desktop.start_program(korvix)
    desktop.wait_engine(first)

    assert desktop.run_program(korvix, timeout=20) == 0
    assert first.running()
    assert desktop.engine_count() == 1
    assert desktop.identify() == ENGINE_SIGNATURE
    assert len(desktop.program_processes("Korvix.exe")) == 1


def test_quit_closes_the_running_copy_and_alone_ends_without_an_engine(desktop, korvix):
    # Nothing running: "quit" ends without ever creating the engine window.
    assert desktop.run_program(korvix, "quit") == 0
    assert desktop.engine_count() == 0

    first = desktop.start_program(korvix)
    desktop.wait_engine(first)
    quit_running_copy(desktop, korvix, first)
    assert desktop.engine_count() == 0
    assert desktop.program_processes("Korvix.exe") == []


def test_uninstall_closes_the_copy_and_the_run_value_stays_removed(desktop, korvix):
    desktop.reg_import(RUN_KEY, {RUN_VALUE: f'"{winpath(korvix)}" autostart'})
    first = desktop.start_program(korvix)
    desktop.wait_engine(first)

    assert desktop.run_program(korvix, "UNINSTALL") == 0
    first.wait_exit(QUIT_TIMEOUT)
    assert desktop.engine_count() == 0
    assert desktop.reg_query(RUN_KEY, RUN_VALUE) is None
    # The closing copy saved its options (with Startup on, that writes the Run value) and
    # the uninstaller's own exit saves them too; neither brought the entry back.
    assert desktop.reg_query(OPTIONS_KEY, "Use Defaults") == 0
    assert desktop.reg_query(OPTIONS_KEY, "Startup") == 1
    assert desktop.program_processes("Korvix.exe") == []
    assert desktop.reg_query(RUN_KEY, RUN_VALUE) is None


def test_uninstall_in_lower_case_starts_the_program_normally(desktop, korvix):
    copy = desktop.start_program(korvix, "uninstall")
    desktop.wait_engine(copy)
    assert copy.running()
    quit_running_copy(desktop, korvix, copy)


def test_a_pdh_dll_beside_the_program_is_refused_with_its_path_and_exit_code_1(desktop, korvix):
    # The program's own folder in the prefix, with a pdh.dll next to it (the systems of
    # today must load their own).
    folder = desktop.dir / "program"
    folder.mkdir()
    exe = folder / "Korvix.exe"
    shutil.copyfile(korvix, exe)
    (folder / "pdh.dll").write_bytes(b"not the system's")
    refused = desktop.start_program(exe)
    text = desktop.ctl("msgbox", "Korvix Professional ERROR", 20000)
    assert refused.wait_exit(QUIT_TIMEOUT) == 1
    assert text == f'Please delete the file "{winpath(folder / "pdh.dll")}" before you run Korvix Professional.'
    assert desktop.engine_count() == 0
