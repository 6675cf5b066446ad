"""The skinned dialogs of the real program. The Free-and-Run manager opens from the tray menu
("Manage entries..."): an entry is added through the file dialog, renamed, sized with the keyboard,
saved when the manager closes, launched from the tray submenu and removed again. The hotkey and
ask-defaults dialogs open from the main window's buttons."""
import shutil

from korvix_e2e import OPTIONS_KEY, helper_exe, wait_until

MANAGER = "Free and run menu - manage entries"
FILE_DIALOG = "Add Program"
FILE_NAME_FIELD = 0x47C  # the open-file dialog's file name box (cmb13)
BLOCK_MB = 63
TAB, SPACE, DELETE, END = 0x09, 0x20, 0x2E, 0x23


def quiet_options(**values):
    return {"Use Defaults": 0, "BackgroundActivity": 0, "farMigrated": 1, **values}


def start_ready(desktop, exe):
    program = desktop.start_program(exe)
    desktop.wait_engine(program)
    desktop.tray_rect()
    return program


def open_free_and_run_submenu(desktop):
    desktop.right_click_icon(1)
    desktop.wait_menus(1)
    desktop.keys("down", "down", "right")  # Show, Free and Run >
    desktop.wait_menus(2)


def open_manager(desktop):
    open_free_and_run_submenu(desktop)
    desktop.keys("return")  # "Manage entries..." is the submenu's first item
    desktop.wait_menus(0)
    desktop.wait_text(MANAGER, "Close")


def manager_windows(desktop):
    return [t for t in desktop.ctl("titles").splitlines() if t == MANAGER]


def test_manager_adds_renames_sizes_saves_launches_and_removes_an_entry(desktop, korvix, total_mb):
    target = desktop.prefix / "drive_c" / "e2e" / "far_target.exe"
    target.parent.mkdir(parents=True)
    shutil.copyfile(helper_exe("far_target"), target)
    marker = target.with_name(target.name + ".ran")
    desktop.reg_import(OPTIONS_KEY, quiet_options(farCount=0))
    start_ready(desktop, korvix)

    open_manager(desktop)
    # A second "Manage entries..." brings the same window forward.
    open_manager(desktop)
    assert len(manager_windows(desktop)) == 1

    # Add (the first control in Tab order has the focus): the file dialog.
    desktop.keys(SPACE)
    wait_until(lambda: desktop.window_texts(FILE_DIALOG), 20, "the open-file dialog")
    assert desktop.ctl("settext", FILE_DIALOG, FILE_NAME_FIELD, r"C:\e2e\far_target.exe") == "1"
    desktop.keys("return")
    desktop.wait_text(MANAGER, r"C:\e2e\far_target.exe")
    desktop.save_window("dialog-freeandrun-e2e", MANAGER)

    # Tab: Add, Remove, list, program file, "...", name. The name, then the amount: the far end
    # (one past the machine's size, nothing to free), then 64 steps back: a 63 MB free-up.
    desktop.keys(*[TAB] * 5, "e", "t", "o", "o", "l")
    desktop.keys(TAB, END, *["left"] * (BLOCK_MB + 1))
    desktop.keys("escape")  # Close is the cancel button
    wait_until(lambda: not manager_windows(desktop), 10, "the manager to close")

    values = desktop.reg_values(OPTIONS_KEY)
    assert values["farCount"] == 1
    assert values["1farFileToRun"].lower() == r"c:\e2e\far_target.exe"
    assert values["1farName"] == "etool"
    assert values["1farMBToFree"] == total_mb - BLOCK_MB

    # The tray submenu shows the entry and launches it after its free-up.
    open_free_and_run_submenu(desktop)
    desktop.keys("down", "return")
    desktop.wait_menus(0)
    wait_until(marker.exists, 30, "the new entry's program to run")

    # Delete in the list removes it; closing saves the empty list.
    open_manager(desktop)
    desktop.keys(TAB, TAB, DELETE)
    wait_until(lambda: not any("far_target" in t for t in desktop.window_texts(MANAGER)), 10,
               "the entry to leave the manager")
    desktop.keys("escape")
    wait_until(lambda: not manager_windows(desktop), 10, "the manager to close")
    assert desktop.reg_query(OPTIONS_KEY, "farCount") == 0
