// The test programs of the Qt folders run on Qt's offscreen platform, so
// they need no display. A test that needs another platform (a real X
// server, a desktop of several screens) runs one of the disabled tests of
// its program in a child process and names the platform in the child's
// environment, together with TESSARON_CHILD_OUT, the file the child leaves
// its result in. The programs the tests start inherit the leak checker's
// list of known leaks in system libraries.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("TESSARON_CHILD_OUT")) qputenv("QT_QPA_PLATFORM", "offscreen");
    setenv("LSAN_OPTIONS", "suppressions=" TESSARON_LSAN_SUPPRESSIONS, 0);
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
