"""The main window of the real program: opened from the tray, the menu and a second start,
its pages, sliders and check boxes changing the stored options, the manual free-up,
context help, switching skins and the skin-needed fallback, its place on the screen, help,
and the options surviving a restart. The window is found by its class (TfrmMain) and its
elements by the rectangles the default skin gives them."""
import base64
import re
import struct
import time
import zlib
from pathlib import Path

import pytest

from korvix_e2e import (ENGINE_SIGNATURE, MB, OPTIONS_KEY, ROOT, SCALE, HarnessError, read_rgb, vm_hwm_bytes, wait_until,
                        winpath)

MAIN_CLASS = "TfrmMain"
POPUP_CLASS = "KorvixHelpPopup"
VIEWER_CLASS = "HH Parent"
PRODUCT = "Korvix Professional"
BLOCK_MB = 64
RISE_MIN = 48 * MB


def skin_layout(skin: Path) -> dict[str, tuple[int, int, int, int]]:
    """Element name -> (x, y, w, h) in design pixels, as the skin's text gives them."""
    layout, pending = {}, None
    for line in skin.read_text().splitlines():
        head = re.match(r"\s*(?:static|button|scrollbar|group|image)\s+([A-Za-z0-9_.-]+)\s*\{", line)
        if head:
            pending = head.group(1)
            continue
        rect = re.match(r"\s*rect\s+(-?\d+)\s+(-?\d+)\s+(\d+)\s+(\d+)", line)
        if rect and pending:
            layout[pending] = tuple(int(v) for v in rect.groups())
            pending = None
    return layout


LAYOUT = skin_layout(ROOT / "skins" / "default" / "default.skn.in")
DARK = skin_layout(ROOT / "skins" / "dark" / "dark.skn.in")


def scaled(v: int) -> int:
    return v * SCALE // 100


