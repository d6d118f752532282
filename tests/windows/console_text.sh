#!/bin/sh
# sonkrate-cli.exe writing to a Windows console under Wine: names outside
# ASCII must reach the console as the letters they are, on standard output
# and on standard error, and the progress bar is drawn there. `script` gives
# Wine a terminal, so the program finds a console on both streams; the
# console's cursor and colour sequences are taken out of what it shows
# before the text is looked at.
#
# usage: console_text.sh SONKRATE_CLI_EXE WINE_RUN
# Exit code 77 (skipped) when Wine or script is missing.
set -u

if [ $# -ne 2 ]; then
    echo "usage: console_text.sh SONKRATE_CLI_EXE WINE_RUN" >&2
    exit 2
fi
for tool in wine script; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
CLI=$(absolute "$1")
WINE_RUN=$(absolute "$2")
export CLI WINE_RUN
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
export LC_ALL=C.UTF-8

# Made without a console: the archive whose name the console must show.
if ! sh "$WINE_RUN" "$CLI" new "Дмитрий サウンド.tpa" >made.txt 2>&1; then
    cat made.txt
    exit 1
fi

# What a console shows: the escape sequences out, letters and line breaks kept.
on_console() {
    SHELL=/bin/sh script -qec "sh \"\$WINE_RUN\" \"\$CLI\" $1" /dev/null </dev/null |
        sed 's/\x1b\[1\{0,1\}C/ /g; s/\x1b\[[0-9;?]*[A-Za-z]//g; s/\x1b\][^\x07]*\x07//g' | tr -d '\r'
}

failed=0
expect() {  # expect WHAT TEXT SHOWN
    if printf '%s' "$3" | grep -qF -- "$2"; then
        echo "ok: $1"
    else
        echo "FAILED: $1: \"$2\" is not on the console. It showed:"
        printf '%s\n' "$3"
        failed=1
    fi
}

shown=$(on_console "info 'Дмитрий サウンド.tpa'")
expect "standard output" "Дмитрий" "$shown"
expect "standard output" "サウンド" "$shown"
expect "line breaks" "entries:" "$(printf '%s\n' "$shown" | grep '^entries:')"

shown=$(on_console "info Zoë.tpa")
expect "standard error" "Zoë.tpa" "$shown"

# Standard error on a console is a terminal: the progress bar is drawn there.
shown=$(on_console "export-all 'Дмитрий サウンド.tpa' 'выход'")
expect "progress bar" "exporting [" "$shown"
expect "progress bar" "0/1 entries" "$shown"
expect "summary" "1 of 1 entries written into выход" "$shown"

exit $failed
