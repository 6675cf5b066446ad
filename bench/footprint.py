"""Footprint benchmark: what Korvix costs the machine while it sits in the tray, against a
tray program that shows one icon and does nothing (tray_baseline.exe, built like Korvix).

Both run side by side under the same Wine, each on its own Xvfb display in its own throw-away
prefix (the end-to-end harness's Desktop), so the Wine processes that serve each of them
(wineserver, explorer with the tray) can be measured too. Korvix shows its three icons (memory,
processor, status) as charts and samples every second.

After a settling time, memory is sampled from /proc every few seconds (Wine reports a
process's private memory as its resident anonymous pages and its working set as its resident
set, so these are the figures GetProcessMemoryInfo gives) and processor time is the time the
process's threads spent on a processor (schedstat, in nanoseconds) over the measured span.
Handles, committed memory and GDI/USER objects are taken once at the end by footprint_probe.exe,
because asking a Wine process about its memory or injecting the counter wakes it.

    python3 bench/footprint.py            # scripts/bench.sh runs it (make bench)
    KORVIX_FOOTPRINT_SECONDS=600 ...       # measured span, default 300
"""
from __future__ import annotations

import os
import statistics
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

import korvix_e2e as e2e  # noqa: E402

SECONDS = int(os.environ.get("KORVIX_FOOTPRINT_SECONDS", "300"))
SETTLE_SECONDS = int(os.environ.get("KORVIX_FOOTPRINT_SETTLE", "30"))
SAMPLE_SECONDS = 5
BUILD = Path(os.environ.get("KORVIX_BENCH_BUILD", ROOT / "build" / "win32"))
KORVIX = Path(os.environ.get("KORVIX_EXE32", ROOT / "dist" / BUILD.name / "Korvix.exe"))
BASELINE = BUILD / "bench" / "tray_baseline.exe"
PROBE = BUILD / "bench" / "footprint_probe.exe"
BASELINE_TITLE = "Korvix Footprint Baseline"
MB = 1024 * 1024
# Goals: private memory within 1.5 MB of the baseline; processor time of every process of the
# prefix (the program and the Wine processes that serve it) at most 1.2 x the baseline's.
PRIVATE_GOAL_MB = 1.5
CPU_GOAL_RATIO = 1.2

# Korvix's settings: memory, processor and status icons, all as charts, sampled every second.
# The automatic free-ups keep their load defaults (critical at 90 % used, regular once a day),
# so none runs during the measurement; "Startup" off keeps the Run key alone.
KORVIX_OPTIONS = {
    "Use Defaults": 0,
    "CPU Monitoring": 1,
    "Chart Interval": 1000,
    "MemoryIcon": 1,
    "MemoryIconStyle": 1,
    "CPUIconStyle": 1,
    "ProgramIcon": 1,
    "Startup": 0,
}


def read_status(pid: int) -> dict[str, int]:
    """VmRSS, VmHWM, RssAnon, RssFile, VmSwap of a process, in bytes."""
    values = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            name, _, rest = line.partition(":")
            if name in ("VmRSS", "VmHWM", "RssAnon", "RssFile", "VmSwap"):
                values[name] = int(rest.split()[0]) * 1024
    return values


def cpu_ns(pid: int) -> int:
    """Nanoseconds the threads of a process have run (their live threads; see schedstat)."""
    total = 0
    for task in Path(f"/proc/{pid}/task").iterdir():
        try:
            total += int((task / "schedstat").read_text().split()[0])
        except (OSError, ValueError):
            pass  # a thread that just ended
    return total


class Subject:
    """One measured program on its own desktop."""

    def __init__(self, label: str, desktop: e2e.Desktop):
        self.label, self.desktop = label, desktop
        self.pid = self.windows_pid = 0
        self.samples: list[dict[str, int]] = []
        self.cpu: dict[str, int] = {}

    def helpers(self) -> dict[str, list[int]]:
        """Unix pids of the Wine processes that serve this desktop."""
        return {"wineserver": [p for p, cmd in self.desktop.prefix_processes() if "wineserver" in cmd],
                "explorer": [p for p, _ in self.desktop.program_processes("explorer.exe")]}

    def cpu_now(self) -> dict[str, int]:
        now = {"program": cpu_ns(self.pid)}
        for name, pids in self.helpers().items():
            now[name] = sum(cpu_ns(p) for p in pids)
        now["prefix"] = sum(cpu_ns(p) for p, _ in self.desktop.prefix_processes())
        return now

    def probe(self, *args: str) -> dict[str, int]:
        out = self.desktop.wine(str(PROBE), str(self.windows_pid), *args, timeout=300).stdout.decode()
        pairs = dict(item.split("=", 1) for item in out.split())
        if "error" in pairs:
            raise e2e.HarnessError(f"footprint_probe on {self.label}: {out}")
        return {k: int(v) for k, v in pairs.items()}


def start_korvix(desktop: e2e.Desktop) -> Subject:
    subject = Subject("Korvix", desktop)
    desktop.reg_import(e2e.OPTIONS_KEY, KORVIX_OPTIONS)
    program = desktop.start_program(KORVIX)
    _, subject.windows_pid = desktop.wait_engine(program)
    subject.pid = desktop.program_processes("Korvix.exe")[0][0]
    return subject


def start_baseline(desktop: e2e.Desktop) -> Subject:
    subject = Subject("baseline", desktop)
    desktop.start_program(BASELINE)
    subject.windows_pid = int(e2e.wait_until(lambda: desktop.ctl("pid", BASELINE_TITLE, check=False).isdigit()
                                             and desktop.ctl("pid", BASELINE_TITLE), 20, "the baseline's window"))
    subject.pid = desktop.program_processes(BASELINE.name)[0][0]
    return subject


