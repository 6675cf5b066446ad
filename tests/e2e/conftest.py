"""Fixtures of the end-to-end tests: each test gets its own Desktop (Xvfb, prefix,
wineserver), ended and checked for surviving processes when the test ends."""
import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).parent))

import korvix_e2e as e2e  # noqa: E402


def pytest_configure(config):
    config.addinivalue_line("markers", "win32: needs a 32-bit Windows program (the 32-bit build or the setup "
                                       "program); make test32 runs these")


def pytest_collection_modifyitems(config, items):
    if e2e.WIN32_RUNS:
        return
    skip = pytest.mark.skip(reason=e2e.WIN32_SKIP_REASON)
    for item in items:
        if item.get_closest_marker("win32"):
            item.add_marker(skip)


def pytest_terminal_summary(terminalreporter):
    # Said after the tests (pytest -q prints no header), before the summary line.
    if e2e.WIN32_EMULATED:
        terminalreporter.write_line(
            f"32-bit programs ran under emulation: they see {e2e.total_phys_mb(32)} MB of memory (the machine's "
            f"{e2e.total_phys_mb(64)} MB modulo 4 GB), the T of the tests of a 32-bit program")


@pytest.fixture(scope="session", autouse=True)
def template():
    e2e.ensure_template()
    e2e.helper_exe("ctl")
    e2e.helper_exe("far_target")


@pytest.fixture
def desktop(request):
    with e2e.Desktop(request.node.name) as d:
        yield d


@pytest.fixture
def desktop32(request):
    """A desktop of a 32-bit Windows."""
    if not e2e.WIN32_RUNS:
        pytest.skip(e2e.WIN32_SKIP_REASON)
    with e2e.Desktop(request.node.name, arch="win32") as d:
        yield d


@pytest.fixture(params=[e2e.DEFAULT_BITS], ids=[f"win{e2e.DEFAULT_BITS}"])
def korvix(request):
    exe = e2e.korvix_exe(request.param)
    assert exe.exists(), f"{exe} is missing: build it first (make build, or set KORVIX_EXE32)"
    return exe


@pytest.fixture
def korvix64():
    exe = e2e.korvix_exe(64)
    assert exe.exists(), f"{exe} is missing: build it first (make build, or set KORVIX_EXE64)"
    return exe


@pytest.fixture
def total_mb(request):
    """T, the machine's memory in MB as the program under test sees it: the test of a 32-bit
    program (marked win32) reads it as a 32-bit program does, which under emulation is the
    memory modulo 4 GB (the report header says so)."""
    bits = 32 if request.node.get_closest_marker("win32") else e2e.DEFAULT_BITS
    return e2e.total_phys_mb(bits)
