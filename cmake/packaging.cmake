# The Debian package (scripts/package.sh): CPack's DEB generator over the
# install rules. The version is the project's; the dependencies are computed
# from the programs and the synthesizer library by dpkg-shlibdeps.
if(WIN32)
  return()
endif()

set(CPACK_PACKAGE_NAME galdrino)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Galdrino developers <galdrino@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "talking hangman game in Brazilian Portuguese for blind players")
# The extended description; CPack puts the summary above it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Galdrino is a hangman game that speaks everything it shows: recorded
messages, letters spoken one by one, and the word at the end of a round
read by its own diphone voice or by its built-in text-to-speech engine.
Any key cuts the speech at once. The 80-column text window uses a large
font, with a magnifier and colours set in the configuration, and accepts
six-key Braille typing.

The package also holds zebfala, which speaks text with the game's voices
from the command line, and galdrino-headless, the game without a window,
driven by a key script.")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's font is found by name through fontconfig, not linked.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
# The players' own voices (SAPI=S with a SAPI kind) speak through a running
# speech-dispatcher; the game's own voice speaks without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "speech-dispatcher, speech-dispatcher-espeak-ng")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The package's copyright file and changelog, where Debian looks for them.
# The release date in the changelog's form, "Wed, 09 Dec 2026 00:00:00 +0000".
string(REGEX MATCH "^([0-9]+)-([0-9]+)-([0-9]+)$" date_ok "${ZEB_RELEASE_DATE}")
if(NOT date_ok)
  message(FATAL_ERROR "ZEB_RELEASE_DATE must read YYYY-MM-DD")
endif()
math(EXPR year "${CMAKE_MATCH_1}")
math(EXPR month "${CMAKE_MATCH_2}")
math(EXPR day "${CMAKE_MATCH_3}")
set(month_offsets 0 3 2 5 0 3 5 1 4 6 2 4)
math(EXPR month_index "${month} - 1")
list(GET month_offsets ${month_index} offset)
set(weekday_year ${year})
if(month LESS 3)
  math(EXPR weekday_year "${year} - 1")
endif()
math(EXPR weekday "(${weekday_year} + ${weekday_year} / 4 - ${weekday_year} / 100 + ${weekday_year} / 400 + ${offset} + ${day}) % 7")
set(weekday_names Sun Mon Tue Wed Thu Fri Sat)
set(month_names Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(GET weekday_names ${weekday} weekday_name)
list(GET month_names ${month_index} month_name)
set(ZEB_CHANGELOG_DATE "${weekday_name}, ${CMAKE_MATCH_3} ${month_name} ${year} 00:00:00 +0000")
set(changelog ${CMAKE_BINARY_DIR}/debian/changelog)
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${changelog} @ONLY)
find_program(ZEB_GZIP gzip REQUIRED)
add_custom_command(
  OUTPUT ${changelog}.gz
  COMMAND ${ZEB_GZIP} -9nf -k ${changelog}
  DEPENDS ${changelog}
  COMMENT "Compressing the changelog"
  VERBATIM)
add_custom_target(zeb_changelog ALL DEPENDS ${changelog}.gz)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright ${changelog}.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

include(CPack)
