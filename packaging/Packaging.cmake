# SPDX-License-Identifier: GPL-3.0-or-later
# Where `cmake --install` puts the program, and the Debian package built from the same rules (CPack).
# Debian's games layout, under the install prefix:
#   games/talvor                     the command, a link to the program
#   lib/games/talvor/talvor          the program; beside it links to its settings and book, which it reads
#                                    from the folder of its own file, and its game window module
#                                    talvor-window.so
#   share/games/talvor/              Talvor.ini and the book (static data, the same on every architecture)
#   share/games/plugins/xboard/      the entry XBoard lists among its engines
#   share/applications, share/icons/hicolor, share/man/man6, share/doc/talvor
set(TALVOR_INSTALL_BINDIR games CACHE STRING "Folder under the install prefix for the talvor command")
set(TALVOR_INSTALL_DIR lib/games/talvor)
set(TALVOR_DATA_INSTALL_DIR share/games/talvor)
set(TALVOR_DOC_INSTALL_DIR share/doc/talvor)
# The one place that names the package's maintainer (also signs the package's changelog).
set(TALVOR_MAINTAINER "TalvorWBE developers <talvorwbe@example.org>")

set(talvor_pkg_src ${CMAKE_CURRENT_LIST_DIR})
set(talvor_pkg_out ${CMAKE_BINARY_DIR}/packaging)

# Installs a relative link <dir>/<name> to <target>, both under the prefix, so the tree works wherever the
# prefix (or a staging folder) puts it.
function(talvor_install_link dir name target)
  file(RELATIVE_PATH relative /${dir} /${target})
  set(link ${talvor_pkg_out}/links/${dir}/${name})
  get_filename_component(link_dir ${link} DIRECTORY)
  file(MAKE_DIRECTORY ${link_dir})
  file(CREATE_LINK ${relative} ${link} SYMBOLIC)
  install(FILES ${link} DESTINATION ${dir})
endfunction()

# Files the program reads beside itself: installed with the static data, linked into the program's folder.
function(talvor_install_data)
  install(FILES ${ARGN} DESTINATION ${TALVOR_DATA_INSTALL_DIR})
  foreach(file ${ARGN})
    get_filename_component(name ${file} NAME)
    talvor_install_link(${TALVOR_INSTALL_DIR} ${name} ${TALVOR_DATA_INSTALL_DIR}/${name})
  endforeach()
endfunction()

install(TARGETS talvor RUNTIME DESTINATION ${TALVOR_INSTALL_DIR})
set(talvor_binaries talvor)
if(TARGET talvor-window)
  install(TARGETS talvor-window LIBRARY DESTINATION ${TALVOR_INSTALL_DIR})
  list(APPEND talvor_binaries talvor-window.so)
endif()
# A stripped install also loses the compiler's version notes, as Debian's own packages do.
foreach(binary ${talvor_binaries})
  install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment
                    \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${TALVOR_INSTALL_DIR}/${binary})
  endif()")
endforeach()
talvor_install_link(${TALVOR_INSTALL_BINDIR} talvor ${TALVOR_INSTALL_DIR}/talvor)

# Chess interfaces find engines through entry files in one folder per protocol (XBoard reads xboard/ and
# uci/), one engine a file: talvor.eng, and talvor-strong.eng for the same with the strong search.
foreach(protocol xboard uci)
  file(GLOB entries ${CMAKE_SOURCE_DIR}/data/${protocol}/*.eng)
  install(FILES ${entries} DESTINATION share/games/plugins/${protocol})
endforeach()

# The manual page and the changelog: the installed paths and the version filled in, compressed as Debian
# wants them (gzip -n: no name or time stamp, so the same source gives the same file).
set(TALVOR_FULL_LINK ${CMAKE_INSTALL_PREFIX}/${TALVOR_INSTALL_BINDIR}/talvor)
set(TALVOR_FULL_PROGRAM ${CMAKE_INSTALL_PREFIX}/${TALVOR_INSTALL_DIR}/talvor)
set(TALVOR_FULL_DATA_DIR ${CMAKE_INSTALL_PREFIX}/${TALVOR_DATA_INSTALL_DIR})
set(TALVOR_ENGINE_FILE ${CMAKE_INSTALL_PREFIX}/share/games/plugins/xboard/talvor.eng)
set(TALVOR_UCI_ENGINE_FILE ${CMAKE_INSTALL_PREFIX}/share/games/plugins/uci/talvor.eng)
configure_file(${talvor_pkg_src}/talvor.6.in ${talvor_pkg_out}/talvor.6.configured @ONLY)
# The page's list of settings comes from the engine's options table.
add_custom_command(OUTPUT ${talvor_pkg_out}/talvor.6
                   COMMAND talvor-manpage ${talvor_pkg_out}/talvor.6.configured ${talvor_pkg_out}/talvor.6
                   DEPENDS talvor-manpage ${talvor_pkg_out}/talvor.6.configured)
configure_file(${talvor_pkg_src}/changelog.in ${talvor_pkg_out}/changelog @ONLY)
set(compressed)
foreach(name talvor.6 changelog)
  add_custom_command(OUTPUT ${talvor_pkg_out}/${name}.gz
                     COMMAND gzip -9nkf ${talvor_pkg_out}/${name}
                     DEPENDS ${talvor_pkg_out}/${name})
  list(APPEND compressed ${talvor_pkg_out}/${name}.gz)
endforeach()
add_custom_target(talvor_package_files ALL DEPENDS ${compressed})
install(FILES ${talvor_pkg_out}/talvor.6.gz DESTINATION share/man/man6)
install(FILES ${talvor_pkg_out}/changelog.gz ${talvor_pkg_src}/copyright
        DESTINATION ${TALVOR_DOC_INSTALL_DIR})
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")  # the package's own notes for Debian's package checker
  install(FILES ${talvor_pkg_src}/lintian-overrides DESTINATION share/lintian/overrides RENAME talvor)
endif()

# The window's entry in the desktop's Games menu and its icons, where there is a window.
if(TALVOR_GUI)
  install(FILES ${talvor_pkg_src}/talvor.desktop DESTINATION share/applications)
  foreach(size 48 64 128)
    install(FILES ${talvor_pkg_src}/icons/talvor-${size}.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME talvor.png)
  endforeach()
  install(FILES ${talvor_pkg_src}/icons/talvor.svg DESTINATION share/icons/hicolor/scalable/apps)
endif()

# The Debian package: scripts/package.sh configures with the prefix /usr and runs cpack.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME talvor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "chess engine for XBoard, with a game window of its own")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "TalvorWBE is a chess program in one executable. Started from the desktop's
Games menu it opens a game window in which you play against the engine:
drag the pieces, choose the level, the colours and the board size, in
English or Italian.

Started as 'talvor -xboard' it is an engine for XBoard and other chess
interfaces that speak the xboard (CECP) protocol; XBoard lists it among its
installed engines. It searches with iterative deepening and alpha-beta and
plays the first moves from an opening book built from the lichess
chess-openings data set.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TALVOR_MAINTAINER})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TALVOR_GUI)
  # Qt's libraries only recommend their platform plugins, and without them the window cannot open.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
endif()
set(CPACK_DEBIAN_PACKAGE_SUGGESTS xboard)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${talvor_pkg_src}/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Folders 0755 whatever the umask of the one who builds.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)
include(CPack)
