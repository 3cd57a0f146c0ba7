#!/bin/sh
# Starts the staged Template Designer. Before it starts, the staged machine
# hive (etc/corvantis/machine.reg) is made to name the staged plug-in and
# template folders, so the Designer finds its page styles, area tools and the
# sample template library without any installation.
set -eu
# Usage: run-designer.sh [STAGE_DIR [DESIGNER ARGUMENTS...]]
stage=${1:-build/stage}
[ $# -gt 0 ] && shift
designer="$stage/bin/corvantis-designer"

if [ ! -x "$designer" ]; then
  echo "The Template Designer is not built: $designer is missing." >&2
  echo "Run 'make run' (or 'make stage') to build it." >&2
  exit 1
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "The Template Designer needs a graphical display, and none is set" >&2
  echo "(neither DISPLAY nor WAYLAND_DISPLAY). Start it from a desktop session," >&2
  echo "or under a virtual display, e.g.: xvfb-run make run" >&2
  exit 2
fi

stage=$(cd "$stage" && pwd)
pages="$stage/lib/corvantis/pagestyles"
tools="$stage/lib/corvantis/tools"
templates="$stage/share/corvantis/templates"
hive="$stage/etc/corvantis/machine.reg"
mkdir -p "$stage/etc/corvantis" "$templates"

# Hive strings escape backslashes and quotes.
escape() { printf '%s' "$1" | sed -e 's/\\/\\\\/g' -e 's/"/\\"/g'; }

# Rewrites the hive only when it is missing or names other folders; any other
# keys and values in it are kept.
want_page="\"PageDir\"=\"$(escape "$pages")\""
want_tool="\"ToolDir\"=\"$(escape "$tools")\""
want_tmpl="\"TemplateDir\"=\"$(escape "$templates")\""
if [ ! -f "$hive" ] || ! grep -qxF "$want_page" "$hive" || ! grep -qxF "$want_tool" "$hive" \
   || ! grep -qxF "$want_tmpl" "$hive"; then
  key='[HKEY_LOCAL_MACHINE\Software\ZYN Systems\Corvantis\Template Designer]'
  tmp="$hive.new.$$"
  {
    echo 'Windows Registry Editor Version 5.00'
    echo
    if [ -f "$hive" ]; then
      # Everything but the three folder values of the Designer's key.
      awk -v key="$key" '
        NR == 1 && /^Windows Registry Editor/ { next }
        /^\[/ { inkey = ($0 == key) }
        inkey && /^"(PageDir|ToolDir|TemplateDir)"=/ { next }
        { print }
      ' "$hive" | awk 'NF || printed { print; printed = 1 }' > "$tmp.rest"
    else
      : > "$tmp.rest"
    fi
    if grep -qxF "$key" "$tmp.rest"; then
      awk -v key="$key" -v a="$want_page" -v b="$want_tool" -v c="$want_tmpl" '
        { print } $0 == key { print a; print b; print c }' "$tmp.rest"
    else
      cat "$tmp.rest"
      [ -s "$tmp.rest" ] && echo
      echo "$key"
      echo "$want_page"
      echo "$want_tool"
      echo "$want_tmpl"
    fi
  } > "$tmp"
  rm -f "$tmp.rest"
  mv "$tmp" "$hive"
  echo "Staged settings written to $hive"
fi

CORVANTIS_MACHINE_REGISTRY=${CORVANTIS_MACHINE_REGISTRY:-$hive}
export CORVANTIS_MACHINE_REGISTRY
exec "$designer" "$@"
