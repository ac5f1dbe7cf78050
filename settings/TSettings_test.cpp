#include "TSettings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "KErrors.h"
#include "KRegistry.h"
#include "KTestSupport.h"
#include "KUtf8.h"
#include "SettingsTestSupport.h"
#include "TDefaultSettings.h"
#include "TProgramHome.h"

namespace {

// The names in a folder, one a line, sorted.
std::string Listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string text;
    for (const std::string& name : names) text += name + "\n";
    return text;
}

class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
        setenv("LANG", "en_US.UTF-8", 1);
        unsetenv("LC_ALL");
        unsetenv("LC_MESSAGES");
    }
    void Put(const std::string& name, const std::string& bytes) { folder.Put(name, bytes); }
    std::string Get(const std::string& name) { return folder.Get(name); }
    KTestFolder folder;
    const std::string& home = folder.Path();
};

TEST_F(SettingsTest, EveryDefaultLineReadsBack) {
    unsetenv("LANG");  // else the locale becomes the language choice
    TSettings settings;
    ASSERT_EQ(settings.Start(home), 0);
    KRegistry& r = settings.Registry();
    int lines = 0;
    for (const char* p = kDefaultSettings; *p; ++lines) {
        const char* end = std::strchr(p, '\n');
        const std::string line(p, end ? static_cast<size_t>(end - p) : std::strlen(p));
        p += line.size() + (end ? 1 : 0);
        const size_t colon = line.find(':');
        const size_t equals = line.find('=', colon);
        ASSERT_NE(colon, std::string::npos) << line;
        KRNode* node = r.Find(KTestText("\\" + line.substr(0, colon)));
        ASSERT_NE(node, nullptr) << line;
        if (line[colon - 1] != '\\') {
            EXPECT_EQ(ValueText(node), line.substr(equals + 1)) << line;
        }
    }
    EXPECT_GT(lines, 400);
    EXPECT_EQ(ValueText(r.FindInt(KTestText("\\Display\\CacheSize"))), "1048576");
    EXPECT_EQ(KUtf8Of(r.StringOf(KTestText("\\Strings\\Errors\\3009"))), "Incorrect file version");
    EXPECT_EQ(KUtf8Of(r.StringOf(KTestText("\\Strings\\MenuBar\\File\\Open"))), "&Open...,O");
    EXPECT_TRUE(r.StringOf(KTestText("\\Strings\\Registry\\Comments\\Sources\\2\\Name")).IsEmpty());
    EXPECT_FALSE(
        r.StringOf(KTestText("\\Strings\\Registry\\Comments\\Sources\\1\\Name")).IsEmpty());
}

TEST_F(SettingsTest, SavedValuesSurviveARestartWithoutTheTexts) {
    {
        TSettings settings;
        settings.Start(home);
        settings.Registry().FindInt(KTestText("\\Display\\Width"))->Set(1920);
        settings.Registry().ApplyLine(KTestText("Sources\\1\\:="));
        settings.Registry().ApplyLine(KTestText("Sources\\1\\Name:String=Timer \xC3\xA9"));
        ASSERT_EQ(settings.Save(), 0);
    }
    const std::string saved = Get("tessaron.cfg");
    EXPECT_EQ(saved.substr(0, 2), "\xFF\xFE");  // a new file is UTF-16 with its mark
    TSettings again;
    ASSERT_EQ(again.Start(home), 0);
    EXPECT_EQ(again.Registry().FindInt(KTestText("\\Display\\Width"))->value, 1920);
    EXPECT_EQ(KUtf8Of(again.Registry().StringOf(KTestText("\\Sources\\1\\Name"))),
              "Timer \xC3\xA9");
    ASSERT_EQ(again.Save(), 0);
    EXPECT_EQ(Get("tessaron.cfg"), saved);
    // Neither UI texts nor language choices are stored.
    std::string narrow;
    for (size_t i = 2; i < saved.size(); i += 2) narrow += saved[i];
    EXPECT_EQ(narrow.find("\\Strings\\"), std::string::npos);
    EXPECT_EQ(narrow.find("\\Language\\Choices\\"), std::string::npos);
    EXPECT_NE(narrow.find("\\Display\\Width:Int,1,,=1920\r\n"), std::string::npos);
}

