"""Soak benchmark: private memory of Korvix over thousands of small free-ups.

A tray program runs for weeks; whatever a free-up leaves behind adds up. Korvix runs on its
own desktop (the end-to-end harness's) with the automatic free-ups off; the helper posts
free-up requests of 1 MB, 25 ms apart, so each worker runs to its end before the next
starts. Private memory (resident anonymous pages, what Wine reports as private bytes) is read
from /proc after a warm-up of 200 free-ups and after every further 1,000.

    python3 bench/soak.py                  # KORVIX_SOAK_FREEUPS=4000 by default
    KORVIX_SOAK_STATUS_ICON=1 ...          # with the status icon always shown
"""
from __future__ import annotations

import os
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

import korvix_e2e as e2e  # noqa: E402

FREEUPS = int(os.environ.get("KORVIX_SOAK_FREEUPS", "4000"))
STATUS_ICON = os.environ.get("KORVIX_SOAK_STATUS_ICON", "0") == "1"
KORVIX = Path(os.environ.get("KORVIX_EXE32", ROOT / "dist" / "win32" / "Korvix.exe"))
STEP = 1000
WARMUP = 200
KB = 1024


def private_kb(pid: int) -> int:
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("RssAnon:"):
                return int(line.split()[1])
    raise e2e.HarnessError("no RssAnon")


def main() -> int:
    with e2e.Desktop("soak") as desktop:
        desktop.reg_import(e2e.OPTIONS_KEY, {"Use Defaults": 0, "BackgroundActivity": 0, "Startup": 0,
                                             "ProgramIcon": 1 if STATUS_ICON else 0, "MemoryIconStyle": 2})
        program = desktop.start_program(KORVIX)
        desktop.wait_engine(program)
        desktop.tray_rect()
        pid = program.unix_pid()
        desktop.ctl("requests", WARMUP, 1, 25, timeout=600)
        time.sleep(2)
        points = [(0, private_kb(pid))]
        done = 0
        while done < FREEUPS:
            n = min(STEP, FREEUPS - done)
            desktop.ctl("requests", n, 1, 25, timeout=600)
            done += n
            time.sleep(2)  # the last worker ends, Wine settles
            points.append((done, private_kb(pid)))
        assert program.running()
        print(f"soak: {FREEUPS} free-ups of 1 MB, status icon {'always shown' if STATUS_ICON else 'during free-ups'}")
        for count, kb in points:
            print(f"  after {count:>5} free-ups  private {kb:>8} KB  (+{kb - points[0][1]} KB)")
        growth = (points[-1][1] - points[0][1]) * 1000 / max(FREEUPS, 1)
        print(f"  growth per 1,000 free-ups: {growth:.0f} KB")
        desktop.run_program(KORVIX, "quit")
    return 0


if __name__ == "__main__":
    sys.exit(main())
