#!/bin/bash
# Installs the Debian packages that building and testing Keyra need, when any is missing.
set -euo pipefail

PACKAGES=(cmake ninja-build g++ libgtest-dev googletest libbenchmark-dev
          g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
          wine wine64 xvfb xdotool x11-utils openbox fonts-noto-cjk imagemagick fp-utils 7zip python3)

missing=()
for p in "${PACKAGES[@]}"; do
    status="$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)"
    [ "$status" = "install ok installed" ] || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "[deps] all packages present"
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    SUDO=()
elif command -v sudo >/dev/null 2>&1; then
    SUDO=(sudo)
else
    echo "[deps] missing packages (${missing[*]}) and neither root nor sudo available" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
echo "[deps] installing: ${missing[*]}"
echo "[deps] apt-get update"
"${SUDO[@]}" apt-get update -q </dev/null
"${SUDO[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
echo "[deps] done"
