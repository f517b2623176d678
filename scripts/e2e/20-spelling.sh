# A whole spelling test of the real program: from the title through the login to the main
# menu, the test screen, three cards answered right, the board counting, the reward movie and
# the test screen back; a second test whose last answer is sent with Enter held down for ten
# seconds; then a third test abandoned with Exit during an answer's feedback, and the good-bye.
# The user file must hold the first two tests' results and nothing of the third.

hcadmin="$HC_BUILD/bin/hcadmin"
err="$HC_OUT/$HC_JOURNEY-honeycomb.err"

# spell_trace EVENT WORD COUNT [SECONDS]: waits until the test has reached EVENT for word WORD
# COUNT times ("trace spelling EVENT WORD MS" lines of HC_TRACE).
spell_trace() {
    local event="$1" word="$2" count="$3" seconds="${4:-60}"
    local deadline=$((SECONDS + seconds))
    while ((SECONDS < deadline)); do
        if (($(grep -c "^trace spelling $event $word " "$err" 2>/dev/null || true) >= count)); then
            return 0
        fi
        sleep 0.05
    done
    hc_fail "the test did not reach \"$event $word\" ($count) within ${seconds} s"
}

# spell_click_until_gone WINDOW_ID X Y TITLE [SECONDS]: clicks X, Y of the window once a
# second until no window is titled TITLE (closing buttons refuse clicks while the bee talks).
spell_click_until_gone() {
    local window="$1" x="$2" y="$3" title="$4" seconds="${5:-60}"
    local deadline=$((SECONDS + seconds))
    while xdotool search --onlyvisible --name "^${title}\$" >/dev/null 2>&1; do
        ((SECONDS < deadline)) || hc_fail "\"$title\" did not close within ${seconds} s"
        xdotool mousemove --window "$window" "$x" "$y" click 1 2>/dev/null || true
        sleep 1
    done
}

# The program directory: a word list; Ann is made on the login screen.
printf 'apple\r\nbee\r\nhoney\r\n' >"$HC_DIR/WORDLIST.TXT"

export HC_TRACE=1
# A journey that fails half-way leaves no program running.
trap 'kill "${HC_PID:-}" 2>/dev/null || true' EXIT
hc_start_to_menu Ann
menu="$HC_MENU"
sleep 1

# The test screen, its board at 00 00 000.
for _ in $(seq 10); do
    hc_click "$menu" 262 100 # WordTestBtn, MainPanel 162,0 + 48,48 (105 x 105)
    (hc_window "Spelling Test" 5 >/dev/null 2>&1) && break
done
test="$(hc_window "Spelling Test" 5)"
hc_shot "$test" spelling-01-screen
hc_click "$test" 245 172

# Three words, each typed right (letter case does not count).
word=1
for answer in apple BEE honey; do
    spell_trace word-shown "$word" 1
    if ((word == 1)); then
        hc_shot "$test" spelling-02-card
    fi
    spell_trace asked "$word" 1
    hc_type "$test" "$answer"
    if ((word == 1)); then
        hc_shot "$test" spelling-03-answer
    fi
    hc_key "$test" Return
    spell_trace answered "$word" 1
    if ((word == 1)); then
        hc_shot "$test" spelling-04-board
    fi
    word=$((word + 1))
done

# 100 percent earns the reward two seconds after the last answer.
spell_trace recorded 3 1
reward="$(hc_window "GreatJob" 30)"
sleep 1
hc_shot "$reward" spelling-05-reward
spell_trace rewarded 3 1 120
test="$(hc_window "Spelling Test" 30)"
hc_shot "$test" spelling-06-after-reward

# A second test, 2 of 3 right (no reward), its last answer sent with Enter held down for ten
# seconds, as a child leaning on the key does. The key answers that card only. The test ends
# with the focus on Start, and the held key (its repeats) starts no other test: while it is
# down and after it comes up, the user file holds this test's result and nothing more.
hc_click "$test" 245 172
word=1
for answer in apple bea honey; do
    spell_trace asked "$word" 2
    hc_type "$test" "$answer"
    if ((word < 3)); then
        hc_key "$test" Return
    else
        xdotool windowactivate --sync "$test" 2>/dev/null || true
        xdotool keydown Return
    fi
    word=$((word + 1))
done
spell_trace recorded 3 2
before="$(md5sum <"$HC_DIR/USERS.ERF")"
sleep 10
xdotool keyup Return
sleep 2
after="$(md5sum <"$HC_DIR/USERS.ERF")"
[[ "$before" == "$after" ]] || hc_fail "the user file changed while Enter was held after the test"
shown="$(grep -c '^trace spelling word-shown ' "$err" || true)"
((shown == 6)) || hc_fail "a held Enter showed more cards: $shown cards for two tests of three"
answered="$(grep -c '^trace spelling answered ' "$err" || true)"
((answered == 6)) || hc_fail "a held Enter answered more cards: $answered answers for six cards"
hc_shot "$test" spelling-07-after-held-enter

# A third test: a wrong answer, and Exit during its feedback. The answer is handled to its
# end (the next card starts), then the screen closes and nothing of this test is stored.
hc_click "$test" 245 172
spell_trace asked 1 3
hc_type "$test" "aple"
hc_key "$test" Return
spell_trace answered 1 3
hc_shot "$test" spelling-08-wrong
hc_click "$test" 378 247
hc_gone "Spelling Test" 30
menu="$(hc_window "Honeycombwordsmiths Main Menu" 30)"

# The record: a test of 100 percent (stored as 101), one of 66 (stored as 67), nothing else.
show="$(cd "$HC_DIR" && "$hcadmin" users show USERS.ERF Ann)"
echo "$show"
grep -qx 'SpellScores\[9\]: 67' <<<"$show" || hc_fail "the second test's result is not in slot 9"
grep -qx 'SpellScores\[8\]: 101' <<<"$show" || hc_fail "the first test's result is not in slot 8"
grep -qx 'SpellScores\[7\]: 0' <<<"$show" || hc_fail "more than two results were stored"
grep -qx 'SpellAverage: 83.00' <<<"$show" || hc_fail "the spelling average is not 83"
grep -qx 'ProgramRuns: 1' <<<"$show" || hc_fail "the login was not counted once"

# Good-bye: Exit (refused while the bee greets), then Yes.
hc_exit_through_goodbye "$menu"
hc_no_temp_files_left
