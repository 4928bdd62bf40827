# Source this file to get a private X display and a fresh Wine prefix for running the
# Windows programs:   . scripts/wine-env.sh
# It exports DISPLAY, WINEPREFIX, WINEDEBUG and WINEDLLOVERRIDES, and installs an EXIT trap
# (keyra_wine_cleanup) that ends exactly what it started and removes the prefix.
# Call keyra_wine_cleanup yourself to clean up earlier; calling it twice is harmless.

. "$(dirname "${BASH_SOURCE[0]}")/wine-env-common.sh"

keyra_wine_setup() {
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    trap keyra_wine_cleanup EXIT
    keyra_start_xvfb || return 1
    KEYRA_WINE_PREFIX_OWNED="$(mktemp -d /tmp/keyra-wine.XXXXXX)"
    export WINEPREFIX="$KEYRA_WINE_PREFIX_OWNED"
    keyra_wine_log "creating Wine prefix $WINEPREFIX (wineboot -i)"
    if ! wineboot -i >/dev/null 2>&1; then
        keyra_wine_log "wineboot failed"
        return 1
    fi
    wineserver -w >/dev/null 2>&1 || true
    keyra_apply_font_link || { keyra_wine_log "font link failed"; return 1; }
    # A persistent server keeps every later wine start quick.
    wineserver -p >/dev/null 2>&1 || true
    keyra_wine_log "ready"
}

keyra_wine_setup
