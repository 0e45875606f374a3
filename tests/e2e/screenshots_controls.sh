#!/usr/bin/env bash
# Screenshots of the reusable controls under Wine + Xvfb, for a person to look at:
#   bash tests/e2e/screenshots_controls.sh ROOT WINBUILD [OUTDIR]
# WINBUILD holds demo_controls.exe. The pictures go to OUTDIR (default ROOT/build/screenshots).
set -euo pipefail
ROOT="$1"; WINBUILD="$2"; OUT="${3:-$ROOT/build/screenshots}"
DEMO="$WINBUILD/demo_controls.exe"
[ -f "$DEMO" ] || { echo "missing $DEMO (build the target demo_controls)"; exit 1; }

started_display=""
[ -z "${TAVREL_XVFB_PID:-}" ] && started_display=yes
source "$ROOT/scripts/wine-env.sh"
tavrel_wine_up "$ROOT"
# Only the display this script started is stopped; the Wine server is shared with others.
cleanup() { [ -n "$started_display" ] && kill "$TAVREL_XVFB_PID" 2>/dev/null || true; }
trap cleanup EXIT

mkdir -p "$OUT"
scratch="$TAVREL_SCRATCH/screenshots_controls"
rm -rf "$scratch"
mkdir -p "$scratch/Alpha/.skjult" "$scratch/beta" "$scratch/Gamma/Sub/Dyb" \
         "$scratch/Programmer/Faelles/Data"
touch "$scratch/beta/fil.txt"
folder='T:\screenshots_controls\'

# Runs one scene, waits for its window, takes the picture; the demo ends by itself.
shoot() {
    local name="$1" title="$2"; shift 2
    wine "$DEMO" "$@" >/dev/null 2>&1 &
    local pid=$!
    local i
    for i in $(seq 1 100); do
        xdotool search --name "$title" >/dev/null 2>&1 && break
        sleep 0.2
    done
    # Wine maps and paints the window a moment after it exists.
    sleep 3.5
    import -window root "$OUT/$name.png"
    echo "$OUT/$name.png"
    wait "$pid" || true
}

shoot controls "Tavrel - kontroller" main "$folder"
shoot indboks "^Job$" indboks
shoot browse "Vælg|Browse|Søg" browse "${folder}Programmer\\Faelles"
