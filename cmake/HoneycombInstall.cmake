# What `cmake --install` puts where, and the Debian package made from it (cpack).
#
#   bin/honeycombwordsmiths            the student program (built as program/honeycomb)
#   bin/honeycombwordsmiths-options    the teacher's program (built as program/options): a bare
#                                      "options" on the PATH would clash with other software
#   bin/hcadmin, bin/erftool           the tools for teachers and technicians
#   share/honeycombwordsmiths/         DATA.ERF and the starter word list WORDLIST.TXT
#   share/applications/, share/metainfo/, share/icons/hicolor/, share/man/man1/
#
# hcplay, the build-time generators and the benchmarks are not installed. The programs find
# the data folder relative to their own executable (HC_RELATIVE_DATA_DIR), so the install can
# be moved to any prefix.

set(HC_PACKAGING_DIR "${PROJECT_SOURCE_DIR}/packaging")
set(HC_STUDENT_ID "org.honeycombwordsmiths.Honeycombwordsmiths")
set(HC_OPTIONS_ID "org.honeycombwordsmiths.Honeycombsettings")
set(HC_PACKAGE_NAME "honeycombwordsmiths")

# --- Things made for the install --------------------------------------------------------------
set(hc_install_build "${CMAKE_BINARY_DIR}/install-files")
set(hc_icons_dir "${hc_install_build}/icons")
set(hc_icon_files "")
foreach(size 16 22 24 32 48 64 128 256)
    foreach(id ${HC_STUDENT_ID} ${HC_OPTIONS_ID})
        list(APPEND hc_icon_files "${hc_icons_dir}/${size}x${size}/apps/${id}.png")
    endforeach()
endforeach()
# The icons are the programs' own window icons (the bee in its honeycomb cell, the teacher's
# clipboard), drawn by the content generator at every hicolor size.
add_custom_command(
    OUTPUT ${hc_icon_files}
    COMMAND hc_artgen icons "${hc_icons_dir}" ${HC_STUDENT_ID} ${HC_OPTIONS_ID}
    DEPENDS hc_artgen
    COMMENT "Drawing the menu icons"
    VERBATIM)

# Manual pages and the package's changelog are stored compressed, as Debian expects; -n keeps
# the bytes the same from one build to the next.
set(hc_gzipped "")
foreach(source man/honeycombwordsmiths.1 man/honeycombwordsmiths-options.1 man/hcadmin.1
               man/erftool.1 man/honeycombwordsmiths-content.1 changelog)
    get_filename_component(name "${source}" NAME)
    set(out "${hc_install_build}/${name}.gz")
    add_custom_command(
        OUTPUT "${out}"
        COMMAND gzip -9n -c "${HC_PACKAGING_DIR}/${source}" > "${out}"
        DEPENDS "${HC_PACKAGING_DIR}/${source}"
        COMMENT "Compressing ${name}")
    list(APPEND hc_gzipped "${out}")
endforeach()
add_custom_target(hc_install_files ALL DEPENDS ${hc_icon_files} ${hc_gzipped})

# --- Install rules ------------------------------------------------------------------------------
# The programs are copied under their installed names; when installing stripped (cpack does),
# their symbols go as they would for an installed target.
install(PROGRAMS "$<TARGET_FILE:honeycomb>" DESTINATION "${CMAKE_INSTALL_BINDIR}"
        RENAME honeycombwordsmiths)
install(PROGRAMS "$<TARGET_FILE:options>" DESTINATION "${CMAKE_INSTALL_BINDIR}"
        RENAME honeycombwordsmiths-options)
install(PROGRAMS "$<TARGET_FILE:hcadmin>" "$<TARGET_FILE:erftool>"
        DESTINATION "${CMAKE_INSTALL_BINDIR}")
set(hc_installed_programs honeycombwordsmiths honeycombwordsmiths-options hcadmin erftool)
# The school-content tool (a school's own pictures and recordings into its class folder).
if(TARGET honeycombwordsmiths-content)
    install(PROGRAMS "$<TARGET_FILE:honeycombwordsmiths-content>"
            DESTINATION "${CMAKE_INSTALL_BINDIR}")
    list(APPEND hc_installed_programs honeycombwordsmiths-content)
endif()
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        foreach(program ${hc_installed_programs})
            execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded --remove-section=.comment
                            --remove-section=.note
                            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\"
                            COMMAND_ERROR_IS_FATAL ANY)
        endforeach()
    endif()")

install(FILES "${HC_PROGRAM_DIR}/DATA.ERF" "${HC_PACKAGING_DIR}/WORDLIST.TXT"
        DESTINATION "${HC_INSTALL_DATADIR}")
install(FILES "${HC_PACKAGING_DIR}/${HC_STUDENT_ID}.desktop"
              "${HC_PACKAGING_DIR}/${HC_OPTIONS_ID}.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${HC_PACKAGING_DIR}/${HC_STUDENT_ID}.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(DIRECTORY "${hc_icons_dir}/" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor")
install(FILES "${hc_install_build}/honeycombwordsmiths.1.gz"
              "${hc_install_build}/honeycombwordsmiths-options.1.gz"
              "${hc_install_build}/hcadmin.1.gz" "${hc_install_build}/erftool.1.gz"
              "${hc_install_build}/honeycombwordsmiths-content.1.gz"
        DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES "${HC_PACKAGING_DIR}/copyright" "${hc_install_build}/changelog.gz"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/${HC_PACKAGE_NAME}")

# --- The Debian package (cpack in the build tree; scripts/package builds it) -------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME "${HC_PACKAGE_NAME}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Honeycombwordsmiths")
set(CPACK_PACKAGE_CONTACT "Honeycombwordsmiths <maintainers@honeycombwordsmiths.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "spelling tutor for young children, guided by a talking bee")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES TRUE)
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}/package")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://honeycombwordsmiths.org/")
# The long description only: CPack puts the summary above it as the synopsis and indents each
# line itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "A talking bee guides young children through timed flash-card spelling tests
with reward movies, phonogram puzzles, the word list and a printable report
card. The teacher's program, behind a password, keeps the word list, the
users and the settings. Both share one class folder, which may lie on a
school's network share.")
# Libraries from the binaries; what they load by name (the MIDI soundfont, the screens' font,
# the Wayland platform plugin) by hand. The school-content tool runs sox for a school's
# recordings and flite for its new words; the programs need neither.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "timgm6mb-soundfont, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, flite, sox")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
