#!/usr/bin/env python3
# wine.py -- Windows programs under Debian's wine64 for the tools and tests, in the prefix that WINEPREFIX
# names: no offer to install Mono or Gecko, wine's messages off; whatever wine started stops once the
# program has ended. Usage: harness/wine.py PROGRAM.exe [ARG ...]   exits with the program's status.
import contextlib
import os
import signal
import subprocess
import sys

WINE, WINESERVER = "/usr/lib/wine/wine64", "/usr/lib/wine/wineserver"
# winemenubuilder is off: it would copy an installer's shortcuts into this machine's own desktop menus.
ENV = {"WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d", "WINEDEBUG": "-all"}


def stop():
    # The prefix's wineserver ends by itself once its programs have (saving the registry); one that does
    # not is killed. Nothing of wine outlives the run.
    with contextlib.suppress(subprocess.TimeoutExpired):
        return subprocess.run([WINESERVER, "-w"], timeout=30)
    subprocess.run([WINESERVER, "-k"], timeout=30)


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))  # stopped from outside, it still tidies up
    os.environ.update(ENV)
    try:
        sys.exit(subprocess.run([WINE] + sys.argv[1:]).returncode)
    finally:
        stop()
