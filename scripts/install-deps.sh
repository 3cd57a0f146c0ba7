#!/bin/sh
# Installs the Debian packages named in the given list files that are not yet
# installed. Does nothing (and needs no privileges) when all are present.
set -eu
missing=""
for list in "$@"; do
  for pkg in $(grep -v '^[[:space:]]*#' "$list" | tr -s ' \t' '\n\n'); do
    [ -n "$pkg" ] || continue
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing="$missing $pkg"
    fi
  done
done
[ -n "$missing" ] || exit 0
echo "Installing missing Debian packages:$missing"
if [ "$(id -u)" -eq 0 ]; then
  run=""
elif command -v sudo >/dev/null 2>&1; then
  run="sudo"
else
  echo "error: these Debian packages are missing:$missing" >&2
  echo "       run this as root or install sudo, then try again." >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
$run apt-get update -q || { echo "error: apt-get update failed" >&2; exit 1; }
# shellcheck disable=SC2086
$run apt-get install -y -q --no-install-recommends $missing || {
  echo "error: apt-get could not install:$missing" >&2; exit 1; }
