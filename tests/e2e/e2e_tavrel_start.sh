#!/usr/bin/env bash
# tavrel.exe on its first start: no settings, no job; the window's place and size, its caption,
# both tabs, and the settings written when it closes.
# Usage: e2e_tavrel_start.sh ROOT WINBUILD
set -uo pipefail
source "$1/tests/e2e/tavrel-e2e.sh"
tv_init e2e_tavrel_start "$1" "$2"

tv_reset_settings
tv_start
id=$(tv_main 'Ikke navngivet') || { bad "the main window appears"; tv_finish; exit 1; }
ok "the main window appears"
check "an untitled job's caption" '[ "$(xdotool getwindowname $id)" = "Ambrex Tavrel 2 - Ikke navngivet" ]'
# The X window is the client part of the Win32 window: Wine's frame lies around it (left and
# right the same width, the caption on top), so the outer window is found from the offsets.
read -r x y w h <<<"$(tv_geometry $id)"
frame=$((x - 5)); top=$((y - 5))
check "the window's top left corner is at (5, 5)" '[ $frame -ge 0 ] && [ $frame -le 8 ] && [ $top -ge $frame ] && [ $top -le 40 ]'
check "the window is 600 x 420" '[ $((w + 2 * frame)) = 600 ] && [ $((h + top + frame)) = 420 ]'
tv_shot tavrel-main-kopiering.png

# Ctrl+Tab switches to the other tab.
tv_keys "$id" ctrl+Tab
sleep 1
tv_shot tavrel-main-filfiltrering.png
# The file-type list sits on the second tab only: its white area replaces the grey of pan1.
check "Ctrl+Tab shows the file-type tab" '[ "$(tv_pixel tavrel-main-filfiltrering.png $((x + 420)) $((y + 170)))" != "$(tv_pixel tavrel-main-kopiering.png $((x + 420)) $((y + 170)))" ]'
tv_keys "$id" ctrl+Tab

tv_close
check "closing an unchanged job asks nothing and ends the program" 'tv_exit 20'
check "the settings key holds the window's place" '[ "$(tv_reg Start Top)" = 5 ] && [ "$(tv_reg Start Venstre)" = 5 ]'
check "the settings key holds the window's size" '[ "$(tv_reg Start Bredde)" = 600 ] && tv_reg_export Start | grep -qx "\"Højde\"=\"420\""'
check "the remembered job name stays Drev_C.tvj" '[ "$(tv_reg Start Fil)" = "Drev_C.tvj" ]'
check "the floppy option is off" '[ "$(tv_reg Start Floppy)" = 0 ]'

# A second start puts the window where the first one left it.
wine reg add "$KEY\\Start" /v Top /d 40 /f >/dev/null 2>&1
wine reg add "$KEY\\Start" /v Venstre /d 60 /f >/dev/null 2>&1
tv_start
id=$(tv_main 'Ikke navngivet') || bad "the main window appears again"
read -r x2 y2 w2 h2 <<<"$(tv_geometry $id)"
check "the stored place is used" '[ $((x2 - frame)) = 60 ] && [ $((y2 - top)) = 40 ] && [ $w2 = $w ] && [ $h2 = $h ]'
tv_close
check "the second start ends too" 'tv_exit 20'

# A place saved on a screen that is gone, with sizes no window can have, still opens the
# window wholly on this screen.
wine reg add "$KEY\\Start" /v Top /d -3000 /f >/dev/null 2>&1
wine reg add "$KEY\\Start" /v Venstre /d 6000 /f >/dev/null 2>&1
wine reg add "$KEY\\Start" /v Bredde /d 100000 /f >/dev/null 2>&1
wine reg add "$KEY\\Start" /v "Højde" /d -5 /f >/dev/null 2>&1
tv_start
id=$(tv_main 'Ikke navngivet') || bad "the main window appears from a place off the screen"
read -r x3 y3 w3 h3 <<<"$(tv_geometry $id)"
read -r sw sh <<<"$(xdotool getdisplaygeometry)"
echo "# window at $x3,$y3 size ${w3}x$h3 on a screen of ${sw}x$sh"
check "a place off the screen opens the window on it" '[ $x3 -ge 0 ] && [ $y3 -ge 0 ] && [ $((x3 + w3)) -le $sw ] && [ $((y3 + h3)) -le $sh ] && [ $w3 -ge 200 ] && [ $h3 -ge 100 ]'
tv_close
check "the third start ends too" 'tv_exit 20'
tv_finish
