# The Windows window build's runnable folder and packages, included by the top-level
# CMakeLists.txt after the program's targets.
#
# bin/ of the build folder is the runnable folder: lanvex.exe with the Qt DLLs, the platform and
# style plug-ins and the mingw runtime DLLs beside it. `cpack` packs the same files into a
# portable .zip and an NSIS installer for the current user.

# The mingw runtime DLLs the program and Qt were linked against.
set(LANVEX_MINGW_RUNTIME "")
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll} OUTPUT_VARIABLE path
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "The mingw runtime ${dll} is missing (${CMAKE_CXX_COMPILER} -print-file-name)")
  endif()
  list(APPEND LANVEX_MINGW_RUNTIME "${path}")
endforeach()

set(LANVEX_QT_DLLS $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
                   $<TARGET_FILE:Qt6::Network>) # Network: the local socket of the single window
set(LANVEX_QT_PLATFORM $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>)
set(LANVEX_QT_STYLE $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin>)

# The Qt test programs also need Qt6Test.dll; the offscreen platform lets them run without a window.
add_custom_target(lanvex_runnable_folder ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/bin/platforms" "${CMAKE_BINARY_DIR}/bin/styles"
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${LANVEX_QT_DLLS} $<TARGET_FILE:Qt6::Test> ${LANVEX_MINGW_RUNTIME}
          "${CMAKE_BINARY_DIR}/bin"
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${LANVEX_QT_PLATFORM}
          $<TARGET_FILE:Qt6::QOffscreenIntegrationPlugin> "${CMAKE_BINARY_DIR}/bin/platforms"
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${LANVEX_QT_STYLE} "${CMAKE_BINARY_DIR}/bin/styles"
  COMMENT "The runnable folder: the DLLs beside lanvex.exe" VERBATIM)
add_dependencies(lanvex_runnable_folder lanvex)

install(TARGETS lanvex RUNTIME DESTINATION .)
install(FILES ${LANVEX_QT_DLLS} ${LANVEX_MINGW_RUNTIME} DESTINATION .)
install(FILES ${LANVEX_QT_PLATFORM} DESTINATION platforms)
install(FILES ${LANVEX_QT_STYLE} DESTINATION styles)
install(FILES "${CMAKE_SOURCE_DIR}/cmake/windows/QT-LICENSE.txt" DESTINATION .)
# Debian's mingw runtime DLLs carry their debugging information (libstdc++ is 23 MB with it).
set(stripped lanvex.exe)
foreach(dll IN LISTS LANVEX_MINGW_RUNTIME)
  get_filename_component(name "${dll}" NAME)
  list(APPEND stripped "${name}")
endforeach()
install(CODE "foreach(file ${stripped})
  execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${file}\"
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR \"cannot strip \${file}\")
  endif()
endforeach()")
# No lanvex.ini is packed: the program writes its own beside lanvex.exe, and neither the
# installer nor its uninstaller touches one that is there.

set(CPACK_PACKAGE_NAME "Lanvex")
set(CPACK_PACKAGE_VENDOR "Lanvex")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Switches a network adapter between saved sites")
set(CPACK_PACKAGE_FILE_NAME "lanvex-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Lanvex")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Lanvex")
set(CPACK_PACKAGE_EXECUTABLES "lanvex" "Lanvex")
set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_NSIS_DISPLAY_NAME "Lanvex")
set(CPACK_NSIS_PACKAGE_NAME "Lanvex ${PROJECT_VERSION}")
set(CPACK_NSIS_INSTALLED_ICON_NAME "lanvex.exe")
set(CPACK_NSIS_MUI_ICON "${LANVEX_EXE_ICON}")
set(CPACK_NSIS_MUI_UNIICON "${LANVEX_EXE_ICON}")
# Our own NSIS script (cmake/windows/NSIS.template.in): for the current user, without
# administrator rights.
set(CPACK_MODULE_PATH "${CMAKE_SOURCE_DIR}/cmake/windows")
include(CPack)
