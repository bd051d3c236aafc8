#pragma once
// VEXELO_ADDRESS_SANITIZER: built with the address sanitizer (clang or gcc).
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VEXELO_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) && !defined(VEXELO_ADDRESS_SANITIZER)
#define VEXELO_ADDRESS_SANITIZER 1
#endif
