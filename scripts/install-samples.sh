#!/usr/bin/env bash
# Puts the sample catalogue and program directory into the settings folder of a user who has
# none yet; an existing file is never touched.
set -euo pipefail
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
