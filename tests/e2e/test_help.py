"""The help menu item and the title row's minimize button."""

import os
import sys

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
    check("Keyra" in shown[0]["text"], "the help window's title: %r" % shown[0]["text"])
    check(not h.message_boxes(), "no message box")


@test
def test_minimize_button_minimizes_the_window(fx):
    k, mw = m.start_keyra(fx)
    h.click_child(mw.title_buttons()[0])
    h.wait_until(lambda: h.probe("info", k.hwnd)["window"]["style"] & WS_MINIMIZE, 15,
                 what="the window to be minimized")
    check(k.proc.poll() is None, "the program still runs")


if __name__ == "__main__":
    sys.exit(h.run())
