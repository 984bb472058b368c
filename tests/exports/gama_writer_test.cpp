#include "exports/gama_writer.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <limits>

#include <pugixml.hpp>

#include "base/param.hpp"

#include "export_test_support.hpp"

using namespace kestrova;
using namespace exports_test;

namespace {

const TExportTime kTime{2026, 12, 6, 9, 12, 31};

class GamaWriterTest : public WriterTest {};

std::vector<std::string> Body(const std::vector<std::string>& lines) {
    // Between "<points-observations>" + empty line and the closing tag.
    return std::vector<std::string>(lines.begin() + 15, lines.end() - 4);
}

}  // namespace

TEST_F(GamaWriterTest, WholeFileWithDefaultSettings) {
    const Tday_obs book = Reduce(Concat(TwoFaceStationLines(), HotStationLines()));
    const std::vector<std::string> expected = {
        R"(<?xml version="1.0" ?>)",
        R"(<!DOCTYPE gama-local SYSTEM "gama-local.dtd">)",
        "",
        R"(<gama-local version="2.0">)",
        R"(  <network axes-xy="en" angles="left-handed" >)",
        "    <description>",
        "      Donnees reduites",
        "      /chantier/res.gkf",
        "      fichier cree le 06-12-2026 09:12:31",
        "    </description>",
        "",
        R"(    <parameters sigma-act="apriori"/>)",
        "",
        "    <points-observations>",
        "",
        R"(      <obs from="S1">)",
        R"(        <direction   to="T1"       val=  "0.0000" stdev="8.0" />)",
        R"(        <direction   to="T2"       val="100.0010" stdev="8.0" />)",
        R"(        <z-angle     to="T1"       val="100.0000" stdev="12.0" />)",
        R"(        <z-angle     to="T2"       val= "99.0000" stdev="12.0" />)",
        R"(        <s-distance  to="T1"       val="50.0000" stdev="1.0" />)",
        R"(        <s-distance  to="T2"       val="80.0000" stdev="1.0" />)",
        "      </obs>",
        "",
        "    </points-observations>",
        "  </network>",
        "</gama-local>",
        " ",
    };
    const auto lines = GamaFileLines(book, "/chantier/res.gkf", kTime);
    EXPECT_EQ(lines, expected);
    // Columns a surveyor checks: to= at 22, val= at 36 (1-based).
    EXPECT_EQ(lines[17].find("to="), 21u);
    EXPECT_EQ(lines[17].find("val="), 35u);
}

TEST_F(GamaWriterTest, ObservationOrderHeightsAndDecimals) {
    Param().tri_fichier_brelix = "obs";
    Param().export_hauteurs_brelix = "Y";
    Param().angle = 5;
    const Tday_obs book = Reduce(TwoFaceStationLines());
    const auto body = Body(GamaFileLines(book, "x.gkf", kTime));
    const std::vector<std::string> expected = {
        R"(      <obs from="S1">)",
        R"(        <direction   to="T1"       val=  "0.00000" stdev="8.0" from_dh="  1.5500" to_dh="  1.6000" />)",
        R"(        <z-angle     to="T1"       val="100.00000" stdev="12.0" from_dh="  1.5500" to_dh="  1.6000" />)",
        R"(        <s-distance  to="T1"       val="50.0000" stdev="1.0" from_dh="  1.5500" to_dh="  1.6000" />)",
        R"(        <direction   to="T2"       val="100.00100" stdev="8.0" from_dh="  1.5500" to_dh="  1.7000" />)",
        R"(        <z-angle     to="T2"       val= "99.00000" stdev="12.0" from_dh="  1.5500" to_dh="  1.7000" />)",
        R"(        <s-distance  to="T2"       val="80.0000" stdev="1.0" from_dh="  1.5500" to_dh="  1.7000" />)",
        "      </obs>",
        "",
    };
    EXPECT_EQ(body, expected);
}

// A standard deviation below the last decimal keeps the decimals it needs:
// a "0.0" would make gama-local refuse the file.
TEST_F(GamaWriterTest, TinyStandardDeviationsAreNeverWrittenAsZero) {
    Param().sigma_Hz = 0.000004;  // 0.04 cc
    Param().sigma_Dp = 0.00002;   // 0.02 mm
    const auto body = Body(GamaFileLines(Reduce(TwoFaceStationLines()), "x.gkf", kTime));
    ASSERT_GE(body.size(), 6u);
    EXPECT_NE(body[1].find(R"(stdev="0.04")"), std::string::npos) << body[1];
    EXPECT_NE(body[3].find(R"(stdev="12.0")"), std::string::npos) << body[3];
    EXPECT_NE(body[5].find(R"(stdev="0.02")"), std::string::npos) << body[5];
}

