# Functions shared by wine-env.sh and run.sh: an Xvfb on a free display, the Japanese font
# link for a Wine prefix, and the cleanup of what wine-env.sh started. Source it; it starts nothing.

keyra_wine_log() { echo "[wine-env] $*" >&2; }

keyra_wine_cleanup() {
    if [ -n "${KEYRA_WINE_PREFIX_OWNED:-}" ]; then
        WINEPREFIX="$KEYRA_WINE_PREFIX_OWNED" wineserver -k >/dev/null 2>&1 || true
        # wineserver -k returns at once; wait (briefly) for it to let go of the prefix.
        WINEPREFIX="$KEYRA_WINE_PREFIX_OWNED" timeout 10 wineserver -w >/dev/null 2>&1 || true
        rm -rf -- "$KEYRA_WINE_PREFIX_OWNED"
        KEYRA_WINE_PREFIX_OWNED=
    fi
    if [ -n "${KEYRA_XVFB_PID:-}" ]; then
        kill "$KEYRA_XVFB_PID" >/dev/null 2>&1 || true
        wait "$KEYRA_XVFB_PID" 2>/dev/null || true
        KEYRA_XVFB_PID=
    fi
}

# The first display number from :90 up with no lock file that Xvfb accepts.
keyra_start_xvfb() {
    local n=90 tries=0
    while [ "$tries" -lt 40 ]; do
        if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then
            Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
            KEYRA_XVFB_PID=$!
            local waited=0
            # Ready when the socket exists; gone early means another server took the number.
            while [ "$waited" -lt 100 ]; do
                if ! kill -0 "$KEYRA_XVFB_PID" 2>/dev/null; then break; fi
                if [ -S "/tmp/.X11-unix/X${n}" ]; then
                    export DISPLAY=":$n"
                    keyra_wine_log "Xvfb on $DISPLAY (pid $KEYRA_XVFB_PID)"
                    return 0
                fi
                sleep 0.1
                waited=$((waited + 1))
            done
            kill "$KEYRA_XVFB_PID" >/dev/null 2>&1 || true
            wait "$KEYRA_XVFB_PID" 2>/dev/null || true
            KEYRA_XVFB_PID=
        fi
        n=$((n + 1))
        tries=$((tries + 1))
    done
    keyra_wine_log "no free X display found"
    return 1
}

# Wine shows Japanese through this font link; without it the texts are boxes.
keyra_font_link_reg() {
    cat <<'EOF'
REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]
"Tahoma"="NotoSansCJK-Regular.ttc"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"MS UI Gothic"="Noto Sans CJK JP"
EOF
}

# Applies the font link to the prefix in $WINEPREFIX.
keyra_apply_font_link() {
    local reg
    reg="$(mktemp --suffix=.reg)"
    keyra_font_link_reg >"$reg"
    wine regedit "$reg" >/dev/null 2>&1
    local rc=$?
    wineserver -w >/dev/null 2>&1 || true
    rm -f -- "$reg"
    return $rc
}
