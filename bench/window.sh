# The window against the console runner, sourced by bench/run.sh --window.
# 1. A copy run started with "/R": tavrel.exe until its progress window reads "Kopiering er
#    afsluttet", against tavrelc.exe until it ends, on the same job and tree, full and rerun.
# 2. Opening a folder with 5 000 subfolders in the tree: tavrel.exe started with a job whose
#    folder lies in such a folder, until its caption names the job, less the same start with a
#    job whose folder lies in a folder with one subfolder.
# Only the windows of the process started here are looked at, and only that process is ended
# (after the measurement, so that it writes no settings at closing).

# wait_window PID TITLE TIMEOUT: seconds from now until a window of the process with exactly
# this title is there; empty on timeout.
wait_window() {
    local pid="$1" title="$2" limit="$3" start now
    start=$(date +%s.%N)
    while :; do
        if xdotool search --all --pid "$pid" --name "^${title}\$" >/dev/null 2>&1; then
            now=$(date +%s.%N)
            echo "$now - $start" | bc
            return
        fi
        now=$(date +%s.%N)
        if [ "$(echo "$now - $start > $limit" | bc)" = 1 ] || ! kill -0 "$pid" 2>/dev/null; then
            return
        fi
        sleep 0.05
    done
}

# window_run TREE SCENARIO REP TITLE JOB [ARGS]: starts tavrel.exe, records the time until the
# title shows, ends the process.
window_run() {
    local tree="$1" scen="$2" rep="$3" title="$4"; shift 4
    sync
    local t0 pid secs
    t0=$(date +%s.%N)
    (cd "$W" && exec wine "$TAVREL" "$@" </dev/null >/dev/null 2>&1) &
    pid=$!
    secs=$(wait_window "$pid" "$title" 900)
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    # The Wine side of the ended process goes with it; give the server a moment.
    sleep 1
    if [ -z "$secs" ]; then
        echo "  !! tavrel.exe $tree/$scen: \"$title\" did not appear" >&2
        return
    fi
    printf '%s,%s,tavrel,%s,%.2f,,0,,\n' "$tree" "$scen" "$rep" "$secs" >> "$CSV.new"
    printf '  %-10s %-12s %-8s rep %s: %7.2f s\n' "$tree" "$scen" tavrel "$rep" "$secs"
}

# Under Xvfb no window manager answers, and Wine waits two seconds for one each time it shows
# or hides a window it leaves to the manager. A Windows desktop has no such wait, so Wine draws
# the windows itself (Managed=N) while the window is measured; the setting is put back after.
X11KEY='HKCU\Software\Wine\X11 Driver'
managed_off() {
    MANAGED_BEFORE=$( (wine reg query "$X11KEY" /v Managed </dev/null 2>/dev/null || true) | tr -d '\r' | awk '$1 == "Managed" {print $3}')
    wine reg add "$X11KEY" /v Managed /d N /f </dev/null >/dev/null 2>&1
}
managed_restore() {
    if [ -n "$MANAGED_BEFORE" ]; then
        wine reg add "$X11KEY" /v Managed /d "$MANAGED_BEFORE" /f </dev/null >/dev/null 2>&1
    else
        wine reg delete "$X11KEY" /v Managed /f </dev/null >/dev/null 2>&1 || true
    fi
}

bench_window() {
    TAVREL="$BUILD/tavrel.exe"
    command -v bc >/dev/null || { apt-get install -y -qq bc >/dev/null 2>&1 || true; }
    managed_off
    local tree=dokumenter
    echo "Window ($tree, scale $SCALE)"
    python3 bench/gentree.py make "$W/src" "$tree" "$SCALE"
    local N
    N=$(python3 bench/gentree.py count "$W/src" "$tree" "$SCALE")
    write_job vindue "$tree" 0
    sed -i "s/tavrel-$tree/vindue/" "$W/jobs/vindue.tvj"
    local rep
    for rep in $(seq 1 "$REPS"); do
        rm -rf "$W/dst/vindue"
        window_run "window-$tree" "copy" "$rep" "Kopiering er afsluttet" 'M:\jobs\vindue.tvj' /R
        rm -rf "$W/dst/vindue"
        measure "window-$tree" "copy" tavrelc "$rep" "$N" -- wine "$TAVRELC" 'M:\jobs\vindue.tvj' /R /J
        window_run "window-$tree" "rerun" "$rep" "Kopiering er afsluttet" 'M:\jobs\vindue.tvj' /R
        measure "window-$tree" "rerun" tavrelc "$rep" 0 -- wine "$TAVRELC" 'M:\jobs\vindue.tvj' /R /J
    done

    # A folder with 5 000 subfolders, and one with a single subfolder.
    if [ ! -f "$W/bred/.made" ]; then
        rm -rf "$W/bred"
        mkdir -p "$W/bred"
        (cd "$W/bred" && seq -f 'Mappe %04g' 1 5000 | xargs -d '\n' mkdir)
        touch "$W/bred/.made"
    fi
    mkdir -p "$W/smal/Mappe 0001"
    printf 'FilVer=2\r\nBeskiv=Bred\r\nDest=M:\\dst\\bred\\\r\nSletDest=0\r\nUndermapper=1\r\nKunNye=1\r\nKunFiltyper=0\r\nFilTyper=\r\nModsat=0\r\n' > "$W/jobs/bred.tvj"
    printf 'M:\\bred\\Mappe 2500\\\r\n' > "$W/jobs/bred.tvl"
    sed 's/Bred/Smal/; s/\\bred\\/\\smal\\/' "$W/jobs/bred.tvj" > "$W/jobs/smal.tvj"
    printf 'M:\\smal\\Mappe 0001\\\r\n' > "$W/jobs/smal.tvl"
    for rep in $(seq 1 "$REPS"); do
        window_run "window-tree" "open-1" "$rep" "Ambrex Tavrel 2 - smal" 'M:\jobs\smal.tvj'
        window_run "window-tree" "open-5000" "$rep" "Ambrex Tavrel 2 - bred" 'M:\jobs\bred.tvj'
    done
    managed_restore
}
