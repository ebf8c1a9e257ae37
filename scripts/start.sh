#!/usr/bin/env bash
# Sets up, builds and starts Mandorel. Arguments are passed on, for example
#   scripts/start.sh -RUN -PROG:PLON -REPORT:MONATSLISTE
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
bash scripts/build.sh build/release -DCMAKE_BUILD_TYPE=Release -DMD_BUILD_TESTS=OFF >/dev/null
bash scripts/install-samples.sh build/release

if [ -z "${DISPLAY:-}" ]; then
  echo "Kein Bildschirm (DISPLAY) gefunden: Mandorel läuft auf einem virtuellen Bildschirm (Xvfb)."
  exec xvfb-run -a -s "-screen 0 1280x1024x24" build/release/app/quandrix "$@"
fi
exec build/release/app/quandrix "$@"
