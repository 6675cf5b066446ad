"""The tray: the memory icon's menu, a style chosen there, logoff, and the shell's
"TaskbarCreated" broadcast. At default options the memory icon is the only icon."""
import time

from korvix_e2e import (MEMORY_ICON, OPTIONS_KEY, STYLES, choose_memory_style, has_picture_frame, has_text_inside,
                        is_memory_bar, wait_until)


def start_with_number_icon(desktop, korvix):
    program = desktop.start_program(korvix)
    desktop.wait_engine(program)
    desktop.wait_icon(MEMORY_ICON, has_text_inside, "the memory icon drawn as a number (the default)")
    return program


def test_choosing_bar_in_the_tray_menu_changes_the_icon_and_the_stored_style(desktop, korvix):
    program = start_with_number_icon(desktop, korvix)
    # The icon starts from the empty history; the first sample (1 s at defaults) redraws it, so
    # the screenshot below shows a measured value. Waiting for the picture to change would fail
    # when the first sample is already drawn and the next ones draw the same number.
    time.sleep(1.5)

    choose_memory_style(desktop, "Bar", screen_name="tray-menu-memory-monitor")
    desktop.wait_icon(MEMORY_ICON, is_memory_bar, "the memory icon drawn as a bar")

    assert desktop.run_program(korvix, "quit") == 0
    program.wait_exit(15)
    assert desktop.reg_query(OPTIONS_KEY, "MemoryIconStyle") == STYLES["Bar"]
    assert desktop.reg_query(OPTIONS_KEY, "MemoryIcon") == 1


def test_a_style_chosen_in_the_tray_menu_survives_logoff(desktop, korvix):
    start_with_number_icon(desktop, korvix)
    choose_memory_style(desktop, "Bar")
    desktop.wait_icon(MEMORY_ICON, is_memory_bar, "the memory icon drawn as a bar")

    # Logoff ends the program after WM_ENDSESSION: only a save at end of session keeps the choice.
    desktop.logoff()
    assert desktop.reg_query(OPTIONS_KEY, "MemoryIconStyle") == STYLES["Bar"]
    assert desktop.reg_query(OPTIONS_KEY, "Use Defaults") == 0


def test_taskbar_created_broadcast_readds_the_icons_and_they_stay(desktop, korvix):
    program = start_with_number_icon(desktop, korvix)
    empty_cell = desktop.icon_pixels(MEMORY_ICON + 1)
    assert not has_picture_frame(empty_cell)

    assert desktop.ctl("bcast", "TaskbarCreated") == "1"
    # The icon is deleted and added again; a screenshot in between may catch the empty cell.
    time.sleep(0.3)
    desktop.wait_icon(MEMORY_ICON, has_text_inside, "the memory icon back after the broadcast")

    # Three sampling intervals (1 s at defaults): the icon stays, drawn and alone.
    end = time.monotonic() + 3.5
    while time.monotonic() < end:
        shot = desktop.screenshot("after-broadcast")
        assert has_text_inside(desktop.icon_pixels(MEMORY_ICON, shot)), "the memory icon vanished"
        assert desktop.icon_pixels(MEMORY_ICON + 1, shot) == empty_cell, "a second icon appeared"
        time.sleep(0.25)
    assert program.running()
    assert desktop.engine_count() == 1
    # Still the program's own icon: its menu opens from it.
    desktop.right_click_icon(MEMORY_ICON)
    desktop.wait_menus(1)
    desktop.keys("escape")
    wait_until(lambda: not desktop.menus(), 5, "the tray menu to close")
