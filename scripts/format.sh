#!/usr/bin/env bash
# Lays out every C++ file of the project by .clang-format; with --check,
# changes nothing and fails, naming the files, where one is laid out otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."

formatter=clang-format-14
command -v "$formatter" >/dev/null || { echo "format.sh: $formatter is missing (scripts/setup.sh $formatter)" >&2; exit 2; }

# Tracked files and new ones not yet added, so that a new file is laid out
# before its first commit.
mapfile -t files < <(git ls-files --cached --others --exclude-standard '*.cpp' '*.h')
if [[ "${1:-}" == "--check" ]]; then
    "$formatter" --dry-run -Werror "${files[@]}"
else
    "$formatter" -i "${files[@]}"
fi
