"""The options panel and the PIN lock driven as a person would: "OP", the drop-down lists, the
boxes, the colour dialog, the PIN panel, a group button to close, and the data file after the
program ended."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness as h  # noqa: E402
import mainwin_helpers as m  # noqa: E402
from harness import check, check_eq, test  # noqa: E402

PIN_BOX = "起動時に暗証番号を入力する"
PASS_BOX = "パスワードを表示する"
PIN_LABEL = "暗証番号を入力してください"
ES_PASSWORD = 0x0020
WS_DISABLED = 0x08000000


class Panels:
    """The two panels of the main window and their controls, as kprobe reports them."""

    def __init__(self, k):
        kids = k.children()
        panels = [c for c in kids if c["class"] == "KPanel"]
        inside = lambda p: [c for c in kids if c["parent"] == p["hwnd"]]  # noqa: E731
        # Each panel is made when it is first shown; until then it counts as hidden.
        unmade = {"hwnd": None, "visible": False}
        self.pin = ([p for p in panels if any(c["text"] == PIN_LABEL for c in inside(p))] + [unmade])[0]
        self.option = ([p for p in panels if p is not self.pin] + [unmade])[0]
        self.pin_kids, self.option_kids = inside(self.pin), inside(self.option)

    def option_control(self, cls, index=0):
        found = sorted([c for c in self.option_kids if c["class"] == cls], key=lambda c: c["rect"]["top"])
        return found[index]

    def by_text(self, text, pin=False):
        found = [c for c in (self.pin_kids if pin else self.option_kids) if c["text"] == text]
        check(found, "a control %r in the %s panel" % (text, "PIN" if pin else "options"))
        return found[0]

    def pin_edit(self):
        return [c for c in self.pin_kids if c["class"].lower() == "edit"][0]

    def text(self, control):
        return h.probe("gettext", control["hwnd"])["text"]


def panel_visible(k, which):
    def shown():
        p = Panels(k)
        return getattr(p, which)["visible"] and p
    return shown


def open_options(k, mw):
    mw.click_button("OP")
    return h.wait_until(panel_visible(k, "option"), 15, what="the options panel")


def retype(control, text, dx=None):
    """Clicks into a box, removes what it holds with the keyboard and types `text`."""
    h.click_child(control, dx)
    h.keys("End", *(["BackSpace"] * 12))
    if text:
        h.type_text(text)


def choose_item(combo, downs):
    """Opens a drop-down list by a click and moves `downs` items down with the keyboard."""
    h.click_child(combo)
    h.keys(*(["Down"] * downs), "Return")


def colour_dialog(button):
    """Clicks a colour button and returns the colour dialog's controls by id (and its "hwnd")."""
    h.click_child(button)
    box = h.wait_until(lambda: h.message_boxes(), 15, what="the colour dialog")[0]
    controls = {c["id"]: c for c in h.children(box["hwnd"])}
    controls["hwnd"] = box["hwnd"]
    return controls


def close_with_group_button(k, mw, caption):
    mw.refresh().click_button(caption)
    h.wait_until(lambda: not Panels(k).option["visible"], 15, what="the options panel to close")
    return mw.refresh()


def saved_settings(k):
    return h.line_dict(h.read_data_file(k.file("keyra.kr")))


