"""The password generator driven as a person would: opened from the main window's menu, random
and combination passwords, the used-state colour and hint, the hand-over to the main window,
the word lists with their import, docking, and the lists in the data file after the close."""

import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness as h  # noqa: E402
import mainwin_helpers as m  # noqa: E402
import test_help  # noqa: E402
from harness import check, check_eq, test  # noqa: E402

GEN_ITEM = "パスワード生成(&p)"
TYPE_ALL = "大小英字 + 数字 + 記号"
USED = ("社内 ポータル", "staff", "Kx7-portal#2024", "", "")
WS_EX_APPWINDOW = 0x00040000
LOWER, UPPER, DIGITS, SYMBOLS = "abcdefghijkmnpqrstuvwxyz", "ABCDEFGHJKLMNPQRSTUVWXYZ", "23456789", "#$-?@_"


def main_menu(gen_open):
    return [("C" if gen_open else "E", GEN_ITEM), ("E", "グループの切り替え(&G)"), ("E", "マスターパスワードの設定(&M)..."),
            ("E", "検索(&F)\tCtrl+F"), ("E", "インポート(&I)..."), ("E", "エクスポート(&E)..."), "-", ("E", "ヘルプ(&H)"), ("E", "終了(&X)")]


class Generator:
    """The generator window as kprobe sees it: boxes and buttons in their rows, top to bottom."""

    def __init__(self, k):
        self.k = k
        self.refresh()

    def refresh(self):
        wins = [w for w in h.windows_of_class("VIDodureza") if w["pid"] == self.k.info()["pid"]]
        check(len(wins) == 1, "one generator window; found %r" % wins)
        self.win = wins[0]
        self.kids = h.children(self.win["hwnd"])
        combos = sorted((c for c in self.kids if c["class"].lower() == "combobox"), key=lambda c: c["rect"]["top"])
        check_eq(len(combos), 6, "drop-down boxes")
        self.digit, self.type, self.group, self.name, self.symbol, self.number = combos
        inside = lambda c, b: b["rect"]["left"] <= c["rect"]["left"] < b["rect"]["left"] + b["rect"]["width"] and \
            b["rect"]["top"] <= c["rect"]["top"] < b["rect"]["top"] + b["rect"]["height"]  # noqa: E731
        self.edit_parts = {id(b): [c for c in self.kids if c["class"].lower() == "edit" and inside(c, b)]
                           for b in combos}
        edits = [c for c in self.kids if c["class"].lower() == "edit" and not any(inside(c, b) for b in combos)]
        check_eq(len(edits), 3, "password boxes")
        self.pass1, self.pass2, self.pass3 = sorted(edits, key=lambda c: c["rect"]["top"])
        # Children count as hidden while the window is: the bank's own 13 buttons, shown or not.
        buttons = [c for c in self.kids if c["class"] == "TKButton"]
        check_eq(len(buttons), 13, "buttons")
        buttons.sort(key=lambda c: (c["rect"]["top"], c["rect"]["left"]))
        self.buttons = dict(enumerate(buttons, 1))
        return self

    def press(self, number):
        h.click_child(self.buttons[number])

    def text(self, child):
        return h.probe("gettext", child["hwnd"])["text"]

    def type_into(self, box, text):
        target = self.edit_parts[id(box)][0] if id(box) in self.edit_parts else box
        h.click_child(target)
        h.wait_until(lambda: m.mprobe("gui", self.win["hwnd"])["focus"] == target["hwnd"], 15,
                     what="the focus in the box")
        h.keys("ctrl+a", "BackSpace")
        h.type_text(text)
        h.wait_until(lambda: self.text(target) == text, 15, what="%r typed" % text)

    def pick_last_type(self):
        h.click_child(self.type)
        h.keys("Escape")
        for _ in range(5):  # down the list to its last item
            h.keys("Down")
        h.wait_until(lambda: self.text(self.type) == TYPE_ALL, 15, what="the type %r picked" % TYPE_ALL)

    def hints(self):
        """The texts of the program's tooltips; a tooltip has its text while it is shown."""
        return [w["text"] for w in h.windows_of_class("tooltips_class32") if w["pid"] == self.win["pid"]]

    def face_point(self):
        """A bare point of the face: right of the caption label, left of the close button."""
        r, close = self.win["rect"], self.buttons[1]["rect"]
        return close["left"] - 12, r["top"] + 10


