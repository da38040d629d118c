# The Debian package: `cpack -G DEB` in a build folder. Its dependencies are
# found by dpkg-shlibdeps from the libraries the binaries link.
set(CPACK_PACKAGE_NAME orvelconfigurator)
set(CPACK_PACKAGE_VENDOR "OrvelConfigurator developers")
set(CPACK_PACKAGE_CONTACT "OrvelConfigurator developers <orvelconfigurator@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configurator for an air-flow signal converter")
set(CPACK_PACKAGE_DESCRIPTION
    "Reads, edits and writes the conversion table of an air-flow signal converter over a serial port, \
autotunes it from an oxygen sensor while driving (with spoken cues), records and charts logs, \
updates the converter's firmware. Includes the orvel command-line tool and a simulated converter.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Wayland sessions need the Qt platform plugins beyond the X11 one.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-qpa-plugins)
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE ORVEL_DEB_ARCH
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT ORVEL_DEB_ARCH)
  set(ORVEL_DEB_ARCH ${CMAKE_SYSTEM_PROCESSOR})
endif()
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${ORVEL_DEB_ARCH})
set(CPACK_PACKAGE_FILE_NAME OrvelConfigurator-${PROJECT_VERSION}-${ORVEL_DEB_ARCH})
# The launcher names the installed paths: package them where they were configured.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_GENERATOR DEB)
include(CPack)
