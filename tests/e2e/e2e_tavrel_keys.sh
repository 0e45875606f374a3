#!/usr/bin/env bash
# The keyboard of tavrel.exe as a user meets it: the control that had the keys has them again
# after a message box, the input box and the About window; Enter presses the focused button;
# F1 and "Hjælp, Hjælp" open the help page at the part of the tab in front; the file types
# in the user's order; a selection in the type list that survives other changes; the margins
# of the description and destination bars.
# Usage: e2e_tavrel_keys.sh ROOT WINBUILD
set -uo pipefail
source "$1/tests/e2e/tavrel-e2e.sh"
tv_init e2e_tavrel_keys "$1" "$2"

# The program that opens web addresses is, for this test, a command that writes the address it
# was given into a file; the system's own command is put back at the end.
HTTPKEY='HKCR\http\shell\open\command'
HTTPSAVED="$TAVREL_SCRATCH/e2e_tavrel_keys-http.reg"
rm -f "$HTTPSAVED"
wine reg export "$HTTPKEY" "T:\\e2e_tavrel_keys-http.reg" /y >/dev/null 2>&1
http_restore() {
    if [ -s "$HTTPSAVED" ]; then
        wine reg import "T:\\e2e_tavrel_keys-http.reg" >/dev/null 2>&1
        rm -f "$HTTPSAVED"
    else
        wine reg delete "$HTTPKEY" /f >/dev/null 2>&1 || true
    fi
}
trap 'http_restore; tv_cleanup' EXIT
wine reg add "$HTTPKEY" /ve /d "C:\\windows\\system32\\cmd.exe /c echo %1>$WIN\\opened.txt" /f >/dev/null 2>&1
PAGE="file:///$(winepath -w "$WINBUILD/Tavrel.html" 2>/dev/null | tr -d '\r' | tr '\\' '/')"
# tv_opened SECONDS: the address the browser was given, once it has been.
tv_opened() {
    local i
    for i in $(seq 1 $((${1:-20} * 4))); do
        [ -s "$W/opened.txt" ] && { tr -d '\r' < "$W/opened.txt" | sed 's/ *$//'; return 0; }
        sleep 0.25
    done
    return 1
}

mkdir -p "$W/A"
tv_job keys "$WIN\\Backup\\" "$WIN\\A\\"
sed -i 's/^SletDest=0/SletDest=1/' "$W/keys.tvj"
tv_reset_settings
tv_start "$WIN\\keys.tvj"
id=$(tv_main keys) || { bad "the main window appears"; tv_finish; exit 1; }

# ---- The description and destination bars have no margin, as the window's other text bars:
# the text starts as near the line as a text bar draws it (the first letters "e" and "T" of
# the display's font begin 3 and 5 pixels right of the line; with a margin of 3 they were 6, 8).
read -r x y _ _ <<<"$(tv_geometry $id)"
tv_shot tavrel-keys-bars.png
check "the description's text is not indented by a margin" '[ "$(tv_inset tavrel-keys-bars.png $((x + 350)) $((y + 115)) 30 12)" = 3 ]'
check "the destination's text is not indented by a margin" '[ "$(tv_inset tavrel-keys-bars.png $((x + 358)) $((y + 238)) 30 8)" = 5 ]'

# ---- F1 and Hjælp, Hjælp ----
rm -f "$W/opened.txt"
tv_keys $id F1
check "F1 opens the help page at the part about the tab \"Kopiering\"" '[ "$(tv_opened 20)" = "$PAGE#kopiering" ]'
rm -f "$W/opened.txt"
tv_keys $id ctrl+Tab
tv_keys $id F1
check "F1 on the tab \"Filfiltrering\" opens its part" '[ "$(tv_opened 20)" = "$PAGE#filfiltrering" ]'
rm -f "$W/opened.txt"
tv_keys $id alt+h h
check "\"Hjælp, Hjælp\" opens the page too" '[ "$(tv_opened 20)" = "$PAGE#filfiltrering" ]'
sleep 1
others=""
for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
    [ "$w" = "$id" ] || others="$others $(xdotool getwindowname "$w" 2>/dev/null)"
done
check "no help viewer or notice is shown instead" '[ -z "${others// /}" ]'
[ -n "${others// /}" ] && echo "     shown:$others"

