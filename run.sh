#!/usr/bin/env bash
# Installs what is missing, builds Quillbrook and starts it.
# On a first run (no file given and no settings yet) it opens the demo book.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bash "$here/scripts/install-deps.sh"
build="${QB_BUILD_DIR:-$here/build}"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)"
settings="${XDG_CONFIG_HOME:-$HOME/.config}/Quillbrook/Quillbrook.ini"
if [ "$#" -eq 0 ] && [ ! -e "$settings" ] && [ -f "$build/bin/data/demo.qbf" ]; then
    # The program opens a copy in the person's data folder, so that the build's own demo book,
    # whose figures the documented qbtool examples quote, stays as built.
    data="${XDG_DATA_HOME:-$HOME/.local/share}/Quillbrook"
    mkdir -p "$data"
    [ -e "$data/demo.qbf" ] || install -m 600 "$build/bin/data/demo.qbf" "$data/demo.qbf"
    set -- "$data/demo.qbf"
fi
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
    echo "No display found: starting under xvfb-run (nothing will be visible)." >&2
    exec xvfb-run -a "$build/bin/quillbrook" "$@"
fi
exec "$build/bin/quillbrook" "$@"
