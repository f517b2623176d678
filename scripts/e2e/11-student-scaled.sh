# The student program's screens on a display scaled by two: every screen complete, nothing
# clipped, pictures enlarged smoothly. Logo, title, login and main menu, then the program is
# ended through the good-bye screen.

source "$HC_ROOT/scripts/e2e/student_checks.sh"
export QT_SCALE_FACTOR=2 HC_SCALE=2
name="Maximilian Bartholomew-Featherstonehaugh"
hc_start honeycomb
window="$(hc_window Brightquill 60)"
sleep 1
hc_shot "$window" student-scaled-01-logo
window="$(hc_window Honeycombwordsmiths 60)"
hc_shot "$window" student-scaled-02-title
hc_click "$window" 319 372
window="$(hc_window Welcome 60)"
hc_login_new_user "$window" "$name"
menu="$(hc_window "Honeycombwordsmiths Main Menu" 60)"
sleep 2
hc_shot "$menu" student-scaled-03-main-menu
# A name too long for its panel: from its first letter, ending with an ellipsis.
hc_check_name_panel "$HC_OUT/student-scaled-03-main-menu.png" NamePanel 203 293 193 28
# The widest score, 100.00 %, and two others, each whole in its box.
(cd "$HC_DIR" && "$HC_BUILD/bin/hcadmin" users record USERS.ERF "$name" spelling 100 &&
    "$HC_BUILD/bin/hcadmin" users record USERS.ERF "$name" phonogram 75) >/dev/null
hc_click "$menu" 326 264 # Report Card
card="$(hc_window "Report Card" 30)"
hc_shot "$card" student-scaled-04-report-card
shot="$HC_OUT/student-scaled-04-report-card.png"
hc_check_score_box "$shot" SpellTestBox 316 69 65 15 50
hc_check_score_box "$shot" PhonoPuzBox 316 93 65 15 40
hc_check_score_box "$shot" ScoreBox 316 189 65 15 40
hc_key "$card" Return
hc_gone "Report Card" 10
kill "$HC_PID"
wait "$HC_PID" 2>/dev/null || true
