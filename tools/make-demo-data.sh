#!/usr/bin/env bash
# Builds the game's demo data file from data/demo and lays out a game folder
# that holds it:
#   tools/make-demo-data.sh BUILD_DIR GAME_DIR
# BUILD_DIR is a build folder with tools/medpack; GAME_DIR gets "v2krn.med"
# (the executable is copied beside it by whoever starts the game).
# Text files of the data are stored with CR LF line ends, as the game writes
# and expects them.
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR GAME_DIR" >&2
  exit 2
fi
build_dir=$1
game_dir=$2
source_dir="$(cd "$(dirname "$0")/.." && pwd)/data/demo"
medpack="$build_dir/tools/medpack"

if [ ! -x "$medpack" ]; then
  echo "$medpack does not exist: build the tools first" >&2
  exit 1
fi

staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
cp -R "$source_dir/." "$staging/"
# Every text file but the bare version text gets CR LF line ends.
find "$staging" -type f \( -name '*.cfg' -o -name '*.txt' \) -print0 |
  while IFS= read -r -d '' file; do
    sed -i -e 's/\r$//' -e 's/$/\r/' "$file"
  done

# Generated data: the whole-map range disc and the four map themes with the
# shore textures, made by the project's own tools.
mkdir -p "$staging/InGame/Ranges" "$staging/InGame/Fluid" "$staging/Terrain/Themes"
"$build_dir/tools/mkrange" "$staging/InGame/Ranges/fullmap.rng"
for theme in continental winter swamp cave; do
  "$build_dir/tools/mktheme" "$theme" "$staging/Terrain/Themes/$theme.theme"
done
"$build_dir/tools/mktheme" shores "$staging/InGame/Fluid"

mkdir -p "$game_dir"
"$medpack" pack "$game_dir/v2krn.med" "$staging"
