#include "VerbOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CliTestSupport.h"

namespace {

// Every verb refuses a malformed or out-of-range value before it does
// anything, in one form: a message naming the verb on standard error and
// exit code 2. Each has --help.
TEST(VerbOptions, BadValuesAreRefusedInOneForm) {
    const std::vector<std::vector<std::string>> refused = {
        {"monitor", "--seconds", "x"},
        {"monitor", "--seconds", "-1"},
        {"monitor", "--bogus"},
        {"frame", "--charmode", "3", "a.rss"},
        {"frame", "--buffer", "0", "a.rss"},
        {"frame"},
        {"feed", "--to", "0", "--repeat", "0"},
        {"feed", "--rate", "10"},
        {"process"},
        {"settings", "frobnicate"},
        {"ports", "extra"},
        {"text", "--size", "big", "--out", "a.png", "x"},
        {"text", "x"},
        {"fonts", "extra"},
        {"fnt", "--size", "5", "--out", "."},
        {"image", "--scale", "6by1", "logo.tga"},
        {"image"},
        {"video", "--size", "ten", "--out", "a.png"},
        {"video", "--size", "8x4", "--rotate", "3", "--out", "a.png"},
        {"video", "--size", "8x4"},
    };
    for (const auto& args : refused) {
        const Result r = Cli(args);
        EXPECT_EQ(r.status, 2) << args[0] << " " << (args.size() > 1 ? args[1] : "");
        EXPECT_EQ(r.err.rfind("tessaron-cli " + args[0] + ": ", 0), 0u) << r.err;
        EXPECT_EQ(r.out, "");
    }
    for (const char* verb : {"process", "frame", "settings", "monitor", "ports", "feed", "text",
                             "fonts", "fnt", "image", "video"}) {
        const Result help = Cli({verb, "--help"});
        EXPECT_EQ(help.status, 0) << verb;
        EXPECT_NE(help.out.find("--help"), std::string::npos) << verb;
    }
}

}  // namespace
