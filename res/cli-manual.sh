#!/usr/bin/env bash
# Writes tapelink-cli's manual page from the program's own texts: its --help and --version, and, as the
# COMMANDS section, the --help of every command and of the commands under it (such as "bin list").
# The sections no --help holds (output rules, exit status, environment) come from SECTIONS, written by hand.
# Usage: cli-manual.sh TAPELINK_CLI HELP2MAN OUTPUT SECTIONS
set -euo pipefail
cli=$1 help2man=$2 out=$3 sections=$4
include=$(mktemp)
trap 'rm -f "$include"' EXIT

# The names listed under "Subcommands:" in the help of the command named by the arguments.
subcommands() {
    "$cli" "$@" --help | awk '/^[Ss]ubcommands:$/ { on = 1; next } on && /^[^ ]/ { on = 0 } on && /^  [a-z]/ { print $1 }'
}

# Each command's help as literal text; roff control characters at a line's start are escaped.
describe() {
    local sub
    for sub in $(subcommands "$@"); do
        printf '.SS "%s"\n.nf\n' "$* $sub" | sed 's/" /"/'
        "$cli" "$@" "$sub" --help | sed -e 's/\\/\\e/g' -e 's/^\([.'"'"'[]\)/\\\&\1/'
        printf '.fi\n'
        describe "$@" "$sub"
    done
}

{
    echo '[COMMANDS]'
    describe
    cat "$sections"
    echo '[SEE ALSO]'
    echo '.BR tapelink (1)'
} >"$include"

[ -n "$(sed -n '/^\.SS/p' "$include")" ] || { echo "cli-manual.sh: $cli --help lists no commands" >&2; exit 1; }
"$help2man" --no-info --section 1 --name "the call-recording telephone's recordings from the command line" \
    --include "$include" --output "$out" "$cli"
