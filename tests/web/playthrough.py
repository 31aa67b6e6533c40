#!/usr/bin/env python3
"""The demo's web build in headless Chromium, from a key that starts it to
Esc near its end. Served by our own server as a viewer would load it, it
must: load (the time it took is printed); show each effect as the offline renderer draws it
at the same moment, allowing for timing (the closest offline frame within
two seconds of the frames the moment can hold, mean difference under 8 per
channel, as the real-window test does); play the music's sound for as long as it ran and as loud as the
offline WAV file; show the console on 'c', skip the fly-through on Space,
show nothing new in accelerator mode ('3'), go full screen on Alt+Enter;
show its end screen on Esc, then end every thread; and nothing may throw an
uncaught error in the page or any of its workers (the check first hears a
deliberate fault of each kind).

    playthrough.py BUILD SITE    BUILD: the native build (varnek-render,
                                 varnek-imgmatch, data); SITE: build-web/site

KEEP_WORK=1 keeps the screenshots and the offline frames."""
import array
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import wave

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cdp import Browser, BrowserError  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# Moments to look at: seconds after the previous step ended (after the first
# frame, for the sand), as the real-window test takes them.
AFTER = {1: 10, 2: 4, 3: 1.5, 4: 9, 5: 1.2, 6: 6, 7: 3, 8: 5}
WINDOW = 120   # offline frames either side of the frames a moment can hold
MATCH = 8.0    # mean difference per channel of a match


class Failures:
    def __init__(self):
        self.count = 0

    def check(self, ok, what):
        if not ok:
            print("FAIL: " + what, flush=True)
            self.count += 1
        return ok


class Offline:
    """The offline renderer's run of the whole demo, and frames from it."""

    def __init__(self, build, work):
        self.build = build
        self.work = work
        self.wav = os.path.join(work, "offline.wav")
        out = self.render("--wav", self.wav)
        table = re.findall(r"step (\d) [a-z0-9]+: (\d+) frames, ends at video frame (\d+)", out)
        if len(table) != 8:
            raise SystemExit("offline run incomplete:\n" + out)
        self.frames = {int(s): int(f) for s, f, _ in table}   # presented in each step
        self.ends = {int(s): int(v) for s, _, v in table}     # video frame at each step's end

    def render(self, *args):
        cmd = [os.path.join(self.build, "bin", "varnek-render"), "--data", os.path.join(self.build, "data")]
        return subprocess.run(cmd + list(args), stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              check=True).stdout.decode(errors="replace")

    def write_frames(self, out_dir, moments, *args):
        ranges = ",".join("%d-%d" % (max(1, lo - WINDOW), hi + WINDOW) for lo, hi in moments)
        self.render("--out", out_dir, "--only", ranges, *args)

    def rms(self, frames):
        """Loudness of the first `frames` frames of the offline sound."""
        with wave.open(self.wav) as w:
            samples = array.array("h", w.readframes(int(frames)))
        if sys.byteorder != "little":
            samples.byteswap()
        return (sum(s * s for s in samples) / max(1, len(samples))) ** 0.5 / 32768


def closest(build, shot, frames_dir, moment):
    """The offline frame nearest in picture to the screenshot, among those
    around the moment's frames (earliest, latest), and its mean difference
    per channel."""
    pngs = [os.path.join(frames_dir, "frame%05d.png" % f) for f in range(moment[0] - WINDOW, moment[1] + WINDOW + 1)]
    pngs = [p for p in pngs if os.path.exists(p)]
    if not pngs:
        return None, 255.0
    out = subprocess.run([os.path.join(build, "bin", "varnek-imgmatch"), shot] + pngs,
                         stdout=subprocess.PIPE, check=True).stdout.decode().split()
    return int(re.search(r"frame(\d+)", out[0]).group(1)), float(out[1])


