#!/usr/bin/env bash
# Sets up, builds and runs every test: a build with warnings as errors (its window tests also
# under a window manager), then the same tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, then every fuzz target for 60 s.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

run_tests() {
  # One virtual X server for the tests that drive real windows; the others run offscreen.
  # Without -noreset it resets, refusing connections meanwhile, whenever its last client leaves.
  (cd "$1" && xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
     ctest --output-on-failure --timeout 600 -j "$(nproc)")
}

bash scripts/build.sh build/ci -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMD_WERROR=ON -DMD_BUILD_BENCH=ON
run_tests build/ci
# The tests that drive real windows once more under a window manager, as on every desktop:
# it reparents, places and maps windows on its own, and later than a bare X server.
(cd build/ci && xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
   bash ../../scripts/with-window-manager.sh ctest --output-on-failure --timeout 600 -L x11)
# The Debian package of that build, installed, run once and removed again.
bash scripts/package-test.sh build/ci

bash scripts/build.sh build/sanitize -DCMAKE_BUILD_TYPE=Debug -DMD_WERROR=ON \
  -DMD_SANITIZERS="address;undefined"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
run_tests build/sanitize

# The readers of outside input, fuzzed for a minute each.
bash scripts/fuzz.sh 60

echo "All tests passed."
