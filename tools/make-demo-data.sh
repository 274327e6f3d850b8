#!/usr/bin/env bash
# Builds the game's demo data file from data/demo and lays out a game folder
# that holds it:
#   tools/make-demo-data.sh BUILD_DIR GAME_DIR
# BUILD_DIR is a build folder with the tools (tools/medpack, ...); GAME_DIR
# gets "v2krn.med" (the executable is copied beside it by whoever starts the
# game).
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR GAME_DIR" >&2
  exit 2
fi
build_dir=$1
game_dir=$2
source_dir="$(cd "$(dirname "$0")/.." && pwd)/data/demo"
tools="$build_dir/tools"
medpack="$tools/medpack"

if [ ! -x "$medpack" ]; then
  echo "$medpack does not exist: build the tools first" >&2
  exit 1
fi

staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
cp -R "$source_dir/." "$staging/"

# The game reads its text files (configuration, locale texts, lists, names,
# scripts) line by line, and a line ends with CR LF: every text file of the
# sources gets CR LF line ends, also on its last line, whatever the editor
# wrote.  "datafile.version" is compared whole, so it stays as it is.
find "$staging" -type f ! -name datafile.version -print0 |
  while IFS= read -r -d '' file; do
    if grep -Iq . "$file"; then
      sed -i -e '$a\' "$file"
      sed -i -e 's/\r$//' -e 's/$/\r/' "$file"
    fi
  done

# The colour correction table "InGame\GammaRamps\default.ramp": 256 red, then
# 256 green, then 256 blue little-endian 16-bit entries, each channel the
# identity ramp (entry i = i * 257, 0 to 65535), so that colours stay as they
# are drawn.
write_identity_ramp() {
  local channel i value low high
  for channel in red green blue; do
    for ((i = 0; i < 256; ++i)); do
      value=$((i * 257))
      printf -v low '%02x' $((value & 255))
      printf -v high '%02x' $((value >> 8))
      printf "\\x$low\\x$high"
    done
  done
}
mkdir -p "$staging/InGame/GammaRamps"
write_identity_ramp > "$staging/InGame/GammaRamps/default.ramp"

# Generated data: the whole-map range disc and the four map themes with the
# shore textures, made by the project's own tools.
mkdir -p "$staging/InGame/Ranges" "$staging/InGame/Fluid" "$staging/Terrain/Themes"
"$tools/mkrange" "$staging/InGame/Ranges/fullmap.rng"
for theme in continental winter swamp cave; do
  "$tools/mktheme" "$theme" "$staging/Terrain/Themes/$theme.theme"
done
"$tools/mktheme" shores "$staging/InGame/Fluid"

# ---- Generated fonts, models, pictures and sounds ---------------------------
# The six game fonts from the project's own 5 x 7 glyph table, each glyph
# dot enlarged to the scale given after the name.
mkdir -p "$staging/Fonts/English"
for font in old1:2 old1-small:1 small-numbers:1 hint1:2 hint2:1 main-menu1:3; do
  "$tools/mkfont" "${font#*:}" "$staging/Fonts/English/${font%%:*}.fnt"
done
# Every sample of the sample table as a short tone or noise, the preload
# list "sounds.fls", and two short music tracks.
mkdir -p "$staging/Music"
"$tools/mksound" samples "$staging"
"$tools/mksound" music "$staging/Music/track-1.raw" 10 220
"$tools/mksound" music "$staging/Music/track-2.raw" 10 330
# The 24 mouse cursors (Cursors\Mono\, Cursors\Color\) and the five
# interface pictures (InGame\Interface\, InGame\Menus\pause.tga).
"$tools/mkpicture" cursors "$staging"
"$tools/mkpicture" interface "$staging"
# The loading screen's picture (named by FILE_LOADING_SCREEN) and its bar.
"$tools/mkpicture" loading "$staging"
# ---- End of generated media -------------------------------------------------

mkdir -p "$game_dir"
"$medpack" pack "$game_dir/v2krn.med" "$staging"
