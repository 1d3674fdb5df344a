#pragma once
// Qt Test's QTRY_ macros report a failure to a Qt Test run, which a Google
// Test case never hears of: these wait the same way and fail the case.

#include <QTest>

#include <gtest/gtest.h>

#undef QTRY_VERIFY_WITH_TIMEOUT
#undef QTRY_VERIFY
#undef QTRY_COMPARE_WITH_TIMEOUT
#undef QTRY_COMPARE

#define QTRY_VERIFY_WITH_TIMEOUT(expression, timeoutMs)                                       \
    do {                                                                                       \
        static_cast<void>(QTest::qWaitFor([&] { return bool(expression); }, timeoutMs));      \
        ASSERT_TRUE(expression) << "still false after " << (timeoutMs) << " ms: " #expression; \
    } while (false)
#define QTRY_VERIFY(expression) QTRY_VERIFY_WITH_TIMEOUT(expression, 5000)
#define QTRY_COMPARE_WITH_TIMEOUT(actual, expected, timeoutMs)                                 \
    do {                                                                                       \
        static_cast<void>(QTest::qWaitFor([&] { return (actual) == (expected); }, timeoutMs)); \
        ASSERT_EQ(actual, expected) << "after " << (timeoutMs) << " ms";                       \
    } while (false)
#define QTRY_COMPARE(actual, expected) QTRY_COMPARE_WITH_TIMEOUT(actual, expected, 5000)
