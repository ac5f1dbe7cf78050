#include "ToolStartUp.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>
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

// The programs as the package installs them: tessaron-cli in usr/bin, the
// shipped files in usr/share/tessaron. A user's home is made in
// ~/.local/share/tessaron from the shipped files, and a shipped layout draws
// as it does beside the built program.
TEST(InstalledProgram, FindsItsShippedFilesAndKeepsTheUsersFilesAtHome) {
    namespace fs = std::filesystem;
    KTestFolder root;
    const fs::path bin = std::getenv("TESSARON_BIN");
    const fs::path share = root.Path("usr/share/tessaron");
    fs::create_directories(root.Path("usr/bin"));
    fs::create_directories(share);
    fs::copy_file(bin / "tessaron-cli", root.Path("usr/bin/tessaron-cli"));
    for (const auto& entry : fs::directory_iterator(bin)) {
        const std::string ext = entry.path().extension().string();
        if (ext == ".rss" || ext == ".lng" || ext == ".fnt" || ext == ".tga")
            fs::copy_file(entry.path(), share / entry.path().filename());
    }
    fs::copy(bin / "layouts", share / "layouts");
    const std::string render = "env -u TESSARON_HOME HOME=" + Quote(root.Path("home")) +
                               " XDG_CONFIG_HOME=" + Quote(root.Path("config")) + " " +
                               Quote(root.Path("usr/bin/tessaron-cli")) +
                               " render --size 640x480 --out " + Quote(root.Path("installed.png")) +
                               " " + Quote((share / "layouts/Results.tly").string());
    ASSERT_EQ(std::system(render.c_str()), 0);

    const std::string home = root.Path("home/.local/share/tessaron");
    for (const char* name : {"Results.rss", "Deutsch.lng", "Logo.tga", "DejaVu Sans 50.fnt"})
        EXPECT_TRUE(fs::exists(fs::path(home) / name)) << name;
    // Nothing lands beside the program, though the test may write there.
    EXPECT_EQ(std::distance(fs::directory_iterator(root.Path("usr/bin")), fs::directory_iterator()),
              1);
    // A file the user changed is never copied over.
    root.Put("home/.local/share/tessaron/Deutsch.lng", "mine");
    ASSERT_EQ(std::system(render.c_str()), 0);
    EXPECT_EQ(root.Get("home/.local/share/tessaron/Deutsch.lng"), "mine");

    KTestFolder built;
    CopyShippedFiles(built.Path());
    const Result drawn = Cli({"render", "--home", built.Path(), "--size", "640x480", "--out",
                              built.Path("built.png"), (bin / "layouts/Results.tly").string()});
    ASSERT_EQ(drawn.status, 0) << drawn.err;
    EXPECT_EQ(root.Get("installed.png"), built.Get("built.png"));
}

}  // namespace
