#!/usr/bin/env bash
# Writes the golden copies of corvanta-cli's JSON and text again from the
# built program: run it only when an output is meant to change, and commit
# the new copies on their own so the change can be read in the diff.
# Usage: scripts/regenerate-golden.sh [BUILD_DIR]   (default build/default)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$source_dir/build/default}/cli/corvanta-cli
golden=$source_dir/tests/cli/data/golden
while read -r name status arguments; do
    [[ -z $name || $name == \#* ]] && continue
    extension=json
    [[ $arguments != *"--format json"* ]] && extension=txt
    set +e
    # shellcheck disable=SC2086
    "$cli" ${arguments//@SOURCE@/$source_dir} >"$golden/$name.$extension.new"
    got=$?
    # The source folder differs between checkouts: the copies name it @SOURCE@.
    sed "s|$source_dir|@SOURCE@|g" "$golden/$name.$extension.new" >"$golden/$name.$extension"
    rm "$golden/$name.$extension.new"
    set -e
    if [[ $got != "$status" ]]; then
        echo "$name: exit status $got, expected $status" >&2
        exit 1
    fi
done <"$golden/commands"
