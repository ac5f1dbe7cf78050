#include "ToolStartUp.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "CliTestSupport.h"
#include "KTestSupport.h"

namespace {

// A home whose configuration the user cannot read, though the home itself
// is writable: the tools must leave the file exactly as it was.
class UnreadableConfiguration : public ::testing::Test {
  protected:
    void SetUp() override {
        chmod(folder.Path().c_str(), 0777);
        config = folder.Put("tessaron.cfg", kConfig);
        chmod(config.c_str(), 0600);
        // Nobody but its owner reads the file; root reads anything, so the
        // tool then runs as another user.
        if (geteuid() == 0) {
            chown(config.c_str(), 0, 0);
            prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
        } else {
            chmod(config.c_str(), 0200);
        }
    }
    // Runs tessaron-cli as that user; the exit status.
    int Run(const std::string& args) {
        const char* bin = std::getenv("TESSARON_BIN");
        const std::string command = "HOME=" + folder.Path() + " XDG_CONFIG_HOME=" + folder.Path() +
                                    " " + prefix +
                                    Quote(std::string(bin ? bin : ".") + "/tessaron-cli") + " " +
                                    args + " --home " + folder.Path() + " >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    static constexpr const char* kConfig =
        "Registry Version: 1.00\n\\Display\\Width:Int,1,,=1920\n\\Sources\\1\\:=\n"
        "\\Sources\\1\\Name:String=Pool\n";
    KTestFolder folder;
    std::string config;
    std::string prefix;
};

TEST_F(UnreadableConfiguration, ToolsNeverSaveOverIt) {
    EXPECT_NE(Run("settings set '\\Display\\Width' 640"), 0);
    EXPECT_NE(Run("monitor --seconds 0"), 0);
    chmod(config.c_str(), 0600);
    EXPECT_EQ(folder.Get("tessaron.cfg"), kConfig);
    // Readable again, the same command saves.
    if (prefix.empty()) {
        EXPECT_EQ(Run("settings set '\\Display\\Width' 640"), 0);
        EXPECT_NE(folder.Get("tessaron.cfg").find("=640"), std::string::npos);
    }
}

}  // namespace