TEST_F(SettingsTest, SingleByteFilesStaySingleByte) {
    Put("tessaron.cfg",
        "Registry Version: 1.00\n\\Display\\Width:Int,1,,=800\n\\Layout\\ScaleNumer:Int,1,,=2\n");
    TSettings settings;
    ASSERT_EQ(settings.Start(home), 0);
    EXPECT_EQ(settings.Registry().FindInt(KTestText("\\Layout\\ScaleNumer"))->value, 2);
    ASSERT_EQ(settings.Save(), 0);
    const std::string saved = Get("tessaron.cfg");
    EXPECT_EQ(saved.rfind("Registry Version: 1.00\n\\:,1=\n", 0), 0u);
    EXPECT_NE(saved.find("\\Display\\Width:Int,1,,=800\n"), std::string::npos);
}

TEST_F(SettingsTest, ProfilesChooseTheFileAndFallBack) {
    Put("Meet.cfg", "Registry Version: 1.00\n\\Display\\Height:Int,1,,=1080\n");
    ASSERT_TRUE(WriteProfileName("Meet"));
    TSettings meet;
    meet.Start(home);
    EXPECT_EQ(meet.ConfigPath(), home + "/Meet.cfg");
    EXPECT_EQ(meet.Registry().FindInt(KTestText("\\Display\\Height"))->value, 1080);
    ASSERT_TRUE(WriteProfileName("Missing"));
    TSettings fallback;
    fallback.Start(home);
    EXPECT_EQ(fallback.ConfigPath(), home + "/tessaron.cfg");
    std::string name = "x";
    EXPECT_TRUE(ReadProfileName(&name));
    EXPECT_EQ(name, "");
}

TEST_F(SettingsTest, ANewProfileHoldsTheSettingsAndNeverReplacesAFile) {
    TSettings settings;
    settings.Start(home);
    settings.Registry().FindInt(KTestText("\\Display\\Height"))->Set(720);
    Put("Taken.cfg", "mine");
    for (const char* refused : {"", "Taken", "TESSARON", "a/b", "..", ".hidden"})
        EXPECT_FALSE(settings.CanCreateProfile(refused)) << refused;
    EXPECT_FALSE(settings.CanCreateProfile(std::string(64, 'x')));
    EXPECT_NE(settings.CreateProfile("Taken"), 0);
    EXPECT_EQ(Get("Taken.cfg"), "mine");

    ASSERT_TRUE(settings.CanCreateProfile("Pool B"));
    ASSERT_EQ(settings.CreateProfile("Pool B"), 0);
    EXPECT_FALSE(settings.CanCreateProfile("Pool B"));
    EXPECT_EQ(Get("Pool B.cfg").find("Strings"), std::string::npos);  // texts are not settings
    ASSERT_TRUE(WriteProfileName("Pool B"));
    TSettings chosen;
    chosen.Start(home);
    EXPECT_EQ(chosen.Registry().FindInt(KTestText("\\Display\\Height"))->value, 720);
}

