"""The main window driven as a person would: clicks on its buttons and rows, typing, its menus,
Notepad as the application to paste into, and the data file after the close."""

import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness as h  # noqa: E402
import mainwin_helpers as m  # noqa: E402
from harness import check, check_eq, test  # noqa: E402

BANK = ("銀行 ネット", "user01@example.jp", "Pw=\\x!1", "https://bank.example.jp/login", "支店 123")
MAIL = ("メール", "mail-id", "mail-pass", "", "")
NOTE_TEXT = "AAAA\r\nBBBB"

MAIN_MENU = [("E", "パスワード生成(&p)"), ("E", "グループの切り替え(&G)"), ("E", "マスターパスワードの設定(&M)..."),
             ("E", "検索(&F)\tCtrl+F"), ("E", "インポート(&I)..."), ("E", "エクスポート(&E)..."), "-", ("E", "ヘルプ(&H)"), ("E", "終了(&X)")]


def list_menu(copy, paste, delete, undo):
    state = lambda on: "E" if on else "G"  # noqa: E731
    return [(state(copy), "コピー(&C)\tCtrl+C"), (state(paste), "貼り付け(&P)\tCtrl+V"), "-",
            (state(delete), "削除(&D)\tDel"), (state(undo), "元に戻す(&U)")]


def first_line_end(pad):
    """A point right of the first line's text in Notepad: a click there puts the caret at its end."""
    return pad.edit["rect"]["width"] - 40, 10


# ---- the window itself ------------------------------------------------------------------------

@test
def test_window_is_borderless_topmost_placed_and_sized_from_the_settings(fx):
    for n, left, top in ((5, 640, 120), (7, 560, 90)):
        k, mw = m.start_keyra(fx, ShortButtonNum=str(n), Left=str(left), Top=str(top))
        win = mw.win
        check_eq(win["style"] & m.WS_CAPTION, 0, "N=%d: caption bits of the style" % n)
        check(win["exstyle"] & m.WS_EX_TOPMOST, "N=%d: the window is always on top" % n)
        check_eq((win["rect"]["left"], win["rect"]["top"]), (left, top), "N=%d: position from Left/Top" % n)
        w = mw.button("title")["rect"]["width"]
        check_eq(mw.button("pass")["rect"]["width"], w, "N=%d: field buttons share one width" % n)
        check_eq(win["rect"]["width"], (w + 2) * (n + 1) + 6, "N=%d: form width for button width %d" % (n, w))
        check_eq(mw.group_captions(), [str(i) for i in range(1, n + 1)] + ["OP"], "N=%d: group row" % n)
        check_eq(len(mw.title_buttons()), 2, "N=%d: minimize and close buttons" % n)
        check_eq(k.close(), 0, "N=%d: exit code" % n)
        k.cleanup()


@test
def test_default_colours_of_the_frame_and_the_group_buttons(fx):
    k, mw = m.start_keyra(fx)
    r = mw.win["rect"]
    face = m.rgb_of_colorref(0x984E00)
    light = tuple(c + ((255 - c) * 160 >> 8) for c in face)
    dark = m.rgb_of_colorref(0x391D00)
    check_eq(face, (0, 78, 152), "face colour")
    x_mid, y_mid = r["left"] + r["width"] // 2, r["top"] + r["height"] // 2
    samples = {
        "top line": ((x_mid, r["top"]), light),
        "left line": ((r["left"], y_mid), light),
        "bottom line": ((x_mid, r["bottom"] - 1), dark),
        "right line": ((r["right"] - 1, y_mid), dark),
        "inside below the top line": ((x_mid, r["top"] + 1), face),
        "inside beside the left line": ((r["left"] + 2, y_mid), face),
        "inside above the bottom line": ((x_mid, r["bottom"] - 2), face),
    }
    for what, (point, expected) in samples.items():
        check_eq(m.pixel(*point), expected, "%s at %r" % (what, point))
    # A point inside each group button, clear of its caption and its raised edge.
    inside = lambda b: (b["rect"]["left"] + 3, b["rect"]["top"] + 3)  # noqa: E731
    check_eq(m.pixel(*inside(mw.button("1"))), m.rgb_of_colorref(0x808080), "face of the selected group button")
    for caption in ("2", "5", "OP"):
        check_eq(m.pixel(*inside(mw.button(caption))), m.rgb_of_colorref(0xD8E9EC), "face of button %s" % caption)
    # The selection follows the group.
    mw.click_button("3")
    h.wait_until(lambda: m.pixel(*inside(mw.button("3"))) == m.rgb_of_colorref(0x808080), 15,
                 what="button 3 drawn selected")
    check_eq(m.pixel(*inside(mw.button("1"))), m.rgb_of_colorref(0xD8E9EC), "button 1 after choosing group 3")


