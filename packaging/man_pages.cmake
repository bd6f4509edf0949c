# Manual pages of the controller and the listener, made from their --help and
# --version by help2man when it is there.
# A sanitizer build is for tests, never installed: its programs may also
# report at exit and fail the build.
if(ZELKON_SANITIZE)
    return()
endif()
find_program(HELP2MAN help2man)
if(NOT HELP2MAN)
    message(STATUS "help2man not found: no manual pages")
    return()
endif()

set(zelkon_man_pages)
function(zelkon_man_page program summary)
    if(NOT TARGET ${program})
        return()
    endif()
    set(page ${CMAKE_CURRENT_BINARY_DIR}/${program}.1)
    add_custom_command(OUTPUT ${page}.gz
        COMMAND ${HELP2MAN} --no-info --section=1 --name=${summary}
                --include=${CMAKE_CURRENT_SOURCE_DIR}/${program}.h2m
                --output=${page} $<TARGET_FILE:${program}>
        COMMAND gzip -9nf ${page}
        DEPENDS ${program} ${CMAKE_CURRENT_SOURCE_DIR}/${program}.h2m
        VERBATIM)
    set(zelkon_man_pages ${zelkon_man_pages} ${page}.gz PARENT_SCOPE)
endfunction()

zelkon_man_page(zelkon-cluster-controller
    "computes an inversion's sensitivity matrix as tasks on a set of computers")
zelkon_man_page(zelkon-listener "serves the Zelkon cluster controller on a task server")

add_custom_target(zelkon_man_pages ALL DEPENDS ${zelkon_man_pages})
add_dependencies(zelkon_installed zelkon_man_pages)
install(FILES ${zelkon_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
