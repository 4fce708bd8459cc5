#!/usr/bin/env bash
# Runs a test program under a steady clock that started a minute ago, as on a
# machine that has just booted: the steady clock's epoch is the boot, so
# code that takes its zero for "long ago" fails there and nowhere else.
#
# Usage: FreshBootClock.sh PROGRAM [ARGUMENTS...]
# Exits with 77 (skipped) where no time namespace can be made.
set -uo pipefail
up=$(cut -d. -f1 /proc/uptime 2>/dev/null) || exit 77
offset=$((60 - up))
command -v unshare >/dev/null || exit 77
unshare --time --monotonic="$offset" --boottime="$offset" true 2>/dev/null || exit 77
exec unshare --time --monotonic="$offset" --boottime="$offset" "$@"