class Folder:
    def __init__(self, path):
        self.path = path

    def cleanup(self):
        shutil.rmtree(self.path, ignore_errors=True)


def open_generator(k, mw, gen_open=False):
    x, y = mw.bare_point()
    m.open_menu_matching(x, y, main_menu(gen_open), lambda: m.right_click_at(x, y))
    m.choose_menu_key("p")
    h.wait_until(lambda: [w for w in h.windows_of_class("VIDodureza") if w["visible"]], 20,
                 what="the generator window shown")
    return Generator(k)


def message_box(text_part, timeout=15):
    """The message box that shows `text_part`, once it is there."""
    def shown():
        return [b for b in h.message_boxes() if any(text_part in t for t in b["texts"])]
    return h.wait_until(shown, timeout, what="a message box with %r" % text_part)[0]


def press_box_button(box, button_id):
    kid = [c for c in h.children(box["hwnd"]) if c["id"] == button_id]
    check(kid, "button %d in the box" % button_id)
    h.click_child(kid[0])
    h.wait_until(lambda: not h.message_boxes(), 15, what="the message box to close")


def follows_class_rules(pw):
    kinds = [LOWER, UPPER, DIGITS, SYMBOLS]
    return len(pw) == 16 and pw[0] in LOWER + UPPER and all(any(c in k for c in pw) for k in kinds) and \
        all(any(c in k for k in kinds) for c in pw)


def reddish(rect):
    """True when some pixel of the box's text is drawn in the used-state dark red."""
    ans = h.probe("pixels", rect["left"] + 2, rect["top"] + 2, rect["width"] - 4, rect["height"] - 4)
    for row in ans["rows"]:
        for i in range(0, len(row), 6):
            r, g, b = (int(row[i + j:i + j + 2], 16) for j in (0, 2, 4))
            if r >= 0x60 and r > g + 0x40 and r > b + 0x40:
                return True
    return False


