# Helpers for velto_test() that let the same test folders serve every build:
# the PC, the device's board build and armel builds run through qemu-arm.
include_guard(GLOBAL)

# velto_test_needs_sim(<out> <sources and deps>...)
#   Sets <out> to TRUE when a test needs the simulated board: it links
#   velto_sim, or one of its sources, or a header of its own folder that a
#   source includes, includes "sim/..." or the simulated-board fixture
#   (support/sim_test.h). Such a test cannot be built where there is no
#   simulated board (VELTO_TARGET=board).
function(velto_test_needs_sim out)
    set(${out} FALSE PARENT_SCOPE)
    set(pending)
    foreach(item IN LISTS ARGN)
        if(item STREQUAL "velto_sim")
            set(${out} TRUE PARENT_SCOPE)
            return()
        endif()
        get_filename_component(path "${item}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
        if(item MATCHES "\\.(c|cc|cpp|cxx|h|hpp)$" AND EXISTS "${path}")
            list(APPEND pending "${path}")
        endif()
    endforeach()
    # Sources first, then the folder's own headers they include (one level is
    # what the test folders use: a shared *_test_util.h or *_support.h).
    set(seen)
    set(depth 0)
    while(pending AND depth LESS 2)
        set(next)
        foreach(file IN LISTS pending)
            if(file IN_LIST seen)
                continue()
            endif()
            list(APPEND seen "${file}")
            file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
            foreach(line IN LISTS includes)
                string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" header "${line}")
                if(header MATCHES "^sim/" OR header MATCHES "(^|/)support/sim_test\\.h$")
                    set(${out} TRUE PARENT_SCOPE)
                    return()
                endif()
                get_filename_component(dir "${file}" DIRECTORY)
                if(EXISTS "${dir}/${header}")
                    list(APPEND next "${dir}/${header}")
                endif()
            endforeach()
        endforeach()
        set(pending ${next})
        math(EXPR depth "${depth} + 1")
    endwhile()
endfunction()

# velto_test_emulator(<test target>)
#   Defines VELTO_TEST_EMULATOR for the test: the command prefix that runs a
#   program of this build (empty natively, "qemu-arm ..." in an armel build),
#   for tests that start programs from VELTO_BIN_DIR.
function(velto_test_emulator name)
    list(JOIN CMAKE_CROSSCOMPILING_EMULATOR " " emulator)
    target_compile_definitions(${name} PRIVATE VELTO_TEST_EMULATOR="${emulator}")
endfunction()
