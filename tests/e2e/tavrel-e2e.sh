# Shared steps of the end-to-end tests of tavrel.exe (sourced by tests/e2e/e2e_tavrel_*.sh).
# Each test works in "$W" (drive T:, folder T:\<test name>), starts the program under Wine on
# the virtual screen, drives it with xdotool, and reads what a user would see: window titles,
# files, the registry, screenshots. The program is always closed with WM_CLOSE.

# tv_init NAME ROOT WINBUILD
tv_init() {
    TV_NAME="$1"; ROOT="$2"; WINBUILD="$3"
    source "$ROOT/scripts/wine-env.sh"
    source "$ROOT/tests/e2e/jobfiles.sh"
    tavrel_wine_up "$ROOT"
    # TAVREL_E2E_PREFIX: a prefix of one's own, so that programs of other test runs on the same
    # machine (taskkill /IM tavrel.exe closes them all) leave this test alone.
    if [ -n "${TAVREL_E2E_PREFIX:-}" ]; then
        export WINEPREFIX="$TAVREL_E2E_PREFIX"
        # Its Wine session may still belong to the display of an earlier run.
        wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1
        ln -sfn "$TAVREL_SCRATCH" "$WINEPREFIX/dosdevices/t:"
    fi
    trap 'tv_cleanup' EXIT
    W="$TAVREL_SCRATCH/$TV_NAME"
    WIN="T:\\$TV_NAME"
    EXE="$WINBUILD/tavrel.exe"
    SHOTS="$ROOT/build/screenshots"
    KEY='HKCU\Software\Ambrex Software\Tavrel'
    TV_PID=""
    failures=0
    rm -rf "$W"; mkdir -p "$W" "$SHOTS"
    [ -f "$EXE" ] || { echo "FAIL - $EXE is not built"; exit 1; }
}

tv_cleanup() {
    # A program that is still running is asked to close; only if it will not is it stopped.
    if [ -n "$TV_PID" ] && kill -0 "$TV_PID" 2>/dev/null; then
        wine taskkill /IM tavrel.exe >/dev/null 2>&1
        local i
        for i in $(seq 1 20); do kill -0 "$TV_PID" 2>/dev/null || break; sleep 0.25; done
        kill -0 "$TV_PID" 2>/dev/null && kill "$TV_PID" 2>/dev/null
    fi
    # A private Wine session ends with the test, so that it never outlives its display.
    [ -n "${TAVREL_E2E_PREFIX:-}" ] && { wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1; }
    # The display this test started: a Wine process of another session that still holds a
    # connection can keep it from ending at once, and waiting for it must not hang the test.
    if [ -n "${TAVREL_XVFB_STARTED:-}" ] && [ -n "${TAVREL_XVFB_PID:-}" ]; then
        kill "$TAVREL_XVFB_PID" 2>/dev/null
        local j
        for j in $(seq 1 20); do kill -0 "$TAVREL_XVFB_PID" 2>/dev/null || break; sleep 0.25; done
        kill -0 "$TAVREL_XVFB_PID" 2>/dev/null && kill -9 "$TAVREL_XVFB_PID" 2>/dev/null
    fi
    tavrel_wine_down
}

ok() { echo "ok   - $1 (${SECONDS}s)"; }
bad() {
    echo "FAIL - $1 (after ${SECONDS}s)"
    failures=$((failures + 1))
    tv_shot "$TV_NAME-failure-$failures.png"
}
check() { if eval "$2"; then ok "$1"; else bad "$1"; fi; }
tv_finish() {
    echo "$failures failure(s)"
    [ "$failures" = 0 ]
}

tv_reset_settings() { wine reg delete "$KEY" /f >/dev/null 2>&1 || true; }

# tv_reg SUBKEY NAME: the value's text, or nothing.
tv_reg() {
    wine reg query "$KEY\\$1" /v "$2" 2>/dev/null | tr -d '\r' |
        awk -v n="$2" '$1 == n && $2 ~ /^REG_/ { sub(/^[ \t]*[^ \t]+[ \t]+REG_[A-Z_]+[ \t]*/, ""); print; exit }'
}

