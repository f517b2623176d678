# The build steps that read a school's own content: the check that runs first on every build,
# and the step that makes a narrator clip (from the school's recording when there is one).
# Both run in ROOT, the top of the project, and pass the school's folders relative to it, so
# every message names a file as the school knows it ("content/overrides/bee/welcome.wav").

# hc_write_if_changed(path content)
# Writes `content` to `path` only when it differs, so that the file's time (and with it every
# step depending on it) changes only when its content does.
function(hc_write_if_changed path content)
    if(EXISTS "${path}")
        file(READ "${path}" old)
        if(old STREQUAL content)
            return()
        endif()
    endif()
    file(WRITE "${path}" "${content}")
endfunction()

# hc_add_school_content_check(NAME target ROOT dir OVERRIDES dir PUZZLES dir REPORT file
#                             ARTGEN exe)
# A target that runs on every build and looks at the recordings in OVERRIDES/bee and the
# pictures in PUZZLES: it warns about every file that will not be used and stops the build,
# with one line naming the file, at a file that would be used but cannot be. What it says also
# goes into REPORT, which scripts/setup shows again at the end. The steps that read those
# folders must depend on this target, so that a refused file stops the build before a step
# with hundreds of outputs starts, and the message is not buried under its command line.
function(hc_add_school_content_check)
    cmake_parse_arguments(C "" "NAME;ROOT;OVERRIDES;PUZZLES;REPORT;ARTGEN" "" ${ARGN})
    file(RELATIVE_PATH overrides "${C_ROOT}" "${C_OVERRIDES}")
    file(RELATIVE_PATH puzzles "${C_ROOT}" "${C_PUZZLES}")
    add_custom_target(${C_NAME}
        COMMAND "${CMAKE_COMMAND}" -E rm -f "${C_REPORT}"
        COMMAND ${C_ARTGEN} check "${overrides}" "${puzzles}" "${C_REPORT}"
        WORKING_DIRECTORY "${C_ROOT}"
        COMMENT "Looking at your recordings and puzzle pictures"
        VERBATIM)
endfunction()

# hc_school_recording(out_var OVERRIDES dir CLIP name)
# The school's recording OVERRIDES/bee/<name>.wav, its name in any letter case (recordings
# made on Windows often arrive as WELCOME.WAV); of several spellings the first by name, as
# hc_audiogen picks it. Empty when there is none.
function(hc_school_recording out_var)
    cmake_parse_arguments(R "" "OVERRIDES;CLIP" "" ${ARGN})
    file(GLOB candidates CONFIGURE_DEPENDS "${R_OVERRIDES}/bee/*")
    list(SORT candidates)
    set(found "")
    foreach(file IN LISTS candidates)
        get_filename_component(name "${file}" NAME)
        string(TOLOWER "${name}" name)
        if(name STREQUAL "${R_CLIP}.wav" AND NOT IS_DIRECTORY "${file}")
            set(found "${file}")
            break()
        endif()
    endforeach()
    set(${out_var} "${found}" PARENT_SCOPE)
endfunction()

# hc_add_clip_step(CLIP name TEXT file ROOT dir OVERRIDES dir OUT dir SELECT dir REPORT file
#                  AUDIOGEN exe TOOLS args...)
# The custom command making OUT/bee/<name>.wav and .txt: the school's recording converted, or
# the words of TEXT spoken by the computer voice. TEXT is named relative to ROOT in messages. SELECT/<name>.source records which, so that
# putting a recording in or taking it out makes the clip again.
function(hc_add_clip_step)
    cmake_parse_arguments(S "" "CLIP;TEXT;ROOT;OVERRIDES;OUT;SELECT;REPORT;AUDIOGEN" "TOOLS"
                          ${ARGN})
    hc_school_recording(recording OVERRIDES "${S_OVERRIDES}" CLIP "${S_CLIP}")
    # A deleted clip text is noticed by the next build (the folder is looked at again), and
    # the step then says in one line what is missing, instead of the build tool's words.
    get_filename_component(texts "${S_TEXT}" DIRECTORY)
    file(GLOB unused CONFIGURE_DEPENDS "${texts}/*.txt")
    set(text_dependency "")
    set(text_state "")
    if(EXISTS "${S_TEXT}")
        set(text_dependency "${S_TEXT}")
    else()
        set(text_state "text missing\n")
    endif()
    set(selection "${S_SELECT}/${S_CLIP}.source")
    if(recording)
        set(source "recording ${recording}\n")
        file(RELATIVE_PATH shown "${S_ROOT}" "${recording}")
        set(comment "Using your recording ${shown}")
    else()
        set(source "flite slt\n")
        set(comment "Speaking clip ${S_CLIP}")
    endif()
    hc_write_if_changed("${selection}" "${source}${text_state}")
    file(RELATIVE_PATH overrides "${S_ROOT}" "${S_OVERRIDES}")
    file(RELATIVE_PATH text "${S_ROOT}" "${S_TEXT}")
    add_custom_command(
        OUTPUT "${S_OUT}/bee/${S_CLIP}.wav" "${S_OUT}/bee/${S_CLIP}.txt"
        COMMAND ${S_AUDIOGEN} clip --name ${S_CLIP} --text "${text}" --override-dir "${overrides}"
                --wav "${S_OUT}/bee/${S_CLIP}.wav" --memo "${S_OUT}/bee/${S_CLIP}.txt"
                --report "${S_REPORT}" ${S_TOOLS}
        DEPENDS ${S_AUDIOGEN} ${text_dependency} "${selection}" ${recording}
        WORKING_DIRECTORY "${S_ROOT}"
        COMMENT "${comment}"
        VERBATIM)
endfunction()
