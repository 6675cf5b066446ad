"""The tray: the memory icon's menu, a style chosen there, logoff, and the shell's
"TaskbarCreated" broadcast. At default options the memory icon is the only icon."""
import time

from korvix_e2e import (OPTIONS_KEY, bar_height, has_picture_frame, has_text_inside, wait_until)

MEMORY_ICON = 1
# Memory Monitor submenu, top to bottom; it opens with its first item selected.
STYLES = {"Chart": 1, "Number": 2, "Bar": 3}
NORMAL_GREEN, WARNING_RED = (0, 128, 0), (255, 0, 0)


def start_with_number_icon(desktop, korvix):
    program = desktop.start_program(korvix)
    desktop.wait_engine(program)
    desktop.wait_icon(MEMORY_ICON, has_text_inside, "the memory icon drawn as a number (the default)")
    return program


def choose_memory_style(desktop, style, screen_name=None):
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


def is_memory_bar(pixels):
    height = bar_height(pixels)
    if height is None:
        return False
    # Used-memory mode: normal colour below the warning level of 12 rows, warning colour from it.
    return height == 0 or pixels[15][1] == (WARNING_RED if height >= 12 else NORMAL_GREEN)


def test_choosing_bar_in_the_tray_menu_changes_the_icon_and_the_stored_style(desktop, korvix):
    program = start_with_number_icon(desktop, korvix)
    # The icon starts from the empty history; the first sample (1 s at defaults) redraws it,
    # so the screenshot shows a measured value.
    first_picture = desktop.icon_pixels(MEMORY_ICON)
    desktop.wait_icon(MEMORY_ICON, lambda px: px != first_picture and has_text_inside(px),
                      "the memory icon to show the first sample")

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
