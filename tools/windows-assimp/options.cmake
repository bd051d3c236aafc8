# The static Assimp that vexelo-model.exe links: the importers of the formats
# users bring most and those of simulators' models (AC3D, AMF, DXF); no
# exporters, tools or tests. Every importer costs build time on CI.
set(BUILD_SHARED_LIBS OFF CACHE BOOL "")
set(ASSIMP_NO_EXPORT ON CACHE BOOL "")
set(ASSIMP_BUILD_ALL_IMPORTERS_BY_DEFAULT OFF CACHE BOOL "")
foreach(format OBJ GLTF FBX COLLADA PLY STL 3DS AC AMF DXF)
  set(ASSIMP_BUILD_${format}_IMPORTER ON CACHE BOOL "")
endforeach()
set(ASSIMP_BUILD_ASSIMP_TOOLS OFF CACHE BOOL "")
set(ASSIMP_BUILD_SAMPLES OFF CACHE BOOL "")
set(ASSIMP_BUILD_TESTS OFF CACHE BOOL "")
set(ASSIMP_BUILD_DOCS OFF CACHE BOOL "")
set(ASSIMP_BUILD_ZLIB OFF CACHE BOOL "")
set(ASSIMP_BUILD_DRACO OFF CACHE BOOL "")
set(ASSIMP_WARNINGS_AS_ERRORS OFF CACHE BOOL "")
set(ASSIMP_INSTALL_PDB OFF CACHE BOOL "")
set(ASSIMP_IGNORE_GIT_HASH ON CACHE BOOL "")
set(CMAKE_BUILD_TYPE Release CACHE STRING "")
# -O2, as distributions build it: -O3 would only cost compile time here.
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "")
