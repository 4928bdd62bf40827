"""Start-up, single instance and the data file, seen from outside the running program."""

import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness as h  # noqa: E402
import mainwin_helpers as m  # noqa: E402
from harness import check, check_eq, test  # noqa: E402

NOT_OURS = "Keyra のデータファイルではありません"
ENDING = "Keyra を終了します"
WS_CAPTION = 0x00C00000


def rect_of(win):
    return win["rect"]["left"], win["rect"]["top"]


def entry_lines(lines):
    return [l for l in lines if len(l) > 1 and l[0] in "Ii" and l[1].isdigit()]


def no_window_of_class(cls):
    return not h.windows_of_class(cls)


def park_mouse():
    # Keeps the pointer away from the window, so no hit test moves it while we look.
    s = h.screen()
    h.xdotool("mousemove", s["width"] - 1, s["height"] - 1)


def all_texts(k):
    return [k.info()["text"]] + k.child_texts()


def find_child(k, cls_part):
    for c in k.children():
        if cls_part.lower() in c["class"].lower():
            return c
    return None


@test
def test_fresh_start_uses_defaults_and_creates_file_at_close(fx):
    park_mouse()
    k = fx.keyra()
    win = k.start_and_wait()
    check_eq(rect_of(win), (600, 100), "position of a fresh start")
    check(win["style"] & WS_CAPTION == 0, "the main window has no caption bar")
    check(not os.path.exists(k.file("keyra.kr")), "nothing is saved before the close")
    check_eq(k.close(), 0, "exit code")
    lines = h.read_data_file(k.file("keyra.kr"))
    check_eq(lines[:21], h.settings_lines(), "marker and default settings")
    check_eq(entry_lines(lines), [], "entry lines of an empty table")
    check_eq(sorted(os.listdir(k.folder)), ["keyra.exe", "keyra.kr"], "files beside the program")


@test
def test_initial_file_seeds_first_start_and_is_never_written(fx):
    park_mouse()
    seed = [l for l in h.settings_lines(Top="150", Left="300", ListHeight="180") if not l.startswith("Keyra=")]
    seed.append("I5=" + h.multipart("初期エントリ", "seed-id", "pw"))
    k = fx.keyra(files={"keyra.si": seed})
    original = k.read("keyra.si")
    win = k.start_and_wait()
    # The initial file has no marker: it is accepted without that check.
    check_eq(rect_of(win), (300, 150), "position from the initial file")
    lb = find_child(k, "listbox")
    check(lb is not None, "a list box among the children")
    items = h.probe("listbox", lb["hwnd"])["items"]
    check_eq(items[5] if len(items) > 5 else None, "初期エントリ", "list row 5")
    check_eq(k.close(), 0, "exit code")
    check_eq(k.read("keyra.si"), original, "initial file bytes after the first run")
    lines = h.read_data_file(k.file("keyra.kr"))
    values = h.line_dict(lines)
    check_eq((values.get("top"), values.get("left"), values.get("listheight")), ("150", "300", "180"),
             "settings carried into the data file")
    check_eq(h.split_parts(values.get("i5", ""))[:3], ["初期エントリ", "seed-id", "pw"], "entry 5")

    # Once the data file exists the initial file is ignored.
    k.put("keyra.si", [l.replace("Top=150", "Top=200") for l in seed])
    changed = k.read("keyra.si")
    k.put("keyra.kr", h.settings_lines(Top="160", Left="310"))
    win = k.start_and_wait()
    check_eq(rect_of(win), (310, 160), "position from the data file")
    check_eq(k.close(), 0, "exit code")
    check_eq(k.read("keyra.si"), changed, "initial file bytes after the second run")


@test
def test_renamed_copy_keeps_its_own_data_file(fx):
    park_mouse()
    # A file keyra.exe would refuse: work.exe must not even look at it.
    k = fx.keyra(name="work.exe", files={"keyra.kr": b""})
    k.start_and_wait()
    check_eq(h.message_boxes(), [], "message boxes of work.exe")
    check("work" in all_texts(k), "caption label shows the base name; texts: %r" % all_texts(k)[:8])
    check_eq(k.close(), 0, "exit code")
    check_eq(k.read("keyra.kr"), b"", "keyra.kr beside work.exe")
    check_eq(h.read_data_file(k.file("work.kr"))[:21], h.settings_lines(), "work.kr")
    check(not os.path.exists(k.file("work.si")), "no initial file is written")