class MainWindow:
    """The main window of one desktop, driven with the mouse through xdotool."""

    def __init__(self, desktop, layout=LAYOUT):
        self.d = desktop
        self.layout = layout

    def rect(self, tries=3):
        """The window's screen rectangle, or None when there is no such window. A helper run
        that fails for its own reasons (a loaded machine) is tried again before that answer."""
        for attempt in range(tries):
            out = self.d.ctl("crect", MAIN_CLASS, check=False)
            if re.fullmatch(r"-?\d+( -?\d+){3}", out):
                return tuple(map(int, out.split()))
            if attempt + 1 < tries:
                time.sleep(0.2)
        return None

    def present_rect(self):
        rect = self.rect()
        if rect is None:
            alive = bool(self.d.program_processes("Korvix.exe"))
            titles = self.d.ctl("titles", check=False).splitlines()
            raise HarnessError(f"the main window is gone (Korvix.exe {'running' if alive else 'not running'}; "
                               f"windows: {titles})")
        return rect

    def wait_open(self, timeout=20):
        return wait_until(self.rect, timeout, "the main window to show")

    def wait_closed(self, timeout=20):
        wait_until(lambda: self.rect() is None, timeout, "the main window to close")

    def point(self, name, dx=None, dy=None):
        """Screen point of an element: its middle, or (dx, dy) design pixels into it."""
        left, top, _, _ = self.present_rect()
        x, y, w, h = self.layout[name]
        px = x + (w // 2 if dx is None else dx)
        py = y + (h // 2 if dy is None else dy)
        return left + scaled(px), top + scaled(py)

    def click(self, name, dx=None, dy=None):
        x, y = self.point(name, dx, dy)
        self.d.xdotool("mousemove", x, y)
        time.sleep(0.05)
        self.d.xdotool("click", 1)
        time.sleep(0.1)

    def drag(self, name, from_dx, to_dx):
        x0, y = self.point(name, from_dx)
        x1, _ = self.point(name, to_dx)
        self.d.xdotool("mousemove", x0, y)
        self.d.xdotool("mousedown", 1)
        for step in range(1, 6):
            self.d.xdotool("mousemove", x0 + (x1 - x0) * step // 5, y)
            time.sleep(0.05)
        self.d.xdotool("mouseup", 1)
        time.sleep(0.1)

    def pixels(self, name, shot=None):
        """Pixels of an element's rectangle on the screen."""
        left, top, _, _ = self.present_rect()
        x, y, w, h = self.layout[name]
        shot = shot or self.d.screenshot(f"main-{name}")
        return read_rgb(shot, left + scaled(x), top + scaled(y), scaled(w), scaled(h))

    def open_page(self, button, page_element):
        """Clicks a page button and waits for the page's element to show."""
        home = self.pixels(page_element)
        self.click(button)
        wait_until(lambda: self.pixels(page_element) != home, 10, f"the page of {button} to show")
        time.sleep(0.4)  # the show animation runs its 200 ms to the end


def settled_screenshot(desktop, name) -> Path:
    time.sleep(0.3)  # settle: a window that has just shown may not have painted yet
    return desktop.screenshot(name)


def open_from_menu(desktop):
    desktop.right_click_icon(1)
    desktop.wait_menus(1)
    desktop.keys("down", "return")  # "Show Korvix Professional", the default item
    desktop.wait_menus(0)
    return MainWindow(desktop).wait_open()


def open_main(desktop):
    open_from_menu(desktop)
    window = MainWindow(desktop)
    time.sleep(0.5)  # the first paint and the options' first refresh
    return window


def close_main(window):
    window.click("close")
    window.wait_closed()


def quit_program(desktop, korvix, program):
    assert desktop.run_program(korvix, "quit") == 0
    program.wait_exit(20)


# ---- Opening ----

def test_main_window_opens_from_a_double_click_on_the_icon(desktop, korvix):
    desktop.start_quiet(korvix)
    x, y = desktop.icon_center(1)
    desktop.xdotool("mousemove", x, y)
    time.sleep(0.05)
    desktop.xdotool("click", "--repeat", 2, "--delay", 80, 1)
    left, top, right, bottom = MainWindow(desktop).wait_open()
    assert (right - left, bottom - top) == (scaled(720), scaled(544))
    assert desktop.ctl("ctext", MAIN_CLASS) == PRODUCT


def test_main_window_opens_from_the_menus_default_item(desktop, korvix):
    desktop.start_quiet(korvix)
    open_from_menu(desktop)


def test_a_second_start_opens_the_window_in_the_first_copy_only_after_two_seconds(desktop, korvix):
    desktop.reg_import(OPTIONS_KEY, {"Use Defaults": 0, "BackgroundActivity": 0})
    program = desktop.start_program(korvix)
    desktop.wait_engine(program)
    # The engine has just come up: a second copy within 2 seconds opens nothing.
    assert desktop.run_program(korvix, timeout=30) == 0
    assert MainWindow(desktop).rect() is None
    time.sleep(2.2)
    assert desktop.run_program(korvix, timeout=30) == 0
    MainWindow(desktop).wait_open()
    assert desktop.engine_count() == 1


# ---- Pages ----

PAGES = [("manual", "manual_page"), ("regular", "regular_page"), ("critical", "critical_page"),
         ("startup", "startup_page"), ("monitor", "monitor_page"), ("misc", "misc_page")]


def test_each_page_button_opens_its_page_pressed_and_a_second_click_closes_it(desktop, korvix):
    desktop.start_quiet(korvix)
    window = open_main(desktop)
    home = window.pixels("manual_page")
    for button, page in PAGES:
        normal = window.pixels(button)
        window.open_page(button, page)
        assert window.pixels(button) != normal, f"{button} shows no pressed look"
        window.click(button)
        wait_until(lambda: window.pixels(page) == home, 10, f"{page} to close")
        # Hovered, the button is drawn hot: move away before comparing its look.
        desktop.xdotool("mousemove", 5, 5)
        wait_until(lambda: window.pixels(button) == normal, 5, f"{button} to lose its pressed look")


# Long enough to aim a click at on a busy machine, short of the 5 s after which a switch completes.
SLOW_FRAME_S = 4.0


def slow_skin(desktop, korvix) -> str:
    """The default skin with every 200 ms animation frame made SLOW_FRAME_S long.

    A page switch counts as running from the first timer tick after the click that plays its
    animations until they have ended. With the shipped 200 ms animations that is too short to aim
    a click at from outside the program; on a busy machine a screenshot and a click take a second
    or more, so the show must last several."""
    text = (korvix.parent / "default.skn").read_text()
    slow = re.sub(r"^(\s*)frame 200\b", rf"\g<1>frame {int(SLOW_FRAME_S * 1000)}", text, flags=re.M)
    assert slow != text, "the default skin has no 200 ms animation frames any more"
    (desktop.prefix / "drive_c" / "slow.skn").write_text(slow)
    return r"C:\slow.skn"


def test_a_page_button_during_the_animation_changes_nothing(desktop, korvix):
    desktop.start_quiet(korvix, Skin=slow_skin(desktop, korvix))
    window = open_main(desktop)
    desktop.xdotool("mousemove", 5, 5)
    time.sleep(0.3)
    shot = desktop.screenshot("before-clicks")
    manual_normal, regular_normal = window.pixels("manual", shot), window.pixels("regular", shot)
    home = window.pixels("manual_page", shot)
    window.click("manual")
    # A timer tick starts the show; until then a second click still switches pages, as it
    # should. The tick is the lowest-priority message, late on a busy machine: aim the click at
    # the show once it is seen fading in, not at a guess of when the tick comes.
    wait_until(lambda: window.pixels("manual_page") != home, 10, "the manual page to start fading in")
    fading_since = time.monotonic()
    window.click("regular")
    desktop.xdotool("mousemove", 5, 5)
    # An accepted click would leave "regular" pressed for good; a refused one only hot until
    # the mouse has been seen leaving.
    wait_until(lambda: window.pixels("regular") == regular_normal, 5,
               "regular to look as before: the click during the animation switched pages")
    assert window.pixels("manual") != manual_normal, "the first click did not open its page"
    # Once the switch has played, the same button works.
    time.sleep(max(0.0, fading_since + SLOW_FRAME_S + 0.5 - time.monotonic()))
    window.click("regular")
    desktop.xdotool("mousemove", 5, 5)
    # Opening regular takes the pressed look from manual (regular itself may still look hot).
    wait_until(lambda: window.pixels("manual") == manual_normal, 5 + SLOW_FRAME_S,
               "regular to open after the animation")


# ---- Option controls ----

def test_slider_drag_and_keyboard_change_the_stored_option(desktop, korvix, total_mb):
    program = desktop.start_quiet(korvix, Manual=total_mb // 2)
    window = open_main(desktop)
    window.open_page("manual", "manual_page")
    x, y, w, h = LAYOUT["manual_scroll"]
    # The thumb sits in the middle; drag it a quarter of the bar to the left.
    window.drag("manual_scroll", w // 2, w // 4)
    close_main(window)
    dragged = desktop.reg_query(OPTIONS_KEY, "Manual")
    assert dragged < total_mb // 2 - total_mb // 10

    # The keyboard: the thumb clicked (focused), then Right moves one step.
    window = open_main(desktop)
    window.open_page("manual", "manual_page")
    thumb = int((dragged - 1) / (total_mb + total_mb // 20 - 1) * (w - h)) + h // 2
    window.click("manual_scroll", dx=thumb)
    desktop.keys("right", "right", "right")
    close_main(window)
    assert desktop.reg_query(OPTIONS_KEY, "Manual") == dragged + 3
    quit_program(desktop, korvix, program)


def test_critical_trigger_dragged_below_the_amount_drags_the_amount_along(desktop, korvix, total_mb):
    desktop.start_quiet(korvix, CriticalFreeUpMB=total_mb * 3 // 4, CriticalTriggerMB=total_mb * 7 // 8)
    window = open_main(desktop)
    window.open_page("critical", "critical_page")
    x, y, w, h = LAYOUT["critical_adjust_scroll"]
    trigger_thumb = int(7 / 8 * (w - h)) + h // 2
    window.drag("critical_adjust_scroll", trigger_thumb, 0)
    close_main(window)
    trigger = desktop.reg_query(OPTIONS_KEY, "CriticalTriggerMB")
    amount = desktop.reg_query(OPTIONS_KEY, "CriticalFreeUpMB")
    assert trigger < total_mb // 4
    assert amount <= trigger


def test_a_check_box_toggles_its_option(desktop, korvix):
    desktop.start_quiet(korvix, Regular=0)
    window = open_main(desktop)
    window.open_page("regular", "regular_page")
    window.click("regular_on_check")
    close_main(window)
    assert desktop.reg_query(OPTIONS_KEY, "Regular") == 1
    window = open_main(desktop)
    window.open_page("regular", "regular_page")
    window.click("regular_on_check")
    close_main(window)
    assert desktop.reg_query(OPTIONS_KEY, "Regular") == 0


def test_the_free_up_button_frees_the_shown_amount(desktop, korvix, total_mb):
    program = desktop.start_quiet(korvix, Manual=total_mb - BLOCK_MB)
    window = open_main(desktop)
    window.open_page("manual", "manual_page")
    before = vm_hwm_bytes(program.unix_pid())
    window.click("manual_activate")
    wait_until(lambda: vm_hwm_bytes(program.unix_pid()) - before >= RISE_MIN, 30,
               f"the peak resident memory to rise by {BLOCK_MB} MB")


def test_context_help_on_free_up_shows_its_text_below_it_and_frees_nothing(desktop, korvix, total_mb):
    program = desktop.start_quiet(korvix, Manual=total_mb - BLOCK_MB)
    window = open_main(desktop)
    window.open_page("manual", "manual_page")
    before = vm_hwm_bytes(program.unix_pid())
    window.click("contexthelp")
    window.click("manual_activate")
    popup = wait_until(lambda: (r := desktop.ctl("crect", POPUP_CLASS, check=False)) != "none" and r, 10,
                       "the context help popup")
    left, top, right, bottom = map(int, popup.split())
    bx, by, bw, bh = LAYOUT["manual_activate"]
    wl, wt, _, _ = window.rect()
    assert abs((left + right) // 2 - (wl + scaled(bx + bw // 2))) <= 2
    assert top == wt + scaled(by + bh) + 10
    assert "free" in desktop.ctl("ctext", POPUP_CLASS).lower()
    shot = settled_screenshot(desktop, "context-help")
    desktop.save_screen("main-context-help", shot, (wl, wt, wl + scaled(720), wt + scaled(544)))
    time.sleep(2)
    assert vm_hwm_bytes(program.unix_pid()) - before < RISE_MIN / 2, "the click on Free-Up freed memory"


def popup_colours(shot, popup):
    """The distinct colours inside the help popup's rectangle (left, top, right, bottom) of a screenshot."""
    left, top, right, bottom = popup
    pixels = read_rgb(shot, left + 2, top + 2, right - left - 4, bottom - top - 4)
    return {c for row in pixels for c in row}


def show_slider_help(desktop, korvix, total_mb):
    """Context help on the manual page's slider: the popup's rectangle, once it shows."""
    program = desktop.start_quiet(korvix, Manual=total_mb // 2)
    window = open_main(desktop)
    window.open_page("manual", "manual_page")
    window.click("contexthelp")
    x, y, w, h = LAYOUT["manual_scroll"]
    window.click("manual_scroll", w // 3)  # the page area left of the thumb
    popup = wait_until(lambda: (r := desktop.ctl("crect", POPUP_CLASS, check=False)) != "none" and r, 10,
                       "the context help popup")
    return program, window, tuple(map(int, popup.split()))


def test_context_help_on_a_slider_explains_it_and_moves_nothing_by_hand(desktop, korvix, total_mb):
    """Also the documentation's screenshots of it (KORVIX_E2E_SCREENS, at KORVIX_E2E_SCALE)."""
    _, window, popup = show_slider_help(desktop, korvix, total_mb)
    assert "how much memory free-up claims" in desktop.ctl("ctext", POPUP_CLASS).lower()
    wl, wt, wr, wb = window.rect()
    shot = settled_screenshot(desktop, "context-help-slider")
    # The popup's own text colour and background, not one flat colour.
    assert len(popup_colours(shot, popup)) >= 2
    desktop.save_screen("main-context-help-slider", shot, (wl, wt, wr, wb))
    desktop.keys("escape")
    wait_until(lambda: desktop.ctl("crect", POPUP_CLASS, check=False) == "none", 10, "the popup to close")
    close_main(window)
    assert desktop.reg_query(OPTIONS_KEY, "Manual") == total_mb // 2, "the click on the slider moved it"


def test_the_help_popup_over_the_main_window_shows_on_the_screen(desktop, korvix, total_mb):
    """What a user sees: the screen's own pixels hold the popup over the main window, its light
    background and its dark text (xwd, reading the screen window by window, shows black there)."""
    _, _, popup = show_slider_help(desktop, korvix, total_mb)
    colours = popup_colours(settled_screenshot(desktop, "help-over-main"), popup)
    assert len(colours) >= 2, "the popup is one flat colour"
    assert max(map(sum, colours)) >= 600 and min(map(sum, colours)) <= 200, f"no light background and dark text: {colours}"


def test_the_tray_menus_over_the_main_window_show_on_the_screen(desktop, korvix, total_mb):
    """The tray menu and its "Free and Run" submenu, where they cover the main window, show their
    items on the screen (xwd showed black there)."""
    desktop.start_quiet(korvix, Manual=total_mb // 2)
    window = open_main(desktop)
    wl, wt, wr, wb = window.rect()
    desktop.right_click_icon(1)
    desktop.wait_menus(1)
    desktop.keys("down", "down", "right")  # Show, Free and Run >
    menus = desktop.wait_menus(2)
    shot = settled_screenshot(desktop, "menus-over-main")
    covered = [(max(l, wl), max(t, wt), min(r, wr), min(b, wb)) for l, t, r, b in menus]
    covered = [box for box in covered if box[2] - box[0] > 8 and box[3] - box[1] > 8]
    assert covered, f"no menu covers the main window: menus {menus}, window {(wl, wt, wr, wb)}"
    for box in covered:
        assert len(popup_colours(shot, box)) >= 2, f"the menu is one flat colour where it covers the window: {box}"
    desktop.save_screen("main-tray-menus", shot, (min([wl] + [m[0] for m in menus]), wt,
                                                  max([wr] + [m[2] for m in menus]), max([wb] + [m[3] for m in menus])))
    desktop.keys("escape", "escape")
    desktop.wait_menus(0)


# ---- Skins ----

def broken_skin(desktop) -> str:
    path = desktop.prefix / "drive_c" / "broken skin.skn"
    path.write_text("skn 1\nform Korvix {\n  size 10\n}\n")
    return r"C:\broken skin.skn"


def test_switching_to_the_dark_skin_then_to_a_broken_one_keeps_the_dark_one(desktop, korvix):
    program = desktop.start_quiet(korvix)
    window = open_main(desktop)
    header_default = window.pixels("manual")
    window.open_page("misc", "misc_page")
    window.click("switch_skin")
    dark = winpath(korvix.parent / "dark.skn")
    assert desktop.ctl("filedlg", "Load Skin", dark) == "ok"
    dark_window = MainWindow(desktop, DARK)
    wait_until(lambda: dark_window.pixels("manual") != header_default, 10, "the dark skin to show")

    dark_window.open_page("misc", "misc_page")
    dark_window.click("switch_skin")
    broken = broken_skin(desktop)
    assert desktop.ctl("filedlg", "Load Skin", broken) == "ok"
    text = desktop.ctl("msgbox", PRODUCT, 15000)
    # The message as specified, then what the loader said, with the line of the fault.
    assert text.startswith(f"There was an error loading the skin ({broken}). Please load a different skin.")
    assert re.search(r"line \d+:", text), text
    time.sleep(0.5)
    assert MainWindow(desktop).rect() is not None
    close_main(dark_window)
    assert desktop.reg_query(OPTIONS_KEY, "Skin").lower().endswith("dark.skn")
    quit_program(desktop, korvix, program)


def test_a_missing_skin_shows_the_fallback_window_and_the_message_with_empty_parentheses(desktop, korvix):
    desktop.start_quiet(korvix, Skin="gone.skn")
    desktop.right_click_icon(1)
    desktop.wait_menus(1)
    desktop.keys("down", "return")
    text = desktop.ctl("msgbox", PRODUCT, 15000)
    assert text.startswith("There was an error loading the skin (). Please load a different skin.")
    assert "The skin file was not found" in text, text
    left, top, right, bottom = MainWindow(desktop).wait_open()
    texts = desktop.window_texts(PRODUCT)
    assert "Load Skin" in texts
    assert any(t.startswith("Korvix requires a skin file") for t in texts)
    shot = desktop.screenshot("skin-needed")
    desktop.save_screen("main-skin-needed", shot, (left, top, right, bottom))


# ---- The window's place, help, restart ----

def test_a_closed_and_reopened_window_comes_back_where_it_was(desktop, korvix):
    desktop.start_quiet(korvix)
    window = open_main(desktop)
    left, top, _, _ = window.rect()
    # Dragged by its title bar 100 pixels left and 50 up.
    x, y = window.point("header", dx=60)
    desktop.xdotool("mousemove", x, y, "mousedown", 1)
    for step in range(1, 6):
        desktop.xdotool("mousemove", x - 20 * step, y - 10 * step)
        time.sleep(0.05)
    desktop.xdotool("mouseup", 1)
    moved = wait_until(lambda: (r := window.rect()) and r[0] != left and r, 5, "the window to move")
    close_main(window)
    open_main(desktop)
    assert MainWindow(desktop).rect()[:2] == moved[:2]


def test_the_help_button_opens_the_help_viewer(desktop, korvix):
    desktop.start_quiet(korvix)
    window = open_main(desktop)
    window.open_page("critical", "critical_page")
    window.click("help")
    wait_until(lambda: desktop.ctl("crect", VIEWER_CLASS, check=False) != "none", 15, "the help viewer window")


def test_options_changed_in_the_window_survive_a_restart(desktop, korvix, total_mb):
    program = desktop.start_quiet(korvix, Regular=0, Critical=0, MemoryIcon=1, MemoryIconStyle=2)
    window = open_main(desktop)
    window.open_page("regular", "regular_page")
    window.click("regular_on_check")
    window.open_page("critical", "critical_page")
    window.click("critical_on_check")
    window.open_page("monitor", "monitor_page")
    window.click("memory_tray_icon_bar")
    window.click("show_free_memory")
    quit_program(desktop, korvix, program)
    stored = desktop.reg_values(OPTIONS_KEY)
    assert (stored["Regular"], stored["Critical"], stored["MemoryIconStyle"], stored["ShowUsedMemory"]) == (1, 1, 3, 0)

    program = desktop.start_program(korvix)
    desktop.wait_engine(program)
    desktop.tray_rect()
    quit_program(desktop, korvix, program)
    again = desktop.reg_values(OPTIONS_KEY)
    assert (again["Regular"], again["Critical"], again["MemoryIconStyle"], again["ShowUsedMemory"]) == (1, 1, 3, 0)


# ---- Screenshots (docs/screens when KORVIX_E2E_SCREENS is set; 200 % needs a larger desktop:
# KORVIX_E2E_SCALE=200 KORVIX_DESKTOP=1600x1200) ----

SCREEN_PAGES = PAGES + [("about", "about_page")]


@pytest.mark.parametrize("skin", ["default", "dark"])
def test_screens_of_every_page_by_hand(desktop, korvix, skin):
    desktop.start_quiet(korvix, Skin=f"{skin}.skn")
    open_from_menu(desktop)
    window = MainWindow(desktop, LAYOUT if skin == "default" else DARK)
    time.sleep(1.0)  # the status line arrives with the first tick
    desktop.xdotool("mousemove", 2, 2)
    left, top, right, bottom = window.rect()
    assert (right - left, bottom - top) == (scaled(720), scaled(544)), "the window does not fit the desktop"
    home = desktop.screenshot(f"{skin}-home")
    desktop.save_screen(f"main-{skin}-home", home, (left, top, right, bottom))
    shots = {}
    for button, page in SCREEN_PAGES:
        window.open_page(button, page)
        desktop.xdotool("mousemove", 2, 2)
        time.sleep(0.3)
        shot = desktop.screenshot(f"{skin}-{button}")
        desktop.save_screen(f"main-{skin}-{button}", shot, (left, top, right, bottom))
        shots[button] = window.pixels(page, shot)
        close = "about_close" if button == "about" else button
        window.click(close)
        time.sleep(0.8)
    # Every page looks different from every other.
    assert len({str(p) for p in shots.values()}) == len(shots)


# ---- A hostile skin ----

def hostile_skin(desktop, korvix) -> str:
    """The default skin made hostile within the load limits: a form as large as the test screen
    takes, a one-pixel picture tiled over all of it, a focusable button as large as the form with
    round corners as large as they come, and every animation frame a minute long."""
    def png(w, h, pixel: bytes) -> bytes:
        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
        raw = (b"\0" + pixel * w) * h
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))

    def image(name, variant, w, h, pixel):
        data = png(w, h, pixel)
        text = base64.b64encode(data).decode()
        lines = "\n".join(text[i:i + 76] for i in range(0, len(text), 76))
        return f"image {name} {variant} {w} {h} crc32 {zlib.crc32(data):08x}\n{lines}\nend\n"

    text = (korvix.parent / "default.skn").read_text()
    text = re.sub(r"^(\s*)frame (\d+)\b", r"\1frame 60000", text, flags=re.M)
    text, sized = re.subn(r"^form Korvix \{\n  size \d+ \d+\n",
                          "form Korvix {\n  size 1000 700\n"
                          "  image {\n    rect 0 0 1000 700\n    section hostile_dot\n  }\n"
                          "  button hostile {\n    rect 0 0 1000 700\n    normal hostile_round #000000\n  }\n",
                          text, count=1, flags=re.M)
    assert sized == 1, "the default skin's form no longer starts with its size"
    text = text.replace("\nsection ", "\nsection hostile_dot image hostile_dot 0 0 1 1 tile\n"
                        "section hostile_round fill vgrad #102030 #A0B0C0 radius 1024 border 64 #FF0000\nsection ", 1)
    text += image("hostile_dot", "1x", 1, 1, b"\x10\x20\x30\x80") + image("hostile_dot", "2x", 2, 2, b"\x10\x20\x30\x80")
    (desktop.prefix / "drive_c" / "hostile.skn").write_text(text)
    return r"C:\hostile.skn"


def test_a_hostile_skin_is_drawn_and_korvix_keeps_answering_with_bounded_memory(desktop, korvix):
    program = desktop.start_quiet(korvix, Skin=hostile_skin(desktop, korvix))
    before = vm_hwm_bytes(program.unix_pid())
    open_from_menu(desktop)  # the skin loaded: a missing fallback or a message box fails here
    assert "Load Skin" not in desktop.window_texts(PRODUCT), "the hostile skin was refused"
    desktop.keys(0x09)  # Tab: the focus mark around the form-sized button
    window = MainWindow(desktop)
    window.click("manual")  # a page switch whose animations last for minutes
    # Every repaint, the focus mark and the minute-long animations run on the engine's thread:
    # it answers its identify message all along.
    for _ in range(8):
        assert desktop.identify() == ENGINE_SIGNATURE
        time.sleep(1)
    # The switch completed after 5 s although its animations play on: the next page opens.
    window.click("regular")
    assert desktop.identify() == ENGINE_SIGNATURE
    grown = vm_hwm_bytes(program.unix_pid()) - before
    assert grown < 160 * MB, f"showing the hostile skin raised the peak memory by {grown // MB} MB"
