# Cross-compiles for 64-bit Windows with MinGW-w64 (posix thread model).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Tests run under Wine, in the folder ctest gives them and with ctest's timeouts.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run --here --seconds 0)

# The static Assimp that tools/setup makes (tools/windows-assimp/build), found
# by the same hash of its recipe, in the cache folder outside the checkout.
# Without it the converter is left out.
set(windows_assimp_recipe ${CMAKE_CURRENT_LIST_DIR}/../tools/windows-assimp)
file(GLOB windows_assimp_files RELATIVE ${windows_assimp_recipe} ${windows_assimp_recipe}/*)
list(SORT windows_assimp_files)
set(windows_assimp_text "")
foreach(file IN LISTS windows_assimp_files)
  file(SHA256 ${windows_assimp_recipe}/${file} hash)
  string(APPEND windows_assimp_text "${file} ${hash}\n")
endforeach()
string(SHA256 windows_assimp_key "${windows_assimp_text}")
string(SUBSTRING ${windows_assimp_key} 0 12 windows_assimp_key)
file(STRINGS ${windows_assimp_recipe}/sources windows_assimp_version REGEX "^assimp=")
string(REGEX REPLACE "^assimp=([^~-]*).*" "\\1" windows_assimp_version "${windows_assimp_version}")
if(NOT "$ENV{VEXELO_CACHE}" STREQUAL "")
  set(windows_assimp_cache $ENV{VEXELO_CACHE})
elseif(NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
  set(windows_assimp_cache $ENV{XDG_CACHE_HOME}/vexelo)
else()
  set(windows_assimp_cache $ENV{HOME}/.cache/vexelo)
endif()
set(VEXELO_WINDOWS_ASSIMP ${windows_assimp_cache}/assimp-${windows_assimp_version}-win64-${windows_assimp_key})
# Set each time, so that a build folder never keeps one made by an older recipe.
string(REGEX MATCH "^[0-9]+\\.[0-9]+" windows_assimp_series "${windows_assimp_version}")
if(EXISTS ${VEXELO_WINDOWS_ASSIMP}/.complete)
  list(APPEND CMAKE_FIND_ROOT_PATH ${VEXELO_WINDOWS_ASSIMP})
  set(assimp_DIR ${VEXELO_WINDOWS_ASSIMP}/lib/cmake/assimp-${windows_assimp_series} CACHE PATH "" FORCE)
else()
  unset(assimp_DIR CACHE)
endif()
