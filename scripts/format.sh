#!/usr/bin/env bash
# Formats the tree's C and C++ sources with its .clang-format.
#
#   scripts/format.sh           rewrites every file that differs
#   scripts/format.sh --check   changes nothing; names what differs and exits 1
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-}
case $mode in
  ''|--check) ;;
  *) echo "usage: scripts/format.sh [--check]" >&2; exit 2 ;;
esac
if ! command -v clang-format >/dev/null; then
  echo "format.sh: clang-format is not installed (scripts/setup.sh installs it)" >&2
  exit 2
fi

mapfile -t files < <(git ls-files '*.c' '*.cpp' '*.h')
if [ "$mode" = --check ]; then
  if ! clang-format --dry-run --Werror "${files[@]}" 2>/dev/null; then
    echo "format.sh: these files differ from .clang-format (scripts/format.sh rewrites them):" >&2
    for file in "${files[@]}"; do
      clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || echo "  $file" >&2
    done
    exit 1
  fi
  echo "format.sh: ${#files[@]} files follow .clang-format"
else
  clang-format -i "${files[@]}"
fi
