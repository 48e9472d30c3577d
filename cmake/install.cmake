# Installing the game (`cmake --install`) and packaging it (`cpack -G DEB` in the build folder).
# The sound set is made by the build, so an install needs a build first.

# The installed game looks for its sounds beside itself first (so a copy under another prefix still
# finds them), then where this build installs them.
file(RELATIVE_PATH dropple_datafrombin ${CMAKE_INSTALL_FULL_BINDIR}
  ${CMAKE_INSTALL_FULL_DATADIR}/dropple)
target_compile_definitions(dropplesys PRIVATE
  DROPPLE_DATADIR="${CMAKE_INSTALL_FULL_DATADIR}/dropple"
  DROPPLE_DATAFROMBIN="${dropple_datafrombin}")

install(TARGETS dropple RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_BINARY_DIR}/audio/ DESTINATION ${CMAKE_INSTALL_DATADIR}/dropple/audio)
install(FILES ${CMAKE_SOURCE_DIR}/doc/dropple.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

set(CPACK_PACKAGE_NAME dropple)
set(CPACK_PACKAGE_VENDOR "The Dropple developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "falling-block puzzle game for an 80x25 text terminal")
set(CPACK_PACKAGE_DESCRIPTION
  "Pieces of four cells fall into a playfield ten cells wide; shift, rotate, drop and hold them to
complete rows. Five games, two rule sets, held keys read the same every frame at 60 frames per
second, sound effects, and settings for keys, timing and colours.")
set(CPACK_PACKAGE_CONTACT "Dropple developers <dropple@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# Only what the program links at run time; libX11 is opened when present, never required.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libsdl2-mixer-2.0-0 (>= 2.6), libsdl2-2.0-0, libstdc++6 (>= 11), libgcc-s1, libc6 (>= 2.34)")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "kitty | foot | libx11-6")
include(CPack)
