#!/usr/bin/env bash
# Builds what is missing and starts Tavrel under Wine (private prefix in build/).
# With a display the program starts as usual and gets the arguments: ./run.sh JOB.tvj /R
# Without one (no $DISPLAY) it shows the demo job on a virtual screen: copies demo/ to drive
# T:, runs "tavrel.exe T:\demo\Demo.tvj /R", saves a screenshot (build/demo-screenshot.png)
# and closes the program. The virtual screen has no window manager, so Wine draws the frames
# and title bars of the program's windows itself for the demo, as a user sees them.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")" && pwd)"
source "$ROOT/scripts/start.sh"
# TAVREL_BUILD_DIR: another mingw build tree than build/win.
BUILD="${TAVREL_BUILD_DIR:-build/win}"
tavrel_build_win "$BUILD" tavrel
EXE="$(cd "$BUILD" && pwd)/tavrel.exe"
if [ ! -f "$EXE" ]; then
    echo "$BUILD/tavrel.exe was not built." >&2
    exit 1
fi

if [ -n "${DISPLAY:-}" ]; then
    export WINEPREFIX="$ROOT/build/wineprefix" WINEARCH=win64 WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
    exec wine "$EXE" "$@"
fi

# ---- The demo on a virtual screen ----
tavrel_wine_up "$ROOT"
# Wine leaves the frames to a window manager unless a program's windows are unmanaged; this
# setting holds for tavrel.exe only and is taken away again when the demo ends, since the
# tests of the same Wine prefix measure the windows without frames.
FRAMEKEY='HKCU\Software\Wine\AppDefaults\tavrel.exe\X11 Driver'
# The frame's buttons are letters of Wine's symbol font Marlett, which this Wine does not find
# among its own fonts; for the demo it lies in the prefix's font folder.
MARLETT="$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf"
MARLETT_ADDED=""
frames_off() {
    wine reg delete "$FRAMEKEY" /f >/dev/null 2>&1 || true
    if [ -n "$MARLETT_ADDED" ]; then rm -f "$MARLETT"; fi
}
trap 'frames_off; tavrel_wine_down' EXIT
wine reg add "$FRAMEKEY" /v Managed /d N /f >/dev/null 2>&1
if [ ! -e "$MARLETT" ] && [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    mkdir -p "$(dirname "$MARLETT")" && cp /usr/share/wine/fonts/marlett.ttf "$MARLETT" && MARLETT_ADDED=1
fi
DEMO="$TAVREL_SCRATCH/demo"
rm -rf "$DEMO"
mkdir -p "$DEMO"
cp -r demo/Kilde "$DEMO/Kilde"
cp demo/Demo.tvj demo/Demo.tvl "$DEMO/"
# The destination exists beside the source from the start, so that marking Kilde leaves
# T:\demo\ itself only partly marked.
mkdir -p "$DEMO/Backup"
SHOT="$ROOT/build/demo-screenshot.png"
rm -f "$SHOT"

echo "Starting: tavrel.exe T:\\demo\\Demo.tvj /R"
(cd "$DEMO" && exec wine "$EXE" 'T:\demo\Demo.tvj' /R) >/dev/null 2>&1 &
PID=$!

# The copy has ended when the progress window says so and the main window is up.
done=""
for _ in $(seq 1 120); do
    if xdotool search --name 'Kopiering er afsluttet' >/dev/null 2>&1 &&
        xdotool search --name 'Ambrex Tavrel 2 - Demo' >/dev/null 2>&1; then
        done=1
        break
    fi
    sleep 0.5
done
sleep 1
# The screen is black around the windows; the picture keeps the windows and a small edge.
import -window root "$SHOT.full.png" 2>/dev/null &&
    convert "$SHOT.full.png" -trim -bordercolor black -border 8 +repage "$SHOT" 2>/dev/null
rm -f "$SHOT.full.png"

echo
if [ -n "$done" ]; then
    echo "The copy has ended (\"Kopiering er afsluttet\")."
else
    echo "The copy did not report its end within a minute." >&2
fi
echo "Copied from T:\\demo\\Kilde into T:\\demo\\Backup\\:"
(cd "$DEMO/Backup" 2>/dev/null && find . -type f | sed 's|^\./|  |' | sort) || echo "  (nothing)"
echo "Left out by the type filter (report T:\\demo\\Demo.txt):"
if [ -f "$DEMO/Demo.txt" ]; then tail -n +6 "$DEMO/Demo.txt" | tr -d '\r' | sed 's/^/  /'; fi
[ -f "$SHOT" ] && echo "Screenshot of the main and progress windows: $SHOT"

# Closing asks the program to end as a user would (WM_CLOSE), which saves its settings.
wine taskkill /IM tavrel.exe >/dev/null 2>&1 || true
for _ in $(seq 1 40); do
    kill -0 "$PID" 2>/dev/null || break
    sleep 0.25
done
wait "$PID" 2>/dev/null || true
[ -n "$done" ]
