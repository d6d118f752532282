#!/bin/sh
# The Windows installer under Wine, in a fresh Wine prefix on an X display
# of its own: a silent install for all users, the installed files, the
# Start-menu entry, the file types and the Uninstall entry; the installed
# window started with an archive and through the archive's file type
# (window_smoke.exe installed); then the silent uninstall, after which
# nothing the installer made is left. Last, the same install and uninstall
# for the current user alone. Exit code 77 when Xvfb or Wine is
# missing (the test is then skipped); the prefix is kept on failure.
#
# usage: installer.sh SETUP_EXE WINDOW_SMOKE_EXE
# INSTALLER_DISPLAY: the first X display number tried (81); nine are tried.
set -u

if [ $# -ne 2 ]; then
    echo "usage: installer.sh SETUP_EXE WINDOW_SMOKE_EXE" >&2
    exit 2
fi
setup=$1
smoke=$2
for tool in Xvfb xdpyinfo wine wineserver; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/sonkrate-installer.XXXXXX") || exit 1
export WINEPREFIX="$work/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
xvfb_pid=
failed=0
cleanup() {
    timeout 30 wineserver -k 2>/dev/null
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    if [ "$failed" = 0 ]; then rm -rf "$work"; else echo "Wine prefix kept in $WINEPREFIX"; fi
}
trap cleanup EXIT
trap 'failed=1; exit 130' INT TERM HUP

fail() {
    echo "FAIL: $*"
    failed=1
}
# Waits for every program of the prefix to end, for two minutes at most.
settle() {
    timeout 120 wineserver -w || fail "Wine programs still run two minutes after $1"
}

# Runs an uninstaller silently and waits for the copy of itself that it runs
# on from. Under Wine the start of that copy from the temporary folder has
# failed once in many runs: the uninstaller then ends with 2 before it has
# touched anything (its folder is whole), and it is run once more. The exit
# status is left in rc.
uninstall() {
    timeout 180 wine "$1/uninstall.exe" /S
    rc=$?
    settle "the uninstall ($2)"
    if [ $rc -eq 2 ] && [ -f "$1/uninstall.exe" ] && [ -f "$1/sonkrate.exe" ]; then
        echo "uninstall.exe /S ($2) ended with 2 and left everything in place; run once more"
        timeout 180 wine "$1/uninstall.exe" /S
        rc=$?
        settle "the second uninstall ($2)"
    fi
}

# A display nobody uses: no lock file, and a server that comes up.
n=${INSTALLER_DISPLAY:-81}
last=$((n + 9))
while [ "$n" -lt "$last" ] && [ -z "${DISPLAY_FOUND:-}" ]; do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb_pid=$!
        tries=0
        while [ $tries -lt 50 ] && kill -0 "$xvfb_pid" 2>/dev/null; do
            if xdpyinfo -display ":$n" >/dev/null 2>&1; then DISPLAY_FOUND=":$n"; break; fi
            sleep 0.1
            tries=$((tries + 1))
        done
        if [ -z "${DISPLAY_FOUND:-}" ]; then
            kill "$xvfb_pid" 2>/dev/null
            wait "$xvfb_pid" 2>/dev/null
            xvfb_pid=
        fi
    fi
    n=$((n + 1))
done
if [ -z "${DISPLAY_FOUND:-}" ]; then
    echo "installer.sh: no X display could be started" >&2
    failed=1
    exit 1
fi
export DISPLAY="$DISPLAY_FOUND"

timeout 240 wine wineboot --init >/dev/null 2>&1
settle "wineboot"

# wine reg query prints the value's line; the key's absence is a non-zero exit.
reg_value() {
    if [ $# -eq 2 ]; then
        timeout 60 wine reg query "$1" /v "$2" 2>/dev/null
    else
        timeout 60 wine reg query "$1" /ve 2>/dev/null
    fi | tr -d '\r' | sed -n 's/^ *[^ ].*REG_[A-Z_]* *//p' | head -n 1
}
reg_exists() {
    timeout 60 wine reg query "$1" >/dev/null 2>&1
}

program_dir="$WINEPREFIX/drive_c/Program Files/Sonkrate"
start_menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Sonkrate.lnk"
installed="sonkrate.exe auto_stop.exe sonkrate-cli.exe Sonkrate-help.chm README.txt LICENSE.txt THIRD-PARTY.txt
    sonkrate.installed uninstall.exe"
classes='HKLM\Software\Classes'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Sonkrate'

timeout 180 wine "$setup" /S /AllUsers
rc=$?
settle "the install"
[ $rc -eq 0 ] || fail "sonkrate-setup.exe /S /AllUsers ended with $rc"

for f in $installed; do
    [ -f "$program_dir/$f" ] || fail "$f is not in Program Files\\Sonkrate"
done
grep -q '^Copyright (c) 2026 The Sonkrate developers' "$program_dir/LICENSE.txt" || fail "LICENSE.txt is not the MIT licence of Sonkrate"
grep -q 'GCC RUNTIME LIBRARY EXCEPTION' "$program_dir/THIRD-PARTY.txt" || fail "THIRD-PARTY.txt lacks the GCC runtime's notice"
[ -f "$start_menu" ] || fail "no Start-menu entry Sonkrate.lnk"
for ext in tpa cau eel; do
    [ "$(reg_value "$classes\\.$ext")" = "Sonkrate.$ext" ] || fail ".$ext is not of the type Sonkrate.$ext"
    command=$(reg_value "$classes\\Sonkrate.$ext\\shell\\open\\command")
    [ "$command" = '"C:\Program Files\Sonkrate\sonkrate.exe" "%1"' ] ||
        fail "Sonkrate.$ext opens with [$command]"
done
[ "$(reg_value "$uninstall_key" DisplayName)" = "Sonkrate" ] || fail "no DisplayName under Uninstall\\Sonkrate"
uninstall=$(reg_value "$uninstall_key" UninstallString)
case $uninstall in
    *'C:\Program Files\Sonkrate\uninstall.exe'*) ;;
    *) fail "UninstallString is [$uninstall]" ;;