@test
def test_options_panel_changes_every_setting_the_layout_follows_and_the_file_keeps_them(fx):
    k, mw = m.start_keyra(fx, ListHeight="40", MemoHeight="30", FormColor="255")
    # The second group page first: it must follow the new group count.
    m.press_and_release(*mw.bare_point())
    h.wait_until(lambda: mw.refresh().group_captions() == ["6", "7", "8", "9", "10", "OP"], 15,
                 what="the second group page")
    small = mw.win["rect"]
    p = open_options(k, mw)
    win = k.info()["rect"]
    layout_top = mw.list["rect"]["top"] - small["top"]
    check_eq(win["height"], layout_top + 345 + 4, "window height while the panel is open")
    check_eq(p.option["rect"]["height"], 345, "panel height")
    check(win["width"] >= 222 and p.option["rect"]["width"] == win["width"] - 8, "panel width %r" % p.option["rect"])
    check_eq(p.text(p.by_text("Version 0.3")), "Version 0.3", "version line")
    check(any("2020" in c["text"] for c in p.option_kids), "a notice line with the year 2020")
    hr, pr = p.by_text("help")["rect"], p.option["rect"]
    check_eq((hr["width"], hr["height"], hr["top"] - pr["top"], pr["right"] - hr["left"]), (32, 16, 9, 41),
             "help button: size, top and distance from the panel's right edge")
    combos = [p.text(p.option_control("ComboBox", i)) for i in range(4)]
    check_eq(combos, ["通常の貼り付け", "5", "Tahoma", "10"], "drop-down boxes filled from the settings")
    check_eq([p.text(p.option_control("Edit", i)) for i in range(2)], ["40", "30"], "height boxes")
    check(p.by_text(PASS_BOX)["checked"] and not p.by_text(PIN_BOX)["checked"], "check boxes filled")

    # While the panel is open the menu offers neither the generator nor the page switch nor the search.
    m.open_menu_matching(*mw.bare_point(), [("G", "パスワード生成(&p)"), ("G", "グループの切り替え(&G)"),
                                            ("E", "マスターパスワードの設定(&M)..."),
                                            ("G", "検索(&F)\tCtrl+F"), ("G", "インポート(&I)..."),
                                            ("G", "エクスポート(&E)..."), "-", ("E", "ヘルプ(&H)"), ("E", "終了(&X)")],
                         lambda: m.right_click_at(*mw.bare_point()))
    m.dismiss_menu()

    choose_item(p.option_control("ComboBox", 0), 1)
    choose_item(p.option_control("ComboBox", 1), 3)
    retype(p.option_control("Edit", 0), "240")
    retype(p.option_control("Edit", 1), "600")
    h.click_child(p.by_text(PASS_BOX), 6)
    font_name = p.option_control("ComboBox", 2)
    h.click_child(font_name, 20)
    h.keys("Down")  # the next name of the screen's font list
    retype(p.option_control("ComboBox", 3), "1x2", 10)  # the key filter drops the x
    h.wait_until(lambda: p.text(p.option_control("ComboBox", 3)) == "12", 15, what="font size 12")
    chosen_font = p.text(font_name)
    check(chosen_font and chosen_font != "Tahoma", "a font from the list: %r" % chosen_font)

    # "button" takes the first custom colour (the window's default face); "form" is cancelled.
    dialog = colour_dialog(p.by_text("button"))
    h.click_child(dialog[721], 10, 10)
    h.click_child(dialog[1])
    h.probe("waitgone", dialog["hwnd"], 15000)
    dialog = colour_dialog(p.by_text("form"))
    h.click_child(dialog[2])
    h.probe("waitgone", dialog["hwnd"], 15000)

    mw = close_with_group_button(k, mw, "7")
    # Eight groups on the second page: 3..10; the layout follows at once.
    check_eq(mw.group_captions(), [str(i) for i in range(3, 11)] + ["OP"], "group row after the change")
    check_eq(mw.list["rect"]["height"], 240, "list height")
    check_eq(mw.memo["rect"]["height"], 500, "memo height, clamped")
    check(mw.field(2)["style"] & ES_PASSWORD, "the password is masked")
    face = m.rgb_of_colorref(0x984E00)
    inside = mw.button("OP")["rect"]
    check_eq(m.pixel(inside["left"] + 3, inside["top"] + 3), face, "group buttons in the new button colour")

    check_eq(k.close(), 0, "exit code")
    s = saved_settings(k)
    expected = {"pastemode": "2", "shortbuttonnum": "8", "listheight": "240", "memoheight": "500",
                "disppassmode": "0", "fontname": chosen_font, "fontsize": "12",
                "buttoncolor": str(0x984E00), "formcolor": "255", "pinmode": "0"}
    check_eq({key: s.get(key) for key in expected}, expected, "settings in the data file")


@test
def test_a_log_off_with_the_panel_open_keeps_its_settings(fx):
    k, mw = m.start_keyra(fx, ListHeight="120", MemoHeight="60")
    p = open_options(k, mw)
    retype(p.option_control("Edit", 0), "250")
    h.wait_until(lambda: p.text(p.option_control("Edit", 0)) == "250", 15, what="the list height typed")
    check_eq(h.probe("endsession", k.hwnd)["result"], 0, "WM_ENDSESSION result")
    s = saved_settings(k)
    check_eq((s["listheight"], s["memoheight"]), ("250", "60"), "settings saved at log-off")
    check(k.proc.poll() is None, "the program keeps running after WM_ENDSESSION")
    check_eq(k.close(), 0, "exit code")


