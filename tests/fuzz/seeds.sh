#!/bin/sh
# Writes the fuzzer's seed inputs into $1: every example program, and the program of every
# case file followed by a NUL and its standard input.
set -eu
out=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
mkdir -p "$out"
for f in "$root"/examples/*.pas; do
  cp "$f" "$out/example-$(basename "$f")"
done
for f in "$root"/tests/programs/*.case; do
  awk '
    /^=== / { section = $2; next }
    section == "program" { program = program $0 "\r\n" }
    section == "stdin"   { input = input $0 "\n" }
    END { printf "%s%c%s", program, 0, input }
  ' "$f" > "$out/case-$(basename "$f" .case)"
done
