# Installs Lanvex as a desktop program (GNUInstallDirs layout) and packages it as a .deb.
find_program(GZIP_EXE gzip REQUIRED)
find_program(RSVG_CONVERT_EXE rsvg-convert)

set(LANVEX_GENERATED "${CMAKE_BINARY_DIR}/installed-files")
configure_file(resources/lanvex.desktop.in "${LANVEX_GENERATED}/${LANVEX_APP_ID}.desktop" @ONLY)
configure_file(resources/lanvex.metainfo.xml.in "${LANVEX_GENERATED}/${LANVEX_APP_ID}.metainfo.xml" @ONLY)
configure_file(docs/lanvex.1.in "${LANVEX_GENERATED}/lanvex.1" @ONLY)
configure_file(packaging/debian/changelog.in "${LANVEX_GENERATED}/changelog" @ONLY)

# Manual pages and changelogs are installed compressed, without a time stamp, as Debian expects.
set(LANVEX_COMPRESSED "${LANVEX_GENERATED}/lanvex.1.gz" "${LANVEX_GENERATED}/changelog.gz")
foreach(compressed IN LISTS LANVEX_COMPRESSED)
  string(REGEX REPLACE "\\.gz$" "" plain "${compressed}")
  add_custom_command(OUTPUT "${compressed}" COMMAND "${GZIP_EXE}" -9nkf "${plain}" DEPENDS "${plain}"
                     COMMENT "Compressing ${plain}" VERBATIM)
endforeach()

# PNG icons for shells and software centres that don't draw SVG, rendered from the one drawing.
set(LANVEX_ICON_PNGS)
if(RSVG_CONVERT_EXE)
  foreach(size 16 24 32 48 64 128 256)
    set(png "${LANVEX_GENERATED}/icons/${size}/${LANVEX_APP_ID}.png")
    file(MAKE_DIRECTORY "${LANVEX_GENERATED}/icons/${size}")
    add_custom_command(OUTPUT "${png}"
                       COMMAND "${RSVG_CONVERT_EXE}" -w ${size} -h ${size} -o "${png}"
                               "${CMAKE_SOURCE_DIR}/resources/lanvex.svg"
                       DEPENDS "${CMAKE_SOURCE_DIR}/resources/lanvex.svg" COMMENT "Rendering the ${size}px icon" VERBATIM)
    list(APPEND LANVEX_ICON_PNGS "${png}")
    install(FILES "${png}" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps")
  endforeach()
else()
  message(STATUS "rsvg-convert not found: only the scalable icon is installed")
endif()
add_custom_target(lanvex_installed_files ALL DEPENDS ${LANVEX_COMPRESSED} ${LANVEX_ICON_PNGS})

install(TARGETS lanvex RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES "${LANVEX_GENERATED}/${LANVEX_APP_ID}.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${LANVEX_GENERATED}/${LANVEX_APP_ID}.metainfo.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(FILES resources/lanvex.svg DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps"
        RENAME "${LANVEX_APP_ID}.svg")
install(FILES "${LANVEX_GENERATED}/lanvex.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
# Shell completions, where bash-completion, zsh and fish look for those of installed programs.
install(FILES packaging/completions/lanvex.bash DESTINATION "${CMAKE_INSTALL_DATADIR}/bash-completion/completions"
        RENAME lanvex)
install(FILES packaging/completions/_lanvex DESTINATION "${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions")
install(FILES packaging/completions/lanvex.fish DESTINATION "${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d")
# The package's documentation folder is named after the package, not the project.
install(FILES packaging/debian/copyright "${LANVEX_GENERATED}/changelog.gz"
        DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/doc/lanvex")

# cpack -G DEB in a build configured with -DCMAKE_INSTALL_PREFIX=/usr (scripts/package.sh).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lanvex)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Lanvex developers")
set(CPACK_PACKAGE_CONTACT "The Lanvex developers <maintainers@users.noreply.c-seed-860af795.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "switch a network adapter between saved sites")
set(CPACK_PACKAGE_DESCRIPTION_FILE "${CMAKE_SOURCE_DIR}/packaging/debian/description.txt")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://lanvex.org/")
# Depends comes from dpkg-shlibdeps, plus libcups, which the program opens at run time for the
# printer list; the network service is a separate daemon.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS libcups2)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS network-manager)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
