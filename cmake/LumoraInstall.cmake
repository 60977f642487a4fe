# Install rules and the Debian package (cpack -G DEB).
include(GNUInstallDirs)

# Helper programs and modules the show runs or loads live here, off the PATH;
# the programs look for them in <prefix>/lib/lumora beside their own bin/.
set(LUMORA_HELPER_DIR lib/lumora)

# lumora_install_helper(TARGET...): a helper program or module of the show
# (the audio back end, the Flash player program...).
function(lumora_install_helper)
  install(TARGETS ${ARGN}
    RUNTIME DESTINATION ${LUMORA_HELPER_DIR}
    LIBRARY DESTINATION ${LUMORA_HELPER_DIR})
endfunction()

# XScreenSaver's module folder on Debian. mate-screensaver runs theme
# programs only from such a folder, so the show is linked there and the MATE
# theme names it by this absolute path, whatever the install prefix.
set(LUMORA_HACK_DIR /usr/libexec/xscreensaver CACHE PATH
  "the folder where XScreenSaver and mate-screensaver look for screensaver programs")
# Who the package's control file and changelog name as its maintainer.
set(LUMORA_PACKAGE_MAINTAINER "Lumora maintainers <maintainers@lumora.example>" CACHE STRING
  "the Debian package's maintainer, as Name <address>")
# Debian's place for the copyright file and the changelog: named after the
# package, not the project.
set(LUMORA_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/lumora)

# lumora_install_gzipped(SOURCE DESTINATION [NAME]): installs SOURCE
# compressed as Debian wants documentation (gzip -9n: no name or time stamp,
# so the package builds the same twice). Compressed at configure time, so
# that an install after building any subset of the targets finds the file.
function(lumora_install_gzipped source destination)
  get_filename_component(name ${source} NAME)
  if(ARGC GREATER 2)
    set(name ${ARGV2})
  endif()
  set(out ${CMAKE_BINARY_DIR}/data/gz/${name}.gz)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/data/gz)
  execute_process(COMMAND gzip -9nc ${source} OUTPUT_FILE ${out} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot compress ${source}")
  endif()
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  install(FILES ${out} DESTINATION ${destination})
endfunction()

if(LUMORA_GUI)
  install(TARGETS lumora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  lumora_install_helper(lumora_audio_backend)
  # The lock, which `lumora /S` runs when the password is on.
  lumora_install_helper(lumora-lock)
  if(TARGET lumora-flash)
    # The Flash player program and Ruffle's files, which it serves from the
    # folder "ruffle" beside itself.
    lumora_install_helper(lumora-flash)
    install(DIRECTORY ${CMAKE_BINARY_DIR}/ruffle/ DESTINATION ${LUMORA_HELPER_DIR}/ruffle
      OPTIONAL FILES_MATCHING PATTERN "*.js" PATTERN "*.wasm" PATTERN "LICENSE*" PATTERN "package.json")
  endif()
  install(FILES data/lumora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES data/lumora.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  lumora_install_gzipped(${CMAKE_SOURCE_DIR}/data/lumora.1 ${CMAKE_INSTALL_MANDIR}/man1)
  # XScreenSaver reads module descriptions from here; see the README.
  install(FILES data/lumora.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
  # The idle start's autostart entry as the settings window writes it.
  install(FILES data/lumora-idle.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/lumora)
  # mate-screensaver's theme: the module mode, run from the hack folder.
  configure_file(data/lumora-screensaver.desktop.in ${CMAKE_BINARY_DIR}/data/screensavers/lumora.desktop @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/data/screensavers/lumora.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications/screensavers)
  # <prefix>/libexec/xscreensaver/lumora, a relative link to the program
  # (the hack folder itself when the prefix is /usr, as in the package).
  set(hack_folder ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
  file(RELATIVE_PATH hack_target /prefix/${hack_folder} /prefix/${CMAKE_INSTALL_BINDIR}/lumora)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/data/hack)
  file(CREATE_LINK ${hack_target} ${CMAKE_BINARY_DIR}/data/hack/lumora SYMBOLIC)
  install(FILES ${CMAKE_BINARY_DIR}/data/hack/lumora DESTINATION ${hack_folder})
endif()
install(TARGETS lumora-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
lumora_install_gzipped(${CMAKE_SOURCE_DIR}/data/lumora-tool.1 ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES data/copyright DESTINATION ${LUMORA_DOC_DIR})

set(CPACK_PACKAGE_NAME lumora)
set(CPACK_PACKAGE_VENDOR "Lumora")
set(CPACK_PACKAGE_CONTACT "${LUMORA_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "picture-show screensaver with transitions, captions, songs and lyrics")
# In lines short enough for the package's control file.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Lumora covers the screen and plays a picture list through 122 transition"
  "effects, with captions, songs with time-synced lyrics and Flash movies."
  "It runs as an XScreenSaver module or a MATE screensaver theme, under"
  "xss-lock or swayidle, or starts itself when the session is idle.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The helpers in lib/lumora are found by path, not by the dynamic loader.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR})
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-zenhei")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver | mate-screensaver | xss-lock, fonts-arphic-ukai, fonts-arphic-uming")
# The Debian changelog of this native package (its version has no Debian
# revision), compressed as Debian wants it.
configure_file(data/changelog.in ${CMAKE_BINARY_DIR}/data/changelog @ONLY)
lumora_install_gzipped(${CMAKE_BINARY_DIR}/data/changelog ${LUMORA_DOC_DIR})
include(CPack)
