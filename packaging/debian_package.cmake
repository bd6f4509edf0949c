# The Debian packages: cpack -G DEB in the build folder (scripts/package.sh).
# Two packages from the install components: zelkon-task-server (component
# server) for every task server, with no window and no display libraries,
# and zelkon-cluster-controller (component controller), which depends on it.
set(ZELKON_PACKAGE_CONTACT "Zelkon Cluster Controller maintainers <zelkon@localhost>"
    CACHE STRING "Maintainer of the Debian packages")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${ZELKON_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR Halvorn)
set(CPACK_PACKAGE_CONTACT ${ZELKON_PACKAGE_CONTACT})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The libraries the programs link, found by dpkg-shlibdeps for each package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL server)
set(CPACK_DEBIAN_SERVER_PACKAGE_NAME ${ZELKON_SERVER_PACKAGE_NAME})
# Each description's first line is the package's summary.
set(CPACK_DEBIAN_SERVER_DESCRIPTION
    "runs the tasks of the Zelkon cluster controller on a task server
The task server's part of the Zelkon cluster controller: the listener that
starts tasks for the controller through its pipe, its systemd user unit, a
pipe client for checking listeners by hand, and the reference Zelkon
programs (initialisation, task, assembly and matrix check). It needs no
display.")
if(TARGET zelkon-cluster-controller)
    list(APPEND CPACK_COMPONENTS_ALL controller)
    set(CPACK_DEBIAN_CONTROLLER_PACKAGE_NAME ${ZELKON_PACKAGE_NAME})
    set(CPACK_DEBIAN_CONTROLLER_DESCRIPTION
        "computes a Zelkon inversion's sensitivity matrix on a set of computers
The controller divides the matrix into tasks, starts them on the task
servers through ssh or through each server's listener, and merges the
pieces into the matrix files. Its window, its headless mode and the demo
job; the task server's programs come with zelkon-task-server.")
    # The task server's programs, of this very build; ssh reaches the servers.
    set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
    set(CPACK_COMPONENT_CONTROLLER_DEPENDS server)
    set(CPACK_DEBIAN_CONTROLLER_PACKAGE_DEPENDS openssh-client)
endif()
include(CPack)
