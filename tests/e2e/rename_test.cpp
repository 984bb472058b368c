#include <cstdlib>
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

// The program's own example opens with comments, prisms and a height
// definition: its first station is on line 10, and it is renamed as any
// field book; its reduction gives the same observations under the new name.
TEST(RenameCommand, BookWithALongHeadingIsAFieldBook) {
    const fs::path dir = Scratch("rename_heading");
    const fs::path book = dir / "chantier.crt";
    fs::copy_file(fs::path(KESTROVA_TEST_DATA) / ".." / ".." / "examples" / "chantier.crt", book);
    const std::string before = e2e::Slurp(book);
    const auto r = e2e::RunKestrova("-x rename -i " + e2e::ShellQuote(book.string()) + " --from 2001 --to 2101");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("renommé 2101"), std::string::npos) << r.err;
    EXPECT_EQ(e2e::Slurp(dir / "chantier.crt.backup"), before);
    const std::string after = e2e::Slurp(book);
    EXPECT_EQ(after.find(" 2001 "), std::string::npos);
    EXPECT_NE(after.find("numero      2101 AH_gr  118.2450 AV_gr  100.4991 Dp_m   93.9215"), std::string::npos);
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

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    f << bytes;
}

TEST(RenameCommand, UtfEightBookWithLfStaysUtfEightWithLfEveryCharacterKept) {
    const fs::path dir = Scratch("rename_utf8");
    const fs::path book = dir / "lodz.crt";
    const std::string before =
        "* Lever à Łódź, opérateur Kőrösi 北\n"
        "station S1 Temp_deg 14.5 Press_mmHg 735.2  ht_m 1.5420  * pilier Łódź\n"
        " numero 12 AH_gr 12.3455 AV_gr 100.4137 Dp_m 187.4510 ppm_cste_mm 0012+000 hv_m 1.6000 * borne 北\n"
        "  numero 14 AH_gr 75.5974 AV_gr 99.1885 Dp_m 142.3375 ppm_cste_mm 0012+000 hv_m 1.6500\n"
        "* fin — Kőrösi\n";
    WriteBytes(book, before);
    const auto r = e2e::RunKestrova("-x rename -i " + e2e::ShellQuote(book.string()) + " --from 12 --to 12A");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(e2e::Slurp(dir / "lodz.crt.backup"), before);
    // Only the lines the renaming rebuilds change; every other byte stays,
    // UTF-8 and LF included.
    EXPECT_EQ(e2e::Slurp(book),
              "* Lever à Łódź, opérateur Kőrösi 北\n"
              "station S1 Temp_deg 14.5 Press_mmHg 735.2  ht_m 1.5420  * pilier Łódź\n"
              " numero       12A AH_gr   12.3455 AV_gr  100.4137 Dp_m  187.4510 ppm_cste_mm  0012+000 hv_m    1.6000 "
              "* borne 北\n"
              " numero        14 AH_gr   75.5974 AV_gr   99.1885 Dp_m  142.3375 ppm_cste_mm  0012+000 hv_m    1.6500\n"
              "* fin — Kőrösi\n");

    // A Windows-1252 book with CR LF keeps both, and a last line without
    // its line end stays without.
    const fs::path cp = dir / "cp.crt";
    const std::string cpBefore = "* op\xe9rateur \x80\r\n numero 12 AH_gr 1 AV_gr 2 * rep\xe8re\r\n numero 13 AH_gr 1 AV_gr 2";
    WriteBytes(cp, cpBefore);
    ASSERT_EQ(e2e::RunKestrova("-x rename -i " + e2e::ShellQuote(cp.string()) + " --from 12 --to É1").status, 0);
    EXPECT_EQ(e2e::Slurp(dir / "cp.crt.backup"), cpBefore);
    EXPECT_EQ(e2e::Slurp(cp),
              "* op\xe9rateur \x80\r\n numero        \xc9" "1 AH_gr         1 AV_gr         2 * rep\xe8re\r\n"
              " numero        13 AH_gr         1 AV_gr         2");

    // Lines ended by a lone CR (old instruments), mixed with LF and CR LF:
    // every line is found and keeps its own end.
    const fs::path cr = dir / "cr.crt";
    const std::string crBefore = "station 1 ht_m 1.5\r numero 11 AH_gr 1 AV_gr 2\r\n numero 11 AH_gr 3 AV_gr 4\n"
                                 " numero 12 AH_gr 5 AV_gr 6\r";
    WriteBytes(cr, crBefore);
    const auto c = e2e::RunKestrova("-x rename -i " + e2e::ShellQuote(cr.string()) + " --from 11 --to Z");
    ASSERT_EQ(c.status, 0) << c.err;
    EXPECT_NE(c.err.find("sur 2 lignes"), std::string::npos) << c.err;
    EXPECT_EQ(e2e::Slurp(dir / "cr.crt.backup"), crBefore);
    EXPECT_EQ(e2e::Slurp(cr), "station 1 ht_m 1.5\r numero         Z AH_gr         1 AV_gr         2\r\n"
                              " numero         Z AH_gr         3 AV_gr         4\n"
                              " numero        12 AH_gr         5 AV_gr         6\r");
}

