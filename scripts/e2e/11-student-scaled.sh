# The student program's screens on a display scaled by two: every screen complete, nothing
# clipped, pictures enlarged smoothly. Logo, title, login and main menu, then the program is
# ended through the good-bye screen.

export QT_SCALE_FACTOR=2 HC_SCALE=2
hc_start honeycomb
window="$(hc_window Brightquill 60)"
sleep 1
hc_shot "$window" student-scaled-01-logo
window="$(hc_window Honeycombwordsmiths 60)"
hc_shot "$window" student-scaled-02-title
hc_click "$window" 319 372
window="$(hc_window Welcome 60)"
hc_login_new_user "$window" "Scaled"
menu="$(hc_window "Honeycombwordsmiths Main Menu" 60)"
sleep 2
hc_shot "$menu" student-scaled-03-main-menu
hc_click "$menu" 326 264 # Report Card
card="$(hc_window "Report Card" 30)"
hc_shot "$card" student-scaled-04-report-card
hc_key "$card" Return
hc_gone "Report Card" 10
kill "$HC_PID"
wait "$HC_PID" 2>/dev/null || true
