# A virtual display and a private Wine prefix inside build/, shared by every Windows test.
# Sourced; sets DISPLAY, WINEPREFIX and TAVREL_SCRATCH (the host folder behind drive T:).
# Idempotent: a second source in the same environment reuses what the first started.
tavrel_wine_up() {
    local root="$1"
    export WINEPREFIX="$root/build/wineprefix"
    export WINEARCH=win64
    export WINEDEBUG=-all
    # No Mono/Gecko installer dialogs, no desktop menu entries.
    export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
    export TAVREL_SCRATCH="$root/build/scratch"
    mkdir -p "$TAVREL_SCRATCH"
    TAVREL_XVFB_STARTED=""
    if [ -n "${TAVREL_XVFB_PID:-}" ] && kill -0 "$TAVREL_XVFB_PID" 2>/dev/null; then
        :  # the caller's display
    elif [ -n "${DISPLAY:-}" ] && [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ]; then
        :  # a display that is already there
    else
        TAVREL_XVFB_STARTED=1
        local n
        for n in $(seq 91 160); do
            if [ ! -e /tmp/.X11-unix/X$n ] && [ ! -e /tmp/.X$n-lock ]; then break; fi
        done
        Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        TAVREL_XVFB_PID=$!
        export DISPLAY=:$n
        local i
        for i in $(seq 1 50); do
            [ -e /tmp/.X11-unix/X$n ] && break
            sleep 0.1
        done
    fi
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Creating the Wine prefix in $WINEPREFIX (once)..."
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
    # Drive T: is the scratch folder.
    ln -sfn "$TAVREL_SCRATCH" "$WINEPREFIX/dosdevices/t:"
}

# Stops the display this shell started (and, with "all", the Wine server too).
tavrel_wine_down() {
    [ "${1:-}" = all ] && { wineserver -k >/dev/null 2>&1 || true; }
    if [ -n "${TAVREL_XVFB_STARTED:-}" ] && [ -n "${TAVREL_XVFB_PID:-}" ]; then
        kill "$TAVREL_XVFB_PID" >/dev/null 2>&1 || true
        wait "$TAVREL_XVFB_PID" 2>/dev/null || true
    fi
}
