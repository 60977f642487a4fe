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

if(LUMORA_GUI)
  install(TARGETS lumora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  lumora_install_helper(lumora_audio_backend)
  if(TARGET lumora-flash)
    # The Flash player program and Ruffle's files, which it serves from the
    # folder "ruffle" beside itself.
    lumora_install_helper(lumora-flash)
    install(DIRECTORY ${CMAKE_BINARY_DIR}/ruffle/ DESTINATION ${LUMORA_HELPER_DIR}/ruffle
      OPTIONAL FILES_MATCHING PATTERN "*.js" PATTERN "*.wasm" PATTERN "LICENSE*" PATTERN "package.json")
  endif()
  install(FILES data/lumora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES data/lumora.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES data/lumora.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  # XScreenSaver reads module descriptions from here; see the README.
  install(FILES data/lumora.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
  # The idle start's autostart entry as the settings window writes it.
  install(FILES data/lumora-idle.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/lumora)
endif()
install(TARGETS lumora-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/lumora-tool.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME lumora)
set(CPACK_PACKAGE_VENDOR "Lumora")
set(CPACK_PACKAGE_CONTACT "Lumora developers <lumora@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "picture-show screensaver with transitions, captions, songs and lyrics")
set(CPACK_PACKAGE_DESCRIPTION
  "Lumora covers the screen and plays a picture list through 122 transition effects, with captions, songs with time-synced lyrics and Flash movies. It runs as an XScreenSaver module, under xss-lock or swayidle, or starts itself when the session is idle.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The helpers in lib/lumora are found by path, not by the dynamic loader.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR})
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-zenhei")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver | xss-lock, fonts-arphic-ukai, fonts-arphic-uming")
include(CPack)
