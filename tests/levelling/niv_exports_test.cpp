// The three export files of a reduced book, the height-difference files,
// their sorts and the iob -> obs conversion, all-or-nothing writes, and
// gama-local on the .gkf.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/line_sink.hpp"
#include "base/progress.hpp"
#include "base/text_file.hpp"
#include "levelling/deniv_file.hpp"
#include "levelling/line_source.hpp"
#include "levelling/na3_format.hpp"
#include "levelling/niv_reduce.hpp"
#include "levelling/niv_records.hpp"

namespace fs = std::filesystem;
using namespace kestrova;

namespace {

fs::path Scratch(const std::string& name) {
    const fs::path dir = fs::path(KESTROVA_TEST_TMP) / "niv_exports" / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::vector<std::string> Lines(const fs::path& p) { return ReadTextLines(p.string()); }

Tobs_niv Reading(const std::string& name, double b, double f) {
    Tobs_niv o;
    o.name = name;
    o.backsight = b;
    o.foresight = f;
    return o;
}

std::vector<std::string> SmallBook() {
    std::vector<std::string> book = Na3HeaderLines();
    for (const std::string& row :
         {Na3CodeLine(), Na3Row(Reading("RN1", 1.5, 0)), Na3Row(Reading("700001", 0, 0.7)),
          Na3Row(Reading("700001", 1.2, 0)), Na3Row(Reading("B&1", 0, 0.9)), Na3CodeLine(), Na3CodeLine(),
          Na3Row(Reading("B&1", 1.0, 0)), Na3Row(Reading("Né", 0, 1.25))})
        book.push_back(row);
    return book;
}

std::vector<Tdeniv> ReadDeniv(const std::vector<std::string>& lines, TNivWarnings& warnings) {
    TVectorLineSource source(lines);
    return ReadDenivFile(source, warnings);
}

}  // namespace

TEST(NivExports, ThreeFilesOfAReducedBook) {
    const fs::path dir = Scratch("three");
    const std::vector<std::string> book = SmallBook();
    TVectorLineSource source(book);
    const std::string obs = (dir / "res.obs").string();
    const auto result = ReduceNa3Book(source, obs, TNivSettings{}, "07-12-2026 10:11:12", NoProgress());
    EXPECT_EQ(result.runs, 3);
    EXPECT_EQ(result.differences, 2);
    EXPECT_EQ(result.warnings, std::vector<std::string>{"cheminement 2 (ligne 12) : aucune dénivelée"});
    EXPECT_EQ(Lines(dir / "res.obs"), (std::vector<std::string>{
                                          "* Cheminement 1",
                                          "4      RN1      B&1      1.10000   0.00014  0.00000  0.00000  0.00000",
                                          "* Cheminement 3",
                                          "4      B&1       Né     -0.25000   0.00010  0.00000  0.00000  0.00000",
                                      }));
    EXPECT_EQ(Lines(dir / "res.iob"),
              (std::vector<std::string>{
                  "* Cheminement 1",
                  " OHDF     RN1          B&1                               1.10000    0.00014",
                  "* Cheminement 3",
                  " OHDF     B&1          Né                               -0.25000    0.00010",
              }));
    const std::vector<std::string> gkf = Lines(dir / "res.gkf");
    const std::vector<std::string> expected = {
        R"(<?xml version="1.0" ?>)",
        R"(<!DOCTYPE gama-local SYSTEM "gama-local.dtd">)",
        "",
        R"(<gama-local version="2.0">)",
        R"(  <network axes-xy="en" angles="left-handed" >)",
        "    <description>",
        "      Donnees reduites",
        "      " + (dir / "res.gkf").string(),
        "      fichier cree le 07-12-2026 10:11:12",
        "    </description>",
        "",
        R"(    <parameters sigma-act="apriori"/>)",
        "",
        "    <points-observations>",
        "",
        "      <height-differences>",
        "        <!-- Cheminement 1 -->",
        R"(        <dh from="RN1"            to="B&amp;1"        val="1.10000" stdev="0.14" />)",
        "        <!-- Cheminement 3 -->",
        R"(        <dh from="B&amp;1"        to="N&#233;"        val="-0.25000" stdev="0.10" />)",
        "      </height-differences>",
        "    </points-observations>",
        "  </network>",
        "</gama-local>",
    };
    EXPECT_EQ(gkf, expected);

    // Mode 0 on a book without E.M.Q.: zero standard deviations, which
    // gama-local refuses; the weighting is refused, nothing is written.
    TNivSettings byEmq;
    byEmq.mode = TWeighting::Default;
    TVectorLineSource again(book);
    const auto zero = ReduceNa3Book(again, (dir / "zero.obs").string(), byEmq, "x", NoProgress());
    EXPECT_EQ(zero.zeroSigmaCount, 2);
    EXPECT_EQ(zero.zeroSigma, (std::vector<std::string>{"ligne 11 : RN1 -> B&1", "ligne 15 : B&1 -> Né"}));
    EXPECT_FALSE(zero.Written());
    EXPECT_FALSE(fs::exists(dir / "zero.obs"));
    EXPECT_FALSE(fs::exists(dir / "zero.gkf"));
    const std::string refusal = ZeroSigmaMessage(zero, byEmq);
    EXPECT_NE(refusal.find("\n  ligne 15 : B&1 -> Né\n"), std::string::npos) << refusal;
    EXPECT_NE(refusal.find("pondération 1 (sigma*sqrt(D)) ou 2 (sigma*sqrt(n))"), std::string::npos) << refusal;

    // gama-local parses it, and adjusts a copy with one fixed height.
    std::string gama = std::getenv("GAMA_LOCAL") ? std::getenv("GAMA_LOCAL") : "";
    if (gama.empty() && std::getenv("PATH")) {
        std::stringstream path(std::getenv("PATH"));
        for (std::string entry; gama.empty() && std::getline(path, entry, ':');)
            if (!entry.empty() && fs::exists(fs::path(entry) / "gama-local")) gama = (fs::path(entry) / "gama-local").string();
    }
    if (gama.empty() || !fs::exists(gama)) GTEST_SKIP() << "gama-local absent (GAMA_LOCAL unset, not on the PATH): .gkf not checked";
    auto run = [&](const fs::path& file) {
        const fs::path out = file.string() + ".xml";
        const std::string cmd = "'" + gama + "' '" + file.string() + "' --xml '" + out.string() + "' >/dev/null 2>&1";
        EXPECT_EQ(std::system(cmd.c_str()), 0);
        std::ifstream in(out);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    };
    const std::string parsed = run(dir / "res.gkf");
    EXPECT_NE(parsed.find("No points available"), std::string::npos) << parsed;
    std::vector<std::string> fixed = gkf;
    fixed.insert(fixed.begin() + 14, R"(      <point id="RN1" z="100.0" fix="z" /><point id="B&amp;1" adj="z" /><point id="N&#233;" adj="z" />)");
    WriteTextLines((dir / "fixed.gkf").string(), fixed);
    const std::string adjusted = run(dir / "fixed.gkf");
    EXPECT_EQ(adjusted.find("<error"), std::string::npos) << adjusted;
    EXPECT_NE(adjusted.find("100.85000"), std::string::npos) << adjusted;  // N&#233; = 100 + 1.1 - 0.25
}

TEST(NivExports, EmptyBookOrFailureWritesNothing) {
    const fs::path dir = Scratch("empty");
    const std::string obs = (dir / "res.obs").string();
    WriteTextLines(obs, {"earlier"});
    std::vector<std::string> book = Na3HeaderLines();
    book.push_back("* no run here");
    TVectorLineSource source(book);
    const auto result = ReduceNa3Book(source, obs, TNivSettings{}, "x", NoProgress());
    EXPECT_EQ(result.runs, 0);
    EXPECT_TRUE(result.warnings.empty());
    EXPECT_EQ(Lines(obs), std::vector<std::string>{"earlier"});
    EXPECT_FALSE(fs::exists(dir / "res.iob"));
    EXPECT_FALSE(fs::exists(dir / "res.gkf"));

    // A cancelled reduction leaves the earlier file as it was.
    TProgress cancelled;
    cancelled.Cancel();
    std::vector<std::string> big = SmallBook();
    for (int i = 0; i < 5000; ++i) big.push_back(Na3Row(Reading("A", 1, 0)));
    TVectorLineSource bigSource(big);
    EXPECT_THROW(ReduceNa3Book(bigSource, obs, TNivSettings{}, "x", cancelled), TCancelled);
    EXPECT_EQ(Lines(obs), std::vector<std::string>{"earlier"});
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(NivExports, HeightDifferenceFilesRead) {
    TNivWarnings warnings;
    const auto entries = ReadDeniv(
        {
            "* Cheminement 1",
            "4        B        A      0.50000   0.00010  0.00000  0.00000  0.00000",
            " OHDF     A            C                                 1.25000    0.00020",
            "4 A B 0.4 0.001 0 0 0 * checked twice",  // a trailing note: a comment only
            "4 C D abc 0.002",                        // not a number: 0, reported
            "OHDF D E 1.0 x",
            "5 X Y 1 2",                              // other records are skipped
            "",
        },
        warnings);
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[0].comment, " Cheminement 1");
    EXPECT_EQ(entries[1].from, "B");
    EXPECT_DOUBLE_EQ(entries[1].dh, 0.5);
    EXPECT_EQ(entries[2].to, "C");
    EXPECT_DOUBLE_EQ(entries[2].sigma, 0.0002);
    EXPECT_EQ(entries[3].comment, " checked twice");
    EXPECT_DOUBLE_EQ(entries[4].dh, 0.0);
    EXPECT_DOUBLE_EQ(entries[4].sigma, 0.002);
    EXPECT_DOUBLE_EQ(entries[5].dh, 1.0);
    EXPECT_DOUBLE_EQ(entries[5].sigma, 0.0);
    const auto w = warnings.Lines();
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0].rfind("ligne 5 :", 0), 0u) << w[0];
    EXPECT_EQ(w[1].rfind("ligne 6 :", 0), 0u) << w[1];
}

