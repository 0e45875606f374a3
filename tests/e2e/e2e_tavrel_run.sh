#!/usr/bin/env bash
# Runs started with the main window's buttons: Esc aborts a copy, a second Start or
# Information during a run does not start another one, and closing the window during a run
# aborts it, lets it finish its last steps, then closes with the save question and the settings.
# Usage: e2e_tavrel_run.sh ROOT WINBUILD
set -uo pipefail
source "$1/tests/e2e/tavrel-e2e.sh"
tv_init e2e_tavrel_run "$1" "$2"

# 20 000 files in 200 folders: a copy takes well over ten seconds under Wine even on an idle
# machine; every run below is stopped long before its end.
mkdir -p "$W/Andet"
python3 - "$W/Kilde" <<'PY'
import os, sys
for d in range(200):
    p = os.path.join(sys.argv[1], "Mappe%03d" % d)
    os.makedirs(p, exist_ok=True)
    for f in range(100):
        with open(os.path.join(p, "fil%03d.txt" % f), "wb") as h:
            h.write(os.urandom(2048))
PY
printf 'x\r\n' > "$W/Kilde/udeladt.bak"
TOTAL=20000
tv_job run "$WIN\\Backup\\" "$WIN\\Kilde\\"
tv_reset_settings
copied() { find "$W/Backup" -type f -name '*.txt' 2>/dev/null | wc -l; }
# under_way: waits until the run has copied some files (the machine may be busy).
under_way() {
    local i
    for i in $(seq 1 120); do
        [ "$(copied)" -ge 20 ] && return 0
        sleep 0.25
    done
    return 1
}
# The buttons below the options, in the window's client area at 96 DPI.
START="519 350"; INFO="406 350"

tv_start "$WIN\\run.tvj"
id=$(tv_main run) || { bad "the main window appears"; tv_finish; exit 1; }

# ---- Esc in the main window aborts the copy ----
tv_click $id $START
check "Start shows the progress window" 'tv_wait "^Kopierer filer\.\.\.$" 20 >/dev/null'
check "the copy is under way" 'under_way'
# Information during the run starts nothing; the click leaves the keyboard on that button.
# On the bare X server a key typed right after a click is now and then lost before it
# reaches Wine, so Esc is typed again while the run is still going.
for attempt in 1 2 3; do
    tv_click $id $INFO
    xdotool key Escape
    sleep 1
    xdotool search --onlyvisible --name '^Kopierer filer\.\.\.$' >/dev/null 2>&1 || break
done
st=$(tv_wait '^Kopiering er afsluttet$' 60)
check "after Esc the copy ends with \"Kopiering er afsluttet\"" '[ -n "$st" ]'
n=$(copied)
check "the copy stopped part-way ($n of $TOTAL files)" '[ $n -gt 0 ] && [ $n -lt $TOTAL ]'
check "an aborted copy records no stamp" '[ -z "$(tv_reg Filer run.tvj)" ]'
check "an aborted copy writes its report" 'tv_text "$W/run.txt" | head -1 | grep -qx "Tavrel - Ikke-kopierede filer"'
sleep 3
m=$(copied)
check "no file is copied after the abort ($n, then $m)" '[ $m = $n ]'
tv_shot tavrel-run-aborted.png

# ---- Ctrl+O, a second Start and Information during a run start nothing ----
rm -rf "$W/Backup"
tv_click $id $START
tv_wait '^Kopierer filer\.\.\.$' 20 >/dev/null
under_way
# Opening another job would change the job whose copy is being recorded; it waits for the run.
tv_keys $id ctrl+o
check "the run is still going when Ctrl+O is pressed" 'xdotool search --onlyvisible --name "^Kopierer filer\.\.\.$" >/dev/null 2>&1'
sleep 1
dialog=$(xdotool search --onlyvisible --name "^(Open|Åbn)$" 2>/dev/null | head -1)
check "Ctrl+O during a run opens no file dialog" '[ -z "$dialog" ]'
[ -n "$dialog" ] && tv_answer "^(Open|Åbn)$" Escape
tv_click $id $START
tv_click $id $INFO
check "the copy goes on after the second Start and Information" 'xdotool search --onlyvisible --name "^Kopierer filer\.\.\.$" >/dev/null 2>&1'
# Gem som would move the run's report and stamp to another name; it waits for the run too.
tv_keys $id alt+f m
sleep 1
dialog=$(xdotool search --onlyvisible --name "^(Save As|Gem som)$" 2>/dev/null | head -1)
check "Gem som during a run opens no file dialog" '[ -z "$dialog" ]'
[ -n "$dialog" ] && tv_answer "^(Save As|Gem som)$" Escape
# Planlæg... may save the job under a new name first; it waits as Gem som does.
tv_keys $id alt+f p
sleep 1
dialog=$(xdotool search --onlyvisible --name "^(Planl.*g - |Gem job$)" 2>/dev/null | head -1)
check "Planlæg during a run opens no dialog" '[ -z "$dialog" ]'
[ -n "$dialog" ] && tv_answer "^(Planl.*g - |Gem job$)" Escape
# The menu left open by the greyed item is closed; a key too many only aborts the run early.
xdotool key Escape
for attempt in 1 2 3; do
    xdotool key Escape
    sleep 1
    xdotool search --onlyvisible --name '^Kopierer filer\.\.\.$' >/dev/null 2>&1 || break
    tv_click $id $INFO
done
st=$(tv_wait '^Kopiering er afsluttet$' 60)
check "the run ends once, as a copy" '[ -n "$st" ] && ! xdotool search --name "^Optælling er afsluttet$" >/dev/null 2>&1'
check "the copy was the only run: still part-way ($(copied) of $TOTAL files)" '[ $(copied) -lt $TOTAL ]'
tv_shot tavrel-run-second-start.png

# ---- Closing during a run ----
rm -rf "$W/Backup"
wine reg delete "$KEY\\Filer" /v run.tvj /f >/dev/null 2>&1
rm -f "$W/run.txt"
tv_click $id $START
tv_wait '^Kopierer filer\.\.\.$' 20 >/dev/null
under_way
# An unsaved change made during the run: the close must still ask about it.
tv_click $id $TV_BOX_X "$(tv_drive_row t)"
tv_click $id $TV_BOX_X "$(tv_drive_row t)"
tv_close
box=$(tv_wait '^Gem job$' 60)
check "closing during a run first ends the run, then asks \"Gem job\"" '[ -n "$box" ]'
check "the run finished its last steps: the report is written" 'tv_text "$W/run.txt" | grep -qx "Antal: [0-9]*"'
n=$(copied)
check "the run stopped part-way ($n of $TOTAL files)" '[ $n -lt $TOTAL ]'
tv_answer '^Gem job$' n
check "the program ends after the answer" 'tv_exit 20'
check "the aborted run records no stamp" '[ -z "$(tv_reg Filer run.tvj)" ]'
check "the settings are written at the close" '[ "$(tv_reg Start Fil)" = "$WIN\\run.tvj" ] && [ "$(tv_reg Start Top)" = 5 ]'
check "answered No, the job is not saved" '[ "$(tv_text "$W/run.tvl")" = "T:\\e2e_tavrel_run\\Kilde\\" ]'
tv_finish
