#!/usr/bin/env bash
# Checks a manual page against the program it documents: `man` shows it
# without a warning, its heading gives the version, it shows every option of
# the program's --help with that option's whole text, and it documents no
# option that --help does not list.
#
#   scripts/check-manual.sh PROGRAM PAGE VERSION
set -euo pipefail

fail() {
    echo "check-manual: $*" >&2
    exit 1
}

[ $# -eq 3 ] || fail "usage: check-manual.sh PROGRAM PAGE VERSION"
program=$1 page=$2 version=$3
[ -f "$page" ] || fail "$page is missing"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$program" --help >"$work/help.txt" || fail "$program --help failed"
# Plain text at a fixed width: the C locale's ASCII output, which man
# leaves without bold or underlining when it does not write to a terminal.
LC_ALL=C MANWIDTH=80 man --warnings -l "$page" >"$work/page.txt" 2>"$work/man.err" ||
    fail "man -l $page failed: $(cat "$work/man.err")"
[ ! -s "$work/man.err" ] || fail "man -l $page warns: $(cat "$work/man.err")"
grep -q "tallowick $version" "$work/page.txt" || fail "$page does not give version $version"

# "--run PROGRAM [ARG]<TAB>its text", one line per option of --help: an
# option's line starts with two spaces and its dashes, its text follows
# after two spaces or more and goes on over the lines indented further.
awk '
    /^  --/ {
        if (label != "") print label "\t" text
        line = substr($0, 3)
        match(line, /  +/)
        label = substr(line, 1, RSTART - 1)
        text = substr(line, RSTART + RLENGTH)
        next
    }
    label != "" && /^   +[^ ]/ { sub(/^ +/, ""); text = text " " $0; next }
    { if (label != "") print label "\t" text; label = "" }
    END { if (label != "") print label "\t" text }
' "$work/help.txt" >"$work/options.tsv"
[ -s "$work/options.tsv" ] || fail "$program --help lists no option"

# Compared without white space: the page wraps its lines differently.
tr -d '[:space:]' <"$work/page.txt" >"$work/page.compact"
while IFS=$'\t' read -r label text; do
    for part in "$label" "$text"; do
        compact=$(tr -d '[:space:]' <<<"$part")
        grep -qF -- "$compact" "$work/page.compact" ||
            fail "man -l $page does not show \"$part\" of $program --help"
    done
done <"$work/options.tsv"

# Every option the page's OPTIONS section tags is one --help lists.
cut -f1 "$work/options.tsv" | cut -d' ' -f1 | sort >"$work/help-options"
sed -n '/^OPTIONS$/,/^[A-Z]/p' "$work/page.txt" |
    sed -n -E 's/^ {7}(--[a-z0-9-]+).*/\1/p' | sort >"$work/page-options"
[ -s "$work/page-options" ] || fail "$page tags no option under OPTIONS"
extra=$(comm -13 "$work/help-options" "$work/page-options")
[ -z "$extra" ] || fail "$page documents options $program --help does not list: $extra"
echo "check-manual: $page shows all $(wc -l <"$work/help-options") options of $program --help"
