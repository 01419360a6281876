# test_wayland.py -- the real game on Wayland, in a weston nested on the private X server: the
# compatibility library's Wayland driver shows and plays it, and a lost compositor ends it.
import pytest

from session import Session, config, sdl_runtime


def test_on_wayland_it_shows_plays_and_ends_with_its_compositor():
    if sdl_runtime(config.env)[1] < (1, 2, 50):  # the compatibility library counts from 1.2.50
        pytest.skip("classic SDL 1.2 has no Wayland driver")
    with Session(wayland=True) as s:
        s.shows_starfield()
        s.escape()
        ended = s.finish()
        assert ended[0] == 0, ended
    with Session(wayland=True) as s:
        s.shows_starfield()  # in play
        print("  gone %.2f s after its compositor, status %d" % s.ends_with(s.compositor)[::-1])
