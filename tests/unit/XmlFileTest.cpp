#include <gtest/gtest.h>

#include "support/Files.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <random>
#include <set>

#include "textcodec/CodePage.h"
#include "xml/Encodings.h"
#include "xml/XmlTextDoc.h"

using xml::XmlTextDoc;
namespace fs = std::filesystem;

namespace {

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

constexpr uid_t kNobody = 65534;

// Runs check in a child process as user nobody, for what root is never
// refused; the child's exit status, 77 when it could not become nobody.
int AsNobody(const std::function<int()>& check) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(77);
        ::_exit(check());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return 77;
    return WEXITSTATUS(status);
}

std::string ToUtf8(const std::string& narrow) { return xml::ConvertText("", "UTF-8", narrow); }

class XmlFile : public testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("veskora-xmlfile-" + std::to_string(::getpid()) + "-" +
                                           testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Path(const char* name) const { return (dir / name).string(); }

    fs::path dir;
};

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}

const fs::path kEncodings = VESKORA_TESTDATA "/encodings/";

std::string Hex(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        char b[4];
        std::snprintf(b, sizeof b, "%02X ", static_cast<unsigned char>(c));
        out += b;
    }
    return out;
}

// Characters of many scripts, for texts in any code page.
constexpr char16_t kPool[] = {u'\u00A0', u'\u00E3', u'\u00E9', u'\u00FF', u'\u0153', u'\u0394', u'\u03C9', u'\u0416',
                              u'\u044F', u'\u05D0', u'\u0627', u'\u0E01', u'\u20AC', u'\u2122', u'\u3042', u'\u30A2',
                              u'\u4E02', u'\u4E2D', u'\uAC00', u'\uD55C', u'\uFF21', u'\uFFFD'};

}  // namespace

TEST(Encodings, LabelsMapToCodePages) {
    EXPECT_EQ(xml::CodePageOf(""), 0);
    EXPECT_EQ(xml::CodePageOf("UTF-32"), 65005);
    EXPECT_EQ(xml::CodePageOf("UTF-32BE"), 65005);
    EXPECT_EQ(xml::CodePageOf("utf-32"), 12000);
    EXPECT_EQ(xml::CodePageOf("KS_C_5601-1987"), 949);
    EXPECT_EQ(xml::CodePageOf("euc-kr"), 51949);
    EXPECT_EQ(xml::CodePageOf("cp500"), 775);
    EXPECT_EQ(xml::CodePageOf("cp1256 "), 1256);
    EXPECT_EQ(xml::CodePageOf("Shift_JIS"), 932);
    EXPECT_EQ(xml::CodePageOf("iso-8859-1"), 28591);
    EXPECT_EQ(xml::CodePageOf("x-mac-korean"), -1);  // no converter on this machine
    EXPECT_EQ(xml::CodePageOf("no-such-encoding"), -1);
    EXPECT_EQ(xml::CodePageOf(std::string(200, 'a')), -1);
    EXPECT_EQ(xml::CodePageOf("Utf-8"), 65001);
    EXPECT_EQ(xml::CodePageOf(std::string_view("utf-8\0x", 7)), -1);
    EXPECT_EQ(xml::CodePageOf(std::string_view("euc-kr\0", 7)), -1);
    EXPECT_FALSE(xml::EncodingsDiffer("cp949", ""));
    EXPECT_TRUE(xml::EncodingsDiffer("utf-8", ""));
    EXPECT_FALSE(xml::EncodingsDiffer("bogus", "utf-8"));
}

TEST(Encodings, SniffingReadsTheDeclarationAtTheStartOrAnHtmlMeta) {
    EXPECT_EQ(xml::SniffEncoding("<?xml version='1.0' encoding='ISO-8859-1'?><a/>"), "ISO-8859-1");
    EXPECT_EQ(xml::SniffEncoding(" <?xml version='1.0' encoding='ISO-8859-1'?><a/>"), "");
    EXPECT_EQ(xml::SniffEncoding("<?xml version='1.0'?><a/>"), "");
    EXPECT_EQ(xml::SniffEncoding("<html><head><meta http-equiv=\"Content-Type\" "
                                 "content=\"text/html; charset=euc-kr\"></head>"),
              "euc-kr");
    EXPECT_EQ(xml::SniffEncoding("<HTML><META content=text/html;CHARSET=iso-8859-1 http-equiv=Content-Type>"),
              "iso-8859-1");
    EXPECT_EQ(xml::SniffEncoding("<html><head></head><meta http-equiv=\"Content-Type\" content=\"charset=x\">"), "");
    EXPECT_EQ(xml::SniffEncoding("<body><meta http-equiv=\"Content-Type\" content=\"charset=x\">"), "");
}

