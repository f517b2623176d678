# The installed programs: `cmake --install` of the build tree into a fresh prefix (and, when
# HC_DEB names a package, that package unpacked with dpkg-deb -x, never installed on this
# machine). The layout, launchers and metainfo are checked; then the installed student program
# is started from an unrelated folder, a child logs in as a new user and leaves through Exit.
# The user file must be in the class folder and nothing may be written into the prefix or the
# start folder.
#
# The build tree installed is HC_INSTALL_BUILD when set (.ci/run names the release tree that
# made HC_DEB, so that this journey runs once there, beside the others of ./test), else HC_BUILD.
install_build="${HC_INSTALL_BUILD:-$HC_BUILD}"

# hc_check_layout ROOT: the installed files under ROOT (a prefix such as /usr).
hc_check_layout() {
    local root="$1" file
    for file in bin/honeycombwordsmiths bin/honeycombwordsmiths-options bin/hcadmin bin/erftool; do
        [[ -x "$root/$file" ]] || hc_fail "not installed: $file"
    done
    if [[ -x "$install_build/bin/honeycombwordsmiths-content" ]]; then
        [[ -x "$root/bin/honeycombwordsmiths-content" ]] ||
            hc_fail "not installed: bin/honeycombwordsmiths-content"
    fi
    for file in bin/honeycomb bin/options bin/hcplay; do
        [[ ! -e "$root/$file" ]] || hc_fail "installed, but must not be: $file"
    done
    for file in share/honeycombwordsmiths/DATA.ERF share/honeycombwordsmiths/WORDLIST.TXT \
        share/man/man1/hcadmin.1.gz share/man/man1/erftool.1.gz \
        share/doc/honeycombwordsmiths/copyright \
        share/icons/hicolor/16x16/apps/org.honeycombwordsmiths.Honeycombwordsmiths.png \
        share/icons/hicolor/256x256/apps/org.honeycombwordsmiths.Honeycombsettings.png; do
        [[ -s "$root/$file" ]] || hc_fail "not installed: $file"
    done
    desktop-file-validate "$root"/share/applications/org.honeycombwordsmiths.*.desktop ||
        hc_fail "the launchers do not validate"
    grep -qx 'Categories=Education;.*' \
        "$root/share/applications/org.honeycombwordsmiths.Honeycombwordsmiths.desktop" ||
        hc_fail "the student program is not under Education"
    grep -q '^Keywords=teacher;' \
        "$root/share/applications/org.honeycombwordsmiths.Honeycombsettings.desktop" ||
        hc_fail "the teacher's launcher has no keyword \"teacher\""
    appstreamcli validate --no-net \
        "$root/share/metainfo/org.honeycombwordsmiths.Honeycombwordsmiths.metainfo.xml" ||
        hc_fail "the metainfo does not validate"
    # Every icon is the size its folder says.
    local icon size
    for icon in "$root"/share/icons/hicolor/*/apps/*.png; do
        size="$(basename "$(dirname "$(dirname "$icon")")")"
        [[ "$(identify -format '%wx%h' "$icon")" == "$size" ]] || hc_fail "$icon is not $size"
    done
}

# hc_installed_journey ROOT LABEL CLASS [ENV...]: runs ROOT/bin/honeycombwordsmiths from an
# empty start folder with the environment ENV, logs in a new user, exits, and checks that the
# user file is in CLASS and that nothing appeared in ROOT or the start folder.
hc_installed_journey() {
    local root="$1" label="$2" class="$3"
    shift 3
    local start="$HC_DIR/start-$label" before after
    mkdir -p "$start"
    before="$(cd "$root" && find . -printf '%p %s %T@ %m\n' | sort)"
    (cd "$start" && exec env "$@" "$root/bin/honeycombwordsmiths") \
        >"$HC_OUT/$HC_JOURNEY-$label.err" 2>&1 &
    HC_PID=$!
    hc_to_menu "Ike $label"
    [[ "$label" != prefix ]] || hc_shot "$HC_MENU" install-01-main-menu
    hc_exit_through_goodbye "$HC_MENU"
    "$root/bin/hcadmin" --class-folder "$class" users list USERS.ERF >"$HC_DIR/users-$label.txt"
    grep -q "^Ike $label	" "$HC_DIR/users-$label.txt" ||
        hc_fail "no user \"Ike $label\" in $class/USERS.ERF: $(cat "$HC_DIR/users-$label.txt")"
    [[ -z "$(ls -A "$start")" ]] || hc_fail "written into the start folder: $(ls -A "$start")"
    after="$(cd "$root" && find . -printf '%p %s %T@ %m\n' | sort)"
    [[ "$before" == "$after" ]] ||
        hc_fail "written into the install: $(diff <(echo "$before") <(echo "$after") || true)"
}

prefix="$HC_DIR/prefix"
cmake --install "$install_build" --prefix "$prefix" >"$HC_OUT/$HC_JOURNEY-cmake-install.log" ||
    hc_fail "cmake --install failed"
hc_check_layout "$prefix"

# A class folder named by the environment; temporary files in TMP.
mkdir -p "$HC_DIR/class"
hc_installed_journey "$prefix" prefix "$HC_DIR/class" HONEYCOMB_CLASS_FOLDER="$HC_DIR/class"
hc_no_temp_files_left
[[ ! -e "$HC_DIR/class/WORDLIST.TXT" ]] || hc_fail "a starter list was put into a named class folder"

# The moved install, with the class folder in its default place (made with the starter word
# list) and temporary files in the account's private folder under XDG_RUNTIME_DIR.
mv "$prefix" "$HC_DIR/moved"
hc_installed_journey "$HC_DIR/moved" moved "$HC_DIR/xdg/honeycombwordsmiths" \
    -u TMP XDG_DATA_HOME="$HC_DIR/xdg"
cmp "$HC_DIR/xdg/honeycombwordsmiths/WORDLIST.TXT" "$HC_ROOT/packaging/WORDLIST.TXT" ||
    hc_fail "the starter word list was not copied into the default class folder"
[[ "$(stat -c %a "$XDG_RUNTIME_DIR/honeycombwordsmiths")" == 700 ]] ||
    hc_fail "the private temporary folder is not 0700"
[[ -z "$(ls -A "$XDG_RUNTIME_DIR/honeycombwordsmiths")" ]] ||
    hc_fail "temporary files left: $(ls -A "$XDG_RUNTIME_DIR/honeycombwordsmiths")"

# The Debian package, unpacked: its programs under usr/ run the same way.
if [[ -n "${HC_DEB:-}" ]]; then
    dpkg-deb -x "$HC_DEB" "$HC_DIR/deb" || hc_fail "cannot unpack $HC_DEB"
    hc_check_layout "$HC_DIR/deb/usr"
    mkdir -p "$HC_DIR/deb-class"
    hc_installed_journey "$HC_DIR/deb/usr" deb "$HC_DIR/deb-class" \
        HONEYCOMB_CLASS_FOLDER="$HC_DIR/deb-class"
fi
