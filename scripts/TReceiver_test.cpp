#include "TReceiver.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "KChunkedStream.h"
#include "KLog.h"
#include "KMemoryStream.h"
#include "KTestSupport.h"
#include "KUtf8.h"

namespace {

KString Str(const std::string& utf8) {
    return KTestText(utf8);
}

std::string U8(const KString& s) {
    return KUtf8OfUnits(s);
}

// Records what a script hands out, in order.
struct Recorder : TPacketSink, TTraceSink, TRemoteHandler {
    void DeliverPacket(TFields& d) override {
        std::string line = "packet " + U8(d.name) + " " + std::to_string(d.DefinitionIndex());
        for (const TField& f : d.fields)
            line += " " + U8(f.name) + "=" + U8(f.value) + (f.extracted ? "" : "!");
        events.push_back(line);
    }
    void TraceChar(const TReceiver&, KChar) override { ++chars; }
    void TraceEvent(const TReceiver&, const KString& text) override { events.push_back(U8(text)); }
    void ExecuteRemote(const TReceiver&, const KString& line) override {
        events.push_back("remote " + U8(line));
    }
    std::vector<std::string> events;
    int chars = 0;
};

class ScriptTest : public ::testing::Test {
  protected:
    void SetUp() override {
        script.SetSourceName(sourceName);
        script.SetSinks(&recorder, &recorder, &recorder);
    }

    bool Load(const std::string& text, int32_t buffer = TReceiver::kDefaultBufferSize,
              const std::string& name = "test.rss") {
        folder.Put(name, text);
        return script.LoadScript(Str(dir), Str(name), buffer);
    }
    // Feeds bytes as a channel delivers them until none are left: in chunks
    // of the given sizes, then of random sizes from 1 to 64 bytes, since a
    // channel splits its data anywhere.
    std::vector<std::string> Feed(const std::string& bytes, int encoding = KStream::kSingleByte,
                                  const std::vector<size_t>& chunks = {}) {
        KChunkedStream channel(bytes);
        channel.SetReadEncoding(encoding);
        channel.SetReadLineEnd(0);
        for (size_t i = 0;; ++i) {
            while (script.ReceiveAvailable(channel)) {
            }
            random = random * 1103515245 + 12345;
            if (!channel.Arrive(i < chunks.size() ? chunks[i] : 1 + (random >> 16) % 64)) break;
        }
        std::vector<std::string> events;
        events.swap(recorder.events);
        return events;
    }
    TFields& Definition(int i) { return *script.Definitions().At(i); }

    KTestFolder folder;
    const std::string& dir = folder.Path();
    const KString sourceName{u"Timer"};
    uint32_t random = 1;
    TReceiver script;
    Recorder recorder;
};

const char kResults[] =
    ";;Results\n"
    "header=\\02,length=1\n"
    "trailer=\\03,length=1\n"
    "textfield=A,length=3\n"
    "textfield=B,stop=\\0d\n";

TEST_F(ScriptTest, FramesByHeaderAndTrailer) {
    ASSERT_TRUE(Load(kResults));
    EXPECT_EQ(Feed("\x02"
                   "abcxyz\r\x03"),
              (std::vector<std::string>{"{Timer Results HDR}", "packet Results 0 A=abc B=xyz",
                                        "{Timer Results BDY TRL}"}));
    // Bytes before the header are dropped; a second packet frames alike.
    EXPECT_EQ(Feed("junk\x02"
                   "123rest\r\x03")[1],
              "packet Results 0 A=123 B=rest");
    // A length that does not fit consumes the body: no field, no delivery.
    EXPECT_EQ(Feed("\x02"
                   "ab\x03"),
              (std::vector<std::string>{"{Timer Results HDR}", "{Timer Results TRL}"}));
}

// The receiver reads its source's name where the source keeps it, so a
// rename shows in the very next event.
TEST_F(ScriptTest, EventsShowTheSourcesCurrentName) {
    KString name = Str("Timer");
    script.SetSourceName(name);
    ASSERT_TRUE(Load(kResults));
    EXPECT_EQ(Feed("\x02")[0], "{Timer Results HDR}");
    name.Assign(KString(u"Pool"));
    EXPECT_EQ(Feed("abc\r\x03").back(), "{Pool Results BDY TRL}");
}

TEST_F(ScriptTest, FieldsThatDoNotFitAndMissingStops) {
    ASSERT_TRUE(
        Load(";;P\nheader=<,length=1\ntrailer=>,length=1\n"
             "textfield=Long,length=10\ntextfield=After,length=0\n"
             ";;Q\nheader=<,length=1\ntrailer=>,length=1\ntextfield=S,stop=\",\"\ntextfield=T,"
             "length=2\n"));
    std::vector<std::string> events = Feed("<abcdef>");
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0], "{Timer P HDR}");
    EXPECT_EQ(events[1], "{Timer Q HDR}");
    EXPECT_EQ(events[2], "packet P 0 Long=! After=");  // length 0 still extracts
    EXPECT_EQ(events[4], "{Timer Q TRL}");             // no comma: the stop field is not extracted
    EXPECT_EQ(U8(Definition(1).FindField(KString(u"S"))->value), "abcdef");
    EXPECT_EQ(Definition(1).DefinitionIndex(), 1);
}

