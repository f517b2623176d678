# Checks of what the student program draws and tells a screen reader, for the journeys at
# either scale. Sourced by a journey after lib.sh; positions are logical pixels of a window's
# client area, multiplied by HC_SCALE (default 1) for the screenshot.

# hc_ink_box SHOT X Y W H: prints "LEFT RIGHT WIDTH" of the dark pixels inside that rectangle
# of the screenshot, in its pixels from the rectangle's left, or nothing when it holds none.
hc_ink_box() {
    local shot="$1" scale="${HC_SCALE:-1}"
    local x=$(($2 * scale)) y=$(($3 * scale)) w=$(($4 * scale)) h=$(($5 * scale)) box
    # Dark pixels white on black; the trim box of the white is the ink.
    box="$(convert "$shot" -crop "${w}x${h}+${x}+${y}" +repage -colorspace gray \
        -threshold 50% -negate -bordercolor black -border 1 -format '%@ %[max]' info:)"
    [[ "$box" =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)\ ([0-9.]+)$ ]] || return 0
    [[ "${BASH_REMATCH[5]}" != 0 ]] || return 0 # no ink at all
    local width="${BASH_REMATCH[1]}" left=$((BASH_REMATCH[3] - 1))
    echo "$left $((left + width - 1)) $width"
}

# hc_check_score_box SHOT NAME X Y W H MIN_INK: the score box at X, Y (W x H) of the report
# card's screenshot shows its text whole: ink clear of both edges of the box and at least
# MIN_INK logical pixels wide (what its widest text, "100.00%", takes).
hc_check_score_box() {
    local shot="$1" name="$2" x="$3" y="$4" w="$5" h="$6" min="$7" scale="${HC_SCALE:-1}" ink
    ink="$(hc_ink_box "$shot" "$x" "$y" "$w" "$h")"
    [[ -n "$ink" ]] || hc_fail "$name shows nothing"
    read -r left right width <<<"$ink"
    echo "$name: ink from $left to $right of $((w * scale))"
    ((left > 0 && right < w * scale - 1)) || hc_fail "$name is cut at an edge (ink $left..$right)"
    ((width >= min * scale)) || hc_fail "$name shows only $width pixels of its text"
}

# hc_check_name_panel SHOT NAME X Y W H: the name panel's inside (X, Y, W x H, within its
# frame) shows a name too long for it from its left, ending (with the ellipsis) before its right
# edge, not cut off at both ends.
hc_check_name_panel() {
    local shot="$1" name="$2" x="$3" y="$4" w="$5" h="$6" scale="${HC_SCALE:-1}" ink
    ink="$(hc_ink_box "$shot" "$x" "$y" "$w" "$h")"
    [[ -n "$ink" ]] || hc_fail "$name shows nothing"
    read -r left right width <<<"$ink"
    echo "$name: ink from $left to $right of $((w * scale))"
    ((left <= 3 * scale)) || hc_fail "$name does not start at the panel's left (ink from $left)"
    ((right < w * scale - scale)) || hc_fail "$name runs into the panel's right edge (ink to $right)"
}

# hc_start_accessibility_bus: a session bus of the journey's own, on which a started program
# registers with the screen readers' registry (the bus starts that on demand). Sets
# HC_BUS_PID; the caller ends it.
hc_start_accessibility_bus() {
    local bus
    bus="$(dbus-daemon --session --fork --print-address=1 --print-pid=1)"
    DBUS_SESSION_BUS_ADDRESS="$(sed -n 1p <<<"$bus")"
    HC_BUS_PID="$(sed -n 2p <<<"$bus")"
    export DBUS_SESSION_BUS_ADDRESS QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
}

# hc_accessible_names SECONDS NAME...: the running honeycomb's accessibility tree holds an
# object named NAME for every NAME within SECONDS.
hc_accessible_names() {
    local seconds="$1"
    shift
    /usr/bin/python3 "$HC_ROOT/scripts/e2e/access_tree.py" honeycomb "$seconds" "$@" ||
        hc_fail "a screen reader does not find: $*"
}
