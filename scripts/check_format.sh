#!/usr/bin/env bash
# Fails, naming the files, when a C or C++ file git tracks differs from what
# clang-format makes of it with the project's .clang-format. To fix:
# git clang-format (what you changed) or clang-format -i FILE.
set -euo pipefail
cd "$(dirname "$0")/.."
differ=()
while IFS= read -r -d '' file; do
  clang-format --style=file "$file" | cmp -s - "$file" || differ+=("$file")
done < <(git ls-files -z '*.cpp' '*.h' '*.c')
if [ ${#differ[@]} -gt 0 ]; then
  echo "Not formatted as .clang-format says (clang-format -i FILE):"
  printf '  %s\n' "${differ[@]}"
  exit 1
fi
echo "Formatting: every C and C++ file as .clang-format says."
