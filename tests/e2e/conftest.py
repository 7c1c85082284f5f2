"""The end-to-end harness: every check of checks.txt is one test function, written once and run
on every program it is meant for. The program under test is the `program` fixture, one per name
given with --program (wine, gtk, chromium, webkit, firefox; all five by default), started once for
all the checks of a module that run on it and restarted by a check only when it needs a fresh run.

A test claims its check with @pytest.mark.check("ID"); checks.txt says where each ID runs ("all",
"native", "web", or one program's name), and a check is collected only for those programs. A
check a program cannot run is skipped with the reason the program gives (Program.cannot). A check
ID that no test claims fails the suite, as does a test that claims an ID checks.txt does not know.

A failed check keeps the screen and the program's log in build/e2e/failures/PROGRAM/.

Usage: /usr/bin/python3 -m pytest tests/e2e [--program NAME]... [--check ID]...
"""

import os
import re
import tempfile
from pathlib import Path

import pytest

import xvfb

ROOT = Path(__file__).resolve().parents[2]
CHECKS = Path(__file__).with_name("checks.txt")
PROGRAMS = ("wine", "gtk", "chromium", "webkit", "firefox")
NATIVE = ("wine", "gtk")
WEB = ("chromium", "webkit", "firefox")
FAILURES = ROOT / "build" / "e2e" / "failures"


def read_checks():
    """checks.txt: ID -> (where, what it means)."""
    checks = {}
    for line in CHECKS.read_text().splitlines():
        if line.strip() and not line.startswith("#"):
            ident, where, what = line.split(None, 2)
            checks[ident] = (where, what)
    return checks


def runs_on(where, name):
    return (where == "all" or name == where or (where == "native" and name in NATIVE)
            or (where == "web" and name in WEB))


def pytest_addoption(parser):
    parser.addoption("--program", action="append", choices=PROGRAMS,
                     help="the program to check (again for more); all five by default")
    parser.addoption("--check", action="append",
                     help="only this check: a checks.txt ID or a test's name (again for more)")


def pytest_configure(config):
    config.addinivalue_line("markers", "check(id): the checks.txt ID this test implements")
    config.addinivalue_line("markers", "programs(*names): the programs this test runs on, "
                                       "for a test that implements no shared check")


def chosen(config):
    return config.getoption("--program") or list(PROGRAMS)


def pytest_generate_tests(metafunc):
    if "program" not in metafunc.fixturenames:
        return
    names = chosen(metafunc.config)
    check = metafunc.definition.get_closest_marker("check")
    only = metafunc.definition.get_closest_marker("programs")
    if check:
        where = read_checks().get(check.args[0], ("", ""))[0]
        names = [n for n in names if runs_on(where, n)]
    if only:
        names = [n for n in names if n in only.args]
    metafunc.parametrize("program", names, indirect=True, scope="module")


def meant(item, names):
    """The test runs on one of the programs NAMES."""
    only = item.get_closest_marker("programs")
    if only and not set(only.args) & set(names):
        return False
    return ("program" not in getattr(item, "fixturenames", ())
            or getattr(getattr(item, "callspec", None), "params", {}).get("program") in PROGRAMS)


def pytest_collection_modifyitems(session, config, items):
    """Every ID of checks.txt is claimed by at least one test, and every claim is of a known ID."""
    checks = read_checks()
    claimed = {m.args[0] for item in items for m in item.iter_markers("check")}
    config.amorix_unknown = sorted(claimed - set(checks))
    # A test meant for none of the programs chosen is not collected, rather than skipped.
    unmeant = [item for item in items if not meant(item, chosen(config))]
    if unmeant:
        config.hook.pytest_deselected(items=unmeant)
        items[:] = [item for item in items if item not in unmeant]
    wanted = config.getoption("--check")
    partial = (wanted or config.getoption("-k")
               or any(arg.endswith(".py") or "::" in arg for arg in config.args))
    config.amorix_unclaimed = [] if partial else sorted(set(checks) - claimed)
    if wanted:
        kept = [item for item in items
                if item.originalname.removeprefix("test_") in wanted or item.originalname in wanted
                or any(m.args[0] in wanted for m in item.iter_markers("check"))]
        config.hook.pytest_deselected(items=[item for item in items if item not in kept])
        items[:] = kept


def pytest_sessionfinish(session, exitstatus):
    config = session.config
    problems = [f"check '{i}' of checks.txt is claimed by no test" for i in config.amorix_unclaimed]
    problems += [f"a test claims '{i}', which checks.txt does not list" for i in config.amorix_unknown]
    if problems:
        reporter = config.pluginmanager.get_plugin("terminalreporter")
        for problem in problems:
            reporter.write_line(f"FAILED {problem}", red=True)
        session.exitstatus = pytest.ExitCode.TESTS_FAILED


@pytest.fixture(scope="session")
def display():
    """A virtual X display of the harness's own (wide enough for the main window at 192 pixels
    per inch), unless the harness was given one; DISPLAY names it for what the checks start."""
    if os.environ.get("AMORIX_E2E_DISPLAY"):
        yield os.environ["AMORIX_E2E_DISPLAY"]
        return
    previous = os.environ.get("DISPLAY")
    with xvfb.virtual_display("1280x800x24") as name:
        os.environ["DISPLAY"] = name
        try:
            yield name
        finally:
            if previous is None:
                os.environ.pop("DISPLAY", None)
            else:
                os.environ["DISPLAY"] = previous


def make_program(name, display, work):
    if name in NATIVE:
        import x11
        return x11.PROGRAMS[name](display, work)
    import web
    return web.BrowserProgram(name, display, work)


@pytest.fixture(scope="module")
def program(request, display):
    """The program named by the parameter, made ready (a prefix, a stand-in browser, a server)
    but not started: a module's first check starts it."""
    with tempfile.TemporaryDirectory(prefix=f"amorix-{request.param}-") as work:
        made = make_program(request.param, display, Path(work))
        try:
            yield made
        finally:
            made.close()


@pytest.fixture(autouse=True)
def _cannot(request):
    """Skips a check the program cannot run, with the program's reason."""
    if "program" not in request.fixturenames:
        return
    program = request.getfixturevalue("program")
    check = request.node.get_closest_marker("check")
    for ident in ((check.args[0],) if check else ()) + (request.node.originalname,):
        if ident in program.cannot:
            pytest.skip(f"{program.name}: {program.cannot[ident]}")


@pytest.fixture(autouse=True)
def _after_check(request):
    """What no check may leave behind fails the check that left it (Program.after_check)."""
    yield
    if "program" in request.fixturenames:
        request.getfixturevalue("program").after_check()


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    """A failed check keeps the screen as it was and the program's log."""
    outcome = yield
    report = outcome.get_result()
    program = item.funcargs.get("program") if hasattr(item, "funcargs") else None
    if report.when != "call" or not report.failed or program is None:
        return
    kept = FAILURES / program.name
    kept.mkdir(parents=True, exist_ok=True)
    stem = re.sub(r"[^\w.-]+", "_", item.name)
    try:
        program.shot().save(kept / f"{stem}.png")
        report.sections.append(("screen", str((kept / f"{stem}.png").relative_to(ROOT))))
    except Exception as e:  # the screen could not be read: the report says so
        report.sections.append(("screen", f"not kept: {e}"))
    (kept / f"{stem}.log").write_text(program.log())
