#!/usr/bin/env bash
# Builds the benchmarks in Release and prints their figures; nothing here passes or fails.
#   scripts/bench.sh [stored Mandorele for the load figures, default 100000]
set -euo pipefail
cd "$(dirname "$0")/.."

count="${1:-100000}"
bash scripts/install-deps.sh
bash scripts/build.sh build/bench -DCMAKE_BUILD_TYPE=Release -DMD_BUILD_BENCH=ON \
  -DMD_BUILD_TESTS=OFF >/dev/null

echo "== Expansion and token replacement"
build/bench/bench/md_expand_bench
echo "== Report store"
build/bench/bench/md_store_bench "$count"

echo "== Whole unattended run with 10000 stored Mandorele against a bare window"
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
HOME="$home" XDG_CONFIG_HOME= XDG_DATA_HOME= build/bench/bench/md_store_bench --fill-for-run 10000
xvfb-run -a -s "-screen 0 1280x1024x24" env HOME="$home" XDG_CONFIG_HOME= XDG_DATA_HOME= \
  hyperfine --warmup 3 --runs 20 -N \
  "build/bench/app/quandrix -RUN -PROG:PLON -REPORT:LAUF" \
  "build/bench/bench/md_bare_window"

echo "== Typing: xterm started, waited for, 1000 characters and Return, against xterm & and xdotool"
typing="$home/typing"
mkdir -m 700 "$typing"
text="$(HOME="$typing" XDG_CONFIG_HOME= XDG_DATA_HOME= build/bench/bench/md_typing_bench 1000)"
# The terminal ends with the Return; the next run starts once no window of an earlier one shows.
gone='while xdotool search --name Tippziel >/dev/null 2>&1; do sleep 0.05; done'
xvfb-run -a -s "-screen 0 1280x1024x24" env TEXT="$text" \
  hyperfine --runs 5 --prepare "$gone" \
  -n "quandrix -RUN" \
  "env HOME=$typing XDG_CONFIG_HOME= XDG_DATA_HOME= build/bench/app/quandrix -RUN -PROG:XTERM -REPORT:TIPPEN" \
  -n "xterm & xdotool type --delay 4" \
  "sh -c 'xterm -T Tippziel -e sh -c \"read zeile\" & xdotool search --sync --onlyvisible --name Tippziel windowfocus >/dev/null; xdotool type --delay 4 \"\$TEXT\"; xdotool key Return; wait'"

echo "== Run history: the sample monthly list, history writable against history refused"
for name in mit ohne; do
  dir="$home/$name"
  mkdir -m 700 "$dir"
  env HOME="$dir" XDG_CONFIG_HOME= XDG_DATA_HOME= bash scripts/install-samples.sh build/bench >/dev/null
  env HOME="$dir" XDG_CONFIG_HOME= XDG_DATA_HOME= build/bench/bench/md_store_bench --fill-sample
done
# The table exists after one run; a trigger then refuses every entry, as a read-only table would.
xvfb-run -a -s "-screen 0 1280x1024x24" env HOME="$home/ohne" XDG_CONFIG_HOME= XDG_DATA_HOME= \
  build/bench/app/quandrix -RUN -PROG:PLON -REPORT:MONATSLISTE
sqlite3 "$home/ohne/.local/share/quandrix/quandrix.db" \
  "CREATE TRIGGER NUR_LESEN BEFORE INSERT ON ZEP_AUSFUEHRUNG BEGIN SELECT RAISE(ABORT, 'nein'); END;"
xvfb-run -a -s "-screen 0 1280x1024x24" hyperfine --warmup 2 --runs 10 -N \
  "env HOME=$home/mit XDG_CONFIG_HOME= XDG_DATA_HOME= build/bench/app/quandrix -RUN -PROG:PLON -REPORT:MONATSLISTE" \
  "env HOME=$home/ohne XDG_CONFIG_HOME= XDG_DATA_HOME= build/bench/app/quandrix -RUN -PROG:PLON -REPORT:MONATSLISTE"

echo "== Main window: start and list rebuild with 10000 stored, memory with 100000 stored"
xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/bench/md_window_bench 10000
xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/bench/md_window_bench --memory 100000
xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/bench/md_window_bench --idle 10000

echo "== Step parameters: rebuilding 50 token panels against 50 bare label and edit rows"
xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/bench/md_token_panels_bench 20

echo "== Test runs beside the user: private display, live picture, keystrokes"
xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/bench/md_beside_bench \
  build/bench/data/sample_programs/plon_sample 5
