#!/usr/bin/env bash
# Serves the reference tracker page on http://localhost:3000, an origin
# Vantrel allows for development.
set -euo pipefail
cd "$(dirname "$0")/../web"
echo "Reference page: http://localhost:3000/"
exec python3 -m http.server 3000 --bind 127.0.0.1