# ---- field buttons and the paste ------------------------------------------------------------------

@test
def test_normal_paste_enters_pass_and_id_at_the_caret(fx):
    k, mw = m.start_keyra(fx, [m.entry_line(0, *BANK)], PasteMode="1")
    pad = m.notepad(fx)
    pad.set_text(NOTE_TEXT)
    pad.click_into(*first_line_end(pad))
    h.keys("ctrl+End")  # the caret, not the clicked point, decides in this mode
    home = m.centre(mw.button("pass")["rect"])
    mw.click_button("pass")
    pad.wait_text(NOTE_TEXT + BANK[2])
    check_eq(m.mouse_location(), home, "the mouse stays on the button")
    check_eq(m.clipboard()["text"], BANK[2], "clipboard after pass")
    mw.click_button("id")
    pad.wait_text(NOTE_TEXT + BANK[2] + BANK[1])
    check_eq(m.clipboard()["text"], BANK[1], "clipboard after id")


@test
def test_click_to_paste_clicks_the_target_point_and_returns_home(fx):
    k, mw = m.start_keyra(fx, [m.entry_line(0, *BANK)], PasteMode="2")
    pad = m.notepad(fx)
    pad.set_text(NOTE_TEXT)
    pad.click_into(*first_line_end(pad))
    h.keys("ctrl+End")  # moved away: the paste must click at the remembered point again
    m.past_double_click_time()
    ends = []
    home = m.centre(mw.button("pass")["rect"])
    m.press_and_release(*home)
    pad.wait_text("AAAA" + BANK[2] + "\r\nBBBB")
    ends.append(("pass", home, m.settled_mouse_location()))
    # The id goes to the same remembered point (now the end of "AAAA" + pass), and the mouse
    # returns to where id was pressed.
    m.past_double_click_time()
    home = m.centre(mw.button("id")["rect"])
    m.press_and_release(*home)
    pad.wait_text("AAAA" + BANK[2] + BANK[1] + "\r\nBBBB")
    ends.append(("id", home, m.settled_mouse_location()))
    wrong = ["after %s the mouse is at %r, not at the button %r" % (name, at, button)
             for name, button, at in ends if at != button]
    check(not wrong, "; ".join(wrong))


@test
def test_click_to_paste_returns_home_after_a_quick_first_click(fx):
    # A brisk click right after moving onto the button: the press is reported by the click
    # watch, and the paste must still come back to that button, not to an older point.
    k, mw = m.start_keyra(fx, [m.entry_line(0, *BANK)], PasteMode="2")
    pad = m.notepad(fx)
    pad.click_into()
    m.past_double_click_time()
    home = m.centre(mw.button("pass")["rect"])
    m.press_and_release(*home, hold=0.05)
    pad.wait_text(BANK[2])
    at = m.settled_mouse_location()
    check(abs(at[0] - home[0]) <= 1 and at[1] == home[1], "the mouse is at %r, not back at the button %r"
          % (at, home))


@test
def test_paste_mode_0_only_fills_the_clipboard(fx):
    k, mw = m.start_keyra(fx, [m.entry_line(0, *BANK)], PasteMode="0")
    pad = m.notepad(fx)
    pad.set_text(NOTE_TEXT)
    pad.click_into()
    for caption, text in (("pass", BANK[2]), ("id", BANK[1]), ("title", BANK[0])):
        m.set_clipboard("sentinel")
        mw.click_button(caption)
        h.wait_until(lambda: m.clipboard()["text"] == text, 15, what="%s text on the clipboard" % caption)
        check(m.stays(lambda: pad.text() == NOTE_TEXT, 1.5), "%s: Notepad changed to %r" % (caption, pad.text()))