@test
def test_generator_window_random_passwords_used_state_and_hand_over(fx):
    k, mw = m.start_keyra(fx, [m.entry_line(0, *USED), m.entry_line(1, "既存", "", "old-pass", "", "")])
    gen = open_generator(k, mw)
    win = gen.win
    check_eq(win["text"], "Rirezedu", "window text")
    check_eq(win["style"] & m.WS_CAPTION, 0, "no caption bits")
    check(win["exstyle"] & m.WS_EX_TOPMOST, "always on top")
    # Owned by the main window: no taskbar button of its own, hidden with it when minimized.
    check_eq((win["owner"], win["exstyle"] & WS_EX_APPWINDOW), (k.hwnd, 0), "owner and WS_EX_APPWINDOW")
    check("Keyra Generator" in [c["text"] for c in gen.kids], "the caption label")
    for caption in ("ランダム", "組み合わせ", "桁数：", "種類：", "PASS1：", "グループ：", "PASS2:", "PASS3："):
        check(caption in [c["text"] for c in gen.kids], "label %r" % caption)
    check_eq([gen.buttons[n]["text"] for n in (2, 3, 4, 5, 12)], ["generate", "set", "add", "del", "set"], "captions")
    check_eq(win["rect"]["width"], gen.buttons[5]["rect"]["right"] - win["rect"]["left"] + 12 + 4,
             "window width from the group row's del button")

    gen.type_into(gen.digit, "16")
    gen.pick_last_type()
    seen = []
    for _ in range(20):
        before = gen.text(gen.pass1)
        gen.press(2)
        pw = h.wait_until(lambda: (lambda t: t if t and t != before else None)(gen.text(gen.pass1)), 15,
                          what="a new password")
        check(follows_class_rules(pw), "class rules of %r" % pw)
        seen.append(pw)
    check_eq(len(set(seen)), 20, "twenty different passwords")
    length_label = [c for c in h.children(win["hwnd"]) if c["text"] == "16"]
    check(length_label, "the length label shows 16")

    gen.type_into(gen.digit, "31")
    message_box("31桁以上のパスワードは作成できません")
    h.probe("pressok", h.message_boxes()[0]["hwnd"])
    check_eq(gen.text(gen.pass1), "", "PASS1 after a length of 31")

    # A password that a stored entry begins with turns dark red, with that entry in the hint.
    gen.type_into(gen.pass1, "Kx7-por")
    h.wait_until(lambda: reddish(gen.pass1["rect"]), 15, what="PASS1 drawn dark red")
    hint = "%s %s" % (USED[0], USED[2])
    h.xdotool("mousemove", *m.centre(gen.pass1["rect"]))
    h.wait_until(lambda: hint in gen.hints(), 15, what="the hint %r over PASS1" % hint)
    gen.type_into(gen.pass1, "portal")
    h.wait_until(lambda: not reddish(gen.pass1["rect"]), 15, what="PASS1 black for a password contained further on")
    m.park_mouse()
    h.xdotool("mousemove", *m.centre(gen.pass1["rect"]))
    check(m.stays(lambda: hint not in gen.hints(), 2), "no hint for an unused password")

    # "コピー(&C)" of a "set" button copies its box's password.
    x, y = m.centre(gen.buttons[3]["rect"])
    m.open_menu_matching(x, y, [("E", "コピー(&C)")], lambda: m.right_click_at(x, y))
    m.choose_menu_key("c")
    h.wait_until(lambda: m.clipboard()["text"] == "portal", 15, what="PASS1 on the clipboard")

    # Hand-over: refused while the main window's password box holds text.
    mw.click_row(1)
    gen.type_into(gen.pass1, "Fresh-Pw-9")
    gen.press(3)
    message_box("パスワードが設定されています。")
    h.probe("pressok", h.message_boxes()[0]["hwnd"])
    check_eq(mw.field_texts()[2], "old-pass", "the main window's password unchanged")
    mw.click_row(2)
    gen.press(3)
    h.wait_until(lambda: mw.field_texts()[2] == "Fresh-Pw-9", 15, what="the password handed over")
    h.wait_until(lambda: reddish(gen.pass1["rect"]), 15, what="PASS1 dark red once stored")
    check_eq(m.close_by_button(k, mw), 0, "exit code")
    check_eq(m.saved_entries(k).get(2, ())[2:3], ("Fresh-Pw-9",), "the password stored in entry 2")


