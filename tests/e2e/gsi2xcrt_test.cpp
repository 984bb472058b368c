// "kestrova -x gsi2xcrt": a GSI recording becomes an XML field book that the
// reduction reads.
#include <gtest/gtest.h>

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
