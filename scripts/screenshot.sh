#!/usr/bin/env bash
# Takes the README's pictures of the real window on a virtual display (Xvfb):
#   screenshot.sh [build folder]    (default build/release; writes docs/*.png)
# It starts Mandorel in a temporary home with the sample catalogue and one Mandorel,
# drives it with X11 input only and captures the window with scrot.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build/release}"
if [ -z "${MD_SCREENSHOT_INNER:-}" ]; then
  bash scripts/install-deps.sh
  [ -x "$build/app/quandrix" ] || bash scripts/build.sh "$build" -DCMAKE_BUILD_TYPE=Release -DMD_BUILD_TESTS=OFF >/dev/null
  export MD_SCREENSHOT_INNER=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$build"
fi

home="$(mktemp -d)"
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$home"' EXIT
export HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share"
bash scripts/install-samples.sh "$build" >/dev/null

"$build/app/quandrix" &
pid=$!
window="$(xdotool search --sync --onlyvisible --name ' Mandorel$')"
xdotool windowmove --sync "$window" 0 0
sleep 1

capture() {
  eval "$(xdotool getwindowgeometry --shell "$window")"
  scrot -o -a "0,0,$WIDTH,$HEIGHT" "docs/$1"
  echo "docs/$1"
}

# The first button of the panel is "Neu"; the panel starts below the 41-pixel header. After
# "Neu" the program box has the focus; Return in the step list opens the step chooser of the
# add row, and a letter picks the step.
xdotool mousemove --window "$window" 51 80 click 1
sleep 0.5
xdotool key Tab
xdotool type --delay 20 "Monatsliste"
xdotool key Tab
xdotool type --delay 20 "Einsatzstunden je Abteilung"
xdotool key Tab
xdotool type --delay 20 "Abrechnung der Schichten"
xdotool key --delay 80 Tab Return P Return
for step in Z S B; do
  sleep 0.3
  xdotool key --delay 80 Down Return "$step" Return
done
sleep 0.5
capture mandorel-neu.png

# Home and Down select "Zeitraum eingeben"; F6 leads to its first parameter, F6 again to the
# placeholders, whose type-ahead finds a placeholder by its display name and whose Return takes
# it over into the parameter. Shift+F6 returns to the parameters, Tab reaches the next one.
xdotool key --delay 80 Home Down F6 F6
xdotool type --delay 40 "Vormonat, Anfang"
xdotool key --delay 80 Return shift+F6 Tab F6
xdotool type --delay 40 "Vormonat, Ende"
xdotool key Return
sleep 0.5
capture mandorel-parameter.png

# "Buchen" heads the panel in edit mode.
xdotool mousemove --window "$window" 51 80 click 1
sleep 0.5
capture mandorel-gebucht.png

# The booked Mandorel stays selected. "Testlauf" follows "Löschen" and a separator in the
# browse panel; the run drives the sample program and lands in "Ausführungen". That view waits
# behind the schedule's tab and comes last: Shift+F6 from the panel brings it to the front,
# once the window has the keyboard back from the sample program.
# The run plays on a display of its own; its progress window shows the picture of it.
xdotool mousemove --window "$window" 51 316 click 1
progress="$(xdotool search --sync --onlyvisible --name '^Ausführung des Mandorels')"
# The window grows by the picture once the program shows on the run's display.
for _ in $(seq 1 50); do
  eval "$(xdotool getwindowgeometry --shell "$progress")"
  [ "$WIDTH" -gt 409 ] && break
  sleep 0.1
done
sleep 0.4
eval "$(xdotool getwindowgeometry --shell "$progress")"
scrot -o -a "$X,$Y,$WIDTH,$HEIGHT" docs/testlauf.png
echo docs/testlauf.png
sleep 6
xdotool windowfocus --sync "$window"
xdotool key shift+F6
sleep 0.5
capture ausfuehrungen.png

# "Vorschau" follows "Testlauf"; its window shows the run of today.
xdotool mousemove --window "$window" 51 390 click 1
vorschau="$(xdotool search --sync --onlyvisible --name '^Vorschau')"
sleep 1
eval "$(xdotool getwindowgeometry --shell "$vorschau")"
scrot -o -a "$X,$Y,$WIDTH,$HEIGHT" docs/vorschau.png
echo docs/vorschau.png

kill "$pid"