TEST_F(ScriptTest, BodyLengthHeadersAndSlidingWindow) {
    ASSERT_TRUE(
        Load(";;Fixed\nheader=AB,length=2\nbodylength=5\ntextfield=V,length=5,process=%.2s:%.3s\n"
             ";;Never\nheader=AB,length=1\nbodylength=1\ntextfield=X,length=1\n"));
    std::vector<std::string> events = Feed("AAB12345AxB99999AB6");
    EXPECT_EQ(events, (std::vector<std::string>{"{Timer Fixed HDR}", "packet Fixed 0 V=12:345",
                                                "{Timer Fixed BDY TRL}", "{Timer Fixed HDR}"}));
    EXPECT_TRUE(Definition(0).inBody);  // "6" is the start of the next body
    EXPECT_FALSE(Definition(1).inBody);
}

// A header without process text is hunted for on a fast path; one with a
// process text that changes nothing takes the general path. Both must open
// their bodies at the same characters, for headers that repeat themselves.
TEST_F(ScriptTest, PlainHeaderHuntingAgreesWithTheGeneralPath) {
    for (const std::string header : {"abab", "aab", "aaa", "abaab"}) {
        ASSERT_TRUE(Load(";;P\nheader=" + header + ",length=" + std::to_string(header.size()) +
                         "\nbodylength=2\ntextfield=V,length=2\n;;Q\nheader=" + header +
                         ",length=" + std::to_string(header.size()) +
                         ",process=%s\nbodylength=2\ntextfield=V,length=2\n"));
        uint32_t seed = 12345;
        std::string stream;
        for (int i = 0; i < 20000; ++i) {
            seed = seed * 1103515245 + 12345;
            stream += "abx"[(seed >> 16) % 3];
        }
        std::vector<std::string> plain, general;
        for (const std::string& event : Feed(stream)) {
            if (event.rfind("packet P", 0) == 0) plain.push_back(event.substr(8));
            if (event.rfind("packet Q", 0) == 0) general.push_back(event.substr(8));
        }
        EXPECT_GT(plain.size(), 50u) << header;
        EXPECT_EQ(plain.size(), general.size()) << header;
        for (size_t i = 0; i < plain.size() && i < general.size(); ++i)
            EXPECT_EQ(plain[i].substr(3), general[i].substr(3)) << header << " packet " << i;
    }
}

TEST_F(ScriptTest, OneCallTakesAtMostItsBudget) {
    ASSERT_TRUE(Load(kResults));
    KMemoryStream channel(std::string(TReceiver::kCallBudget * 2 + 10, 'x'));
    EXPECT_TRUE(script.ReceiveAvailable(channel));
    EXPECT_EQ(script.CharsReceived(), TReceiver::kCallBudget);
    EXPECT_TRUE(script.ReceiveAvailable(channel));
    EXPECT_FALSE(script.ReceiveAvailable(channel));
    EXPECT_EQ(script.CharsReceived(), TReceiver::kCallBudget * 2 + 10);
}

