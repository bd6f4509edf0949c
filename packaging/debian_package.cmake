# The Debian package: cpack -G DEB in the build folder (scripts/package.sh).
# One package holds the controller and the task server's programs, so the
# same file installs on every machine.
set(ZELKON_PACKAGE_CONTACT "Zelkon Cluster Controller maintainers <zelkon@localhost>"
    CACHE STRING "Maintainer of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${ZELKON_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR Halvorn)
set(CPACK_PACKAGE_CONTACT ${ZELKON_PACKAGE_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "computes a Zelkon inversion's sensitivity matrix on a set of computers")
# The extended description; CPack puts the summary before it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "The controller divides the matrix into tasks, starts them on the task
servers through ssh or through each server's listener, and merges the
pieces into the matrix files. The package also holds the listener, its
systemd user unit, a pipe client for checking listeners by hand, and the
reference Zelkon programs.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The libraries the programs link, found by dpkg-shlibdeps; ssh reaches the task servers.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS openssh-client)
include(CPack)
