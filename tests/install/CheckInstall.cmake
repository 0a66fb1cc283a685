# Installs the build into a fresh prefix and runs the installed programs there: the host stand-in
# must launch the installed program and hand it the installed sample instrument, never the
# source tree's. Run: cmake -DBUILD=<build folder> -DWORK=<scratch folder> [-DPNG_ICONS=ON]
#                          -P CheckInstall.cmake
set(prefix ${WORK}/prefix)
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix}
                OUTPUT_QUIET RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cmake --install ${BUILD} failed")
endif()

set(expected
    bin/tidewright bin/tidewright-cli bin/consolia-sim bin/tidewright-host bin/tidewright-awg-sim
    share/tidewright/instrument/TW2014.ini share/tidewright/TempOndex.ondex
    share/tidewright/waves/sine.wav share/tidewright/waves/sine.asc
    share/tidewright/waves/sine.csv share/tidewright/waves/sine-riff.wav
    share/applications/org.tidewright.Tidewright.desktop
    share/metainfo/org.tidewright.Tidewright.metainfo.xml
    share/icons/hicolor/scalable/apps/tidewright.svg
    share/man/man1/tidewright.1.gz share/man/man1/tidewright-cli.1.gz
    share/man/man1/consolia-sim.1.gz share/man/man1/tidewright-host.1.gz
    share/man/man1/tidewright-awg-sim.1.gz
    share/doc/tidewright/copyright share/doc/tidewright-dev-tools/copyright
    share/doc/tidewright/user-guide.md share/doc/tidewright/images/standard.png)
if(PNG_ICONS)
    foreach(size 16 22 24 32 48 64 128 256)
        list(APPEND expected share/icons/hicolor/${size}x${size}/apps/tidewright.png)
    endforeach()
endif()
foreach(file IN LISTS expected)
    if(NOT EXISTS ${prefix}/${file})
        message(SEND_ERROR "not installed: ${file}")
    endif()
endforeach()
foreach(debian_only share/lintian share/doc/tidewright/changelog.Debian.gz)
    if(EXISTS ${prefix}/${debian_only})
        message(SEND_ERROR "a Debian package's own file is installed into a prefix: ${debian_only}")
    endif()
endforeach()
if(EXISTS ${prefix}/share/tidewright/waves/make_waves.py)
    message(SEND_ERROR "the wave generator script is installed with the waves")
endif()

execute_process(COMMAND ${prefix}/bin/tidewright-cli info ${prefix}/share/tidewright/waves/sine.wav
                OUTPUT_VARIABLE info RESULT_VARIABLE failed)
string(FIND "${info}" "points: 1000\n" at)
if(failed OR at EQUAL -1)
    message(SEND_ERROR "installed tidewright-cli info: ${failed}\n${info}")
endif()

# A private runtime folder for the host link; no tidewright on the PATH but the installed one.
file(MAKE_DIRECTORY ${WORK}/runtime)
file(CHMOD ${WORK}/runtime DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=TIDEWRIGHT_LINK_DIR --unset=APPDATA
            PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen TIDEWRIGHT_NONINTERACTIVE=1
            XDG_RUNTIME_DIR=${WORK}/runtime XDG_CONFIG_HOME=${WORK}/config
            ${prefix}/bin/consolia-sim --app-data ${WORK}/appdata --do close --expect 1
            --timeout 30
    INPUT_FILE /dev/null OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE failed
    TIMEOUT 60)
if(failed)
    message(SEND_ERROR "installed consolia-sim ended with ${failed}:\n${out}")
endif()
function(expect_output fragment what)
    string(FIND "${out}" "${fragment}" at)
    if(at EQUAL -1)
        message(SEND_ERROR "installed consolia-sim: ${what}:\n${out}")
    endif()
endfunction()
expect_output("launching ${prefix}/bin/tidewright \n" "not the installed tidewright launched")
expect_output("ComposerClosed 5 0" "the composer did not close on the host's event")
file(STRINGS ${WORK}/appdata/Consolia/tmp/TempOndex.ondex descr REGEX "^DescrFile=")
if(NOT descr STREQUAL "DescrFile=${prefix}/share/tidewright/instrument/TW2014.ini")
    message(SEND_ERROR "the exchange file names \"${descr}\", not the installed instrument")
endif()

# The installed host answers from its prefix.
execute_process(COMMAND ${prefix}/bin/tidewright-host --version OUTPUT_VARIABLE version
                RESULT_VARIABLE failed TIMEOUT 30)
if(failed OR NOT version MATCHES "^tidewright-host ")
    message(SEND_ERROR "installed tidewright-host --version: ${failed}\n${version}")
endif()
