# Installs the build into PREFIX and checks that every file is where the
# desktop looks for it. corvanta-cli's manual page is there when CLI_PAGE is
# on (help2man was found).
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(expected
    bin/corvanta
    bin/corvanta-cli
    share/applications/org.zorvex.Corvanta.desktop
    share/metainfo/org.zorvex.Corvanta.metainfo.xml
    share/icons/hicolor/16x16/apps/org.zorvex.Corvanta.png
    share/icons/hicolor/32x32/apps/org.zorvex.Corvanta.png
    share/icons/hicolor/48x48/apps/org.zorvex.Corvanta.png
    share/icons/hicolor/256x256/apps/org.zorvex.Corvanta.png
    share/icons/hicolor/scalable/apps/org.zorvex.Corvanta.svg
    share/doc/corvanta/copyright
    share/doc/corvanta/changelog.gz
    share/man/man1/corvanta.1.gz)
if(CLI_PAGE)
    list(APPEND expected share/man/man1/corvanta-cli.1.gz)
endif()
foreach(path IN LISTS expected)
    if(NOT EXISTS "${PREFIX}/${path}")
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()

file(GLOB_RECURSE installed RELATIVE "${PREFIX}" "${PREFIX}/*")
list(LENGTH installed count)
list(LENGTH expected wanted)
if(NOT count EQUAL wanted)
    message(FATAL_ERROR "installed ${count} files, expected ${wanted}: ${installed}")
endif()

file(READ "${PREFIX}/share/metainfo/org.zorvex.Corvanta.metainfo.xml" metainfo)
if(NOT metainfo MATCHES "<release version=\"1.00\"")
    message(FATAL_ERROR "the metainfo does not name the release 1.00")
endif()