# Handed to the shell, this "address" would start a second Notepad: the url button must not.
NOT_A_PAGE = "C:\\windows\\system32\\notepad.exe"
NOT_OPENED = "この URL は Web ページのアドレスではないため、開きませんでした。"


def url_run(fx, mode):
    k = fx.keyra()
    url = NOT_A_PAGE
    k.put("keyra.kr", h.settings_lines(PasteMode=str(mode), Left="600") + [m.entry_line(0, "u", "uid", "upw", url)])
    m.park_mouse()
    k.start_and_wait()
    h.wait_until(lambda: m.mprobe("gui", k.hwnd)["active"] == k.hwnd, 30, what="the main window to be active")
    mw = m.MainWindow(k)
    pad = m.notepad(fx)
    pad.set_text(NOTE_TEXT)
    pad.click_into()
    m.set_clipboard("sentinel")
    before = {w["hwnd"] for w in h.windows_of_class("Notepad")}
    mw.click_button("url")
    h.wait_until(lambda: m.clipboard()["text"] == url, 15, what="mode %d: the url on the clipboard" % mode)
    opened = lambda: [w for w in h.windows_of_class("Notepad") if w["hwnd"] not in before]  # noqa: E731
    told = lambda: [b for b in h.message_boxes() if any(NOT_OPENED in t for t in b["texts"])]  # noqa: E731
    if mode == 1:
        box = h.wait_until(told, 15, what="mode 1: the reason the url is not opened")[0]
        h.press_ok_until_gone(box["hwnd"], lambda: not told())
    check(m.stays(lambda: not opened() and not told(), 3), "mode %d: the url was opened or a message stays" % mode)
    check_eq(pad.text(), NOTE_TEXT, "mode %d: nothing typed into Notepad" % mode)
    check_eq(k.close(), 0, "mode %d: exit code" % mode)
    for item in (pad, k):
        item.cleanup()


@test
def test_url_button_copies_and_opens_only_in_normal_mode(fx):
    for mode in (1, 0, 2):
        url_run(fx, mode)


@test
def test_after_a_click_into_the_memo_the_id_lands_in_the_memo(fx):
    k, mw = m.start_keyra(fx, [m.entry_line(0, *BANK)], PasteMode="2")
    pad = m.notepad(fx)
    pad.set_text(NOTE_TEXT)
    pad.click_into()
    # Low and right in the memo, past its one line (and clear of its scroll bar): the caret goes to the end.
    h.click_child(mw.memo, mw.memo["rect"]["width"] - 40, mw.memo["rect"]["height"] - 12)
    mw.wait_focus(mw.memo, "the memo")
    mw.click_button("id")
    h.wait_until(lambda: mw.memo_text() == BANK[4] + BANK[1], 15, what="the id in the memo")
    check(m.stays(lambda: pad.text() == NOTE_TEXT, 1.0), "Notepad changed to %r" % pad.text())
    # A click into Notepad makes it the target again.
    pad.click_into(*first_line_end(pad))
    m.past_double_click_time()
    mw.click_button("pass")
    pad.wait_text("AAAA" + BANK[2] + "\r\nBBBB")
    check_eq(mw.memo_text(), BANK[4] + BANK[1], "memo after the paste into Notepad")


@test
def test_field_button_menu_copies_that_fields_text(fx):
    k, mw = m.start_keyra(fx, [m.entry_line(0, *BANK)], PasteMode="1")
    for caption, text in (("pass", BANK[2]), ("id", BANK[1]), ("url", BANK[3]), ("title", BANK[0])):
        m.set_clipboard("sentinel")
        x, y = m.centre(mw.button(caption)["rect"])
        m.open_menu_matching(x, y, [("E", "コピー(&C)")], lambda: m.right_click_at(x, y))
        m.choose_menu_key("c")
        h.wait_until(lambda: m.clipboard()["text"] == text, 15, what="the %s text on the clipboard" % caption)


# ---- groups ----------------------------------------------------------------------------------------

def group_entries():
    return [m.entry_line(0, "g1-0", "a"), m.entry_line(3, "g1-3", "b"), m.entry_line(100, "g2-0", "c"),
            m.entry_line(502, "g6-2", "d"), m.entry_line(500, "g6-0", "e")]