def text_width(face, height, text):
    return m.mprobe("textsize", m.utf8_hex(face), height, m.utf8_hex(text))["width"]


@test
def test_at_150_percent_the_window_and_the_options_panel_are_half_as_large_again_and_nothing_is_cut(fx):
    sizes = {}
    for dpi in (96, 144):
        if dpi == 144:
            fx.prefix(log_pixels=144)
        k, mw = m.start_keyra(fx)
        size = lambda c: (c["rect"]["width"], c["rect"]["height"])  # noqa: E731
        close = sorted((c for c in mw.buttons() if not c["text"]), key=lambda c: c["rect"]["left"])[-1]
        got = {"window": size(mw.win), "list": size(mw.list), "memo": size(mw.memo), "pass": size(mw.button("pass")),
               "close": size(close)}
        p = open_options(k, mw)
        # A drop-down box's height is the system's for its font: its width is compared.
        got.update({"panel height": (p.option["rect"]["height"],), "groups box": size(p.option_control("ComboBox", 1))[:1],
                    "list height box": size(p.option_control("Edit", 0)), "form": size(p.by_text("form")),
                    "help height": (p.by_text("help")["rect"]["height"],)})
        sizes[dpi] = got
        if dpi == 144:
            # Every caption is as wide as its text in its font and ends before the boxes begin.
            boxes = min(c["rect"]["left"] for c in p.option_kids if c["class"] in ("ComboBox", "Edit"))
            for c in p.option_kids:
                if c["class"] == "Static" and c["text"].endswith("："):
                    check(c["rect"]["width"] >= text_width("Tahoma", -18, c["text"]) and c["rect"]["right"] <= boxes,
                          "caption %r whole and clear of the boxes at %d: %r" % (c["text"], boxes, c["rect"]))
            paste = p.option_control("ComboBox", 0)
            check(paste["rect"]["width"] >= text_width("Tahoma", -18, "クリックして貼り付け") + 25,
                  "the paste modes fit their box: %r" % paste["rect"])
            check(p.by_text("help")["rect"]["width"] >= text_width("MS UI Gothic", -18, "help") + 6,
                  "the help button shows its caption: %r" % p.by_text("help")["rect"])
        check_eq(k.close(), 0, "exit code at %d DPI" % dpi)
    for name, small in sizes[96].items():
        big = sizes[144][name]
        check(all(abs(b - 1.5 * a) <= max(3, 0.03 * b) for a, b in zip(small, big)),
              "%s: %r at 144 DPI, %r at 96" % (name, big, small))


@test
def test_empty_boxes_keep_their_settings_and_the_name_shows_and_hides_the_picture(fx):
    k, mw = m.start_keyra(fx, ListHeight="120", MemoHeight="60", FontSize="11")
    p = open_options(k, mw)
    picture = lambda: [c for c in Panels(k).option_kids if c["class"] == "KAnimatedImage"][0]  # noqa: E731
    check(not picture()["visible"], "the picture is hidden at first")
    h.click_child(p.by_text("Keyra"))
    r = h.wait_until(lambda: picture()["visible"] and picture()["rect"], 15, what="the picture")
    check_eq((r["width"], r["height"]), (211, 24), "picture size")
    shots = set()
    h.wait_until(lambda: shots.add(tuple(h.probe("pixels", r["left"], r["top"], 211, 24)["rows"])) or len(shots) >= 3,
                 15, what="three different frames")
    h.click_child(p.by_text("Keyra"))
    h.wait_until(lambda: not picture()["visible"], 15, what="the picture to hide")

    for box in (p.option_control("Edit", 0), p.option_control("Edit", 1), p.option_control("ComboBox", 3)):
        retype(box, "", 10)
    mw = close_with_group_button(k, mw, "2")
    check(not h.message_boxes(), "no error is shown")
    check_eq((mw.list["rect"]["height"], mw.memo["rect"]["height"]), (120, 60), "heights kept")
    # The buttons still answer: the panel opens and closes again.
    open_options(k, mw)
    close_with_group_button(k, mw, "1")
    check_eq(k.close(), 0, "exit code")
    s = saved_settings(k)
    check_eq((s["listheight"], s["memoheight"], s["fontsize"]), ("120", "60", "11"), "settings kept")


ENTRY = ("銀行", "id-taro", "pw-4711", "https://bank.example.jp", "支店メモ")


