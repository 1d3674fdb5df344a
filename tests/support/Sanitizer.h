#pragma once
// UNDER_ADDRESS_SANITIZER: the tests are built with AddressSanitizer, which
// keeps freed memory a while, slows every step and fills a process with its
// own memory: memory peaks, pauses and a stand-in client's pointers mean
// nothing there.

#if defined(__SANITIZE_ADDRESS__)
#define UNDER_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define UNDER_ADDRESS_SANITIZER 1
#endif
#endif

// For the tests that read a stand-in client's pointers.
#ifdef UNDER_ADDRESS_SANITIZER
#define SKIP_POINTERS_UNDER_ADDRESS_SANITIZER() \
    GTEST_SKIP() << "the stand-in's memory is mostly the sanitizer's own, its pointers no client's"
#else
#define SKIP_POINTERS_UNDER_ADDRESS_SANITIZER() static_cast<void>(0)
#endif