def tray_icon_count(desktop: e2e.Desktop) -> int:
    """Icons in the tray: cells from the right edge that differ from the empty cell's picture."""
    shot = desktop.screenshot("tray")
    empty = desktop.icon_pixels(8, shot)
    return sum(1 for n in range(1, 8) if desktop.icon_pixels(n, shot) != empty)


def per_hour(ns: int, seconds: float) -> float:
    return ns / 1e9 * 3600 / seconds


def ratio(a: float, b: float) -> str:
    return f"{a / b:8.2f}x" if b > 0 else "     n/a"


def row(name: str, korvix: float, baseline: float, unit: str, digits: int = 2) -> str:
    return (f"  {name:<34}{korvix:>12.{digits}f}{baseline:>12.{digits}f}{korvix - baseline:>+12.{digits}f}"
            f"  {ratio(korvix, baseline)}  {unit}")


def main() -> int:
    for f in (KORVIX, BASELINE, PROBE):
        if not f.exists():
            print(f"footprint: {f} is missing (scripts/bench.sh builds it)", file=sys.stderr)
            return 1
    e2e.ensure_template()
    with e2e.Desktop("footprint-korvix") as korvix_desktop, e2e.Desktop("footprint-baseline") as baseline_desktop:
        korvix = start_korvix(korvix_desktop)
        baseline = start_baseline(baseline_desktop)
        time.sleep(SETTLE_SECONDS)
        icons = tray_icon_count(korvix_desktop), tray_icon_count(baseline_desktop)
        if icons != (3, 1):
            raise e2e.HarnessError(f"expected 3 Korvix icons and 1 baseline icon in the tray, found {icons}")

        subjects = (korvix, baseline)
        for s in subjects:
            s.cpu = s.cpu_now()
        start = time.monotonic()
        while (elapsed := time.monotonic() - start) < SECONDS:
            for s in subjects:
                s.samples.append(read_status(s.pid))
            time.sleep(min(SAMPLE_SECONDS, max(0.0, SECONDS - elapsed)))
        seconds = time.monotonic() - start
        for s in subjects:
            end = s.cpu_now()
            s.cpu = {name: end[name] - s.cpu[name] for name in end}
            s.samples.append(read_status(s.pid))
        # Asked last: these wake the processes, and the counter is loaded into them.
        probes = [s.probe("gui") for s in subjects]

    def median(s: Subject, name: str) -> float:
        return statistics.median(sample[name] for sample in s.samples)

    print(f"footprint: {seconds:.0f} s measured after {SETTLE_SECONDS} s of settling, side by side under "
          f"{os.popen('wine --version').read().strip()}")
    print("  Korvix: memory, processor and status icons as charts, sampling every second; "
          "baseline: one icon, nothing else")
    print(f"  {'':<34}{'Korvix':>12}{'baseline':>12}{'difference':>12}  {'ratio':>9}")
    print(row("private memory, median", median(korvix, "RssAnon") / MB, median(baseline, "RssAnon") / MB, "MB"))
    print(row("private memory, end", korvix.samples[-1]["RssAnon"] / MB, baseline.samples[-1]["RssAnon"] / MB,
              "MB"))
    print(row("committed private memory, end", probes[0]["committed"] / MB, probes[1]["committed"] / MB, "MB"))
    print(row("working set, median", median(korvix, "VmRSS") / MB, median(baseline, "VmRSS") / MB, "MB"))
    print(row("peak working set", korvix.samples[-1]["VmHWM"] / MB, baseline.samples[-1]["VmHWM"] / MB, "MB"))
    print(row("committed image memory", probes[0]["image"] / MB, probes[1]["image"] / MB, "MB"))
    for name in ("handles", "gdi", "user"):
        label = {"handles": "kernel handles", "gdi": "GDI objects", "user": "USER objects"}[name]
        print(row(label, probes[0][name], probes[1][name], "", 0))
    cpu = {name: (per_hour(korvix.cpu[name], seconds), per_hour(baseline.cpu[name], seconds))
           for name in korvix.cpu}
    print(row("processor time", *cpu["program"], "s per hour", 3))
    print(row("  wineserver serving it", *cpu["wineserver"], "s per hour", 3))
    print(row("  explorer (the tray) serving it", *cpu["explorer"], "s per hour", 3))
    print(row("every process of the prefix", *cpu["prefix"], "s per hour", 3))

    private_diff = (median(korvix, "RssAnon") - median(baseline, "RssAnon")) / MB
    korvix_cpu, baseline_cpu = cpu["prefix"]
    print(f"  goal: private memory within {PRIVATE_GOAL_MB} MB of the baseline: "
          f"{'met' if private_diff <= PRIVATE_GOAL_MB else 'NOT met'} ({private_diff:+.2f} MB)")
    share = f"Korvix's prefix {korvix_cpu:.3f} s per hour, {korvix_cpu / 36:.3f} % of one processor"
    if baseline_cpu > 0:
        cpu_ratio = korvix_cpu / baseline_cpu
        print(f"  goal: processor time of the prefix at most {CPU_GOAL_RATIO} x the baseline's: "
              f"{'met' if cpu_ratio <= CPU_GOAL_RATIO else 'NOT met'} ({cpu_ratio:.2f} x; {share})")
    else:
        print(f"  goal: processor time of the prefix at most {CPU_GOAL_RATIO} x the baseline's: "
              f"{'met' if korvix_cpu == 0 else 'NOT met'} (the baseline's prefix never ran in {seconds:.0f} s; {share})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
