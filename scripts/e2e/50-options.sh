# The teacher's program: the form at once without a password, a new password, the password box
# with a wrong and the right password, every page of the form (deleting a user, printing both
# lists as PDFs with no printer installed, editing and saving the word list, the test values),
# Exit, and the files it wrote. Then the box and the form once more at twice the scale.

form="Honeycombwordsmiths Options"
hcadmin="$HC_BUILD/bin/hcadmin"
# The PDF save dialog opens in the Documents folder of this home.
export HOME="$HC_DIR/home"
mkdir -p "$HOME/Documents"

(cd "$HC_DIR" && "$hcadmin" users add USERS.ERF Carla Anna Ben >/dev/null)
printf 'apple\r\nbanana\r\n\r\ncherry pie\r\n' >"$HC_DIR/WORDLIST.TXT"
printf 'owl\r\nyak\r\n' >"$HC_DIR/week2.txt"

# Client-area places on the form (logical pixels).
tab_security=(28 17)
tab_directories=(85 17)
tab_users=(136 17)
tab_wordlist=(184 17)
tab_spelling=(250 17)
tab_phonogram=(337 17)
exit_button=(361 276)
new_pwd=(266 109)
new_pwd2=(266 141)
list_first_row=(40 82)
tool_1=(17 42)
tool_2=(42 42)
tool_3=(68 42)
word_print=(157 42)
word_delay=(236 51)
word_file=(184 179)

# -- No OPTIONS.DAT yet: the form comes up at once. Set a password (Tab to "Change Password"
# and Enter: that button, not Exit) and leave with Exit.
hc_start options
win="$(hc_window "$form")"
hc_shot "$win" options-01-security
hc_click "$win" "${new_pwd[@]}"
hc_type "$win" "bee"
hc_click "$win" "${new_pwd2[@]}"
hc_type "$win" "bee"
hc_key "$win" Tab
hc_key "$win" Return
sleep 0.5
hc_shot "$(hc_window "$form")" options-02-password-set
hc_key "$(hc_window "$form")" Return
sleep 0.3
hc_click "$win" "${exit_button[@]}"
hc_wait_exit "$HC_PID"
(cd "$HC_DIR" && "$hcadmin" options show) | grep -qx "Password: set" || hc_fail "the new password was not saved"

# -- With the password: the box, a wrong password (one mark), the right one.
hc_start options
box="$(hc_window "Password Box")"
hc_shot "$box" options-03-password-box
hc_type "$box" "wasp"
hc_key "$box" Return
hc_shot "$box" options-04-wrong-password
hc_type "$box" "bee"
hc_key "$box" Return
hc_gone "Password Box"
win="$(hc_window "$form")"

hc_click "$win" "${tab_directories[@]}"
hc_shot "$win" options-05-directories

# Users: select Ben (the second row, sorted), delete him with Yes.
hc_click "$win" "${tab_users[@]}"
hc_shot "$win" options-06-users
hc_click "$win" "${list_first_row[@]}"
hc_key "$win" Down
hc_click "$win" "${tool_3[@]}"
question="$(hc_window "$form")"
[[ "$question" != "$win" ]] || hc_fail "no question before deleting a user"
hc_shot "$question" options-07-delete-user
hc_key "$question" alt+y
sleep 0.5
hc_shot "$win" options-08-user-deleted

# Print the user list: no printer is installed, so a PDF is offered.
hc_click "$win" "${tool_2[@]}"
dialog="$(hc_window "No printer is installed: save as PDF")"
hc_shot "$dialog" options-09-save-pdf
hc_key "$dialog" Return
hc_gone "No printer is installed: save as PDF"
hc_wait_file "$HOME/Documents/Honeycombwordsmiths User List.pdf" || hc_fail "no PDF of the user list"

# Word List: add a word at the end, print it, leave the page saying Yes.
hc_click "$win" "${tab_wordlist[@]}"
hc_click "$win" 200 150
hc_key "$win" ctrl+End
hc_key "$win" Return
hc_type "$win" "zebra  "
hc_shot "$win" options-10-word-list
hc_click "$win" "${word_print[@]}"
dialog="$(hc_window "No printer is installed: save as PDF")"
hc_key "$dialog" Return
hc_gone "No printer is installed: save as PDF"
hc_wait_file "$HOME/Documents/Honeycombwordsmiths Word List.pdf" || hc_fail "no PDF of the word list"
hc_click "$win" "${tab_spelling[@]}"
question="$(hc_window "$form")"
[[ "$question" != "$win" ]] || hc_fail "no question on leaving the word list"
hc_shot "$question" options-11-save-word-list
hc_key "$question" Return
sleep 0.5

