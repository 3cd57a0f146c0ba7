#!/bin/sh
# Tests scripts/run-designer.sh on a fake staging folder: no display means a
# clear refusal; the staged machine hive is written when missing or naming
# other folders, other keys in it are kept, and the Designer gets the
# remaining arguments.
set -eu
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stage="$work/stage"
mkdir -p "$stage/bin"
cat > "$stage/bin/corvantis-designer" <<'FAKE'
#!/bin/sh
echo "designer $*"
echo "hive $CORVANTIS_MACHINE_REGISTRY"
FAKE
chmod +x "$stage/bin/corvantis-designer"
fail() { echo "FAIL: $*" >&2; exit 1; }

# No display: exit status 2 and a message that says so.
set +e
out=$(env -u DISPLAY -u WAYLAND_DISPLAY sh "$script" "$stage" 2>&1)
rc=$?
set -e
[ "$rc" -eq 2 ] || fail "no display gave status $rc"
echo "$out" | grep -q "needs a graphical display" || fail "no display message: $out"
[ ! -f "$stage/etc/corvantis/machine.reg" ] || fail "hive written without a display"

# First start: the hive is written and the arguments reach the Designer.
out=$(env -u CORVANTIS_MACHINE_REGISTRY DISPLAY=:99 sh "$script" "$stage" -A a.xml)
echo "$out" | grep -qx "designer -A a.xml" || fail "arguments: $out"
hive="$stage/etc/corvantis/machine.reg"
real=$(cd "$stage" && pwd)
grep -qxF "\"PageDir\"=\"$real/lib/corvantis/pagestyles\"" "$hive" || fail "PageDir: $(cat "$hive")"
grep -qxF "\"ToolDir\"=\"$real/lib/corvantis/tools\"" "$hive" || fail "ToolDir"
grep -qxF "\"TemplateDir\"=\"$real/share/corvantis/templates\"" "$hive" || fail "TemplateDir"
echo "$out" | grep -qx "hive $real/etc/corvantis/machine.reg" || fail "hive variable: $out"

# A hive naming other folders is corrected; other keys survive.
sed -i 's|"PageDir"=.*|"PageDir"="/elsewhere"|' "$hive"
printf '\n[HKEY_LOCAL_MACHINE\\Software\\Other]\n"Kept"="yes"\n' >> "$hive"
env -u CORVANTIS_MACHINE_REGISTRY DISPLAY=:99 sh "$script" "$stage" > /dev/null
grep -qxF "\"PageDir\"=\"$real/lib/corvantis/pagestyles\"" "$hive" || fail "PageDir not corrected"
grep -c '"PageDir"' "$hive" | grep -qx 1 || fail "PageDir twice: $(cat "$hive")"
grep -qxF '"Kept"="yes"' "$hive" || fail "other key lost: $(cat "$hive")"

# A correct hive is left alone.
before=$(cksum < "$hive")
out=$(env -u CORVANTIS_MACHINE_REGISTRY DISPLAY=:99 sh "$script" "$stage")
[ "$(cksum < "$hive")" = "$before" ] || fail "correct hive rewritten"
echo "$out" | grep -q "Staged settings written" && fail "correct hive reported as written"
echo "run-designer.sh: ok"
