# Helpers for the end-to-end journeys of scripts/screenshots. Sourced in a subshell per
# journey, with `set -euo pipefail`; HC_ROOT, HC_BUILD, HC_OUT, HC_JOURNEY and DISPLAY are set.
# A failing helper ends the journey with a message.

hc_fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# A fresh program directory for the journey: the programs and DATA.ERF, nothing else.
# HC_DIR names it afterwards.
hc_prepare_program_dir() {
    HC_DIR="$HC_OUT/work/$HC_JOURNEY"
    rm -rf "$HC_DIR"
    mkdir -p "$HC_DIR" "$HC_DIR/tmp"
    local f
    for f in "$HC_BUILD"/program/*; do
        [[ -f "$f" ]] && cp -p "$f" "$HC_DIR/"
    done
    export HC_DIR
    # Temporary files of the programs go here, so a journey can check none is left behind.
    export TMP="$HC_DIR/tmp"
    export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
    export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
    # The programs' single-copy locks live here: a copy that another run on this machine has
    # open must not make this one refuse to start as a second copy.
    export XDG_RUNTIME_DIR="$HC_DIR/run"
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    # A start without DATA.ERF in its folder goes to the default class folder: the journey's
    # own, never the home of whoever runs the journeys.
    export XDG_DATA_HOME="$HC_DIR/data"
}

# hc_start PROGRAM [ARGS...]: starts a program of the program directory in the background,
# from that directory; its pid in HC_PID, its output in HC_OUT/HC_JOURNEY-PROGRAM.err.
hc_start() {
    local program="$1"
    shift
    (cd "$HC_DIR" && exec "./$program" "$@") >"$HC_OUT/$HC_JOURNEY-$program.err" 2>&1 &
    HC_PID=$!
}

# hc_window TITLE [SECONDS]: prints the id of the visible window whose title is exactly TITLE,
# waiting for it up to SECONDS (default 30).
hc_window() {
    local title="$1" seconds="${2:-30}" id
    local deadline=$((SECONDS + seconds))
    while ((SECONDS < deadline)); do
        id="$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | tail -n 1 || true)"
        if [[ -n "$id" ]]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    # For the journey's log: windows of that title that exist but are not viewable, and the
    # named windows on the screen.
    local window
    for window in $(xdotool search --name "^${title}\$" 2>/dev/null || true); do
        echo "window $window \"$title\": $(xwininfo -id "$window" 2>/dev/null | grep 'Map State' || true)" >&2
    done
    xwininfo -root -tree 2>/dev/null | grep '"' >&2 || true
    hc_fail "no window \"$title\" within ${seconds} s"
}

# hc_gone TITLE [SECONDS]: waits until no visible window has the title TITLE.
hc_gone() {
    local title="$1" seconds="${2:-30}"
    local deadline=$((SECONDS + seconds))
    while ((SECONDS < deadline)); do
        if ! xdotool search --onlyvisible --name "^${title}\$" >/dev/null 2>&1; then
            return 0
        fi
        sleep 0.1
    done
    hc_fail "window \"$title\" still there after ${seconds} s"
}

# hc_click WINDOW X Y: a left click at X, Y of the window's client area, in logical pixels
# (multiplied by HC_SCALE, the journey's QT_SCALE_FACTOR, when set).
hc_click() {
    local scale="${HC_SCALE:-1}"
    xdotool mousemove --window "$1" $(($2 * scale)) $(($3 * scale)) click 1
    sleep 0.2
}

# hc_key WINDOW KEY...: keys (xdotool names: Return, Escape, Tab) to the focused window.
hc_key() {
    local window="$1"
    shift
    xdotool windowactivate --sync "$window" 2>/dev/null || true
    xdotool key --clearmodifiers "$@"
    sleep 0.2
}

# hc_type WINDOW TEXT: types TEXT into the focused control of the window.
hc_type() {
    xdotool windowactivate --sync "$1" 2>/dev/null || true
    xdotool type --delay 40 "$2"
    sleep 0.2
}

# hc_shot WINDOW NAME: the window as it is on screen, HC_OUT/NAME.png. A window that closes
# while it is captured can leave import waiting for ever: it is given 20 seconds.
hc_shot() {
    sleep 0.3
    timeout 20 import -window "$1" "$HC_OUT/$2.png" || hc_fail "no screenshot of $2"
}

# hc_shot_screen NAME: the whole screen, HC_OUT/NAME.png.
hc_shot_screen() {
    sleep 0.3
    timeout 20 import -window root "$HC_OUT/$1.png" || hc_fail "no screenshot of $1"
}

# hc_wait_exit PID [SECONDS]: waits for the process to end; fails when it does not, or when it
# ends with a non-zero exit code.
hc_wait_exit() {
    local pid="$1" seconds="${2:-30}"
    local deadline=$((SECONDS + seconds))
    while kill -0 "$pid" 2>/dev/null; do
        ((SECONDS < deadline)) || hc_fail "process $pid still running after ${seconds} s"
        sleep 0.1
    done
    local code=0
    wait "$pid" || code=$?
    ((code == 0)) || hc_fail "process $pid ended with exit code $code"
}

# What follows drives the student program.

# hc_pid_alive PID: true while the process runs.
hc_pid_alive() {
    kill -0 "$1" 2>/dev/null
}

# hc_start_to_menu NAME [SHOTS]: starts honeycomb in the program directory, lets the logo end,
# clicks the title's start area, makes the new user NAME on the login screen (waiting for the
# bee's greeting, before which OK is refused) and waits for the main menu. With SHOTS=1 it
# takes a screenshot of each of these screens (logo, title, login, new-user page). Leaves
# HC_PID and HC_MENU (the main menu's window id).
hc_start_to_menu() {
    hc_start honeycomb
    hc_to_menu "$@"
}

# hc_to_menu NAME [SHOTS]: the same for a student program already started (HC_PID).
hc_to_menu() {
    local name="$1" shots="${2:-0}" window
    window="$(hc_window Brightquill 60)"
    ((shots)) && hc_shot "$window" student-01-logo
    window="$(hc_window Honeycombwordsmiths 60)"
    ((shots)) && hc_shot "$window" student-02-title
    hc_click "$window" 319 372 # the start area
    hc_gone Honeycombwordsmiths 30
    window="$(hc_window Welcome 60)"
    ((shots)) && hc_shot "$window" student-03-login
    hc_login_new_user "$window" "$name" "$shots"
    HC_MENU="$(hc_window "Honeycombwordsmiths Main Menu" 60)"
}

# hc_login_new_user WINDOW NAME [SHOTS]: on the login screen WINDOW, opens the New User page,
# types NAME and presses OK until the login is accepted (OK is refused while the bee greets).
hc_login_new_user() {
    local window="$1" name="$2" shots="${3:-0}"
    hc_click "$window" 284 18 # the "New User" tab
    hc_type "$window" "$name"
    ((shots)) && hc_shot "$window" student-04-login-new-user
    local deadline=$((SECONDS + 90))
    while xdotool search --onlyvisible --name '^Welcome$' >/dev/null 2>&1; do
        ((SECONDS < deadline)) || hc_fail "the login was never accepted"
        hc_click "$window" 415 317 # OK
        sleep 1
    done
}

# hc_exit_through_goodbye MENU [SHOT]: presses the main menu's Exit until the good-bye screen
# opens (Exit is refused while the bee speaks), takes the screenshot SHOT of it when given,
# then presses Yes until the program has ended (Yes is refused until the bee has asked) and
# checks that it ended well.
hc_exit_through_goodbye() {
    local menu="$1" shot="${2:-}" bye
    local deadline=$((SECONDS + 60))
    until xdotool search --onlyvisible --name '^Good-Bye$' >/dev/null 2>&1; do
        ((SECONDS < deadline)) || hc_fail "Exit never opened the good-bye screen"
        hc_click "$menu" 446 307 2>/dev/null || true # Exit
        sleep 1
    done
    bye="$(hc_window Good-Bye 10)"
    if [[ -n "$shot" ]]; then
        sleep 2.5
        hc_shot "$bye" "$shot"
    fi
    deadline=$((SECONDS + 60))
    while hc_pid_alive "$HC_PID"; do
        ((SECONDS < deadline)) || hc_fail "Yes never ended the program"
        # The window may go between the check and the click.
        xdotool search --onlyvisible --name '^Good-Bye$' >/dev/null 2>&1 &&
            { hc_click "$bye" 222 52 2>/dev/null || true; } # Yes
        sleep 1
    done
    hc_wait_exit "$HC_PID" 10
}

# hc_wait_file PATH [SECONDS]: waits up to SECONDS (default 20) for the file to be there and not
# empty; false when it never is. A program writes a file its dialog asked for once the dialog
# has gone, and under load that can be a moment after the journey sees it go.
hc_wait_file() {
    local deadline=$((SECONDS + ${2:-20}))
    until [[ -s "$1" ]]; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

# hc_no_temp_files_left: fails when a program left a temporary file in TMP.
hc_no_temp_files_left() {
    local leftovers
    leftovers="$(find "$TMP" -name 'qrv*' | wc -l)"
    ((leftovers == 0)) || hc_fail "temporary files left behind: $(ls "$TMP")"
}
