# What the game's build and the fuzz build (fuzz/CMakeLists.txt, a project
# of its own built with clang) share: the language, the engine's sources
# and the warnings.
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)

get_filename_component(quondel_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(QUONDEL_ENGINE_SOURCES ${quondel_root}/engine/core.cpp ${quondel_root}/engine/input.cpp
  ${quondel_root}/engine/draw.cpp)

# The project's own scripts and tests turn warnings into errors; a plain
# build does not, so a newer compiler's new warning cannot break a
# distribution's build.
option(QUONDEL_WERROR "Treat compiler warnings as errors" OFF)
function(quondel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic $<$<BOOL:${QUONDEL_WERROR}>:-Werror>)
endfunction()
