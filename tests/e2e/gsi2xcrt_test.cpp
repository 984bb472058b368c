// "kestrova -x gsi2xcrt": a GSI recording becomes an XML field book that the
// reduction reads.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "e2e/run_binary.hpp"

namespace fs = std::filesystem;
using e2e::RunKestrova;
using e2e::ShellQuote;
using e2e::Slurp;

namespace {

const fs::path kData = fs::path(KESTROVA_TEST_DATA) / "gsi";

class Gsi2XcrtTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(KESTROVA_TEST_TMP) / "gsi2xcrt" /
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "ini");
        env_ = "Kestrova=" + ShellQuote((dir_ / "ini").string());
    }
    e2e::RunResult Convert(const fs::path& in, const std::string& out) {
        return RunKestrova("-x gsi2xcrt -i " + ShellQuote(in.string()) + " -o " + ShellQuote(out), env_, dir_);
    }
    fs::path dir_;
    std::string env_;
};

// Blank-separated fields of the lines of a text.
std::vector<std::vector<std::string>> Fields(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream ls(line);
        std::vector<std::string> row;
        std::string f;
        while (ls >> f) row.push_back(f);
        rows.push_back(row);
    }
    return rows;
}

bool HasRow(const std::vector<std::vector<std::string>>& rows, const std::vector<std::string>& start) {
    for (const auto& row : rows)
        if (row.size() >= start.size() && std::equal(start.begin(), start.end(), row.begin())) return true;
    return false;
}

}  // namespace

TEST_F(Gsi2XcrtTest, ConvertsThenReduces) {
    const auto r = Convert(kData / "station_set.gsi", "book.xcrt");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Param x : gsi2xcrt\n"), std::string::npos);
    // The output name is used as given, without any extension change.
    ASSERT_TRUE(fs::exists(dir_ / "book.xcrt"));
    EXPECT_EQ(Slurp(dir_ / "book.xcrt"), Slurp(kData / "station_set.xcrt"));

    const auto red = RunKestrova("-x crt2obs -i book.xcrt -o res", env_, dir_);
    ASSERT_EQ(red.status, 0) << red.err;
    const auto obs = Fields(Slurp(dir_ / "res.obs"));
    // Directions reduced on the first target of each station, zenith
    // angles averaged over both faces.
    EXPECT_TRUE(HasRow(obs, {"7", "1001", "1002", "0.0000"}));
    EXPECT_TRUE(HasRow(obs, {"5", "1001", "1003", "99.6547"}));
    EXPECT_TRUE(HasRow(obs, {"5", "1001", "1004", "244.4434"}));
    EXPECT_TRUE(HasRow(obs, {"6", "1001", "1002", "98.7654"}));
    EXPECT_TRUE(HasRow(obs, {"5", "1002", "1003", "50.1234"}) || HasRow(obs, {"5", "1002", "1003", "50.1235"}));
    EXPECT_TRUE(HasRow(obs, {"6", "1002", "1003", "99.0000"}));
}

TEST_F(Gsi2XcrtTest, LineEndsAndByteOrderMarkDoNotChangeTheBook) {
    // The same recording with LF line ends, a UTF-8 byte order mark and
    // no line end after its last line.
    std::string gsi = Slurp(kData / "station_set.gsi");
    std::string lf = "\xEF\xBB\xBF";
    for (char c : gsi)
        if (c != '\r') lf += c;
    while (!lf.empty() && lf.back() == '\n') lf.pop_back();
    std::ofstream(dir_ / "lf.gsi", std::ios::binary) << lf;
    const auto r = Convert(dir_ / "lf.gsi", "lf.xcrt");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp(dir_ / "lf.xcrt"), Slurp(kData / "station_set.xcrt"));
}

TEST_F(Gsi2XcrtTest, HeaderStyleComesFromTheIniAndTextStaysLatin1) {
    std::ofstream(dir_ / "ini" / "Kestrova.ini") << "[import]\r\nentete_gsi=covadis\r\n";
    const auto r = Convert(kData / "covadis.gsi", "cov.xcrt");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string xml = Slurp(dir_ / "cov.xcrt");
    EXPECT_NE(xml.find("<station num=\"1\" pt_sta=\"S\xe9" "2\" temp=\"12.0\" press=\"760.1\" Ht=\"1.544\" "
                       "etalonnage=\"0\">\r\n"),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find("<obs pt_vis=\"P\xe9\" Hz=\"100.00000\" V=\"100.00000\" Dp=\"10.0000\" Hv=\"1.300\" "
                       "ppm=\"0\" cste=\"0.000\" />\r\n"),
              std::string::npos)
        << xml;
}

