# GoogleTest: an installed package where there is one for this compiler
# (Debian's libgtest-dev natively, vcpkg's gtest), so that the native trees
# share one build of it; else the system's sources (Debian's googletest
# package), built with whatever compiler this tree uses, MinGW-w64 included.
# Without either the tests are left out and configuring goes on: the programs
# do not need them. Sets VEXELO_HAVE_GTEST.
set(VEXELO_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources to build the tests with")
set(VEXELO_HAVE_GTEST TRUE)
if(NOT TARGET gtest)
  find_package(GTest CONFIG QUIET)
  if(TARGET GTest::gtest AND TARGET GTest::gtest_main AND TARGET GTest::gmock)
    # The names the sources' own build gives, which the tests link.
    foreach(name gtest gtest_main gmock)
      add_library(${name} ALIAS GTest::${name})
    endforeach()
  elseif(EXISTS ${VEXELO_GTEST_SOURCE_DIR}/CMakeLists.txt)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    add_subdirectory(${VEXELO_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  else()
    set(VEXELO_HAVE_GTEST FALSE)
    message(STATUS "GoogleTest not found: the tests are left out (to build them: tools/setup on Debian, "
                   "preset msvc-vcpkg on Windows, or set VEXELO_GTEST_SOURCE_DIR or GTest_DIR)")
  endif()
endif()

# vexelo_add_gtest(target [WORKING_DIRECTORY dir] [LABELS ...] [TIMEOUT s])
# Adds one CTest test per GoogleTest suite found in the target's sources, so
# related cases run in one process (a Wine start each) but report separately.
function(vexelo_add_gtest target)
  cmake_parse_arguments(ARG "" "WORKING_DIRECTORY;TIMEOUT" "LABELS" ${ARGN})
  if(NOT ARG_WORKING_DIRECTORY)
    set(ARG_WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 180)
  endif()
  get_target_property(sources ${target} SOURCES)
  get_target_property(source_dir ${target} SOURCE_DIR)
  set(suites "")
  foreach(source IN LISTS sources)
    if(NOT IS_ABSOLUTE "${source}")
      set(source "${source_dir}/${source}")
    endif()
    if(NOT source MATCHES "\\.(cpp|cc)$")
      continue()
    endif()
    file(STRINGS "${source}" lines REGEX "^[ \t]*(TEST|TEST_F|TEST_P|TYPED_TEST)[ \t]*\\(")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*[A-Z_]+[ \t]*\\([ \t]*([A-Za-z0-9_]+).*" "\\1" suite "${line}")
      list(APPEND suites ${suite})
    endforeach()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${source}")
  endforeach()
  list(REMOVE_DUPLICATES suites)
  vexelo_test_unity(${target})
  foreach(suite IN LISTS suites)
    add_test(NAME ${target}.${suite}
             COMMAND ${target} --gtest_filter=${suite}.*:*/${suite}.*:${suite}/* --gtest_brief=1
             WORKING_DIRECTORY ${ARG_WORKING_DIRECTORY})
    set_tests_properties(${target}.${suite} PROPERTIES TIMEOUT ${ARG_TIMEOUT} LABELS "${ARG_LABELS}")
    vexelo_wine_slot(${target}.${suite})
  endforeach()
  if(TARGET test_support)
    vexelo_test_headers(${target})
  endif()
endfunction()

# Each test executable compiles as one file (-DVEXELO_TEST_UNITY=OFF: a file
# each): GoogleTest's and the standard library's templates are instantiated
# once instead of in every file, and a fresh build of the tests costs about
# half. The file includes the others by paths relative to the target's folder
# (CMake's own unity build writes absolute ones, which would keep another
# clone from the compiler cache). Files with settings of their own compile
# alone. The test files keep their helpers apart by name; GCC's warning about
# a fixture of an anonymous namespace in an included file does not apply.
option(VEXELO_TEST_UNITY "Compile each test executable as one file" ON)
function(vexelo_test_unity target)
  if(NOT VEXELO_TEST_UNITY)
    return()
  endif()
  get_target_property(sources ${target} SOURCES)
  get_target_property(source_dir ${target} SOURCE_DIR)
  set(text "// Generated: ${target}'s test files as one.\n")
  foreach(source IN LISTS sources)
    get_source_file_property(definitions ${source} COMPILE_DEFINITIONS)
    get_source_file_property(options ${source} COMPILE_OPTIONS)
    if(NOT source MATCHES "\\.cpp$" OR definitions OR options)
      continue()
    endif()
    get_filename_component(path ${source} ABSOLUTE BASE_DIR ${source_dir})
    file(RELATIVE_PATH path ${source_dir} ${path})
    string(APPEND text "#include \"${path}\"\n")
    set_source_files_properties(${source} PROPERTIES HEADER_FILE_ONLY ON)
  endforeach()
  set(unity ${CMAKE_CURRENT_BINARY_DIR}/${target}-all.cpp)
  file(CONFIGURE OUTPUT ${unity} CONTENT "${text}" @ONLY)
  target_sources(${target} PRIVATE ${unity})
  target_include_directories(${target} PRIVATE ${source_dir})
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wno-subobject-linkage)
  endif()
endfunction()

# With MinGW-w64, reading <windows.h>, <d3d11.h> and GoogleTest's headers is
# most of what compiling a test file costs: test_support reads them once into
# a precompiled header that every test executable takes
# (-DVEXELO_TEST_PCH=OFF: each file reads them itself).
option(VEXELO_TEST_PCH "MinGW-w64: the tests share one precompiled header" ON)
function(vexelo_test_headers_donor target)
  if(MINGW AND VEXELO_TEST_PCH)
    # C++ only: the few C files would otherwise get a header of their own.
    target_precompile_headers(${target} PRIVATE
                              "$<$<COMPILE_LANGUAGE:CXX>:<SharedTestHeaders.h$<ANGLE-R>>")
    vexelo_pch_through_ccache(${target})
  endif()
  vexelo_test_optimization(${target})
endfunction()
function(vexelo_test_headers target)
  if(MINGW AND VEXELO_TEST_PCH)
    target_precompile_headers(${target} REUSE_FROM test_support)
    vexelo_pch_through_ccache(${target})
  endif()
  vexelo_test_optimization(${target})
endfunction()
# The Windows tests' own code is compiled unoptimized: it is a third of the
# cost of compiling them, and what they run in is Wine and the programs' code,
# which stays optimized. (The precompiled header and its users must agree.)
function(vexelo_test_optimization target)
  if(MINGW)
    target_compile_options(${target} PRIVATE -O0)
  endif()
endfunction()
# ccache hashes the header a file is compiled with only when told to. GCC 12
# forgets that the precompiled headers are system headers when it inlines
# them: its checks of array bounds and string operations then report
# std::wstring's copy of a short literal, which they do not without the
# precompiled header.
function(vexelo_pch_through_ccache target)
  target_compile_options(${target} PRIVATE
                         $<$<COMPILE_LANGUAGE:CXX>:-Wno-array-bounds -Wno-stringop-overread -Wno-stringop-overflow>)
  if(CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache")
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-fpch-preprocess>)
  endif()
endfunction()

# vexelo_test_cost(test seconds): how long the test takes, about. ctest starts
# the costliest tests first, by the times of its earlier runs in the build
# folder or else by these; a fresh checkout has none of its own, and a long
# test started last would hold up the end.
function(vexelo_test_cost test seconds)
  set_tests_properties(${test} PROPERTIES COST ${seconds})
endfunction()

# vexelo_wine_slot(test...): under Wine, each test holds one of the Wine slots
# (tests/wine-slots.json, which the mingw test preset names): a prefix with a
# wineserver and a display of its own (tools/lib/common.sh). The foreground
# window, synthesized input and the screen are shared by every program on a
# desktop; on slots of their own, tests run side by side without sharing them.
function(vexelo_wine_slot)
  if(WIN32 AND CMAKE_CROSSCOMPILING)
    set_tests_properties(${ARGN} PROPERTIES RESOURCE_GROUPS "wine:1")
  endif()
endfunction()
