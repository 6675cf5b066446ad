"""What the user is told after a free-up they asked for: the balloon on the program's icon
with the memory it freed, and the 32-bit edition's word on an amount it cannot free."""
import re

import pytest

from korvix_e2e import MB, korvix_exe, needs_win32, vm_hwm_bytes, wait_until

BLOCK_MB = 64
# A balloon after a free-up: "Freed 812 MB: 3.40 GB available (was 2.60 GB)", or, when the
# available memory did not grow, "No memory was freed: 3.40 GB available, as before".
SIZE = r"\d+(?:[.,]\d\d)? [MG]B"
RESULT = re.compile(rf"^(Freed {SIZE}: {SIZE} available(?: \(was {SIZE}\))?"
                    rf"|No memory was freed: {SIZE} available(?:, as before| \(was {SIZE}\)))$")
LIMIT = ("Nothing was freed: the 32-bit edition of Korvix frees at most 2045 MB at once, not {amount}. "
         "The 64-bit edition has no such limit.")


def balloons(desktop):
    return desktop.ctl("balloons", check=False).splitlines()


@pytest.mark.parametrize("bits", [pytest.param(32, marks=needs_win32), 64], ids=["win32", "win64"])
def test_hotkey_free_up_shows_a_balloon_with_what_it_freed(desktop, bits, total_mb):
    exe = korvix_exe(bits)
    assert exe.exists(), f"{exe} is missing: build it first"
    desktop.start_quiet(exe, Amount1=total_mb - BLOCK_MB)
    assert not [b for b in balloons(desktop) if RESULT.match(b)]

    desktop.hotkey("ctrl+alt+d")
    shown = wait_until(lambda: [b for b in balloons(desktop) if RESULT.match(b)], 30,
                       "a balloon with the free-up's result")
    assert len(shown) == 1, shown
    desktop.save_screen("balloon-result", desktop.screenshot("balloon"), (1024 - 420, 768 - 140, 1024, 768))


@needs_win32
def test_32bit_preset_above_the_limit_explains_and_frees_nothing(desktop, total_mb):
    korvix = korvix_exe(32)
    amount_mb = 3000
    if total_mb <= amount_mb:
        pytest.skip(f"a preset of {amount_mb} MB needs more than {total_mb} MB of memory")
    program = desktop.start_quiet(korvix, Amount1=total_mb - amount_mb)
    before = vm_hwm_bytes(program.unix_pid())

    desktop.hotkey("ctrl+alt+d")
    expected = LIMIT.format(amount="2.93 GB")
    wait_until(lambda: expected in balloons(desktop), 20, "the balloon that explains the 32-bit limit")
    # Nothing was committed: the peak working set did not grow by a block.
    assert vm_hwm_bytes(program.unix_pid()) - before < 32 * MB
    assert desktop.engine_count() == 1
