#include "KRuntimeFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "KTestSupport.h"

namespace {

class RuntimeFolder : public ::testing::Test {
  protected:
    void SetUp() override { unsetenv("XDG_RUNTIME_DIR"); }
    void TearDown() override { unsetenv("XDG_RUNTIME_DIR"); }

    mode_t ModeOf(const std::string& path) {
        struct stat info {};
        lstat(path.c_str(), &info);
        return info.st_mode & 07777;
    }

    KTestFolder temp;
    const std::string mine = temp.Path("tessaron-" + std::to_string(geteuid()));
};

TEST_F(RuntimeFolder, TheSessionsFolderOrAPrivateOneMadeInTemp) {
    setenv("XDG_RUNTIME_DIR", temp.Path().c_str(), 1);
    EXPECT_EQ(KRuntimeFolder(temp.Path()).Path(), temp.Path());
    unsetenv("XDG_RUNTIME_DIR");

    const mode_t before = umask(0);  // a lax umask makes it private all the same
    const KRuntimeFolder made(temp.Path());
    umask(before);
    EXPECT_EQ(made.Path(), mine);
    EXPECT_EQ(made.Problem(), "");
    EXPECT_EQ(ModeOf(mine), 0700u);
    EXPECT_EQ(KRuntimeFolder(temp.Path()).Path(), mine);  // found again
}

// What another user could have put there first, or what was left open, is
// not used; the reason names the folder and what is wrong with it.
TEST_F(RuntimeFolder, ALinkAFileOrAFolderOthersMayUseIsRefused) {
    const std::string elsewhere = temp.Path("elsewhere");
    ASSERT_EQ(mkdir(elsewhere.c_str(), 0700), 0);
    ASSERT_EQ(symlink(elsewhere.c_str(), mine.c_str()), 0);
    KRuntimeFolder link(temp.Path());
    EXPECT_EQ(link.Path(), "");
    EXPECT_EQ(link.Problem().find(mine + " is not a folder: it is not used"), 0u) << link.Problem();
    EXPECT_NE(link.Problem().find("XDG_RUNTIME_DIR"), std::string::npos);

    ASSERT_EQ(unlink(mine.c_str()), 0);
    temp.Put("tessaron-" + std::to_string(geteuid()), "");
    EXPECT_EQ(KRuntimeFolder(temp.Path()).Path(), "");

    ASSERT_EQ(unlink(mine.c_str()), 0);
    ASSERT_EQ(mkdir(mine.c_str(), 0700), 0);
    ASSERT_EQ(chmod(mine.c_str(), 0755), 0);
    KRuntimeFolder open(temp.Path());
    EXPECT_EQ(open.Path(), "");
    EXPECT_NE(open.Problem().find("has mode 0755, where only its owner may enter it (0700)"),
              std::string::npos)
        << open.Problem();
}

}  // namespace
