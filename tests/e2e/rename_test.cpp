#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "run_binary.hpp"

namespace {

namespace fs = std::filesystem;

fs::path Scratch(const std::string& name) {
    const fs::path dir = fs::path(KESTROVA_TEST_TMP) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

TEST(RenameCommand, RenamesTargetsAndKeepsTheBookAsItWasInTheBackup) {
    const fs::path dir = Scratch("rename_targets");
    const fs::path book = dir / "book.crt";
    fs::copy_file(fs::path(KESTROVA_TEST_DATA) / "rename/book.crt", book);
    const std::string before = e2e::Slurp(book);
    const auto r = e2e::RunKestrova("-x rename -i " + e2e::ShellQuote(book.string()) + " --from 12 --to 12A");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("sur 2 lignes"), std::string::npos) << r.err;
    EXPECT_EQ(e2e::Slurp(dir / "book.crt.backup"), before);
    // Cp1252 and CR LF as every book; the station 12 stays, its targets move.
    EXPECT_EQ(e2e::Slurp(book),
              "* Lever du 12/10, op\xe9rateur J. Martin\r\n"
              " prisme P1               cste_m -0.0175 \r\n"
              "station 12 Temp_deg 14.5 Press_mmHg 735.2  ht_m 1.5420\r\n"
              " numero        13 AH_gr   12.3455 AV_gr  100.4137 Dp_m  187.4510 ppm_cste_mm  0012+000 hv_m    1.6000\r\n"
              " numero       12A AH_gr   75.5974 AV_gr   99.1885 Dp_m  142.3375 ppm_cste_mm  0012+000 hv_m    1.6500 "
              "* rep\xe8re\r\n"
              "station 13 Temp_deg 14.8 Press_mmHg 735.0  ht_m 1.4980\r\n"
              " numero       12A AH_gr  300.0097 AV_gr   98.7725 Dp_m   96.1151 ppm_cste_mm  0012+000 hv_m    1.5000 "
              "prisme        P1\r\n");

    // Stations only.
    const auto s = e2e::RunKestrova("-x rename -i " + e2e::ShellQuote(book.string()) +
                                    " --from 13 --to S13 --stations --no-targets");
    ASSERT_EQ(s.status, 0) << s.err;
    const std::string after = e2e::Slurp(book);
    EXPECT_NE(after.find("station S13 Temp_deg 14.8"), std::string::npos);
    EXPECT_NE(after.find(" numero        13 AH_gr"), std::string::npos);
}

TEST(RenameCommand, LevellingBookFromTheLevellingConverter) {
    const fs::path dir = Scratch("rename_na3");
    const fs::path book = dir / "ligne.na3";
    fs::copy_file(fs::path(KESTROVA_TEST_DATA) / "levelling/bffb16.na3", book);
    const std::string before = e2e::Slurp(book);
    const auto r = e2e::RunKestrova("-x rename -i " + e2e::ShellQuote(book.string()) + " --from 700001 --to P1");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(e2e::Slurp(dir / "ligne.na3.backup"), before);
    // Only the name column of the measurement lines that named the point changes.
    std::string expected = before;
    const std::string oldName = "   700001";
    size_t renamed = 0;
    for (size_t at = expected.find("\n" + oldName); at != std::string::npos;
         at = expected.find("\n" + oldName, at + 1)) {
        expected.replace(at + 1, 9, "       P1");
        ++renamed;
    }
    EXPECT_GT(renamed, 2u);
    EXPECT_EQ(e2e::Slurp(book), expected);
}

TEST(RenameCommand, RefusalsWriteNothing) {
    const fs::path dir = Scratch("rename_refused");
    const fs::path book = dir / "book.crt";
    fs::copy_file(fs::path(KESTROVA_TEST_DATA) / "rename/book.crt", book);
    const std::string before = e2e::Slurp(book);
    const std::string in = " -i " + e2e::ShellQuote(book.string());

    auto r = e2e::RunKestrova("-x rename" + in + " --from 12");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--to"), std::string::npos) << r.err;
    r = e2e::RunKestrova("-x rename" + in + " --from 99 --to 98");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ne nomme le point 99"), std::string::npos) << r.err;

    const fs::path notes = dir / "notes.txt";
    {
        std::ofstream f(notes);
        f << "rien\n";
    }
    r = e2e::RunKestrova("-x rename -i " + e2e::ShellQuote(notes.string()) + " --from 12 --to 13");
    EXPECT_EQ(r.status, 1);
    r = e2e::RunKestrova("-x rename -i " + e2e::ShellQuote((dir / "absent.crt").string()) + " --from 12 --to 13");
    EXPECT_EQ(r.status, 1);

    EXPECT_EQ(e2e::Slurp(book), before);
    EXPECT_FALSE(fs::exists(dir / "book.crt.backup"));
    EXPECT_FALSE(fs::exists(dir / "notes.txt.backup"));
}

}  // namespace