@test
def test_generator_combination_lists_hand_over_and_data_file(fx):
    k, mw = m.start_keyra(fx, ["$Top=150", "$Left=150", "#inu=pochi", "#inu=kuro", "$SYMBOL=!", "$NUMBER=77"])
    gen = open_generator(k, mw)
    # A group with two names, then a name for it, through the boxes and their add buttons.
    gen.type_into(gen.group, "neko")
    gen.type_into(gen.name, "tama")
    gen.press(4)
    h.wait_until(lambda: gen.text(gen.edit_parts[id(gen.name)][0]) == "", 15, what="the name box emptied by add")
    gen.type_into(gen.name, "mike")
    gen.press(6)
    # A further group, deleted again after the question.
    gen.type_into(gen.group, "tori")
    gen.type_into(gen.name, "piyo")
    gen.press(4)
    gen.type_into(gen.group, "tori")
    gen.press(5)
    box = message_box("tori グループの名前データをすべて削除しますか？")
    press_box_button(box, 6)  # Yes
    h.wait_until(lambda: gen.text(gen.edit_parts[id(gen.group)][0]) == "", 15, what="the group box emptied")
    # A name deleted from inu.
    gen.type_into(gen.group, "inu")
    gen.type_into(gen.name, "kuro")
    gen.press(7)
    # Compose: name, symbol, group, number.
    gen.type_into(gen.group, "neko")
    gen.type_into(gen.name, "tama")
    gen.type_into(gen.symbol, "!")
    gen.type_into(gen.number, "77")
    h.wait_until(lambda: gen.text(gen.pass2) == "tama!neko77", 15, what="PASS2")
    check_eq(gen.text(gen.pass3), "tama77!neko", "PASS3")
    mw.click_row(3)
    h.click_child(mw.field(0))
    h.type_text("combo site")
    h.wait_until(lambda: mw.field_texts()[0] == "combo site", 15, what="the title typed")
    gen.press(12)
    h.wait_until(lambda: mw.field_texts()[2] == "tama!neko77", 15, what="PASS2 handed over")
    # A group with "=" is refused; the close after it ends cleanly (the harness sees any crash).
    gen.type_into(gen.group, "a=b")
    gen.type_into(gen.name, "c")
    gen.press(4)
    h.probe("pressok", message_box("グループ名に「=」は使えません")["hwnd"])
    check_eq(m.close_by_button(k, mw), 0, "exit code")
    lines = h.read_data_file(k.file("keyra.kr"))
    check_eq(m.saved_entries(k)[3][:3], ("combo site", "", "tama!neko77"), "the entry with the combination")
    gen_lines = [l for l in lines if l.startswith(("#", "$")) and not l.startswith(("$Lines=", "$Check=", "$End="))]
    check_eq(gen_lines[2:], ["#inu=pochi", "#neko=tama", "#neko=mike", "$SYMBOL=!", "$NUMBER=77"],
             "the word lists in the data file")
    check_eq(gen_lines[:2], ["$Top=150", "$Left=150"], "the position")


@test
def test_generator_import_docking_and_system_close(fx):
    k, mw = m.start_keyra(fx, ["$Top=500", "$Left=100"])
    folder = tempfile.mkdtemp(prefix="keyra-words-")
    fx.items.append(Folder(folder))
    words = os.path.join(folder, "words.txt")
    # With a byte-order mark; a 30-character line is taken, a 31-character one is not.
    lines = ["dog=rex", "dog=rex", "cat=", "=x", "bird=" + "y" * 25, "fish=" + "z" * 26, "eel=a=b"]
    with open(words, "wb") as f:
        f.write(("\ufeff" + "\r\n".join(lines) + "\r\n").encode("utf-8"))
    gen = open_generator(k, mw)
    m.right_click_at(*gen.face_point())
    m.wait_menu_open()
    m.choose_menu_key("i")
    dialog = h.wait_until(lambda: h.message_boxes(), 30, what="the file dialog")[0]
    h.wait_until(lambda: m.mprobe("foreground")["hwnd"] == dialog["hwnd"], 15, what="the dialog in front")
    h.type_text("Z:" + words.replace("/", "\\"))
    h.keys("Return")
    box = message_box("個のパスワードデータをインポートしました！", timeout=30)
    check_eq(box["texts"], ["3個のパスワードデータをインポートしました！"], "the count message")
    h.probe("pressok", box["hwnd"])

    # Dropped with its corner over the main window's lower half, it docks below it.
    main = k.info()["rect"]
    r = gen.refresh().win["rect"]
    sx, sy = gen.face_point()
    tx, ty = main["left"] + 20 + (sx - r["left"]), main["top"] + main["height"] * 3 // 4 + (sy - r["top"])
    h.xdotool("mousemove", sx, sy, "mousedown", "1", "sleep", "0.2", "mousemove", (sx + tx) // 2, (sy + ty) // 2,
              "sleep", "0.2", "mousemove", tx, ty, "sleep", "0.2", "mouseup", "1")
    h.wait_until(lambda: (lambda w: (w["left"], w["top"]) == (main["left"], main["bottom"]))(
        gen.refresh().win["rect"]), 15, what="the generator docked below the main window")

    # Alt+F4 hides it like its close button; the main menu's tick follows.
    x, y = mw.bare_point()
    m.open_menu_matching(x, y, main_menu(True), lambda: m.right_click_at(x, y))
    m.dismiss_menu()
    gen.type_into(gen.pass1, "abc")
    h.keys("alt+F4")
    h.wait_until(lambda: not gen.refresh().win["visible"], 15, what="the generator hidden")
    m.open_menu_matching(x, y, main_menu(False), lambda: m.right_click_at(x, y))
    m.choose_menu_key("p")
    h.wait_until(lambda: gen.refresh().win["visible"], 15, what="the generator shown again")
    check_eq(gen.text(gen.pass1), "", "fields reset after the system's close")
    check_eq(m.close_by_button(k, mw), 0, "exit code")
    lines = [l for l in h.read_data_file(k.file("keyra.kr")) if l.startswith("#")]
    check_eq(lines, ["#dog=rex", "#bird=" + "y" * 25, "#eel=a=b"], "imported lists in the data file")


