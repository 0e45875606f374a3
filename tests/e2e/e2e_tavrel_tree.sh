#!/usr/bin/env bash
# The folder tree of tavrel.exe under the mouse and with drives beyond X:: a double-click on a
# mark box counts as two presses, a double-click that closes a folder leaves the next press
# alone, and the folders of a loaded job on Z: and on a hidden floppy drive A: survive a save.
# Usage: e2e_tavrel_tree.sh ROOT WINBUILD
set -uo pipefail
source "$1/tests/e2e/tavrel-e2e.sh"
tv_init e2e_tavrel_tree "$1" "$2"

# Drive A: for this test, a floppy drive the tree does not list while "Diskettedrev" is off.
mkdir -p "$W/floppy/Disk"
ln -sfn "$W/floppy" "$WINEPREFIX/dosdevices/a:"
trap 'rm -f "$WINEPREFIX/dosdevices/a:"; tv_cleanup' EXIT

mkdir -p "$W/A/Sub" "$W/Z"
# The same folder through Z:, where Wine shows the host's root.
ZDIR="Z:$(readlink -f "$W/Z" | tr '/' '\\')\\"
tv_job tree "$WIN\\Backup\\" "$WIN\\A\\" "$ZDIR" 'A:\Disk\'
tv_reset_settings
ROW=$(tv_drive_row t)
LABEL_X=$((TV_BOX_X + 40))  # on the drive's name

tv_start "$WIN\\tree.tvj"
id=$(tv_main tree) || { bad "the main window appears"; tv_finish; exit 1; }
tv_shot tavrel-tree-loaded.png
check "the loaded job asks about no missing folder" '! xdotool search --name "^Tavrel\$" >/dev/null 2>&1'
check "Ctrl+S saves the loaded job" 'tv_save $id "$W/tree.tvl"'
printf 'A:\\Disk\\\n%s\\A\\\n%s\n' "$WIN" "$ZDIR" > "$W/expected"
check "the folders on Z: and on the hidden A: are saved with the job, by drive letter" \
    '[ "$(tv_text "$W/tree.tvl")" = "$(cat "$W/expected")" ]'

# The full collapse after the load leaves one press to be ignored: a press below the drives.
read -r x y _ h <<<"$(tv_geometry $id)"
BELOW="$x $((y + ROW + 26)) 300 140"  # the rows below the last drive, on the screen
tv_click $id 150 $((h - 80))
# A double-click on the partly marked drive's box: two presses, unmarked and then marked.
tv_doubleclick $id $TV_BOX_X $ROW
tv_shot tavrel-tree-doubleclicked.png
check "Ctrl+S saves the marks" 'tv_save $id "$W/tree.tvl"'
printf 'A:\\Disk\\\nT:\\\n%s\n' "$ZDIR" > "$W/expected"
check "a double-click on a box is two presses: the drive is marked" \
    '[ "$(tv_text "$W/tree.tvl")" = "$(cat "$W/expected")" ]'

# C: opened and closed again by double-clicks on its name, then one press on its box. (C: has
# few folders, so opening it does not scroll the tree.)
CROW=$(tv_drive_row c)
tv_doubleclick $id $LABEL_X $CROW 1.5
tv_shot tavrel-tree-opened.png
check "a double-click on the drive's name opens it" 'tv_differs tavrel-tree-doubleclicked.png tavrel-tree-opened.png $BELOW'
tv_doubleclick $id $LABEL_X $CROW 1.5
tv_shot tavrel-tree-closed.png
check "a second double-click closes it" '! tv_differs tavrel-tree-doubleclicked.png tavrel-tree-closed.png $BELOW'
tv_click $id $TV_BOX_X $CROW
check "Ctrl+S saves the marks again" 'tv_save $id "$W/tree.tvl"'
check "the press after the double-click that closed the drive counts: the drive is marked" \
    'tv_text "$W/tree.tvl" | grep -qx "C:\\\\"'

tv_close
check "the program ends" 'tv_exit 20'
tv_finish
