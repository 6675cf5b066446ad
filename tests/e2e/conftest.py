"""Fixtures of the end-to-end tests: each test gets its own Desktop (Xvfb, prefix,
wineserver), ended and checked for surviving processes when the test ends."""
import sys
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).parent))

import korvix_e2e as e2e  # noqa: E402


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
        pytest.skip("this machine cannot run 32-bit programs")
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


@pytest.fixture(scope="session")
def total_mb():
    return e2e.total_phys_mb()
