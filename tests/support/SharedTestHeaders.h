#pragma once
// What nearly every test file reads, precompiled once for the MinGW-w64 build
// (cmake/VexeloTesting.cmake). Their own warnings are not the tests'.
#pragma GCC system_header
#include <d3d11.h>
#include <windows.h>
#if defined(__cplusplus)
#include <gtest/gtest.h>

#include <string>
#include <vector>
#endif
