#!/bin/bash
# Builds keyra.exe and starts it under Wine from ~/.local/share/keyra, where the data file
# keyra.kr stays between rebuilds.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"
. scripts/wine-env-common.sh

bash scripts/deps.sh
echo "[run] building keyra.exe"
cmake --preset windows >/dev/null
cmake --build --preset windows -j 2 --target keyra

HOME_DIR="$HOME/.local/share/keyra"
mkdir -p "$HOME_DIR"
cp build/windows/keyra.exe "$HOME_DIR/keyra.exe"
if command -v chmcmd >/dev/null 2>&1; then
    echo "[run] building keyra.chm"
    if bash scripts/build-help.sh "$HOME_DIR" >/dev/null; then :; else echo "[run] help file not built"; fi
fi

export WINEDEBUG="${WINEDEBUG:--all}"
# The first start of a new prefix would otherwise offer to install Mono and Gecko.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
PREFIX="${WINEPREFIX:-$HOME/.wine}"
export WINEPREFIX="$PREFIX"

if [ -z "${DISPLAY:-}" ]; then
    keyra_start_xvfb
    echo "[run] no DISPLAY: started Xvfb on $DISPLAY (the window is not visible on your screen)"
    trap 'kill "$KEYRA_XVFB_PID" 2>/dev/null || true' EXIT
fi

if [ ! -f "$PREFIX/system.reg" ]; then
    echo "[run] creating the Wine prefix $PREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w || true
fi
if ! grep -qF '"Tahoma"="NotoSansCJK-Regular.ttc"' "$PREFIX/system.reg" 2>/dev/null ||
    ! grep -qF '"MS UI Gothic"="Noto Sans CJK JP"' "$PREFIX/user.reg" 2>/dev/null; then
    echo "[run] adding the Japanese font link to $PREFIX"
    keyra_apply_font_link
fi

echo "[run] starting $HOME_DIR/keyra.exe"
cd "$HOME_DIR"
wine "$HOME_DIR/keyra.exe"