@test
def test_second_start_is_refused_silently(fx):
    park_mouse()
    first = fx.keyra()
    first.start_and_wait()
    renamed = fx.keyra(name="other.exe")
    extra = []
    try:
        for label, spawn in (("same file", first.spawn), ("renamed copy elsewhere", renamed.spawn)):
            p = spawn()
            extra.append(p)
            try:
                code = p.wait(timeout=30)
            except subprocess.TimeoutExpired:
                raise AssertionError("%s: second start still running after 30 s" % label)
            check_eq(code, 0, "%s: exit code of the second start" % label)
            check_eq(len(h.windows_of_class("TFKeyra")), 1, "%s: TFKeyra windows" % label)
            check_eq(h.message_boxes(), [], "%s: message boxes" % label)
        check(first.proc.poll() is None, "the first instance keeps running")
        check(not os.path.exists(renamed.file("other.kr")), "the refused copy wrote no data file")
    finally:
        for p in extra:
            if p.poll() is None:
                p.kill()
    check_eq(first.close(), 0, "exit code of the first instance")
    # With the first one gone, a start succeeds again.
    renamed.start_and_wait()
    check_eq(renamed.close(), 0, "exit code of the later start")


def expect_refusal(fx, label, content):
    """Starts keyra.exe beside `content`; returns a problem description or None."""
    k = fx.keyra(files={"keyra.kr": content})
    k.start()
    seen = []
    try:
        for expected in (NOT_OURS, ENDING):
            def box_with_text():
                if k.proc.poll() is not None:
                    raise AssertionError("ended (exit %s) before showing %r; seen %r"
                                         % (k.proc.returncode, expected, seen))
                for b in h.message_boxes(500):
                    if expected in b["texts"]:
                        return b
                    if b["texts"] and b["texts"] not in seen:
                        seen.append(b["texts"])
                return None
            box = h.wait_until(box_with_text, 30, interval=0.1, what="message %r" % expected)
            check_eq(box["caption"], "Keyra", "caption of the message box")
            h.press_ok_until_gone(box["hwnd"], lambda: all(b["hwnd"] != box["hwnd"] or expected not in b["texts"]
                                                           for b in h.message_boxes()))
        check_eq(k.wait_exit(30), 0, "exit code")
        check_eq(k.read("keyra.kr"), content, "data file bytes")
        check_eq(sorted(os.listdir(k.folder)), ["keyra.exe", "keyra.kr"], "files beside the program")
    except AssertionError as e:
        return "%s: %s" % (label, e)
    finally:
        k.cleanup()
    return None


def run_refusals(fx, cases):
    problems = [p for p in (expect_refusal(fx, label, content) for label, content in cases) if p]
    check(not problems, "; ".join(problems))


@test
def test_scrambled_file_with_bad_marker_is_refused_and_untouched(fx):
    park_mouse()
    body = h.settings_lines()[1:] + ["I0=" + h.multipart("残すべき", "id")]
    run_refusals(fx, [
        ("marker 0", h.scramble_lines(["Keyra=0"] + body)),
        ("marker 0.0", h.scramble_lines(["Keyra=0.0"] + body)),
        ("marker abc", h.scramble_lines(["Keyra=abc"] + body)),
        ("empty marker", h.scramble_lines(["Keyra="] + body)),
        ("no marker", h.scramble_lines(body)),
    ])


@test
def test_files_of_other_kinds_are_refused_and_untouched(fx):
    park_mouse()
    plain = "".join(l + "\r\n" for l in h.settings_lines())
    run_refusals(fx, [
        ("empty file", b""),
        ("byte-order mark only", b"\xff\xfe"),
        ("plain-text copy of the lines", b"\xff\xfe" + plain.encode("utf-16-le")),
        ("plain ANSI text", plain.encode("ascii")),
    ])