class Page:
    """The page in the browser: keys, times and screenshots of the canvas."""

    def __init__(self, browser, work):
        self.b = browser
        self.work = work

    def now(self):
        return self.b.evaluate("performance.now()")

    def wait_until(self, at):
        left = (at - self.now()) / 1000
        if left > 0:
            time.sleep(left)

    def shot(self, name):
        """The canvas as a 320 x 240 PPM file, and the page's time it was taken."""
        rect = self.b.evaluate("(r => ({x: r.x, y: r.y, width: r.width, height: r.height}))"
                               "(document.getElementById('screen').getBoundingClientRect())")
        png = os.path.join(self.work, name + ".png")
        before = self.now()
        self.b.screenshot(png, rect)
        taken = (before + self.now()) / 2
        ppm = os.path.join(self.work, name + ".ppm")
        # Every demo pixel is a whole square of screen pixels: sampling each
        # square once gives the picture back.
        subprocess.run(["convert", png, "-sample", "320x240!", "ppm:" + ppm], check=True)
        return ppm, taken

    def press(self, name, hold=0.0, alt=False):
        keys = {"enter": ("Enter", "Enter", 13, "\r"), "esc": ("Escape", "Escape", 27, ""),
                "c": ("c", "KeyC", 67, "c"), "3": ("3", "Digit3", 51, "3"), "space": (" ", "Space", 32, " ")}
        key, code, key_code, text = keys[name]
        self.b.key(key, code, key_code, "" if alt else text, alt=alt, hold=hold)

    def steps_ended(self):
        return self.b.evaluate("varnek.steps.length")

    def step_end(self, step):
        return self.b.evaluate("varnek.steps[%d].at" % (step - 1))


def play(page, offline, fail):
    """Start the demo and look at every effect; the screenshots with their
    offline frames their moments can hold, the console's, and the sound
    heard before Esc."""
    b = page.b
    fail.check(b.evaluate("crossOriginIsolated"), "the page is not cross-origin isolated: no threads for it")
    # How long loading took is a measurement, printed below; on a busy
    # machine it says nothing about the page.
    fail.check(b.wait_for("typeof varnek === 'object' && varnek.state !== 'loading'", 60), "the page never got ready")
    load_ms = b.evaluate("varnek.loadedAt")
    page.press("enter")
    if not fail.check(b.wait_for("varnek.firstFrameAt() > 0", 20), "no picture 20 s after the start"):
        return None
    started, first = b.evaluate("varnek.startedAt"), b.evaluate("varnek.firstFrameAt()")
    print("page loaded in %.0f ms; first picture %.0f ms after the start key" % (load_ms, first - started))
    shots = {}
    taken_at = {}
    for step in range(1, 9):
        if step > 1:
            if not fail.check(b.wait_for("varnek.steps.length >= %d" % (step - 1), 120),
                              "step %d never ended" % (step - 1)):
                break
            since, start_frame = page.step_end(step - 1), offline.ends[step - 1]
        else:
            since, start_frame = first, 1
        page.wait_until(since + AFTER[step] * 1000)
        ppm, taken = page.shot("shot%d" % step)
        # The page only ever falls behind its 60 frames a second: the frame
        # counted forward from the step's start is the latest the moment can
        # hold, the one counted back from the step's end (when it ran to its
        # own end) the earliest.
        latest = int(start_frame + (taken - since) * 60 / 1000)
        shots[step] = (ppm, (latest, latest))
        taken_at[step] = taken
        if step == 2:
            full_screen(page, fail)
        elif step == 4:
            accelerator(page, fail)
        elif step == 6:
            shots["console"] = console_and_skip(page, offline, since, fail)
    for step, taken in taken_at.items():
        if step in (6, 8) or page.steps_ended() < step:
            continue   # skipped by Space, or still running at Esc
        ppm, (_, latest) = shots[step]
        back = int(offline.ends[step] - (page.step_end(step) - taken) * 60 / 1000)
        shots[step] = (ppm, (min(back, latest), latest))
    audio = b.evaluate("varnek.audio()")
    playing = (page.now() - started) / 1000
    page.press("esc")
    fail.check(b.wait_for("varnek.state === 'ended'", 20), "Esc did not end the demo")
    fail.check(b.evaluate("varnek.endCode") == 0, "the demo ended with code %s" % b.evaluate("varnek.endCode"))
    fail.check(b.evaluate("!document.getElementById('end').hidden"), "no end screen after Esc")
    fail.check(b.wait_for("varnek.threadsEnded", 15), "the demo's threads did not end after Esc")
    b.screenshot(os.path.join(page.work, "end.png"))
    return shots, audio, playing


