# Starts that must not go ahead: without DATA.ERF the program says so and ends with exit code 0,
# leaving no temporary file; a second copy says that only one may run and ends, while the first
# goes on undisturbed.

# No archive.
mv "$HC_DIR/DATA.ERF" "$HC_DIR/DATA.ERF.away"
hc_start honeycomb
box="$(hc_window Honeycombwordsmiths 30)"
hc_shot "$box" student-errors-01-no-archive
hc_key "$box" Return
hc_wait_exit "$HC_PID" 20
hc_no_temp_files_left
mv "$HC_DIR/DATA.ERF.away" "$HC_DIR/DATA.ERF"

# A second copy while the first shows its logo.
hc_start honeycomb
first="$HC_PID"
hc_window Brightquill 60 >/dev/null
hc_start honeycomb
second="$HC_PID"
box="$(hc_window Honeycombwordsmiths 30)"
hc_shot "$box" student-errors-02-second-copy
hc_key "$box" Return
hc_wait_exit "$second" 20
hc_pid_alive "$first" || hc_fail "the first copy ended too"
hc_window Honeycombwordsmiths 60 >/dev/null # the first copy's title screen
kill "$first"
wait "$first" 2>/dev/null || true
