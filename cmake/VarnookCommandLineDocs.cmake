# The man pages varnook(1) and varnook-cli(1) and varnook-cli's bash completion, installed where
# Debian puts them. help2man makes each page from the program's own --help and --version (the one
# source of its commands, options and exit codes) and the sections in resources/man (name, files,
# environment, examples): the page and --help cannot tell different stories. Neither program needs a
# display for --help, and the build shows that: it runs them without one.
include(GNUInstallDirs)
find_program(VARNOOK_HELP2MAN help2man)
if(NOT VARNOOK_HELP2MAN)
    message(FATAL_ERROR "help2man is missing: tools/install-deps.sh installs it")
endif()

set(VARNOOK_MAN_FOLDER ${PROJECT_BINARY_DIR}/man)
file(MAKE_DIRECTORY ${VARNOOK_MAN_FOLDER})

# varnook_man_page(<program target>): its NAME line is in resources/man/<program>.h2m as well.
function(varnook_man_page program)
    set(page ${VARNOOK_MAN_FOLDER}/${program}.1)
    set(sections ${PROJECT_SOURCE_DIR}/resources/man/${program}.h2m)
    add_custom_command(OUTPUT ${page}
        COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
                ${VARNOOK_HELP2MAN} --no-info --section=1 --include=${sections}
                --output=${page} $<TARGET_FILE:${program}>
        # Installed compressed, as Debian keeps man pages; -n leaves the build's time out of it.
        COMMAND gzip -9 -n -k -f ${page}
        BYPRODUCTS ${page}.gz
        DEPENDS ${program} ${sections}
        COMMENT "Man page ${program}(1)"
        VERBATIM)
    add_custom_target(${program}_man_page ALL DEPENDS ${page})
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

varnook_man_page(varnook)
varnook_man_page(varnook-cli)

install(FILES ${PROJECT_SOURCE_DIR}/resources/bash-completion/varnook-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
