// The program's tests run on Qt's offscreen platform: no display needed.
// The programs they start inherit the leak checker's list of known leaks
// in system libraries.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    setenv("LSAN_OPTIONS", "suppressions=" TESSARON_LSAN_SUPPRESSIONS, 0);
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
