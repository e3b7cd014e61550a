#!/usr/bin/env bash
# Installs what is missing, builds Quillbrook and starts it.
# With no file given (and no last file to reopen) it opens the demo book.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bash "$here/scripts/install-deps.sh"
build="${QB_BUILD_DIR:-$here/build}"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
    echo "No display found: starting under xvfb-run (nothing will be visible)." >&2
    exec xvfb-run -a "$build/bin/quillbrook" "$@"
fi
exec "$build/bin/quillbrook" "$@"
