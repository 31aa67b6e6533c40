#!/usr/bin/env python3
"""varnek-play's keys through a pseudo-terminal: space pauses and resumes,
left and right jump one order, up and down 10 s, 1-9 and 0 mute channels,
m shows the message, < and > move between the songs of one file, q quits; a long file name fits 80 columns; the terminal is back in
its own mode afterwards, after q and after a SIGTERM alike. Ctrl-Z under a
job-control session stops the process with the terminal restored, and fg
brings back raw mode and the status line."""
import fcntl
import os
import re
import select
import signal
import struct
import subprocess
import sys
import tempfile
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
    def __init__(self, song=SONG, columns=100):
        self.master, self.slave = os.openpty()
        fcntl.ioctl(self.slave, termios.TIOCSWINSZ, struct.pack("HHHH", 24, columns, 0, 0))
        self.proc = subprocess.Popen([PLAY, "--null", song], stdin=self.slave, stdout=self.slave,
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

    def drain(self):
        """Reads what the terminal already holds, without waiting for more."""
        while select.select([self.master], [], [], 0)[0]:
            try:
                chunk = os.read(self.master, 65536)
            except OSError:
                return
            if not chunk:
                return
            self.text += chunk.decode(errors="replace")

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

# Keys 1-9 and 0 mute and unmute a channel; it shows as x in the levels.
p.send("1")
p.wait_for(r"  \[x[^x]{3}\]$")
p.send("3")
p.wait_for(r"  \[x[^x]x[^x]\]$")
p.send("13")
p.wait_for(r"  \[[^x]{4}\]$")

# Up runs the song 10 s forward, Down 10 s back (from the start again).
before = played(p.status())
p.send("\x1b[A")
p.wait_for(r" 0:(1[0-9]|2[0-9])/2:16 ")
ahead = played(p.status())
if not 10 <= ahead - before <= 12:
    fail("Up: from %d s to %d s" % (before, ahead))
p.send("\x1bOB")
p.wait_for(r"  0:0\d/2:16 ")

# m shows the song's message: its title and instrument names.
shown = len(p.text)
p.send("m")
p.wait_for(r"\]$")
p.read(0.3)
if not re.search(r'"phased"\r?\n( +\d+ [^\r\n]*\r?\n)+', p.text[shown:]):
    fail("m: no message in %r" % p.text[shown:][:200])

p.send("q")
rc = p.finish(20)
if rc != 0:
    fail("q: exit code %r" % rc)
if not re.search(r"\nend 1/1 .*phased\.mod: \d+:\d\d\.\d\d\r?\n", p.text):
    fail("q: no end line in %r" % p.text[-300:])
if p.raw():
    fail("q: the terminal was left in raw mode")

# At 80 columns a long file name keeps its end, enough to tell songs apart.
folder = tempfile.mkdtemp()
long_name = os.path.join(folder, "a_collection_of_songs_by_someone_part_two.mod")
os.symlink(os.path.abspath(SONG), long_name)
p = Player(long_name, 80)
line = p.wait_for(r"\[1/1\] \.\.\.")
if "_someone_part_two.mod  ord 1/18 " not in line or len(line) > 79:
    fail("80 columns: %r (%d characters) in %r" % (line, len(line), p.text[-300:]))
p.send("q")
p.finish(3)
os.unlink(long_name)
os.rmdir(folder)



def two_song_mod(path):
    """A MOD whose order list holds two songs: orders 0-1 (pattern 1 jumps
    back to order 0 on its last row) and order 2, which the first never reaches."""
    def cell(period=0, sample=0, effect=0, param=0):
        return bytes([(sample & 0xF0) | (period >> 8), period & 0xFF, (sample & 0x0F) << 4 | effect, param])
    empty = cell() * 4
    header = b"two songs".ljust(20, b"\0")
    header += b"square".ljust(22, b"\0") + struct.pack(">HBBHH", 16, 0, 64, 0, 16)
    header += (b"\0" * 22 + struct.pack(">HBBHH", 0, 0, 0, 0, 1)) * 30
    header += bytes([3, 127]) + bytes([0, 1, 2]).ljust(128, b"\0") + b"M.K."
    patterns = b""
    for p in range(3):
        rows = [cell(428, 1) + empty[4:]] + [empty] * 62
        rows.append((cell(0, 0, 0xB, 0) if p == 1 else cell()) + empty[4:])
        patterns += b"".join(rows)
    with open(path, "wb") as f:
        f.write(header + patterns + bytes([100] * 16 + [156] * 16))


folder = tempfile.mkdtemp()
songs = os.path.join(folder, "songs.mod")
two_song_mod(songs)
p = Player(songs)
p.wait_for(r"^\[1/1\] songs\.mod  song 1/2 ord 1/3 ")
p.send(">")
p.wait_for(r" song 2/2 ord 3/3 pat 2 ")
p.send("<")
p.wait_for(r" song 1/2 ord 1/3 pat 0 ")
p.send(">")
p.wait_for(r" song 2/2 ord 3/3 ")
p.send(">")                          # there is no third: the second plays on
p.read(0.5)
if not re.search(r" song 2/2 ord 3/3 ", p.status()):
    fail("> past the last song: %r" % p.status())
p.send("q")
if p.finish(20) != 0:
    fail("songs: no clean exit after q")
os.unlink(songs)
os.rmdir(folder)

p = Player()
p.wait_for(r" ord 1/18 ")
p.proc.send_signal(signal.SIGTERM)
rc = p.finish(20)
if rc != -signal.SIGTERM:
    fail("SIGTERM: the process ended with %r" % rc)
if p.raw():
    fail("SIGTERM: the terminal was left in raw mode")



class Job(Player):
    """varnek-play as a shell runs it: a session leader owns the terminal and
    runs the player in its own process group in the foreground; when the
    player stops, the leader takes the terminal back and reports it, and on
    "f" gives the terminal back and continues the player (fg)."""

    def __init__(self):
        self.master, self.slave = os.openpty()
        fcntl.ioctl(self.slave, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 100, 0, 0))
        orders_r, self.orders = os.pipe()
        self.reports, reports_w = os.pipe()
        self.text = ""
        self.leader = os.fork()
        if self.leader == 0:
            try:
                os.close(self.master)
                os.setsid()
                fcntl.ioctl(self.slave, termios.TIOCSCTTY, 0)
                signal.signal(signal.SIGTTOU, signal.SIG_IGN)
                job = os.fork()
                if job == 0:
                    os.setpgid(0, 0)
                    os.tcsetpgrp(self.slave, os.getpid())
                    signal.signal(signal.SIGTTOU, signal.SIG_DFL)
                    for fd in (0, 1, 2):
                        os.dup2(self.slave, fd)
                    os.execv(PLAY, [PLAY, "--null", SONG])
                os.setpgid(job, job)
                os.write(reports_w, b"job %d\n" % job)
                while True:
                    _, status = os.waitpid(job, os.WUNTRACED)
                    if not os.WIFSTOPPED(status):
                        os.write(reports_w, b"exit %d\n" % status)
                        break
                    os.tcsetpgrp(self.slave, os.getpgrp())
                    os.write(reports_w, b"stopped\n")
                    os.read(orders_r, 1)
                    os.tcsetpgrp(self.slave, job)
                    os.killpg(job, signal.SIGCONT)
            finally:
                os._exit(0)
        self.job = int(self.report(5).split()[1])

    def report(self, seconds):
        """The leader's next line, reading the terminal meanwhile; "" when none came."""
        end = time.time() + seconds
        line = b""
        while time.time() < end and not line.endswith(b"\n"):
            ready, _, _ = select.select([self.reports, self.master], [], [], 0.05)
            if self.master in ready:
                self.read(0)
            if self.reports in ready:
                line += os.read(self.reports, 1)
        return line.decode()

    def state(self):
        with open("/proc/%d/stat" % self.job) as f:
            return f.read().rsplit(")", 1)[1].split()[0]

    def end(self):
        for pid in (self.job, self.leader):
            try:
                os.kill(pid, signal.SIGKILL)
            except OSError:
                pass
        os.waitpid(self.leader, 0)


