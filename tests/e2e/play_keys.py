#!/usr/bin/env python3
"""varnek-play's keys through a pseudo-terminal: space pauses and resumes,
the arrows jump one order forward and back, q quits; the terminal is back in
its own mode afterwards, after q and after a SIGTERM alike."""
import fcntl
import os
import re
import select
import signal
import struct
import subprocess
import sys
import termios
import time

BUILD = sys.argv[1]
PLAY = os.path.join(BUILD, "bin", "varnek-play")
SONG = os.path.join(BUILD, "data", "phased.mod")
failures = []


def fail(what):
    failures.append(what)
    print("FAIL:", what)


class Player:
    def __init__(self):
        self.master, self.slave = os.openpty()
        fcntl.ioctl(self.slave, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 100, 0, 0))
        self.proc = subprocess.Popen([PLAY, "--null", SONG], stdin=self.slave, stdout=self.slave,
                                     stderr=self.slave, start_new_session=True)
        self.text = ""

    def read(self, seconds):
        end = time.time() + seconds
        while time.time() < end:
            ready, _, _ = select.select([self.master], [], [], 0.05)
            if ready:
                try:
                    self.text += os.read(self.master, 65536).decode(errors="replace")
                except OSError:
                    return

    def status(self):
        """The status line now on the screen: after the last carriage return."""
        line = self.text.split("\r")[-1]
        return line.split("\x1b[K")[0]

    def wait_for(self, pattern, seconds=20.0):
        """The status line once it matches; the deadline is generous, for a
        machine busy with other work."""
        end = time.time() + seconds
        while time.time() < end:
            self.read(0.05)
            if re.search(pattern, self.status()):
                return self.status()
        fail("no status line matching %r; last: %r" % (pattern, self.status()))
        return self.status()

    def send(self, keys):
        os.write(self.master, keys.encode())

    def raw(self):
        lflag = termios.tcgetattr(self.slave)[3]
        return not (lflag & termios.ICANON) and not (lflag & termios.ECHO)

    def finish(self, seconds):
        try:
            rc = self.proc.wait(seconds)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            rc = None
        self.read(0.2)
        return rc


def played(status):
    """Seconds played, from "m:ss/m:ss"."""
    m = re.search(r"(\d+):(\d\d)/", status)
    return int(m.group(1)) * 60 + int(m.group(2)) if m else -1


p = Player()
p.wait_for(r"^\[1/1\] phased\.mod  ord 1/18 pat \d+ row \d+  0:0\d/2:16  spd 6 bpm 125  vol 64  \[.{4}\]$")
if not p.raw():
    fail("the terminal is not in raw mode while playing")

p.send(" ")
paused = p.wait_for(r"PAUSED$")
p.read(1.5)
if p.status() != paused:
    fail("play went on while paused: %r then %r" % (paused, p.status()))
p.send(" ")
p.wait_for(r"\[.{4}\]$")
before = played(p.status())
end = time.time() + 20
while played(p.status()) <= before and time.time() < end:
    p.read(0.1)
if played(p.status()) <= before:
    fail("time does not move after resuming: %r" % p.status())

p.send("\x1b[C")
p.wait_for(r" ord 2/18 ")
p.send("\x1bOC")                     # the same key from a terminal in application mode
p.wait_for(r" ord 3/18 ")
p.send("\x1b[D")
p.wait_for(r" ord 2/18 ")
p.send("-")
p.wait_for(r" vol 60 ")

p.send("q")
rc = p.finish(20)
if rc != 0:
    fail("q: exit code %r" % rc)
if not re.search(r"\nend 1/1 .*phased\.mod: \d+:\d\d\.\d\d\r?\n", p.text):
    fail("q: no end line in %r" % p.text[-300:])
if p.raw():
    fail("q: the terminal was left in raw mode")

p = Player()
p.wait_for(r" ord 1/18 ")
p.proc.send_signal(signal.SIGTERM)
rc = p.finish(20)
if rc != -signal.SIGTERM:
    fail("SIGTERM: the process ended with %r" % rc)
if p.raw():
    fail("SIGTERM: the terminal was left in raw mode")

if failures:
    print("play keys: %d failures" % len(failures))
    sys.exit(1)
print("play keys: pause, jumps, volume, quit and a signal all behave")