# Spelling Test: the word stays 3.5 seconds, typed with a decimal comma.
hc_shot "$win" options-12-spelling-test
hc_click "$win" "${word_delay[@]}"
hc_key "$win" ctrl+a
hc_type "$win" "3,5"
hc_click "$win" "${tab_phonogram[@]}"
hc_shot "$win" options-13-phonogram-puzzle

# The Word List file now names another list: Exit writes the saved words to neither it nor
# anywhere else, and the settings name it.
hc_click "$win" "${tab_directories[@]}"
hc_click "$win" "${word_file[@]}"
hc_key "$win" ctrl+a
hc_type "$win" "week2.txt"
hc_click "$win" "${exit_button[@]}"
hc_wait_exit "$HC_PID"

# -- What Exit wrote.
options="$(cd "$HC_DIR" && "$hcadmin" options show)"
grep -qx "WordDelay: 3.50" <<<"$options" || hc_fail "WordDelay not saved: $options"
grep -qx "Password: set" <<<"$options" || hc_fail "the password was lost: $options"
expected_words="$(printf 'apple\r\nbanana\r\ncherry pie\r\nzebra\r\n' | od -c)"
[[ "$(od -c <"$HC_DIR/WORDLIST.TXT")" == "$expected_words" ]] ||
    hc_fail "word list not as saved: $(od -c <"$HC_DIR/WORDLIST.TXT")"
grep -qx "WordFile: week2.txt" <<<"$options" || hc_fail "the new word list file not saved: $options"
[[ "$(od -c <"$HC_DIR/week2.txt")" == "$(printf 'owl\r\nyak\r\n' | od -c)" ]] ||
    hc_fail "another list was overwritten: $(od -c <"$HC_DIR/week2.txt")"
users="$(cd "$HC_DIR" && "$hcadmin" users list USERS.ERF | cut -f1 | tr '\n' ' ')"
[[ "$users" == "Carla Anna " ]] || hc_fail "users after the deletion: $users"

# -- At twice the scale: the box and the form are complete.
export QT_SCALE_FACTOR=2
hc_start options
box="$(hc_window "Password Box")"
hc_shot "$box" options-14-password-box-scaled
hc_type "$box" "bee"
hc_key "$box" Return
win="$(hc_window "$form")"
hc_shot "$win" options-15-security-scaled
hc_click "$win" $((tab_spelling[0] * 2)) $((tab_spelling[1] * 2))
hc_shot "$win" options-16-spelling-test-scaled
hc_key "$win" Escape
hc_wait_exit "$HC_PID"
unset QT_SCALE_FACTOR

# -- Enter on the password box's focused Cancel is Cancel: the program ends, no mark is made.
hc_start options
box="$(hc_window "Password Box")"
hc_key "$box" Tab
hc_key "$box" Return
hc_wait_exit "$HC_PID"

# -- An OPTIONS.DAT that is there but cannot be read (a folder in its place, as unreadable for
# the administrator as a file without permissions is for a teacher): its message, then the
# program ends without opening the form or writing anything.
mv "$HC_DIR/OPTIONS.DAT" "$HC_DIR/OPTIONS.DAT.kept"
mkdir "$HC_DIR/OPTIONS.DAT"
hc_start options
error_box="$(hc_window "Honeycombsettings")"
hc_shot "$error_box" options-17-unreadable-options
hc_key "$error_box" Return
hc_wait_exit "$HC_PID"
[[ -d "$HC_DIR/OPTIONS.DAT" && -z "$(ls -A "$HC_DIR/OPTIONS.DAT")" ]] ||
    hc_fail "the unreadable OPTIONS.DAT was replaced"
rmdir "$HC_DIR/OPTIONS.DAT"
mv "$HC_DIR/OPTIONS.DAT.kept" "$HC_DIR/OPTIONS.DAT"
