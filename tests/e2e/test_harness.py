"""The harness's own recipes, checked on the helper's stand-in tray program, so a
failure of a product test points at the product and not at the harness."""
from korvix_e2e import bar_height, has_picture_frame, wait_until


def test_harness_drives_a_stand_in_tray_program(desktop):
    log = desktop.dir / "standin.log"
    text = lambda: log.read_text() if log.exists() else ""  # noqa: E731
    standin = desktop.start_standin(log)
    wait_until(lambda: "ready" in text(), 15, "the stand-in to start")
    assert "hotkey_registered 1" in text()

    # Its icon (white, black frame, 4 green rows) is found exactly where the harness looks.
    assert bar_height(desktop.icon_pixels(1)) == 4

    # Menu: right click opens it; a mnemonic opens the submenu with its first item selected.
    desktop.right_click_icon(1)
    desktop.wait_menus(1)
    desktop.keys("s")
    desktop.wait_menus(2)
    desktop.keys("down", "return")
    desktop.wait_menus(0)
    wait_until(lambda: "menu chose 22" in text(), 5, "the stand-in to report the second submenu item")

    # Arrow keys skip the separator and Right opens the submenu.
    desktop.right_click_icon(1)
    desktop.wait_menus(1)
    desktop.keys("down", "down", "right")
    desktop.wait_menus(2)
    desktop.keys("return")
    desktop.wait_menus(0)
    wait_until(lambda: "menu chose 21" in text(), 5, "the stand-in to report the first submenu item")

    desktop.hotkey("ctrl+alt+d")
    wait_until(lambda: "hotkey 1" in text(), 5, "the hotkey to reach the stand-in")

    assert desktop.ctl("bcast", "TaskbarCreated") == "1"
    wait_until(lambda: "taskbarcreated" in text(), 5, "the broadcast to reach the stand-in")
    assert has_picture_frame(desktop.icon_pixels(1))

    desktop.logoff()
    assert "endsession 1" in text()
    standin.wait_exit(10)