TEST_F(ScriptTest, ProcessAppliesToHeaderBeforeComparison) {
    ASSERT_TRUE(
        Load(";;Upper\nheader=x,length=1,process=%.0sx\ntextfield=Rest,length=2\nbodylength=2\n"));
    // The header's process text turns any character into "x", so any byte opens a body.
    EXPECT_EQ(Feed("Q12")[1], "packet Upper 0 Rest=12");
}

TEST_F(ScriptTest, OverflowDiscardsAndHuntsWithTheCharacter) {
    ASSERT_TRUE(Load(kResults, 8));
    // Eight characters fill the buffer; the ninth discards them and is hunted with.
    EXPECT_EQ(Feed("\x02"
                   "12345678\x02"
                   "abc\r\x03"),
              (std::vector<std::string>{"{Timer Results HDR}", "{Timer Results HDR}",
                                        "packet Results 0 A=abc B=", "{Timer Results BDY TRL}"}));
}

TEST_F(ScriptTest, RemoteCommandsBetweenPacketsOnly) {
    ASSERT_TRUE(Load(kResults));
    std::vector<std::string> events = Feed(
        "Command=LayoutDraw\n\n\x02"
        "abc\nx\r\x03"
        "Name=A\n");
    EXPECT_EQ(events[0], "remote Command=LayoutDraw");
    EXPECT_EQ(events[1], "remote Command=LayoutDraw");  // an empty line repeats
    EXPECT_EQ(events[3], "packet Results 0 A=abc B=\nx");
    EXPECT_EQ(events.back(), "remote Name=A");
    // A packet between clears the collector, so an empty line repeats nothing.
    EXPECT_EQ(Feed("\x02"
                   "abcd\r\x03\n")
                  .back(),
              "remote ");
}

// Counts the places where a text holds a piece.
int CountOf(const std::string& text, const std::string& piece) {
    int n = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
    return n;
}

// Long events shortened to their start, their end and their length.
std::vector<std::string> Shortened(const std::vector<std::string>& events) {
    std::vector<std::string> shown;
    for (const std::string& e : events)
        shown.push_back(e.size() <= 64 ? e
                                       : e.substr(0, 30) + ".." + e.substr(e.size() - 30) + " (" +
                                             std::to_string(e.size()) + ")");
    return shown;
}

// A remote line is taken whole however long it is, up to its limit; a
// longer one is never executed, not even cut, and the collector goes on
// with the next line. The log says so once per source.
TEST_F(ScriptTest, LongRemoteLinesRunWholeAndTooLongOnesNever) {
    ASSERT_TRUE(Load(kResults));
    KTestFolder logFolder;
    KLog log(KTestText(logFolder.Path("tessaron.log")));
    KLog::SetProgramLog(&log);

    // 40,000 characters: 9,998 items before the command's two.
    std::string line;
    for (int i = 0; i < 9998; ++i) line += i < 16 ? "k=;" : "k=1;";
    line += "Command=Trigger;Name=F1;";
    ASSERT_EQ(line.size(), 40000u);
    EXPECT_EQ(Shortened(Feed(line + "\n")), Shortened({"remote " + line}));

    const std::string longest(KRemote::kMaxLine, 'a');
    EXPECT_EQ(Shortened(Feed(longest + "\n")), Shortened({"remote " + longest}));

    // One character too many, twice: nothing runs, an empty line repeats the
    // last line executed, and the next line runs as sent.
    const std::string tooLong = "Command=Trigger;Name=F1" + std::string(KRemote::kMaxLine, 'x');
    EXPECT_EQ(
        Shortened(Feed(tooLong.substr(0, KRemote::kMaxLine + 1) + "\n" + tooLong + "\n\nName=B\n")),
        Shortened({"remote " + longest, "remote Name=B"}));
    const std::string logged = logFolder.Get("tessaron.log");
    EXPECT_EQ(CountOf(logged, "source \"Timer\" sent a remote command line longer than 1048576"), 1)
        << logged;

    // Another source logs its own.
    TReceiver other;
    const KString otherName(u"Scoreboard");
    other.SetSourceName(otherName);
    KMemoryStream channel(tooLong + "\n");
    while (other.ReceiveAvailable(channel)) {
    }
    EXPECT_EQ(CountOf(logFolder.Get("tessaron.log"), "source \"Scoreboard\" sent"), 1);
}

