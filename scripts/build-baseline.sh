#!/usr/bin/env bash
# Builds the network server of another commit for make bench's side-by-side:
# the commit's files (git archive) in DIR/source, its build in DIR/build, only
# the target 6175ZIZ-scpi, with this build's build type. Kept between runs
# and taken anew when REF names another commit. Prints the program's path.
#
#   scripts/build-baseline.sh REF DIR [BUILD_TYPE]
set -euo pipefail
ref=$1 dir=$2 type=${3:-RelWithDebInfo}
commit=$(git rev-parse --verify --quiet "$ref^{commit}") || {
  echo "build-baseline: $ref names no commit here" >&2
  exit 1
}
if [ "$(cat "$dir/commit" 2>/dev/null)" != "$commit" ]; then
  rm -rf "$dir"
  mkdir -p "$dir/source"
  git archive "$commit" | tar -x -C "$dir/source"
  echo "$commit" >"$dir/commit"
fi
echo "build-baseline: 6175ZIZ-scpi of $ref ($commit) in $dir/build" >&2
generator=()
[ -f "$dir/build/CMakeCache.txt" ] || ! command -v ninja >/dev/null || generator=(-G Ninja)
cmake -S "$dir/source" -B "$dir/build" "${generator[@]}" -DCMAKE_BUILD_TYPE="$type" >/dev/null
cmake --build "$dir/build" --parallel 2 --target 6175ZIZ-scpi >&2
# Wherever that commit's tree puts it.
server=$(find "$dir/build" -type f -name 6175ZIZ-scpi -perm -u+x | head -n 1)
[ -n "$server" ] || {
  echo "build-baseline: no 6175ZIZ-scpi in $dir/build" >&2
  exit 1
}
echo "$server"
