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