j = Job()
before = played(j.wait_for(r" ord 1/18 .* 0:0[1-9]/"))
if not j.raw():
    fail("Ctrl-Z: the terminal is not in raw mode before the stop")
j.send("\x1a")
if j.report(5) != "stopped\n":
    fail("Ctrl-Z: the player did not stop (state %s)" % j.state())
    j.end()
else:
    if j.state() != "T":
        fail("Ctrl-Z: the player's state is %s, not stopped" % j.state())
    if j.raw():
        fail("Ctrl-Z: the terminal was left in raw mode for the shell")
    # What the player wrote before it stopped may still sit in the terminal:
    # only what comes after counts.
    j.drain()
    shown = len(j.text)
    j.read(3)
    if "ord" in j.text[shown:]:
        fail("Ctrl-Z: the status line went on while stopped: %r" % j.text[shown:])
    os.write(j.orders, b"f")
    after = played(j.wait_for(r" ord \d+/18 .*\]$"))
    resumed = j.text.rfind("\n")
    j.wait_for(r"\]$")
    if not j.raw():
        fail("fg: the terminal is not in raw mode again")
    if after - before > 1:
        fail("fg: %d s stopped counted as played (%d s before the stop, %d s after)" % (3, before, after))
    # The line drawn after fg moves on, and the keys work again.
    j.send("-")
    j.wait_for(r" vol 60 ")
    if "\n" in j.text[resumed + 1:]:
        fail("fg: the status line is not redrawn in place")
    j.send("q")
    rc = j.report(5)
    if rc != "exit 0\n":
        fail("fg then q: the player ended with %r" % rc)
    if j.raw():
        fail("fg then q: the terminal was left in raw mode")
    j.end()

if failures:
    print("play keys: %d failures" % len(failures))
    sys.exit(1)
print("play keys: pause, jumps, seeks, mutes, message, volume, songs, quit, a signal and Ctrl-Z then fg all behave")
