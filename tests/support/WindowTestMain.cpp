#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
#ifndef _WIN32 // Qt for Windows has no offscreen platform: there they take the system's
    // Headless unless told otherwise, also when the tests are only listed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