TEST_F(ScriptTest, TwoDefinitionsWithOneHeaderBothOpen) {
    ASSERT_TRUE(
        Load(";;One\nheader=#,length=1\nbodylength=2\ntextfield=A,length=2\n"
             ";;Two\nheader=#,length=1\nbodylength=1\ntextfield=B,length=1\n"));
    EXPECT_EQ(Feed("#xy"), (std::vector<std::string>{"{Timer One HDR}", "{Timer Two HDR}",
                                                     "packet Two 1 B=x", "{Timer Two BDY TRL}",
                                                     "packet One 0 A=xy", "{Timer One BDY TRL}"}));
}

TEST_F(ScriptTest, ScriptLinesColumnsAndKeys) {
    std::string longName(40, 'N');
    std::string script =
        ";;" + longName +
        "\r\n; a comment\r\n;\r\n ;x\r\nHEADER=\\02,Length=1\r\n"
        "textfield=Time, length=8\r\ntextfield=Lap,length=010,process=%s\r\n"
        "textfield=Split,length=0x10\r\ntextfield=Neg,length=-1\r\n"
        "textfield=Comma,\"stop=,\"\r\ntextfield=Empty,stop=,\r\ntextfield=Lap,length=1\r\n"
        "trailer=\\03\r\nbodylength=12abc";  // no line end on the last line
    ASSERT_TRUE(Load(script));
    TFields& d = Definition(0);
    EXPECT_EQ(U8(d.name), longName.substr(0, 31));
    EXPECT_EQ(d.header.name.Length(), 1);
    EXPECT_EQ(d.header.name.CharAt(0), 2);
    EXPECT_EQ(d.header.length, 1);
    EXPECT_EQ(d.trailer.length, -1);
    EXPECT_EQ(d.bodyLength, 12);
    EXPECT_EQ(d.FindField(KString(u"Time"))->length, -1);
    EXPECT_EQ(d.FindField(KString(u"Lap"))->length, 8);  // the first of two
    EXPECT_EQ(U8(d.FindField(KString(u"Lap"))->process), "%s");
    EXPECT_EQ(d.FindField(KString(u"Split"))->length, 16);
    EXPECT_EQ(d.FindField(KString(u"Neg"))->length, -1);
    EXPECT_EQ(U8(d.FindField(KString(u"Comma"))->stop), ",");
    EXPECT_TRUE(d.FindField(KString(u"Empty"))->stop.IsEmpty());
    EXPECT_EQ(d.FindField(KString(u"lap")), nullptr);
    EXPECT_EQ(d.fields.Count(), 7);
}

TEST_F(ScriptTest, LoadingRules) {
    EXPECT_TRUE(Load("header=x,length=1\nno definitions here\n"));
    EXPECT_EQ(script.Definitions().Count(), 0);
    ASSERT_TRUE(Load(kResults, 100, "Video Display.rss"));
    EXPECT_EQ(script.Definitions().Count(), 1);
    EXPECT_EQ(Definition(0).buffer.Capacity(), 100);
    // However large the setting, a packet buffer stays within its bound.
    ASSERT_TRUE(Load(kResults, KString::kMaxLimit));
    EXPECT_EQ(Definition(0).buffer.Capacity(), TReceiver::kMaxBufferSize);
    ASSERT_TRUE(Load(kResults, 100, "Video Display.rss"));
    // A file that cannot be opened keeps the definitions.
    EXPECT_FALSE(script.LoadScript(Str(dir), Str("missing.rss"), 100));
    EXPECT_EQ(script.Definitions().Count(), 1);
    // Names from data resolve without regard to case and with backslashes.
    std::system(("mkdir -p '" + dir + "/Scripts' && cp '" + dir + "/Video Display.rss' '" + dir +
                 "/Scripts/'")
                    .c_str());
    EXPECT_TRUE(script.LoadScript(Str(dir), Str("scripts\\video display.RSS"), 100));
    // UTF-16 scripts with a byte-order mark.
    std::string utf16 = "\xFF\xFE";
    for (char c :
         std::string(";;Wide\r\nheader=W,length=1\r\nbodylength=1\r\ntextfield=C,length=1\r\n")) {
        utf16 += c;
        utf16 += '\0';
    }
    ASSERT_TRUE(Load(utf16));
    EXPECT_EQ(U8(Definition(0).name), "Wide");
    EXPECT_EQ(Feed("W\xE9")[1], "packet Wide 0 C=\xC3\xA9");
}

