#!/bin/bash
# Builds the release twice from two clean clones of the current commit, in folders of different
# path lengths one after the other, and checks that keyra.exe, keyra.chm, the ZIP and SHA256SUMS
# are the same bytes, that SHA256SUMS holds for the ZIP and each file in it, and that no folder
# of either build is named in keyra.exe. Only the committed state is built.
# Its last line is "reproducible: ..." or "NOT reproducible: ..."; exit code 0 when reproducible.
set -u
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
COMMIT="$(git -C "$ROOT" rev-parse HEAD)" || exit 1
WORK="$(mktemp -d "${TMPDIR:-/tmp}/keyra-repro.XXXXXX")"
ZIP=keyra-0.3-win64.zip
FILES=(keyra.exe keyra.chm "$ZIP" SHA256SUMS)

say() { echo "[repro] $*"; }
fail() {
    echo "NOT reproducible: $*  (both builds kept in $WORK)"
    exit 1
}

[ -z "$(git -C "$ROOT" status --porcelain --untracked-files=no)" ] ||
    say "the work tree has changes that are not committed: they are not in these builds"

# build <folder>: a clean clone of COMMIT there and the release targets only (no tests).
build() {
    local dir="$1" start
    mkdir -p "$(dirname "$dir")"
    start=$(date +%s)
    git clone -q --no-checkout "$ROOT" "$dir" || return 1
    git -C "$dir" checkout -q --detach "$COMMIT" 2>/dev/null ||
        { git -C "$dir" fetch -q "$ROOT" "$COMMIT" && git -C "$dir" checkout -q --detach "$COMMIT"; } || return 1
    (cd "$dir" && cmake --preset windows && cmake --build --preset windows -j 2 --target keyra_zip) \
        >"$dir.log" 2>&1 || { tail -n 20 "$dir.log"; return 1; }
    say "built $dir in $(($(date +%s) - start)) s"
}

A="$WORK/a"
B="$WORK/some/much/longer/path/to/the/second/build/b"
build "$A" || fail "the build in $A failed"
build "$B" || fail "the build in $B failed"

differ=()
for f in "${FILES[@]}"; do
    [ -f "$A/build/windows/$f" ] || fail "$f was not made"
    if cmp -s "$A/build/windows/$f" "$B/build/windows/$f"; then
        say "same   $(sha256sum "$A/build/windows/$f" | cut -c1-64)  $f"
    else
        say "DIFFER $f: $(cmp -l "$A/build/windows/$f" "$B/build/windows/$f" 2>/dev/null | wc -l) bytes"
        differ+=("$f")
    fi
done
[ ${#differ[@]} -eq 0 ] || fail "${differ[*]} differ"

# SHA256SUMS names the ZIP and every file in it, and each sum holds.
mkdir -p "$WORK/unpacked"
cp "$A/build/windows/$ZIP" "$A/build/windows/SHA256SUMS" "$WORK/unpacked/"
python3 -m zipfile -e "$WORK/unpacked/$ZIP" "$WORK/unpacked/" </dev/null || fail "the ZIP does not unpack"
listed="$(cut -c67- "$WORK/unpacked/SHA256SUMS" | sort | tr '\n' ' ')"
inzip="$( (echo "$ZIP"; python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' \
    "$WORK/unpacked/$ZIP" </dev/null) | sort | tr '\n' ' ')"
[ "$listed" = "$inzip" ] || fail "SHA256SUMS names $listed, the ZIP and its files are $inzip"
(cd "$WORK/unpacked" && sha256sum --quiet -c SHA256SUMS) || fail "a sum in SHA256SUMS does not hold"

# The two keyra.exe are the same, so looking into one for the folders of both is enough.
for dir in "$WORK" "$ROOT"; do
    if { strings -a "$A/build/windows/keyra.exe"; strings -a -el "$A/build/windows/keyra.exe"; } | grep -qF "$dir"; then
        fail "keyra.exe names the folder $dir"
    fi
done

zip_sum="$(sha256sum "$A/build/windows/$ZIP" | cut -c1-64)"
rm -rf "$WORK"
echo "reproducible: keyra.exe, keyra.chm, the ZIP and SHA256SUMS the same in two builds of ${COMMIT:0:7} (ZIP $zip_sum)"