esac
[ "$(reg_value "$uninstall_key" DisplayVersion)" != "" ] || fail "no DisplayVersion under Uninstall\\Sonkrate"

# The window from its installed place; the test program and its archive
# live in a folder of their own.
mkdir "$work/probe" && cp "$smoke" "$work/probe/" || exit 1
(cd "$work/probe" && timeout 200 wine "$work/probe/$(basename "$smoke")" installed 'C:\Program Files\Sonkrate\sonkrate.exe')
rc=$?
settle "window_smoke.exe"
[ $rc -eq 0 ] || fail "window_smoke.exe installed ended with $rc"

uninstall "$program_dir" "for every user"
[ $rc -eq 0 ] || fail "uninstall.exe /S ended with $rc"
[ ! -e "$program_dir" ] || fail "Program Files\\Sonkrate is still there: $(ls "$program_dir" | tr '\n' ' ')"
[ ! -e "$start_menu" ] || fail "the Start-menu entry is still there"
for ext in tpa cau eel; do
    reg_exists "$classes\\Sonkrate.$ext" && fail "the type Sonkrate.$ext is still registered"
    [ "$(reg_value "$classes\\.$ext")" = "Sonkrate.$ext" ] && fail ".$ext still opens in Sonkrate"
done
reg_exists "$uninstall_key" && fail "Uninstall\\Sonkrate is still there"
reg_exists 'HKLM\Software\Sonkrate' && fail "HKLM\\Software\\Sonkrate is still there"

# For this user alone: the user's own programs folder and HKEY_CURRENT_USER.
user_dir="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Programs/Sonkrate"
user_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Sonkrate'
timeout 180 wine "$setup" /S /CurrentUser
rc=$?
settle "the install for this user"
[ $rc -eq 0 ] || fail "sonkrate-setup.exe /S /CurrentUser ended with $rc"
[ -f "$user_dir/sonkrate.exe" ] || fail "a per-user install put no sonkrate.exe into AppData\\Local\\Programs\\Sonkrate"
[ "$(reg_value 'HKCU\Software\Classes\.tpa')" = "Sonkrate.tpa" ] || fail "a per-user install did not register .tpa for the user"
[ "$(reg_value "$user_key" DisplayName)" = "Sonkrate" ] || fail "a per-user install has no Uninstall entry of the user"
uninstall "$user_dir" "for this user"
[ $rc -eq 0 ] || fail "uninstall.exe /S for this user ended with $rc"
[ ! -e "$user_dir" ] || fail "the per-user folder is still there after its uninstall"
reg_exists "$user_key" && fail "the user's Uninstall entry is still there"
reg_exists 'HKCU\Software\Classes\Sonkrate.tpa' && fail "the user's type Sonkrate.tpa is still registered"

if [ "$failed" = 0 ]; then echo "installer: all checks held"; exit 0; fi
exit 1
