# Settings of the Windows build (mingw-w64), included by the top-level CMakeLists.txt.

# The Unicode forms of the Windows API, on Windows 7 and later.
target_compile_definitions(lanvex_common INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

if(NOT LANVEX_WITH_QT)
  # Without Qt DLLs to share it with, the C++ runtime goes into each program: lanvex.exe then runs
  # on its own, with no mingw DLLs beside it.
  target_link_options(lanvex_common INTERFACE -static -static-libgcc -static-libstdc++)
endif()

# Header-only libraries of the build machine (nlohmann-json, doctest). Their folders are copied
# rather than added to the include path, so the host's C headers never mix with mingw's.
function(lanvex_host_headers folder)
  set(copy "${CMAKE_BINARY_DIR}/host-headers")
  if(NOT EXISTS "/usr/include/${folder}")
    message(FATAL_ERROR "/usr/include/${folder} is missing: run scripts/install-deps.sh windows")
  endif()
  file(COPY "/usr/include/${folder}" DESTINATION "${copy}")
endfunction()

lanvex_host_headers(nlohmann)
add_library(nlohmann_json_host INTERFACE)
target_include_directories(nlohmann_json_host SYSTEM INTERFACE "${CMAKE_BINARY_DIR}/host-headers")
add_library(nlohmann_json::nlohmann_json ALIAS nlohmann_json_host)
