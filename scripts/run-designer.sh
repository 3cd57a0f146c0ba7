#!/bin/sh
# Starts the staged Template Designer (or, until it is built, lists what the
# staging folder holds).
set -eu
stage=${1:-build/stage}
if [ -x "$stage/bin/corvantis-designer" ]; then
  exec "$stage/bin/corvantis-designer"
fi
echo "The Template Designer is not built yet. Staged in $stage:"
(cd "$stage" && find . -type f | sort | sed 's|^\./|  |')
