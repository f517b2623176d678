# The student program around its activities: logo, title, login, main menu with the bee and its
# help mode, the word list, the report card, a new login, and the good-bye dialogue ending the
# program. Afterwards the user file holds the two users with their logins counted, and no
# temporary file is left.

printf 'apple\r\nbanana\r\ncherry\r\n' >"$HC_DIR/WORDLIST.TXT"
# Without a printer the report card is offered as a PDF in the Documents folder of this home.
export HOME="$HC_DIR/home"
mkdir -p "$HOME/Documents"

hc_start_to_menu "Ada Lovelace" 1
menu="$HC_MENU"
sleep 2 # the bee greets one second after the menu shows
hc_shot "$menu" student-05-main-menu

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

# The report card over the menu.
hc_click "$menu" 326 264 # Report Card
card="$(hc_window "Report Card" 30)"
hc_shot "$card" student-09-report-card
hc_click "$card" 267 236 # Print
dialog="$(hc_window "No printer is installed: save as PDF" 30)"
hc_key "$dialog" Return
hc_gone "No printer is installed: save as PDF"
pdf="$HOME/Documents/Report Card for Ada Lovelace.pdf"
[[ -s "$pdf" ]] || hc_fail "no PDF of the report card"
pdftoppm -r 60 -png -singlefile "$pdf" "$HC_OUT/student-09-report-card-printed"
card="$(hc_window "Report Card" 10)"
hc_key "$card" Return
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
grep -q "^Ada Lovelace	0.00	1	" <<<"$users" || hc_fail "Ada Lovelace with one login is missing"
grep -q "^Grace	0.00	1	" <<<"$users" || hc_fail "Grace with one login is missing"
hc_no_temp_files_left