TEST_F(ScriptTest, CodeSetsDecodeBeforeFraming) {
    ASSERT_TRUE(
        Load(";;U\nheader=\\02,length=1\ntrailer=\\03,length=1\ntextfield=Name,length=3\n"));
    std::string utf16le("\x02\0M\0\xFC\0\xAC\x20\x03\0", 10);
    EXPECT_EQ(Feed(utf16le, KStream::kUtf16)[1], "packet U 0 Name=M\xC3\xBC\xE2\x82\xAC");
    EXPECT_EQ(Feed("\x02"
                   "M\xC3\xBC\xE2\x82\xAC\x03",
                   KStream::kNative)[1],
              "packet U 0 Name=M\xC3\xBC\xE2\x82\xAC");
    EXPECT_EQ(Feed(std::string("\x02"
                               "a\0\xFF\x03",
                               5))[1],
              std::string("packet U 0 Name=a\0\xC3\xBF", 20));
    EXPECT_EQ(recorder.chars, 15);
}

// Wherever a channel splits a packet, even inside a character, the packet
// comes out as when it arrives in one piece.
TEST_F(ScriptTest, EverySplitPointGivesThePacketsOfOneWrite) {
    const std::string script =
        ";;U\nheader=\\02,length=1\ntrailer=\\03,length=1\ntextfield=Name,stop=\\0d\n";
    std::string utf16;
    for (char16_t unit : std::u16string(u"\x02"
                                        "caf\u00e9 \u20ac \U0001F3C1\r\x03"
                                        "Go=1\n")) {
        utf16 += static_cast<char>(unit & 0xFF);
        utf16 += static_cast<char>(unit >> 8);
    }
    const std::pair<int, std::string> streams[] = {
        {KStream::kNative,
         "\x02"
         "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8F\x81\r\x03"
         "Go=1\n"},
        {KStream::kUtf16, utf16},
    };
    for (const auto& [encoding, bytes] : streams) {
        ASSERT_TRUE(Load(script));
        const std::vector<std::string> whole = Feed(bytes, encoding, {bytes.size()});
        ASSERT_EQ(whole[1],
                  "packet U 0 Name=" + U8(Str("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8F\x81")));
        EXPECT_EQ(whole.back(), "remote Go=1");
        for (size_t split = 1; split < bytes.size(); ++split) {
            ASSERT_TRUE(Load(script));
            EXPECT_EQ(Feed(bytes, encoding, {split, bytes.size()}), whole)
                << "code set " << encoding << " split at " << split;
        }
    }
}

TEST_F(ScriptTest, HostileScriptsLoadWithoutHarm) {
    std::string huge = ";;Big\ntextfield=" + std::string(1 << 20, 'x') + "\n";
    std::string manyColumns = "header=a,length=1" + std::string(200000, ',') + "\n";
    ASSERT_TRUE(Load(huge + manyColumns + std::string("\0\0\0", 3)));
    EXPECT_EQ(Definition(0).FirstField()->name.Length(),
              255 - 10);  // the column, key included, is cut
    EXPECT_EQ(Definition(0).header.length, 1);
}

TEST_F(ScriptTest, APipeAFolderOrADeviceNamedAsAScriptIsRefusedAtOnce) {
    ASSERT_TRUE(Load(kResults));
    ASSERT_TRUE(KMakeFifo(folder.Path("waiting.rss")));
    for (const std::string& name : {std::string("waiting.rss"), dir, std::string("/dev/null")}) {
        bool loaded = true;
        EXPECT_TRUE(KReturnsAtOnce({folder.Path("waiting.rss")}, [&] {
            loaded = script.LoadScript(Str(dir), Str(name), 100);
        })) << name;
        EXPECT_FALSE(loaded) << name;
        EXPECT_EQ(script.Definitions().Count(), 1) << name;
    }
}

}  // namespace
