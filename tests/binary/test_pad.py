# test_pad.py -- a gamepad plays the real game on each SDL runtime, presented as the kernel's joystick device
# (harness/pad.py): the stick turns and thrusts, a button fires, the keyboard plays beside it and keeps a
# key the pad let go of; a pad plugged in late plays, an unplugged one lets go of its keys; a plain file
# named as a pad, a joystick without buttons and a stick that rests off centre take nothing from the keyboard.
import time

import pytest

from pad import AXIS, BUTTON, Pad, event
from session import Session, config, pad_keys, plays, sights, turning, wait_for


@pytest.fixture
def pad():
    with Pad(config.env.get("LD_PRELOAD", "")) as pad:
        yield pad


def test_a_pad_at_start_turns_and_fires_and_the_keyboard_plays_beside_it(pad):
    pad.plug()
    with Session(env=pad.env) as s:
        s.shows_starfield()
        s.mouse(300, 200)
        pad.send(AXIS, 0, -32767)  # Left on the stick, then on the keyboard too: the keyboard's stays as the pad lets go
        wait_for(lambda: turning(s), 30, "the pad's stick did not turn the ship")
        s.key("down", "Left")
        time.sleep(0.3)
        pad.send(AXIS, 0, 0)
        assert turning(s), "the keyboard's Left was lost when the pad let go of it"
        s.key("up", "Left")
        wait_for(lambda: not turning(s), 30, "the ship turned on with no key held")
        assert plays(s, pad_keys(pad))[1] == (0, "", "")  # the keyboard's Escape ends it


def test_a_late_pad_thrusts_and_an_unplugged_one_lets_go_of_its_keys(pad):
    with Session(env=pad.env) as s:
        s.shows_starfield()
        s.mouse(300, 200)
        pad.plug()  # the game has looked for pads once already: the next look finds it, its stick at rest
        wait_for(lambda: pad.open_in(s.game.pid), 30, "the game did not find a late pad")
        time.sleep(0.5)  # the SDL2-based runtime opens it once to ask about it, and then for the game
        pad.send(AXIS, 1, -32767)  # up
        light = lambda shot, top, bottom: sum(1 for y in range(top, bottom) for x in range(448, 576)
                                              if min(shot[3 * (1024 * y + x):3 * (1024 * y + x) + 3]) > 110)
        # Within some 2 s, long before a rock comes near, the ship flies up off the centre: no turn does that.
        wait_for(lambda: light(shot := s.screenshot(), 352, 416) < 256 < light(shot, 0, 340), 30, "a late pad did not thrust")
        pad.send(AXIS, 1, 0)
        pad.send(BUTTON, 0, 1)  # fires once, and holds the fire latch until Space is let go
        wait_for(lambda: sights(s.screenshot())[0] > 2, 30, "the pad's button did not fire")
        wait_for(lambda: sights(s.screenshot())[0] < 3, 30, "a held button fired on")
        pad.unplug()

        def fires():  # the keyboard's Space, for a moment: a bullet once the pad has let go of Space
            s.key("down", "space")
            time.sleep(0.3)
            s.key("up", "space")
            return sights(s.screenshot())[0] > 2
        wait_for(fires, 30, "the unplugged pad still holds Space")
        s.escape()
        assert s.finish() == (0, "", "")


@pytest.mark.parametrize("device", ["plain file", "no buttons", "off centre"],
                         ids=["a plain file named as a pad", "a joystick without buttons", "a stick resting off centre"])
def test_what_is_no_players_pad_takes_nothing_from_the_keyboard_and_prints_nothing(device):
    with Pad(config.env.get("LD_PRELOAD", ""), buttons=device != "no buttons") as pad:
        if device == "plain file":  # read as a pad, it would hold Space, and the keyboard could never fire
            open(pad.path, "wb").write(event(BUTTON, 0, 1))
        else:  # pedals that rest at full travel hold Left from the start
            pad.plug().send(AXIS, 0, -32767 if device == "off centre" else 0)
        with Session(env=pad.env) as s:
            s.shows_starfield()
            s.mouse(300, 200)  # the cursor away from the centre; any bullet a phantom pad fired at the start gone
            wait_for(lambda: sights(shot := s.screenshot())[1][0] > 40 and sights(shot)[0] == 0, 30, "a bullet or no cursor")
            if device != "plain file":
                pad.send(AXIS, 0, -32767)  # a laptop's tilt sensor, tilted once the game has looked
            assert not turning(s) and not turning(s), "it turned the ship"
            if device == "off centre":  # once the stick has been seen at rest, it plays
                pad.send(AXIS, 0, 0)
                time.sleep(0.3)
                pad.send(AXIS, 0, -32767)
                wait_for(lambda: turning(s), 30, "the stick, seen at rest, did not turn the ship")
                pad.send(AXIS, 0, 0)
            assert plays(s)[1] == (0, "", "")
