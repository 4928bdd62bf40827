#!/bin/bash
# Compiles help/ into keyra.chm with chmcmd (from fp-utils) and puts it into the given folder.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
DEST="${1:-$ROOT/build}"
command -v chmcmd >/dev/null 2>&1 || { echo "[help] chmcmd not found (package fp-utils)" >&2; exit 1; }
command -v iconv >/dev/null 2>&1 || { echo "[help] iconv not found" >&2; exit 1; }
mkdir -p "$DEST"
WORK="$(mktemp -d)"
trap 'rm -rf -- "$WORK"' EXIT
cp -r "$ROOT/help/." "$WORK/"
# HTML Help reads the project, contents and index in the help file's code page (932), not UTF-8.
for f in keyra.hhp toc.hhc keyra.hhk; do
    iconv -f UTF-8 -t CP932 -o "$WORK/$f" "$ROOT/help/$f"
done
(cd "$WORK" && chmcmd --no-html-scan keyra.hhp)
[ -s "$WORK/keyra.chm" ] || { echo "[help] chmcmd wrote no keyra.chm" >&2; exit 1; }
cp "$WORK/keyra.chm" "$DEST/keyra.chm"
echo "[help] $DEST/keyra.chm"
