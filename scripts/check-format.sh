#!/usr/bin/env bash
# Fails when a C++ file of the repository differs from what clang-format
# makes of it (.clang-format at the top). Lists the files and how to mend them.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "check-format: clang-format is not installed" >&2; exit 2; }
bad=()
while IFS= read -r -d '' f; do
    clang-format --style=file "$f" | cmp -s - "$f" || bad+=("$f")
done < <(git ls-files -z '*.cpp' '*.h')
if [ ${#bad[@]} -gt 0 ]; then
    printf 'Not formatted: %s\n' "${bad[@]}" >&2
    echo "Run: clang-format -i ${bad[*]}" >&2
    exit 1
fi
echo "check-format: ${#bad[@]} unformatted files"