TEST_F(XmlFile, MarkedUtf8IsConvertedIntoTheSystemCodePage) {
    WriteFile(Path("a.xml"), "\xEF\xBB\xBF<a/>");
    XmlTextDoc doc;
    EXPECT_TRUE(doc.LoadFrom(Path("a.xml").c_str()));
    EXPECT_EQ(doc.ReportText(),
              "<bom/><read encoding=\"UTF-8\" length=\"4\"/><converted_to encoding=\"\" length=\"4\"/>");
    EXPECT_EQ(doc.DocFlags(), xml::kDocUtf8Bom);
}

TEST(Encodings, Utf8DetectionLooksAtEveryByteUpToANul) {
    // Lengths around the 64- and 16-byte blocks, the odd byte at each end.
    for (const std::size_t n : {15u, 16u, 17u, 63u, 64u, 65u, 79u, 80u, 81u, 130u}) {
        for (const std::size_t at : {std::size_t{0}, n / 2, n - 1}) {
            std::string s(n, 'a');
            s[at] = '\xB0';
            EXPECT_FALSE(xml::LooksLikeUtf8(s)) << n << " " << at;
            s.replace(at, 1, "\xEA\xB0\x80");
            bool wide = false;
            EXPECT_TRUE(xml::LooksLikeUtf8(s, &wide) && wide) << n << " " << at;
            s = std::string(n, 'a');
            s[at] = '\0';
            s += '\xB0';  // past a NUL nothing is looked at
            EXPECT_TRUE(xml::LooksLikeUtf8(s, &wide) && !wide) << n << " " << at;
        }
    }
}

TEST_F(XmlFile, UnmarkedFilesAreDetectedAsUtf8OrTakenAsTheSystemCodePage) {
    WriteFile(Path("lt.xml"), "<a>\xEA\xB0\x80</a>");  // starts with '<'
    XmlTextDoc doc;
    EXPECT_TRUE(doc.LoadFrom(Path("lt.xml").c_str()));
    EXPECT_EQ(doc.DocText(), "<a>\xB0\xA1</a>");

    WriteFile(Path("text.xml"), " <a>\xEA\xB0\x80</a>");  // valid UTF-8, not starting with '<'
    EXPECT_TRUE(doc.LoadFrom(Path("text.xml").c_str()));
    EXPECT_EQ(doc.DocText(), " <a>\xB0\xA1</a>");
    EXPECT_NE(doc.ReportText().find("<read encoding=\"UTF-8\" length=\"11\"/>"), std::string::npos);
    EXPECT_NE(doc.ReportText().find("<utf8_detection/>"), std::string::npos);

    WriteFile(Path("ansi.xml"), " <a>\xB0\xA1</a>");  // not UTF-8: taken as it is
    EXPECT_TRUE(doc.LoadFrom(Path("ansi.xml").c_str()));
    EXPECT_EQ(doc.DocText(), " <a>\xB0\xA1</a>");
    EXPECT_EQ(doc.ReportText(), "<read encoding=\"\" length=\"10\"/><utf8_detection/>");

    // Starting with '<' makes a file UTF-8 only if it is: a legacy Korean file stays whole.
    WriteFile(Path("legacy.xml"), "<a>\xB0\xA1</a>");
    EXPECT_TRUE(doc.LoadFrom(Path("legacy.xml").c_str()));
    EXPECT_EQ(doc.DocText(), "<a>\xB0\xA1</a>");
    EXPECT_EQ(doc.ReportText(), "<read encoding=\"\" length=\"9\"/><utf8_detection/>");
}

TEST_F(XmlFile, DeclaredEncodingIsSeenOnlyAtTheVeryStart) {
    WriteFile(Path("l1.xml"), "<?xml version='1.0' encoding='ISO-8859-1'?><a>caf\xE9</a>");
    XmlTextDoc doc;
    {
        textcodec::ScopedSystemCodePage western(1252);
        EXPECT_TRUE(doc.LoadFrom(Path("l1.xml").c_str()));
        EXPECT_NE(doc.DocText().find("caf\xE9"), std::string::npos);
    }
    EXPECT_TRUE(doc.LoadFrom(Path("l1.xml").c_str()));  // 949 has no é
    EXPECT_NE(doc.ReportText().find("<conversion_loss/>"), std::string::npos);
    WriteFile(Path("late.xml"), " <?xml version='1.0' encoding='ISO-8859-1'?><a>caf\xE9</a>");
    textcodec::ScopedSystemCodePage western(1252);
    doc.LoadFrom(Path("late.xml").c_str());
    EXPECT_EQ(doc.ReportText().find("converted_to"), std::string::npos);
}

