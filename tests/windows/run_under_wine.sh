#!/bin/sh
# Runs one mode of window_smoke.exe under Wine on an X display of its own.
# The programs are copied into a fresh folder, so the working files are
# made there; the exit code is the test program's, 77 when Xvfb or Wine is
# missing (the test is then skipped). On failure a screenshot is kept in
# ARTIFACT_DIR and the fresh folder is left in place.
#
# usage: run_under_wine.sh MODE WINDOW_SMOKE_EXE MENU_PROBE_DLL PROGRAM_DIR ARTIFACT_DIR WINE_RUN
#   MODE         window, autoplay, archive, archive-edit or killswitch; unit runs WINDOW_SMOKE_EXE,
#                a test program of its own, on the display
#   PROGRAM_DIR  the folder of sonkrate.exe, auto_stop.exe and the help file
#   WINE_RUN     tools/wine-run of the source tree (it makes the Wine prefix)
# WINDOW_SMOKE_DISPLAY: the first X display number tried (71); nine are tried.
set -u

if [ $# -ne 6 ]; then
    echo "usage: run_under_wine.sh MODE WINDOW_SMOKE_EXE MENU_PROBE_DLL PROGRAM_DIR ARTIFACT_DIR WINE_RUN" >&2
    exit 2
fi
mode=$1
smoke=$2
probe_dll=$3
program_dir=$4
artifacts=$5
wine_run=$6

for tool in Xvfb xdpyinfo wine; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

case $mode in
    window | autoplay | archive | archive-edit) program=sonkrate.exe ;;
    killswitch) program=auto_stop.exe ;;
    unit) program= ;;
    *) echo "run_under_wine.sh: unknown mode $mode" >&2; exit 2 ;;
esac

work=$(mktemp -d "${TMPDIR:-/tmp}/sonkrate-windows-$mode.XXXXXX") || exit 1
xvfb_pid=
run_pid=
keep_work=
# Also run when the script is ended: the test program (whose Wine job then
# ends sonkrate) and the X server go with it.
cleanup() {
    if [ -n "$run_pid" ]; then
        kill "$run_pid" 2>/dev/null
        wait "$run_pid" 2>/dev/null
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    if [ -z "$keep_work" ]; then
        rm -rf "$work"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

mkdir "$work/app" "$work/probe" || exit 1
cp "$program_dir/sonkrate.exe" "$program_dir/auto_stop.exe" "$work/app/" || exit 1
if [ -f "$program_dir/Sonkrate-help.chm" ]; then
    cp "$program_dir/Sonkrate-help.chm" "$work/app/" || exit 1
fi
cp "$smoke" "$probe_dll" "$work/probe/" || exit 1

# A display nobody uses: no lock file, and a server that comes up.
first=${WINDOW_SMOKE_DISPLAY:-71}
n=$first
display=
while [ "$n" -lt $((first + 9)) ] && [ -z "$display" ]; do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb_pid=$!
        tries=0
        while [ $tries -lt 50 ] && kill -0 "$xvfb_pid" 2>/dev/null; do
            if xdpyinfo -display ":$n" >/dev/null 2>&1; then
                display=":$n"
                break
            fi
            sleep 0.1
            tries=$((tries + 1))
        done
        if [ -z "$display" ]; then
            kill "$xvfb_pid" 2>/dev/null
            wait "$xvfb_pid" 2>/dev/null
            xvfb_pid=
        fi
    fi
    n=$((n + 1))
done
if [ -z "$display" ]; then
    echo "run_under_wine.sh: no X display could be started from :$first on" >&2
    exit 1
fi

# Wine sees the root of this machine as drive Z:.
windows_path() {
    printf 'Z:%s' "$1" | tr / '\\'
}

mkdir -p "$artifacts"
shot="$artifacts/$mode-failure.png"
rm -f "$shot"
request="$work/probe/screenshot.request"

# The test program asks for a screenshot at its first failed check, while
# the windows are still up; it waits for the answer file.
if [ "$mode" = unit ]; then
    (cd "$work/app" && DISPLAY=$display timeout 200 sh "$wine_run" "$work/probe/$(basename "$smoke")") &
else
    WINDOW_SMOKE_SCREENSHOTS=1 DISPLAY=$display \
        timeout 200 sh "$wine_run" "$work/probe/window_smoke.exe" "$mode" "$(windows_path "$work/app/$program")" &
fi
run_pid=$!
while kill -0 "$run_pid" 2>/dev/null; do
    if [ -f "$request" ] && [ ! -f "$request.done" ]; then
        DISPLAY=$display import -window root "$shot" >/dev/null 2>&1
        : >"$request.done"
    fi
    sleep 0.2
done
wait "$run_pid"
rc=$?
run_pid=

if [ $rc -ne 0 ]; then
    [ -f "$shot" ] || DISPLAY=$display import -window root "$shot" >/dev/null 2>&1
    [ -f "$shot" ] && echo "screenshot: $shot"
    [ $rc -eq 124 ] && echo "window_smoke.exe $mode did not end within 200 s"
    keep_work=1
    echo "programs and their files kept in $work"
fi
exit $rc