TEST(NivExports, SortsPairBothDirectionsAndConvert) {
    const fs::path dir = Scratch("sort");
    const std::vector<std::string> input = {
        " OHDF     B            A                                 0.50000    0.00010",
        "4        C      B10      2.00000   0.00010  0.00000  0.00000  0.00000",
        "4        A        B     -0.50010   0.00012  0.00000  0.00000  0.00000",
        "* end of line 1",
        "4        c        A      1.00000   0.00010  0.00000  0.00000  0.00000",
    };
    TVectorLineSource s1(input), s2(input), s3(input);
    EXPECT_TRUE(ConvertDenivFile(s1, (dir / "a.tri").string(), TDenivOutput::SortedBrelix, NoProgress()).empty());
    EXPECT_EQ(Lines(dir / "a.tri"), (std::vector<std::string>{
                                        "*  end of line 1",
                                        "4        B        A      0.50000   0.00010  0.00000  0.00000  0.00000",
                                        "4        A        B     -0.50010   0.00012  0.00000  0.00000  0.00000",
                                        "4        c        A      1.00000   0.00010  0.00000  0.00000  0.00000",
                                        "4        C      B10      2.00000   0.00010  0.00000  0.00000  0.00000",
                                    }));
    ConvertDenivFile(s2, (dir / "b.tri").string(), TDenivOutput::SortedGeolab, NoProgress());
    EXPECT_EQ(Lines(dir / "b.tri")[1], " OHDF     B            A                                 0.50000    0.00010");
    EXPECT_EQ(Lines(dir / "b.tri")[2], " OHDF     A            B                                -0.50010    0.00012");
    ConvertDenivFile(s3, (dir / "c.obs").string(), TDenivOutput::Brelix, NoProgress());
    EXPECT_EQ(Lines(dir / "c.obs")[0], "4        B        A      0.50000   0.00010  0.00000  0.00000  0.00000");
    EXPECT_EQ(Lines(dir / "c.obs")[3], "*  end of line 1");

    // An empty document is no file of height differences: refused, nothing written.
    const std::vector<std::string> none;
    TVectorLineSource empty(none);
    EXPECT_THROW(ConvertDenivFile(empty, (dir / "e.tri").string(), TDenivOutput::SortedBrelix, NoProgress()),
                 TDenivFileError);
    EXPECT_FALSE(fs::exists(dir / "e.tri"));
}

