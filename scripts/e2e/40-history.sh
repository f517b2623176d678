# The results history from a child's test to next week's list: Ann takes a spelling test with
# one word wrong; the teacher's program shows her progress (the test in the chart, the missed
# word to practise), prints it as a PDF and makes a word list of it; the teacher points the Word
# List file at that list; Ben's next test asks that word. The progress view again at twice the
# scale.

form="Honeycombwordsmiths Options"
hcadmin="$HC_BUILD/bin/hcadmin"
export HOME="$HC_DIR/home"
mkdir -p "$HOME/Documents"
export HC_TRACE=1
trap 'kill "${HC_PID:-}" 2>/dev/null || true' EXIT

printf 'apple\r\nbee\r\nhoney\r\n' >"$HC_DIR/WORDLIST.TXT"
student_err="$HC_OUT/$HC_JOURNEY-honeycomb.err"
options_err="$HC_OUT/$HC_JOURNEY-options.err"

# trace_count FILE PATTERN: how many lines of FILE match the extended PATTERN.
trace_count() {
    grep -cE "$2" "$1" 2>/dev/null || true
}

# trace_wait FILE PATTERN COUNT [SECONDS]: waits until COUNT lines of FILE match PATTERN.
trace_wait() {
    local file="$1" pattern="$2" count="$3" seconds="${4:-60}"
    local deadline=$((SECONDS + seconds))
    while (($(trace_count "$file" "$pattern") < count)); do
        ((SECONDS < deadline)) || hc_fail "no \"$pattern\" ($count) in $file within ${seconds} s"
        sleep 0.05
    done
}

# spelling_test CHILD ANSWER...: logs CHILD in as a new user, takes one spelling test answering
# each word in turn, and leaves through the good-bye screen. SHOT names the test's screenshot.
spelling_test() {
    local child="$1" shot="$2"
    shift 2
    hc_start_to_menu "$child"
    local menu="$HC_MENU" test word=1 answer
    sleep 1
    for _ in $(seq 10); do
        hc_click "$menu" 262 100 # WordTestBtn
        (hc_window "Spelling Test" 5 >/dev/null 2>&1) && break
    done
    test="$(hc_window "Spelling Test" 5)"
    hc_click "$test" 245 172 # Start
    for answer in "$@"; do
        trace_wait "$student_err" "^trace spelling asked $word " 1
        hc_type "$test" "$answer"
        hc_key "$test" Return
        trace_wait "$student_err" "^trace spelling answered $word " 1
        word=$((word + 1))
    done
    trace_wait "$student_err" "^trace spelling recorded " 1
    hc_shot "$test" "$shot"
    hc_click "$test" 378 247 # Exit
    hc_gone "Spelling Test" 30
    menu="$(hc_window "Honeycombwordsmiths Main Menu" 30)"
    hc_exit_through_goodbye "$menu"
}

# -- Ann's test: "bee" spelled "bea".
spelling_test Ann history-01-test apple bea honey
export_csv="$(cd "$HC_DIR" && "$hcadmin" history export)"
echo "$export_csv"
grep -qE '^[0-9T:+-]+,Ann,spelling,bee,bea,wrong,1,,,,'$'\r''$' <<<"$export_csv" ||
    hc_fail "the missed word is not in the history"
(($(grep -c ',Ann,spelling,' <<<"$export_csv") == 3)) || hc_fail "not three answers of Ann"

# -- The teacher's program: the Users page, Ann, Progress.
tab_users=(136 17)
tab_directories=(85 17)
list_first_row=(40 82)
tool_progress=(93 42)
word_file=(184 179)
exit_button=(361 276)
print_button=(50 578)
make_list_button=(160 578)
close_button=(589 578)

