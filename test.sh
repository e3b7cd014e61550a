#!/usr/bin/env bash
# Installs what is missing, builds Quillbrook and runs every test.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bash "$here/scripts/install-deps.sh"
build="${QB_BUILD_DIR:-$here/build}"
# Warnings are errors where QB_WERROR=ON is set (.ci/run sets it) or under CI=true.
werror="${QB_WERROR:-OFF}"
[ "${CI:-}" = "true" ] && werror=ON
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQB_WERROR="$werror" >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure "$@"
