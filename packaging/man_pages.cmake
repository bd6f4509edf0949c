# Manual pages of every installed program, made from their --help and
# --version by help2man when it is there; each goes with its program's
# package.
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
# PROGRAM.h2m beside this file, when there, adds sections to the page.
function(zelkon_man_page program component summary)
    if(NOT TARGET ${program})
        return()
    endif()
    set(page ${CMAKE_CURRENT_BINARY_DIR}/${program}.1)
    set(include ${CMAKE_CURRENT_SOURCE_DIR}/${program}.h2m)
    set(include_option)
    set(include_file)
    if(EXISTS ${include})
        set(include_option --include=${include})
        set(include_file ${include})
    endif()
    add_custom_command(OUTPUT ${page}.gz
        COMMAND ${HELP2MAN} --no-info --section=1 --name=${summary} ${include_option}
                --output=${page} $<TARGET_FILE:${program}>
        COMMAND gzip -9nf ${page}
        DEPENDS ${program} ${include_file}
        VERBATIM)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
    set(zelkon_man_pages ${zelkon_man_pages} ${page}.gz PARENT_SCOPE)
endfunction()

zelkon_man_page(zelkon-cluster-controller controller
    "computes an inversion's sensitivity matrix as tasks on a set of computers")
zelkon_man_page(zelkon-listener server "serves the Zelkon cluster controller on a task server")
zelkon_man_page(zelkon-pipe-call server "sends one request to a pipe listener")
zelkon_man_page(zelkon server "the reference Zelkon program's cluster initialisation")
zelkon_man_page(zelkon_cluster_task server "computes one task of a Zelkon cluster job")
zelkon_man_page(zelkon_cluster_assemble server
    "merges finished tasks of a Zelkon cluster job into the matrix files")
zelkon_man_page(zelkon_matrix_check server "reads Zelkon matrix files back and checks them")

add_custom_target(zelkon_man_pages ALL DEPENDS ${zelkon_man_pages})
add_dependencies(zelkon_installed zelkon_man_pages)