# ---- A selection in the type list survives a change of the description (by mouse) ----
tv_click $id 368 125  # .BAK, the list's first row
tv_shot tavrel-keys-selected.png
tv_keys $id ctrl+Tab
tv_click $id 400 94   # Beskrivelse...
box=$(tv_wait '^Job$' 20)
check "Beskrivelse... asks in the box \"Job\"" '[ -n "$box" ]'
xdotool mousemove --window "$box" 20 20
sleep 0.3
xdotool type --delay 60 "Ny"
tv_box_keys "$box" '^Job$' Return
tv_keys $id ctrl+Tab
tv_click $id 521 185  # Slet
check "Ctrl+S saves the job" 'tv_save $id "$W/keys.tvl"'
check "Slet after the description changed deletes the type selected before" \
    '[ "$(tv_text "$W/keys.tvj" | grep "^FilTyper=")" = "FilTyper=.TMP" ]'
check "the description was changed" 'tv_text "$W/keys.tvj" | grep -qx "Beskiv=Ny"'

# ---- The keys after the About window: the new-type box has them again ----
tv_keys $id alt+n
xdotool type --delay 80 "ab"
tv_keys $id alt+h o
om=$(tv_wait '^Om$' 20)
check "Om opens the About window" '[ -n "$om" ]'
tv_answer '^Om$' Escape
tv_gone '^Om$' 10
tv_hover $id c Return
tv_shot tavrel-keys-after-about.png

# ---- Enter on the focused Tilføj, and the user's order of the types. A press with the mouse
# leaves the keys on the button (without making it the default button): Enter presses it again.
tv_keys $id alt+n
xdotool type --delay 80 "_x"
tv_click $id 521 159  # Tilføj
tv_hover $id Return
check "Ctrl+S saves the job again" 'tv_save $id "$W/keys.tvl"'
check "after About the new-type box had the keys again: .abc was added" 'tv_text "$W/keys.tvj" | grep -q "^FilTyper=.*\.abc"'
check "Enter on the focused Tilføj adds the type once more" 'tv_text "$W/keys.tvj" | grep -q "^FilTyper=._x,._x,"'
check "the types are in the user's order (\"_\" before the letters, as en-US sorts)" \
    '[ "$(tv_text "$W/keys.tvj" | grep "^FilTyper=")" = "FilTyper=._x,._x,.abc,.TMP" ]'

# ---- Enter on the focused Beskrivelse...; the button has the keys again after the box ----
tv_keys $id ctrl+Tab
tv_click $id 400 94   # Beskrivelse...
box=$(tv_wait '^Job$' 20)
check "Beskrivelse... opens the box" '[ -n "$box" ]'
tv_box_keys "$box" '^Job$' Escape
tv_hover $id Return
box=$(tv_wait '^Job$' 20)
check "after the box the button has the keys again, and Enter presses it: the box opens once more" '[ -n "$box" ]'
tv_box_keys "$box" '^Job$' Escape
# Reached with Tab, the button is pressed by Enter too.
tv_keys $id alt+m Tab Tab
tv_hover $id Return
box=$(tv_wait '^Job$' 20)
check "Enter on Beskrivelse... reached with Tab opens the box" '[ -n "$box" ]'
tv_box_keys "$box" '^Job$' Escape

# ---- After a message box: Start asks whether to empty the destination; answered Cancel, the
# button still has the keys and Space asks again ----
tv_keys $id alt+s
check "Start asks \"Slet destinationsmappe\"" 'tv_wait "^Slet destinationsmappe\$" 30 >/dev/null'
tv_answer '^Slet destinationsmappe$' Escape
tv_gone '^Slet destinationsmappe$' 10
tv_hover $id space
check "after the message box Start has the keys again: Space asks once more" 'tv_wait "^Slet destinationsmappe\$" 20 >/dev/null'
tv_answer '^Slet destinationsmappe$' Escape
tv_gone '^Slet destinationsmappe$' 10
check "nothing was emptied or copied" '[ ! -e "$W/Backup" ]'

tv_close
box=$(tv_wait '^Gem job$' 10) && tv_answer '^Gem job$' n
check "the program ends" 'tv_exit 20'
tv_finish