def full_screen(page, fail):
    """Alt+Enter: the page's stage fills the screen with the picture scaled
    up in it; again: back as it was."""
    b = page.b
    size = "[document.getElementById('screen').clientWidth, document.getElementById('screen').clientHeight]"
    windowed = b.evaluate(size)
    page.press("enter", alt=True)
    if fail.check(b.wait_for("document.fullscreenElement === document.getElementById('stage')", 10),
                  "Alt+Enter did not put the picture on the full screen"):
        b.wait_for("document.getElementById('stage').clientHeight === innerHeight", 10)
        fills = b.evaluate("(s => s.clientWidth === innerWidth && s.clientHeight === innerHeight)"
                           "(document.getElementById('stage'))")
        full = b.evaluate(size)
        fail.check(fills and full[0] * 3 == full[1] * 4 and full[0] >= windowed[0],
                   "full screen: the stage does not fill the screen, or the picture lost its shape (%s)" % full)
    page.press("enter", alt=True)
    fail.check(b.wait_for("document.fullscreenElement === null", 10), "Alt+Enter again did not leave full screen")
    b.wait_for("%s.join() === '%d,%d'" % (size, windowed[0], windowed[1]), 10)


def console_and_skip(page, offline, step_start, fail):
    """In the fly-through: 'c' shows the console (and again hides it), then
    Space skips the rest of the step; from then on the engine takes no more
    keys but Esc, as on the desktop. The console's screenshot and its
    offline frames its moment can hold."""
    drawn = page.b.evaluate("varnek.framesDrawn()")
    page.press("c")
    # A few pictures after the key hold the console.
    page.b.wait_for("varnek.framesDrawn() >= %d" % (drawn + 3), 10)
    ppm, taken = page.shot("console")
    drawn = page.b.evaluate("varnek.framesDrawn()")
    page.press("c")
    page.b.wait_for("varnek.framesDrawn() >= %d" % (drawn + 3), 10)
    pressed = page.now()
    page.press("space", hold=0.15)
    ended = page.b.wait_for("varnek.steps.length >= 6", 10)
    if fail.check(ended, "Space did not end the fly-through"):
        end = page.step_end(6)
        offline_s = (offline.ends[6] - offline.ends[5]) / 60
        print("fly-through skipped %.2f s after Space, %.1f s into its %.1f s" %
              ((end - pressed) / 1000, (end - step_start) / 1000, offline_s))
        fail.check(end - step_start < (offline_s - 1) * 1000, "the fly-through ran its whole length")
    latest = int(offline.ends[5] + (taken - step_start) * 60 / 1000)
    return ppm, (latest, latest)


def accelerator(page, fail):
    """'3': no new picture until '3' again. The pictures must stop within
    10 s of the key (however slowly a busy machine takes it), and then none
    come for half a second; after '3' again they come back."""
    b = page.b
    page.press("3")
    deadline = time.monotonic() + 10
    before = b.evaluate("varnek.framesDrawn()")
    while True:
        time.sleep(0.5)
        after = b.evaluate("varnek.framesDrawn()")
        if after == before or time.monotonic() > deadline:
            break
        before = after
    fail.check(after == before, "%d pictures came in accelerator mode" % (after - before))
    page.press("3")
    fail.check(b.wait_for("varnek.framesDrawn() > %d" % before, 10), "no pictures after leaving accelerator mode")


def compare(build, offline, shots, fail):
    """Each screenshot against the offline frames around its moment; the
    console's against a run where the console was on for the whole
    fly-through, and it must match no frame without the console."""
    plain = os.path.join(offline.work, "frames")
    with_console = os.path.join(offline.work, "console-frames")
    offline.write_frames(plain, [m for _, m in shots.values()])
    for step in range(1, 9):
        if step not in shots:
            fail.check(False, "no screenshot of step %d" % step)
            continue
        ppm, moment = shots[step]
        best, diff = closest(build, ppm, plain, moment)
        print("step %d: screenshot at offline frames %d to %d, closest %s (mean difference %.2f)" %
              (step, moment[0], moment[1], best, diff))
        fail.check(diff < MATCH, "step %d: the screenshot matches no offline frame near that moment" % step)
    if "console" not in shots:
        return
    ppm, moment = shots["console"]
    keys = os.path.join(offline.work, "console.keys")
    with open(keys, "w") as f:
        f.write("%d c\n" % sum(offline.frames[s] for s in range(1, 6)))
    offline.write_frames(with_console, [moment], "--keys", keys)
    best, diff = closest(build, ppm, with_console, moment)
    _, without = closest(build, ppm, plain, moment)
    print("console: closest %s with the console (mean difference %.2f), %.2f without" % (best, diff, without))
    fail.check(diff < MATCH, "the console's screenshot matches no offline frame with the console")
    fail.check(without >= MATCH, "the console's screenshot matches a frame without the console")


