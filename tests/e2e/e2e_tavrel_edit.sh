#!/usr/bin/env bash
# Editing a job in tavrel.exe: marks set by mouse presses on the tree's boxes and saved with
# Ctrl+S, the reverse-copy question answered No, and closing with unsaved changes answered No.
# Usage: e2e_tavrel_edit.sh ROOT WINBUILD
set -uo pipefail
source "$1/tests/e2e/tavrel-e2e.sh"
tv_init e2e_tavrel_edit "$1" "$2"

mkdir -p "$W/A/Sub" "$W/B"
printf 'a\r\n' > "$W/A/a.txt"
tv_job mark "$WIN\\Backup\\" "$WIN\\A\\"
tv_reset_settings
ROW=$(tv_drive_row t)

tv_start "$WIN\\mark.tvj"
id=$(tv_main mark) || { bad "the main window appears"; tv_finish; exit 1; }
tv_shot tavrel-edit-loaded.png
read -r x y _ _ <<<"$(tv_geometry $id)"
partly=$(tv_pixel tavrel-edit-loaded.png $((x + TV_BOX_X)) $((y + ROW)))
check "the drive of the loaded folder shows the partly-marked box" '[ "$partly" = "#008000" ]'

# The full collapse after the load makes the first press only clear that state.
BOX="$((x + TV_BOX_X - 8)) $((y + ROW - 8)) 16 16"
tv_click $id $TV_BOX_X $ROW
check "Ctrl+S saves the job" 'tv_save $id "$W/mark.tvl"'
check "the first press after a load changes no mark" '[ "$(tv_text "$W/mark.tvl")" = "T:\\e2e_tavrel_edit\\A\\" ]'
tv_click $id $TV_BOX_X $ROW
tv_shot tavrel-edit-unmarked.png
check "a press on the partly-marked drive changes its box" 'tv_differs tavrel-edit-loaded.png tavrel-edit-unmarked.png $BOX'
check "Ctrl+S saves the job again" 'tv_save $id "$W/mark.tvl"'
check "the drive and all below it are unmarked: the saved list is empty" '[ ! -s "$W/mark.tvl" ]'
tv_click $id $TV_BOX_X $ROW
tv_shot tavrel-edit-marked.png
check "a press on the unmarked drive marks it" 'tv_differs tavrel-edit-unmarked.png tavrel-edit-marked.png $BOX && tv_differs tavrel-edit-loaded.png tavrel-edit-marked.png $BOX'
check "Ctrl+S saves the marked drive" 'tv_save $id "$W/mark.tvl"'
printf 'T:\\\r\n' > "$W/expected.tvl"
check "the list file holds the drive as T:\\ with CR LF" 'cmp -s "$W/mark.tvl" "$W/expected.tvl"'
check "the job file keeps its nine lines" '[ $(wc -l < "$W/mark.tvj") = 9 ] && grep -q "^Dest=T:\\\\e2e_tavrel_edit\\\\Backup\\\\" "$W/mark.tvj"'

# An unsaved change, then closing answered No: the job stays as saved, the settings are written.
tv_click $id $TV_BOX_X $ROW
wine reg delete "$KEY\\Start" /f >/dev/null 2>&1
tv_close
box=$(tv_wait '^Gem job$' 20)
check "closing a changed job asks \"Gem job\"" '[ -n "$box" ]'
tv_shot tavrel-edit-save-question.png
tv_answer '^Gem job$' n
check "the program ends after the answer" 'tv_exit 20'
check "answered No, the list file keeps the saved marks" '[ "$(tv_text "$W/mark.tvl")" = "T:\\" ]'
check "answered No, the settings are still written" '[ "$(tv_reg Start Fil)" = "$WIN\\mark.tvj" ] && [ "$(tv_reg Start Top)" = 5 ]'

# ---- The reverse question answered No ----
tv_job rev "$WIN\\Backup\\" "$WIN\\A\\"
sed -i 's/^Modsat=0/Modsat=1/' "$W/rev.tvj"
cp "$W/rev.tvj" "$W/rev.orig"
tv_start "$WIN\\rev.tvj" /R
box=$(tv_wait '^Modsat kopiering$' 60)
check "a reverse copy asks \"Modsat kopiering\"" '[ -n "$box" ]'
tv_answer '^Modsat kopiering$' n
id=$(tv_main rev)
sleep 1
check "answered No, no progress window is shown" '! xdotool search --onlyvisible --name "afsluttet|Kopierer|Indsamler" >/dev/null 2>&1'
check "answered No, nothing is copied and no report is written" '[ ! -e "$W/Backup" ] && [ ! -e "$W/rev.txt" ]'
tv_shot tavrel-edit-reverse-declined.png
tv_close
box=$(tv_wait '^Gem job$' 20)
check "the cleared reverse option counts as a change" '[ -n "$box" ]'
tv_answer '^Gem job$' n
check "the program ends" 'tv_exit 20'
check "answered No, the job file still asks for a reverse copy" 'cmp -s "$W/rev.tvj" "$W/rev.orig"'
tv_finish
