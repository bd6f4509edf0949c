# Run by cmake --install: writes the listener's systemd user unit with
# ExecStart naming the installed listener. ZELKON_UNIT_TEMPLATE,
# ZELKON_UNIT_WORK_DIR and ZELKON_BINDIR are set by the install rule before.
if(IS_ABSOLUTE "${ZELKON_BINDIR}")
    set(ZELKON_LISTENER "${ZELKON_BINDIR}/zelkon-listener")
else()
    set(ZELKON_LISTENER "${CMAKE_INSTALL_PREFIX}/${ZELKON_BINDIR}/zelkon-listener")
endif()
configure_file("${ZELKON_UNIT_TEMPLATE}" "${ZELKON_UNIT_WORK_DIR}/zelkon-listener.service" @ONLY)
file(INSTALL "${ZELKON_UNIT_WORK_DIR}/zelkon-listener.service"
     DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/systemd/user")
