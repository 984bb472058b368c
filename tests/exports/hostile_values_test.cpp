// Names with control characters and absurd numbers in a field book: every
// column file stays in its columns, and no "inf", "nan" or 300-digit
// number reaches an output.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "base/fixed_text.hpp"
#include "base/format.hpp"
#include "base/numbers.hpp"
#include "base/text_file.hpp"
#include "export_test_support.hpp"
#include "exports/obs_gama.hpp"
#include "exports/reduction_outputs.hpp"

using namespace kestrova;
using namespace exports_test;

namespace {

class HostileValuesTest : public WriterTest {};

std::vector<std::string> CrLfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) end = bytes.size();
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

}  // namespace

TEST_F(HostileValuesTest, ControlCharactersInNamesBecomeQuestionMarks) {
    // SOH in the station name, ESC in a target name, a tabulation in a comment.
    std::vector<std::string> lines = TwoFaceStationLines();
    for (std::string& l : lines) {
        for (std::size_t p; (p = l.find(" S1 ")) != std::string::npos;) l.replace(p, 4, " S\x01" "1 ");
        for (std::size_t p; (p = l.find(" T2 ")) != std::string::npos;) l.replace(p, 4, " T\x1B" "2 ");
    }
    lines[1] += " *vu\tde loin";
    const Tday_obs book = Reduce(lines);
    ASSERT_EQ(book.stations.size(), 1u);
    EXPECT_EQ(book.stations[0].pt_sta, "S\x01" "1");  // the book itself is not changed

    const ReductionFiles f = ReductionFileNames(Path("res"));
    WriteConsoleReductionOutputs(book, f);
    for (const std::string* path : {&f.obs, &f.iob, &f.gsi, &f.chk}) {
        SCOPED_TRACE(*path);
        for (const std::string& line : CrLfLines(ReadFileBytes(*path)))
            for (unsigned char c : line) ASSERT_GE(c, 0x20) << line;
    }
    const std::vector<std::string> obs = CrLfLines(ReadFileBytes(f.obs));
    EXPECT_NE(std::find(obs.begin(), obs.end(),
                        "5 S?1              T?2                100.0010     0.0008 0.0000   0.0000   0.0000 "),
              obs.end());
    const std::string iob = ReadFileBytes(f.iob);
    EXPECT_NE(iob.find("S?1"), std::string::npos);
    EXPECT_NE(iob.find("T?2"), std::string::npos);
    EXPECT_NE(ReadFileBytes(f.gsi).find("110003+00000T?2 21.322+10000100 "), std::string::npos);
    EXPECT_NE(ReadFileBytes(f.chk).find("Station S?1"), std::string::npos);
}

TEST_F(HostileValuesTest, NonFiniteTextsAreNotNumbers) {
    for (const char* text : {"inf", "-inf", "nan", "NaN", "infinity", "1e400", "-1e309", "1e99999"})
        EXPECT_FALSE(TextToDouble(text).has_value()) << text;
    EXPECT_EQ(TextToDouble("1e308"), 1e308);  // huge but finite: kept
    EXPECT_EQ(TextToDoubleOr("inf", 12.0), 12.0);
}

TEST_F(HostileValuesTest, HugeValuesNeverWidenTheirField) {
    // The rule: magnitude 1e15 or more in exponent form cut to the width;
    // not a number at all: stars over the width.
    EXPECT_EQ(Format("%10.4f", 1e308), "1.000E+308");
    EXPECT_EQ(Format("%10.4f", -1e308), "-1.00E+308");
    EXPECT_EQ(Format("%12.4f", 2.5e15), "  2.5000E+15");
    EXPECT_EQ(Format("%.1f", 1e300), "1.0E+300");
    EXPECT_EQ(Format("%-10.1f|", 1e20), "1.0E+20   |");
    EXPECT_EQ(Format("%10.4f", std::numeric_limits<double>::infinity()), "**********");
    EXPECT_EQ(Format("%.3f", std::nan("")), "*");
    EXPECT_EQ(FixedText(1e300, 4, 10), "1.000E+300");
    EXPECT_EQ(FixedText(-std::numeric_limits<double>::infinity(), 4, 8), "********");
    EXPECT_EQ(Format("%10.4f", 999999999999999.0), "999999999999999.0000");  // below 1e15: as it was
    EXPECT_EQ(FixedText(123456.7891, 4, 10), "123456.7891");

    // A distance of 1e308 m and a temperature of 1e300 degrees: the
    // reduction overflows, the files stay readable.
    std::vector<std::string> lines = TwoFaceStationLines();
    lines[0] = " station S1 Temp_deg 1e300 Press_mmHg 760.0 ht_m 1.550";
    lines[1] = "  numero T1 AH_gr 0.0000 AV_gr 100.0000 Dp_m 1.7e308 ppm_cste_mm 0000+000 hv_m 1.600";
    lines[4] = "  numero T1 AH_gr 200.0000 AV_gr 300.0000 Dp_m 1.7e308 ppm_cste_mm 0000+000 hv_m 1.600";
    const Tday_obs book = Reduce(lines);
    const ReductionFiles f = ReductionFileNames(Path("res"));
    WriteConsoleReductionOutputs(book, f);
    for (const std::string* path : {&f.obs, &f.iob, &f.gsi, &f.chk, &f.xml}) {
        SCOPED_TRACE(*path);
        const std::string bytes = ReadFileBytes(*path);
        EXPECT_EQ(bytes.find("inf"), std::string::npos);
        EXPECT_EQ(bytes.find("nan"), std::string::npos);
        for (const std::string& line : CrLfLines(bytes)) EXPECT_LT(line.size(), 300u) << line.substr(0, 80);
    }
}

TEST_F(HostileValuesTest, GamaCommentsHoldNoControlCharacter) {
    // A .obs comment copied into the .gkf: NUL or ESC would make the XML
    // unreadable for gama-local, "--" would end the comment.
    EXPECT_EQ(GamaCommentText(std::string("Points\0du\x1B r--seau", 18)), "Points?du? r  seau");
}