TEST_F(Gsi2XcrtTest, FailuresWriteNothing) {
    auto r = Convert(dir_ / "absent.gsi", "none.xcrt");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Impossible de lire le fichier GSI"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "none.xcrt"));

    // An unreadable value stops the conversion; an existing book is kept.
    std::ofstream(dir_ / "kept.xcrt") << "previous";
    r = Convert(kData / "unreadable_distance.gsi", "kept.xcrt");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ligne 3"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("mot 31"), std::string::npos) << r.err;
    EXPECT_EQ(Slurp(dir_ / "kept.xcrt"), "previous");
}

TEST_F(Gsi2XcrtTest, OutputNamedLikeTheRecordingKeepsTheRecording) {
    fs::copy_file(kData / "station_set.gsi", dir_ / "levé.gsi");
    const std::string before = Slurp(dir_ / "levé.gsi");
    auto r = Convert(dir_ / "levé.gsi", "levé.gsi");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Le fichier de sortie levé.gsi"), std::string::npos) << r.err;
    EXPECT_EQ(Slurp(dir_ / "levé.gsi"), before);
    // A hard link is the same file under another name.
    fs::create_hard_link(dir_ / "levé.gsi", dir_ / "lien.xcrt");
    r = Convert(dir_ / "levé.gsi", "lien.xcrt");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Slurp(dir_ / "levé.gsi"), before);
    // An existing book of another name is still replaced.
    std::ofstream(dir_ / "autre.xcrt") << "previous";
    r = Convert(dir_ / "levé.gsi", "autre.xcrt");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(Slurp(dir_ / "autre.xcrt").find("<carnet>"), std::string::npos);
}

namespace {

// Observation lines of an .obs file (comments and blank lines left out).
std::vector<std::string> ObservationLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::istringstream in(bytes);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] >= '0' && line[0] <= '9') lines.push_back(line);
    }
    return lines;
}

struct Recording {
    const char* gsi;
    std::vector<std::string> obs;  // values worked out by hand from the recording
};

}  // namespace

// Recordings of current instruments: GSI16 set-up blocks (words 84 to 88,
// no "41" line) with a coordinate record, word 51 written as two 8- and
// 7-digit integers and a set-up word with a short information part; GSI8
// with a "41" code word carrying the station name in 42 and the height in
// 43, angles in DMS, gon, mil and decimal degrees, distances in feet,
// 1/10000 ft, 0.1 mm and a horizontal distance in 0.01 mm. Each is
// converted, compared whole with its book, then reduced: every .obs line
// has its station, and the values are those worked out by hand (faces
// averaged, directions on the first target, distances without the
// instrument's 8 ppm).
TEST_F(Gsi2XcrtTest, CurrentRecordingsConvertThenReduce) {
    std::ofstream(dir_ / "ini" / "Kestrova.ini")
        << "[import]\r\nentete_gsi=tc800\r\n[export]\r\nexport_hauteurs_brelix=Y\r\n";
    const std::vector<Recording> recordings = {
        {"setup_blocks16",
         {
             "7 ST1              101                  0.0000     0.0008 0.0000   1.5500   1.6000 ",
             "5 ST1              102                100.3765     0.0008 0.0000   1.5500   1.6000 ",
             "5 ST1              103                240.6267     0.0008 0.0000   1.5500   1.6000 ",
             "6 ST1              101                 95.4318     0.0012 0.0000   1.5500   1.6000 ",
             "6 ST1              102                101.1997     0.0012 0.0000   1.5500   1.6000 ",
             "6 ST1              103                 98.9998     0.0012 0.0000   1.5500   1.6000 ",
             "3 ST1              101                123.4558     0.0010 0.0000   1.5500   1.6000 ",
             "3 ST1              102                 87.6535     0.0010 0.0000   1.5500   1.6000 ",
             "3 ST1              103                201.1096     0.0010 0.0000   1.5500   1.6000 ",
             "7 ST2              ST1                  0.0000     0.0008 0.0000   1.5550   1.6000 ",
             "5 ST2              101                 75.2501     0.0008 0.0000   1.5550   1.6000 ",
             "5 ST2              103                310.0002     0.0008 0.0000   1.5550   1.6000 ",
             "6 ST2              ST1                100.4999     0.0012 0.0000   1.5550   1.6000 ",
             "6 ST2              101                 98.0001     0.0012 0.0000   1.5550   1.6000 ",
             "6 ST2              103                102.0003     0.0012 0.0000   1.5550   1.6000 ",
             "3 ST2              ST1                149.9989     0.0010 0.0000   1.5550   1.6000 ",
             "3 ST2              101                 59.9996     0.0010 0.0000   1.5550   1.6000 ",
             "3 ST2              103                 99.9984     0.0010 0.0000   1.5550   1.6000 ",
         }},
        {"mixed_units8",
         {
             "7 BP04             3001                 0.0000     0.0008 0.0000   1.5380   1.5000 ",
             "5 BP04             3002               100.2824     0.0008 0.0000   1.5380   1.5000 ",
             "6 BP04             3001                98.7653     0.0012 0.0000   1.5380   1.5000 ",
             "6 BP04             3002               100.1235     0.0012 0.0000   1.5380   1.5000 ",
             "3 BP04             3001               100.0001     0.0010 0.0000   1.5380   1.5000 ",
             "3 BP04             3002               152.4001     0.0010 0.0000   1.5380   1.5000 ",
             "7 BP05             BP04                 0.0000     0.0008 0.0000   1.4200   1.5000 ",
             "5 BP05             3001                50.0000     0.0008 0.0000   1.4200   1.5000 ",
             "6 BP05             BP04                99.9999     0.0012 0.0000   1.4200   1.5000 ",
             "6 BP05             3001                99.0002     0.0012 0.0000   1.4200   1.5000 ",
             "3 BP05             BP04               150.0000     0.0010 0.0000   1.4200   1.5000 ",
             "3 BP05             3001                79.9996     0.0010 0.0000   1.4200   1.5000 ",
         }},
    };
    for (const Recording& rec : recordings) {
        SCOPED_TRACE(rec.gsi);
        const std::string name = rec.gsi;
        const auto r = Convert(kData / (name + ".gsi"), name + ".xcrt");
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(Slurp(dir_ / (name + ".xcrt")), Slurp(kData / (name + ".xcrt")));
        const auto red = RunKestrova("-x crt2obs -i " + name + ".xcrt -o " + name, env_, dir_);
        ASSERT_EQ(red.status, 0) << red.err;
        EXPECT_EQ(ObservationLines(Slurp(dir_ / (name + ".obs"))), rec.obs);
        if (name == "setup_blocks16")
            EXPECT_NE(r.err.find("1 enregistrement de coordonnées (mots 81 à 83) ignoré."), std::string::npos) << r.err;
        else
            EXPECT_EQ(r.err.find(" : "), std::string::npos) << r.err;  // no warning
    }
}