// A line of the observation file whose station holds a blank ("P 1") is
// read by its columns, as the observation converters read it: by blanks
// the target would become the height difference (2.00000) and the height
// difference the standard deviation. The name is written with "_" and told.
TEST(NivExports, NameWithABlankKeepsTheHeightDifference) {
    const fs::path dir = Scratch("blank");
    const std::vector<std::string> input = {
        "4 P 1              2                   1.25000    0.00100     0.0000  0.0000   0.0000",
        "4 P1               2                   1.30000    0.00100     0.0000  0.0000   0.0000",
        // Typed by hand with single blanks: read by blanks, as always.
        "4 A B 0.75 0.002",
    };
    TVectorLineSource s1(input), s2(input);
    const std::vector<std::string> warnings =
        ConvertDenivFile(s1, (dir / "a.obs").string(), TDenivOutput::Brelix, NoProgress(), "n.obs");
    EXPECT_EQ(Lines(dir / "a.obs"), (std::vector<std::string>{
                                        "4      P_1        2      1.25000   0.00100  0.00000  0.00000  0.00000",
                                        "4       P1        2      1.30000   0.00100  0.00000  0.00000  0.00000",
                                        "4        A        B      0.75000   0.00200  0.00000  0.00000  0.00000",
                                    }));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "ligne 1 : le nom « P 1 » contient un blanc, il devient « P_1 »");
    ConvertDenivFile(s2, (dir / "b.tri").string(), TDenivOutput::SortedGeolab, NoProgress(), "n.obs");
    const std::vector<std::string> sorted = Lines(dir / "b.tri");
    EXPECT_NE(std::find(sorted.begin(), sorted.end(),
                        " OHDF     P_1          2                                 1.25000    0.00100"),
              sorted.end());
}

TEST(NivExports, ControlCharactersInNamesBecomeQuestionMarks) {
    Tdeniv d;
    d.from = "R\x1B" "1";
    d.to = "R\t2";
    d.dh = 1.2345;
    d.sigma = 0.001;
    for (TDenivOutput output : {TDenivOutput::Brelix, TDenivOutput::SortedGeolab}) {
        const std::vector<std::string> lines = DenivFileLines({d}, output);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find("R?1"), std::string::npos) << lines[0];
        EXPECT_NE(lines[0].find("R?2"), std::string::npos) << lines[0];
    }
    TLineCollector obs, iob, gkf;
    TRunList runs(1);
    runs[0].second.denivs.emplace_back("", d);
    WriteNivExports(runs, obs, iob, gkf, "out.gkf", "07/12/2026 10:00:00", 4);
    for (const auto* lines : {&obs.lines, &iob.lines})
        for (const std::string& line : *lines)
            for (unsigned char c : line) ASSERT_GE(c, 0x20) << line;
}
