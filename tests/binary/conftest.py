# conftest.py -- the real-binary tests' options, as CTest gives them (tests/CMakeLists.txt): the game, its
# pictures (or the page's folder), the build tree, and NAME=VALUE pairs for the game's environment.
# Run one by hand:  python3 -m pytest tests/binary/test_x11.py --game build/driftrock --data data -k close
import os
import signal
import sys

import pytest

import session  # tests/support, through pytest.ini's path


def pytest_addoption(parser):
    for name in ("game", "data", "build"):
        parser.addoption("--" + name)
    parser.addoption("--game-env", action="append", default=[], metavar="NAME=VALUE")


def pytest_configure(config):
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))  # a test stopped from outside still tidies up
    for name in ("game", "data", "build"):
        value = config.getoption(name)
        setattr(session.config, name, value and os.path.abspath(value))
    session.config.env = dict(pair.split("=", 1) for pair in config.getoption("game_env"))


@pytest.fixture(autouse=True)
def second_runtime():  # a runtime asked for by its folder must be another than the system's own
    if session.config.env.get("LD_LIBRARY_PATH") and session.sdl_runtime(session.config.env)[0] == (
            only := session.sdl_runtime({})[0]):
        pytest.skip("the only SDL 1.2 runtime here is %s, which the other tests play" % only)
