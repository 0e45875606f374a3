#!/usr/bin/env bash
# tavrel.exe with a job and a command on its command line: "/T" counts, "/R" copies, "/x" and
# a missing job file give error boxes; the program stays open after each.
# Usage: e2e_tavrel_cmdline.sh ROOT WINBUILD
set -uo pipefail
source "$1/tests/e2e/tavrel-e2e.sh"
tv_init e2e_tavrel_cmdline "$1" "$2"
FILER="$KEY\\Filer"

# The marked folder Kilde has a sibling, so its parent is only partly marked.
mkdir -p "$W/Kilde/Sub" "$W/Andet"
printf 'alpha\r\n' > "$W/Kilde/a.txt"
head -c 3000 /dev/urandom > "$W/Kilde/Sub/b.bin"
printf 'old\r\n' > "$W/Kilde/c.bak"
tv_job cmd "$WIN\\Backup\\" "$WIN\\Kilde\\"
tv_reset_settings

# ---- /T: a count run ----
tv_start "$WIN\\cmd.tvj" /T
st=$(tv_wait 'Optælling er afsluttet' 60) || bad "the progress window shows the end of the count"
id=$(tv_main cmd)
check "the count ends with \"Optælling er afsluttet\"" '[ -n "$st" ]'
check "the main window shows the job" '[ "$(xdotool getwindowname $id)" = "Ambrex Tavrel 2 - cmd" ]'
sleep 1
tv_shot tavrel-progress-count.png
check "a count copies nothing" '[ ! -e "$W/Backup" ]'
check "the report lists the file left out" 'tv_text "$W/cmd.txt" | grep -qx "T:\\\\e2e_tavrel_cmdline\\\\Kilde\\\\c.bak"'
check "the report counts one file" 'tv_text "$W/cmd.txt" | grep -qx "Antal: 1"'
check "a count records no copy" '[ -z "$(tv_reg Filer cmd.tvj)" ]'
tv_close
check "the program ends on WM_CLOSE after the count" 'tv_exit 20'

# ---- /R: a copy run ----
tv_start "$WIN\\cmd.tvj" /r
st=$(tv_wait 'Kopiering er afsluttet' 60)
check "the copy ends with \"Kopiering er afsluttet\"" '[ -n "$st" ]'
id=$(tv_main cmd)
sleep 1
tv_shot tavrel-progress-copy.png
D="$W/Backup/e2e_tavrel_cmdline/Kilde"
check "the files are copied below the destination" 'cmp -s "$W/Kilde/a.txt" "$D/a.txt" && cmp -s "$W/Kilde/Sub/b.bin" "$D/Sub/b.bin"'
check "the type filter leaves the .bak file out" '[ ! -e "$D/c.bak" ]'
check "only the marked folder is copied" '[ ! -e "$W/Backup/e2e_tavrel_cmdline/cmd.tvj" ]'
stamp=$(tv_reg Filer cmd.tvj)
check "the registry holds the copy's stamp" '[ -n "$stamp" ] && echo "$stamp" | grep -Eq "[0-9].* [0-9]{1,2}:[0-9]{2}( [AP]M)?$"'
check "the program stays open after the run" 'kill -0 $TV_PID 2>/dev/null && xdotool search --name "^Ambrex Tavrel 2 - cmd$" >/dev/null'
tv_close
check "the program ends on WM_CLOSE after the copy" 'tv_exit 20'
check "the job stays the open job" '[ "$(tv_reg Start Fil)" = "$WIN\\cmd.tvj" ]'

# ---- An invalid command ----
tv_start "$WIN\\cmd.tvj" /x
box=$(tv_wait 'Fejl under k.*rsel' 60)
check "an invalid command gives the error box" '[ -n "$box" ]'
sleep 1
tv_shot tavrel-error-command.png
tv_answer 'Fejl under k.*rsel' Return
check "the box closes with Enter" 'tv_gone "Fejl under k.*rsel" 10'
id=$(tv_main cmd)
check "the job is loaded but not run" '[ "$(xdotool getwindowname $id)" = "Ambrex Tavrel 2 - cmd" ] && ! xdotool search --name "afsluttet" >/dev/null 2>&1'
tv_close
check "the program ends after the invalid command" 'tv_exit 20'

# ---- A job file that does not exist ----
tv_start "$WIN\\mangler.tvj" /R
box=$(tv_wait 'Fejl under k.*rsel' 60)
check "a missing job file gives the error box" '[ -n "$box" ]'
tv_answer 'Fejl under k.*rsel' Return
id=$(tv_main cmd)
# The job opened at start (the last one, cmd.tvj) stays in the window.
check "the job of the last session stays open" '[ "$(xdotool getwindowname $id)" = "Ambrex Tavrel 2 - cmd" ]'
check "nothing runs" '! xdotool search --name "afsluttet" >/dev/null 2>&1'
tv_close
check "the program ends after the missing file" 'tv_exit 20'
check "the given path became the job's name" '[ "$(tv_reg Start Fil)" = "$WIN\\mangler.tvj" ]'
tv_finish
