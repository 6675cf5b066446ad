"""Free-ups of the real program, seen in the peak resident memory of its process:
a free-up commits a block and writes every page of it."""
import shutil

import pytest

from korvix_e2e import (MB, WM_FREEUPREQUEST, has_picture_frame, helper_exe, korvix_exe, needs_win32,
                        vm_hwm_bytes, wait_until)

BLOCK_MB = 64
# The block is 64 MB; the peak may miss a few pages of start-up noise and may carry a
# little of the worker's own stack and bookkeeping.
RISE_MIN, RISE_MAX = 48 * MB, 160 * MB
STATUS_ICON = 2  # created after the memory icon, so left of it


def wait_rise(program, before, what):
    pid = program.unix_pid()
    return wait_until(lambda: vm_hwm_bytes(pid) - before >= RISE_MIN and vm_hwm_bytes(pid), 30,
                      f"{what}: peak resident memory of Korvix.exe to rise by {BLOCK_MB} MB")


def test_ctrl_alt_d_runs_a_free_up_of_amount1(desktop, korvix, total_mb):
    program = desktop.start_quiet(korvix, Amount1=total_mb - BLOCK_MB)
    empty_cell = desktop.icon_pixels(STATUS_ICON)
    before = vm_hwm_bytes(program.unix_pid())

    desktop.hotkey("ctrl+alt+d")
    wait_rise(program, before, "Ctrl+Alt+D")
    # The status icon shows while the worker runs and goes away after it.
    desktop.wait_icon(STATUS_ICON, lambda px: px == empty_cell, "the status icon to go when the free-up ends")
    assert vm_hwm_bytes(program.unix_pid()) - before < RISE_MAX
    assert desktop.engine_count() == 1


def test_free_and_run_entry_launches_its_program_after_the_free_up(desktop, korvix, total_mb):
    target = desktop.prefix / "drive_c" / "e2e" / "far_target.exe"
    target.parent.mkdir(parents=True)
    shutil.copyfile(helper_exe("far_target"), target)
    marker = target.with_name(target.name + ".ran")
    program = desktop.start_quiet(korvix, farCount=1, farMigrated=1, **{
        "1farName": "E2E Target", "1farFileToRun": r"C:\e2e\far_target.exe", "1farMBToFree": total_mb - BLOCK_MB})
    before = vm_hwm_bytes(program.unix_pid())

    desktop.right_click_icon(1)
    desktop.wait_menus(1)
    # Show, Free and Run > (Manage entries..., separator, the entry)
    desktop.keys("down", "down", "right")
    desktop.wait_menus(2)
    desktop.keys("down", "return")
    desktop.wait_menus(0)

    wait_until(marker.exists, 30, "the Free-and-Run entry's program to run")
    # The launched program read Korvix's peak working set as it started.
    report = dict(line.split("=", 1) for line in marker.read_text().splitlines())
    engine_peak = int(report["engine_peak"])
    assert engine_peak - before >= RISE_MIN, "the program ran before the free-up"
    assert vm_hwm_bytes(program.unix_pid()) - before < 2 * RISE_MAX
    assert desktop.engine_count() == 1


@pytest.mark.parametrize("bits", [64, pytest.param(32, marks=needs_win32)], ids=["win64", "win32"])
def test_free_up_request_runs_a_free_up(desktop, bits, total_mb):
    exe = korvix_exe(bits)
    assert exe.exists(), f"{exe} is missing: build it first"
    program = desktop.start_quiet(exe)
    before = vm_hwm_bytes(program.unix_pid())

    desktop.post(WM_FREEUPREQUEST, BLOCK_MB)
    wait_rise(program, before, f"WM_FREEUPREQUEST to the {bits}-bit build")
    assert desktop.engine_count() == 1
    assert has_picture_frame(desktop.icon_pixels(1))
