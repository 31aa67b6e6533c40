"""A small driver for headless Chromium over the DevTools protocol, spoken
through the pipe Chromium opens on its file descriptors 3 and 4 (messages
are JSON, each ended by a NUL byte), so it needs nothing but Python."""
import base64
import json
import os
import select
import shutil
import subprocess
import time


class BrowserError(Exception):
    pass


class Browser:
    def __init__(self, profile_dir, width=1024, height=768):
        exe = shutil.which("chromium") or shutil.which("chromium-browser")
        if not exe:
            raise BrowserError("no chromium here (test.sh installs Debian's package)")
        # Our ends: we write commands to to_chrome, read answers from from_chrome.
        chrome_in, self.to_chrome = os.pipe()
        self.from_chrome, chrome_out = os.pipe()
        os.set_inheritable(chrome_in, True)
        os.set_inheritable(chrome_out, True)
        args = [exe, "--headless=new", "--no-sandbox", "--remote-debugging-pipe",
                "--user-data-dir=" + profile_dir, "--window-size=%d,%d" % (width, height),
                "--no-first-run", "--no-default-browser-check", "--disable-gpu",
                "--disable-background-timer-throttling", "--disable-renderer-backgrounding",
                "about:blank"]

        def give_fds():
            os.dup2(chrome_in, 3)
            os.dup2(chrome_out, 4)

        os.makedirs(profile_dir, exist_ok=True)
        self.log = open(os.path.join(profile_dir, "chromium.log"), "wb")
        # pass_fds keeps 3 and 4 open through the closing of the others.
        self.proc = subprocess.Popen(args, preexec_fn=give_fds, pass_fds=(3, 4), stdin=subprocess.DEVNULL,
                                     stdout=self.log, stderr=self.log)
        os.close(chrome_in)
        os.close(chrome_out)
        self.next_id = 0
        self.buffer = b""
        self.events = []
        self.session = None

    def close(self):
        if self.proc.poll() is None:
            try:
                self.call("Browser.close", timeout=5, session=False)
            except BrowserError:
                pass
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        for fd in (self.to_chrome, self.from_chrome):
            os.close(fd)
        self.log.close()

    def _read_message(self, deadline):
        while b"\0" not in self.buffer:
            left = deadline - time.monotonic()
            if left <= 0:
                raise BrowserError("no answer from chromium in time")
            ready, _, _ = select.select([self.from_chrome], [], [], left)
            if ready:
                chunk = os.read(self.from_chrome, 1 << 20)
                if not chunk:
                    raise BrowserError("chromium closed its pipe (see chromium.log)")
                self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def call(self, method, params=None, timeout=30, session=True):
        """Send one command and wait for its answer; events that come
        meanwhile are kept for wait_event."""
        self.next_id += 1
        my_id = self.next_id
        message = {"id": my_id, "method": method, "params": params or {}}
        if session and self.session:
            message["sessionId"] = self.session
        os.write(self.to_chrome, json.dumps(message).encode() + b"\0")
        deadline = time.monotonic() + timeout
        while True:
            answer = self._read_message(deadline)
            if answer.get("id") == my_id:
                if "error" in answer:
                    raise BrowserError("%s: %s" % (method, answer["error"].get("message")))
                return answer.get("result", {})
            if "method" in answer:
                self._event(answer)

    def _event(self, event):
        """Keep an event; a worker the page starts is attached to at once,
        so what it logs and throws is heard too."""
        self.events.append(event)
        if event["method"] == "Target.attachedToTarget":
            worker = event["params"]["sessionId"]
            for method in ("Runtime.enable", "Runtime.runIfWaitingForDebugger"):
                # The answers are not waited for: nothing in them is needed.
                self.next_id += 1
                message = {"id": self.next_id, "method": method, "params": {}, "sessionId": worker}
                os.write(self.to_chrome, json.dumps(message).encode() + b"\0")

    def open_page(self, url):
        """Attach to the first tab and load url in it."""
        targets = self.call("Target.getTargets", session=False)["targetInfos"]
        page = next(t for t in targets if t["type"] == "page")
        self.session = self.call("Target.attachToTarget", {"targetId": page["targetId"], "flatten": True},
                                 session=False)["sessionId"]
        self.call("Page.enable")
        self.call("Runtime.enable")
        # Every worker of the page (the threads) is attached to as it starts,
        # held until its Runtime domain is on.
        self.call("Target.setAutoAttach", {"autoAttach": True, "waitForDebuggerOnStart": True, "flatten": True})
        self.call("Page.navigate", {"url": url})

    def evaluate(self, expression, timeout=30):
        """The value of a JavaScript expression in the page."""
        result = self.call("Runtime.evaluate", {"expression": expression, "returnByValue": True}, timeout)
        if "exceptionDetails" in result:
            raise BrowserError("%s: %s" % (expression, result["exceptionDetails"].get("text")))
        return result["result"].get("value")

    def wait_for(self, expression, seconds):
        """Poll until the expression is true; False when it never was."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if self.evaluate(expression):
                return True
            time.sleep(0.05)
        return False

    def key(self, key, code, key_code, text="", alt=False, hold=0.0):
        """Press one key, hold it for `hold` seconds and let it go, as the
        keyboard would (Alt held with it when alt)."""
        base = {"key": key, "code": code, "windowsVirtualKeyCode": key_code, "modifiers": 1 if alt else 0}
        down = dict(base, type="keyDown" if text else "rawKeyDown")
        if text:
            down["text"] = text
        self.call("Input.dispatchKeyEvent", down)
        if hold:
            time.sleep(hold)
        self.call("Input.dispatchKeyEvent", dict(base, type="keyUp"))

    def screenshot(self, path, clip=None):
        """A PNG of the page, or of the clip rectangle (CSS pixels)."""
        params = {"format": "png"}
        if clip:
            params["clip"] = dict(clip, scale=1)
        data = self.call("Page.captureScreenshot", params)["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))

    def uncaught_errors(self):
        """Every exception nothing caught, in the page or any of its
        workers, as the console shows it."""
        errors = []
        for event in self.events:
            if event["method"] == "Runtime.exceptionThrown":
                details = event["params"]["exceptionDetails"]
                where = "worker" if event.get("sessionId") != self.session else "page"
                errors.append("%s: %s %s" % (where, details.get("text", ""),
                                             details.get("exception", {}).get("description", "")))
        return errors

    def console_messages(self):
        """Text of what the page has logged so far."""
        lines = []
        for event in self.events:
            if event["method"] == "Runtime.consoleAPICalled":
                lines.append(" ".join(str(a.get("value", a.get("description", ""))) for a in event["params"]["args"]))
            elif event["method"] == "Runtime.exceptionThrown":
                details = event["params"]["exceptionDetails"]
                lines.append("exception: %s %s" % (details.get("text", ""),
                                                   details.get("exception", {}).get("description", "")))
        return lines
