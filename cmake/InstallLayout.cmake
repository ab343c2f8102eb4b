# Where an installed Lanvex finds its parts. The application id names the desktop entry, the
# AppStream metainfo and the icon, and is the id the window gives the desktop shell.
set(LANVEX_APP_ID "org.lanvex.lanvex")
# The installed desktop entry, seen from the installed program's folder: a program that finds it
# there runs from an installed tree, wherever its prefix is.
file(RELATIVE_PATH LANVEX_DESKTOP_ENTRY_FROM_BIN "${CMAKE_INSTALL_FULL_BINDIR}"
     "${CMAKE_INSTALL_FULL_DATADIR}/applications/${LANVEX_APP_ID}.desktop")