TEST_F(SettingsTest, FailedSavesKeepThePreviousFile) {
    Put("tessaron.cfg", "Registry Version: 1.00\n\\Display\\Width:Int,1,,=800\n");
    pid_t child = fork();
    if (child == 0) {
        // Dies in the middle of writing the new file.
        struct Killer : KRString {
            void AppendValue(KString&) const override { _exit(7); }
        };
        TSettings settings;
        settings.Start(home);
        auto killer = std::make_unique<Killer>();
        killer->name.Append(u"Zz");
        settings.Registry().AddChild(std::move(killer));
        settings.Save();
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 7);
    EXPECT_EQ(Get("tessaron.cfg"), "Registry Version: 1.00\n\\Display\\Width:Int,1,,=800\n");
    // A configuration path that is a folder can be neither read nor replaced:
    // the folder stays as it was, with what it holds, and nothing is left beside it.
    KTestFolder other;
    mkdir(other.Path("tessaron.cfg").c_str(), 0700);
    other.Put("tessaron.cfg/kept", "kept");
    TSettings blocked;
    EXPECT_EQ(blocked.Start(other.Path()), 6001);
    EXPECT_EQ(blocked.Save(), 6002);
    struct stat info {};
    ASSERT_EQ(stat(other.Path("tessaron.cfg").c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(other.Get("tessaron.cfg/kept"), "kept");
    EXPECT_EQ(Listing(other.Path()), "tessaron.cfg\n");
}

TEST_F(SettingsTest, LanguageFilesOverlayTexts) {
    Put("Test.lng",
        "Test,xx_YY,Test language\nRegistry Version: 1.00\nStrings\\Menu\\Ctrl:String=Strg\n");
    Put("Broken.lng", "no line end");
    setenv("LANG", "xx_YY.UTF-8", 1);
    TSettings settings;
    settings.Start(home);
    KRegistry& r = settings.Registry();
    EXPECT_EQ(KUtf8Of(r.StringOf(KTestText("\\Strings\\Menu\\Ctrl"))), "Strg");
    EXPECT_EQ(KUtf8Of(r.StringOf(KTestText("\\Strings\\Menu\\Shift"))), "Shift");
    EXPECT_EQ(KUtf8Of(r.StringOf(KTestText("\\Language\\Choices\\1"))),
              "Test.lng,Test,xx_YY,Test language");
    EXPECT_EQ(r.Find(KTestText("\\Language\\Choices\\2")), nullptr);
    EXPECT_EQ(KUtf8Of(r.StringOf(KTestText("\\Language\\Choice"))), "xx_YY.UTF-8");
    // The export writes every current text back to the chosen file.
    r.FindString(KTestText("\\Strings\\Menu\\Alt"))->Set(KTestText("Alternativ"));
    ASSERT_EQ(settings.ExportLanguage(), 0);
    const std::string exported = Get("Test.lng");
    EXPECT_EQ(exported.rfind("Test,xx_YY,Test language\nRegistry Version: 1.00\n", 0), 0u)
        << exported;
    EXPECT_NE(exported.find("\\Strings\\Menu\\Alt:String,1=Alternativ\n"), std::string::npos);
    TSettings reread;
    reread.Start(home);
    EXPECT_EQ(KUtf8Of(reread.Registry().StringOf(KTestText("\\Strings\\Menu\\Alt"))), "Alternativ");
}

TEST_F(SettingsTest, ShippedGermanFileLoadsForAGermanLocale) {
    std::system(("cp '" TESSARON_ASSETS "/Deutsch.lng' '" + home + "/'").c_str());
    setenv("LANG", "de_DE.UTF-8", 1);
    TSettings settings;
    settings.Start(home);
    EXPECT_EQ(KUtf8Of(settings.Registry().StringOf(KTestText("\\Strings\\MenuBar\\File\\Title"))),
              "&Datei");
    EXPECT_EQ(KUtf8Of(settings.Registry().StringOf(KTestText("\\Strings\\SerialPort\\Parity"))),
              "Parit\u00e4t");
    EXPECT_EQ(settings.LanguagePath(), home + "/Deutsch.lng");
    // A misspelt path would add a text nothing shows: each one must be a text the program has.
    KRegistry defaults;
    ApplyDefaultSettings(defaults);
    std::istringstream lines(Get("Deutsch.lng"));
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("\\Strings\\", 0) != 0) continue;
        const std::string path = line.substr(0, line.find(":String="));
        EXPECT_NE(defaults.FindString(KTestText(path)), nullptr) << path;
    }
}

TEST_F(SettingsTest, PipesForTheConfigurationTheProfileOrALanguageAreRefusedAtOnce) {
    Put("Test.lng", "Test,xx_YY,Test language\nRegistry Version: 1.00\n");
    ASSERT_TRUE(KMakeFifo(folder.Path("Waiting.lng")));
    ASSERT_TRUE(KMakeFifo(folder.Path("tessaron.cfg")));
    ASSERT_TRUE(WriteProfileName(""));
    ASSERT_EQ(unlink(ProfileStorePath().c_str()), 0);
    ASSERT_TRUE(KMakeFifo(ProfileStorePath()));
    setenv("LANG", "xx_YY.UTF-8", 1);
    TSettings settings;
    int result = 0;
    const auto start = [&] { result = settings.Start(home, true); };
    const std::vector<std::string> pipes = {folder.Path("tessaron.cfg"), folder.Path("Waiting.lng"),
                                            ProfileStorePath()};
    EXPECT_TRUE(KReturnsAtOnce(pipes, start));
    EXPECT_EQ(result, kErrConfigLoad);
    KRegistry& r = settings.Registry();
    EXPECT_EQ(KUtf8Of(r.StringOf(KTestText("\\Language\\Choices\\1"))),
              "Test.lng,Test,xx_YY,Test language");
    EXPECT_EQ(r.Find(KTestText("\\Language\\Choices\\2")), nullptr);
    // Nothing replaces what could not be read.
    EXPECT_EQ(settings.Save(), kErrConfigSave);
    struct stat info {};
    ASSERT_EQ(stat(folder.Path("tessaron.cfg").c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    std::string name = "x";
    EXPECT_TRUE(KReturnsAtOnce(pipes, [&] { EXPECT_FALSE(ReadProfileName(&name)); }));
}

}  // namespace
