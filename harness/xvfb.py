#!/usr/bin/env python3
# xvfb.py -- a private X display for the tools, benchmarks and tests: an Xvfb of its own that never resets
# (SDL 1.2 opens the display twice); every process started on it, and all they start, even those that
# leave their session (nginx, wineserver), stop with it, however it ends, a failed start included.
# Usage: harness/xvfb.py COMMAND [ARG ...]   runs COMMAND on a private display and exits with its status.
import ctypes
import os
import signal
import subprocess
import sys
import tempfile

PR_SET_PDEATHSIG, PR_SET_CHILD_SUBREAPER = 1, 36
libc = ctypes.CDLL(None, use_errno=True)


def descendants(pid):  # every process under PID now, as (pid, start time): a number may be reused
    parents = {}
    for entry in os.listdir("/proc"):
        try:
            with open("/proc/%s/stat" % entry) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            parents.setdefault(int(fields[1]), []).append((int(entry), fields[19]))
        except (OSError, ValueError, IndexError):
            pass
    found, todo = set(), [pid]
    while todo:
        for child in parents.get(todo.pop(), []):
            found.add(child)
            todo.append(child[0])
    return found


def kill(processes):  # each (pid, start time) that is still the same process; those that were orphans, reaped
    for pid, started in processes:
        try:
            with open("/proc/%d/stat" % pid) as f:
                if f.read().rsplit(")", 1)[1].split()[19] == started:
                    os.kill(pid, signal.SIGKILL)
        except (OSError, IndexError):
            pass
    for pid, _ in processes:
        try:
            os.waitpid(pid, 0)
        except ChildProcessError:  # not ours to reap: its own parent does
            pass


class Display:
    def __init__(self, screen="1280x1024"):
        self.procs, self.size = [], screen
        # What this process leaves behind comes back to it (it adopts the orphans of what it starts), so
        # that every process left at the end is one of its own descendants.
        libc.prctl(PR_SET_CHILD_SUBREAPER, 1)
        self.before = descendants(os.getpid())

    def start(self, args, **kw):  # the process dies with this one, however this one ends (with its group, if it leads one)
        self.procs.append(subprocess.Popen(args, preexec_fn=lambda: libc.prctl(PR_SET_PDEATHSIG, signal.SIGKILL), **kw))
        return self.procs[-1]

    def __enter__(self):  # setup(), or if it fails every process started so far stops
        try:
            self.setup()
            return self
        except BaseException:
            self.__exit__()
            raise

    def setup(self):  # the display; subclasses set up more after it
        r, w = os.pipe()
        with tempfile.TemporaryFile() as said:
            self.xvfb = self.start(["Xvfb", "-displayfd", str(w), "-noreset", "-nolisten", "tcp", "-screen", "0",
                                    self.size + "x24"], pass_fds=(w,), stderr=said)
            os.close(w)
            with os.fdopen(r) as f:
                number = f.readline().strip()
            if not number.isdigit():
                self.xvfb.wait()
                said.seek(0)
                raise RuntimeError("Xvfb did not start (status %s): %s" % (self.xvfb.returncode, said.read().decode(errors="replace").strip()))
        self.env = dict(os.environ, DISPLAY=":" + number)

    def __exit__(self, *exc):
        for p in reversed(self.procs):
            if p.poll() is None:
                p.kill()
            p.wait()
        kill(descendants(os.getpid()) - self.before)  # what they started, wherever it went


def main():
    # Split in two: this process only waits, and the second runs the display and the command. If this
    # one is killed (a test runner's time limit), the second hears it and stops everything.
    child = os.fork()
    if child:
        signal.signal(signal.SIGTERM, lambda *_: os.kill(child, signal.SIGTERM))
        while True:
            try:
                status = os.waitpid(child, 0)[1]
                break
            except InterruptedError:
                pass
        sys.exit(os.waitstatus_to_exitcode(status) if os.WIFEXITED(status) else 1)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))  # stopped from outside, it still tidies up
    libc.prctl(PR_SET_PDEATHSIG, signal.SIGTERM)
    if os.getppid() == 1:
        sys.exit(1)
    try:
        with Display() as display:  # the command, and all it starts, end with the display
            sys.exit(display.start(sys.argv[1:], env=display.env).wait())
    except RuntimeError as error:
        print("xvfb.py: %s" % error, file=sys.stderr)
        sys.exit(1)


if __name__ == "__main__":
    main()