# tv_reg_export SUBKEY: the subkey as a .reg text in UTF-8, so that value names with Danish
# letters ("Højde") are seen as they are stored.
tv_reg_export() {
    rm -f "$W/reg.reg"
    wine reg export "$KEY\\$1" 'T:\'"$TV_NAME"'\reg.reg' /y >/dev/null 2>&1
    [ -f "$W/reg.reg" ] && iconv -f UTF-16LE -t UTF-8 "$W/reg.reg" | tr -d '\r'
}

# tv_job NAME DEST FOLDER... : a job file (options on: subfolders, only new) and its list.
tv_job() {
    local name="$1" dest="$2"; shift 2
    job_file "$W/$name.tvj" "e2e $name" "$dest" 0 1 .BAK,.TMP 0
    job_list "$W/$name.tvl" "$@"
}

# tv_start ARGS... : starts tavrel.exe in "$W".
tv_start() {
    (cd "$W" && exec wine "$EXE" "$@") >"$W/wine.log" 2>&1 &
    TV_PID=$!
}

# tv_wait REGEX [SECONDS]: the id of the first window whose title matches, once there is one.
tv_wait() {
    local re="$1" limit="${2:-40}" i id
    for i in $(seq 1 $((limit * 4))); do
        id=$(xdotool search --name "$re" 2>/dev/null | head -1)
        if [ -n "$id" ]; then echo "$id"; return 0; fi
        sleep 0.25
    done
    return 1
}

# tv_gone REGEX [SECONDS]: true once no window title matches.
tv_gone() {
    local re="$1" limit="${2:-20}" i
    for i in $(seq 1 $((limit * 4))); do
        xdotool search --name "$re" >/dev/null 2>&1 || return 0
        sleep 0.25
    done
    return 1
}

# tv_main [JOBNAME]: the main window's id once it is shown and painted.
tv_main() {
    local id
    id=$(tv_wait "^Ambrex Tavrel 2 - ${1:-.*}\$" 60) || return 1
    sleep 2.5
    echo "$id"
}

# tv_answer TITLE KEY: presses a key in the message box of that title (focus follows the
# pointer on the bare X server).
tv_answer() {
    local id
    id=$(tv_wait "$1" 30) || return 1
    sleep 0.8
    xdotool mousemove --window "$id" 20 20
    sleep 0.3
    xdotool key "$2"
    sleep 0.5
}

# tv_drive_row LETTER: the client y of a drive's row in the collapsed tree. The tree lists the
# drives C: to Z: that exist, in letter order, 16 pixels a row.
tv_drive_row() {
    local letter="$1" n=0 d
    for d in $(ls "$WINEPREFIX/dosdevices" | grep -E '^[c-z]:$' | sort); do
        [ "$d" = "$letter:" ] && { echo $((73 + 16 * n)); return 0; }
        n=$((n + 1))
    done
    return 1
}
# The client x of the mark box of a drive (level 0): indentation 19 plus 8.
TV_BOX_X=37

# tv_exit [SECONDS]: true once the program has ended.
tv_exit() {
    local limit="${1:-20}" i
    for i in $(seq 1 $((limit * 4))); do
        kill -0 "$TV_PID" 2>/dev/null || { wait "$TV_PID" 2>/dev/null; TV_PID=""; return 0; }
        sleep 0.25
    done
    return 1
}

# tv_close: WM_CLOSE to the program's windows, as Windows' taskkill without /F sends it.
tv_close() { wine taskkill /IM tavrel.exe >/dev/null 2>&1; }

# tv_keys WINDOW KEY...: types the keys into the window (the pointer rests on it, since on
# the bare X server the keyboard follows the pointer).
tv_keys() {
    local id="$1" w h; shift
    # A click on the status bar makes the window the active one, as a user's click would.
    read -r _ _ w h <<<"$(tv_geometry "$id")"
    xdotool mousemove --window "$id" 60 $((h - 8))
    sleep 0.3
    xdotool click 1
    sleep 0.3
    xdotool key --delay 150 "$@"
    sleep 0.5
}

