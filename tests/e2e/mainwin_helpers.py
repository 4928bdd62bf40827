"""Driving Keyra's main window and Wine's Notepad for the main-window tests."""

import json
import os
import subprocess
import time

import harness as h

WS_CAPTION = 0x00C00000
WS_EX_TOPMOST = 0x00000008
ES_MULTILINE = 0x0004

# Where Notepad sits: left of Keyra's window, which the tests put at Left=600 or more.
NOTEPAD_RECT = (20, 60, 500, 400)


def kmainprobe_exe():
    return os.path.join(os.path.dirname(h.Env.kprobe), "kmainprobe.exe")


def mprobe(*args, timeout=60):
    """Runs kmainprobe (built beside kprobe) and returns its JSON answer."""
    exe = kmainprobe_exe()
    if not os.path.isfile(exe):
        raise h.ProbeError("missing %s" % exe)
    out = h.run_tool(exe, args, timeout)
    answer = json.loads(out[-1])
    if not answer.get("ok"):
        raise h.ProbeError("kmainprobe %s: %s" % (" ".join(map(str, args)), answer.get("error")))
    return answer


def utf8_hex(text):
    return text.encode("utf-8").hex()


def clipboard():
    return h.probe("clipboard")


def set_clipboard(text):
    mprobe("setclip", utf8_hex(text))


def clipboard_entry():
    """The five texts of the "KEYRA" format on the clipboard, or None when it is absent."""
    raw = clipboard()["keyra"]
    if raw is None:
        return None
    text = bytes.fromhex(raw).decode("utf-16-le", "surrogatepass").split("\0", 1)[0]
    return tuple(h.split_parts(text)[:5])


def mouse_location():
    out = subprocess.run(["xdotool", "getmouselocation", "--shell"], stdout=subprocess.PIPE, check=True,
                         timeout=30).stdout.decode()
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return int(values["X"]), int(values["Y"])


def wait_mouse_at(point, what, timeout=15):
    try:
        h.wait_until(lambda: mouse_location() == tuple(point), timeout, what="the mouse at %s %r" % (what, point))
    except AssertionError as e:
        raise AssertionError("%s; it is at %r" % (e, mouse_location()))


def settled_mouse_location(timeout=5):
    """The mouse position once it has stopped moving (the paste moves it back after Ctrl+V)."""
    last = [mouse_location()]

    def still():
        time.sleep(0.2)
        now = mouse_location()
        same, last[0] = now == last[0], now
        return same
    h.wait_until(still, timeout, interval=0, what="the mouse to come to rest")
    return last[0]


def past_double_click_time():
    # The paste's own click at the remembered point must not make a double click with the
    # user's click there, which would select a word that the paste then replaces.
    time.sleep(0.6)


def press_and_release(x, y, hold=0.15):
    """A person's click: the button stays down for a moment. The window decides a click on its
    bare surface by the button state while it hit-tests, which a zero-length click can miss."""
    h.xdotool("mousemove", x, y, "mousedown", "1", "sleep", hold, "mouseup", "1")


def right_click_at(x, y):
    h.xdotool("mousemove", x, y, "click", "3")


def centre(rect):
    return rect["left"] + rect["width"] // 2, rect["top"] + rect["height"] // 2


