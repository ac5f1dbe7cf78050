#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Result {
    int status;
    std::string out;
};

std::string Quote(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs the real tessaron-cli with these arguments.
Result Cli(const std::vector<std::string>& args) {
    const char* bin = std::getenv("TESSARON_BIN");
    std::string command = Quote(std::string(bin ? bin : ".") + "/tessaron-cli");
    for (const std::string& a : args) command += " " + Quote(a);
    command += " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    Result r{-1, {}};
    if (!pipe) return r;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, n);
    int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

TEST(ProcessVerb, FormatsEachValueOnItsOwnLine) {
    EXPECT_EQ(Cli({"process", "--process", "%.2s:%.2s", "0930"}).out, "09:30\n");
    Result r = Cli({"process", "--process", "%.3s|", "Marathon", "Äbc€xyz"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Mar|\nÄbc|\n");
    EXPECT_EQ(Cli({"process", "--process", "%s", "C:\\Data"}).out, "C:ta\n");
    EXPECT_EQ(Cli({"process", "--process", "%6s", "42"}).out, "    42\n");
}

TEST(ProcessVerb, EscapeStageAloneWithoutProcessText) {
    EXPECT_EQ(Cli({"process", "41\\L0\\X2\\S0\\D0\\+0\\X2\\U2\\O0", "12\\L0\\X5\\I0"}).out, "42\n   12\n");
    EXPECT_EQ(Cli({"process", "\\c3\\a4"}).out, "\xC3\x83\xC2\xA4\n");  // codes, not bytes
}

TEST(ProcessVerb, RegistersCountAcrossValues) {
    Result r = Cli({"process", "--process", "%s\\+9\\X3\\U2\\O9", "a", "b", "c"});
    EXPECT_EQ(r.out, "a001\nb002\nc003\n");
}

TEST(ProcessVerb, UsageErrorsExitTwo) {
    EXPECT_EQ(Cli({"process"}).status, 2);
    EXPECT_EQ(Cli({"process", "--process"}).status, 2);
    EXPECT_EQ(Cli({"process", "--bogus", "x"}).status, 2);
    EXPECT_EQ(Cli({"nonsense"}).status, 2);
    EXPECT_EQ(Cli({"process", "--", "--x"}).out, "--x\n");
}

}  // namespace
