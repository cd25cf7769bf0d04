# The Linux package's tree. `cmake --install` lays it out under
# CMAKE_INSTALL_PREFIX (/usr for the package; scripts/package.sh makes the
# .deb from it):
#   games/plemox                       the launcher: the player's game folder, then the game
#   lib/games/plemox/plemox            the program
#   share/games/plemox/Data            the game's data, without Data/Engine (the
#                                      configuration lives in each player's folder)
#   share/applications/<id>.desktop    the menu entry
#   share/metainfo/<id>.metainfo.xml   the AppStream description
#   share/icons/hicolor/<n>x<n>/apps/plemox.png   the icon at 32, 64, 128, 256 pixels
#   share/man/man6/plemox.6.gz         the manual page
#   share/doc/plemox/                  copyright, changelog.gz
# The launcher and the manual page name the installed places under the
# prefix given when the build is configured (not a later --prefix).
if(WIN32)
  return()
endif()

if(PLEMOX_TESTS AND EXISTS ${CMAKE_SOURCE_DIR}/tests/package/CMakeLists.txt)
  add_subdirectory(tests/package)
endif()
# The package needs the generated data and the icons.
if(NOT PLEMOX_CONTENT)
  return()
endif()

set(PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
# The desktop's name for the game: the menu entry's and the AppStream
# component's identifier, from the reversed domain of the homepage.
set(PLEMOX_APP_ID org.example.plemox)

# The release: version and date from the changelog's latest entry, which must
# name the project's version; the homepage from the package's control file.
file(STRINGS ${PACKAGING_DIR}/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^plemox \\(([^)]+)\\)" OR NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "packaging/changelog's latest entry (${changelog_top}) is not version ${PROJECT_VERSION}")
endif()
file(STRINGS ${PACKAGING_DIR}/changelog changelog_trailer REGEX "^ -- " LIMIT_COUNT 1)
if(NOT changelog_trailer MATCHES ">  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
  message(FATAL_ERROR "packaging/changelog's latest entry has no date: ${changelog_trailer}")
endif()
set(release_day ${CMAKE_MATCH_1})
set(release_year ${CMAKE_MATCH_3})
set(month_names Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND month_names ${CMAKE_MATCH_2} release_month)
if(release_month LESS 0)
  message(FATAL_ERROR "packaging/changelog's latest entry has no valid month: ${changelog_trailer}")
endif()
math(EXPR release_month "${release_month} + 1" OUTPUT_FORMAT DECIMAL)
if(release_month LESS 10)
  set(release_month 0${release_month})
endif()
set(PLEMOX_RELEASE_DATE ${release_year}-${release_month}-${release_day})
file(STRINGS ${PACKAGING_DIR}/control homepage_line REGEX "^Homepage: " LIMIT_COUNT 1)
string(REGEX REPLACE "^Homepage: *" "" PLEMOX_HOMEPAGE "${homepage_line}")

set(PLEMOX_INSTALLED_DATA ${CMAKE_INSTALL_PREFIX}/share/games/plemox/Data)
set(PLEMOX_INSTALLED_PROGRAM ${CMAKE_INSTALL_PREFIX}/lib/games/plemox/plemox)
configure_file(${PACKAGING_DIR}/plemox.in ${PACKAGING_OUT}/plemox @ONLY)
configure_file(${PACKAGING_DIR}/plemox.metainfo.xml.in ${PACKAGING_OUT}/${PLEMOX_APP_ID}.metainfo.xml @ONLY)
configure_file(${PACKAGING_DIR}/plemox.6.in ${PACKAGING_OUT}/plemox.6 @ONLY)

# Compressed the way Debian wants them: the most, without name or time.
find_program(GZIP_PROGRAM gzip REQUIRED)
add_custom_command(OUTPUT ${PACKAGING_OUT}/plemox.6.gz
  COMMAND ${GZIP_PROGRAM} -9nkf ${PACKAGING_OUT}/plemox.6
  DEPENDS ${PACKAGING_OUT}/plemox.6 VERBATIM)
add_custom_command(OUTPUT ${PACKAGING_OUT}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${PACKAGING_DIR}/changelog ${PACKAGING_OUT}/changelog
  COMMAND ${GZIP_PROGRAM} -9nf ${PACKAGING_OUT}/changelog
  DEPENDS ${PACKAGING_DIR}/changelog VERBATIM)
set(icon_dir ${PACKAGING_OUT}/icons)
set(icon_files)
foreach(size 32 64 128 256)
  list(APPEND icon_files ${icon_dir}/${size}x${size}/apps/plemox.png)
endforeach()
add_custom_command(OUTPUT ${icon_files}
  COMMAND plemox-generate --icons ${icon_dir}
  DEPENDS plemox-generate VERBATIM)
add_custom_target(package_files ALL DEPENDS ${PACKAGING_OUT}/plemox.6.gz ${PACKAGING_OUT}/changelog.gz ${icon_files})

install(PROGRAMS ${PACKAGING_OUT}/plemox DESTINATION games)
install(TARGETS plemox RUNTIME DESTINATION lib/games/plemox)
install(DIRECTORY ${GAME_DIR}/Data/ DESTINATION share/games/plemox/Data REGEX "/Data/Engine$" EXCLUDE)
install(FILES ${PACKAGING_DIR}/plemox.desktop DESTINATION share/applications RENAME ${PLEMOX_APP_ID}.desktop)
install(FILES ${PACKAGING_OUT}/${PLEMOX_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(DIRECTORY ${icon_dir}/ DESTINATION share/icons/hicolor)
install(FILES ${PACKAGING_OUT}/plemox.6.gz DESTINATION share/man/man6)
install(FILES ${PACKAGING_DIR}/copyright ${PACKAGING_OUT}/changelog.gz DESTINATION share/doc/plemox)
install(FILES ${PACKAGING_DIR}/lintian-overrides DESTINATION share/lintian/overrides RENAME plemox)