TEST_F(XmlFile, BigEndianUtf16IsSwappedOnLoadAndWrittenBackTheSameWay) {
    const std::string be("\xFE\xFF\0<\0a\0>\xAC\x00\0<\0/\0a\0>", 18);
    WriteFile(Path("be.xml"), be);
    XmlTextDoc doc;
    EXPECT_TRUE(doc.LoadFrom(Path("be.xml").c_str()));
    EXPECT_EQ(doc.DocText(), "<a>\xB0\xA1</a>");
    EXPECT_NE(doc.ReportText().find("<endian_swap/>"), std::string::npos);
    EXPECT_EQ(doc.DocFlags(), xml::kDocUtf16Be);
    EXPECT_TRUE(doc.SaveTo(Path("be2.xml").c_str()));
    EXPECT_EQ(ReadFile(Path("be2.xml")), be);
}

TEST_F(XmlFile, NewDocumentIsSavedAsUtf8WithoutAMark) {
    XmlTextDoc doc;
    doc.PutMain("R");
    doc.PutChild("G", "\xB0\xA1");
    EXPECT_TRUE(doc.SaveTo(Path("new.xml").c_str()));
    EXPECT_EQ(ReadFile(Path("new.xml")), "<R>\r\n<G>\xEA\xB0\x80</G>\r\n</R>\r\n");
    EXPECT_EQ(doc.ReportText(),
              "<converted_from encoding=\"\" length=\"22\"/><write encoding=\"UTF-8\" length=\"23\"/>");
}

TEST_F(XmlFile, EmptyMissingAndUnreadableFilesFailWithARecord) {
    WriteFile(Path("empty.xml"), "");
    XmlTextDoc doc;
    EXPECT_FALSE(doc.LoadFrom(Path("empty.xml").c_str()));
    EXPECT_EQ(doc.ReportText(), "<read encoding=\"\" length=\"0\"/>");
    EXPECT_FALSE(doc.LoadFrom(Path("missing.xml").c_str()));
    EXPECT_EQ(doc.ReportText(), "<file_error msg=\"No such file or directory\" n=\"2\"/>");
    EXPECT_FALSE(doc.LoadFrom(dir.string().c_str()));
    EXPECT_EQ(doc.ReportText(), "<file_error msg=\"Is a directory\" n=\"21\"/>");
    EXPECT_FALSE(doc.LoadFrom(nullptr));

    WriteFile(Path("locked.xml"), "<a/>");
    ::chmod(Path("locked.xml").c_str(), 0);
    const auto refused = [&] {
        XmlTextDoc locked;
        return !locked.LoadFrom(Path("locked.xml").c_str()) &&
               locked.ReportText() == "<file_error msg=\"Permission denied\" n=\"13\"/>";
    };
    if (::geteuid() != 0) {
        EXPECT_TRUE(refused());
        return;
    }
    // Root reads every file: an ordinary user tries it.
    const int status = AsNobody([&] { return refused() ? 0 : 1; });
    if (status == 77) GTEST_SKIP() << "could not become user " << kNobody << " to try an unreadable file";
    EXPECT_EQ(status, 0) << "an unreadable file loaded, or failed without errno 13";
}

