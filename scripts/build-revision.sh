# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the scripts that compare this working tree with another revision (bench-compare.sh, sprt.sh):
# both are built beside the tree, Release and engine only, so nothing in this checkout changes.

# The scratch folder that holds the builds; one for every script, so a revision is built once.
revisions_dir() {
  echo "${TALVOR_REVISIONS_DIR:-${TMPDIR:-/tmp}/talvor-revisions}"
}

# build_tree SOURCE BUILD TARGET...: configures and builds the targets (output only on failure).
build_tree() {
  local src=$1 dir=$2 log
  shift 2
  log=$(mktemp)
  if ! { cmake -S "$src" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTALVOR_GUI=OFF -DTALVOR_TESTS=OFF &&
         cmake --build "$dir" -j "$(nproc)" --target "$@"; } >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    return 1
  fi
  rm -f "$log"
}

# revision_build ROOT COMMIT TARGET...: builds COMMIT of the repository at ROOT from its own tree; prints the
# build folder.
revision_build() {
  local root=$1 commit=$2 dir
  shift 2
  dir="$(revisions_dir)/rev-$commit"
  if [ ! -d "$dir/src" ]; then
    mkdir -p "$dir/src.part"
    git -C "$root" archive "$commit" | tar -x -C "$dir/src.part"
    mv "$dir/src.part" "$dir/src"
  fi
  echo "building $commit" >&2
  build_tree "$dir/src" "$dir/build" "$@"
  echo "$dir/build"
}

# head_build ROOT TARGET...: builds the working tree at ROOT; prints the build folder. One folder per checkout:
# CMake refuses a build folder made from another source tree.
head_build() {
  local root=$1 dir
  shift
  dir="$(revisions_dir)/head-$(printf %s "$root" | cksum | cut -d" " -f1)"
  echo "building this tree" >&2
  build_tree "$root" "$dir" "$@"
  echo "$dir"
}
