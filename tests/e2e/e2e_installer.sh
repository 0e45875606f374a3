#!/usr/bin/env bash
# The installer under Wine: a silent installation for all users, the installed program counting a
# job given on its command line, a ".tvj" file opened as by a double-click, installer and
# uninstaller refusing while the program runs, tavrelc beside the program and from the portable
# zip, the entry in Apps & features, a silent uninstall that keeps the user's job and settings;
# then the same for one user only, next to another program's claim on ".tvj".
# Usage: e2e_installer.sh ROOT WINBUILD
set -uo pipefail
ROOT="$1"; WINBUILD="$2"

# makensis comes with the nsis package; ./test.sh installs it, elsewhere one try is made here.
if ! command -v makensis >/dev/null || ! command -v zip >/dev/null; then
    sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo -n"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq nsis zip >/dev/null 2>&1 || true
fi
for tool in makensis zip; do
    if ! command -v $tool >/dev/null; then
        echo "SKIP: $tool is not installed and could not be installed (apt-get install nsis zip)."
        exit 0
    fi
done
for f in tavrel.exe tavrelc.exe; do
    [ -f "$WINBUILD/$f" ] || { echo "FAIL - $WINBUILD/$f has not been built"; exit 1; }
done

source "$ROOT/scripts/wine-env.sh"
tavrel_wine_up "$ROOT"

W="$TAVREL_SCRATCH/e2e_installer"
WIN='T:\e2e_installer'
rm -rf "$W"; mkdir -p "$W"
UNINSTALL_KEY='Software\Microsoft\Windows\CurrentVersion\Uninstall\AmbrexTavrel'
SETTINGS='HKCU\Software\Ambrex Software\Tavrel'
PF="$WINEPREFIX/drive_c/Program Files/Ambrex Tavrel"
PFWIN='C:\Program Files\Ambrex Tavrel'
MENU_ALL="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Ambrex Tavrel.lnk"
failures=0
PID=""

ok() { echo "ok   - $1"; }
bad() { echo "FAIL - $1"; failures=$((failures + 1)); }
check() { if eval "$2"; then ok "$1"; else bad "$1"; fi; }
reg_value() {  # KEY VALUE|"" : the data of a value, "" for the default value
    local args=(/v "$2"); [ -z "$2" ] && args=(/ve)
    wine reg query "$1" "${args[@]}" 2>/dev/null | tr -d '\r' | sed -n 's/^ *[^ ].*  *REG_[A-Z_]*  *//p'
}
report_lists_bak() { tr -d '\r' < "$W/Job.txt" 2>/dev/null | grep -qxF "$WIN\\Kilde\\c.bak"; }
job_window() { xdotool search --name '^Ambrex Tavrel 2 - Job$' >/dev/null 2>&1; }
has_key() { wine reg query "$1" >/dev/null 2>&1; }
wait_for() {  # SECONDS CONDITION
    local i
    for i in $(seq 1 $(($1 * 4))); do eval "$2" && return 0; sleep 0.25; done
    return 1
}
# WM_DELETE_WINDOW to X windows, as a window manager's close button sends it: Wine turns it into
# WM_CLOSE. Unlike "wine taskkill /IM tavrel.exe" it reaches only the windows on this display, not
# a tavrel.exe that something else runs in the same prefix.
send_close() {
    python3 - "$@" <<'PY'
import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]
class XEvent(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.POINTER(XEvent)]
x.XFlush.argtypes = [ctypes.c_void_p]
d = x.XOpenDisplay(None)
if not d:
    sys.exit(1)
for w in sys.argv[1:]:
    ev = XEvent()
    ev.xclient.type = 33  # ClientMessage
    ev.xclient.display = d
    ev.xclient.window = int(w)
    ev.xclient.message_type = x.XInternAtom(d, b"WM_PROTOCOLS", 0)
    ev.xclient.format = 32
    ev.xclient.data[0] = x.XInternAtom(d, b"WM_DELETE_WINDOW", 0)
    x.XSendEvent(d, int(w), 0, 0, ctypes.byref(ev))
