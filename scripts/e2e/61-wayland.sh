# The student program on a Wayland session of its own: weston with its headless backend (no X
# server involved), the program started with QT_QPA_PLATFORM=wayland, and driven only through
# its accessibility tree (AT-SPI actions on a private D-Bus session, no pointer, no keyboard)
# from the title through a new user's login to the main menu and out through Exit. The windows
# and their names are checked as they come, then the user file.

export XDG_RUNTIME_DIR="$HC_DIR/run"
socket="hc-wayland-$$"
weston --backend=headless-backend.so --socket="$socket" --idle-time=0 --width=1280 \
    --height=1024 --no-config >"$HC_OUT/$HC_JOURNEY-weston.log" 2>&1 &
weston_pid=$!
bus_pid=""
trap 'kill "${HC_PID:-}" "$weston_pid" ${bus_pid:+"$bus_pid"} 2>/dev/null || true' EXIT
for _ in $(seq 100); do
    [[ -S "$XDG_RUNTIME_DIR/$socket" ]] && break
    sleep 0.1
done
[[ -S "$XDG_RUNTIME_DIR/$socket" ]] || hc_fail "weston did not start: $(tail -5 "$HC_OUT/$HC_JOURNEY-weston.log")"

# A D-Bus session of the journey's own; the accessibility bus is started on it on demand.
bus_info="$(dbus-daemon --session --fork --print-address=1 --print-pid=1)"
export DBUS_SESSION_BUS_ADDRESS="$(sed -n 1p <<<"$bus_info")"
bus_pid="$(sed -n 2p <<<"$bus_info")"

(
    unset DISPLAY
    cd "$HC_DIR"
    export WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    exec ./honeycomb
) >"$HC_OUT/$HC_JOURNEY-honeycomb.err" 2>&1 &
HC_PID=$!

env -u DISPLAY /usr/bin/python3 "$HC_ROOT/scripts/e2e/atspi/drive_student.py" "Wanda Wayland" \
    >"$HC_OUT/$HC_JOURNEY-windows.txt" || hc_fail "the accessibility journey failed"
hc_wait_exit "$HC_PID" 20
expected="window Brightquill
window Honeycombwordsmiths
window Welcome
window Honeycombwordsmiths Main Menu
window Good-Bye
ended"
[[ "$(cat "$HC_OUT/$HC_JOURNEY-windows.txt")" == "$expected" ]] ||
    hc_fail "windows seen: $(cat "$HC_OUT/$HC_JOURNEY-windows.txt")"
# Natively on Wayland: the program never talked to an X server (there was none to talk to).
grep -qi "xcb\|could not connect to display" "$HC_OUT/$HC_JOURNEY-honeycomb.err" &&
    hc_fail "the program did not run on Wayland: $(cat "$HC_OUT/$HC_JOURNEY-honeycomb.err")"
"$HC_BUILD/bin/hcadmin" --class-folder "$HC_DIR" users list USERS.ERF | grep -q '^Wanda Wayland	' ||
    hc_fail "no Wanda Wayland in the user file"
hc_no_temp_files_left
