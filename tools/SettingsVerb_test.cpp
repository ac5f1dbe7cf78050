#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "CliTestSupport.h"
#include "KTestSupport.h"

namespace {

class SettingsVerb : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
        unsetenv("LANG");
        unsetenv("LC_ALL");
    }
    Result Settings(std::vector<std::string> args) {
        args.insert(args.begin(), {"settings", "--home", home});
        return Cli(args);
    }
    KTestFolder folder;
    const std::string& home = folder.Path();
};

TEST_F(SettingsVerb, DefaultsAndHelp) {
    EXPECT_EQ(Settings({"get", "\\Display\\CacheSize"}).out, "1048576\n");
    EXPECT_EQ(Settings({"get", "\\Strings\\Menu\\Ctrl"}).out, "Ctrl\n");
    EXPECT_EQ(Settings({"help", "\\Display\\CacheSize"}).out,
              "Size (bytes) of the display window cache.\n\nDefault: 1048576\n");
    EXPECT_EQ(Settings({"help", "\\Sources\\2\\Name"}).status, 1);
    Result group = Settings({"get", "\\Display\\"});
    EXPECT_EQ(group.status, 0);
    EXPECT_EQ(group.out, "");
    EXPECT_EQ(Settings({"get", "\\Display\\Nothing"}).status, 1);
    EXPECT_EQ(Settings({"frobnicate"}).status, 2);
}

TEST_F(SettingsVerb, SetSavesAndSurvivesARestart) {
    EXPECT_EQ(Settings({"set", "\\Display\\Width", "0x400"}).status, 0);
    EXPECT_EQ(Settings({"set", "\\General\\Unlock", "secret word"}).status, 0);
    EXPECT_EQ(Settings({"get", "\\Display\\Width"}).out, "1024\n");
    EXPECT_EQ(Settings({"get", "\\General\\Unlock"}).out, "secret word\n");
    std::ifstream saved(home + "/tessaron.cfg", std::ios::binary);
    std::stringstream before;
    before << saved.rdbuf();
    EXPECT_EQ(Settings({"set", "\\Display\\Width", "wide"}).status, 1);
    EXPECT_EQ(Settings({"set", "\\Display\\Missing", "1"}).status, 1);
    std::ifstream after(home + "/tessaron.cfg", std::ios::binary);
    std::stringstream now;
    now << after.rdbuf();
    EXPECT_EQ(now.str(), before.str());  // a refused value changes nothing
}

// Every file below the folder with its bytes.
std::map<std::string, std::string> FilesBelow(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        files[entry.path().string()] = bytes.str();
    }
    return files;
}

// Reading commands write nothing: not the configuration, not the profile
// file, even where the program would make or repair it.
TEST_F(SettingsVerb, ReadingWritesNothing) {
    const std::string profile = home + "/config/Quillmark/Tessaron/Profile";
    const std::vector<std::vector<std::string>> reads = {
        {"get", "\\Display\\Width"}, {"lines", "\\Display\\"}, {"help", "\\Display\\CacheSize"}};
    for (const auto& read : reads) EXPECT_EQ(Settings(read).status, 0);
    EXPECT_TRUE(FilesBelow(home).empty());

    ASSERT_TRUE(std::filesystem::create_directories(home + "/config/Quillmark/Tessaron"));
    std::ofstream(profile) << "Gone";  // names a configuration that does not exist
    const auto before = FilesBelow(home);
    for (const auto& read : reads) EXPECT_EQ(Settings(read).status, 0);
    EXPECT_EQ(FilesBelow(home), before);

    // A change is saved, and the profile is repaired as the program does.
    EXPECT_EQ(Settings({"set", "\\Display\\Width", "800"}).status, 0);
    EXPECT_NE(FilesBelow(home), before);
    EXPECT_EQ(FilesBelow(home).at(profile), "\n");
}

TEST_F(SettingsVerb, LinesOfASubtree) {
    Result colors = Settings({"lines", "\\Display\\Colors\\"});
    EXPECT_EQ(colors.out.substr(0, 52),
              "\\Display\\Colors\\:,1=\n\\Display\\Colors\\1:String,1=255,");
    Result all = Settings({"lines"});
    EXPECT_EQ(all.out.find("\\Strings\\"), std::string::npos);
    EXPECT_NE(all.out.find("\\Display\\CacheSize:Int,1,,=1048576\n"), std::string::npos);
    EXPECT_NE(
        Settings({"lines", "\\Strings\\Menu\\"}).out.find("\\Strings\\Menu\\Ctrl:String,1=Ctrl\n"),
        std::string::npos);
}

}  // namespace
