"""The native program's faces stay when a font is installed while it runs. GTK then reloads
fontconfig's configuration from files (the desktop's XSETTINGS fontconfig timestamp changes),
which drops whatever the program had put into the configuration in memory. The program runs
twice in its private home under an XSETTINGS manager of our own: once left alone, once with a
font added to the home and the timestamp set meanwhile; each time it writes, as it ends, the
family Pango resolves each face to (AMORIX_STATS_FILE), and both runs must resolve every face to
its free family.
"""

import subprocess
import time
from pathlib import Path

import pytest

from layout import CONFIRMATION, MAIN
from program import expect
from user import CALCULATE, FIRST, SECOND, User
from x11 import stop_pid

pytestmark = pytest.mark.programs("gtk")
FREE_FAMILIES = ["face_MS Sans Serif=Liberation Sans", "face_Monotype Corsiva=Z003",
                 "face_Times New Roman=Liberation Serif"]


class Settings:
    """An XSETTINGS manager of our own, handing out fontconfig's timestamp."""

    def __init__(self, program):
        self.program, self.config = program, program.work / "xsettings-fonts"
        self.config.write_text("Fontconfig/Timestamp 1\n")
        self.daemon = subprocess.Popen(["xsettingsd", "-c", self.config], env=program.env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        end = time.monotonic() + 5
        while program.x.get_selection_owner(program.settings_owner) == 0:
            expect(self.daemon.poll() is None and time.monotonic() < end,
                   "xsettingsd took no hold of the settings")
            time.sleep(0.05)

    def touch_fonts(self):
        self.config.write_text(f"Fontconfig/Timestamp {int(time.time())}\n")
        self.daemon.send_signal(1)  # SIGHUP: read the settings again


@pytest.fixture(scope="module")
def user(program):
    program.env["AMORIX_STATS_FILE"] = str(program.work / "stats")
    settings = Settings(program)
    user = User(program)
    user.settings = settings
    try:
        yield user
    finally:
        program.stop()
        stop_pid(settings.daemon)


@pytest.mark.parametrize("run", ["alone", "install"])
def test_the_faces_resolve_to_their_free_families(user, run):
    program = user.program
    stats = Path(program.env["AMORIX_STATS_FILE"])
    stats.unlink(missing_ok=True)
    user.start()
    user.main(30)
    if run == "install":
        fonts = Path(program.env["XDG_DATA_HOME"]) / "fonts"
        fonts.mkdir(parents=True, exist_ok=True)
        found = subprocess.run(["fc-match", "-f", "%{file}", "DejaVu Sans Mono"],
                               capture_output=True, text=True, check=True, timeout=10).stdout
        (fonts / "added.ttf").write_bytes(Path(found).read_bytes())
        user.settings.touch_fonts()
        time.sleep(1)
    user.fill(FIRST, "Ann")  # the score's face is opened for the score
    user.fill(SECOND, "Bob")
    user.click(MAIN, CALCULATE)
    user.show(CONFIRMATION)
    user.click(CONFIRMATION, "Yes")
    status = program.exit_status(10)
    expect(status == 0, f"the program ended with status {status}")
    written = stats.read_text().splitlines() if stats.exists() else []
    faces = sorted({line for line in written if line.startswith("face_")})
    expect(faces == FREE_FAMILIES, f"the faces resolve as {faces}")
