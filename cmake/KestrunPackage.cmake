# The Debian package: `cpack -G DEB` in a build configured with CMAKE_INSTALL_PREFIX=/usr
# (scripts/package does both). The libraries the programs need are found by dpkg-shlibdeps
# from the installed executables, so the dependencies follow whatever Qt the build used.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrun)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Kestrun")
set(CPACK_PACKAGE_CONTACT "Kestrun maintainers <maintainers@kestrun.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "NVU and RSBN navigation calculator for flight-simulator routes")
# The summary is the first line of the package's description; this text follows it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Kestrun computes, for a route typed in or imported from a simulator flight plan,
the values of every leg for the NVU navigation computer and for RSBN short-range
radio beacons, chooses beacons from a beacon database, prints the plan and keeps
it in its own plan file. The package holds the desktop program (kestrun) and the
command-line calculator (kestrun-cli).")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
include(CPack)