// An ini standard deviation gama-local would refuse stops the file, the
// key named; one the file does not carry stops nothing.
TEST_F(GamaWriterTest, IniStandardDeviationsGamaLocalRefusesStopTheFile) {
    const Tday_obs book = Reduce(TwoFaceStationLines());
    auto refusal = [&]() -> std::string {
        try {
            GamaFileLines(book, "x.gkf", kTime);
        } catch (const GamaStdevError& e) {
            return e.what();
        }
        return "";
    };
    struct Case {
        float TParam::*key;
        float value;
        const char* name;
        const char* fault;
    };
    const Case cases[] = {
        {&TParam::sigma_Hz, 0.0f, "sigma_Hz", "un écart-type nul"},
        {&TParam::sigma_V, 0.00000000005f, "sigma_V", "un écart-type trop petit (moins de 0.000001 cc)"},
        {&TParam::sigma_Dp, 0.0f, "sigma_Dp", "un écart-type nul"},
        {&TParam::sigma_Dp, -0.0000000001f, "sigma_Dp", "un écart-type trop petit (moins de 0.000001 mm)"},
        {&TParam::sigma_Hz, std::numeric_limits<float>::infinity(), "sigma_Hz", "un écart-type infini"},
    };
    for (const Case& c : cases) {
        const TParam saved = Param();
        Param().*c.key = c.value;
        const std::string why = refusal();
        EXPECT_NE(why.find("la clé " + std::string(c.name) + " du fichier " + IniFilePath()), std::string::npos) << why;
        EXPECT_NE(why.find("x.gkf auraient " + std::string(c.fault) + ", que gama-local refuse"), std::string::npos)
            << why;
        EXPECT_NE(why.find("rien n'est écrit"), std::string::npos) << why;
        // Nothing of the file either, an earlier one kept.
        std::string error;
        std::ofstream(Path("x.gkf"), std::ios::binary) << "avant";
        EXPECT_FALSE(WriteGamaFile(book, Path("x.gkf"), &error));
        EXPECT_NE(error.find(c.name), std::string::npos) << error;
        EXPECT_EQ(ReadBytes(Path("x.gkf")), "avant");
        Param() = saved;
    }
    // The smallest taken, and the sigmas of what the file does not hold:
    // no distance, no valid station.
    Param().sigma_Hz = 0.0000000001f;  // 0.000001 cc
    EXPECT_EQ(refusal(), "");
    EXPECT_NE(Body(GamaFileLines(book, "x.gkf", kTime))[1].find(R"(stdev="0.000001")"), std::string::npos);
    Param().sigma_Dp = 0.0f;
    const Tday_obs anglesOnly = Reduce({
        " station S1 Temp_deg 12.0 Press_mmHg 760.0",
        "  numero T1 AH_gr 0.0000 AV_gr 100.0000 Dp_m 0.0000 ppm_cste_mm 0000+000",
    });
    const auto body = Body(GamaFileLines(anglesOnly, "x.gkf", kTime));
    ASSERT_EQ(body.size(), 5u);
    EXPECT_NE(body[1].find("<direction "), std::string::npos) << body[1];
    EXPECT_NE(body[2].find("<z-angle "), std::string::npos) << body[2];
    Param().sigma_Hz = Param().sigma_V = 0.0f;
    EXPECT_EQ(GamaFileLines(Reduce(HotStationLines()), "x.gkf", kTime).size(), 19u);
}

TEST_F(GamaWriterTest, NoValidStationGivesFrameOnlyAndSpecialNamesStayWellFormed) {
    auto lines = GamaFileLines(Reduce(HotStationLines()), "x.gkf", kTime);
    ASSERT_EQ(lines.size(), 19u);
    EXPECT_EQ(lines[14], "");
    EXPECT_EQ(lines[15], "    </points-observations>");

    const Tday_obs book = Reduce({
        " station Sé<1> Temp_deg 12.0 Press_mmHg 760.0",
        "  numero A&\"B\" AH_gr 0.0000 AV_gr 100.0000 Dp_m 10 ppm_cste_mm 0000+000",
        "  numero Ω AH_gr 10.0000 AV_gr 100.0000 Dp_m 10 ppm_cste_mm 0000+000",
    });
    std::string error;
    ASSERT_TRUE(WriteGamaFile(book, Path("x & y.gkf"), &error)) << error;
    const std::string bytes = ReadBytes(Path("x & y.gkf"));
    for (unsigned char c : bytes) ASSERT_LT(c, 0x80u) << "the file declares no encoding: ASCII only";
    pugi::xml_document doc;
    const pugi::xml_parse_result r = doc.load_buffer(bytes.data(), bytes.size());
    ASSERT_TRUE(r) << r.description();
    const pugi::xml_node obs = doc.child("gama-local").child("network").child("points-observations").child("obs");
    EXPECT_STREQ(obs.attribute("from").value(), "Sé<1>");
    EXPECT_STREQ(obs.child("direction").attribute("to").value(), "A&\"B\"");
    EXPECT_STREQ(obs.child("direction").next_sibling("direction").attribute("to").value(), "Ω");
    EXPECT_TRUE(doc.child("gama-local").child("network").child("parameters").attribute("sigma-act"));
}

TEST_F(GamaWriterTest, NegativeDecimalsInTheIniReadAsNone) {
    // A hand-edited ini with a negative count of decimals must not turn the
    // value width negative (which used to make the write fail).
    Param().angle = -8;
    const Tday_obs book = Reduce(TwoFaceStationLines());
    std::string error;
    ASSERT_TRUE(WriteGamaFile(book, Path("x.gkf"), &error)) << error;
    const auto body = Body(ReadCrLfLines(Path("x.gkf")));
    ASSERT_GE(body.size(), 3u);
    EXPECT_EQ(body[2], R"(        <direction   to="T2"       val= "100" stdev="8.0" />)");
}