x.XFlush(d)
PY
}
# Closes the job's main window as a user would, by force if a message box keeps it open.
close_tavrel() {
    local wins
    wins=$(xdotool search --name '^Ambrex Tavrel 2 - Job$' 2>/dev/null)
    if [ -z "$wins" ] || ! command -v python3 >/dev/null || ! send_close $wins; then
        wine taskkill /IM tavrel.exe >/dev/null 2>&1
    fi
    CLOSED=1
    if ! wait_for 10 '! kill -0 $PID 2>/dev/null'; then
        CLOSED=0
        kill_installed_tavrel
        wait_for 5 '! kill -0 $PID 2>/dev/null'
    fi
    wait "$PID" 2>/dev/null
    PID=""
    wait_for 10 '! job_window'
}
# The uninstaller copies itself to the temporary folder, starts the copy and returns at once.
uninstall_silently() {  # UNINSTALLER ARGS...
    wine "$@" >/dev/null 2>&1
    wait_for 60 '! pgrep -f "nsu[^ ]*.Un\.exe" >/dev/null'
}
# Only the copy started from the installed folder, whatever else runs in the prefix.
kill_installed_tavrel() {
    local p
    for p in $(pgrep -f 'Ambrex Tavrel.tavrel\.exe'); do kill "$p" 2>/dev/null; done
}
# Leftovers of an earlier run that stopped half-way.
clean_installations() {
    local root key
    {
        printf 'Windows Registry Editor Version 5.00\r\n'
        for root in HKEY_LOCAL_MACHINE HKEY_CURRENT_USER; do
            for key in "$UNINSTALL_KEY" 'Software\Classes\AmbrexTavrel.Job' 'Software\Classes\.tvj'; do
                printf '\r\n[-%s\\%s]\r\n' "$root" "$key"
            done
        done
    } > "$W/clean.reg"
    wine reg import "$(wine winepath -w "$W/clean.reg" 2>/dev/null | tr -d '\r')" >/dev/null 2>&1
    rm -rf "$PF" "$USER_DIR" "$MENU_ALL" "$WINEPREFIX"/drive_c/users/*/AppData/Local/Programs/Ambrex\ Tavrel \
        "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Ambrex\ Tavrel.lnk
}
cleanup() {
    kill_installed_tavrel
    clean_installations
    # The program saves its window and last job when it closes; the prefix's settings are put back.
    wine reg delete "$SETTINGS" /f >/dev/null 2>&1
    [ -s "$W/settings.reg" ] && wine reg import "$(wine winepath -w "$W/settings.reg" 2>/dev/null | tr -d '\r')" >/dev/null 2>&1
    tavrel_wine_down
}
USER_DIR=""
trap cleanup EXIT
clean_installations
wine reg export "$SETTINGS" "$(wine winepath -w "$W/settings.reg" 2>/dev/null | tr -d '\r')" /y >/dev/null 2>&1 || rm -f "$W/settings.reg"

# ---- The installer and the zip, built from this build tree's programs ----
VERSION=$(sed -n 's/^project(Tavrel VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
if ! bash "$ROOT/installer/build.sh" "$WINBUILD" "$W/dist" >"$W/build.txt" 2>&1; then
    cat "$W/build.txt"
    bad "installer/build.sh builds the installer and the zip"
    exit 1
fi
SETUP="$W/dist/Tavrel-$VERSION-setup.exe"
check "the files carry the version $VERSION" '[ -f "$SETUP" ] && [ -f "$W/dist/Tavrel-$VERSION-portable.zip" ]'
check "the zip holds the programs, the help page and the README in one folder" \
    '[ "$(unzip -Z1 "$W/dist/Tavrel-$VERSION-portable.zip" | grep -v /$ | sort | tr "\n" " ")" = "Ambrex Tavrel/README.txt Ambrex Tavrel/Tavrel.html Ambrex Tavrel/tavrel.exe Ambrex Tavrel/tavrelc.exe " ]'

# ---- Silent installation for all users ----
wine "$SETUP" /S >/dev/null 2>&1
check "silent installation exits 0" '[ $? = 0 ]'
check "programs, help page and uninstaller in Program Files" \
    '[ -f "$PF/tavrel.exe" ] && [ -f "$PF/tavrelc.exe" ] && [ -f "$PF/Tavrel.html" ] && [ -f "$PF/uninstall.exe" ]'
check "installed programs are the built ones, without their debug information" \
    '[ $(stat -c %s "$PF/tavrel.exe") -le $(stat -L -c %s "$WINBUILD/tavrel.exe") ] && cmp -s "$ROOT/help/Tavrel.html" "$PF/Tavrel.html"'
check "Start-menu shortcut \"Ambrex Tavrel\" for all users" '[ -f "$MENU_ALL" ]'
check "Apps & features entry" '[ "$(reg_value "HKLM\\$UNINSTALL_KEY" DisplayName)" = "Ambrex Tavrel" ] &&
    [ "$(reg_value "HKLM\\$UNINSTALL_KEY" DisplayVersion)" = "$VERSION" ] &&
    [ "$(reg_value "HKLM\\$UNINSTALL_KEY" Publisher)" = "Ambrex Software" ] &&
    [ "$(reg_value "HKLM\\$UNINSTALL_KEY" UninstallString)" = "\"$PFWIN\\uninstall.exe\" /AllUsers" ]'
check ".tvj is registered" '[ "$(reg_value "HKCR\\.tvj" "")" = AmbrexTavrel.Job ]'
check "a job opens in the installed program, and its menu runs /R and /T" \
    '[ "$(reg_value "HKCR\\AmbrexTavrel.Job\\shell\\open\\command" "")" = "\"$PFWIN\\tavrel.exe\" \"%1\"" ] &&
     [ "$(reg_value "HKCR\\AmbrexTavrel.Job\\shell\\kopier\\command" "")" = "\"$PFWIN\\tavrel.exe\" \"%1\" /R" ] &&
     [ "$(reg_value "HKCR\\AmbrexTavrel.Job\\shell\\information\\command" "")" = "\"$PFWIN\\tavrel.exe\" \"%1\" /T" ]'

# ---- A small job ----
mkdir -p "$W/Kilde/Under"
printf 'alfa\n' > "$W/Kilde/a.txt"
printf 'beta\n' > "$W/Kilde/Under/b.txt"
printf 'udeladt\n' > "$W/Kilde/c.bak"
printf 'FilVer=2\r\nBeskiv=Installationstest\r\nDest=%s\r\nSletDest=0\r\nUndermapper=1\r\nKunNye=1\r\nKunFiltyper=0\r\nFilTyper=.BAK\r\nModsat=0\r\n' \
    "$WIN\\Backup\\" > "$W/Job.tvj"
printf '%s\r\n' "$WIN\\Kilde\\" > "$W/Job.tvl"

# The count from the installed program's command line: the report appears, nothing is copied.
(cd "$W" && exec wine "$PF/tavrel.exe" "$WIN\\Job.tvj" /T) >/dev/null 2>&1 &
PID=$!
check "tavrel.exe JOB /T from Program Files writes the report" 'wait_for 60 "[ -f \"$W/Job.txt\" ]"'
check "the report lists the file the filter left out" 'wait_for 5 report_lists_bak'
check "the main window shows the job" 'wait_for 20 job_window'
check "the count copies nothing" '[ ! -e "$W/Backup" ]'
close_tavrel
check "closing the window ends the program" '[ $CLOSED = 1 ] && ! job_window && ! pgrep -f "Ambrex Tavrel.tavrel\\.exe" >/dev/null'

# A double-click: the shell opens the job through the association.
(cd "$W" && exec wine start "$WIN\\Job.tvj") >/dev/null 2>&1 &
STARTPID=$!
check "opening a .tvj file starts Tavrel with the job" 'wait_for 30 job_window'
wait "$STARTPID" 2>/dev/null
PID=$(pgrep -f 'Ambrex Tavrel.tavrel\.exe' | head -1)
[ -z "$PID" ] && PID=$STARTPID
# A running program cannot be replaced or removed: both refuse rather than stop half-way.
wine "$SETUP" /S >/dev/null 2>&1
check "installing over the running program fails with exit code 2" '[ $? = 2 ]'
uninstall_silently "$PF/uninstall.exe" /S
check "the uninstaller leaves the running program's installation whole" \
    '[ -f "$PF/tavrel.exe" ] && [ -f "$PF/tavrelc.exe" ] && [ -f "$PF/uninstall.exe" ] && has_key "HKLM\\$UNINSTALL_KEY" && has_key "HKCR\\.tvj"'
close_tavrel
check "and closes through its window" '[ $CLOSED = 1 ] && ! job_window'

# The console runner beside the program copies the job.
wine "$PF/tavrelc.exe" "$WIN\\Job.tvj" /R </dev/null >"$W/tavrelc.txt" 2>&1
check "installed tavrelc.exe JOB /R exits 0" '[ $? = 0 ]'
check "and copies the job" 'cmp -s "$W/Kilde/Under/b.txt" "$W/Backup/e2e_installer/Kilde/Under/b.txt" && [ ! -e "$W/Backup/e2e_installer/Kilde/c.bak" ]'

# The portable zip runs where it is unpacked.
unzip -q "$W/dist/Tavrel-$VERSION-portable.zip" -d "$W/portable"
wine "$W/portable/Ambrex Tavrel/tavrelc.exe" "$WIN\\Job.tvj" /T </dev/null >"$W/portable.txt" 2>&1
check "tavrelc.exe from the unpacked zip counts the job" '[ $? = 0 ] && grep -q "^Gennemset: 3 filer" "$W/portable.txt"'

# ---- Silent uninstall: the user's things stay ----
# A user who saved a job, its folder list and its report in the program's folder.
printf 'FilVer=2\r\n' > "$PF/Mit job.tvj"
: > "$PF/Mit job.tvl"
: > "$PF/Mit job.txt"
# The settings of a user of the program, with a value only this test writes: other programs in
# the prefix may change the rest meanwhile.
wine reg add "$SETTINGS\\Start" /v Fil /d "$WIN\\Job.tvj" /f >/dev/null 2>&1
wine reg add "$SETTINGS\\Filer" /v e2e_installer.tvj /d "8-12-2026 22:00" /f >/dev/null 2>&1
uninstall_silently "$PF/uninstall.exe" /S
check "silent uninstall removes the programs, the help page and the uninstaller" \
    '[ ! -e "$PF/tavrel.exe" ] && [ ! -e "$PF/tavrelc.exe" ] && [ ! -e "$PF/Tavrel.html" ] && [ ! -e "$PF/README.txt" ] && [ ! -e "$PF/uninstall.exe" ]'
check "the user's job, folder list and report stay in the folder" \
    '[ -f "$PF/Mit job.tvj" ] && [ -f "$PF/Mit job.tvl" ] && [ -f "$PF/Mit job.txt" ]'
check "the job elsewhere and its report stay" '[ -f "$W/Job.tvj" ] && [ -f "$W/Job.tvl" ] && [ -f "$W/Job.txt" ]'
check "the shortcut and the Apps & features entry are gone" '[ ! -e "$MENU_ALL" ] && ! has_key "HKLM\\$UNINSTALL_KEY"'
check "the association is gone" '! has_key "HKCR\\.tvj" && ! has_key "HKCR\\AmbrexTavrel.Job"'
check "the program's settings stay" '[ "$(reg_value "$SETTINGS\\Filer" e2e_installer.tvj)" = "8-12-2026 22:00" ] &&
    [ -n "$(reg_value "$SETTINGS\\Start" Fil)" ]'
rm -rf "$PF"

# ---- For one user only, after another program took .tvj ----
wine "$SETUP" /S /CurrentUser >/dev/null 2>&1
check "silent installation for the current user exits 0" '[ $? = 0 ]'
USER_WIN=$(reg_value "HKCU\\$UNINSTALL_KEY" InstallLocation)
USER_DIR=""
[ -n "$USER_WIN" ] && USER_DIR=$(wine winepath -u "$USER_WIN" 2>/dev/null | tr -d '\r')
check "installed outside Program Files, in the user's own folder" \
    '[ -n "$USER_DIR" ] && [ -f "$USER_DIR/tavrel.exe" ] && case "$USER_WIN" in *"Program Files"*) false ;; *"\\Ambrex Tavrel") true ;; *) false ;; esac'
user_menu() { ls "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Ambrex\ Tavrel.lnk >/dev/null 2>&1; }
check "Start-menu shortcut for the user only" 'user_menu && [ ! -e "$MENU_ALL" ]'
check "no entry for all users" '! has_key "HKLM\\$UNINSTALL_KEY" && ! has_key "HKLM\\Software\\Classes\\AmbrexTavrel.Job"'
check ".tvj is registered for the user" '[ "$(reg_value "HKCU\\Software\\Classes\\.tvj" "")" = AmbrexTavrel.Job ] &&
    [ "$(reg_value "HKCU\\Software\\Classes\\AmbrexTavrel.Job\\shell\\open\\command" "")" = "\"$USER_WIN\\tavrel.exe\" \"%1\"" ]'
wine reg add 'HKCU\Software\Classes\.tvj' /ve /d Andet.Program /f >/dev/null 2>&1
QUIET=$(reg_value "HKCU\\$UNINSTALL_KEY" QuietUninstallString)
check "the quiet uninstall command is the user's" '[ "$QUIET" = "\"$USER_WIN\\uninstall.exe\" /CurrentUser /S" ]'
uninstall_silently "$USER_DIR/uninstall.exe" /CurrentUser /S
check "the user's installation is removed with its folder and shortcut" '[ ! -e "$USER_DIR" ] && ! user_menu && ! has_key "HKCU\\$UNINSTALL_KEY"'
check "the other program keeps .tvj" '[ "$(reg_value "HKCU\\Software\\Classes\\.tvj" "")" = Andet.Program ] &&
    ! has_key "HKCU\\Software\\Classes\\AmbrexTavrel.Job"'

echo
if [ $failures -eq 0 ]; then echo "e2e_installer: all checks passed"; exit 0; fi
echo "e2e_installer: $failures check(s) failed"
exit 1
