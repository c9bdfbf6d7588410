#!/usr/bin/env bash
# The real program under a virtual X server: Test (Ctrl+T) with counting on reads the virtual
# scanner's parameters and opens "Test Scanner"; the scanner reads three barcodes and the window's
# count panel reads "Total: 3"; Alt+Q closes the window and the message list ends in "Test Ends".
# The window's texts are read through the accessibility bus (AT-SPI), as a screen reader would.
# Usage: test_window_xvfb.sh BIN_DIR SOURCE_DIR
# Exit status 77 (skipped) when the virtual X server, xdotool or the accessibility bus is missing.
set -uo pipefail
bin=$1
if [ -z "${QSP_XVFB_WORK:-}" ]; then
  skip() { echo "skipped: $*" && exit 77; }
  for tool in xvfb-run xdotool dbus-run-session; do command -v $tool >/dev/null || skip "no $tool"; done
  [ -e /usr/share/dbus-1/services/org.a11y.Bus.service ] || skip "at-spi2-core is not installed"
  /usr/bin/python3 -c 'import dbus' 2>/dev/null || skip "python3-dbus is not installed"
  grep -rqs 'ShowTestWindow(' "$2/src/app" || skip "the program's Test does not open the test window"
  QSP_XVFB_WORK=$(mktemp -d /tmp/qsp-xvfb-XXXXXX)
  export QSP_XVFB_WORK
  trap 'rm -rf "$QSP_XVFB_WORK"' EXIT
  timeout 170 dbus-run-session -- xvfb-run -a -s '-screen 0 1024x768x24' bash "$0" "$@" 2>&1 |
    grep -v '^dbus-daemon'
  exit "${PIPESTATUS[0]}"
fi

work=$QSP_XVFB_WORK
# A copy of the program of its own: its folder is its settings folder.
cp -r "$bin/qsp" "$bin/Picture" "$work/"
printf '%s\r\n' "" " 0" "1" "" "200" "3" "3" "9600" "None" "8 bits" "1 bit" "0" "1" "" \
  >"$work/HW_Path.int"
# Prints the name (for labels: the text) of every accessible object of the program.
cat >"$work/texts.py" <<'EOF'
import dbus
bus = dbus.SessionBus()
address = bus.get_object('org.a11y.Bus', '/org/a11y/bus').GetAddress(dbus_interface='org.a11y.Bus')
a11y = dbus.bus.BusConnection(address)
def walk(name, path):
    obj = a11y.get_object(name, path)
    print(str(obj.Get('org.a11y.atspi.Accessible', 'Name',
                      dbus_interface='org.freedesktop.DBus.Properties')))
    for child in obj.GetChildren(dbus_interface='org.a11y.atspi.Accessible'):
        walk(str(child[0]), str(child[1]))
root = a11y.get_object('org.a11y.atspi.Registry', '/org/a11y/atspi/accessible/root')
for app in root.GetChildren(dbus_interface='org.a11y.atspi.Accessible'):
    try:
        walk(str(app[0]), str(app[1]))
    except dbus.DBusException:
        pass
EOF
fail() { echo "FAIL: $*"; /usr/bin/python3 "$work/texts.py" 2>&1 | sed 's/^/  shows: /'; exit 1; }
# Waits up to 20 s until the program shows a text with exactly this line.
shows() {
  local end=$((SECONDS + 20))
  while [ "$SECONDS" -lt "$end" ]; do
    timeout 10 /usr/bin/python3 "$work/texts.py" 2>/dev/null | grep -xF -- "$1" >/dev/null && return 0
    sleep 0.2
  done
  return 1
}
# The accessibility bus first, so that the program finds it when it starts.
/usr/bin/python3 -c "import dbus; dbus.SessionBus().get_object('org.a11y.Bus', '/org/a11y/bus')\
.GetAddress(dbus_interface='org.a11y.Bus')" || exit 77
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# The program talks to this X server, whatever platform the caller's environment names.
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

mkfifo "$work/barcodes"
"$bin/qsp-scanner-sim" --settings-dir "$work" <"$work/barcodes" >"$work/sim.out" 2>&1 &
sim=$!
exec 3>"$work/barcodes"
for _ in $(seq 100); do [ -L "$work/ports/COM1" ] && break || sleep 0.1; done
[ -L "$work/ports/COM1" ] || fail "the virtual scanner's port did not appear within 10 s"
"$work/qsp" >"$work/qsp.out" 2>&1 &
qsp=$!
trap 'kill $qsp $sim 2>/dev/null; wait' EXIT
main=$(timeout 20 xdotool search --sync --limit 1 --name '^QSP - v2.01$') ||
  fail "no main window \"QSP - v2.01\" within 20 s"
# No window manager runs: the focus is given directly.
timeout 10 xdotool windowfocus --sync "$main" key ctrl+t || fail "could not focus the main window"
test_window=$(timeout 20 xdotool search --sync --limit 1 --name '^Test Scanner$') ||
  fail "Test did not open the test window \"Test Scanner\" within 20 s"
shows "RS232 9600,N,8,1  COM1" || fail "the test window does not listen on COM1 within 20 s"
n=0
for code in 4006381333931 QSP-0001 ABC-123; do
  echo "$code" >&3
  n=$((n + 1))
  shows "Total: $n" || fail "no Total: $n within 20 s after $code"
done
timeout 10 xdotool windowfocus --sync "$test_window" key alt+q || fail "could not focus the test window"
shows "Test Ends" || fail "the message list does not end in Test Ends within 20 s"
echo "ok: Total: 3, then Test Ends"
