#!/usr/bin/env bash
# Builds the Debian package of a build folder, installs it with apt-get as a user would, runs
# the installed program against an empty store (exit code 2 and the not-found line) and
# removes the package again:  package-test.sh build/ci
set -euo pipefail
build="$(cd "${1:?build folder}" && pwd)"

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
if dpkg-query -W -f='${Status}' quandrix 2>/dev/null | grep -q "install ok installed"; then
  echo "Paket-Test übersprungen: das Paket quandrix ist auf diesem Rechner schon installiert." >&2
  exit 1
fi

rm -f "$build"/quandrix_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls "$build"/quandrix_*.deb)"
echo "Paket: $deb"
dpkg-deb -f "$deb" Depends

home="$(mktemp -d)"
cleanup() {
  DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq quandrix >/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$deb" >/dev/null

for file in /usr/bin/quandrix /usr/bin/quandrix-plon-sample /usr/bin/quandrix-kudre-sample \
            /usr/share/applications/quandrix.desktop \
            /usr/share/icons/hicolor/scalable/apps/quandrix.svg \
            /usr/share/quandrix/settings/MD_Templates.ini \
            /usr/share/quandrix/settings/MD_Programme.ini; do
  [ -e "$file" ] || { echo "Das Paket installiert $file nicht." >&2; exit 1; }
done

set +e
env -i HOME="$home" PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen \
  quandrix -RUN -PROG:PLON -REPORT:MONATSLISTE 2>"$home/stderr"
code=$?
set -e
if [ "$code" -ne 2 ]; then
  echo "Der installierte Lauf endete mit $code statt 2:" >&2
  cat "$home/stderr" >&2
  exit 1
fi
grep -q "Could not find Mandorel MONATSLISTE for Program PLON" "$home/.local/share/quandrix/quandrix.log"
echo "Paket-Test bestanden: installiert, Lauf ohne Mandorel endet mit 2, entfernt."
