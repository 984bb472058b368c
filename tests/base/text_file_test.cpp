#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "base/encoding.hpp"
#include "base/line_reader.hpp"
#include "base/line_sink.hpp"
#include "base/text_file.hpp"

using namespace kestrova;
namespace fs = std::filesystem;

namespace {
fs::path Scratch(const char* name) {
    fs::path dir = fs::path(KESTROVA_TEST_TMP) / "text_file";
    fs::create_directories(dir);
    return dir / name;
}
void WriteRaw(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}
std::string ReadRaw(const fs::path& p) { return ReadFileBytes(p.string()); }
}  // namespace

TEST(TextFile, ReadsWindows1252AndUtf8WithEitherLineEnd) {
    const auto a = Scratch("ansi.crt");
    WriteRaw(a, "station \xE9t\xE9\r\nligne 2\r\n");
    EXPECT_EQ(ReadTextLines(a.string()), (std::vector<std::string>{"station été", "ligne 2"}));

    const auto u = Scratch("utf8.crt");
    WriteRaw(u, "\xEF\xBB\xBFstation été\nfin");
    EXPECT_EQ(ReadTextLines(u.string()), (std::vector<std::string>{"station été", "fin"}));
}

// A look at the beginning of a file of any size: whole lines within the
// limit, a long single line cut between two characters, the same text as
// the whole-file reader when the file fits.
TEST(TextFile, StartOfAFileWithinALimit) {
    const auto lines = Scratch("start.xml");
    WriteRaw(lines, "ligne \xE9t\xE9 1\r\nligne 2\r\nligne 3\r\n");
    bool more = true;
    EXPECT_EQ(ReadTextStart(lines.string(), 1000, more), ReadTextLines(lines.string()));
    EXPECT_FALSE(more);
    EXPECT_EQ(ReadTextStart(lines.string(), 22, more), (std::vector<std::string>{"ligne été 1", "ligne 2"}));
    EXPECT_TRUE(more);
    // Exactly the file (31 bytes): nothing left out.
    EXPECT_EQ(ReadTextStart(lines.string(), 31, more).size(), 3u);
    EXPECT_FALSE(more);

    // One line of two-byte characters: an odd limit does not split one.
    const auto wide = Scratch("wide.xml");
    std::string text;
    for (int i = 0; i < 50; ++i) text += "é";
    WriteRaw(wide, text);
    const std::vector<std::string> cut = ReadTextStart(wide.string(), 11, more);
    EXPECT_TRUE(more);
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0], "ééééé");

    EXPECT_THROW(ReadTextStart(Scratch("absent.xml").string(), 10, more), TextFileError);
}

TEST(TextFile, WritesWindows1252WithCrLf) {
    const auto p = Scratch("out.obs");
    WriteTextLines(p.string(), {"Évry €", "x→y"});
    EXPECT_EQ(ReadRaw(p), "\xC9vry \x80\r\nx?y\r\n");
}

// Lines go out through a block of their bytes: ASCII ones as they are
// (control characters included), the others encoded into it, across the
// ends of the block, a line longer than the block too.
TEST(TextFile, ManyLinesThroughTheWriteBlock) {
    const auto p = Scratch("many.chk");
    const std::vector<std::string> kinds = {"Données brutes", "Point visé  12.5", "plain 1234.5678", "",
                                            "tab\there \x01", "€ x→y", std::string(300000, 'a') + "é"};
    std::vector<std::string> lines;
    std::string expected;
    for (int i = 0; i < 40000; ++i) {
        const std::string& line = kinds[static_cast<std::size_t>(i * 7 + i / 13) % (i % 997 == 0 ? 7 : 6)];
        lines.push_back(line);
        expected += Utf8ToCp1252(line) + "\r\n";
    }
    std::string error;
    ASSERT_TRUE(WriteLinesAtomically(p.string(), FileEncoding::Cp1252, &error, [&](TLineSink& sink) {
        for (const std::string& line : lines) sink.Add(line);
    })) << error;
    const std::string written = ReadRaw(p);
    const auto [mismatch, unused] = std::mismatch(written.begin(), written.end(), expected.begin(), expected.end());
    EXPECT_EQ(written.size(), expected.size());
    EXPECT_EQ(mismatch - written.begin(), static_cast<std::ptrdiff_t>(std::min(written.size(), expected.size())))
        << "first byte that differs";
}

TEST(TextFile, XmlCharactersOutsideLatin1BecomeReferences) {
    const auto p = Scratch("out.xml");
    WriteTextLines(p.string(), {"<a n=\"é€\"/>"}, FileEncoding::Latin1Xml);
    EXPECT_EQ(ReadRaw(p), "<a n=\"\xE9&#8364;\"/>\r\n");
}

