# Shared by the packaging checks: a private work folder, clients that must be there, and a
# failure count.
set -uo pipefail
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
require() {
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "missing test client: $tool (scripts/install-deps test)" >&2; exit 1; }
  done
}
work=$(mktemp -d /tmp/tallomer-packaging.XXXXXX)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_STATE_HOME=$work/state XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME"
finish() {
  if [ "$failures" -ne 0 ]; then echo "$failures check(s) failed" >&2; exit 1; fi
  echo "all checks passed"
}