def check_sound(offline, audio, playing, fail):
    """As long as the demo ran (less its start), as loud as the offline sound."""
    if not fail.check(audio and audio["rate"] == 44100, "the page opened no 44100 Hz sound output: %s" % audio):
        return
    seconds = audio["frames"] / audio["rate"]
    expected = offline.rms(audio["frames"])
    print("sound: %.1f s played in %.1f s, RMS %.4f (offline %.4f)" % (seconds, playing, audio["rms"], expected))
    fail.check(playing - 2.5 <= seconds <= playing + 0.3, "%.1f s of sound in %.1f s of demo" % (seconds, playing))
    fail.check(expected > 0.01 and abs(audio["rms"] / expected - 1) < 0.1,
               "loudness %.4f against %.4f offline" % (audio["rms"], expected))


def report(browser):
    """The engine's work per frame of each step in the page (the pacing
    waits left out), for the record."""
    for s in browser.evaluate("varnek.steps"):
        print("  %-11s %5d frames, work a frame: median %.2f ms, mean %.2f ms" %
              (s["name"], s["frames"], s["medianMs"], s["meanMs"]))
    print("refresh: %.1f Hz, paced by %s" % (browser.evaluate("varnek.refreshHz()"),
                                            "the page's frame callback" if browser.evaluate("varnek.pacedByPage()")
                                            else "the backend's clock"))


def hears_faults(work):
    """The uncaught-error check hears a deliberate fault in a page and one
    in a worker of it."""
    browser = Browser(os.path.join(work, "fault-profile"))
    try:
        browser.open_page("about:blank")
        browser.wait_for("document.readyState === 'complete'", 10)
        browser.evaluate("new Worker(URL.createObjectURL(new Blob(['throw new Error(\"deliberate worker fault\")'])));"
                         "setTimeout(() => { throw new Error('deliberate page fault'); }); 0")
        # Each call to the browser takes in the events that came meanwhile.
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline and len(browser.uncaught_errors()) < 2:
            browser.evaluate("0")
            time.sleep(0.05)
        heard = browser.uncaught_errors()
        return (any(e.startswith("page:") and "deliberate page fault" in e for e in heard) and
                any(e.startswith("worker:") and "deliberate worker fault" in e for e in heard))
    finally:
        browser.close()


def main():
    if len(sys.argv) != 3:
        raise SystemExit("usage: playthrough.py BUILD SITE")
    build, site = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    for tool in ("convert",):
        if not shutil.which(tool):
            raise SystemExit("missing %s (test.sh installs it)" % tool)
    work = tempfile.mkdtemp(prefix="varnek-web-")
    fail = Failures()
    fail.check(hears_faults(work), "the check for uncaught errors does not hear a deliberate fault")
    offline = Offline(build, work)
    server = subprocess.Popen([sys.executable, os.path.join(ROOT, "scripts", "serve_web.py"), site, "0"],
                              stdout=subprocess.PIPE, text=True)
    browser = None
    try:
        address = server.stdout.readline().split()[-1]
        browser = Browser(os.path.join(work, "profile"))
        browser.open_page(address)
        result = play(Page(browser, work), offline, fail)
        if result:
            shots, audio, playing = result
            report(browser)
            compare(build, offline, shots, fail)
            check_sound(offline, audio, playing, fail)
    except BrowserError as err:
        fail.check(False, "browser: %s" % err)
    finally:
        if browser:
            errors = browser.uncaught_errors()
            fail.check(not errors, "uncaught errors in the page or its workers:\n" + "\n".join(errors))
            if fail.count:
                print("\n".join(browser.console_messages()))
            browser.close()
        server.terminate()
        server.wait()
        if os.environ.get("KEEP_WORK"):
            print("screenshots and frames kept in " + work)
        else:
            shutil.rmtree(work, ignore_errors=True)
    if fail.count:
        raise SystemExit("web playthrough: %d checks failed" % fail.count)
    print("web playthrough: all checks passed")


if __name__ == "__main__":
    main()
