#!/usr/bin/env bash
# Filer > Planlæg...: the dialog opens from the menu, shows the job's plan, refuses a time that
# is no time and stays, and OK writes the job's task in the Task Scheduler. Wine's Task
# Scheduler keeps a daily task without its trigger and its command, so the program reads the
# task back, takes it away again and says so; its store (windows/system32/tasks/Ambrex Tavrel/)
# then holds no task for the job. A task put in the store by hand, as an administrator's
# schtasks would, is removed by Aldrig (Wine reads such a file back without its trigger and
# command, so the dialog shows it as "Som sat op i Opgavestyring": see tavrel-plan-existing.png).
# Usage: e2e_tavrel_plan.sh ROOT WINBUILD
set -uo pipefail
source "$1/tests/e2e/tavrel-e2e.sh"
tv_init e2e_tavrel_plan "$1" "$2"

mkdir -p "$W/A" "$W/Backup"
tv_job plan "$WIN\\Backup\\" "$WIN\\A\\"
tv_reset_settings
STORE="$WINEPREFIX/drive_c/windows/system32/tasks/Ambrex Tavrel"
# The task's name: the job's name and an FNV-1a check of its path in capitals.
TASK="plan ($(python3 -c 'import sys
h = 2166136261
for b in sys.argv[1].upper().encode():
    h = ((h ^ b) * 16777619) & 0xFFFFFFFF
print("%08x" % h)' "$WIN\\plan.tvj"))"
rm -f "$STORE/$TASK"

DIALOG='^Planl.*g - plan$'
BOX='^Planl.*g$'

# open_plan MAIN: Filer > Planlæg... and the dialog's id once it is painted.
open_plan() {
    local dlg attempt
    for attempt in 1 2 3; do
        tv_keys "$1" alt+f p
        dlg=$(tv_wait "$DIALOG" 20) && { sleep 1; echo "$dlg"; return 0; }
    done
    return 1
}

# plan_keys DIALOG KEY...: keys typed into the dialog with the pointer resting on it.
plan_keys() {
    local dlg="$1"; shift
    xdotool mousemove --window "$dlg" 200 8
    sleep 0.3
    xdotool key --delay 150 "$@"
    sleep 0.8
}

tv_start "$WIN\\plan.tvj"
id=$(tv_main plan) || { bad "the main window appears"; tv_finish; exit 1; }

tv_keys $id alt+f
sleep 0.5
tv_shot tavrel-plan-menu.png
xdotool key Escape Escape
sleep 0.5

# ---- A job with no task: Hver dag with a time that is no time, then 02:30 ----
dlg=$(open_plan $id)
check "Filer > Planlæg... opens the dialog \"Planlæg - plan\"" '[ -n "$dlg" ]'
tv_shot tavrel-plan-dialog.png
plan_keys "$dlg" alt+d alt+k ctrl+a
xdotool type --delay 80 "25:61"
sleep 0.3
tv_shot tavrel-plan-daily.png
plan_keys "$dlg" Return
box=$(tv_wait "$BOX" 20)
check "a time that is no time gets a message" '[ -n "$box" ]'
sleep 0.8
tv_shot tavrel-plan-badtime.png
tv_box_keys "$box" "$BOX" Return
check "the dialog stays after the message" 'xdotool search --name "$DIALOG" >/dev/null 2>&1'
check "nothing is written to the task store for a bad time" '[ ! -e "$STORE/$TASK" ]'

plan_keys "$dlg" alt+k ctrl+a
xdotool type --delay 80 "02:30"
plan_keys "$dlg" Return
box=$(tv_wait "$BOX" 30)
# Wine keeps the task without trigger and command: the program says the plan was not kept.
check "OK with Hver dag kl. 02:30 says Wine's Task Scheduler did not keep the whole plan" '[ -n "$box" ]'
sleep 0.8
tv_shot tavrel-plan-notkept.png
check "Wine's task store holds no half task for the job" '[ ! -e "$STORE/$TASK" ]'
[ -n "$box" ] && tv_box_keys "$box" "$BOX" Return
sleep 0.5
tv_shot tavrel-plan-after-refusal.png
plan_keys "$dlg" Escape
check "Annuller (Esc) closes the dialog" 'tv_gone "$DIALOG" 10'

# ---- A task an administrator made: shown by the dialog, removed by Aldrig ----
mkdir -p "$STORE"
cat >"$STORE/$TASK" <<XML
<?xml version="1.0"?>
<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">
  <RegistrationInfo>
    <Author>Administrator</Author>
    <Description>Ambrex Tavrel kopierer jobbet $WIN\\plan.tvj.</Description>
  </RegistrationInfo>
  <Triggers>
    <CalendarTrigger>
      <StartBoundary>2026-01-01T02:30:00</StartBoundary>
      <ScheduleByDay><DaysInterval>1</DaysInterval></ScheduleByDay>
    </CalendarTrigger>
  </Triggers>
  <Settings>
    <StartWhenAvailable>true</StartWhenAvailable>
    <Enabled>true</Enabled>
  </Settings>
  <Actions>
    <Exec>
      <Command>C:\\Program Files\\Ambrex Tavrel\\tavrelc.exe</Command>
      <Arguments>"$WIN\\plan.tvj" /R /J</Arguments>
    </Exec>
  </Actions>
</Task>
XML
dlg=$(open_plan $id)
check "the dialog opens again" '[ -n "$dlg" ]'
tv_shot tavrel-plan-existing.png
plan_keys "$dlg" alt+a Return
check "Aldrig and OK close the dialog" 'tv_gone "$DIALOG" 20'
check "Aldrig removes the task from Wine's task store" '[ ! -e "$STORE/$TASK" ]'

# ---- An untitled job is saved first: No plans nothing ----
tv_keys $id alt+f l
check "Luk empties the window" '[ "$(xdotool getwindowname $id)" = "Ambrex Tavrel 2 - Ikke navngivet" ]'
tv_keys $id alt+f p
box=$(tv_wait '^Gem job$' 20)
check "Planlæg... on an untitled job asks to save it first" '[ -n "$box" ]'
sleep 0.8
tv_shot tavrel-plan-savefirst.png
[ -n "$box" ] && tv_box_keys "$box" '^Gem job$' n
check "No shows no dialog" '! xdotool search --name "$DIALOG" >/dev/null 2>&1 && ! xdotool search --name "^Planl.*g - " >/dev/null 2>&1'
check "and plans nothing" '[ -z "$(ls -A "$STORE" 2>/dev/null)" ]'

tv_close
check "the program ends" 'tv_exit 30'
tv_finish
