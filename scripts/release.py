#!/usr/bin/env python3
"""The release steps that must give the same bytes on every build of a commit.

  release.py chm FILE.chm [--epoch N]
      puts the release stamp where chmcmd writes the time of day it compiled the help file
  release.py zip OUT.zip FILE... [--epoch N]
      writes the release ZIP (the files at its top level, in the given order) and SHA256SUMS
      beside it, naming the ZIP and each file in it

N is the release time in seconds since 1970 (UTC); without --epoch it is SOURCE_DATE_EPOCH, else
the time of the last commit.
"""

import argparse
import hashlib
import os
import struct
import subprocess
import sys
import time
import zipfile

ZIP_EARLIEST = 315532800  # 1980-01-01 00:00:00 UTC: a ZIP cannot hold an earlier time


def release_epoch(given):
    if given is not None:
        return given
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = subprocess.run(["git", "-C", root, "log", "-1", "--format=%ct"], capture_output=True, text=True, check=True)
    return int(out.stdout.strip())


def encint(data, at):
    """Reads one of the help file's variable-length numbers (7 bits a byte, high bit: more)."""
    value = 0
    while True:
        byte = data[at]
        at += 1
        value = (value << 7) | (byte & 0x7F)
        if not byte & 0x80:
            return value, at


def chm_entry(data, wanted):
    """(offset in the file, length) of an uncompressed entry of the help file's directory."""
    if data[:4] != b"ITSF" or struct.unpack_from("<I", data, 4)[0] != 3:
        raise ValueError("not a help file of version 3")
    dir_at = struct.unpack_from("<Q", data, 0x48)[0]
    content_at = struct.unpack_from("<Q", data, 0x58)[0]
    if data[dir_at:dir_at + 4] != b"ITSP":
        raise ValueError("no directory header")
    header_len, _, chunk_size = struct.unpack_from("<III", data, dir_at + 8)
    chunks = struct.unpack_from("<I", data, dir_at + 0x2C)[0]
    for n in range(chunks):
        chunk = data[dir_at + header_len + n * chunk_size:dir_at + header_len + (n + 1) * chunk_size]
        if chunk[:4] != b"PMGL":
            continue
        end = chunk_size - struct.unpack_from("<I", chunk, 4)[0]
        at = 0x14
        while at < end:
            size, at = encint(chunk, at)
            name = chunk[at:at + size]
            at += size
            section, at = encint(chunk, at)
            offset, at = encint(chunk, at)
            length, at = encint(chunk, at)
            if name == wanted and section == 0:
                return content_at + offset, length
    raise ValueError("no %s in the help file" % wanted.decode())


def stamp_chm(path, epoch):
    """chmcmd writes the millisecond of the day twice: big-endian in the file header and as
    record 10 of #SYSTEM. Both get the release time's instead."""
    with open(path, "rb") as f:
        data = bytearray(f.read())
    ms = (epoch % 86400) * 1000
    struct.pack_into(">I", data, 0x10, ms)
    at, length = chm_entry(data, b"/#SYSTEM")
    end = at + length
    at += 4  # the version
    while at + 4 <= end:
        code, size = struct.unpack_from("<HH", data, at)
        if code == 10 and size == 4:
            struct.pack_into("<I", data, at + 4, ms)
            break
        at += 4 + size
    else:
        raise ValueError("no compile time in #SYSTEM")
    with open(path, "wb") as f:
        f.write(data)


def write_zip(out, files, epoch):
    names = [os.path.basename(f) for f in files]
    if len(set(names)) != len(names):
        raise ValueError("two files of one name: %s" % names)
    when = time.gmtime(max(epoch, ZIP_EARLIEST))[:6]
    sums = []
    part = out + ".part"
    with zipfile.ZipFile(part, "w") as z:
        for path, name in zip(files, names):
            with open(path, "rb") as f:
                data = f.read()
            info = zipfile.ZipInfo(name, date_time=when)
            info.compress_type = zipfile.ZIP_DEFLATED
            # Made on "MS-DOS", with only the archive attribute as Windows' own ZIP folders write it:
            # no owner, mode bits or umask of the build machine.
            info.create_system = 0
            info.external_attr = 0x20
            z.writestr(info, data, compresslevel=9)
            sums.append((hashlib.sha256(data).hexdigest(), name))
    with open(part, "rb") as f:
        sums.insert(0, (hashlib.sha256(f.read()).hexdigest(), os.path.basename(out)))
    os.replace(part, out)
    # The format of sha256sum, so that `sha256sum -c` checks it.
    with open(os.path.join(os.path.dirname(os.path.abspath(out)), "SHA256SUMS"), "w", newline="\n") as f:
        f.writelines("%s  %s\n" % s for s in sums)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    common = argparse.ArgumentParser(add_help=False)
    common.add_argument("--epoch", type=int, help="release time, seconds since 1970 (UTC)")
    sub = ap.add_subparsers(dest="what", required=True)
    sub.add_parser("chm", parents=[common]).add_argument("file")
    z = sub.add_parser("zip", parents=[common])
    z.add_argument("out")
    z.add_argument("files", nargs="+")
    args = ap.parse_args()
    epoch = release_epoch(args.epoch)
    if args.what == "chm":
        stamp_chm(args.file, epoch)
    else:
        write_zip(args.out, args.files, epoch)
    return 0


if __name__ == "__main__":
    sys.exit(main())