def stays(condition, seconds, interval=0.2):
    """True when `condition` holds at every poll for `seconds`: the way to see that nothing happens."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if not condition():
            return False
        time.sleep(interval)
    return condition()


def entry_line(index, *parts):
    return "I%d=%s" % (index, h.multipart(*parts))


def saved_entries(k):
    """index -> five texts of every entry line in the data file."""
    out = {}
    for line in h.read_data_file(k.file("%s.kr" % k.base)):
        name, _, value = line.partition("=")
        if len(name) > 1 and name[0] in "Ii" and name[1:].isdigit():
            out[int(name[1:])] = tuple(h.split_parts(value)[:5])
    return out


def pixel(x, y):
    row = h.probe("pixels", x, y, 1, 1)["rows"][0]
    return tuple(int(row[i:i + 2], 16) for i in (0, 2, 4))


def rgb_of_colorref(value):
    """A $00BBGGRR colour as (r, g, b)."""
    return value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF


# ---- menus --------------------------------------------------------------------------------

def open_menus():
    return mprobe("menus")["menus"]


def wait_menu_open(timeout=15):
    return h.wait_until(lambda: (open_menus() or [None])[0], timeout, what="a popup menu to open")


def wait_menu_closed(timeout=15):
    h.wait_until(lambda: not open_menus(), timeout, what="the popup menu to close")


def menu_item_args(items):
    """Items as (state, text) with state "E" enabled, "G" grayed, "C" checked; "-" is a separator."""
    out = []
    for item in items:
        if item == "-":
            out.append("-")
        else:
            state, text = item
            out.append("%s:%s" % (state, utf8_hex(text)))
    return out


def reference_menu(x, y, items):
    """The picture of a menu with exactly these items, drawn by the probe at (x, y)."""
    return mprobe("refmenu", x, y, *menu_item_args(items))["menu"]


def shot_difference(a, b):
    """Number of differing pixels of two menu pictures; None when their sizes differ."""
    if (a["rect"]["width"], a["rect"]["height"]) != (b["rect"]["width"], b["rect"]["height"]):
        return None
    return sum(1 for ra, rb in zip(a["rows"], b["rows"]) for i in range(0, len(ra), 6) if ra[i:i + 6] != rb[i:i + 6])


def open_menu_matching(x, y, items, opener):
    """Draws the expected menu at (x, y), then opens the program's menu there with `opener` and
    compares the two pictures pixel for pixel; the program's menu is left open."""
    h.xdotool("mousemove", x, y)
    expected = reference_menu(x, y, items)
    wait_menu_closed()
    opener()
    wait_menu_open()
    actual = mprobe("menushot")["menu"]
    diff = shot_difference(actual, expected)
    if diff != 0:
        describe = [i if i == "-" else "%s %s" % i for i in items]
        raise AssertionError("the open menu does not look like %r (%s)"
                             % (describe, "size %dx%d, expected %dx%d" % (
                                 actual["rect"]["width"], actual["rect"]["height"],
                                 expected["rect"]["width"], expected["rect"]["height"])
                                 if diff is None else "%d pixels differ" % diff))
    return actual


def choose_menu_key(key):
    """Picks an item of the open menu by its access key and waits for the menu to go."""
    h.keys(key)
    wait_menu_closed()


def dismiss_menu():
    if open_menus():
        h.keys("Escape")
        wait_menu_closed()


# ---- the main window ----------------------------------------------------------------------

class MainWindow:
    """Keyra's main window as the children kprobe reports."""

    def __init__(self, k):
        self.k = k
        self.refresh()

    def refresh(self):
        self.kids = self.k.children()
        self.win = self.k.info()
        # The window's own controls; the panels' lie one level deeper.
        edits = [c for c in self.kids if c["class"].lower() == "edit" and c["parent"] == self.k.hwnd]
        # The find box lies over the title row, above the group row at 22.
        title_row = [c for c in edits if c["rect"]["top"] - self.win["rect"]["top"] < 22]
        self.find_box = title_row[0] if title_row else None
        edits = [c for c in edits if c not in title_row]
        self.fields = [c for c in edits if not c["style"] & ES_MULTILINE]
        memos = [c for c in edits if c["style"] & ES_MULTILINE]
        lists = [c for c in self.kids if c["class"].lower() == "listbox"]
        h.check(len(self.fields) == 4 and len(memos) == 1 and len(lists) == 1,
                "four edit boxes, a memo and a list; children: %r" % [(c["class"], c["text"]) for c in self.kids])
        self.memo, self.list = memos[0], lists[0]
        return self

    def buttons(self):
        return [c for c in self.kids if c["class"] == "TKButton" and c["visible"] and c["parent"] == self.k.hwnd]

    def button(self, caption):
        found = [c for c in self.buttons() if c["text"] == caption]
        h.check(len(found) == 1, "one visible button %r; visible buttons: %r"
                % (caption, [c["text"] for c in self.buttons()]))
        return found[0]

    def group_captions(self):
        row = [c for c in self.buttons() if c["text"] and c["text"] not in ("title", "id", "pass", "url")]
        row.sort(key=lambda c: c["rect"]["left"])
        return [c["text"] for c in row]

    def title_buttons(self):
        """The minimize and close buttons: the visible 16x16 buttons without caption, left to right."""
        row = [c for c in self.buttons() if not c["text"] and c["rect"]["width"] == 16 and c["rect"]["height"] == 16]
        row.sort(key=lambda c: c["rect"]["left"])
        return row

    def click_button(self, caption):
        h.click_child(self.button(caption))

    def field(self, n):
        """Edit box n: 0 title, 1 id, 2 pass, 3 url (top to bottom)."""
        return sorted(self.fields, key=lambda c: c["rect"]["top"])[n]

    def field_texts(self):
        return [h.probe("gettext", self.field(n)["hwnd"])["text"] for n in range(4)]

    def memo_text(self):
        return h.probe("gettext", self.memo["hwnd"])["text"]

    def shown_entry(self):
        return tuple(self.field_texts() + [self.memo_text()])

    def list_state(self):
        return h.probe("listbox", self.list["hwnd"])

    def rows(self):
        return self.list_state()["items"]

    def row_rect(self, row):
        ans = mprobe("lbrow", self.list["hwnd"], row)
        h.check(ans["shown"], "list row %d is scrolled into view" % row)
        return ans["rect"]

    def click_row(self, row):
        x, y = centre(self.row_rect(row))
        h.click_at(x, y)
        h.wait_until(lambda: self.list_state()["selected"] == row, 15, what="list row %d to be selected" % row)

    def right_click_row_point(self, row):
        x, y = centre(self.row_rect(row))
        return x, y

    def bare_point(self):
        """A point of the window's own surface: in the title row between the caption and the buttons."""
        caption = [c for c in self.kids if c["class"].lower() == "static"][0]
        first_title_button = self.title_buttons()[0]
        x = (caption["rect"]["right"] + first_title_button["rect"]["left"]) // 2
        return x, caption["rect"]["top"] + caption["rect"]["height"] // 2

    def focus(self):
        return mprobe("gui", self.k.hwnd)["focus"]

    def wait_focus(self, child, what):
        h.wait_until(lambda: self.focus() == child["hwnd"], 15, what="the focus in %s" % what)