@test
def test_nonzero_markers_are_accepted(fx):
    park_mouse()
    for marker in ("Keyra=1", "Keyra=2x", "KEYRA=0.3"):
        k = fx.keyra(files={"keyra.kr": [marker] + h.settings_lines(Top="130")[1:]})
        win = k.start_and_wait()
        check_eq(h.message_boxes(), [], "%s: message boxes" % marker)
        check_eq(rect_of(win)[1], 130, "%s: top" % marker)
        check_eq(k.close(), 0, "%s: exit code" % marker)
        check_eq(h.read_data_file(k.file("keyra.kr"))[0], "Keyra=0.3", "%s: marker after save" % marker)
        k.cleanup()


ROUND_TRIP_SETTINGS = dict(
    Top="120", Left="500", FormColor="1193046", ButtonColor="15790320", ButtonShortTextColor="4210752",
    ButtonLongTextColor="255", PasteMode="2", EnterMode="1", ClearMode="1", PasteWait="250",
    DispPassMode="0", URLMode="0", ListHeight="200", MemoHeight="100", ShortButtonNum="7",
    PINMode="0", PINNo="1234", FontName="Tahoma", FontSize="11", DispUsedMode="1")

ROUND_TRIP_ENTRIES = {
    0: ("銀行 a=b", "user\\name", "p=\\1\\F=", "https://example.jp/?q=a&b=c", "一行目\r\n二行目=\\x\r\n"),
    57: ("タイトルだけ", "", "", "", ""),
    1000: ("最後の枠", "", "秘密", "", ""),
}


GENERATOR_LINES = ["$Top=140", "$Left=90", "#inu=pochi", "#Inu=kuro", "#inu=shiro", "$SYMBOL=b", "$SYMBOL=A",
                   "$SYMBOL=a", "$SYMBOL=#", "$NUMBER=77", "$NUMBER=0913"]
SAVED_GENERATOR_LINES = ["$Top=140", "$Left=90", "#inu=pochi", "#inu=shiro", "#Inu=kuro", "$SYMBOL=#", "$SYMBOL=a",
                         "$SYMBOL=A", "$SYMBOL=b", "$NUMBER=0913", "$NUMBER=77"]


@test
def test_settings_and_entries_survive_a_start_close_cycle(fx):
    park_mouse()
    lines = h.settings_lines(**ROUND_TRIP_SETTINGS)
    lines.insert(3, "top=300")  # a later duplicate: the first line counts
    lines.append("Unknown=zzz")
    lines += GENERATOR_LINES
    for n, parts in ROUND_TRIP_ENTRIES.items():
        lines.append("I%d=%s" % (n, h.multipart(*parts)))
    k = fx.keyra(files={"keyra.kr": lines})
    win = k.start_and_wait()
    check_eq(rect_of(win), (500, 120), "position")
    check_eq(h.windows_of_class("VIDodureza"), [], "generator windows before it is first opened")
    texts = k.child_texts()
    check(ROUND_TRIP_ENTRIES[0][0] in texts, "title of entry 0 shown in its edit box")
    check(ROUND_TRIP_ENTRIES[0][4] in texts, "memo of entry 0 shown with its line breaks")
    check_eq(k.close(), 0, "exit code")
    saved = h.read_data_file(k.file("keyra.kr"))
    check_eq(saved[:21], h.settings_lines(**ROUND_TRIP_SETTINGS), "settings after the cycle")
    check_eq([l.split("=", 1)[0] for l in entry_lines(saved)], ["I0", "I57", "I1000"], "entry line names")
    values = h.line_dict(saved)
    for n, parts in ROUND_TRIP_ENTRIES.items():
        check_eq(tuple(h.split_parts(values["i%d" % n])[:5]), parts, "entry %d" % n)
    check("unknown" not in values, "lines the program does not know are dropped")
    # Never opened, the generator still writes its position and lists, in the order its
    # sorted boxes give them.
    gen = [l for l in saved if l[:1] in "#$" and not l.startswith(("$Lines=", "$Check=", "$End="))]
    check_eq(gen, SAVED_GENERATOR_LINES, "generator lines")
    check_eq(sum(1 for l in saved if l.lower().startswith("top=")), 1, "one Top line")


