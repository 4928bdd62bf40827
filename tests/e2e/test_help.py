"""The help menu item, the help file's pages as the built file holds them, and the title row's
minimize button."""

import glob
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness as h  # noqa: E402
import mainwin_helpers as m  # noqa: E402
from harness import check, check_eq, test  # noqa: E402

WS_MINIMIZE = 0x20000000


def built_chm():
    path = os.path.join(os.path.dirname(h.Env.exe), "keyra.chm")
    check(os.path.isfile(path), "keyra.chm is built beside keyra.exe (%s)" % path)
    with open(path, "rb") as f:
        return f.read()


def decompiled_chm():
    """The files of the built keyra.chm, unpacked by 7-Zip: {name: bytes}."""
    tool = shutil.which("7z") or shutil.which("7zz")
    check(tool, "7-Zip (7z) is installed")
    built_chm()
    out = tempfile.mkdtemp()
    try:
        subprocess.run([tool, "x", "-y", "-o" + out, os.path.join(os.path.dirname(h.Env.exe), "keyra.chm")],
                       check=True, stdout=subprocess.DEVNULL, timeout=60)
        return {n: open(os.path.join(out, n), "rb").read() for n in os.listdir(out)
                if os.path.isfile(os.path.join(out, n))}
    finally:
        shutil.rmtree(out, ignore_errors=True)


def system_records(data):
    """The #SYSTEM file's records after its version word: {code: value}."""
    records, i = {}, 4
    while i + 4 <= len(data):
        code, length = struct.unpack_from("<HH", data, i)
        records[code] = data[i + 4:i + 4 + length]
        i += 4 + length
    return records


def choose_help(mw):
    x, y = mw.bare_point()
    m.park_mouse()
    m.right_click_at(x, y)
    m.wait_menu_open()
    m.choose_menu_key("h")
    m.wait_menu_closed()


def help_windows():
    return [w for w in h.windows_of_class("HH Parent") if w["visible"]]


@test
def test_help_shows_the_help_file_and_a_missing_one_is_no_error(fx):
    # Without keyra.chm: no help window and no message, the program goes on.
    k, mw = m.start_keyra(fx)
    choose_help(mw)
    check(m.stays(lambda: not help_windows() and not h.message_boxes(), 2), "nothing opens without keyra.chm")
    check(k.proc.poll() is None, "the program still runs")
    h.probe("close", k.hwnd)
    check_eq(k.wait_exit(), 0, "exit code")

    # With keyra.chm beside the program (every copy uses that name): its contents open.
    k = fx.keyra(name="work.exe", files={"work.kr": h.settings_lines(Left="600"), "keyra.chm": built_chm()})
    m.park_mouse()
    k.start_and_wait()
    mw = m.MainWindow(k)
    choose_help(mw)
    shown = h.wait_until(help_windows, 30, what="the help window")
    # The viewer reads the title in the code page of the system (932 on a Japanese Windows,
    # 1252 in this Wine prefix), never as UTF-8.
    title = "Keyra ヘルプ"
    check(shown[0]["text"] in (title, title.encode("cp932").decode("cp1252")),
          "the help window's title: %r" % shown[0]["text"])
    check(not h.message_boxes(), "no message box")

    # The options panel's help button opens the help too (its page: the viewer test).
    for w in shown:
        h.probe("close", w["hwnd"])
    h.wait_until(lambda: not help_windows(), 15, what="the help window to close")
    mw.refresh().click_button("OP")
    button = h.wait_until(lambda: [c for c in k.children() if c["text"] == "help" and c["visible"]], 15,
                          what="the options panel's help button")[0]
    h.click_child(button)
    h.wait_until(help_windows, 30, what="the help window of the options panel")


PAGES = {  # page: a phrase it must hold
    "generator.html": "名前 + 数字 + 記号 + グループ",
    "options.html": "起動時に暗証番号を入力する",
    "pin.html": "10分たったとき",
    "master.html": "データを取り戻す方法はありません",
    "search.html": "パスワードは検索しません",
    "clipboard.html": "約12秒後",
    "list.html": "保存ボタンはありません",
    "datafile.html": "keyra.kr.conflict",
    "import.html": "暗号化されずに入ります",
    "trouble.html": "暗証番号を忘れた",
}
SOURCES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")


def menu_captions():
    """Every menu caption of the program as the user sees it, without the access key's "&"."""
    captions = set()
    # The main menu's captions may live in any file of ui/.
    for path in glob.glob(os.path.join(SOURCES, "ui", "*.cpp")) + glob.glob(os.path.join(SOURCES, "generator", "*.cpp")):
        with open(path, encoding="utf-8") as f:
            for c in re.findall(r'[Lu]"([^"\\]*\(&[A-Za-z]\)[^"\\]*)"', f.read()):
                captions.add(c.replace("&", ""))
    check(len(captions) > 10, "menu captions found in the sources: %r" % sorted(captions))
    return captions


@test
def test_built_help_file_holds_every_window_page_and_a_title_in_its_code_page(fx):
    files = decompiled_chm()
    toc = files["toc.hhc"].decode("cp932")
    for page, phrase in PAGES.items():
        check(page in files, "%s is in keyra.chm" % page)
        check(phrase in files[page].decode("utf-8"), "%s says %r" % (page, phrase))
    check("マスターパスワード" in toc, "the contents read in code page 932")
    index = files["keyra.hhk"].decode("cp932")
    for page in set(re.findall(r'value="([^"]+\.html)"', toc + index)):
        check(page in files, "%s, named by the contents or the index, is in keyra.chm" % page)
    captions = menu_captions()
    for page in (n for n in files if n.endswith(".html")):
        text = files[page].decode("utf-8")
        check('value="%s"' % page in toc, "the contents list %s" % page)
        check(not re.search(r"&(?:amp;)?[A-Za-z]\)", text), "%s writes no \"&\" in a menu name" % page)
        for quoted in re.findall(r"(?:「|<td>)([^「」<>]*\([A-Za-z]\)(?:\.\.\.)?)(?:」|</td>)", text):
            check(quoted in captions, "%s names the menu item %r as the menus have it" % (page, quoted))
    system = system_records(files["#SYSTEM"])
    check_eq(system[3], "Keyra ヘルプ".encode("cp932") + b"\0", "the title in #SYSTEM")
    check_eq(struct.unpack_from("<I", system[4])[0], 0x411, "the language of #SYSTEM")


@test
def test_minimize_button_minimizes_the_window(fx):
    k, mw = m.start_keyra(fx)
    h.click_child(mw.title_buttons()[0])
    h.wait_until(lambda: h.probe("info", k.hwnd)["window"]["style"] & WS_MINIMIZE, 15,
                 what="the window to be minimized")
    check(k.proc.poll() is None, "the program still runs")


if __name__ == "__main__":
    sys.exit(h.run())
