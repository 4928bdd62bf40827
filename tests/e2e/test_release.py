"""Faults while the data file is saved at close, and the release ZIP."""

import os
import shutil
import stat
import subprocess
import sys
import tempfile
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness as h  # noqa: E402
from harness import check, check_eq, test  # noqa: E402


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def close_fails_and_window_stays(k, before):
    """Asks the window to close while the file cannot be replaced; returns the error's texts."""
    h.probe("close", k.hwnd)

    def error_box():
        check(k.proc.poll() is None, "keyra ended although the save failed")
        return next((b for b in h.message_boxes(500) if b["texts"]), None)
    box = h.wait_until(error_box, 30, interval=0.1, what="the save error")
    check_eq(k.read("keyra.kr"), before, "data file while the save fails")
    check_eq(sorted(os.listdir(k.folder)), ["keyra.exe", "keyra.kr"], "files beside the program")
    h.probe("pressok", box["hwnd"])
    h.wait_until(lambda: not any(b["hwnd"] == box["hwnd"] for b in h.message_boxes()), 10, what="the box to go")
    check(k.proc.poll() is None, "keyra ended after the save error")
    check(h.try_probe("info", k.hwnd) is not None, "the window stays after the save error")
    return box["texts"]


def closes_and_saves(k, lines):
    # Gone, so that only a save made by this close can give the lines back (another program's
    # file in its place would be kept, not saved over).
    os.remove(k.file("keyra.kr"))
    h.probe("close", k.hwnd)
    check_eq(k.wait_exit(60), 0, "exit code of the second close")
    saved = h.read_data_file(k.file("keyra.kr"))
    check_eq(h.split_parts(h.line_dict(saved)["i3"])[:2], ["保存前", "id3"], "entry saved by the retry")
    check_eq(saved[:21], lines[:21], "settings saved by the retry")


@test
def test_read_only_data_file_keeps_the_window_and_a_retry_saves(fx):
    lines = h.settings_lines() + ["I3=" + h.multipart("保存前", "id3")]
    k = fx.keyra(files={"keyra.kr": lines})
    k.start_and_wait()
    before = k.read("keyra.kr")
    os.chmod(k.file("keyra.kr"), stat.S_IRUSR | stat.S_IRGRP | stat.S_IROTH)
    texts = close_fails_and_window_stays(k, before)
    check(any(t.strip() for t in texts), "the error says something: %r" % texts)
    os.chmod(k.file("keyra.kr"), stat.S_IRUSR | stat.S_IWUSR)
    closes_and_saves(k, lines)


@test
def test_locked_data_file_keeps_the_window_and_a_retry_saves(fx):
    lines = h.settings_lines() + ["I3=" + h.multipart("保存前", "id3")]
    k = fx.keyra(files={"keyra.kr": lines})
    k.start_and_wait()
    before = k.read("keyra.kr")
    flag = tempfile.NamedTemporaryFile(prefix="keyra-hold-", delete=False)
    flag.close()
    holder = subprocess.Popen(["wine", h.Env.kprobe, "hold", windows_path(k.file("keyra.kr")), windows_path(flag.name)],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    try:
        check('"ok":true' in holder.stdout.readline().decode("utf-8", "replace"), "the file is held open")
        close_fails_and_window_stays(k, before)
    finally:
        os.remove(flag.name)
        try:
            holder.wait(timeout=30)
        except subprocess.TimeoutExpired:
            holder.kill()
            holder.wait(timeout=10)
    closes_and_saves(k, lines)


# The Japanese read-me goes into the ZIP once packaging/ has it.
JA_README = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "packaging", "README.ja.txt")
RELEASE_FILES = sorted(["README.txt", "keyra.chm", "keyra.exe"] + (["README.ja.txt"] if os.path.isfile(JA_README) else []))


@test
def test_release_zip_starts_from_an_empty_folder(fx):
    check(os.path.isfile(h.Env.package), "release ZIP missing: %s" % h.Env.package)
    with zipfile.ZipFile(h.Env.package) as z:
        names = sorted(z.namelist())
        check_eq(names, RELEASE_FILES, "files in the ZIP")
        readme = z.read("README.txt").decode("utf-8")
        check("keyra.kr" in readme and "keyra.exe" in readme, "the read-me names the program and its data file")
        folder = tempfile.mkdtemp(prefix="keyra-release-")
        z.extractall(folder)
    exe = os.path.join(folder, "keyra.exe")
    with open(exe, "rb") as f:
        data = f.read()
    at = data.find("ProductVersion".encode("utf-16-le"))
    check(at > 0 and "0.3".encode("utf-16-le") in data[at:at + 48], "the version resource says 0.3")
    k = fx.keyra(folder=folder)  # copies the test's exe over the unpacked one: put it back
    with zipfile.ZipFile(h.Env.package) as z:
        z.extract("keyra.exe", folder)
    try:
        k.start_and_wait()
        check_eq(k.close(), 0, "exit code")
        check_eq(sorted(os.listdir(folder)), sorted(RELEASE_FILES + ["keyra.kr"]), "folder after a run")
    finally:
        k.cleanup()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(h.run())
