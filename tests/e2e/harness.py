"""End-to-end harness for Keyra under Wine (Python 3 standard library only).

Expects DISPLAY and WINEPREFIX to be set (scripts/wine-env.sh) and the built programs
to be named by KEYRA_EXE and KPROBE_EXE (or --exe / --kprobe on the command line).
"""

import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import traceback

# ---- scrambled data file format ---------------------------------------------------------------

SCRAMBLE_SEED = 8642


def rand_digits(count, seed=SCRAMBLE_SEED):
    """The first `count` values of RandRange(0, 9) from `seed`."""
    out = []
    state = seed & 0xFFFFFFFF
    for _ in range(count):
        state = (state * 22695477 + 1) & 0xFFFFFFFF
        value = (state >> 16) & 0x7FFF
        out.append(int(value * 10 / 32768))
    return out


def units(text):
    """UTF-16 code units of a Python string."""
    raw = text.encode("utf-16-le", "surrogatepass")
    return list(struct.unpack("<%dH" % (len(raw) // 2), raw))


def from_units(us):
    return struct.pack("<%dH" % len(us), *us).decode("utf-16-le", "surrogatepass")


def hex_encode(text):
    """Each code unit as four lowercase hex digits, low byte first."""
    return "".join("%02x%02x" % (u & 0xFF, u >> 8) for u in units(text))


def hex_decode(hex_text):
    data = bytes(int(hex_text[i:i + 2], 16) for i in range(0, len(hex_text) - 1, 2))
    text = data.decode("utf-16-le", "surrogatepass")
    return text.split("\0", 1)[0]


def multipart(*parts):
    """A multi-part value: part k (1-based) as marker \\k plus its hex form; empty parts left out."""
    markers = "123456789ABCDEF"
    return "".join("\\" + markers[i] + hex_encode(p) for i, p in enumerate(parts) if p)


def split_parts(value):
    """Parts 1..15 of a multi-part value (empty strings where absent)."""
    markers = "123456789ABCDEF"
    parts = [""] * 15
    i, current, start = 0, None, 0
    n = len(value)
    while i <= n:
        at_marker = i < n - 1 and value[i] == "\\" and value[i + 1] in markers
        if at_marker or i == n:
            if current is not None and i > start:
                parts[current] = value[start:i]
            if i == n:
                break
            current, start = markers.index(value[i + 1]), i + 2
            i += 2
        else:
            i += 1
    return [hex_decode(p) if p else "" for p in parts]


def scramble_lines(lines):
    """The exact bytes the program writes for a document of these lines."""
    plain = units("".join(line + "\r\n" for line in lines))
    if not plain:
        return b"\xff\xfe"
    noise = rand_digits(len(plain))
    scrambled = [(u + r) & 0xFFFF for u, r in zip(plain, noise)]
    body = "".join("%02x%02x" % (u & 0xFF, u >> 8) for u in scrambled) + "\r\n"
    return b"\xff\xfe" + body.encode("utf-16-le")


class FormatError(Exception):
    pass


def unscramble_bytes(data):
    """Lines of a scrambled file exactly as the program writes it; FormatError on any deviation."""
    if data[:2] != b"\xff\xfe":
        raise FormatError("no UTF-16LE byte-order mark")
    if len(data) == 2:
        return []
    text = data[2:].decode("utf-16-le")
    if not text.endswith("\r\n") or "\r" in text[:-2] or "\n" in text[:-2]:
        raise FormatError("not one line ended by CR LF")
    body = text[:-2]
    if len(body) % 4 or any(c not in "0123456789abcdef" for c in body):
        raise FormatError("body is not lowercase hex in groups of four")
    scrambled = [int(body[i:i + 2], 16) | (int(body[i + 2:i + 4], 16) << 8) for i in range(0, len(body), 4)]
    noise = rand_digits(len(scrambled))
    plain = from_units([(u - r) & 0xFFFF for u, r in zip(scrambled, noise)])
    if not plain.endswith("\r\n"):
        raise FormatError("plain text does not end with CR LF")
    return plain[:-2].split("\r\n")


def read_data_file(path):
    with open(path, "rb") as f:
        return unscramble_bytes(f.read())


def write_data_file(path, lines):
    with open(path, "wb") as f:
        f.write(scramble_lines(lines))


def line_dict(lines):
    """name -> value of the first line with that name (names compared case-insensitively)."""
    out = {}
    for line in lines:
        if "=" in line:
            name, value = line.split("=", 1)
            out.setdefault(name.lower(), value)
    return out


DEFAULT_SETTINGS = [
    ("Top", "100"), ("Left", "600"), ("FormColor", "9981440"), ("ButtonColor", "14215660"),
    ("ButtonShortTextColor", "8421504"), ("ButtonLongTextColor", "0"), ("PasteMode", "1"),
    ("EnterMode", "0"), ("ClearMode", "0"), ("PasteWait", "100"), ("DispPassMode", "1"),
    ("URLMode", "1"), ("ListHeight", "165"), ("MemoHeight", "72"), ("ShortButtonNum", "5"),
    ("PINMode", "0"), ("PINNo", ""), ("FontName", "Tahoma"), ("FontSize", "10"), ("DispUsedMode", "0"),
]


def settings_lines(**overrides):
    """Marker plus the twenty settings lines, defaults unless overridden."""
    lines = ["Keyra=0.3"]
    for name, value in DEFAULT_SETTINGS:
        lines.append("%s=%s" % (name, overrides.get(name, value)))
    return lines


# ---- tools -------------------------------------------------------------------------------------

class Env:
    exe = os.environ.get("KEYRA_EXE", "")
    kprobe = os.environ.get("KPROBE_EXE", "")
    package = os.environ.get("KEYRA_PACKAGE", "")  # the release ZIP; beside the exe when not given


class ProbeError(Exception):
    pass


def run_tool(exe, args, timeout):
    """The stdout lines of one of the probe tools. A tool answers on every path, so a run with no
    output is Wine failing to start it; that is tried once more, then told with Wine's words."""
    cmd = ["wine", exe] + [str(a) for a in args]
    for attempt in (1, 2):
        # Wine's stderr goes to a file: a pipe would be held open by the wineserver it may start.
        with tempfile.TemporaryFile() as errf:
            proc = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=errf, timeout=timeout)
            out = proc.stdout.decode("utf-8", "replace").strip().splitlines()
            if out:
                return out
            errf.seek(0)
            err = errf.read().decode("utf-8", "replace").strip().splitlines()[-3:]
    raise ProbeError("%s %s: no output (exit %d) %r" % (os.path.basename(exe), args[0], proc.returncode, err))


def probe(*args, timeout=60):
    """Runs kprobe under wine and returns its JSON answer; ProbeError when it reports a failure."""
    out = run_tool(Env.kprobe, args, timeout)
    answer = json.loads(out[-1])
    if not answer.get("ok"):
        raise ProbeError("kprobe %s: %s" % (" ".join(map(str, args)), answer.get("error")))
    return answer


def try_probe(*args, **kw):
    try:
        return probe(*args, **kw)
    except ProbeError:
        return None


def windows_of_class(cls):
    return probe("windows", cls)["windows"]


def children(hwnd):
    return probe("children", hwnd)["children"]


def message_boxes(wait_ms=0):
    return probe("msgboxes", wait_ms)["boxes"]


def screen():
    return probe("screen")


def xdotool(*args):
    subprocess.run(["xdotool"] + [str(a) for a in args], check=True, timeout=30,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def click_at(x, y):
    xdotool("mousemove", x, y, "click", "1")


def click_child(child, dx=None, dy=None):
    """Clicks a child window (a kprobe children entry) at its centre or at an offset inside it."""
    r = child["rect"]
    click_at(r["left"] + (r["width"] // 2 if dx is None else dx), r["top"] + (r["height"] // 2 if dy is None else dy))


def type_text(text):
    xdotool("type", "--delay", "30", text)


def keys(*names):
    xdotool("key", *names)


def wait_until(condition, timeout, interval=0.2, what="condition"):
    """Polls `condition` until it returns a true value; AssertionError at the deadline."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise AssertionError("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def press_ok_until_gone(hwnd, gone, timeout=20):
    """Presses a dialog's OK until `gone()` holds; a press that reaches the box while it is
    still being built can be lost, so it is repeated now and then."""
    last = [0.0]

    def done():
        if gone():
            return True
        if time.monotonic() - last[0] >= 2:
            try_probe("pressok", hwnd)
            last[0] = time.monotonic()
        return False
    wait_until(done, timeout, what="the message box to go")


# ---- the program under test ----------------------------------------------------------------------

INSTANCE_MUTEX = "KeyraInstance0913"


class Keyra:
    """One copy of keyra.exe in its own temporary folder, started under wine."""

    START_TIMEOUT = 60
    EXIT_TIMEOUT = 60

    def __init__(self, name="keyra.exe", folder=None, files=None, env=None):
        self.owned = folder is None
        self.env = dict(os.environ, **(env or {}))  # e.g. WINEDLLOVERRIDES for this copy only
        self.folder = folder or tempfile.mkdtemp(prefix="keyra-e2e-")
        self.name = name
        self.path = os.path.join(self.folder, name)
        shutil.copyfile(Env.exe, self.path)
        for fname, content in (files or {}).items():
            self.put(fname, content)
        self.proc = None
        self.errf = None
        self.hwnd = None
        self.shown_after = -1.0  # seconds from process creation to the visible window

    @property
    def base(self):
        return os.path.splitext(self.name)[0]

    def file(self, fname):
        return os.path.join(self.folder, fname)

    def put(self, fname, content):
        """Writes a file beside the exe: bytes as they are, a list of lines scrambled."""
        data = content if isinstance(content, bytes) else scramble_lines(content)
        with open(self.file(fname), "wb") as f:
            f.write(data)

    def read(self, fname):
        with open(self.file(fname), "rb") as f:
            return f.read()

    def spawn(self, stderr=subprocess.DEVNULL):
        """Another start of the same executable file."""
        return subprocess.Popen(["wine", self.path], cwd=self.folder, env=self.env,
                                stdout=subprocess.DEVNULL, stderr=stderr)

    def start(self, await_free=True):
        if await_free:
            self.await_free()
        # Wine's stderr to a file (a pipe would be held open by the wineserver it may start),
        # so that a start that fails can say why.
        self.errf = tempfile.TemporaryFile()
        self.proc = self.spawn(stderr=self.errf)
        return self.proc

    def wine_said(self):
        if not self.errf:
            return []
        self.errf.seek(0)
        return self.errf.read().decode("utf-8", "replace").strip().splitlines()[-3:]

    @staticmethod
    def await_free():
        """An earlier Keyra's instance mutex can outlive the end of its process by a moment
        under Wine; a start in that moment would be refused as a second copy."""
        probe("mutexfree", INSTANCE_MUTEX, 30000)

    def window(self, timeout=START_TIMEOUT):
        """Waits for this process's TFKeyra window and returns its kprobe description."""
        def mine():
            if self.proc.poll() is not None:
                raise AssertionError("keyra ended (exit %s) before its window appeared; wine said %r"
                                     % (self.proc.returncode, self.wine_said()))
            # The window exists before it is laid out and placed; it is ready once shown.
            ans = try_probe("find", "TFKeyra", 2000, "visible")
            if ans:
                # Start to visible window as the system counts it, without the launcher's time.
                self.shown_after = ans.get("process_age_ms", -1) / 1000.0
                return ans["window"]
            # A message box instead of the window: say what it says rather than time out.
            boxes = [b for b in message_boxes() if b["texts"]]
            if boxes:
                raise AssertionError("message box instead of the window: %r" % [b["texts"] for b in boxes])
            return None
        win = wait_until(mine, timeout, interval=0.1, what="the TFKeyra window")
        self.hwnd = win["hwnd"]
        return win

    def start_and_wait(self, await_free=True):
        """The program ends with exit code 0 on every path of its own; an exit code of 1 before
        its window is Wine failing to start it, which is tried once more."""
        for attempt in (1, 2):
            self.start(await_free or attempt == 2)
            try:
                return self.window()
            except AssertionError:
                if attempt == 2 or self.proc.returncode != 1:
                    raise
                print("    wine did not start keyra (exit 1; %r); once more" % self.wine_said(), flush=True)

    def info(self):
        return probe("info", self.hwnd)["window"]

    def children(self):
        return children(self.hwnd)

    def child_texts(self):
        return [c["text"] for c in self.children()]

    def close(self, timeout=EXIT_TIMEOUT):
        """WM_CLOSE to the main window, then waits for the process to end; returns its exit code."""
        probe("close", self.hwnd)
        return self.wait_exit(timeout)

    def wait_exit(self, timeout=EXIT_TIMEOUT):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError("keyra did not end within %d s" % timeout)

    def kill(self):
        if self.proc is not None and self.proc.poll() is None:
            self.proc.kill()
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass

    def cleanup(self):
        self.kill()
        if self.owned:
            shutil.rmtree(self.folder, ignore_errors=True)


class WindowManager:
    """openbox on the test display, as a user's desktop has one: frames, its own focus rules,
    always-on-top windows kept above. Ended by its pid."""

    def __init__(self):
        self.proc = subprocess.Popen(["openbox", "--sm-disable"], stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        wait_until(self.managing, 30, what="openbox to manage the display")

    def managing(self):
        if self.proc.poll() is not None:
            raise AssertionError("openbox ended (exit %s)" % self.proc.returncode)
        # The root's property outlives an earlier openbox: the window it names must exist too.
        out = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, timeout=30).stdout.decode()
        if "window id" not in out:
            return False
        wid = out.split()[-1]
        name = subprocess.run(["xprop", "-id", wid, "_NET_WM_NAME"], stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, timeout=30).stdout
        return b"Openbox" in name

    def cleanup(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait(timeout=10)


class OwnPrefix:
    """A Wine prefix of the test's own with the font link and `LogPixels` (the system DPI, read
    when a program starts), the current one for every program and probe started until cleanup."""

    COMMON = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "wine-env-common.sh")

    def __init__(self, log_pixels):
        self.saved = os.environ.get("WINEPREFIX")
        self.path = tempfile.mkdtemp(prefix="keyra-e2e-prefix-")
        os.environ["WINEPREFIX"] = self.path

        def run(*cmd, check=True):
            subprocess.run(cmd, check=check, timeout=300, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            run("wineboot", "-i")
            run("wineserver", "-w")
            run("bash", "-c", '. "$0" && keyra_apply_font_link', self.COMMON)
            run("wine", "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                "/d", str(log_pixels), "/f")
            run("wineserver", "-p", check=False)  # kept running, as scripts/wine-env.sh keeps its own
        except Exception:
            self.cleanup()
            raise

    def cleanup(self):
        subprocess.run(["wineserver", "-k"], timeout=60, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], timeout=60, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.environ["WINEPREFIX"] = self.saved
        shutil.rmtree(self.path, ignore_errors=True)


class Fixtures:
    """Collects every Keyra of a test so that it is ended and removed whatever happens."""

    def __init__(self):
        self.items = []

    def prefix(self, log_pixels):
        """The test's programs from here on run in an own prefix at this DPI; it goes after them."""
        prefix = OwnPrefix(log_pixels)
        self.items.insert(0, prefix)
        return prefix

    def keyra(self, *args, **kw):
        k = Keyra(*args, **kw)
        self.items.append(k)
        return k

    def window_manager(self):
        """Starts openbox for this test; it is ended after the test's programs."""
        wm = WindowManager()
        self.items.insert(0, wm)
        return wm

    def cleanup(self):
        for k in reversed(self.items):
            k.cleanup()
        # Whatever a failed test left behind (message boxes, stray windows) goes with the processes.
        self.items = []


# ---- crashes -----------------------------------------------------------------------------------

def crash_file():
    return os.path.join(os.environ["WINEPREFIX"], "drive_c", "crash.txt")


def report_crashes_to_file():
    """A crash then ends the process and leaves winedbg's backtrace in drive_c/crash.txt instead of
    Wine's dialog, which would hold the process until a test stopped looking."""
    key = r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug"
    for args in (["add", key, "/v", "Auto", "/t", "REG_SZ", "/d", "1", "/f"],
                 ["add", key, "/v", "Debugger", "/t", "REG_SZ", "/d",
                  r"cmd /c C:\windows\system32\winedbg.exe --auto %ld %ld >> C:\crash.txt 2>&1", "/f"],
                 ["add", r"HKCU\Software\Wine\WineDbg", "/v", "ShowCrashDialog", "/t", "REG_DWORD", "/d", "0",
                  "/f"]):
        subprocess.run(["wine", "reg"] + args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)


def take_crash(names):
    """The backtrace of a crash of one of the programs `names` since the last look, with the
    program's own addresses named; None when there was none. The file is emptied either way."""
    path = crash_file()
    try:
        with open(path, "rb") as f:
            text = f.read().decode("utf-8", "replace")
        os.remove(path)
    except OSError:
        return None
    if not text.strip() or not any(n.lower() in text.lower() for n in names):
        return None
    lines = [l for l in text.splitlines() if l.strip()]
    # The exception and the backtrace's frames ("=>0 0x... in keyra (+0x...)", "  1 0x...").
    frame = re.compile(r"^\s*(=>)?\s*\d+\s+0x[0-9a-fA-F]+")
    shown = [l for l in lines if "Unhandled exception" in l or frame.match(l)][:40] or lines[:40]
    named = []
    for l in shown:
        for word in l.replace("(", " ").replace(")", " ").split():
            if word.startswith("0x00000001400") and Env.exe:
                out = subprocess.run(["x86_64-w64-mingw32-addr2line", "-f", "-C", "-e", Env.exe, word],
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=30).stdout.decode()
                l += "  [%s]" % (out.splitlines()[0] if out else "?")
                break
        named.append(l)
    return "\n".join(named)


# ---- runner ------------------------------------------------------------------------------------

TESTS = []


def test(fn):
    TESTS.append(fn)
    return fn


def check(cond, message):
    if not cond:
        raise AssertionError(message)


def check_eq(actual, expected, what):
    if actual != expected:
        raise AssertionError("%s: expected %r, got %r" % (what, expected, actual))


def run(argv=None):
    import argparse
    ap = argparse.ArgumentParser()
    ap.add_argument("--exe", default=Env.exe)
    ap.add_argument("--kprobe", default=Env.kprobe)
    ap.add_argument("--package", default=Env.package, help="the release ZIP (default: beside --exe)")
    ap.add_argument("--results", help="write the counts as JSON here")
    ap.add_argument("-k", dest="only", help="run only tests whose name contains one of these (comma-separated)")
    args = ap.parse_args(argv)
    Env.exe, Env.kprobe = os.path.abspath(args.exe), os.path.abspath(args.kprobe)
    Env.package = os.path.abspath(args.package or os.path.join(os.path.dirname(Env.exe), "keyra-0.3-win64.zip"))
    for needed in ("DISPLAY", "WINEPREFIX"):
        if not os.environ.get(needed):
            print("e2e: %s is not set; source scripts/wine-env.sh first" % needed)
            return 2
    for p in (Env.exe, Env.kprobe):
        if not os.path.isfile(p):
            print("e2e: missing %s" % p)
            return 2
    report_crashes_to_file()
    take_crash([])  # whatever an earlier run left
    passed = failed = 0
    failures = []
    for fn in TESTS:
        if args.only and not any(part in fn.__name__ for part in args.only.split(",")):
            continue
        fx = Fixtures()
        t0 = time.monotonic()
        detail = None
        try:
            fn(fx)
        except Exception as e:  # a crashing test is a failed test
            detail = str(e) if isinstance(e, AssertionError) else traceback.format_exc().strip()
        finally:
            names = ["keyra"] + [k.base for k in fx.items if isinstance(k, Keyra)]
            fx.cleanup()
            # A message box left open by a failed test would confuse the next one.
            left = try_probe("msgboxes", 0)
            for box in (left or {}).get("boxes", []):
                try_probe("pressok", box["hwnd"])
        # A crash of the program anywhere in the test fails it, its exit included.
        crash = take_crash(names)
        if crash:
            detail = (detail + "\n" if detail else "") + "keyra.exe crashed:\n" + crash
        if detail is None:
            passed += 1
            print("PASS %s (%.1f s)" % (fn.__name__, time.monotonic() - t0), flush=True)
        else:
            failed += 1
            failures.append((fn.__name__, detail))
            print("FAIL %s (%.1f s): %s" % (fn.__name__, time.monotonic() - t0, detail), flush=True)
    if args.results:
        with open(args.results, "w") as f:
            json.dump({"passed": passed, "failed": failed, "failures": failures}, f, ensure_ascii=False, indent=1)
    print("e2e summary: %d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 else 1


def run_all(argv=None):
    """Imports every test_*.py beside this file, then runs what they registered."""
    import importlib
    here = os.path.dirname(os.path.abspath(__file__))
    sys.path.insert(0, here)
    for fname in sorted(os.listdir(here)):
        if fname.startswith("test_") and fname.endswith(".py"):
            importlib.import_module(fname[:-3])
    return run(argv)


if __name__ == "__main__":
    # Tests register with the module named "harness", not with this __main__ copy.
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    import harness as _registered
    sys.exit(_registered.run_all())