TEST_F(XmlFile, FailedSaveLeavesTheOldFileWholeAndNoTemporaryFile) {
    WriteFile(Path("keep.xml"), "<old/>");
    ::chmod(Path("keep.xml").c_str(), 0640);
    XmlTextDoc doc("<new/>");
    EXPECT_FALSE(doc.SaveTo((dir / "no-folder" / "x.xml").string().c_str()));
    EXPECT_EQ(doc.ReportText(), "<file_error msg=\"No such file or directory\" n=\"2\"/>");
    // A text that its declared encoding cannot carry is not written at all.
    XmlTextDoc utf32("<?xml version=\"1.0\" encoding=\"UTF-32\"?><a/>");
    EXPECT_FALSE(utf32.SaveTo(Path("keep.xml").c_str()));
    EXPECT_EQ(ReadFile(Path("keep.xml")), "<old/>");
    // A folder is not replaced, and nothing was written.
    fs::create_directory(dir / "folder.xml");
    EXPECT_FALSE(doc.SaveTo(Path("folder.xml").c_str()));
    EXPECT_EQ(doc.ReportText(), "<file_error msg=\"Is a directory\" n=\"21\"/>");
    EXPECT_TRUE(doc.SaveTo(Path("keep.xml").c_str()));
    EXPECT_EQ(ReadFile(Path("keep.xml")), "<new/>");
    struct stat st {};
    ::stat(Path("keep.xml").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(Names(dir), (std::set<std::string>{"keep.xml", "folder.xml"}));
}

TEST_F(XmlFile, SavingThroughALinkWritesTheFileItNamesAndKeepsTheLink) {
    fs::create_directories(dir / "sub");
    WriteFile(Path("real.xml"), "<old/>");
    fs::create_symlink("../real.xml", dir / "sub" / "up.xml");      // relative to the link's folder
    fs::create_symlink(dir / "sub" / "up.xml", dir / "chain.xml");  // absolute, to another link
    XmlTextDoc doc("<new/>");
    ASSERT_TRUE(doc.SaveTo(Path("chain.xml").c_str())) << doc.ReportText();
    EXPECT_TRUE(fs::is_symlink(dir / "chain.xml"));
    EXPECT_TRUE(fs::is_symlink(dir / "sub" / "up.xml"));
    EXPECT_EQ(ReadFile(Path("real.xml")), "<new/>");
    // A dangling link: the file it names is made.
    fs::create_symlink("sub/made.xml", dir / "dangling.xml");
    ASSERT_TRUE(doc.SaveTo(Path("dangling.xml").c_str())) << doc.ReportText();
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.xml"));
    EXPECT_EQ(ReadFile(dir / "sub" / "made.xml"), "<new/>");

    // A loop names no file.
    fs::create_symlink("loop-b", dir / "loop-a");
    fs::create_symlink("loop-a", dir / "loop-b");
    EXPECT_FALSE(doc.SaveTo(Path("loop-a").c_str()));
    EXPECT_EQ(doc.ReportText(), "<file_error msg=\"Too many levels of symbolic links\" n=\"40\"/>");
    EXPECT_EQ(Names(dir), (std::set<std::string>{"sub", "real.xml", "chain.xml", "dangling.xml", "loop-a", "loop-b"}));
    EXPECT_EQ(Names(dir / "sub"), (std::set<std::string>{"up.xml", "made.xml"}));
}

TEST_F(XmlFile, AFileThatMayNotBeWrittenIsRefusedAndKeptAsItWas) {
    const std::string denied = "<file_error msg=\"Permission denied\" n=\"13\"/>";
    WriteFile(Path("ro.xml"), "<old/>");
    ::chmod(Path("ro.xml").c_str(), 0444);
    fs::create_symlink("ro.xml", dir / "ro-link.xml");
    XmlTextDoc doc("<new/>");
    // Refused for root too: the user took the write bits away.
    for (const char* name : {"ro.xml", "ro-link.xml"}) {
        EXPECT_FALSE(doc.SaveTo(Path(name).c_str())) << name;
        EXPECT_EQ(doc.ReportText(), denied) << name;
    }
    EXPECT_EQ(ReadFile(Path("ro.xml")), "<old/>");
    if (::geteuid() != 0) GTEST_SKIP() << "not root: no other user's file to try as an ordinary user";

    // As an ordinary user in a folder of their own: root's file is refused, their own saved.
    WriteFile(Path("theirs.xml"), "<old/>");
    WriteFile(Path("own.xml"), "<old/>");
    ASSERT_EQ(::chown(dir.c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(::chown(Path("own.xml").c_str(), kNobody, kNobody), 0);
    const int status = AsNobody([&] {
        int failures = 0;
        XmlTextDoc mine("<new/>");
        if (mine.SaveTo(Path("theirs.xml").c_str()) || mine.ReportText() != denied) failures |= 1;
        if (!mine.SaveTo(Path("own.xml").c_str())) failures |= 2;
        return failures;
    });
    if (status == 77) GTEST_SKIP() << "could not save as user " << kNobody;
    EXPECT_EQ(status, 0) << "1: root's file saved, 2: own file not saved";
    EXPECT_EQ(ReadFile(Path("theirs.xml")), "<old/>");
    EXPECT_EQ(ReadFile(Path("own.xml")), "<new/>");
}

TEST_F(XmlFile, ASaveRemovesTheTemporaryFilesAKilledSaveOfTheSameFileLeft) {
    WriteFile(Path("ids.xml"), "<old/>");
    WriteFile(Path("ids.xml.a1B2c3"), "<LOR");
    const std::set<std::string> others = {"ids.xml.a1B2c", "ids.xml.a1B2c!", "other.xml.a1B2c3", "ids.xmlXa1B2c3"};
    for (const std::string& name : others) WriteFile(Path(name.c_str()), "x");
    fs::create_directory(dir / "ids.xml.dir123");
    fs::create_symlink("other.xml.a1B2c3", dir / "ids.xml.link12");
    // A save still running holds a lock on its temporary file.
    WriteFile(Path("ids.xml.busy12"), "<LOR");
    const int busy = ::open(Path("ids.xml.busy12").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(busy, LOCK_EX), 0);
    XmlTextDoc doc("<new/>");
    ASSERT_TRUE(doc.SaveTo(Path("ids.xml").c_str())) << doc.ReportText();
    ::close(busy);
    EXPECT_EQ(ReadFile(Path("ids.xml")), "<new/>");
    std::set<std::string> expected = others;
    expected.insert({"ids.xml", "ids.xml.dir123", "ids.xml.link12", "ids.xml.busy12"});
    EXPECT_EQ(Names(dir), expected);
}

TEST_F(XmlFile, BadBytesAndOddLengthsNeverBreakALoad) {
    const std::pair<const char*, std::string> cases[] = {
        {"odd16.xml", std::string("\xFF\xFE<\0a\0/\0>\0x", 11)},
        {"lone-surrogate.xml", std::string("\xFF\xFE<\0a\0>\0\x00\xD8<\0/\0a\0>\0", 18)},
        {"bad-utf8.xml", "<?xml version='1.0' encoding='utf-8'?><a>\xC3\x28\xFF</a>"},
        {"unknown.xml", "<?xml version='1.0' encoding='x-unknown'?><a/>"},
        {"long-name.xml", "<?xml version='1.0' encoding='" + std::string(200, 'e') + "'?><a/>"},
        {"nuls.xml", std::string("<a>\0\0</a>", 9)},
        {"utf32.xml", "<?xml version='1.0' encoding='UTF-32'?><a/>"},
    };
    for (const auto& [name, bytes] : cases) {
        WriteFile(Path(name), bytes);
        XmlTextDoc doc;
        doc.LoadFrom(Path(name).c_str());
        EXPECT_FALSE(doc.ReportText().empty()) << name;
    }
    XmlTextDoc nuls;
    EXPECT_TRUE(nuls.LoadFrom(Path("nuls.xml").c_str()));
    EXPECT_NE(nuls.ReportText().find("<nulls_removed count=\"2\"/>"), std::string::npos);
    XmlTextDoc odd;
    EXPECT_TRUE(odd.LoadFrom(Path("odd16.xml").c_str()));
    EXPECT_EQ(odd.DocText(), "<a/>");
}

TEST_F(XmlFile, RealFilesDecodeToTheirExpectedTextAndSurviveASaveAndReload) {
    const char* files[] = {"bom-utf8.xml",
                           "bom-utf16le.xml",
                           "bom-utf16be.xml",
                           "decl-iso-8859-1.xml",
                           "decl-windows-1252.xml",
                           "decl-euc-kr.xml",
                           "decl-ks_c_5601-1987.xml",
                           "decl-shift_jis.xml",
                           "decl-gb2312.xml",
                           "decl-koi8-r.xml",
                           "nodecl-cp949.xml",
                           "meta-http-equiv-euc-kr.html",
                           "meta-http-equiv-koi8-r.html"};
    textcodec::ScopedSystemCodePage utf8(65001);
    for (const char* name : files) {
        const fs::path source = kEncodings / "synthesized" / name;
        const std::string expected =
            ReadDataFile(kEncodings / "synthesized" / "expected-utf8" / (std::string(name) + ".utf8"));
        XmlTextDoc doc;
        ASSERT_TRUE(fs::is_regular_file(source)) << "missing test data file " << source;
        doc.LoadFrom(source.string().c_str());
        std::string text = doc.DocText();
        if (std::string(name) == "nodecl-cp949.xml") {
            // Unmarked and not UTF-8: taken in the system code page, here 949.
            textcodec::ScopedSystemCodePage korean(949);
            XmlTextDoc ansi;
            ansi.LoadFrom(source.string().c_str());
            text = xml::ConvertText("", "UTF-8", ansi.DocText());
        }
        EXPECT_EQ(text, expected) << name;

        const std::string copy = Path(name);
        ASSERT_TRUE(doc.SaveTo(copy.c_str())) << name << doc.ReportText();
        XmlTextDoc again;
        again.LoadFrom(copy.c_str());
        EXPECT_EQ(again.DocText(), doc.DocText()) << name;
        EXPECT_EQ(again.DocFlags(), doc.DocFlags()) << name;
    }
}

TEST_F(XmlFile, KoreanFilesLoadIntoTheKoreanCodePage) {
    for (const char* name : {"decl-euc-kr.xml", "bom-utf8.xml", "bom-utf16le.xml"}) {
        const fs::path source = kEncodings / "synthesized" / name;
        XmlTextDoc doc;
        ASSERT_TRUE(fs::is_regular_file(source)) << "missing test data file " << source;
        doc.LoadFrom(source.string().c_str());
        const std::string expected =
            ReadDataFile(kEncodings / "synthesized" / "expected-utf8" / (std::string(name) + ".utf8"));
        const std::string text = ToUtf8(doc.DocText());
        // Characters outside 949 (the UTF-16 file's U+1D11E) become '?'.
        if (std::string(name) == "bom-utf16le.xml") {
            EXPECT_NE(doc.ReportText().find("conversion_loss"), std::string::npos);
        } else {
            EXPECT_EQ(text, expected) << name;
        }
    }
}

TEST_F(XmlFile, MoreRealFilesFromOtherSuitesDecodeAsExpected) {
    textcodec::ScopedSystemCodePage utf8(65001);
    const fs::path libxml2 = kEncodings / "libxml2";
    const char* files[] = {"utf16bom.xml",
                           "utf16bebom.xml",
                           "isolat1",
                           "isolat2",
                           "iso-8859-5.xml",
                           "japancrlf.xml",
                           "icu_parse_test.xml",
                           "text-4-byte-UTF-16-LE.xml",
                           "text-4-byte-UTF-16-BE-offset.xml",
                           "utf8bom.xml"};
    for (const char* name : files) {
        const fs::path source = libxml2 / "xml" / name;
        XmlTextDoc doc;
        ASSERT_TRUE(fs::is_regular_file(source)) << "missing test data file " << source;
        doc.LoadFrom(source.string().c_str());
        const std::string expected = ReadDataFile(libxml2 / "expected-utf8" / "xml" / (std::string(name) + ".utf8"));
        EXPECT_EQ(doc.DocText(), expected) << name;
    }
    // UTF-8 without a mark, the same text as the Korean file that has none either.
    XmlTextDoc plain;
    const fs::path unmarked = kEncodings / "synthesized" / "nodecl-utf8.xml";
    ASSERT_TRUE(fs::is_regular_file(unmarked)) << "missing test data file " << unmarked;
    plain.LoadFrom(unmarked.string().c_str());
    EXPECT_EQ(plain.DocText(), ReadDataFile(kEncodings / "synthesized" / "expected-utf8" / "nodecl-cp949.xml.utf8"));
}

TEST_F(XmlFile, Gb18030TrailBytesAndFourByteFormsInAsciiRangeSurviveTheLoad) {
    // 丂 (81 40), ã (81 30 8A 30), 中 (D6 D0): trail bytes and four-byte forms below 0x80.
    const std::string head = "<?xml version=\"1.0\" encoding=\"GB18030\"?><a>";
    WriteFile(Path("gb.xml"), head + "\x81\x40\x81\x30\x8A\x30\xD6\xD0</a>");
    textcodec::ScopedSystemCodePage utf8(65001);
    XmlTextDoc doc;
    EXPECT_TRUE(doc.LoadFrom(Path("gb.xml").c_str()));
    EXPECT_EQ(doc.DocText(), head + "\xE4\xB8\x82\xC3\xA3\xE4\xB8\xAD</a>");
    EXPECT_EQ(doc.ReportText().find("conversion_loss"), std::string::npos);
}

TEST(Encodings, CopyingAsciiRunsGivesWhatConvertingTheWholeTextGives) {
    EXPECT_FALSE(xml::AsciiPassesFrom(54936));
    for (const int mbcs : {932, 936, 949, 950, 1361, 51949}) EXPECT_FALSE(xml::AsciiPassesFrom(mbcs)) << mbcs;
    EXPECT_FALSE(xml::AsciiPassesTo(932));
    for (const int stateful : {50220, 50225, 52936, 65000, 1200, 12000, 57002}) {
        EXPECT_FALSE(xml::AsciiPassesFrom(stateful)) << stateful;
        EXPECT_FALSE(xml::AsciiPassesTo(stateful)) << stateful;
    }
    std::mt19937 random(20261207);
    const auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    int sources = 0;
    int targets = 0;
    for (int cp = 1; cp < 65536; ++cp) {
        if (!textcodec::IsConvertible(cp)) continue;
        // The page's own characters, written in it.
        std::vector<std::string> own;
        for (const char16_t c : kPool) {
            std::string b;
            bool lost = false;
            if (textcodec::FromUtf16(cp, std::u16string_view(&c, 1), b, &lost) && !lost) own.push_back(b);
        }
        if (xml::AsciiPassesFrom(cp)) {
            ++sources;
            for (int i = 0; i < 1500; ++i) {
                // ASCII runs between the page's characters and stray bytes of 0x80 and above.
                std::string in;
                for (int piece = pick(8); piece >= 0; --piece) {
                    const int kind = pick(3);
                    for (int k = pick(4); k >= 0; --k) {
                        if (kind == 0) in += static_cast<char>(pick(0x80));
                        if (kind == 1) in += static_cast<char>(0x80 + pick(0x80));
                        if (kind == 2 && !own.empty())
                            in += own[static_cast<std::size_t>(pick(static_cast<int>(own.size())))];
                    }
                }
                std::u16string wide;
                ASSERT_TRUE(textcodec::ToUtf16(cp, in, wide)) << cp;
                for (const int target : {textcodec::kCpUtf8, 949}) {
                    std::string whole;
                    bool wholeLost = false;
                    textcodec::FromUtf16(target, wide, whole, &wholeLost);
                    bool lost = false;
                    EXPECT_EQ(xml::ConvertCodePages(cp, target, in, &lost), whole)
                        << cp << " to " << target << ": " << Hex(in);
                    if (target == 949) {
                        EXPECT_EQ(lost, wholeLost) << cp << ": " << Hex(in);
                    }
                }
            }
        }
        if (xml::AsciiPassesTo(cp)) {
            ++targets;
            for (int i = 0; i < 1500; ++i) {
                // ASCII between other characters, surrogate pairs and lone surrogates.
                std::u16string units;
                for (int k = pick(12); k >= 0; --k) {
                    switch (pick(4)) {
                        case 0: units += static_cast<char16_t>(pick(0x80)); break;
                        case 1: units += kPool[pick(std::size(kPool))]; break;
                        case 2: units += u"\U0001D11E"; break;
                        default: units += static_cast<char16_t>(0xD800 + pick(0x800)); break;
                    }
                }
                std::string whole;
                bool wholeLost = false;
                textcodec::FromUtf16(cp, units, whole, &wholeLost);
                const std::string bytes(reinterpret_cast<const char*>(units.data()), units.size() * 2);
                bool lost = false;
                EXPECT_EQ(xml::ConvertCodePages(textcodec::kCpUtf16Le, cp, bytes, &lost), whole)
                    << cp << ": " << Hex(bytes);
                if (cp != textcodec::kCpUtf8 && cp != 54936) {  // pages that never flag a loss
                    EXPECT_EQ(lost, wholeLost) << cp << ": " << Hex(bytes);
                }
            }
        }
    }
    EXPECT_GE(sources, 20);
    EXPECT_GT(targets, sources);
}

TEST(Encodings, AnOddByteAnywhereInALongKoreanTextConvertsAsInTheWholeText) {
    // Hangul words between runs of ASCII of every length up to 40, long
    // enough for the tables, in UTF-8 and EUC-KR; at each of the first 200
    // positions in turn, a byte sequence the blocks of plain characters do
    // not take: a continuation byte alone, a two- or four-byte character, a
    // lead byte before ASCII, a pair outside EUC-KR's Hangul, a character
    // 949 lacks, an overlong form. With and without the processor's wider
    // vectors.
    std::string euckr;
    for (int k = 0; euckr.size() < 5000; ++k) {
        if (k % 4 == 3) {
            // Runs of differing letters: bytes a conversion failed to write
            // would differ from the last conversion's (all in the same buffer).
            if (k % 8 == 3) euckr += ' ';
            for (int j = k % 8 == 3 ? 0 : k / 8 % 41; j > 0; --j) euckr += static_cast<char>('a' + (j + k) % 26);
        } else {
            euckr += static_cast<char>(0xB0 + k % 25);
            euckr += static_cast<char>(0xA1 + 7 * k % 94);
        }
    }
    std::u16string wide;
    ASSERT_TRUE(textcodec::ToUtf16(51949, euckr, wide));
    // Forms: UTF-8, EUC-KR, UTF-8 with SSE2 only.
    for (const int form : {0, 1, 2}) {
        std::optional<textcodec::ScopedBaselineVectors> baseline;
        if (form == 2) baseline.emplace();
        const int from = form == 1 ? 51949 : textcodec::kCpUtf8;
        std::string text;
        ASSERT_TRUE(textcodec::FromUtf16(from, wide, text));
        // The text alone, from each of 64 starts: all of it goes through the tables.
        for (std::size_t start = 0; start < 64; ++start) {
            std::u16string read;
            ASSERT_TRUE(textcodec::ToUtf16(from, text.substr(start), read));
            std::string whole;
            ASSERT_TRUE(textcodec::FromUtf16(949, read, whole));
            ASSERT_EQ(xml::ConvertCodePages(from, 949, text.substr(start)), whole)
                << "form " << form << " from " << start;
        }
        const char* const odd[] = {"\x80",     "\xC3\xA9", "\xF0\x9D\x84\x9E", "\xEA\x41",
                                   "\x81\x41", "\xB0\x20", "\xE4\xB8\x82",     "\xE0\x82\xB7"};
        for (std::size_t at = 0; at < 200; ++at) {
            for (const char* bytes : odd) {
                const std::string in = text.substr(0, at) + bytes + text.substr(at);
                std::u16string read;
                ASSERT_TRUE(textcodec::ToUtf16(from, in, read));
                std::string whole;
                bool wholeLost = false;
                ASSERT_TRUE(textcodec::FromUtf16(949, read, whole, &wholeLost));
                bool lost = false;
                ASSERT_EQ(xml::ConvertCodePages(from, 949, in, &lost), whole)
                    << "form " << form << " at " << at << ": " << Hex(bytes);
                EXPECT_EQ(lost, wholeLost) << "form " << form << " at " << at;
            }
        }
    }
}

TEST(Encodings, LongTextsConvertedByTablesMatchConvertingTheWholeText) {
    // Long texts of a page's own characters (Hangul, Chinese, Greek, Latin,
    // ASCII words and lines), now and then a character a target lacks, one
    // beyond the BMP, or a stray byte: every pair of pages must give what the
    // converter gives for the whole text, and flag the same losses.
    std::mt19937 random(949);
    const auto pick = [&random](unsigned n) { return random() % n; };
    for (const int from : {textcodec::kCpUtf8, textcodec::kCpUtf16Le, 51949, 949, 936, 950, 1252, 932, 54936}) {
        for (const int to : {949, 936, 950, 1252, 51949, 54936, 932}) {
            for (int round = 0; round < 6; ++round) {
                // One round without stray bytes runs past the converter's 16 KB write buffer.
                const std::size_t length = round == 4 ? 24000 : 3000;
                std::u16string wide;
                while (wide.size() < length) {
                    switch (pick(10)) {
                        case 0: wide += u"ID FFFFFF\r\n"; break;
                        case 1: wide += static_cast<char16_t>(0x4E00 + pick(0x5000)); break;
                        case 2: wide += static_cast<char16_t>(0x391 + pick(0x30)); break;
                        case 3: wide += static_cast<char16_t>(0xA0 + pick(0x60)); break;
                        case 4: wide += pick(40) ? u' ' : static_cast<char16_t>(0xE01 + pick(0x30)); break;
                        case 5:
                            if (!pick(30)) wide += u"\U0001D11E";
                            break;
                        default: wide += static_cast<char16_t>(0xAC00 + pick(11172)); break;
                    }
                }
                std::string text;
                ASSERT_TRUE(textcodec::FromUtf16(from, wide, text));
                if (round % 2) {
                    for (int k = 0; k < 3; ++k)
                        text[pick(static_cast<unsigned>(text.size()))] = static_cast<char>(0x80 + pick(0x80));
                }
                // UTF-16 text is taken unit by unit, lone surrogates as they are.
                std::u16string read(reinterpret_cast<const char16_t*>(text.data()), text.size() / 2);
                if (from != textcodec::kCpUtf16Le) {
                    ASSERT_TRUE(textcodec::ToUtf16(from, text, read));
                }
                std::string whole;
                bool wholeLost = false;
                ASSERT_TRUE(textcodec::FromUtf16(to, read, whole, &wholeLost));
                bool lost = false;
                const std::string converted = xml::ConvertCodePages(from, to, text, &lost);
                ASSERT_EQ(converted, whole) << from << " to " << to << ", round " << round;
                if (to != 54936) {  // a page that flags no loss
                    EXPECT_EQ(lost, wholeLost) << from << " to " << to << ", round " << round;
                }
            }
        }
    }
}
