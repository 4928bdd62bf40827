#!/bin/bash
# Compiles help/ into keyra.chm with chmcmd (from fp-utils) and puts it into the given folder.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
DEST="${1:-$ROOT/build}"
command -v chmcmd >/dev/null 2>&1 || { echo "[help] chmcmd not found (package fp-utils)" >&2; exit 1; }
mkdir -p "$DEST"
WORK="$(mktemp -d)"
trap 'rm -rf -- "$WORK"' EXIT
cp -r "$ROOT/help/." "$WORK/"
(cd "$WORK" && chmcmd --no-html-scan keyra.hhp)
[ -s "$WORK/keyra.chm" ] || { echo "[help] chmcmd wrote no keyra.chm" >&2; exit 1; }
cp "$WORK/keyra.chm" "$DEST/keyra.chm"
echo "[help] $DEST/keyra.chm"