def wait_group_shown(mw, row0_title, what):
    h.wait_until(lambda: mw.rows()[0] == row0_title, 15, what="%s: row 0 %r" % (what, row0_title))


@test
def test_group_buttons_show_their_group_and_keep_its_selection(fx):
    k, mw = m.start_keyra(fx, group_entries())
    rows = mw.rows()
    check_eq((len(rows), rows[0], rows[3], rows[1]), (100, "g1-0", "g1-3", ""), "group 1 rows")
    mw.click_row(3)
    h.wait_until(lambda: mw.field_texts()[0] == "g1-3", 15, what="entry 3 in the edit boxes")
    mw.click_button("2")
    wait_group_shown(mw, "g2-0", "group 2")
    check_eq(mw.list_state()["selected"], 0, "selection in group 2")
    check_eq(mw.field_texts()[:2], ["g2-0", "c"], "edit boxes in group 2")
    mw.click_button("1")
    wait_group_shown(mw, "g1-0", "group 1 again")
    check_eq(mw.list_state()["selected"], 3, "group 1 keeps its selected row")
    check_eq(mw.field_texts()[:2], ["g1-3", "b"], "edit boxes back in group 1")


@test
def test_page_switch_by_a_click_on_the_window_and_by_the_main_menu(fx):
    k, mw = m.start_keyra(fx, group_entries())
    x, y = mw.bare_point()
    m.press_and_release(x, y)
    h.wait_until(lambda: mw.refresh().group_captions() == ["6", "7", "8", "9", "10", "OP"], 15,
                 what="captions 6-10 after a click on the window")
    wait_group_shown(mw, "g6-0", "group 6")
    check_eq(mw.field_texts()[:2], ["g6-0", "e"], "group 6 is current")
    check_eq((mw.win["rect"]["left"], mw.win["rect"]["top"]), (600, 100), "the click did not move the window")
    check_eq(m.mouse_location(), (x, y), "the mouse stayed where it clicked")

    m.park_mouse()
    m.open_menu_matching(x, y, MAIN_MENU, lambda: m.right_click_at(x, y))
    m.choose_menu_key("g")
    h.wait_until(lambda: mw.refresh().group_captions() == ["1", "2", "3", "4", "5", "OP"], 15,
                 what="captions 1-5 after the menu item")
    wait_group_shown(mw, "g1-0", "group 1")
    check_eq(mw.field_texts()[:2], ["g1-0", "a"], "group 1 is current")

    # The menu from a right-click on a group button is the main menu as well.
    gx, gy = m.centre(mw.button("4")["rect"])
    m.open_menu_matching(gx, gy, MAIN_MENU, lambda: m.right_click_at(gx, gy))
    m.choose_menu_key("g")
    h.wait_until(lambda: mw.refresh().group_captions()[0] == "6", 15, what="captions 6-10 again")
    wait_group_shown(mw, "g6-0", "group 6 again")


def selected_group_button(mw):
    """Caption of the group button drawn selected (its face in the text colour)."""
    row = [c for c in mw.refresh().buttons() if c["text"].isdigit()]
    return [c["text"] for c in row if m.pixel(c["rect"]["left"] + 3, c["rect"]["top"] + 3) == (128, 128, 128)]