def start_keyra(fx, entries=(), **settings):
    """Keyra with a data file of these settings and entry lines, running and active, with its
    click watch started (it starts at the first activation)."""
    settings.setdefault("Left", "600")
    k = fx.keyra(files={"keyra.kr": h.settings_lines(**settings) + list(entries)})
    park_mouse()
    return k, start_ready(k)


def start_ready(k):
    """Starts `k` and waits until it is active with its click watch running."""
    k.start_and_wait()
    h.wait_until(lambda: mprobe("gui", k.hwnd)["active"] == k.hwnd, 30, what="the main window to be active")
    # The watch thread opens the mouse device right after the activation.
    time.sleep(0.5)
    return MainWindow(k)


def park_mouse():
    s = h.screen()
    h.xdotool("mousemove", s["width"] - 1, s["height"] - 1)


def close_by_button(k, mw):
    """Presses the title row's close button and waits for the program to end."""
    h.click_child(mw.title_buttons()[-1])
    return k.wait_exit()


# ---- Notepad --------------------------------------------------------------------------------

class Notepad:
    """Wine's own Notepad, the foreign application the tests paste into."""

    def __init__(self, rect=NOTEPAD_RECT):
        before = {w["hwnd"] for w in h.windows_of_class("Notepad")}
        # Exit code 1 before any window is Wine failing to start it, as with Keyra: once more.
        for attempt in (1, 2):
            self.proc = subprocess.Popen(["wine", "notepad"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

            def new_window():
                if self.proc.poll() is not None:
                    raise AssertionError("notepad ended (exit %s)" % self.proc.returncode)
                fresh = [w for w in h.windows_of_class("Notepad") if w["hwnd"] not in before]
                return fresh[0] if fresh else None
            try:
                self.hwnd = h.wait_until(new_window, 60, what="the Notepad window")["hwnd"]
                break
            except AssertionError:
                if attempt == 2 or self.proc.returncode != 1:
                    raise
        # No window manager: windows stay where they are put, so by default keep it clear of Keyra.
        mprobe("move", self.hwnd, *rect)
        edits = [c for c in h.children(self.hwnd) if c["class"].lower() == "edit"]
        h.check(edits, "Notepad has an edit box")
        self.edit = edits[0]

    def text(self):
        return h.probe("gettext", self.edit["hwnd"])["text"]

    def set_text(self, text):
        h.probe("settext", self.edit["hwnd"], utf8_hex(text))

    def click_into(self, dx=None, dy=None):
        # Read again: a window manager places and frames the window after the move.
        self.edit = [c for c in h.children(self.hwnd) if c["class"].lower() == "edit"][0]
        h.click_child(self.edit, dx, dy)
        h.wait_until(lambda: mprobe("foreground")["hwnd"] == self.hwnd, 15, what="Notepad in the foreground")

    def wait_text(self, expected, timeout=15):
        try:
            h.wait_until(lambda: self.text() == expected, timeout, what="Notepad text %r" % expected)
        except AssertionError as e:
            raise AssertionError("%s; it holds %r" % (e, self.text()))

    def cleanup(self):
        # Its text is changed: a close would ask whether to save, so end the process instead.
        if self.proc.poll() is None:
            self.proc.kill()
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass
        h.try_probe("waitgone", self.hwnd, 10000)


def notepad(fx, rect=NOTEPAD_RECT):
    n = Notepad(rect)
    fx.items.append(n)  # ended with the test's other fixtures
    return n
