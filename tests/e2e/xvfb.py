"""A virtual X display of our own for the scripts that drive the programs outside pytest (the
demo's tour, the monkey) and for the checks that need a display apart (a desktop with a window
manager): an Xvfb on a free display number, which picks the number itself and tells it through a
pipe, stopped by its PID when the block ends.
"""

import contextlib
import os
import subprocess


@contextlib.contextmanager
def virtual_display(screen="1024x768x24"):
    """Yields the display's name (":N") while an Xvfb of our own runs with SCREEN."""
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", screen,
                             "-nolisten", "tcp"], pass_fds=(write,), stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as pipe:
        number = pipe.readline().strip()
    try:
        if not number:
            raise RuntimeError("Xvfb did not start")
        yield f":{number}"
    finally:
        xvfb.terminate()
        xvfb.wait(10)
