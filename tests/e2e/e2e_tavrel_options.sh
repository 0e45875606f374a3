#!/usr/bin/env bash
# The job's check boxes and radio buttons in tavrel.exe: a press on each changes the option it
# stands for, as the saved job file shows; "Kopier modsat" disables "Slet indhold i
# destinationsmappe" without changing it, and enables it again.
# Usage: e2e_tavrel_options.sh ROOT WINBUILD
set -uo pipefail
source "$1/tests/e2e/tavrel-e2e.sh"
tv_init e2e_tavrel_options "$1" "$2"

mkdir -p "$W/A"
tv_job opts "$WIN\\Backup\\" "$WIN\\A\\"
tv_reset_settings
tv_start "$WIN\\opts.tvj"
id=$(tv_main opts) || { bad "the main window appears"; tv_finish; exit 1; }

# Client points on the boxes' texts: the option panels begin at (346, 64) of the window.
UNDERMAPPER="384 72"; MODSAT="384 294"; SLETDEST="392 263"   # tab "Kopiering"
KUNNYE="384 72"; UDELAD="392 254"; KUN="392 274"               # tab "Filfiltrering"
# tv_options: the job file's option lines after Ctrl+S, on one line.
tv_options() {
    tv_save $id "$W/opts.tvl" || return 1
    tv_text "$W/opts.tvj" | grep -E '^(SletDest|Undermapper|KunNye|KunFiltyper|Modsat)=' | tr '\n' ' '
}

check "the job is loaded with its options" \
    '[ "$(tv_options)" = "SletDest=0 Undermapper=1 KunNye=1 KunFiltyper=0 Modsat=0 " ]'
tv_click $id $UNDERMAPPER
tv_click $id $SLETDEST
tv_keys $id ctrl+Tab
tv_click $id $KUNNYE
tv_click $id $KUN
check "each box changes its own option" \
    '[ "$(tv_options)" = "SletDest=1 Undermapper=0 KunNye=0 KunFiltyper=1 Modsat=0 " ]'
tv_click $id $UDELAD
tv_keys $id ctrl+Tab
tv_click $id $MODSAT
check "the other radio button and Kopier modsat" \
    '[ "$(tv_options)" = "SletDest=1 Undermapper=0 KunNye=0 KunFiltyper=0 Modsat=1 " ]'
tv_shot tavrel-options-reverse.png
tv_click $id $SLETDEST
check "with Kopier modsat the delete box cannot be pressed" \
    '[ "$(tv_options)" = "SletDest=1 Undermapper=0 KunNye=0 KunFiltyper=0 Modsat=1 " ]'
tv_click $id $MODSAT
tv_click $id $SLETDEST
check "without it the delete box can be pressed again" \
    '[ "$(tv_options)" = "SletDest=0 Undermapper=0 KunNye=0 KunFiltyper=0 Modsat=0 " ]'

tv_close
check "the program ends" 'tv_exit 20'
tv_finish
