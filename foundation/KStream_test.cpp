#include "KStream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "KChunkedStream.h"
#include "KList.h"
#include "KMemoryStream.h"
#include "KX.h"

namespace {

using MemoryStream = KMemoryStream;

std::u16string ReadAll(KStream& s) {
    std::u16string out;
    while (s.Peek()) out += s.GetChar();
    return out;
}

std::u16string ReadAll(const std::string& bytes, int encoding = KStream::kDetect) {
    MemoryStream s(bytes);
    s.SetReadEncoding(encoding);
    return ReadAll(s);
}

TEST(KStreamText, ByteOrderMarksChooseUtf16) {
    MemoryStream le(
        std::string("\xFF\xFE"
                    "A\0\r\0\n\0B\0",
                    10));
    EXPECT_EQ(ReadAll(le), u"A\nB");
    EXPECT_EQ(le.ReadLineEnd(), KStream::kLineCRLF);
    EXPECT_EQ(le.ReadEncoding(), KStream::kUtf16);
    EXPECT_FALSE(le.SwapBytes());
    MemoryStream be(std::string("\xFE\xFF\0A\0\n\0\r\0B", 10));
    EXPECT_EQ(ReadAll(be), u"A\nB");
    EXPECT_EQ(be.ReadLineEnd(), KStream::kLineLFCR);
    EXPECT_TRUE(be.SwapBytes());
    // A mark inside the text is skipped; a reversed one flips the order.
    EXPECT_EQ(ReadAll(std::string("\xFF\xFE"
                                  "A\0\xFF\xFE"
                                  "B\0\xFE\xFF\0C",
                                  12)),
              u"ABC");
}

TEST(KStreamText, DetectWithoutMarkIsSingleByteAndLosesNothing) {
    EXPECT_EQ(ReadAll("\xE9t\xE9"), u"\u00e9t\u00e9");
    EXPECT_EQ(ReadAll("\xFF"
                      "a"),
              u"\u00ffa");
    EXPECT_EQ(ReadAll("\xFE"), u"\u00fe");
    EXPECT_EQ(ReadAll(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

TEST(KStreamText, FirstLineEndFixesTheConvention) {
    EXPECT_EQ(ReadAll("A\nB\r\nC"), u"A\nB\r\nC");
    EXPECT_EQ(ReadAll("A\r\nB\r\nC\n"), u"A\nB\nC\n");
    EXPECT_EQ(ReadAll("A\rB\rC"), u"A\nB\nC");
    EXPECT_EQ(ReadAll("A\n\rB\n\rC"), u"A\nB\nC");
    EXPECT_EQ(ReadAll("A\r\rB"), u"A\n\nB");
    EXPECT_EQ(ReadAll("A\n\nB"), u"A\n\nB");
    MemoryStream fixed("A\r\nB");
    fixed.SetReadLineEnd(KStream::kLineLF);
    EXPECT_EQ(ReadAll(fixed), u"A\r\nB");
}

TEST(KStreamText, NativeIsUtf8WithReplacementForBadBytes) {
    EXPECT_EQ(ReadAll("Z\xC3\xBCrich \xF0\x9F\x8F\x81", KStream::kNative), u"Zürich \U0001F3C1");
    EXPECT_EQ(ReadAll("\xE2\x82"
                      "A\xC3",
                      KStream::kNative),
              u"\uFFFD\uFFFDA\uFFFD");
    EXPECT_EQ(ReadAll("\x80\xBF"
                      "b",
                      KStream::kNative),
              u"\uFFFD\uFFFDb");
    MemoryStream out;
    out.SetWriteEncoding(KStream::kNative);
    out.WriteText(KString(u"Zürich \U0001F3C1\n"));
    EXPECT_EQ(out.Bytes(), "Z\xC3\xBCrich \xF0\x9F\x8F\x81\r\n");
}

// Reads what has arrived, then lets the next chunk arrive, until the end.
std::u16string ReadAsArriving(KChunkedStream& s, const std::vector<size_t>& chunks) {
    std::u16string out;
    for (size_t i = 0; s.Arrive(i < chunks.size() ? chunks[i] : SIZE_MAX); ++i) out += ReadAll(s);
    return out + ReadAll(s);
}

// A channel splits its data anywhere: a character whose bytes arrive in two
// reads decodes exactly as one that arrives whole.
TEST(KStreamText, CharactersSplitBetweenReadsDecodeWhole) {
    const struct {
        int encoding;
        std::string bytes;
    } cases[] = {
        {KStream::kNative,
         "\x02"
         "caf\xC3\xA9\r\x03 \xE2\x82\xAC \xF0\x9F\x8F\x81 \xE2\x82"
         "A"},
        {KStream::kUtf16, std::string("c\0a\0f\0\xE9\0\xAC\x20\x3C\xD8\xC1\xDF\r\0", 16)},
        {KStream::kDetect, std::string("\xFF\xFE"
                                       "c\0\xE9\0\xAC\x20",
                                       8)},
        {KStream::kDetect,
         "\xFF"
         "ab\xFE"},
    };
    for (const auto& c : cases) {
        KMemoryStream whole(c.bytes);
        whole.SetReadEncoding(c.encoding);
        whole.SetReadLineEnd(0);
        const std::u16string expected = ReadAll(whole);
        for (size_t split = 1; split < c.bytes.size(); ++split) {
            KChunkedStream parts(c.bytes);
            parts.SetReadEncoding(c.encoding);
            parts.SetReadLineEnd(0);
            EXPECT_EQ(ReadAsArriving(parts, {split}), expected)
                << "encoding " << c.encoding << " split at " << split;
        }
        KChunkedStream bytewise(c.bytes);
        bytewise.SetReadEncoding(c.encoding);
        bytewise.SetReadLineEnd(0);
        EXPECT_EQ(ReadAsArriving(bytewise, std::vector<size_t>(c.bytes.size(), 1)), expected);
    }
}

TEST(KStreamText, WritingResolvesEncodingAndLineEnd) {
    MemoryStream fresh;
    EXPECT_EQ(fresh.PutChar(u'\n'), 2);
    EXPECT_EQ(fresh.Bytes(), std::string("\r\0\n\0", 4));

    MemoryStream bom;
    EXPECT_EQ(bom.WriteBOM(), 1);
    EXPECT_EQ(bom.Bytes(), "\xFF\xFE");
    MemoryStream bigBom;
    bigBom.SetSwapBytes(true);
    bigBom.WriteBOM();
    EXPECT_EQ(bigBom.Bytes(), "\xFE\xFF");

    // A stream that has read single bytes with LF line ends writes the same.
    MemoryStream echo("x\ny");
    ReadAll(echo);
    echo.TakeBytes();
    EXPECT_EQ(echo.WriteBOM(), 0);
    echo.WriteText(KString(u"a\nb\u0142"));
    EXPECT_EQ(echo.Bytes(), "a\nbB");

    MemoryStream lfcr;
    lfcr.SetWriteEncoding(KStream::kSingleByte);
    lfcr.SetWriteLineEnd(KStream::kLineLFCR);
    lfcr.PutChar(u'\n');
    lfcr.SetWriteLineEnd(KStream::kLineCR);
    lfcr.PutChar(u'\n');
    lfcr.SetWriteLineEnd(0);  // channels: no translation
    lfcr.PutChar(u'\n');
    EXPECT_EQ(lfcr.Bytes(), "\n\r\r\n");
}

TEST(KStreamValues, TextAndValuesInterleave) {
    MemoryStream s(std::string("x\x07\0\0\0y", 6));
    s.SetReadEncoding(KStream::kSingleByte);
    EXPECT_EQ(s.GetChar(), u'x');
    EXPECT_EQ(s.GetInt32(), 7);
    EXPECT_EQ(s.GetChar(), u'y');
    EXPECT_FALSE(s.Peek());
}

TEST(KStreamValues, FixedWidthInBothByteOrders) {
    MemoryStream s;
    s.PutInt32(0x30005);
    EXPECT_EQ(s.Bytes(), std::string("\x05\0\x03\0", 4));
    s.SetSwapBytes(true);
    s.PutInt32(0x30005);
    s.PutInt16(-2);
    s.PutInt8(0x141);
    EXPECT_EQ(s.Bytes().substr(4), std::string("\0\x03\0\x05\xFF\xFE\x41", 7));
    s.SetSwapBytes(false);
    EXPECT_EQ(s.GetInt32(), 0x30005);
    s.SetSwapBytes(true);
    EXPECT_EQ(s.GetUInt32(), 0x30005u);
    EXPECT_EQ(s.GetInt16(), -2);
    try {
        s.GetUInt16();
        FAIL() << "reading past the end must raise";
    } catch (const KXStream& e) {
        EXPECT_EQ(e.Code(), kErrFileRead);
        EXPECT_EQ(e.Transferred(), 1);
    }
}

TEST(KStreamValues, PersistentStringStaysInStepWhenCut) {
    MemoryStream s;
    KString text(u"abcdefghijklmnopqrst");
    text.Write(s);
    s.PutInt32(77);
    KString15 small;
    small.Read(s);
    EXPECT_EQ(std::u16string(small.Chars(), small.Length()), u"abcdefghijklmno");
    EXPECT_EQ(s.GetInt32(), 77);

    // The narrow form: tag without the wide bit, one byte per unit.
    MemoryStream narrow(std::string("\x05\0\x01\0\x03\0\0\0xyz", 11));
    KString read;
    read.Read(narrow);
    EXPECT_EQ(std::u16string(read.Chars(), read.Length()), u"xyz");

    MemoryStream bad(std::string("\x05\0\x02\0\x01\0\0\0x", 9));
    EXPECT_THROW(read.Read(bad), KXPersistent);
    // A forged count raises at the end of the data instead of claiming memory.
    MemoryStream forged(
        std::string("\x05\0\x01\x10\xFF\xFF\xFF\x7F"
                    "ab",
                    10));
    EXPECT_THROW(read.Read(forged), KXStream);
}

TEST(KStreamText, ReadUntilStopsRestartsAndIgnores) {
    MemoryStream s("# comment\nkey=value\n#x\nnext\r\n");
    KString out;
    EXPECT_EQ(s.ReadUntil(out, KString(u"\n"), KString(u"#")), u'\n');
    EXPECT_EQ(std::u16string(out.Chars(), out.Length()), u"key=value");
    out.Empty();
    EXPECT_EQ(s.ReadUntil(out, KString(u"\n"), KString(u"#"), KString(u"x\r")), u'\n');
    EXPECT_EQ(std::u16string(out.Chars(), out.Length()), u"net");
    out.Empty();
    EXPECT_EQ(s.ReadUntil(out, KString(u"\n"), KString(u"")), -1);
    EXPECT_TRUE(out.IsEmpty());
    MemoryStream skip("abcdef");
    EXPECT_EQ(skip.Skip(2), 2);
    EXPECT_EQ(skip.GetChar(), u'c');
    EXPECT_EQ(skip.Skip(-1), 3);
}

TEST(KStreamValues, ListsWithAndWithoutClassNames) {
    struct Number : KListItem {
        const char* ClassName() const override { return "Number"; }
        void Write(KStream& s) const override { s.PutInt32(value); }
        void Read(KStream& s) override { value = s.GetInt32(); }
        int32_t value = 0;
    };
    KListOf<Number> list;
    for (int32_t v : {4, 5, 6}) {
        auto n = std::make_unique<Number>();
        n->value = v;
        list.Add(std::move(n));
    }
    for (bool names : {false, true}) {
        MemoryStream s;
        list.WriteList(s, names);
        KListOf<Number> back;
        back.Add(std::make_unique<Number>());
        std::vector<std::u16string> seen;
        back.ReadList(
            s,
            [&](const KString& name) {
                seen.emplace_back(name.Chars(), name.Length());
                return std::make_unique<Number>();
            },
            names);
        ASSERT_EQ(back.Count(), 3);
        EXPECT_EQ(back.Tail()->value, 6);
        EXPECT_EQ(seen[0], names ? u"Number" : u"");
    }
    MemoryStream wrong(std::string("\x08\0\x01\0\0\0\0\0", 8));
    EXPECT_THROW(list.ReadList(
                     wrong, [](const KString&) { return std::make_unique<Number>(); }, false),
                 KXPersistent);
    EXPECT_EQ(list.Count(), 0);  // emptied before the tag was read
}

}  // namespace