def holding(k, mw, texts):
    """What of `texts` the main window's controls hold, as window texts or list rows."""
    found = [c["text"] for c in k.children() if any(t in c["text"] for t in texts)]
    return found + [r for r in mw.refresh().rows() if any(t in r for t in texts)]


def pin_taken(k, what):
    """Waits until the PIN box takes digits again: enabled, with the keyboard focus."""
    ready = lambda e: not e["style"] & WS_DISABLED and m.mprobe("gui", k.hwnd)["focus"] == e["hwnd"]  # noqa: E731
    h.wait_until(lambda: ready(Panels(k).pin_edit()), 40, what="the PIN box to take digits %s" % what)


@test
def test_a_registered_pin_is_asked_at_the_next_start_and_only_the_right_one_passes(fx):
    k, mw = m.start_keyra(fx, [m.entry_line(0, *ENTRY)])
    p = open_options(k, mw)
    h.click_child(p.by_text(PIN_BOX), 6)
    p = h.wait_until(panel_visible(k, "pin"), 15, what="the PIN panel")
    check(not p.option["visible"], "the options panel is hidden meanwhile")
    edit = p.pin_edit()
    check_eq(p.text(edit), "", "no PIN yet")
    h.type_text("12")
    h.click_child(p.by_text("登録", pin=True))
    check(m.stays(lambda: Panels(k).pin["visible"], 1), "too short: the PIN panel stays")
    h.click_child(edit)
    h.type_text("34x5")  # digits only, four at most
    h.wait_until(lambda: p.text(edit) == "1234", 15, what="1234 in the box")
    h.click_child(p.by_text("登録", pin=True))
    p = h.wait_until(panel_visible(k, "option"), 15, what="the options panel again")
    check(not p.pin["visible"] and p.by_text(PIN_BOX)["checked"], "registered, the box stays ticked")
    close_with_group_button(k, mw, "2")
    check_eq(k.close(), 0, "exit code")
    s = saved_settings(k)
    check_eq((s["pinmode"], s["pinno"]), ("1", "1234"), "PIN in the data file")

    again = fx.keyra(folder=k.folder)
    again.start_and_wait()
    p = h.wait_until(panel_visible(again, "pin"), 30, what="the PIN asked at start")
    mw2 = m.MainWindow(again)
    check(p.pin["rect"]["top"] - mw2.win["rect"]["top"] == 22, "the PIN panel covers the window below the title row")
    check(not any(c["visible"] for c in p.pin_kids if c["class"] == "TKButton"), "no buttons while asking")
    h.wait_until(lambda: m.mprobe("gui", again.hwnd)["focus"] == p.pin_edit()["hwnd"], 15, what="focus in the PIN box")

    # Meanwhile the menu offers only help and exit, on the title row and over a field button
    # alike, and neither the keyboard nor a click reaches the entries or the clipboard.
    m.set_clipboard("外のテキスト")
    locked_menu = [("E", "ヘルプ(&H)"), ("E", "終了(&X)")]
    for x, y in (mw2.bare_point(), m.centre(mw2.button("pass")["rect"])):
        m.open_menu_matching(x, y, locked_menu, lambda: m.right_click_at(x, y))
        m.dismiss_menu()
    check(all(c["style"] & WS_DISABLED for c in [mw2.list, mw2.memo] + mw2.fields), "list, fields and memo disabled")
    for caption in ("pass", "id", "2"):
        h.click_child(mw2.button(caption))
    h.wait_until(lambda: m.mprobe("gui", again.hwnd)["focus"] == p.pin_edit()["hwnd"], 15, what="focus back in the PIN box")
    h.keys("Tab", "ctrl+c", "Delete", "shift+Tab")
    check(m.stays(lambda: m.clipboard()["text"] == "外のテキスト", 1), "the clipboard unchanged")
    check_eq(m.mprobe("gui", again.hwnd)["focus"], p.pin_edit()["hwnd"], "the focus stays in the PIN box")
    check_eq(holding(again, mw2, ENTRY), [], "no control holds the entry while the PIN is asked")
    check(not [w for w in h.windows_of_class("VIDodureza") if w["visible"]], "no generator")
    # Four wrong PINs: from the third on each costs a wait, and the right one typed at once is not taken.
    for miss in range(1, 5):
        pin_taken(again, "before miss %d" % miss)
        h.type_text("1243" + ("1234" if miss == 4 else ""))
        if miss < 4:
            h.wait_until(lambda: p.text(p.pin_edit()) == "", 15, what="wrong PIN %d emptied" % miss)
    check(m.stays(lambda: Panels(again).pin["visible"], 1), "the right PIN during the wait is refused")
    pin_taken(again, "after the wait")
    h.type_text("1234")
    h.wait_until(lambda: not Panels(again).pin["visible"], 15, what="the right PIN to pass")
    mw2.refresh().wait_focus(mw2.list, "the list after the right PIN")
    check(not any(c["style"] & WS_DISABLED for c in [mw2.list, mw2.memo] + mw2.fields), "the entries usable")
    check_eq(mw2.shown_entry(), ENTRY, "the entry back after the right PIN")


