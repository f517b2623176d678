# The student program around its activities: logo, title, login, main menu with the bee and its
# help mode, the word list, the report card, a new login, and the good-bye dialogue ending the
# program. Afterwards the user file holds the two users with their logins counted, and no
# temporary file is left. On the way: a name too long for its panel, Enter on the focused
# button opening it, the report card's scores drawn whole, and what a screen reader is told
# (the accessibility tree of the running program).

source "$HC_ROOT/scripts/e2e/student_checks.sh"
printf 'apple\r\nbanana\r\ncherry\r\n' >"$HC_DIR/WORDLIST.TXT"
# Without a printer the report card is offered as a PDF in the Documents folder of this home.
export HOME="$HC_DIR/home"
mkdir -p "$HOME/Documents"
hc_start_accessibility_bus
# A journey that fails half-way leaves neither the program nor the bus running.
trap 'kill "${HC_PID:-}" 2>/dev/null || true; kill "$HC_BUS_PID" 2>/dev/null || true' EXIT

name="Maximilian Bartholomew-Featherstonehaugh"
hc_start_to_menu "$name" 1
menu="$HC_MENU"
sleep 2 # the bee greets one second after the menu shows
hc_shot "$menu" student-05-main-menu
# The name panel (MainPanel 162,0 + ButtonPanel 2,288 + NamePanel 37,3, 197 x 32, inside its
# frame) starts the name at its first letter and ends it with an ellipsis; a screen reader
# reads the whole name.
hc_check_name_panel "$HC_OUT/student-05-main-menu.png" NamePanel 203 293 193 28
hc_accessible_names 30 "$name"

# Help mode: Help stays down, the cursor turns into the help cursor; a click on Spelling Test
# then speaks its help and opens nothing.
hc_click "$menu" 133 315 # Help
hc_shot "$menu" student-06-main-menu-help
hc_click "$menu" 262 152 # Spelling Test, in help mode
sleep 1
xdotool search --onlyvisible --name '^Spelling Test$' >/dev/null 2>&1 &&
    hc_fail "Spelling Test opened in help mode"
hc_shot "$menu" student-07-main-menu-help-answered

# The word list view over the menu.
hc_click "$menu" 430 264 # Word List
words="$(hc_window "Word List" 30)"
hc_shot "$words" student-08-word-list
hc_key "$words" Return
hc_gone "Word List" 10
# The clicked button keeps the focus: Enter presses it and opens the list again.
hc_key "$menu" Return
words="$(hc_window "Word List" 30)"
hc_key "$words" Return
hc_gone "Word List" 10

# Results recorded meanwhile (as by another machine): 100 % in a spelling test, 75 % in a
# puzzle, so the card shows its widest score.
(cd "$HC_DIR" && "$HC_BUILD/bin/hcadmin" users record USERS.ERF "$name" spelling 100 &&
    "$HC_BUILD/bin/hcadmin" users record USERS.ERF "$name" phonogram 75) >/dev/null

# The report card over the menu, opened from the keyboard: one Tab back from Word List is
# Report Card, and Enter presses it.
hc_key "$menu" shift+Tab Return
card="$(hc_window "Report Card" 30)"
hc_shot "$card" student-09-report-card
# Each score whole in its box (SpellTestBox, PhonoPuzBox and ScoreBox at 316 in the column,
# 65 x 15), and read aloud with what it is.
shot="$HC_OUT/student-09-report-card.png"
hc_check_score_box "$shot" SpellTestBox 316 69 65 15 50
hc_check_score_box "$shot" PhonoPuzBox 316 93 65 15 40
hc_check_score_box "$shot" ScoreBox 316 189 65 15 40
hc_accessible_names 30 "Spelling Test average: 100.00%" "Phonogram Puzzle average: 75.00%" \
    "Weighted Average: 87.50%" "Report Card for $name"
hc_click "$card" 267 236 # Print
dialog="$(hc_window "No printer is installed: save as PDF" 30)"
hc_key "$dialog" Return
hc_gone "No printer is installed: save as PDF"
pdf="$HOME/Documents/Report Card for $name.pdf"
hc_wait_file "$pdf" || hc_fail "no PDF of the report card"
pdftoppm -r 60 -png -singlefile "$pdf" "$HC_OUT/student-09-report-card-printed"
card="$(hc_window "Report Card" 10)"
hc_click "$card" 355 236 # OK (Print, clicked, has the focus: Enter would print again)
hc_gone "Report Card" 10

# A new login: a second user, made on the New User page.
hc_click "$menu" 222 264 # New User
login="$(hc_window Welcome 60)"
hc_login_new_user "$login" "Grace"
menu="$(hc_window "Honeycombwordsmiths Main Menu" 60)"
sleep 1.5
hc_shot "$menu" student-10-main-menu-second-user

# Exit through the good-bye screen: Yes once the bee has asked.
hc_exit_through_goodbye "$menu" student-11-good-bye

# The files the program wrote.
users="$("$HC_BUILD/bin/hcadmin" users list "$HC_DIR/USERS.ERF")"
echo "$users"
grep -q "^$name	87.50	1	100.00	75.00$" <<<"$users" || hc_fail "$name with one login is missing"
grep -q "^Grace	0.00	1	" <<<"$users" || hc_fail "Grace with one login is missing"
hc_no_temp_files_left
