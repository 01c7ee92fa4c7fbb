#!/usr/bin/env bash
# Sets up a Debian machine, builds the demo's web page (the web preset) and
# serves it on this machine until Ctrl-C, printing the address to open.
# PORT picks the port (default 8000, or a free one when that is taken).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" web
cd "$root"
cmake --preset web >/dev/null
cmake --build --preset web -j "$(nproc 2>/dev/null || echo 2)"

# Any static file server will do; this is Python's, quiet, on localhost only.
exec /usr/bin/python3 - "$root/build/web/site" "${PORT:-8000}" <<'PY'
import functools
import http.server
import sys


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map, **{".wasm": "application/wasm"})

    def log_message(self, *args):
        pass


handler = functools.partial(Handler, directory=sys.argv[1])
try:
    server = http.server.ThreadingHTTPServer(("127.0.0.1", int(sys.argv[2])), handler)
except OSError:
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
print("run-web: the demo is at http://localhost:%d/ (Ctrl-C stops the server)" % server.server_address[1],
      flush=True)
try:
    server.serve_forever()
except KeyboardInterrupt:
    print()
PY