# tv_hover WINDOW KEY...: types the keys with the pointer resting on the window's status bar,
# without a click, so that the window is not activated anew by the test.
tv_hover() {
    local id="$1" w h; shift
    read -r _ _ w h <<<"$(tv_geometry "$id")"
    xdotool mousemove --window "$id" 60 $((h - 8))
    sleep 0.3
    xdotool key --delay 150 "$@"
    sleep 0.5
}

# tv_box_keys BOX TITLE KEY...: types the keys into a dialog box, with the pointer resting on it,
# and waits until no window of that title is left.
tv_box_keys() {
    local box="$1" title="$2"; shift 2
    xdotool mousemove --window "$box" 20 20
    sleep 0.3
    xdotool key "$@"
    tv_gone "$title" 10
}

# tv_doubleclick WINDOW X Y [SECONDS]: a double-click at client point (X, Y) of the window's X
# window (the pointer stays there), then a wait of SECONDS (1).
tv_doubleclick() {
    xdotool mousemove --window "$1" "$2" "$3"
    sleep 0.3
    xdotool click --repeat 2 --delay 80 1
    sleep "${4:-1}"
}

# tv_click WINDOW X Y: a left click at client point (X, Y) of the window's X window.
tv_click() {
    xdotool mousemove --window "$1" "$2" "$3"
    sleep 0.3
    xdotool click 1
    sleep 0.5
}

# tv_save WINDOW FILE: Ctrl+S in the window; true once FILE has been written anew.
tv_save() {
    touch -d '2001-01-01' "$2"
    tv_keys "$1" ctrl+s
    local i
    for i in $(seq 1 20); do
        [ "$(stat -c %Y "$2")" -gt 978307200 ] && return 0
        sleep 0.25
    done
    return 1
}

# tv_differs FILE1 FILE2 X Y W H: true when the two screenshots differ in that screen area.
tv_differs() {
    local a b
    a=$(convert "$SHOTS/$1" -crop "$5x$6+$3+$4" -depth 8 rgb:- | md5sum)
    b=$(convert "$SHOTS/$2" -crop "$5x$6+$3+$4" -depth 8 rgb:- | md5sum)
    [ "$a" != "$b" ]
}

# tv_shot FILE: a screenshot of the virtual screen under build/screenshots.
tv_shot() { import -window root "$SHOTS/$1" 2>/dev/null; }

# tv_pixel FILE X Y: the colour of one screen pixel of a screenshot as "#RRGGBB".
tv_pixel() {
    convert "$SHOTS/$1" -crop "1x1+$2+$3" -depth 8 txt:- 2>/dev/null | tail -1 | grep -o '#[0-9A-F]\{6\}' | head -1
}

# tv_inset FILE X Y W H: in that screen area of a screenshot, the columns from a text bar's grey
# border line to the first black pixel of its text.
tv_inset() {
    convert "$SHOTS/$1" -crop "$4x$5+$2+$3" -depth 8 txt:- 2>/dev/null | tail -n +2 |
        awk -F'[,: ]+' '/#808080/ { if (border == "" || $1 < border) border = $1 }
                        /#000000/ { if (text == "" || $1 < text) text = $1 }
                        END { if (border != "" && text != "") print text - border }'
}

# tv_geometry WINDOW: "X Y WIDTH HEIGHT" of the window's X window on the screen.
tv_geometry() {
    xdotool getwindowgeometry --shell "$1" | tr '\n' ' ' |
        sed -E 's/.*X=([0-9-]+) Y=([0-9-]+) .*WIDTH=([0-9]+) HEIGHT=([0-9]+).*/\1 \2 \3 \4/'
}

# tv_text FILE: a text file of the program without CRs.
tv_text() { tr -d '\r' < "$1"; }
