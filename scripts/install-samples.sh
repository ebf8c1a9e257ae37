#!/usr/bin/env bash
# Puts the sample catalogue and the program directory into the settings folder of a user who
# has none yet; an existing file is never touched. The program directory points at the sample
# programs of the build folder given as first argument:
#   install-samples.sh build/release
set -euo pipefail
# Settings are for their owner only, whatever umask the caller has.
umask 077

samples=""
if [ -n "${1:-}" ] && [ -d "$1" ]; then
  samples="$(cd "$1" && pwd)/data/sample_programs"
fi
cd "$(dirname "$0")/.."

settings="${XDG_CONFIG_HOME:-$HOME/.config}/quandrix"
mkdir -p "$settings"
for sample in data/settings/*; do
  [ -e "$sample" ] || continue
  target="$settings/$(basename "$sample")"
  if [ ! -e "$target" ]; then
    cp "$sample" "$target"
    echo "Beispieldatei eingerichtet: $target"
  fi
done

directory="$settings/MD_Programme.ini"
if [ ! -e "$directory" ]; then
  if [ -z "$samples" ] || [ ! -x "$samples/plon_sample" ] || [ ! -x "$samples/kudre_sample" ]; then
    echo "Programmverzeichnis nicht eingerichtet: keine gebauten Beispielprogramme in „${1:-}“." >&2
  elif [[ "$samples" == *'"'* ]]; then
    echo "Programmverzeichnis nicht eingerichtet: der Pfad „$samples“ enthält ein \"." >&2
  else
    template="$(<data/settings-templates/MD_Programme.ini.in)"
    printf '%s\n' "${template//@SAMPLE_PROGRAMS@/"$samples"}" >"$directory"
    echo "Beispieldatei eingerichtet: $directory"
  fi
fi