TEST_F(Gsi2XcrtTest, InputThatIsNotGsiIsRefused) {
    const std::string utf16("\xFF\xFE" "4\0" "1\0" "0\0" "0\0" "0\0" "1\0" "+\0" "1\0\r\0\n\0", 20);
    const std::vector<std::pair<std::string, std::string>> inputs = {
        {"texte.gsi", "Compte rendu de chantier\r\nstation 12 nivelée\r\n"},
        {"utf16.gsi", utf16},
        {"nul.gsi", std::string("\0\0\0\0\0\0\0\0\r\n", 10)},
        {"vide.gsi", ""},
    };
    for (const auto& [file, bytes] : inputs) {
        SCOPED_TRACE(file);
        std::ofstream(dir_ / file, std::ios::binary) << bytes;
        std::ofstream(dir_ / "kept.xcrt") << "previous";
        const auto r = Convert(dir_ / file, "kept.xcrt");
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("Aucun bloc GSI (mot 11 ou 41) dans le fichier"), std::string::npos) << r.err;
        EXPECT_EQ(Slurp(dir_ / "kept.xcrt"), "previous");
        for (const auto& entry : fs::directory_iterator(dir_))
            EXPECT_TRUE(entry.path().filename() == "kept.xcrt" ||
                        entry.path().filename().string().find("kept") == std::string::npos)
                << "temporary left: " << entry.path();
    }

    // A recording buried in other text converts, with the count.
    std::ofstream(dir_ / "notes.gsi", std::ios::binary)
        << "Notes du levé\r\nopérateur : J.\r\n410001+00000001 \r\nappareil : 1201\r\n";
    const auto r = Convert(dir_ / "notes.gsi", "notes.xcrt");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("3 lignes sur 4 ne sont pas des blocs GSI (mot 11 ou 41) : elles sont ignorées."),
              std::string::npos)
        << r.err;
}

// French file names: the report of a reduction named with an accent, a
// blank and brackets links its stylesheet so that xsltproc finds it.
TEST_F(Gsi2XcrtTest, ReportOfANameWithAccentsFindsItsStylesheet) {
    if (std::system("command -v xsltproc >/dev/null 2>&1") != 0) GTEST_SKIP() << "xsltproc not installed";
    ASSERT_EQ(Convert(kData / "setup_blocks16.gsi", "levé x[1].xcrt").status, 0);
    const auto red = RunKestrova("-x crt2obs -i 'levé x[1].xcrt' -o 'levé x[1]'", env_, dir_);
    ASSERT_EQ(red.status, 0) << red.err;
    EXPECT_NE(Slurp(dir_ / "levé x[1].xml").find("<?xml-stylesheet href=\"lev%C3%A9%20x%5B1%5D.xsl\""),
              std::string::npos);
    const std::string cmd = "cd " + ShellQuote(dir_.string()) + " && xsltproc 'levé x[1].xml' > page.html 2>err.txt";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << Slurp(dir_ / "err.txt");
    EXPECT_NE(Slurp(dir_ / "page.html").find("(Point ST2)"), std::string::npos);
}
