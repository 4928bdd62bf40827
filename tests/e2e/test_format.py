"""Checks of the harness's own file codec, on which every data-file test relies."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness as h  # noqa: E402
from harness import check, check_eq, test  # noqa: E402


@test
def test_codec_matches_the_program_format(fx):
    # Known values of the 15-bit sequence from seed 1.
    check_eq(h.rand_digits(5, seed=1), [0, 0, 3, 0, 3], "RandRange(0, 9) from seed 1")
    check_eq(h.hex_encode("ab"), "61006200", "hex of ab")
    check_eq(h.multipart("ab"), "\\161006200", "entry with only a title")
    check_eq(h.scramble_lines([]), b"\xff\xfe", "empty document")
    one = h.scramble_lines(["a=b"])
    check_eq(len(one), 46, "size of a=b")
    check(one.endswith("\r\n".encode("utf-16-le")), "file ends with CR LF")
    lines = ["Keyra=0.3", "I0=" + h.multipart("銀行", "", "p=\\x", "", "a\r\nb"), "名前=値=\\"]
    back = h.unscramble_bytes(h.scramble_lines(lines))
    check_eq(back, lines, "round trip")
    check_eq(h.split_parts(h.line_dict(back)["i0"])[:5], ["銀行", "", "p=\\x", "", "a\r\nb"], "parts")
    # A later part number wins, text before the first marker is ignored.
    check_eq(h.split_parts("zz\\1" + h.hex_encode("x") + "\\1" + h.hex_encode("y"))[0], "y", "repeated part")


@test
def test_codec_rejects_what_the_program_never_writes(fx):
    good = h.scramble_lines(["a=b"])
    for label, data in (("no BOM", good[2:]), ("upper-case hex", good.upper().replace(b"\xFF\xFE", b"\xff\xfe")),
                        ("missing CR LF", good[:-4]), ("odd length", good[:-6] + "\r\n".encode("utf-16-le"))):
        try:
            h.unscramble_bytes(data)
        except h.FormatError:
            continue
        raise AssertionError("%s was accepted" % label)


if __name__ == "__main__":
    sys.exit(h.run())
