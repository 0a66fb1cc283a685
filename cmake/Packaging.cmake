# Debian packages from the install rules: `cpack -G DEB` in the build folder. Each install
# component becomes one package; its dependencies on shared libraries come from dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME tidewright)
set(CPACK_PACKAGE_VENDOR "Tidewright maintainers")
set(TW_PACKAGE_MAINTAINER "Tidewright maintainers <maintainers@users.noreply.c-seed-2ce39ab5.example>"
    CACHE STRING "The Maintainer field of the Debian packages")
set(CPACK_PACKAGE_CONTACT "${TW_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${TW_DEBIAN_REVISION}) # from data/debian/changelog
set(CPACK_DEBIAN_PACKAGE_SOURCE tidewright)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# One call per package: install component, package name, summary line, longer description.
# Only these components are packaged. The Python module (component python) stays out: its folder
# and its dependencies belong to one interpreter version, which Debian's own tools (dh_python3)
# work out and cpack does not; `cmake --install` still puts it into any prefix.
set(CPACK_COMPONENTS_ALL "")
macro(tw_package component name summary description)
    string(TOUPPER ${component} upper)
    list(APPEND CPACK_COMPONENTS_ALL ${component})
    set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${name})
    set(CPACK_DEBIAN_${upper}_DESCRIPTION "${summary}\n${description}")
    set(tw_package_${component}_args ${ARGN})
    install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${name} COMPONENT ${component})
    # Debian's own files go into the packages only (cpack installs by component), never into
    # a prefix of `cmake --install`.
    install(FILES ${TW_DEBIAN_CHANGELOG_GZ} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${name}
            RENAME changelog.Debian.gz COMPONENT ${component} EXCLUDE_FROM_ALL)
    install(FILES ${PROJECT_SOURCE_DIR}/data/debian/lintian-overrides
            DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ${name}
            COMPONENT ${component} EXCLUDE_FROM_ALL)
endmacro()

tw_package(tw_runtime tidewright "waveform composer for arbitrary waveform generators" [[
Tidewright designs the waveforms an arbitrary waveform generator plays:
standard shapes, formulas, freehand drawing and operations on a marked range
of one segment, FM modulating waveforms, and pulse trains fitted to the
instrument's memory. Tidewright Host launches the composers beside the
instrument and sends what they compose to it (raw SCPI socket or USBTMC),
or to tidewright-awg-sim, the simulated instrument it starts for practice and
demonstrations. The package also holds tidewright-cli, which makes, converts
and describes waveform files without a display.]])
if(TW_GUI)
    tw_package(tw_devtools tidewright-dev-tools "development tools for Tidewright" [[
consolia-sim stands in for the instrument's control program: it writes the
exchange file, launches Tidewright beside it, prints the messages Tidewright
sends and sends it host events, for development, demonstrations and tests.]]
        DEPENDS tw_runtime)
endif()

include(CPack)
foreach(component IN LISTS CPACK_COMPONENTS_ALL)
    cpack_add_component(${component} ${tw_package_${component}_args})
endforeach()
