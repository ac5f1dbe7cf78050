// tessaron-cli's own options: its version and its help.

#include <gtest/gtest.h>

#include <string>

#include "CliTestSupport.h"

namespace {

TEST(TessaronCli, VersionIsTheBuildsAndHelpListsEveryVerb) {
    const Result version = Cli({"--version"});
    EXPECT_EQ(version.status, 0) << version.err;
    EXPECT_EQ(version.out, "tessaron-cli " TESSARON_VERSION "\n");

    const Result help = Cli({"--help"});
    EXPECT_EQ(help.status, 0) << help.err;
    EXPECT_TRUE(help.out.starts_with("Usage: tessaron-cli VERB ...\n")) << help.out;
    for (const char* verb : {"process", "frame", "settings", "render", "serve", "video"})
        EXPECT_NE(help.out.find(std::string("  tessaron-cli ") + verb + " "), std::string::npos)
            << verb;

    // A call that names no verb is answered on standard error, as a failure.
    const Result wrong = Cli({"--versions"});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_TRUE(wrong.out.empty());
    EXPECT_EQ(wrong.err, help.out);
}

}  // namespace
