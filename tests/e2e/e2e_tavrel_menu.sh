#!/usr/bin/env bash
# The menus and options of tavrel.exe: "&Luk" puts the job in the recent-file list and
# empties the window, the list's first entry opens it again, F5 drops unsaved marks, the
# description box, a file type added with Enter, and "&Om" opens the About window.
# Usage: e2e_tavrel_menu.sh ROOT WINBUILD
set -uo pipefail
source "$1/tests/e2e/tavrel-e2e.sh"
tv_init e2e_tavrel_menu "$1" "$2"

mkdir -p "$W/A/Sub" "$W/B"
tv_job menu "$WIN\\Backup\\" "$WIN\\A\\"
cp "$W/menu.tvl" "$W/menu.saved"
tv_reset_settings
ROW=$(tv_drive_row t)

tv_start "$WIN\\menu.tvj"
id=$(tv_main menu) || { bad "the main window appears"; tv_finish; exit 1; }

# ---- Filer > Luk, then the recent file ----
tv_keys $id alt+f l
check "Luk empties the window" '[ "$(xdotool getwindowname $id)" = "Ambrex Tavrel 2 - Ikke navngivet" ]'
check "Luk puts the job first in the recent-file list" '[ "$(tv_reg Filer Fil1)" = "$WIN\\menu.tvj" ]'
tv_keys $id alt+f
sleep 0.5
tv_shot tavrel-menu-filer.png
xdotool key 1
sleep 1.5
check "the recent entry \"&1. ...\" opens the job again" '[ "$(xdotool getwindowname $id)" = "Ambrex Tavrel 2 - menu" ]'

# ---- F5 drops unsaved marks ----
read -r x y _ _ <<<"$(tv_geometry $id)"
BOX="$((x + TV_BOX_X - 8)) $((y + ROW - 8)) 16 16"
tv_shot tavrel-menu-loaded.png
tv_click $id $TV_BOX_X $ROW
tv_click $id $TV_BOX_X $ROW
tv_shot tavrel-menu-unmarked.png
check "the press unmarks the drive" 'tv_differs tavrel-menu-loaded.png tavrel-menu-unmarked.png $BOX'
# A key typed on the bare X server is now and then lost before it reaches Wine: F5 is typed
# again until the marks are back.
for attempt in 1 2 3; do
    tv_keys $id F5
    sleep 1.5
    tv_shot tavrel-menu-refreshed.png
    tv_differs tavrel-menu-loaded.png tavrel-menu-refreshed.png $BOX || break
done
check "F5 shows the saved marks again" '! tv_differs tavrel-menu-loaded.png tavrel-menu-refreshed.png $BOX'
check "Ctrl+S after F5 saves the job's own marks" 'tv_save $id "$W/menu.tvl" && cmp -s "$W/menu.tvl" "$W/menu.saved"'

# ---- The description and a new file type ----
tv_click $id 400 94
box=$(tv_wait '^Job$' 20)
check "Beskrivelse... asks in the box \"Job\"" '[ -n "$box" ]'
sleep 0.8
tv_shot tavrel-description.png
xdotool mousemove --window "$box" 20 20
sleep 0.3
xdotool key ctrl+a
xdotool type --delay 60 "Ugentlig backup"
xdotool key Return
sleep 1
tv_keys $id ctrl+Tab alt+n
xdotool type --delay 60 "txt"
xdotool key Return
sleep 0.5
tv_shot tavrel-filetype-added.png
check "Ctrl+S saves the edited job" 'tv_save $id "$W/menu.tvl"'
check "the description is saved" 'tv_text "$W/menu.tvj" | grep -qx "Beskiv=Ugentlig backup"'
check "Enter in \"Ny filtype\" adds .txt, sorted into the list" 'tv_text "$W/menu.tvj" | grep -qx "FilTyper=.BAK,.TMP,.txt"'
tv_keys $id ctrl+Tab

# ---- Hjælp > Om ----
tv_keys $id alt+h o
om=$(tv_wait '^Om$' 20)
check "Om opens the About window" '[ -n "$om" ]'
sleep 1
tv_shot tavrel-about.png
tv_answer '^Om$' Escape
check "Esc closes the About window" 'tv_gone "^Om$" 10'

tv_close
check "after F5 and a save nothing is left to ask about: the program ends" 'tv_exit 20'
check "the job is remembered" '[ "$(tv_reg Start Fil)" = "$WIN\\menu.tvj" ]'
tv_finish
