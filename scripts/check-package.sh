#!/usr/bin/env bash
# Checks a Debian package with lintian (any error or warning fails, and
# informational tags are shown), and that its control fields carry the
# project's summary and description as written. Cheap enough for every CI
# run.
#
#   scripts/check-package.sh PACKAGE.deb
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

fail() {
    echo "check-package: $*" >&2
    exit 1
}

[ $# -eq 1 ] || fail "usage: check-package.sh PACKAGE.deb"
deb=$1
[ -f "$deb" ] || fail "$deb is missing"
command -v lintian >/dev/null || fail "lintian is missing (Debian package lintian)"

log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
lintian --fail-on error,warning --display-info --tag-display-limit 0 "$deb" >"$log" 2>&1 ||
    status=$?
# Lintian warns that it runs as root, which CI does; that is no finding.
grep -v 'running with root privileges is not recommended' "$log" || true
[ "$status" -eq 0 ] || fail "lintian finds errors or warnings in $deb (status $status)"
echo "check-package: lintian finds no error or warning in $deb"

# The long description as the package gives it: its continuation lines
# without their leading space, " ." as the empty line between paragraphs.
description=$(dpkg-deb -f "$deb" Description) || fail "dpkg-deb cannot read $deb's Description"
tail -n +2 <<<"$description" | sed -e 's/^ //' -e 's/^\.$//' >"$log"
diff -u "$root/packaging/description.txt" "$log" >"$log.diff" || {
    cat "$log.diff" >&2
    rm -f "$log.diff"
    fail "the package's description differs from packaging/description.txt"
}
rm -f "$log.diff"
summary=${description%%$'\n'*}
project_summary=$(sed -n -E 's/^  DESCRIPTION "(.*)"$/\1/p' "$root/CMakeLists.txt")
[ -n "$project_summary" ] || fail "found no line '  DESCRIPTION \"...\"' of project() in $root/CMakeLists.txt"
[ "$summary" = "$project_summary" ] ||
    fail "the package's summary is \"$summary\", project() says \"$project_summary\""
echo "check-package: the package's summary and description are the project's"