TEST(RenameCommand, NewNameTheBookCannotHoldIsABadCommandLine) {
    const fs::path dir = Scratch("rename_bad_name");
    const fs::path book = dir / "book.crt";
    fs::copy_file(fs::path(KESTROVA_TEST_DATA) / "rename/book.crt", book);
    const fs::path na3 = dir / "ligne.na3";
    fs::copy_file(fs::path(KESTROVA_TEST_DATA) / "levelling/bffb16.na3", na3);
    const std::string bookBefore = e2e::Slurp(book);
    const std::string na3Before = e2e::Slurp(na3);
    struct Case {
        fs::path file;
        std::string from, to, why;
    };
    for (const Case& c : {Case{book, "12", "A B", "ni blanc"}, Case{book, "12", "A\tB", "ni blanc"},
                          Case{book, "12", "A;B", "ni blanc"}, Case{book, "12", "A*B", "« * »"},
                          Case{book, "12", "ABCDEFGHIJKLMNOPQ", "16 caractères au plus"},
                          Case{na3, "700001", "ABCDEFGHIJ", "9 caractères au plus"},
                          Case{book, "12", "北1", "Windows-1252"}}) {
        SCOPED_TRACE(c.to);
        const auto r = e2e::RunKestrova("-x rename -i " + e2e::ShellQuote(c.file.string()) + " --from " + c.from +
                                        " --to " + e2e::ShellQuote(c.to));
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("refusé"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.why), std::string::npos) << r.err;
    }
    // Sixteen characters fit a field book, nine a levelling book.
    EXPECT_EQ(e2e::RunKestrova("-x rename -i " + e2e::ShellQuote(na3.string()) + " --from 700001 --to ABCDEFGHI").status,
              0);
    EXPECT_EQ(e2e::Slurp(book), bookBefore);
    EXPECT_FALSE(fs::exists(dir / "book.crt.backup"));
    EXPECT_EQ(e2e::Slurp(dir / "ligne.na3.backup"), na3Before);
}

TEST(RenameCommand, RenamesRunTogetherOnOneBookAllLand) {
    const fs::path dir = Scratch("rename_together");
    const fs::path book = dir / "book.crt";
    std::string text = "station S0 Temp_deg 12.0 Press_mmHg 760.0  ht_m 1.5\r\n";
    for (int n = 1; n <= 8; ++n)
        for (int k = 0; k < 2000; ++k)
            text += " numero P" + std::to_string(n) + " AH_gr 1.0000 AV_gr 100.0000 Dp_m 25.0000\r\n";
    WriteBytes(book, text);
    // Eight runs started together, each renaming another point.
    std::string script = "cd " + e2e::ShellQuote(dir.string()) + " && for n in 1 2 3 4 5 6 7 8; do ( " +
                         e2e::ShellQuote(KESTROVA_BIN) + " -x rename -i book.crt --from P$n --to Q$n " +
                         ">/dev/null 2>err$n.txt; echo $? >rc$n.txt ) & done; wait";
    ASSERT_EQ(std::system(script.c_str()), 0);
    const std::string after = e2e::Slurp(book);
    for (int n = 1; n <= 8; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(e2e::Slurp(dir / ("rc" + std::to_string(n) + ".txt")), "0\n")
            << e2e::Slurp(dir / ("err" + std::to_string(n) + ".txt"));
        EXPECT_EQ(after.find(" P" + std::to_string(n) + " "), std::string::npos);
        EXPECT_NE(after.find("        Q" + std::to_string(n) + " AH_gr"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(dir / ".book.lock"));
}

}  // namespace
