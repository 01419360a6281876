#!/usr/bin/env python3
# pad.py -- a gamepad for the game where no kernel device can be made (no /dev/uinput), for the tests and
# the benchmarks: a named pipe of the kernel's joystick events (js_event records), named in
# SDL_JOYSTICK_DEVICE, with a preloaded stand-in (pad_standin.c) for the kernel's answers about the device,
# which the SDL2-based runtime asks before it takes one. Classic SDL 1.2 takes the pipe as it is.
import os
import struct
import subprocess
import tempfile

BUTTON, AXIS = 1, 2


def event(kind, number, value):  # one js_event record: BUTTON number 0 or 1 (value 0 or 1), or AXIS 0 (x) or 1 (y)
    return struct.pack("<IhBB", 0, value, kind, number)


class Pad:
    def __init__(self, preload="", buttons=True):  # PRELOAD: what the game preloads already (a sanitizer's runtime)
        self.dir = tempfile.TemporaryDirectory(prefix="driftrock-pad-")
        standin, self.path = os.path.join(self.dir.name, "pad_standin.so"), os.path.join(self.dir.name, "js0")
        subprocess.run(["cc", "-shared", "-fPIC", "-o", standin, os.path.join(os.path.dirname(__file__), "pad_standin.c"),
                        "-ldl"], check=True)
        # The game's variables: the pad, and SDL2's reading of pads as the kernel's joystick devices.
        self.env = dict(SDL_JOYSTICK_DEVICE=self.path, SDL_LINUX_JOYSTICK_CLASSIC="1", LD_PRELOAD=(preload + " " + standin).strip(),
                        **({} if buttons else {"PAD_STANDIN_NO_BUTTONS": "1"}))

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.dir.cleanup()

    def plug(self):  # open both ways: the game never waits for a writer
        os.mkfifo(self.path)
        self.fd = os.open(self.path, os.O_RDWR | os.O_NONBLOCK)
        return self

    def open_in(self, pid):  # whether the process PID has the pad open (the game found it)
        fds = "/proc/%d/fd" % pid

        def names(fd):  # what FD names; nothing if the game closed it as it was listed
            try:
                return os.readlink(os.path.join(fds, fd))
            except FileNotFoundError:
                return None
        return any(names(fd) == self.path for fd in os.listdir(fds))

    def send(self, kind, number, value):
        os.write(self.fd, event(kind, number, value))

    def unplug(self):  # gone from /dev, as an unplugged pad's device goes
        os.unlink(self.path)
        os.close(self.fd)