def pin_button_round(k, mw, button):
    """Ticks the PIN box, checks the current PIN is shown, presses `button`; then closes the
    program and returns the saved PINMode and PINNo."""
    p = open_options(k, mw)
    h.click_child(p.by_text(PIN_BOX), 6)
    p = h.wait_until(panel_visible(k, "pin"), 15, what="the PIN panel")
    check_eq(p.text(p.pin_edit()), "5678", "the current PIN is shown")
    h.click_child(p.by_text(button, pin=True))
    p = h.wait_until(panel_visible(k, "option"), 15, what="the options panel after %s" % button)
    check(not p.by_text(PIN_BOX)["checked"], "%s unticks the box" % button)
    close_with_group_button(k, mw, "1")
    check_eq(k.close(), 0, "exit code")
    s = saved_settings(k)
    return s["pinmode"], s["pinno"]


@test
def test_pin_remove_cancel_and_an_unusable_pin_never_lock_the_user_out(fx):
    # A PIN that can never be typed asks for nothing, and is no lock when saved.
    k, mw = m.start_keyra(fx, PINMode="1", PINNo="12")
    check(m.stays(lambda: not Panels(k).pin["visible"], 1.5), "no PIN panel for the PIN '12'")
    p = open_options(k, mw)
    check(p.by_text(PIN_BOX)["checked"], "the box shows PINMode")
    close_with_group_button(k, mw, "1")
    check_eq(k.close(), 0, "exit code")
    check_eq(saved_settings(k)["pinmode"], "0", "PINMode without a usable PIN")

    k, mw = m.start_keyra(fx, PINNo="5678")
    check_eq(pin_button_round(k, mw, "キャンセル"), ("0", "5678"), "after cancel")
    k = fx.keyra(folder=k.folder)
    k.start_and_wait()
    check_eq(pin_button_round(k, m.MainWindow(k), "削除"), ("0", ""), "after remove")


WM_SYSCOMMAND, SC_RESTORE = 0x0112, 0xF120
WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, WTS_SESSION_UNLOCK = 0x02B1, 7, 8
WM_POWERBROADCAST, PBT_APMSUSPEND = 0x0218, 4


def unlock(k, mw, what):
    """The PIN panel covers the window; a wrong PIN keeps it, the right one opens it."""
    p = h.wait_until(panel_visible(k, "pin"), 30, what="the PIN panel %s" % what)
    mw.refresh()
    check(all(c["style"] & WS_DISABLED for c in [mw.list, mw.memo] + mw.fields), "%s: entries disabled" % what)
    check_eq(holding(k, mw, ("銀行", "idXY")), [], "%s: nothing of the entry in the window" % what)
    check(not [w for w in h.windows_of_class("VIDodureza") if w["visible"]], "%s: no generator" % what)
    mw.wait_focus(p.pin_edit(), "the PIN box %s" % what)
    h.click_child(p.pin_edit())  # the display's keyboard focus too
    h.type_text("111")
    h.wait_until(lambda: p.text(p.pin_edit()) == "111", 15, what="%s: three digits typed" % what)
    h.type_text("1")
    h.wait_until(lambda: p.text(p.pin_edit()) == "", 15, what="%s: a wrong PIN emptied" % what)
    check(Panels(k).pin["visible"], "%s: a wrong PIN keeps the lock" % what)
    h.type_text("1234")
    h.wait_until(lambda: not Panels(k).pin["visible"], 15, what="%s: the right PIN to open" % what)
    mw.refresh().wait_focus(mw.list, "the list %s" % what)


