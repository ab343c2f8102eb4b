# Build settings every target of the project shares: link lanvex_common and nothing else is needed.
add_library(lanvex_common INTERFACE)
target_compile_features(lanvex_common INTERFACE cxx_std_20)
target_compile_options(lanvex_common INTERFACE -Wall -Wextra -Wpedantic $<$<BOOL:${LANVEX_WERROR}>:-Werror>)
target_compile_definitions(lanvex_common INTERFACE
  LANVEX_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
  LANVEX_VERSION_MINOR=${PROJECT_VERSION_MINOR}
  LANVEX_VERSION_REVISION=${PROJECT_VERSION_PATCH}
  QT_NO_KEYWORDS
  _GLIBCXX_ASSERTIONS)
target_include_directories(lanvex_common INTERFACE ${CMAKE_SOURCE_DIR}/src)

if(LANVEX_SANITIZE)
  target_compile_options(lanvex_common INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=undefined
                                                 -fno-omit-frame-pointer)
  target_link_options(lanvex_common INTERFACE -fsanitize=address,undefined)
endif()

# What differs between Linux and Windows: an interface Foo.h in a folder, and its two halves
# unix/FooUnix.cpp and windows/FooWindows.cpp beside it. Files in unix/ build only for Linux, files
# in windows/ only for Windows.
if(WIN32)
  set(LANVEX_OS windows)
  set(LANVEX_OS_SUFFIX Windows)
else()
  set(LANVEX_OS unix)
  set(LANVEX_OS_SUFFIX Unix)
endif()

# lanvex_os_sources(target Foo Bar ...) adds this OS's half of each interface to the target.
function(lanvex_os_sources target)
  foreach(name IN LISTS ARGN)
    target_sources(${target} PRIVATE "${CMAKE_CURRENT_SOURCE_DIR}/${LANVEX_OS}/${name}${LANVEX_OS_SUFFIX}.cpp")
  endforeach()
endfunction()