hc_start options
win="$(hc_window "$form")"
hc_click "$win" "${tab_users[@]}"
hc_click "$win" "${list_first_row[@]}"
hc_shot "$win" history-02-users
hc_click "$win" "${tool_progress[@]}"
view="$(hc_window "Progress of Ann")"
hc_shot "$view" history-03-progress
trace_wait "$options_err" "^trace progress ready " 1
grep -qE '^trace progress point [0-9-]+ spelling 66$' "$options_err" ||
    hc_fail "the progress view does not show the test of 66 %"
grep -qx 'trace progress word bee 1 0' "$options_err" ||
    hc_fail "the words to practise do not list \"bee\" missed once"

# Print: no printer, so a PDF.
hc_click "$view" "${print_button[@]}"
dialog="$(hc_window "No printer is installed: save as PDF")"
hc_key "$dialog" Return
hc_gone "No printer is installed: save as PDF"
pdf="$HOME/Documents/Honeycombwordsmiths Progress.pdf"
deadline=$((SECONDS + 60))
until [[ -s "$pdf" ]]; do
    ((SECONDS < deadline)) || hc_fail "no PDF of the progress view"
    sleep 0.2
done
pdftoppm -r 60 -png -singlefile "$pdf" "$HC_OUT/history-04-progress-printed"
[[ "$(pdfinfo "$pdf" | sed -n 's/^Pages: *//p')" == 1 ]] || hc_fail "the progress is not one page"

# Make word list…: the suggested name beside the user file, accepted with Enter.
hc_click "$view" "${make_list_button[@]}"
dialog="$(hc_window "Make word list")"
hc_shot "$dialog" history-05-make-word-list
hc_key "$dialog" Return
hc_gone "Make word list"
told="$(hc_window "$form")"
[[ "$told" != "$win" ]] || hc_fail "no message after the list was written"
hc_shot "$told" history-06-list-written
hc_key "$told" Return
list="$HC_DIR/PRACTICE Ann.TXT"
[[ "$(od -c <"$list")" == "$(printf 'bee\r\n' | od -c)" ]] ||
    hc_fail "the practice list is not \"bee\": $(od -c <"$list" || true)"
hc_click "$view" "${close_button[@]}"
hc_gone "Progress of Ann"

# The Word List file pointed at the new list; Exit saves it.
hc_click "$win" "${tab_directories[@]}"
hc_click "$win" "${word_file[@]}"
hc_key "$win" ctrl+a
hc_type "$win" "PRACTICE Ann.TXT"
hc_shot "$win" history-07-word-file
hc_click "$win" "${exit_button[@]}"
hc_wait_exit "$HC_PID"
(cd "$HC_DIR" && "$hcadmin" options show) | grep -qx "WordFile: PRACTICE Ann.TXT" ||
    hc_fail "the Word List file was not set"

# -- Ben's test asks the practised word.
rm -f "$student_err"
spelling_test Ben history-08-next-test bee
export_csv="$(cd "$HC_DIR" && "$hcadmin" history export --user Ben)"
echo "$export_csv"
grep -qE ',Ben,spelling,bee,bee,right,1,,,,' <<<"$export_csv" ||
    hc_fail "Ben's test did not ask \"bee\""
(($(grep -c ',Ben,spelling,' <<<"$export_csv") == 1)) || hc_fail "Ben's test asked more than the list"

# -- The progress view at twice the scale: a double click on Ann opens it.
export QT_SCALE_FACTOR=2
export HC_SCALE=2
hc_start options
win="$(hc_window "$form")"
hc_click "$win" "${tab_users[@]}"
xdotool mousemove --window "$win" $((list_first_row[0] * 2)) $((list_first_row[1] * 2)) click --repeat 2 --delay 80 1
view="$(hc_window "Progress of Ann")"
hc_shot "$view" history-09-progress-scaled
hc_key "$view" Escape
hc_gone "Progress of Ann"
hc_key "$win" Escape
hc_wait_exit "$HC_PID"
unset QT_SCALE_FACTOR HC_SCALE
hc_no_temp_files_left