@test
def test_the_pin_locks_the_window_again_when_restored_at_a_session_lock_and_when_idle(fx):
    import test_generator  # noqa: E402
    k, mw = m.start_keyra(fx, [m.entry_line(0, "銀行", "id", "pw", "", "")], PINMode="1", PINNo="1234")
    unlock(k, mw, "at start")
    test_generator.open_generator(k, mw)
    h.click_child(mw.field(1))
    h.keys("End")
    h.type_text("XY")
    h.click_child(mw.title_buttons()[0])
    h.wait_until(lambda: k.info()["style"] & 0x20000000, 15, what="the window minimized")
    h.probe("post", k.hwnd, WM_SYSCOMMAND, SC_RESTORE, 0)
    h.wait_until(lambda: not k.info()["style"] & 0x20000000, 15, what="the window restored")
    unlock(k, mw, "after the restore")
    check_eq(mw.field_texts()[1], "idXY", "the typed text is still there")

    h.probe("post", k.hwnd, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0)
    check(m.stays(lambda: not Panels(k).pin["visible"], 1), "an unlock notification locks nothing")
    h.probe("post", k.hwnd, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0)
    unlock(k, mw, "after the session lock")
    h.probe("post", k.hwnd, WM_POWERBROADCAST, PBT_APMSUSPEND, 0)
    unlock(k, mw, "at a suspend")
    # Closed while locked: the text typed before the lock was kept then.
    h.probe("post", k.hwnd, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0)
    h.wait_until(panel_visible(k, "pin"), 15, what="locked again")
    check_eq(k.close(), 0, "exit code")
    check_eq(m.saved_entries(k)[0][:2], ("銀行", "idXY"), "the entry saved with what was typed")

    # Idle: a short time from the data file (without its count and checksum, which would not fit); it is kept there.
    lines = [l for l in h.read_data_file(k.file("keyra.kr")) if not l.startswith(("$Lines=", "$Check=", "$End="))]
    k = fx.keyra(folder=k.folder, files={"keyra.kr": lines + ["IdleLockSeconds=5"]})
    k.start_and_wait()
    unlock(k, m.MainWindow(k), "at the second start")
    unlock(k, m.MainWindow(k), "after five idle seconds")
    check_eq(k.close(), 0, "exit code")
    check_eq(saved_settings(k)["idlelockseconds"], "5", "the idle time kept in the data file")


@test
def test_a_lock_cancels_the_master_password_dialog_and_five_wrong_pins_hand_over_to_the_master_password(fx):
    import test_startup as st  # noqa: E402
    k, mw = m.start_keyra(fx, [m.entry_line(0, *ENTRY)], PINMode="1", PINNo="1234")
    unlock(k, mw, "at start")
    # Only a PIN: the session locks with the master password's dialog open; a passer-by fills
    # it in, confirms and closes Keyra. The file must not be sealed under that password.
    st.master_menu(k)
    box, edits = st.dialog_with_boxes(2)
    h.probe("post", k.hwnd, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0)
    [h.try_probe("settext", edit["hwnd"], m.utf8_hex("stranger-pass-1")) for edit in edits]
    h.try_probe("pressok", box["hwnd"])
    h.wait_until(st.gone(box["hwnd"]), 15, what="the dialog cancelled by the lock")
    check_eq(k.close(), 0, "exit code")
    check_eq(h.read_data_file(k.file("keyra.kr"))[0], "Keyra=0.3", "the file not sealed")

    # With a master password the fifth wrong PIN in a row hands the lock to it.
    k = fx.keyra(folder=k.folder)
    k.start_and_wait()
    mw = m.MainWindow(k)
    unlock(k, mw, "at the second start")
    st.master_menu(k)
    h.wait_until(st.gone(st.answer([st.MASTER, st.MASTER])["hwnd"]), 30, what="the master password set")
    h.probe("post", k.hwnd, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0)
    for miss in range(1, 6):
        pin_taken(k, "before miss %d" % miss)
        h.type_text("9999")
    h.wait_until(lambda: [b for b in h.message_boxes() if b["caption"] == "Keyra - ロック中"] and not k.info()["visible"],
                 15, what="the window hidden behind the master password's prompt")
    check_eq(holding(k, mw, ENTRY), [], "nothing of the entry while the master password is asked")
    st.answer([st.MASTER])
    h.wait_until(lambda: k.info()["visible"], 30, what="the window back after the master password")
