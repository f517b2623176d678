# A school's own content on an installed system: `cmake --install` of the build tree into a
# fresh prefix; a recording, new words and a puzzle picture in the class folder's
# school-content/; the installed content tool run on them, first with --check (which writes
# nothing); the class folder's DATA.ERF verified; then the installed student program started on
# that class folder with the installed archive taken away, so that only the school's archive
# can carry it to the main menu.

prefix="$HC_DIR/prefix"
cmake --install "$HC_BUILD" --prefix "$prefix" >"$HC_OUT/$HC_JOURNEY-cmake-install.log" ||
    hc_fail "cmake --install failed"
tool="$prefix/bin/honeycombwordsmiths-content"
erftool="$prefix/bin/erftool"
installed="$prefix/share/honeycombwordsmiths/DATA.ERF"
[[ -x "$tool" ]] || hc_fail "the content tool is not installed"
[[ -s "$prefix/share/man/man1/honeycombwordsmiths-content.1.gz" ]] ||
    hc_fail "the content tool's manual page is not installed"

class="$HC_DIR/class"
school="$class/school-content"
mkdir -p "$school/recordings" "$school/clips" "$school/puzzles" "$HC_DIR/start"
sox -n -r 22050 -c 1 -b 16 "$school/recordings/welcome.wav" synth 1.2 sine 330 pad 0.3 0.4 ||
    hc_fail "cannot make a recording"
printf 'Hello from our school!\n' >"$school/clips/welcome.txt"
printf 'See you tomorrow!\n' >"$school/clips/goodbye.txt"
convert -size 320x240 gradient:gold-royalblue "$school/puzzles/our-school.png" ||
    hc_fail "cannot make a picture"

run_tool() {
    (cd "$HC_DIR/start" && HONEYCOMB_CLASS_FOLDER="$class" "$tool" "$@")
}
run_tool --check >"$HC_OUT/$HC_JOURNEY-check.log" 2>&1 ||
    hc_fail "--check failed: $(tail -n 3 "$HC_OUT/$HC_JOURNEY-check.log")"
grep -q "puzzle 8: school-content/puzzles/our-school.png" "$HC_OUT/$HC_JOURNEY-check.log" ||
    hc_fail "--check does not list the puzzle"
[[ ! -e "$class/DATA.ERF" ]] || hc_fail "--check wrote $class/DATA.ERF"

run_tool >"$HC_OUT/$HC_JOURNEY-tool.log" 2>&1 ||
    hc_fail "the tool failed: $(tail -n 3 "$HC_OUT/$HC_JOURNEY-tool.log")"
[[ "$("$erftool" verify "$class/DATA.ERF")" == Ok ]] || hc_fail "the class archive does not verify"
[[ "$("$erftool" cat "$class/DATA.ERF" 'bee\welcome.txt')" == "Hello from our school!"* ]] ||
    hc_fail "the new words are not in the class archive"
"$erftool" cat "$class/DATA.ERF" 'bee\welcome.wav' >"$HC_DIR/welcome-class.wav"
"$erftool" cat "$installed" 'bee\welcome.wav' >"$HC_DIR/welcome-installed.wav"
cmp -s "$HC_DIR/welcome-class.wav" "$HC_DIR/welcome-installed.wav" &&
    hc_fail "the school's recording is not in the class archive"
[[ "$("$erftool" list "$class/DATA.ERF" | grep -c '^phono\\puzzles\\movies\\')" == 9 ]] ||
    hc_fail "the class archive does not hold 9 puzzles"
[[ -z "$(ls -A "$HC_DIR/start")" ]] || hc_fail "written into the start folder: $(ls -A "$HC_DIR/start")"

# Only the school's archive is left for the program to open.
mv "$installed" "$installed.away"
(cd "$HC_DIR/start" && exec env HONEYCOMB_CLASS_FOLDER="$class" "$prefix/bin/honeycombwordsmiths") \
    >"$HC_OUT/$HC_JOURNEY-honeycomb.err" 2>&1 &
HC_PID=$!
hc_window Brightquill 60 >/dev/null
window="$(hc_window Honeycombwordsmiths 60)"
hc_click "$window" 319 372 # the start area
hc_gone Honeycombwordsmiths 30
# The login screen's bee speaks the school's recording and shows the school's words.
window="$(hc_window Welcome 60)"
sleep 2
hc_shot "$window" school-content-login
hc_login_new_user "$window" "Sam School" 0
HC_MENU="$(hc_window "Honeycombwordsmiths Main Menu" 60)"
hc_shot "$HC_MENU" school-content-menu
hc_exit_through_goodbye "$HC_MENU"
mv "$installed.away" "$installed"
hc_no_temp_files_left