@test
def test_positions_are_clamped_to_the_screen(fx):
    park_mouse()
    s = h.screen()
    w, hgt = s["width"], s["height"]
    for (top, left), expected in (((5000, 5000), (w - 100, hgt - 100)),
                                  ((hgt - 99, w - 99), (w - 100, hgt - 100)),
                                  ((hgt - 100, w - 100), (w - 100, hgt - 100)),
                                  ((-10, -30), (-30, -10)),
                                  # No part of the title row on the screen: brought back.
                                  ((-50, -30), (0, 0))):
        k = fx.keyra(files={"keyra.kr": h.settings_lines(Top=str(top), Left=str(left))})
        win = k.start_and_wait()
        check_eq(rect_of(win), expected, "Top=%d Left=%d" % (top, left))
        check_eq(k.close(), 0, "exit code")
        values = h.line_dict(h.read_data_file(k.file("keyra.kr")))
        check_eq((int(values["left"]), int(values["top"])), expected, "saved position for Top=%d Left=%d"
                 % (top, left))
        k.cleanup()


@test
def test_end_session_saves_while_running(fx):
    park_mouse()
    lines = h.settings_lines(Left="400") + ["I3=" + h.multipart("ログオフ前", "id3")]
    k = fx.keyra(files={"keyra.kr": lines})
    k.start_and_wait()
    os.remove(k.file("keyra.kr"))  # so that only a save made now can bring it back
    check_eq(h.probe("endsession", k.hwnd)["result"], 0, "WM_ENDSESSION result")
    saved = h.read_data_file(k.file("keyra.kr"))
    check_eq(saved[:21], h.settings_lines(Left="400"), "settings saved at WM_ENDSESSION")
    check_eq(h.split_parts(h.line_dict(saved)["i3"])[:2], ["ログオフ前", "id3"], "entry saved at WM_ENDSESSION")
    check(k.proc.poll() is None, "the program keeps running after WM_ENDSESSION")
    check(h.try_probe("info", k.hwnd) is not None, "its window still exists")
    # The system ends the process after log-off; the saved file must be complete by then.
    k.kill()
    check_eq(h.read_data_file(k.file("keyra.kr")), saved, "file after the process was ended")


