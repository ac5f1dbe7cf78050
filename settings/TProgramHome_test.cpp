#include "TProgramHome.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "KTestSupport.h"

namespace {

namespace fs = std::filesystem;

// A program in build/bin finds the shipped files beside itself.
TEST(ShippedFolder, BesideABuiltProgram) {
    KTestFolder root;
    fs::create_directories(root.Path("build/bin/layouts"));
    root.Put("build/bin/Results.rss", "script");
    EXPECT_EQ(ShippedFolder(root.Path("build/bin")), root.Path("build/bin"));
}

// An installed program in usr/bin finds them in usr/share/tessaron, whatever
// else lies beside it.
TEST(ShippedFolder, InShareBesideAnInstalledProgram) {
    KTestFolder root;
    fs::create_directories(root.Path("usr/bin"));
    fs::create_directories(root.Path("usr/share/tessaron/layouts"));
    root.Put("usr/bin/Results.rss", "a stray file");
    EXPECT_EQ(ShippedFolder(root.Path("usr/bin")), root.Path("usr/share/tessaron"));
    // Another program's share folder is no reason to look elsewhere.
    fs::create_directories(root.Path("opt/bin"));
    fs::create_directories(root.Path("opt/share/other"));
    EXPECT_EQ(ShippedFolder(root.Path("opt/bin")), root.Path("opt/bin"));
}

}  // namespace