@test
def test_find_box_goes_to_a_memo_word_in_another_group_then_to_the_next_and_closes(fx):
    kiwi7 = ("果物", "fruit-id", "pw-kiwi-7", "", "合言葉は Kiwi です")
    kiwi9 = ("KIWI ショップ", "shop", "pw9", "", "")
    k, mw = m.start_keyra(fx, [m.entry_line(0, *BANK), m.entry_line(603, *kiwi7), m.entry_line(810, *kiwi9),
                               m.entry_line(5, "pass only", "", "kiwi", "", "")])
    mw.click_row(1)
    h.keys("ctrl+f")
    box = h.wait_until(lambda: (lambda b: b if b and b["visible"] else None)(mw.refresh().find_box), 15,
                       what="the find box")
    mw.wait_focus(box, "the find box")
    h.type_text("kIWi")
    # Group 7 lies on the other page of five buttons; row 3 of it is shown, as by a click.
    h.wait_until(lambda: mw.memo_text() == kiwi7[4], 15, what="the group-7 entry shown")
    check_eq((mw.refresh().group_captions()[0], selected_group_button(mw), mw.list_state()["selected"],
              mw.shown_entry()), ("6", ["7"], 3, kiwi7), "first page button, group 7 current, its row and entry")
    h.keys("F3")
    h.wait_until(lambda: mw.field_texts()[0] == kiwi9[0], 15, what="the next match, in group 9")
    check_eq((selected_group_button(mw), mw.list_state()["selected"]), (["9"], 10), "group 9, row 10")
    h.keys("Return")  # round past the end, and never the password-only entry 5
    h.wait_until(lambda: mw.memo_text() == kiwi7[4], 15, what="round to the first match")
    h.type_text("zz")
    inside = (box["rect"]["right"] - 6, box["rect"]["top"] + box["rect"]["height"] // 2)
    h.wait_until(lambda: m.pixel(*inside) == (255, 192, 192), 15, what="the warning colour")
    check(m.stays(lambda: mw.shown_entry() == kiwi7 and mw.list_state()["selected"] == 3, 1), "no match moves nothing")
    h.keys("Escape")
    h.wait_until(lambda: not mw.refresh().find_box["visible"], 15, what="the box closed")
    mw.wait_focus(mw.list, "the list")

    # The main menu opens it as well; the options panel closes it.
    m.right_click_at(*mw.bare_point())
    m.wait_menu_open()
    m.choose_menu_key("f")
    h.wait_until(lambda: mw.refresh().find_box["visible"], 15, what="the box from the menu")
    mw.click_button("OP")
    h.wait_until(lambda: not mw.refresh().find_box["visible"], 15, what="the box closed by the options")


# ---- entry editing -----------------------------------------------------------------------------------

@test
def test_title_typing_updates_the_row_and_an_emptied_entry_frees_its_slot(fx):
    k, mw = m.start_keyra(fx, [m.entry_line(0, *BANK), m.entry_line(1, "消す", "x", "", "", ""),
                               m.entry_line(2, "", "", "", "", "メモだけ")])
    check_eq(mw.rows()[:3], [BANK[0], "消す", ""], "rows at start")
    title = mw.field(0)
    h.click_child(title)
    mw.wait_focus(title, "the title box")
    h.keys("End")
    h.type_text(" new")
    h.wait_until(lambda: mw.rows()[0] == BANK[0] + " new", 15, what="row 0 following the title")
    check_eq(mw.list_state()["selected"], 0, "row 0 stays selected while typing")

    mw.click_row(1)
    check_eq(mw.field_texts()[:2], ["消す", "x"], "entry 1 shown")
    for n in (0, 1):
        box = mw.field(n)
        h.click_child(box)
        mw.wait_focus(box, "edit box %d" % n)
        h.keys("End", "shift+Home", "Delete")
        h.wait_until(lambda: mw.field_texts()[n] == "", 15, what="edit box %d emptied" % n)
    check_eq(mw.rows()[1], "", "row 1 follows the emptied title")
    mw.click_row(0)
    check_eq(mw.field_texts()[0], BANK[0] + " new", "the typed title was stored when leaving row 0")
    mw.click_row(1)
    check_eq(mw.shown_entry(), ("", "", "", "", ""), "entry 1 is empty")
    mw.click_row(2)
    check_eq(mw.memo_text(), "メモだけ", "an entry with only a memo")

    check_eq(m.close_by_button(k, mw), 0, "exit code")
    saved = m.saved_entries(k)
    check_eq(sorted(saved), [0, 2], "entries in the data file")
    check_eq(saved[0], (BANK[0] + " new",) + BANK[1:], "entry 0")
    check_eq(saved[2], ("", "", "", "", "メモだけ"), "entry 2")


@test
def test_close_button_stores_the_entry_being_typed_and_saves(fx):
    k, mw = m.start_keyra(fx, [m.entry_line(0, *MAIL)])
    before = k.read("keyra.kr")
    mw.click_row(4)
    for n, text in ((0, "typed title"), (1, "typed-id"), (2, "typed-pw")):
        box = mw.field(n)
        h.click_child(box)
        mw.wait_focus(box, "edit box %d" % n)
        h.type_text(text)
        h.wait_until(lambda: mw.field_texts()[n] == text, 15, what="edit box %d text" % n)
    h.click_child(mw.memo)
    mw.wait_focus(mw.memo, "the memo")
    h.type_text("line one")
    h.keys("Return")
    h.type_text("line two")
    h.wait_until(lambda: mw.memo_text() == "line one\r\nline two", 15, what="the memo text")
    check_eq(k.read("keyra.kr"), before, "the data file is not written while running")
    check_eq(m.close_by_button(k, mw), 0, "exit code")
    saved = m.saved_entries(k)
    check_eq(sorted(saved), [0, 4], "entries in the data file")
    check_eq(saved[4], ("typed title", "typed-id", "typed-pw", "", "line one\r\nline two"), "entry 4")
    check_eq(saved[0], MAIL, "entry 0 unchanged")


@test
def test_a_close_from_another_program_right_after_typing_keeps_the_text_and_the_previous_file(fx):
    k, mw = m.start_keyra(fx, [m.entry_line(0, *MAIL)])
    before = k.read("keyra.kr")
    mw.click_row(2)
    box = mw.field(0)
    h.click_child(box)
    mw.wait_focus(box, "the title box")
    h.type_text("typed before the close")
    h.wait_until(lambda: mw.field_texts()[0] == "typed before the close", 15, what="the typed title")
    # WM_CLOSE as Alt+F4, the taskbar or another program sends it: no button, no menu.
    h.probe("close", k.hwnd)
    check_eq(k.wait_exit(), 0, "exit code")
    saved = m.saved_entries(k)
    check_eq(saved.get(2, ())[:1], ("typed before the close",), "entry 2")
    check_eq(saved[0], MAIL, "entry 0 unchanged")
    check_eq(k.read("keyra.kr.bak"), before, "the file before the save is the backup")

    # A close that arrives while a paste waits out its PasteWait: the paste ends first, then the
    # program closes as usual, with what was typed before.
    k.put("keyra.kr", h.settings_lines(Left="600", PasteWait="1500") + [m.entry_line(0, *MAIL)])
    mw = m.start_ready(k)
    pad = m.notepad(fx)
    pad.set_text(NOTE_TEXT)
    pad.click_into(*first_line_end(pad))
    mw.click_row(0)
    h.click_child(mw.field(0))
    mw.wait_focus(mw.field(0), "the title box")
    h.type_text(" + more")
    h.wait_until(lambda: mw.field_texts()[0] == MAIL[0] + " + more", 15, what="the typed title")
    m.set_clipboard("sentinel")
    mw.click_button("pass")
    # The password goes on the clipboard right before the paste starts its wait.
    h.wait_until(lambda: m.clipboard()["text"] == MAIL[2], 15, what="the paste under way")
    h.probe("close", k.hwnd)
    check_eq(k.wait_exit(), 0, "exit code of the close during the paste")
    pad.wait_text("AAAA" + MAIL[2] + "\r\nBBBB")
    check_eq(m.saved_entries(k)[0][:1], (MAIL[0] + " + more",), "the title typed before the paste")


# ---- the list menu -------------------------------------------------------------------------------------

def copy_by_keys(mw, row, entry):
    mw.click_row(row)
    mw.wait_focus(mw.list, "the list")
    h.keys("ctrl+c")
    h.wait_until(lambda: m.clipboard_entry() == entry, 15, what="entry %d copied by Ctrl+C" % row)


@test
def test_list_menu_copy_paste_delete_and_undo(fx):
    k, mw = m.start_keyra(fx, [m.entry_line(0, *BANK), m.entry_line(1, *MAIL)])
    m.set_clipboard("plain text only")
    mw.click_row(0)
    x, y = mw.right_click_row_point(0)
    m.open_menu_matching(x, y, list_menu(copy=True, paste=False, delete=True, undo=False),
                         lambda: m.right_click_at(x, y))
    m.choose_menu_key("c")
    h.wait_until(lambda: m.clipboard_entry() == BANK, 15, what="entry 0 on the clipboard in the private format")
    check_eq(m.clipboard()["text"], None, "no plain text of the entry on the clipboard")

    # Paste into a free row.
    mw.click_row(6)
    x, y = mw.right_click_row_point(6)
    m.open_menu_matching(x, y, list_menu(copy=False, paste=True, delete=False, undo=False),
                         lambda: m.right_click_at(x, y))
    m.choose_menu_key("p")
    h.wait_until(lambda: mw.rows()[6] == BANK[0], 15, what="row 6 after the paste")
    check_eq(mw.shown_entry(), BANK, "pasted entry in the edit boxes")

    # Delete by the menu, then undo. The copy is taken off the clipboard about 12 s after it was
    # put there, so it is made again for the menus that offer the paste.
    copy_by_keys(mw, 0, BANK)
    mw.click_row(1)
    x, y = mw.right_click_row_point(1)
    m.open_menu_matching(x, y, list_menu(copy=True, paste=True, delete=True, undo=False),
                         lambda: m.right_click_at(x, y))
    m.choose_menu_key("d")
    h.wait_until(lambda: mw.rows()[1] == "", 15, what="row 1 emptied by the delete")
    check_eq(mw.shown_entry(), ("", "", "", "", ""), "edit boxes after the delete")
    copy_by_keys(mw, 0, BANK)
    x, y = mw.right_click_row_point(0)
    m.open_menu_matching(x, y, list_menu(copy=True, paste=True, delete=True, undo=True),
                         lambda: m.right_click_at(x, y))
    m.choose_menu_key("u")
    h.wait_until(lambda: mw.rows()[1] == MAIL[0], 15, what="row 1 back after the undo")
    check_eq(mw.list_state()["selected"], 1, "the restored row is selected")
    check_eq(mw.shown_entry(), MAIL, "the restored entry is in the edit boxes")

    # The keys on the focused list: Del, then Ctrl+C of another row and Ctrl+V into a free one.
    mw.click_row(0)
    mw.wait_focus(mw.list, "the list")
    h.keys("Delete")
    h.wait_until(lambda: mw.rows()[0] == "", 15, what="row 0 emptied by Del")
    mw.click_row(1)
    h.keys("ctrl+c")
    h.wait_until(lambda: m.clipboard_entry() == MAIL, 15, what="entry 1 copied by Ctrl+C")
    mw.click_row(7)
    h.keys("ctrl+v")
    h.wait_until(lambda: mw.rows()[7] == MAIL[0], 15, what="row 7 after Ctrl+V")
    check_eq(mw.shown_entry(), MAIL, "edit boxes after Ctrl+V")

    check_eq(m.close_by_button(k, mw), 0, "exit code")
    saved = m.saved_entries(k)
    check_eq(sorted(saved), [1, 6, 7], "entries in the data file")
    check_eq((saved[6], saved[7], saved[1]), (BANK, MAIL, MAIL), "pasted and restored entries")


@test
def test_undo_is_offered_only_in_the_group_of_the_deletion(fx):
    k, mw = m.start_keyra(fx, [m.entry_line(0, *BANK), m.entry_line(105, *MAIL)])
    m.set_clipboard("plain text only")
    mw.click_row(0)
    mw.wait_focus(mw.list, "the list")
    h.keys("Delete")
    h.wait_until(lambda: mw.rows()[0] == "", 15, what="row 0 emptied")
    mw.click_button("2")
    wait_group_shown(mw, "", "group 2")
    h.wait_until(lambda: mw.rows()[5] == MAIL[0], 15, what="group 2 rows")
    mw.click_row(5)
    x, y = mw.right_click_row_point(5)
    m.open_menu_matching(x, y, list_menu(copy=True, paste=False, delete=True, undo=False),
                         lambda: m.right_click_at(x, y))
    h.keys("u")  # a disabled item's key does nothing
    check(m.stays(lambda: mw.rows()[0] == "" and mw.rows()[5] == MAIL[0], 1.0), "group 2 rows changed")
    m.dismiss_menu()
    mw.click_button("1")
    wait_group_shown(mw, "", "group 1")
    x, y = mw.right_click_row_point(0)
    m.open_menu_matching(x, y, list_menu(copy=False, paste=False, delete=False, undo=True),
                         lambda: m.right_click_at(x, y))
    m.choose_menu_key("u")
    h.wait_until(lambda: mw.rows()[0] == BANK[0], 15, what="row 0 back after the undo in group 1")
    check_eq(mw.shown_entry(), BANK, "restored entry shown")
    check_eq(m.close_by_button(k, mw), 0, "exit code")
    check_eq(sorted(m.saved_entries(k)), [0, 105], "entries in the data file")


if __name__ == "__main__":
    sys.exit(h.run())


# ---- moving in and out: CSV ------------------------------------------------------------------------

CHROME_CSV = ('name,url,username,password,note\r\n'
              '"Bank, Inc.",https://bank.example.jp/login,山田太郎,"pa""ss,1",\r\n'
              '日本の店,https://shop.example.jp,花子,pw2,"一行目\r\n二行目"\r\n')


class Folder:
    def __init__(self):
        self.path = tempfile.mkdtemp(prefix="keyra-csv-")

    def cleanup(self):
        shutil.rmtree(self.path, ignore_errors=True)


def through_menu(k, key, path, confirm=False):
    """Picks the main menu item `key`, (confirms the export's warning,) and answers the file
    dialog with `path`; returns the message that follows."""
    mw = m.MainWindow(k)
    x, y = mw.bare_point()
    m.right_click_at(x, y)
    m.wait_menu_open()
    m.choose_menu_key(key)
    if confirm:
        warning = h.wait_until(lambda: [b for b in h.message_boxes() if any("暗号化されずに" in t for t in b["texts"])],
                               30, what="the export's warning")[0]
        h.probe("post", warning["hwnd"], 0x0111, 6, 0)  # はい
    dialog = h.wait_until(lambda: [b for b in h.message_boxes() if not b["texts"] or "..." not in "".join(b["texts"])],
                          30, what="the file dialog")[0]
    h.wait_until(lambda: m.mprobe("foreground")["hwnd"] == dialog["hwnd"], 15, what="the dialog in front")
    h.type_text("Z:" + path.replace("/", "\\"))
    h.keys("Return")
    return h.wait_until(lambda: [b for b in h.message_boxes() if any("件" in t or "行目" in t for t in b["texts"])],
                        30, what="the closing message")[0]


@test
def test_csv_import_from_a_browser_export_out_and_back_into_an_empty_keyra(fx):
    folder = Folder()
    fx.items.append(folder)
    chrome = os.path.join(folder.path, "chrome.csv")
    with open(chrome, "wb") as f:
        f.write(CHROME_CSV.encode("utf-8"))
    broken = os.path.join(folder.path, "broken.csv")
    with open(broken, "wb") as f:
        f.write(b'name,url,username,password\r\nx,https://x.example,u,"never closed\r\n')
    k, mw = m.start_keyra(fx, [m.entry_line(0, *MAIL)])
    said = through_menu(k, "i", chrome)
    check(any("2件" in t for t in said["texts"]), "the import's message: %r" % said["texts"])
    h.probe("pressok", said["hwnd"])
    said = through_menu(k, "i", broken)
    check(any("2行目" in t for t in said["texts"]), "the line of the unclosed quote: %r" % said["texts"])
    h.probe("pressok", said["hwnd"])
    out = os.path.join(folder.path, "out.csv")
    said = through_menu(k, "e", out, confirm=True)
    h.probe("pressok", said["hwnd"])
    check_eq(k.close(), 0, "exit code")
    entries = m.saved_entries(k)
    check_eq(entries[1], ("Bank, Inc.", "山田太郎", 'pa"ss,1', "https://bank.example.jp/login", ""), "the quoted row")
    check_eq(entries[2], ("日本の店", "花子", "pw2", "https://shop.example.jp", "一行目\r\n二行目"), "the two-line note")
    check_eq(sorted(entries), [0, 1, 2], "nothing of the broken file")
    with open(out, "rb") as f:
        check(f.read().startswith("\ufeffGroup,Title,Username,Password,URL,Notes\r\n".encode("utf-8")), "the export's head")

    # Read back into an empty Keyra: the same entries.
    empty = fx.keyra()
    empty.start_and_wait()
    h.wait_until(lambda: m.mprobe("gui", empty.hwnd)["active"] == empty.hwnd, 30, what="the empty Keyra active")
    h.probe("pressok", through_menu(empty, "i", out)["hwnd"])
    check_eq(empty.close(), 0, "exit code")
    check_eq(m.saved_entries(empty), entries, "the entries read back from the export")
