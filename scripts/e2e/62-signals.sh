# Clean ends: the student program ended by SIGTERM in the middle of a spelling test (a word
# on its card, movies extracted), then by SIGHUP in the middle of a puzzle, and the teacher's
# program by SIGINT on its form. Each ends at once with exit status 0, leaves no temporary
# file and no half-written file, and the user file stays whole.

hcadmin="$HC_BUILD/bin/hcadmin"
err="$HC_OUT/$HC_JOURNEY-honeycomb.err"
export HC_TRACE=1
trap 'kill "${HC_PID:-}" 2>/dev/null || true' EXIT
printf 'apple\r\nbee\r\nhoney\r\n' >"$HC_DIR/WORDLIST.TXT"

# traced PATTERN [SECONDS]: waits until the program's trace holds a line matching PATTERN.
traced() {
    local pattern="$1" seconds="${2:-60}"
    local deadline=$((SECONDS + seconds))
    until grep -q "$pattern" "$err" 2>/dev/null; do
        ((SECONDS < deadline)) || hc_fail "no \"$pattern\" within ${seconds} s"
        sleep 0.1
    done
}

# ended_cleanly SIGNAL USERS...: sends SIGNAL, waits for exit status 0, and checks the folder:
# no temporary file, nothing but the files of a class, and a user file holding USERS.
ended_cleanly() {
    local signal="$1"
    shift
    local extracted
    extracted="$(find "$TMP" -name 'qrv*' | wc -l)"
    kill "-$signal" "$HC_PID"
    hc_wait_exit "$HC_PID" 20
    hc_no_temp_files_left
    ((extracted > 0)) || hc_fail "nothing was extracted when $signal came: the check proves nothing"
    local stray
    stray="$(cd "$HC_DIR" && ls -A | grep -vxE 'honeycomb|options|DATA\.ERF|WORDLIST\.TXT|USERS\.ERF|~USERS\.ERF\.lck|OPTIONS\.DAT|tmp|run|home' || true)"
    [[ -z "$stray" ]] || hc_fail "left in the class folder after $signal: $stray"
    local listed name
    listed="$("$hcadmin" --class-folder "$HC_DIR" users list USERS.ERF)" ||
        hc_fail "the user file is damaged after $signal"
    for name in "$@"; do
        grep -q "^$name	" <<<"$listed" || hc_fail "no $name in the user file after $signal"
    done
}

# In a spelling test, with the first word on its card.
hc_start_to_menu Tess
for _ in $(seq 10); do
    hc_click "$HC_MENU" 262 100 # Spelling Test
    (hc_window "Spelling Test" 5 >/dev/null 2>&1) && break
done
test="$(hc_window "Spelling Test" 5)"
hc_click "$test" 245 172 # Start
traced '^trace spelling word-shown 1 '
ended_cleanly TERM Tess

# In a puzzle, with a question asked.
: >"$err"
hc_start_to_menu Pip
for _ in $(seq 10); do
    hc_click "$HC_MENU" 390 100 # Phonogram Puzzle
    (hc_window "Phonogram Puzzle" 5 >/dev/null 2>&1) && break
done
puzzle="$(hc_window "Phonogram Puzzle" 5)"
for _ in $(seq 40); do
    hc_click "$puzzle" 372 269 # Go, covered while the opening movie plays
    grep -q '^trace question ' "$err" && break
    sleep 0.5
done
traced '^trace question '
ended_cleanly HUP Tess Pip

# The teacher's program on its form (no password set): nothing is saved.
hc_start options
hc_window "Honeycombwordsmiths Options" 30 >/dev/null
kill -INT "$HC_PID"
hc_wait_exit "$HC_PID" 20
[[ ! -e "$HC_DIR/OPTIONS.DAT" ]] || hc_fail "SIGINT saved the teacher's form"