TEST(TextFile, FailedWriteKeepsTheOldFileAndNamesThePath) {
    const auto p = Scratch("kept.txt");
    WriteTextLines(p.string(), {"old"});
    const std::string missingDir = (Scratch("nowhere") / "sub" / "f.txt").string();
    try {
        WriteTextLines(missingDir, {"x"});
        FAIL() << "write into a missing folder succeeded";
    } catch (const TextFileError& e) {
        EXPECT_NE(std::string(e.what()).find(missingDir), std::string::npos);
    }
    EXPECT_EQ(ReadRaw(p), "old\r\n");
    std::string err;
    EXPECT_FALSE(TryWriteTextLines(missingDir, {"x"}, FileEncoding::Cp1252, &err));
    EXPECT_FALSE(err.empty());
    // No temporary file is left beside the target.
    int entries = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(p.parent_path()))
        if (e.path().filename().string().rfind(".kept", 0) == 0) ++entries;
    EXPECT_EQ(entries, 0);
}

TEST(TextFile, ReadOnlyFileIsNotReplaced) {
    // A writable folder holding a result the user protected read-only. The
    // write runs in a child process as an ordinary user (root may write it).
    const fs::path dir = fs::temp_directory_path() / ("kestrova_ro_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::permissions(dir, fs::perms::all);
    const fs::path target = dir / "protege.obs";
    WriteRaw(target, "kept\r\n");
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        try {
            WriteTextLines(target.string(), {"new"});
            ::_exit(0);
        } catch (const TextFileError& e) {
            ::_exit(std::string(e.what()).find(target.string()) == 0 ? 1 : 2);
        } catch (...) {
            ::_exit(2);
        }
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(ReadRaw(target), "kept\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 1);  // no temporary left
    fs::remove_all(dir);
}

TEST(TextFile, LinksAreFollowedAndPipesWrittenInPlace) {
    // A result kept in a shared folder through a link: the file is
    // replaced, the link stays a link.
    const auto real = Scratch("partage.obs");
    const auto link = Scratch("lien.obs");
    fs::remove(link);
    WriteRaw(real, "old\r\n");
    fs::create_symlink(real, link);
    WriteTextLines(link.string(), {"new"});
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadRaw(real), "new\r\n");

    // A pipe (like -o /dev/stdout or /dev/null) receives the bytes and
    // stays a pipe; a rename would have replaced the node.
    const auto fifo = Scratch("tube");
    fs::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    WriteTextLines(fifo.string(), {"ligne"});
    EXPECT_TRUE(fs::is_fifo(fifo));
    char buf[32] = {};
    const ssize_t n = ::read(reader, buf, sizeof buf);
    ::close(reader);
    EXPECT_EQ(std::string(buf, n > 0 ? static_cast<size_t>(n) : 0), "ligne\r\n");

    // A folder is not a file to write.
    EXPECT_THROW(WriteTextLines(Scratch("").string(), {"x"}), TextFileError);
}

TEST(TextFile, MissingFileRaisesWithItsPath) {
    const std::string p = Scratch("absent.crt").string();
    EXPECT_THROW(ReadTextLines(p), TextFileError);
    EXPECT_FALSE(FileExists(p));
}

TEST(TextFile, FileNameHelpers) {
    EXPECT_EQ(ChangeFileExt("/a/b.c/res", ".obs"), "/a/b.c/res.obs");
    EXPECT_EQ(ChangeFileExt("res.txt", ".chk"), "res.chk");
    EXPECT_EQ(ExtractFileExt("/a/b/res.obs"), ".obs");
    EXPECT_EQ(ExtractFileDir("/a/b/res.obs"), "/a/b");
    EXPECT_EQ(ExtractFileName("/a/b/res.obs"), "res.obs");
}

TEST(Encoding, RoundTripOfTheCodePage) {
    std::string all;
    for (int b = 0x20; b < 0x100; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
    EXPECT_EQ(XmlEscape("a&b<c>\"d\""), "a&amp;b&lt;c&gt;&quot;d&quot;");
    EXPECT_EQ(DecodeFileText("caf\xE9"), "café");
}

TEST(TextLineReader, StreamsTheSameLinesAsTheWholeFileReader) {
    const auto ansi = Scratch("stream_ansi.crt");
    WriteRaw(ansi, "station \xE9t\xE9\r\n\r\nfin sans saut");
    const auto utf8 = Scratch("stream_utf8.xcrt");
    WriteRaw(utf8, "\xEF\xBB\xBF<?xml version=\"1.0\"?>\nnom été\n");
    for (const auto& p : {ansi, utf8}) {
        TTextLineReader reader(p.string(), "<?xml");
        std::vector<std::string> lines;
        std::string line;
        while (reader.Next(line)) lines.push_back(line);
        EXPECT_EQ(lines, ReadTextLines(p.string())) << p;
        EXPECT_EQ(reader.MarkerFound(), p == utf8);
        EXPECT_EQ(reader.IsUtf8(), p == utf8);
    }
    EXPECT_THROW(TTextLineReader(Scratch("absent.crt").string()), TextFileError);
    EXPECT_THROW(TTextLineReader(Scratch("").string()), TextFileError);  // a folder
}

TEST(TextLineReader, ChunkBoundariesAndOverlongLines) {
    // An "é" and the marker cut by the end of the first 1 MiB chunk (the
    // chunk of a file of 1 MiB or more).
    const std::size_t chunk = std::size_t(1) << 20;
    std::string bytes(chunk - 1, 'a');
    bytes += "\xC3\xA9\n";
    const auto accent = Scratch("stream_boundary.crt");
    WriteRaw(accent, bytes + "fin\n");
    std::string markerBytes(chunk - 3, 'b');
    const auto marker = Scratch("stream_marker.xcrt");
    WriteRaw(marker, markerBytes + "<?xml ?>\n");
    for (const auto& p : {accent, marker}) {
        TTextLineReader reader(p.string(), "<?xml");
        EXPECT_TRUE(reader.IsUtf8()) << p;
        EXPECT_EQ(reader.MarkerFound(), p == marker) << p;
        std::vector<std::string> lines;
        std::string line;
        while (reader.Next(line)) lines.push_back(line);
        EXPECT_EQ(lines, ReadTextLines(p.string())) << p;
    }
    // A sequence cut by the end of the file is not UTF-8.
    const auto cut = Scratch("stream_cut.crt");
    WriteRaw(cut, "nom \xC3");
    EXPECT_FALSE(TTextLineReader(cut.string()).IsUtf8());

    // A line of the limit is read; one byte more is refused, naming the line.
    const auto big = Scratch("stream_big.crt");
    WriteRaw(big, "station S1\r\n" + std::string(kMaxLineBytes, 'A') + "\r\n" + std::string(kMaxLineBytes + 1, 'A'));
    TTextLineReader reader(big.string());
    std::string line;
    ASSERT_TRUE(reader.Next(line));
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line.size(), kMaxLineBytes);
    try {
        reader.Next(line);
        FAIL() << "no error";
    } catch (const TextFileError& e) {
        EXPECT_EQ(e.path(), big.string());
        EXPECT_EQ(e.reason(), "ligne 3 : plus de 16 Mo sans fin de ligne, le fichier n'est pas lu");
    }
    fs::remove(big);
}

TEST(TextLineReader, ViewsOverAGrowingBufferSameAsTheWholeFile) {
    // Lines of every length around the read buffer's end (1 MiB), one
    // longer than the buffer, CR LF and LF, Windows-1252 accents on some
    // lines (the others are handed out without conversion), then the same
    // text in UTF-8.
    std::string ansi;
    unsigned seed = 1;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    while (ansi.size() < (std::size_t(3) << 20)) {
        const std::size_t length = next() % 300;
        std::string line(length, 'x');
        if (length > 3 && next() % 7 == 0) line[length / 2] = '\xE9';
        ansi += line + (next() % 2 ? "\r\n" : "\n");
        if (ansi.size() > (std::size_t(3) << 19) && ansi.size() < (std::size_t(3) << 19) + 400)
            ansi += std::string((std::size_t(3) << 19), 'L') + "\n";
    }
    ansi += "derni\xE8re";  // no line end
    const auto a = Scratch("views_ansi.crt");
    const auto u = Scratch("views_utf8.crt");
    WriteRaw(a, ansi);
    WriteRaw(u, Cp1252ToUtf8(ansi));
    for (const auto& p : {a, u}) {
        TTextLineReader reader(p.string());
        EXPECT_EQ(reader.IsUtf8(), p == u);
        std::vector<std::string> lines;
        std::string_view line;
        while (reader.Next(line)) lines.emplace_back(line);
        EXPECT_EQ(lines, ReadTextLines(p.string())) << p;
        fs::remove(p);
    }
}

TEST(TextLineReader, LargeFileScannedInTwoHalves) {
    // From 8 MiB on, the first pass scans the halves side by side: what
    // either half holds (an 8-bit byte, the marker) counts for the file.
    std::string body;
    while (body.size() < (std::size_t(9) << 20)) body += "  numero 12 AH_gr 1.2345 AV_gr 99.1234 Dp_m 10.0000\r\n";
    const auto p = Scratch("scan_halves.crt");
    struct TCase {
        std::string tail;
        bool utf8, marker;
    };
    for (const TCase& c : {TCase{"", true, false}, TCase{"fin <?xml\n", true, true},
                           TCase{"\xE9t\xE9\n", false, false}, TCase{"\xC3\xA9t\xC3\xA9\n", true, false}}) {
        WriteRaw(p, body + c.tail);
        TTextLineReader reader(p.string(), "<?xml");
        EXPECT_EQ(reader.IsUtf8(), c.utf8) << c.tail;
        EXPECT_EQ(reader.MarkerFound(), c.marker) << c.tail;
        const std::string all = body + c.tail;
        EXPECT_EQ(reader.LineEnds(), static_cast<std::size_t>(std::count(all.begin(), all.end(), '\n')));
        EXPECT_EQ(reader.FileBytes(), all.size());
        for (std::size_t at : {std::size_t(0), all.size() / 3, all.size() / 2 + 100, all.size() - 1}) {
            const TTextLineReader::TCheckpoint cp = reader.CheckpointBefore(at);
            EXPECT_LE(cp.offset, at);
            EXPECT_EQ(cp.lineEnds, static_cast<std::size_t>(std::count(all.begin(), all.begin() + static_cast<long>(cp.offset), '\n')));
        }
    }
    fs::remove(p);
}

TEST(TextLineReader, LfCrLfAndLoneCrAreOneRuleForEveryReading) {
    EXPECT_EQ(SplitTextLines("a\nb\r\nc\rd\r\r\ne\r"), (std::vector<std::string>{"a", "b", "c", "d", "", "e"}));
    EXPECT_EQ(SplitTextLines("\r\r"), (std::vector<std::string>{"", ""}));

    // A file of 9 MiB (its halves scanned side by side) whose lines end at
    // random with LF, CR LF or CR alone, with a CR LF cut by the end of the
    // scan's first 64 KiB chunk and a lone CR ending its second one.
    std::vector<std::string> expected;
    std::vector<std::size_t> nextStarts;  // where the line after each one starts
    std::string text;
    unsigned seed = 7;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    const std::size_t kChunk = std::size_t(64) << 10;
    while (text.size() < (std::size_t(9) << 20)) {
        std::string line(next() % 120, 'x');
        if (!line.empty()) line[0] = static_cast<char>('a' + expected.size() % 26);
        const char* end = next() % 3 == 0 ? "\n" : next() % 2 ? "\r\n" : "\r";
        for (std::size_t edge : {kChunk - 1, 2 * kChunk - 1}) {
            // This line ends across the edge: end it there instead.
            if (text.size() <= edge && text.size() + line.size() + 2 > edge) {
                line.assign(edge - text.size(), 'y');
                end = edge == kChunk - 1 ? "\r\n" : "\r";
            }
        }
        if (line.empty() && !expected.empty() && std::string(end) == "\n" && text.back() == '\r') end = "\r\n";
        text += line + end;
        expected.push_back(line);
        nextStarts.push_back(text.size());
    }
    ASSERT_EQ(text.substr(kChunk - 1, 2), "\r\n");
    ASSERT_EQ(text[2 * kChunk - 1], '\r');
    ASSERT_NE(text[2 * kChunk], '\n');
    const auto p = Scratch("line_ends.txt");
    WriteRaw(p, text);

    EXPECT_EQ(ReadTextLines(p.string()), expected);
    TTextLineReader reader(p.string());
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.Next(line)) lines.emplace_back(line);
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(reader.LineEnds(), expected.size());

    // Reading again from a checkpoint of the scan numbers the lines as the
    // whole reading does.
    for (std::size_t at : {kChunk, 2 * kChunk, text.size() / 2 + 5000, text.size() - 10}) {
        const TTextLineReader::TCheckpoint cp = reader.CheckpointBefore(at);
        const auto before = static_cast<std::size_t>(
            std::upper_bound(nextStarts.begin(), nextStarts.end(), cp.offset) - nextStarts.begin());
        EXPECT_EQ(cp.lineEnds, before) << cp.offset;
        TTextLineReader from(p.string(), reader.IsUtf8(), cp.offset, static_cast<long long>(cp.lineEnds));
        ASSERT_TRUE(from.Next(line));  // the line the checkpoint falls in
        for (int k = 0; k < 3 && from.LineNumber() < static_cast<long long>(expected.size()); ++k) {
            const auto number = static_cast<std::size_t>(from.LineNumber());
            ASSERT_TRUE(from.Next(line));
            EXPECT_EQ(std::string(line), expected[number]) << cp.offset;
        }
    }
    fs::remove(p);
}
