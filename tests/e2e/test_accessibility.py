"""The main window as a screen reader reads it, from another process (Microsoft Active
Accessibility through tests/e2e/ctl/msaa.cpp): every page button, check box and slider named,
a slider's value following a drag, focus events, and a default action that opens a page."""
import subprocess
import time

from korvix_e2e import helper_exe, wait_until
from test_mainwindow import LAYOUT, MAIN_CLASS, open_main, scaled

ROLE_CLIENT, ROLE_STATUSBAR, ROLE_STATICTEXT = 0x0A, 0x17, 0x29
ROLE_PUSHBUTTON, ROLE_CHECKBUTTON, ROLE_RADIOBUTTON, ROLE_SLIDER = 0x2B, 0x2C, 0x2D, 0x33
STATE_PRESSED, STATE_CHECKED, STATE_FOCUSED = 0x8, 0x10, 0x4
EVENT_OBJECT_FOCUS, EVENT_OBJECT_VALUECHANGE = 0x8005, 0x800E
PAGE_BUTTONS = ["Manual Free-Up", "Regular Activity", "Critical Activity", "Startup Activity", "Monitor Options",
                "Other Options", "About"]


def msaa(desktop, *args, timeout=30):
    done = desktop.wine_again(str(helper_exe("msaa")), *map(str, args), timeout=timeout, tries=3,
                              failed=lambda d: d.returncode != 0 and not d.stdout.strip())
    return done.stdout.decode("utf-8", errors="replace").replace("\r", "").strip()


def tree(desktop):
    """[(id, role, state, name, value, action, (left, top, width, height))], the client area first."""
    rows = []
    for line in msaa(desktop, "tree", MAIN_CLASS).splitlines():
        f = line.split("\t")
        assert len(f) == 7, f"not an element: {line!r}"
        rows.append((int(f[0]), int(f[1]), int(f[2], 16), f[3], f[4], f[5], tuple(map(int, f[6].split()))))
    return rows


def by_name(rows, name, role=None):
    found = [r for r in rows if r[3] == name and role in (None, r[1])]
    assert found, f"no element named {name!r} in {[r[3] for r in rows]}"
    return found[0]


def test_a_screen_reader_reads_names_roles_states_and_places(desktop, korvix):
    desktop.start_quiet(korvix)
    window = open_main(desktop)
    rows = tree(desktop)
    assert rows[0][1] == ROLE_CLIENT and rows[0][3] == "Korvix Professional"
    for name in PAGE_BUTTONS:
        assert by_name(rows, name)[1] == ROLE_PUSHBUTTON
    # Buttons drawn as icons are named by their help.
    assert all(r[3] for r in rows[1:]), "an element without a name"
    # Where the skin puts the button, on the screen.
    left, top, _, _ = window.rect()
    x, y, w, h = LAYOUT["manual"]
    assert by_name(rows, "Manual Free-Up")[6] == (left + scaled(x), top + scaled(y), scaled(w), scaled(h))

    window.open_page("regular", "regular_page")
    rows = tree(desktop)
    assert by_name(rows, "Regular Activity")[2] & STATE_PRESSED
    check = by_name(rows, "Do regular free-ups", ROLE_CHECKBUTTON)
    assert check[1] == ROLE_CHECKBUTTON and check[5] in ("Check", "Uncheck")
    sliders = [r for r in rows if r[1] == ROLE_SLIDER]
    assert [s[3] for s in sliders][:2] == ["Amount of memory to free-up", "Interval for regular free up"]
    assert all(s[4] for s in sliders), "a slider without its value"
    assert {"Allowed CPU usage", "Idle search time"} <= {s[3] for s in sliders}

    window.open_page("monitor", "monitor_page")
    rows = tree(desktop)
    radios = [r for r in rows if r[1] == ROLE_RADIOBUTTON]
    assert len(radios) >= 10 and "Memory tray-icon: Off" in {r[3] for r in radios}
    assert sum(1 for r in radios if r[3].startswith("Memory tray-icon:") and r[2] & STATE_CHECKED) == 1
    assert any(r[1] == ROLE_SLIDER and r[3] == "Monitor refresh time" for r in rows)


def test_a_slider_value_follows_a_drag_and_focus_moves_are_told(desktop, korvix):
    desktop.start_quiet(korvix)
    window = open_main(desktop)
    window.open_page("manual", "manual_page")
    before = by_name(tree(desktop), "Amount of memory to free-up", ROLE_SLIDER)
    # Listen from another process while the thumb is dragged to the far left.
    listener = subprocess.Popen(["wine", str(helper_exe("msaa")), "events", MAIN_CLASS, "6000"], env=desktop.env,
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    time.sleep(1.5)
    x, y, w, h = LAYOUT["manual_scroll"]
    window.drag("manual_scroll", w - 2, -40)
    after = by_name(tree(desktop), "Amount of memory to free-up", ROLE_SLIDER)
    assert after[4] != before[4], "the slider's value did not change"
    out, _ = listener.communicate(timeout=30)
    events = [line.split("\t") for line in out.decode("utf-8", "replace").replace("\r", "").splitlines()[1:]]
    kinds = {(int(e[0], 16), e[2] if len(e) > 2 else "") for e in events}
    assert (EVENT_OBJECT_FOCUS, "Amount of memory to free-up") in kinds
    assert (EVENT_OBJECT_VALUECHANGE, "Amount of memory to free-up") in kinds


def test_the_default_action_of_a_page_button_opens_its_page(desktop, korvix):
    desktop.start_quiet(korvix)
    open_main(desktop)
    assert not by_name(tree(desktop), "Manual Free-Up")[2] & STATE_PRESSED
    assert msaa(desktop, "do", MAIN_CLASS, "Manual Free-Up").startswith("done")
    wait_until(lambda: by_name(tree(desktop), "Manual Free-Up")[2] & STATE_PRESSED, 10, "the manual page to open")
    wait_until(lambda: any(r[3] == "Amount of memory to free-up" and r[1] == ROLE_SLIDER for r in tree(desktop)),
               10, "the manual page's slider to show")
