#!/usr/bin/env bash
# Builds the web page (scripts/build-web.sh) and serves it on http://127.0.0.1:8000/ until Ctrl-C.
# Usage: scripts/run-web.sh [port]
set -euo pipefail
cd "$(dirname "$0")/.."
port=${1:-8000}
scripts/build-web.sh
echo "The demo runs at http://127.0.0.1:$port/ (Ctrl-C ends the server)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory build-web/site
