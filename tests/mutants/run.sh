#!/usr/bin/env bash
# The fault probe: makes each fault of a list, one at a time, in a throwaway copy of the
# tree, builds the copy (without the windows) and runs its tests. A fault the tests let
# through "survives": some rule of the program is then guarded by no test. The working
# copy is never touched; the copy holds the tree as it stands, uncommitted changes included.
#
#   tests/mutants/run.sh [--list FILE] [--keep] [PREFIX...]
#
# PREFIX keeps the faults whose file starts with it (src/interpreter src/core: the faults
# of the interpreter and of the core). --keep leaves the copy and its build for a look.
# JOBS sets the parallel build and test jobs (2). Exit status: 0 when every fault was
# caught, 1 when one survived or no longer applies, 2 when the probe could not run.
#
# The list (tests/mutants/faults.txt) holds one fault per paragraph:
#   FILE: what the program would then do
#   - the exact original text, found once in FILE
#   + the text put in its place (nothing after "+" removes the original)
# Lines starting with "#" are comments.
set -u
# "&" in a replacement is the text itself, never the matched original.
shopt -u patsub_replacement 2>/dev/null

here=$(cd "$(dirname "$0")" && pwd)
root=$(git -C "$here" rev-parse --show-toplevel) || exit 2
list=$here/faults.txt
keep=0
prefixes=()
while [ $# -gt 0 ]; do
  case $1 in
    --list) list=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    -h|--help) sed -n '2,18p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) prefixes+=("$1"); shift ;;
  esac
done
jobs=${JOBS:-2}

# ---- The list: files, originals, replacements and descriptions, in order.
files=() originals=() replacements=() descriptions=()
entry_file="" entry_what="" entry_from="" entry_to="" have_from=0 have_to=0
finish_entry() {
  [ -n "$entry_file" ] || return 0
  if [ $have_from -eq 0 ] || [ $have_to -eq 0 ]; then
    echo "mutants: the fault \"$entry_file: $entry_what\" lacks its - or + line" >&2
    exit 2
  fi
  local selected=1
  if [ ${#prefixes[@]} -gt 0 ]; then
    selected=0
    for p in "${prefixes[@]}"; do [[ $entry_file == "$p"* ]] && selected=1; done
  fi
  if [ $selected -eq 1 ]; then
    files+=("$entry_file") originals+=("$entry_from") replacements+=("$entry_to")
    descriptions+=("$entry_what")
  fi
  entry_file="" entry_what="" entry_from="" entry_to="" have_from=0 have_to=0
}
while IFS= read -r line || [ -n "$line" ]; do
  case $line in
    '#'*) ;;
    '') finish_entry ;;
    '- '*) entry_from=${line#- }; have_from=1 ;;
    '+') entry_to=""; have_to=1 ;;
    '+ '*) entry_to=${line#+ }; have_to=1 ;;
    *) finish_entry; entry_file=${line%%: *}; entry_what=${line#*: } ;;
  esac
done <"$list"
finish_entry
[ ${#files[@]} -gt 0 ] || { echo "mutants: no fault selected" >&2; exit 2; }

# ---- The throwaway copy: every file git knows or would add, as it stands now.
work=$(mktemp -d "${TMPDIR:-/tmp}/zef-mutants-XXXXXX") || exit 2
if [ $keep -eq 1 ]; then
  echo "mutants: the copy stays in $work"
else
  trap 'rm -rf "$work"' EXIT
fi
tree=$work/tree
mkdir -p "$tree"
(cd "$root" && git ls-files -z --cached --others --exclude-standard |
  while IFS= read -r -d '' f; do [ -f "$f" ] && printf '%s\0' "$f"; done |
  tar --null -T - -cf -) | tar -C "$tree" -xf - || exit 2

# Reads a file whole, final line ends included.
slurp() { local s; s=$(cat "$1"; printf x); printf '%s' "${s%x}"; }
# How often the text occurs in the file's content (0, 1 or 2 meaning "more").
occurrences() {
  local content=$1 text=$2
  case $content in *"$text"*) ;; *) echo 0; return ;; esac
  local rest=${content#*"$text"}
  case $rest in *"$text"*) echo 2 ;; *) echo 1 ;; esac
}

# ---- The build without windows, incremental from one fault to the next.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  # Paths inside the copy are hashed relative to it, so that one probe reuses the
  # objects of the last.
  export CCACHE_BASEDIR=$tree CCACHE_NOHASHDIR=1
fi
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
build=$tree/build
log=$work/log
echo "mutants: building the copy without windows ($tree)"
# The standard library checks its indexes in the copy: a fault that reads past an array
# then stops the test instead of reading whatever lies after it, by luck harmless.
cmake -S "$tree" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEF_GUI=OFF \
  -DZEF_BENCH=OFF -DCMAKE_CXX_FLAGS=-D_GLIBCXX_ASSERTIONS "${launcher[@]}" >"$log" 2>&1 &&
  nice -n 10 cmake --build "$build" -j "$jobs" >>"$log" 2>&1 ||
  { tail -30 "$log"; echo "mutants: the copy does not build without any fault" >&2; exit 2; }

# Runs the tests; prints the first test that failed, nothing when all passed.
run_tests() {
  (cd "$build" && nice -n 10 ctest -j "$jobs" --timeout 900 --stop-on-failure >"$log" 2>&1)
  local status=$?
  [ $status -eq 0 ] && return 0
  local failed
  failed=$(sed -n '/The following tests FAILED:/{n;p;q}' "$log" | sed 's/^[[:space:]]*[0-9]* - //')
  echo "${failed:-ctest status $status}"
  return 1
}
if ! first=$(run_tests); then
  echo "mutants: the tests fail without any fault ($first)" >&2
  exit 2
fi

# ---- One fault at a time.
survived=() stale=() unbuilt=()
killed=0
for i in "${!files[@]}"; do
  file=${files[$i]} from=${originals[$i]} to=${replacements[$i]} what=${descriptions[$i]}
  label="$file: $what"
  if [ ! -f "$tree/$file" ]; then
    stale+=("$label (no such file)")
    printf 'STALE     %s (no such file)\n' "$label"
    continue
  fi
  original=$(slurp "$tree/$file")
  count=$(occurrences "$original" "$from")
  if [ "$count" -ne 1 ]; then
    why=$([ "$count" -eq 0 ] && echo "text not found" || echo "text found more than once")
    stale+=("$label ($why)")
    printf 'STALE     %s (%s)\n' "$label" "$why"
    continue
  fi
  printf '%s' "${original/"$from"/"$to"}" >"$tree/$file"
  if ! nice -n 10 cmake --build "$build" -j "$jobs" >"$log" 2>&1; then
    unbuilt+=("$label")
    printf 'NO BUILD  %s\n' "$label"
  elif by=$(run_tests); then
    survived+=("$label")
    printf 'SURVIVED  %s\n' "$label"
  else
    killed=$((killed + 1))
    printf 'killed    %s  (by %s)\n' "$label" "$by"
  fi
  printf '%s' "$original" >"$tree/$file"
done

echo
echo "mutants: ${#files[@]} faults, $killed caught, ${#survived[@]} survived," \
  "${#unbuilt[@]} did not build, ${#stale[@]} no longer apply"
for s in "${survived[@]}"; do echo "  survived: $s"; done
for s in "${stale[@]}"; do echo "  no longer applies: $s"; done
[ ${#survived[@]} -eq 0 ] && [ ${#stale[@]} -eq 0 ]