# DLLs outside the KnownDLLs that the program uses; Windows would take such a file from the
# program's own folder first. The override makes Wine search as Windows does.
PLANTED = ("DINPUT8.dll", "bcrypt.dll", "hhctrl.ocx", "comctl32.dll", "wtsapi32.dll")
PLANT_OVERRIDES = "mscoree,mshtml=;dinput8,bcrypt,hhctrl.ocx,comctl32,wtsapi32=n,b"


def markers(folder):
    return sorted(f for f in os.listdir(folder) if f.endswith(".loaded"))


@test
def test_planted_dlls_are_never_loaded_and_a_masked_password_stays_out_of_the_hint(fx):
    planted = os.path.join(os.path.dirname(h.Env.kprobe), "kplanted.dll")
    check(os.path.isfile(planted), "kplanted.dll is built beside kprobe (%s)" % planted)
    with open(planted, "rb") as f:
        dll = f.read()
    # Passwords masked in the main window (DispPassMode 0): the used-password hint names only the title.
    files = {"keyra.kr": h.settings_lines(Left="600", DispPassMode="0") + [m.entry_line(0, *USED)],
             "keyra.chm": test_help.built_chm()}
    files.update({name: dll for name in PLANTED})
    k = fx.keyra(files=files, env={"WINEDLLOVERRIDES": PLANT_OVERRIDES})
    m.park_mouse()
    k.start_and_wait()
    h.wait_until(lambda: m.mprobe("gui", k.hwnd)["active"] == k.hwnd, 30, what="the main window to be active")
    check_eq(markers(k.folder), [], "planted DLLs loaded by the start")
    mw = m.MainWindow(k)
    # The help (HTML Help), a random password (CNG), the click watch (DirectInput, since the
    # activation) and every control (the common controls) run, each from the system's library.
    test_help.choose_help(mw)
    h.wait_until(test_help.help_windows, 30, what="the help window")
    gen = open_generator(k, mw)
    gen.type_into(gen.digit, "16")
    gen.pick_last_type()
    gen.press(2)
    pw = h.wait_until(lambda: gen.text(gen.pass1), 15, what="a random password")
    check(follows_class_rules(pw), "class rules of %r" % pw)
    gen.type_into(gen.pass1, "Kx7-por")
    h.xdotool("mousemove", *m.centre(gen.pass1["rect"]))
    h.wait_until(lambda: USED[0] in gen.hints(), 15, what="the hint %r over PASS1" % USED[0])
    check(not any(USED[2] in t for t in gen.hints()), "no password in the hint: %r" % gen.hints())
    check_eq(k.close(), 0, "exit code")
    check_eq(markers(k.folder), [], "planted DLLs that were loaded")

    # The marker works: a program that does load the file leaves one.
    probe_copy = os.path.join(k.folder, "probe.dll")
    shutil.copyfile(planted, probe_copy)
    subprocess.run(["wine", "rundll32", "Z:" + probe_copy.replace("/", "\\") + ",HtmlHelpW"], timeout=60,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    check_eq(markers(k.folder), ["probe.dll.loaded"], "the marker of a DLL that is loaded")
