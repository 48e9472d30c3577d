# Installing the game (`cmake --install`); the Debian package (debian/) installs through this too.
# The sound set and the icons are made by the build, so an install needs a build first.

# The installed game looks for its sounds beside itself first (so a copy under another prefix still
# finds them), then where this build installs them. Debian moves the program to games/ and its data
# to share/games/ by setting CMAKE_INSTALL_BINDIR and CMAKE_INSTALL_DATADIR.
file(RELATIVE_PATH dropple_datafrombin ${CMAKE_INSTALL_FULL_BINDIR}
  ${CMAKE_INSTALL_FULL_DATADIR}/dropple)
target_compile_definitions(dropplesys PRIVATE
  DROPPLE_DATADIR="${CMAKE_INSTALL_FULL_DATADIR}/dropple"
  DROPPLE_DATAFROMBIN="${dropple_datafrombin}")

# The window and the sound are a module the game loads when it needs them, kept with the programs'
# private parts; the game looks for it the same ways as for its sounds, after beside itself (a
# build).
file(RELATIVE_PATH dropple_modulefrombin ${CMAKE_INSTALL_FULL_BINDIR}
  ${CMAKE_INSTALL_FULL_LIBEXECDIR}/dropple)
target_compile_definitions(droppledisplay PRIVATE
  DROPPLE_MODULEDIR="${CMAKE_INSTALL_FULL_LIBEXECDIR}/dropple"
  DROPPLE_MODULEFROMBIN="${dropple_modulefrombin}")

add_dependencies(dropple icons)
install(TARGETS dropple RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS dropple-sdl LIBRARY DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/dropple)
install(DIRECTORY ${CMAKE_BINARY_DIR}/audio/ DESTINATION ${CMAKE_INSTALL_DATADIR}/dropple/audio)
install(FILES ${CMAKE_SOURCE_DIR}/doc/dropple.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

# The launcher, icons and software-centre entry go where desktops look for them, whatever
# CMAKE_INSTALL_DATADIR says. Desktops do not all put games/ on their search path, so the launcher
# names the program by its full path.
set(DROPPLE_HOMEPAGE "" CACHE STRING
  "The game's web page, with its screenshot at window.png (for the software-centre entry)")
set(DROPPLE_EXEC ${CMAKE_INSTALL_FULL_BINDIR}/dropple)
set(DROPPLE_METAINFO_LINKS "")
if(DROPPLE_HOMEPAGE)
  string(CONCAT DROPPLE_METAINFO_LINKS
    "  <url type=\"homepage\">${DROPPLE_HOMEPAGE}</url>\n"
    "  <screenshots>\n    <screenshot type=\"default\">\n"
    "      <caption>A game in the window</caption>\n"
    "      <image>${DROPPLE_HOMEPAGE}/window.png</image>\n"
    "    </screenshot>\n  </screenshots>\n")
endif()
set(dropple_id game.dropple.Dropple)
configure_file(${CMAKE_SOURCE_DIR}/desktop/${dropple_id}.desktop.in
  ${CMAKE_BINARY_DIR}/desktop/${dropple_id}.desktop @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/desktop/${dropple_id}.metainfo.xml.in
  ${CMAKE_BINARY_DIR}/desktop/${dropple_id}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/desktop/${dropple_id}.desktop
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/desktop/${dropple_id}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/ DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor)
