# Set-up shared by the mve shell tests, sourced after `set -euo pipefail`:
# a scratch folder made current and removed on exit, the Python that has PIL
# (the system one, whatever python3 comes first on PATH), and fail().
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
py=/usr/bin/python3
fail() { echo "FAILED: $*" >&2; exit 1; }