@test
def test_a_200_mb_foreign_file_is_refused_within_seconds(fx):
    # Scrambled-looking hex all through, but no marker inside: the whole file has to be read.
    content = b"\xff\xfe" + "0a3f".encode("utf-16-le") * (200_000_000 // 8) + "\r\n".encode("utf-16-le")
    t0 = time.monotonic()
    run_refusals(fx, [("200 MB file", content)])
    took = time.monotonic() - t0
    print("    200 MB file refused and program ended in %.1f s" % took, flush=True)
    check(took < 20, "refusing a 200 MB file took %.1f s" % took)


def full_file_lines():
    lines = h.settings_lines()
    memo = ("メモ行 memo line with = and \\ " * 9)[:240]
    for n in range(1000):
        lines.append("I%d=%s" % (n, h.multipart("タイトル%04d" % n, "user%04d@example.jp" % n, "Pw=%04d\\x!" % n,
                                                "https://example.jp/login/%04d?x=1" % n, memo + "\r\n%d" % n)))
    return lines


def timed_cycle(fx, files):
    k = fx.keyra(files=files)
    # The file just written (and the last run's save) goes to disk first, not during the start:
    # a user's data file has long been on disk when Keyra starts.
    os.sync()
    k.await_free()
    t0 = time.monotonic()
    k.start_and_wait(await_free=False)
    t1 = time.monotonic()
    shown = k.shown_after if k.shown_after > 0 else t1 - t0
    h.probe("close", k.hwnd)
    code = k.wait_exit(120)
    t2 = time.monotonic()
    check_eq(code, 0, "exit code")
    size = os.path.getsize(k.file("keyra.kr"))
    k.cleanup()
    return t2 - t0, shown, size


def timed_notepad():
    """Wine's Notepad, start to visible window, counted the same way as Keyra's."""
    os.sync()
    # By its path, as Keyra is started: "wine notepad" goes through start.exe, and a program
    # started by another Wine program is spared some 50 ms of set-up that one started from
    # the shell pays, so the two would not be counted alike.
    p = subprocess.Popen(["wine", "C:\\windows\\system32\\notepad.exe"], stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL)
    try:
        ans = h.wait_until(lambda: h.try_probe("find", "Notepad", 2000, "visible"), 60, interval=0.1,
                           what="Notepad's window")
        h.probe("close", ans["window"]["hwnd"])
        p.wait(timeout=60)
        return ans.get("process_age_ms", -1) / 1000.0
    finally:
        if p.poll() is None:
            p.kill()


@test
def test_full_file_start_keeps_near_the_empty_start_and_notepads(fx):
    park_mouse()
    full = h.scramble_lines(full_file_lines())
    check(9_000_000 < len(full) < 12_000_000, "test file size %d" % len(full))
    empty, loaded, notepad = [], [], []
    # Alternating runs and medians, so that a busy machine hurts every side alike; nine rounds,
    # since one Wine start alone varies by more than the file costs.
    for _ in range(9):
        empty.append(timed_cycle(fx, {}))
        notepad.append(timed_notepad())
        total, shown, size = timed_cycle(fx, {"keyra.kr": full})
        check(size > 9_000_000, "the full file was saved whole (%d bytes)" % size)
        loaded.append((total, shown, size))
    print("    runs: no file %s; full file %s; Notepad %s" % (
        " ".join("%.3f" % s for _, s, _ in empty), " ".join("%.3f" % s for _, s, _ in loaded),
        " ".join("%.3f" % s for s in notepad)), flush=True)
    e = statistics.median(s for _, s, _ in empty)
    f = statistics.median(s for _, s, _ in loaded)
    n = statistics.median(notepad)
    print("    start to visible window: no file %.3f s, full file %.3f s (ratio %.2f), Notepad %.3f s "
          "(no file against Notepad %.2f)" % (e, f, f / e, n, e / n), flush=True)
    print("    start+close: no file %.2f s, full file %.2f s" % (statistics.median(t for t, _, _ in empty),
                                                             statistics.median(t for t, _, _ in loaded)), flush=True)
    # The file costs the same time as ever, but against a shorter empty start; the limit is loose
    # for a loaded machine, the figures above are the measure.
    check(f <= 1.4 * e, "full file %.3f s against %.3f s with none (limit 1.4x)" % (f, e))
    # Loose on purpose: a loaded machine slows a start more than Notepad's; the figures above
    # are the measure.
    check(e <= 2.5 * n, "no file %.3f s against Notepad's %.3f s (limit 2.5x)" % (e, n))


def boxes_until_the_window(k, timeout=90):
    """Presses OK on every message box shown before the main window; returns their texts."""
    seen = []

    def step():
        if k.proc.poll() is not None:
            raise AssertionError("keyra ended (exit %s); messages %r" % (k.proc.returncode, seen))
        if h.try_probe("find", "TFKeyra", 0, "visible"):
            return True
        for b in h.message_boxes(300):
            if b["texts"]:
                seen.append(b["texts"])
                h.press_ok_until_gone(b["hwnd"], lambda: all(x["hwnd"] != b["hwnd"] for x in h.message_boxes()))
                break
        return False
    h.wait_until(step, timeout, interval=0.1, what="the window after the messages")
    return seen


@test
def test_a_damaged_file_with_300_groups_costs_one_message_of_each_kind_and_is_kept(fx):
    park_mouse()
    lines = (h.settings_lines(Left="400") + ["I0=" + h.multipart("残す", "id0")] +
             ["#g%03d=n" % i for i in range(300)] + ["$SYMBOL=%"])
    content = h.scramble_lines(lines)[:-10]  # a copy that stopped short of the end
    k = fx.keyra(files={"keyra.kr": content})
    k.start()
    seen = boxes_until_the_window(k)
    k.window()
    check_eq(len(seen), 2, "message boxes at the start: %r" % seen)
    check(any("データを追加できません" in t for t in seen[0] + seen[1]), "the full group table is told: %r" % seen)
    check(any("keyra.kr.damaged" in t for t in seen[0] + seen[1]), "the damage is told with the copy's name")
    check(m.stays(lambda: not [b for b in h.message_boxes() if b["texts"]], 1.5), "no further message")
    check_eq(k.read("keyra.kr.damaged"), content, "the damaged file's bytes are kept")
    check_eq(k.close(), 0, "exit code")
    check_eq(k.read("keyra.kr.damaged"), content, "the copy after the save")
    check_eq(k.read("keyra.kr.bak"), content, "the file replaced is the backup")
    saved = h.read_data_file(k.file("keyra.kr"))
    check_eq(h.split_parts(h.line_dict(saved)["i0"])[:2], ["残す", "id0"], "what could be read is saved")
    check_eq(saved[-1], "$End=%d" % len(saved), "the saved file is whole")
    check_eq(len([l for l in saved if l.startswith("#")]), 100, "the hundred groups that found a slot")


if __name__ == "__main__":
    sys.exit(h.run())


# ---- the master password ---------------------------------------------------------------------------

MASTER = "seikai-pass-9"
MISS = "マスターパスワードが違うか、データファイルが書き換えられています。"
ES_PASSWORD = 0x20


def dialog_with_boxes(count, timeout=30):
    """Our visible dialog with `count` edit boxes, and those boxes in their order."""
    def find():
        for b in h.message_boxes():
            boxes = [c for c in h.children(b["hwnd"]) if c["class"].lower() == "edit"]
            if len(boxes) == count:
                return b, boxes
        return None
    return h.wait_until(find, timeout, what="a dialog with %d boxes" % count)


def answer(texts):
    box, edits = dialog_with_boxes(len(texts))
    for e, t in zip(edits, texts):
        check(e["style"] & ES_PASSWORD, "the boxes are masked")
        h.probe("settext", e["hwnd"], m.utf8_hex(t))
    h.probe("pressok", box["hwnd"])
    return box


def master_menu(k):
    mw = m.MainWindow(k)
    x, y = mw.bare_point()
    m.right_click_at(x, y)
    m.wait_menu_open()
    m.choose_menu_key("m")


def gone(hwnd):
    return lambda: all(b["hwnd"] != hwnd for b in h.message_boxes())


@test
def test_master_password_seals_the_file_and_is_asked_once_at_start(fx):
    park_mouse()
    k = fx.keyra(files={"keyra.kr": h.settings_lines() + ["I9=" + h.multipart("平文", "id9")]})
    k.start_and_wait()
    master_menu(k)
    box = answer([MASTER, MASTER])
    h.wait_until(gone(box["hwnd"]), 30, what="the dialog to close")
    # Sealed on disk a moment later, and no readable copy is left: the backup is sealed too.
    h.wait_until(lambda: h.read_data_file(k.file("keyra.kr"))[0] == "Keyra=0", 10, what="the file sealed")
    check_eq(h.read_data_file(k.file("keyra.kr.bak"))[0], "Keyra=0", "the backup sealed")
    check_eq([n for n in os.listdir(k.folder) if ".~" in n], [], "temporary files")
    mw = m.MainWindow(k)
    h.probe("settext", mw.field(0)["hwnd"], m.utf8_hex("秘密の銀行"))
    h.probe("settext", mw.field(2)["hwnd"], m.utf8_hex("pw-zzq-4711"))
    check_eq(k.close(), 0, "exit code")

    sealed = k.read("keyra.kr")
    lines = h.read_data_file(k.file("keyra.kr"))
    check_eq(lines[0], "Keyra=0", "the marker that older copies refuse")
    text = "\n".join(lines)
    for secret in ("秘密の銀行", "pw-zzq-4711"):
        for form in (secret, h.hex_encode(secret)):
            check(form not in text and form.encode("utf-16-le") not in sealed and form.encode() not in sealed,
                  "%r appears in the file" % form)

    # A wrong password asks again and leaves the file; the right one opens it, without the PIN.
    k.start()
    box = answer(["not-the-password"])
    h.wait_until(lambda: any(MISS in t for b in h.message_boxes() for t in b["texts"]), 30, what="the miss text")
    check_eq(k.read("keyra.kr"), sealed, "the file after a wrong password")
    answer([MASTER])
    k.window()
    lb = find_child(k, "listbox")
    check_eq(h.probe("listbox", lb["hwnd"])["items"][0], "秘密の銀行", "the entry is back")

    # Without a PIN a session lock hides the window behind the master password's prompt; the key in
    # memory is asked, not the file.
    h.probe("post", k.hwnd, 0x02B1, 7, 0)  # WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK
    h.wait_until(lambda: not k.info()["visible"], 30, what="the window hidden by the lock")
    answer(["not-the-password"])
    h.wait_until(lambda: any("違います" in t for b in h.message_boxes() for t in b["texts"]), 30, what="the miss text")
    check(not k.info()["visible"], "a wrong password keeps the window hidden")
    answer([MASTER])
    h.wait_until(lambda: k.info()["visible"], 30, what="the window back after the right password")

    # Removing it: the current password, then two empty boxes; the plain format comes back.
    master_menu(k)
    box = answer([MASTER, "", ""])
    h.wait_until(gone(box["hwnd"]), 30, what="the dialog to close")
    check_eq(k.close(), 0, "exit code")
    lines = h.read_data_file(k.file("keyra.kr"))
    check_eq(lines[0], "Keyra=0.3", "plain marker")
    check(any(l.startswith("I0=") and h.split_parts(l[3:])[0] == "秘密の銀行" for l in lines), "entry line in plain")


@test
def test_a_log_off_or_close_during_a_start_dialog_touches_no_file(fx):
    """The master password prompt, the damaged-file notice and the backup notice each wait in a
    message loop of their own; a log-off or a close reaching the hidden main window then must end
    the program without a save: before the data is in there is nothing to save."""
    park_mouse()
    k = fx.keyra(files={"keyra.kr": h.settings_lines() + ["I0=" + h.multipart("封印", "id0", "pw0")]})
    k.start_and_wait()
    master_menu(k)
    box = answer([MASTER, MASTER])
    h.wait_until(gone(box["hwnd"]), 30, what="the dialog to close")
    check_eq(k.close(), 0, "exit code")
    folder = {n: k.read(n) for n in os.listdir(k.folder) if n.startswith("keyra.kr")}

    def hidden_window():
        return h.probe("find", "TFKeyra", 20000)["window"]["hwnd"]

    def ends_untouched(what, files, notice):
        k.start()
        h.wait_until(notice, 60, what="the start's %s" % what)
        if what.startswith("close"):
            h.probe("close", hidden_window())
        else:
            h.probe("endsession", hidden_window())
        check_eq(k.wait_exit(), 0, "exit code after a %s" % what)
        now = {n: k.read(n) for n in os.listdir(k.folder) if n.startswith("keyra.kr")}
        check_eq(sorted(now), sorted(files), "the files after a %s" % what)
        for n, data in files.items():
            check(now[n] == data, "%s changed by a %s" % (n, what))

    prompt = lambda: dialog_with_boxes(1, timeout=1)
    notice = lambda: [b for b in h.message_boxes() if b["texts"]]
    ends_untouched("log-off at the master password prompt", folder, prompt)
    ends_untouched("close at the master password prompt", folder, prompt)

    # A file cut short: its copy is made before the notice, and nothing else is written.
    for n in folder:
        os.remove(k.file(n))
    cut = h.scramble_lines(h.settings_lines() + ["I0=" + h.multipart("残す", "id0")])[:-10]
    k.put("keyra.kr", cut)
    k.put("keyra.kr.bak", h.scramble_lines(h.settings_lines() + ["I0=" + h.multipart("前回", "id0")]))
    damaged = {"keyra.kr": cut, "keyra.kr.bak": k.read("keyra.kr.bak"), "keyra.kr.damaged": cut}
    ends_untouched("log-off at the damaged-file notice", damaged, notice)
    # Only the backup: the notice that it is read, and no data file made from it.
    os.remove(k.file("keyra.kr"))
    os.remove(k.file("keyra.kr.damaged"))
    ends_untouched("log-off at the backup notice", {"keyra.kr.bak": k.read("keyra.kr.bak")}, notice)


# ---- nothing lost ----------------------------------------------------------------------------------

IDYES = 6


def box_saying(part, timeout=60):
    def shown():
        return [b for b in h.message_boxes() if any(part in t for t in b["texts"])]
    return h.wait_until(shown, timeout, what="a message box with %r" % part)[0]


def saved_id(k, row):
    """The ID of entry `row` in the data file; empty while the file is being swapped in."""
    try:
        return m.saved_entries(k).get(row, ("", ""))[1]
    except (OSError, h.FormatError):
        return ""


def edit_id_and_move_on(k, row, text):
    mw = m.MainWindow(k)
    mw.click_row(row)
    h.probe("settext", mw.field(1)["hwnd"], m.utf8_hex(text))
    mw.click_row(row + 1)  # the entry reaches the document when another one is picked


@test
def test_saved_soon_and_never_lost_to_a_damaged_file_a_stuck_backup_or_another_computers_copy(fx):
    park_mouse()
    # A whole backup of 60 entries beside a data file cut to 30 %: the default answer, the backup.
    sixty = h.scramble_lines(h.settings_lines() + [m.entry_line(i, "e%d" % i, "id%d" % i) for i in range(60)])
    cut = sixty[:len(sixty) * 3 // 10]
    k = fx.keyra(files={"keyra.kr": cut, "keyra.kr.bak": sixty})
    k.start()
    question = box_saying("バックアップを読み込みますか")
    kids = [c for c in h.children(question["hwnd"]) if c["id"] == IDYES]
    check(kids and kids[0]["style"] & 0x1, "はい is the default button")  # BS_DEFPUSHBUTTON
    h.probe("post", question["hwnd"], 0x0111, IDYES, 0)
    h.probe("pressok", box_saying("バックアップ keyra.kr.bak を読み込みました")["hwnd"])
    k.window()
    check_eq(k.close(), 0, "exit code")
    check_eq(len(m.saved_entries(k)), 60, "entries in the data file after the close")
    check_eq(k.read("keyra.kr.bak"), sixty, "the whole backup is left as it was")
    check_eq(k.read("keyra.kr.damaged"), cut, "the damaged file is kept")

    # An entry stored by picking another one is on disk a moment later: a hard end loses nothing.
    k.start_and_wait()
    edit_id_and_move_on(k, 1, "saved-soon")
    h.wait_until(lambda: saved_id(k, 1) == "saved-soon", 5, what="the change on disk")
    k.kill()
    check_eq(m.saved_entries(k)[1][1], "saved-soon", "the change after a hard end")

    # A backup that cannot be written: saved without it, said once.
    os.chmod(k.file("keyra.kr.bak"), 0o444)
    bak = k.read("keyra.kr.bak")
    k.start_and_wait()
    edit_id_and_move_on(k, 3, "no-backup")
    h.probe("pressok", box_saying("バックアップ keyra.kr.bak を作成できませんでした")["hwnd"])
    check_eq(m.saved_entries(k)[3][1], "no-backup", "saved without the backup")
    check_eq(k.read("keyra.kr.bak"), bak, "the backup as it was")
    os.chmod(k.file("keyra.kr.bak"), 0o644)

    # Another computer's copy arrives: with a change here it is kept beside ours ...
    theirs = h.scramble_lines(h.settings_lines() + [m.entry_line(0, "theirs", "id0")])
    k.put("keyra.kr", theirs)
    edit_id_and_move_on(k, 5, "ours")
    h.probe("pressok", box_saying("keyra.kr.conflict として残し")["hwnd"])
    check_eq(k.read("keyra.kr.conflict"), theirs, "the other copy is kept")
    h.wait_until(lambda: saved_id(k, 5) == "ours", 5, what="ours saved")
    # ... and without one, the close leaves it in place.
    k.put("keyra.kr", theirs)
    check_eq(k.close(), 0, "exit code")
    check_eq(k.read("keyra.kr"), theirs, "the other computer's copy after the close")
