# test_wayland.py -- the real game on Wayland, in a weston nested on the private X server: the
# compatibility library's Wayland driver shows and plays it, in full screen too, and a lost compositor ends it.
import pytest

from session import Session, config, sdl_runtime, turning, wait_for


def test_on_wayland_it_shows_plays_and_ends_with_its_compositor():
    if sdl_runtime(config.env)[1] < (1, 2, 50):  # the compatibility library counts from 1.2.50
        pytest.skip("classic SDL 1.2 has no Wayland driver")
    # F11 on a 1280 x 1024 output: the picture at 1280 x 960 between black bars of 32, where the keys play
    # and Escape ends it.
    with Session(wayland=True, output="1280x1024") as s:
        wait_for(lambda: len(set(s.screenshot(whole=True)[::999])) > 20, 60, "the game did not show")
        s.key("press", "F11")
        s.picture = (0, 32, 1280, 960)
        s.shows_starfield()
        assert not any((shot := s.screenshot(whole=True))[:32 * 3840] + shot[-32 * 3840:]), "the bars are not black"
        s.key("down", "Left")
        assert turning(s), "Left does not turn the ship"
        s.escape()
        assert s.finish()[0] == 0, s.finish()
    with Session(wayland=True) as s:
        s.shows_starfield()  # in play
        print("  gone %.2f s after its compositor, status %d" % s.ends_with(s.compositor)[::-1])
