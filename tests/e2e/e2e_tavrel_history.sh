#!/usr/bin/env bash
# The run history of a job: a night run of tavrelc that could not copy three files leaves its
# line in NAME.log, the window that opens the job next tells of it once ("Planlagt kørsel"),
# the window's own runs add lines of their own, and "Vis" offers "Kørselshistorik".
# Usage: e2e_tavrel_history.sh ROOT WINBUILD
set -uo pipefail
source "$1/tests/e2e/tavrel-e2e.sh"
tv_init e2e_tavrel_history "$1" "$2"
TAVRELC="$WINBUILD/tavrelc.exe"

# Three of the four files cannot be copied: a folder stands where each copy should go.
mkdir -p "$W/src"
for f in a b c d; do printf '%s\n' "$f" > "$W/src/$f.txt"; done
for f in b c d; do mkdir -p "$W/Backup/$TV_NAME/src/$f.txt"; done
tv_job nat "$WIN\\Backup\\" "$WIN\\src\\"
tv_reset_settings

# night RC: tavrelc nat /R /J, as the planned task runs it; true when it ends with RC.
night() {
    (cd "$W" && wine "$TAVRELC" "$WIN\\nat.tvj" /R /J </dev/null >"$W/night.txt" 2>&1)
    [ "$?" = "$1" ]
}
# history_text: nat.log in UTF-8 without CRs. The program writes it in Windows-1252 unless a
# line needs UTF-8, which it then marks at the start.
history_text() {
    [ -f "$W/nat.log" ] || return 1
    if [ "$(head -c 3 "$W/nat.log" | od -An -tx1 | tr -d ' ')" = efbbbf ]; then
        tail -c +4 "$W/nat.log" | tr -d '\r'
    else
        iconv -f WINDOWS-1252 -t UTF-8 "$W/nat.log" | tr -d '\r'
    fi
}
# history_has REGEX: a line of nat.log matches.
history_has() { history_text | grep -Eq "$1"; }
# no_box SECONDS: no "Planlagt kørsel" box comes up within that time.
no_box() { ! tv_wait '^Planlagt k.*rsel$' "$1" >/dev/null; }

# ---- The night run ----
check "tavrelc with three failed files ends with exit code 1" 'night 1'
check "its line stands in nat.log" \
    'history_has "^[0-9]{2}-[0-9]{2}-[0-9]{4} [0-9:]{8}; tavrelc; kopiering; afsluttet; gennemset 4; kopieret 1; fejl 3; tid [0-9]+:[0-9]{2}:[0-9]{2}$"'

# ---- A history that cannot be written: the run still runs, and says so ----
mkdir -p "$W/fast/src" "$W/fast.log"
printf 'x\n' > "$W/fast/src/x.txt"
tv_job fast "$WIN\\Backup2\\" "$WIN\\fast\\src\\"
(cd "$W" && wine "$TAVRELC" "$WIN\\fast.tvj" /R /J </dev/null >"$W/fast.out" 2>&1); rc=$?
check "a job whose history cannot be written is still copied, exit code 0" \
    '[ "$rc" = 0 ] && [ -f "$W/Backup2/$TV_NAME/fast/src/x.txt" ]'
check "tavrelc says on the console that the history was not written" \
    'iconv -f UTF-8 -t UTF-8 "$W/fast.out" >/dev/null && tr -d "\r" <"$W/fast.out" | grep -q "^Kørselshistorikken T:.*fast.log kunne ikke skrives"'

# ---- The window opens the job (command line): the message, once ----
tv_start "$WIN\\nat.tvj"
box=$(tv_wait '^Planlagt k.*rsel$' 60)
check "the window tells of the failed night run" '[ -n "$box" ]'
if [ -n "$box" ]; then
    sleep 1.5
    tv_shot tavrel-history-failed-run.png
    check "the marker of the shown run is in the registry" \
        'tv_reg_export Historik | grep -qF "\"T:\\\\$TV_NAME\\\\nat.tvj\"=\"$(history_text | tail -1)\""'
    tv_box_keys "$box" '^Planlagt k.*rsel$' n
fi
id=$(tv_main nat) || bad "the main window appears"
if [ -n "${id:-}" ]; then
    # Vis, with the history there, offers Kørselshistorik.
    tv_keys $id alt+v
    sleep 1
    tv_shot tavrel-history-menu.png
    xdotool key Escape
    sleep 0.5
fi
tv_close; tv_exit 30 || bad "tavrel closes"

tv_start "$WIN\\nat.tvj"
id=$(tv_main nat) || bad "the main window appears a second time"
check "a second start shows no message" 'no_box 8'
tv_close; tv_exit 30 || bad "tavrel closes again"

# ---- A count from the window adds its own line ----
tv_start "$WIN\\nat.tvj" /T
id=$(tv_main nat) || bad "the main window appears for /T"
for i in $(seq 1 60); do history_has '; tavrel; optælling; afsluttet; gennemset 4; vil blive kopieret 3; fejl 0;' && break; sleep 0.5; done
check "the window's count stands in nat.log" 'history_has "; tavrel; optælling; afsluttet; gennemset 4; vil blive kopieret 3; fejl 0; "'
check "the night's line is kept before it" '[ "$(history_text | wc -l)" = 2 ] && history_text | head -1 | grep -q "; tavrelc; "'
tv_close; tv_exit 30 || bad "tavrel closes after the count"

# ---- Another failed night; the window opens the last job at its start ----
check "a second night run fails as well" 'night 1'
check "the last job to open is nat" '[ "$(tv_reg Start Fil)" = "$WIN\\nat.tvj" ]'
tv_start
box=$(tv_wait '^Planlagt k.*rsel$' 60)
check "the start with the last job tells of the new failed run" '[ -n "$box" ]'
[ -n "$box" ] && tv_box_keys "$box" '^Planlagt k.*rsel$' n
tv_main nat >/dev/null || bad "the main window appears at the plain start"
tv_close; tv_exit 30 || bad "tavrel closes at the end"

tv_finish
