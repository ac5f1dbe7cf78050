#include "KFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "KAtomicSave.h"
#include "KBufferedFile.h"
#include "KDataName.h"
#include "KFileExtension.h"
#include "KFileInfo.h"
#include "KStreamMenu.h"
#include "KTestSupport.h"
#include "KUtf8.h"
#include "KX.h"

namespace {

KString Str(const std::string& utf8) {
    return KTestText(utf8);
}

std::string Utf8(const KString& s) {
    return KUtf8Of(s);
}

class FileTest : public ::testing::Test {
  protected:
    std::string Path(const std::string& name) const { return folder.Path(name); }
    void Put(const std::string& name, const std::string& bytes) const { folder.Put(name, bytes); }
    std::string Get(const std::string& name) const { return folder.Get(name); }
    KTestFolder folder;
    const std::string& dir = folder.Path();
};

TEST(KFilePaths, ExtensionNeedsAShortSuffixAfterTheLastFolder) {
    KFile f(KString(u"/data.old/file"));
    KString ext;
    EXPECT_FALSE(f.GetExtension(ext));
    f.SetPath(KString(u"/dir/photo.jpeg"));
    EXPECT_FALSE(f.GetExtension(ext));
    f.SetPath(KString(u"/dir/a.tga"));
    EXPECT_TRUE(f.GetExtension(ext));
    EXPECT_EQ(Utf8(ext), "tga");
    f.SetExtension(KString(u"gif"));
    EXPECT_EQ(Utf8(f.Path()), "/dir/a.gif");
    f.SetName(KString(u"b"), false);
    EXPECT_EQ(Utf8(f.Path()), "/dir/b.gif");
    f.SetName(KString(u"c.tly"), true);
    KString name;
    f.GetName(name, false);
    EXPECT_EQ(Utf8(name), "c");
    f.AppendDirectory(KString(u"sub"));
    EXPECT_EQ(Utf8(f.Path()), "/dir/sub/c.tly");
    KString folder;
    f.GetDirectory(folder);
    EXPECT_EQ(Utf8(folder), "/dir/sub");
    f.RemoveExtension();
    f.SetDirectory(KString(u"/x"));
    EXPECT_EQ(Utf8(f.Path()), "/x/");
    EXPECT_TRUE(KFile::IsAbsolute(KString(u"/a")));
    EXPECT_FALSE(KFile::IsAbsolute(KString(u"a/b")));
}

TEST(KFilePaths, InvalidCharacters) {
    KString path = Str("a*b?c\\d/e:f");
    EXPECT_TRUE(KFile::ReplaceInvalidPathChars(path, u'_'));
    EXPECT_EQ(Utf8(path), "a_b_c_d/e:f");
    KString name = Str("  x/y:z<>|\"");
    EXPECT_TRUE(KFile::ReplaceInvalidNameChars(name, u'-'));
    EXPECT_EQ(Utf8(name), "x-y-z----");
    KString clean = Str("plain");
    EXPECT_FALSE(KFile::ReplaceInvalidNameChars(clean, u'-'));
}

TEST_F(FileTest, OpenReadWriteAndTheirErrors) {
    KFile f(Str(Path("data.bin")));
    EXPECT_THROW(f.Open(KFile::kRead, false), KXStream);
    f.Open(KFile::kReadWrite, true);
    try {
        f.Open(KFile::kRead, false);
        FAIL();
    } catch (const KXStream& e) {
        EXPECT_EQ(e.Code(), kErrFileAlreadyOpen);
    }
    f.Write("abcdef", 6);
    f.Seek(2, 0);
    char buf[10];
    try {
        f.Read(buf, 10);
        FAIL();
    } catch (const KXStream& e) {
        EXPECT_EQ(e.Code(), kErrFileRead);
        EXPECT_EQ(e.Transferred(), 4);
    }
    f.SetLength(3);
    EXPECT_EQ(f.GetSize(), 3);
    f.Close();
    EXPECT_EQ(Get("data.bin"), "abc");

    KFile readOnly(Str(Path("data.bin")));
    readOnly.Open(KFile::kRead, false);
    try {
        readOnly.Write("x", 1);
        FAIL();
    } catch (const KXStream& e) {
        EXPECT_EQ(e.Code(), kErrFileWrite);
    }
    KFile folder(Str(dir));
    EXPECT_THROW(folder.Open(KFile::kRead, false), KXStream);
}

TEST_F(FileTest, RegularOnlyRefusesAFifoAFolderAndADeviceWithoutWaiting) {
    ASSERT_TRUE(KMakeFifo(Path("pipe")));
    for (const std::string& path : {Path("pipe"), dir, std::string("/dev/null")}) {
        SCOPED_TRACE(path);
        int32_t code = 0;
        KBufferedFile f(Str(path));
        EXPECT_TRUE(KReturnsAtOnce(
            {Path("pipe")}, [&] { code = f.TryOpen(KFile::kRead | KFile::kRegularOnly, false); }));
        EXPECT_EQ(code, kErrFileOpen);
        EXPECT_FALSE(f.IsOpen());
    }
    int32_t code = 0;
    KFile writer(Str(Path("pipe")));
    EXPECT_TRUE(KReturnsAtOnce({Path("pipe")}, [&] {
        code = writer.TryOpen(KFile::kWrite | KFile::kRegularOnly, false);
    }));
    EXPECT_EQ(code, kErrFileOpen);
}

TEST_F(FileTest, RegularOnlyReadsAPlainFileAsAnyOpenDoes) {
    Put("plain.txt", "line\n");
    KBufferedFile f(Str(Path("plain.txt")));
    ASSERT_EQ(f.TryOpen(KFile::kRead | KFile::kRegularOnly, false), 0);
    KString line;
    EXPECT_EQ(f.ReadUntil(line, KString(u"\n"), KString(u"")), u'\n');
    EXPECT_EQ(Utf8(line), "line");
    EXPECT_EQ(f.TryOpen(KFile::kRead, false), kErrFileAlreadyOpen);
    KFile missing(Str(Path("missing")));
    EXPECT_EQ(missing.TryOpen(KFile::kRead | KFile::kRegularOnly, false), kErrFileOpen);
}

TEST_F(FileTest, BufferedFileMixesReadsWritesAndSeeks) {
    std::string content;
    for (int i = 0; i < 10000; ++i) content += static_cast<char>('a' + i % 26);
    Put("big.txt", content);
    KBufferedFile f(Str(Path("big.txt")), 64);
    f.Open(KFile::kReadWrite, false);
    char buf[100];
    f.Read(buf, 100);
    EXPECT_EQ(std::string(buf, 100), content.substr(0, 100));
    EXPECT_EQ(f.Tell(), 100);
    f.Write("XYZ", 3);  // switching direction puts the write at the logical position
    f.Seek(-5, 1);
    f.Read(buf, 10);
    EXPECT_EQ(std::string(buf, 10), content.substr(98, 2) + "XYZ" + content.substr(103, 5));
    f.Seek(-2, 2);
    f.Write("!!!!", 4);
    EXPECT_EQ(f.GetSize(), 10002);
    f.Seek(5000, 0);
    f.Read(buf, 1);
    EXPECT_EQ(buf[0], content[5000]);
    f.Close();
    std::string expected = content;
    expected.replace(100, 3, "XYZ");
    expected.replace(9998, 2, "!!!!");
    EXPECT_EQ(Get("big.txt"), expected);
}

TEST_F(FileTest, BufferedTextReadToTheEnd) {
    Put("script.rss", "\xFF\xFE" + std::string("a\0\n\0b\0", 6));
    KBufferedFile f(Str(Path("script.rss")));
    f.Open(KFile::kRead, false);
    std::u16string text;
    while (f.Peek()) text += f.GetChar();
    EXPECT_EQ(text, u"a\nb");
    char c;
    EXPECT_THROW(f.Read(&c, 1), KXStream);
    EXPECT_FALSE(f.ReadFailed());

    // A read the system refuses (the memory file at address 0: EIO) also
    // ends the text, and says it failed.
    KBufferedFile faulty(Str("/proc/self/mem"));
    faulty.Open(KFile::kRead, false);
    EXPECT_FALSE(faulty.Peek());
    EXPECT_TRUE(faulty.ReadFailed());
}

TEST_F(FileTest, TextAndValueReadsShareThePosition) {
    Put("mixed.bin", std::string("ab\x05\0cd", 6));
    KBufferedFile f(Str(Path("mixed.bin")));
    f.Open(KFile::kReadWrite, false);
    f.SetReadEncoding(KStream::kSingleByte);
    EXPECT_EQ(f.GetChar(), u'a');
    EXPECT_EQ(f.GetChar(), u'b');
    EXPECT_EQ(f.Tell(), 2);
    EXPECT_EQ(f.GetInt16(), 5);
    EXPECT_EQ(f.GetChar(), u'c');
    f.Write("X", 1);
    f.Close();
    EXPECT_EQ(Get("mixed.bin"), std::string("ab\x05\0cX", 6));
}

TEST_F(FileTest, WrittenTextKeepsTheEncodingItWasReadIn) {
    Put("utf16.cfg", std::string("\xFF\xFE"
                                 "x\0\r\0\n\0",
                                 8));
    KBufferedFile in(Str(Path("utf16.cfg")));
    in.Open(KFile::kRead, false);
    while (in.Peek()) in.GetChar();
    in.Close();
    KBufferedFile out(Str(Path("copy.cfg")));
    in.CopySettings(&out);
    out.Open(KFile::kWrite, true);
    out.WriteBOM();
    out.WriteText(KString(u"y\n"));
    out.Close();
    EXPECT_EQ(Get("copy.cfg"), std::string("\xFF\xFE"
                                           "y\0\r\0\n\0",
                                           8));
}

TEST_F(FileTest, FileSystemOperations) {
    Put("one.lng", "1");
    Put("Two.LNG", "2");
    Put("three.txt", "3");
    KFile pattern(Str(Path("*.lng")));
    KFileInfo info;
    std::set<std::string> found;
    while (info.FindNext(pattern)) {
        found.insert(Utf8(info.name));
        EXPECT_TRUE(info.lastWriteTime.IsSet());
    }
    EXPECT_EQ(found, (std::set<std::string>{"one.lng", "Two.LNG"}));

    KFile one(Str(Path("one.lng")));
    EXPECT_TRUE(one.Exists());
    EXPECT_TRUE(one.DirectoryExists());
    KFile copy(Str(Path("copy.lng")));
    EXPECT_TRUE(one.CopyTo(copy));
    EXPECT_FALSE(one.CopyTo(copy));  // the target exists
    EXPECT_EQ(Get("copy.lng"), "1");
    EXPECT_TRUE(copy.Rename(Str(Path("moved.lng"))));
    EXPECT_EQ(Utf8(copy.Path()), Path("moved.lng"));
    EXPECT_TRUE(copy.Delete());
    EXPECT_FALSE(copy.Exists());
    EXPECT_TRUE(copy.Delete());  // already gone counts as deleted

    KFile deep(Str(Path("a/b/c/file")));
    EXPECT_FALSE(deep.DirectoryExists());
    EXPECT_TRUE(deep.CreateDirectories(true));
    EXPECT_TRUE(deep.DirectoryExists());
    uint64_t free = 0, total = 0;
    EXPECT_TRUE(deep.GetDiskSpace(&free, &total));
    EXPECT_GT(total, 0u);
    EXPECT_LE(free, total);
    EXPECT_TRUE(one.GetLastWriteTime().IsSet());
    EXPECT_LE(one.GetLastWriteTime().Compare(KDateTime::Now()), 0);
}

TEST_F(FileTest, DataNamesResolveWithoutRegardToCase) {
    mkdir(Path("Scripts").c_str(), 0777);
    Put("Scripts/Video Display.rss", "x");
    KString out;
    KResolveDataName(Str(dir), Str("scripts\\VIDEO display.RSS"), out);
    EXPECT_EQ(Utf8(out), Path("Scripts/Video Display.rss"));
    out.Empty();
    KResolveDataName(Str(dir), Str("Scripts/Video Display.rss"), out);
    EXPECT_EQ(Utf8(out), Path("Scripts/Video Display.rss"));
    out.Empty();
    KResolveDataName(Str(dir), Str("scripts/missing.rss"), out);
    EXPECT_EQ(Utf8(out), Path("scripts/missing.rss"));
    out.Empty();
    KResolveDataName(Str("/nowhere"), Str(Path("SCRIPTS/video display.rss")), out);
    EXPECT_EQ(Utf8(out), Path("Scripts/Video Display.rss"));
}

TEST_F(FileTest, AtomicSaveReplacesOrLeavesTheOldFile) {
    Put("tessaron.cfg", "old settings\n");
    chmod(Path("tessaron.cfg").c_str(), 0640);
    const KString target = Str(Path("tessaron.cfg"));
    EXPECT_THROW(KSaveAtomically(target,
                                 [](KStream& s) {
                                     s.Write("half of the new", 15);
                                     throw KXStream(kErrFileWrite, 0);
                                 }),
                 KXStream);
    EXPECT_EQ(Get("tessaron.cfg"), "old settings\n");

    // A crash in the middle of writing leaves the old file too.
    pid_t child = fork();
    if (child == 0) {
        KSaveAtomically(target, [](KStream& s) {
            s.Write("partial", 7);
            s.Flush();
            _exit(3);
        });
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(Get("tessaron.cfg"), "old settings\n");

    KSaveAtomically(target, [](KStream& s) { s.Write("new settings\n", 13); });
    EXPECT_EQ(Get("tessaron.cfg"), "new settings\n");
    struct stat st;
    stat(Path("tessaron.cfg").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    EXPECT_THROW(KSaveAtomically(Str(Path("no/such/folder.cfg")), [](KStream&) {}), KXStream);

    // Saved through a link, the file linked to gets the new text and the
    // link stays.
    ASSERT_EQ(symlink(Path("tessaron.cfg").c_str(), Path("linked.cfg").c_str()), 0);
    KSaveAtomically(Str(Path("linked.cfg")), [](KStream& s) { s.Write("linked\n", 7); });
    EXPECT_EQ(Get("tessaron.cfg"), "linked\n");
    struct stat link;
    ASSERT_EQ(lstat(Path("linked.cfg").c_str(), &link), 0);
    EXPECT_TRUE(S_ISLNK(link.st_mode));
}

TEST(KDateTime, ComparesFieldByFieldIgnoringTheWeekday) {
    KDateTime a = KDateTime::Now();
    KDateTime b = a;
    b.dayOfWeek = (a.dayOfWeek + 1) % 7;
    EXPECT_EQ(a.Compare(b), 0);
    b.millisecond = a.millisecond + 1;
    EXPECT_LT(a.Compare(b), 0);
    b.year = a.year - 1;
    EXPECT_GT(a.Compare(b), 0);
    EXPECT_FALSE(KDateTime().IsSet());
    KString text;
    a.AppendText(text);
    EXPECT_GT(text.Length(), 8);
}

TEST(KStreamMenu, MakesTheStreamForThePortType) {
    struct Channel : KStream {
        bool Accepts(int type) const override { return type == -1; }
        KStream* CopySettings(KStream* target) const override {
            return KStream::CopySettings(target ? target : new Channel);
        }
    };
    KStreamMenu menu;
    menu.Register(std::make_unique<Channel>());
    auto made = menu.SelectChannel(-1, nullptr);
    EXPECT_TRUE(made->Accepts(-1));
    KStream* same = made.get();
    made = menu.SelectChannel(-1, std::move(made));
    EXPECT_EQ(made.get(), same);
    made = menu.SelectChannel(0, std::move(made));
    EXPECT_TRUE(made->Accepts(0));
    EXPECT_FALSE(made->IsOpen());
    made = menu.SelectChannel(7, std::move(made));
    EXPECT_TRUE(made->Accepts(0));
}

TEST(KFileExtension, RegisteredTypesAreFoundByExactExtension) {
    KFileExtension::Register(KString(u"tly"), KString(u"Layout"));
    ASSERT_NE(KFileExtension::Find(KString(u"tly")), nullptr);
    EXPECT_EQ(Utf8(KFileExtension::Find(KString(u"tly"))->typeName), "Layout");
    EXPECT_EQ(KFileExtension::Find(KString(u"TLY")), nullptr);
}

}  // namespace
