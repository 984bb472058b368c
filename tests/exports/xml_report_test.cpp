#include "exports/xml_report.hpp"
#include "exports/xml_text.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include <pugixml.hpp>

#include "base/encoding.hpp"
#include "export_test_support.hpp"
#include "exports/xsl_stylesheet.hpp"

using namespace kestrova;
using namespace exports_test;

namespace {

class XmlReportTest : public WriterTest {};

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += l + "\n";
    return text;
}

// Parses UTF-8 lines; fails the test when the text is not well formed.
void Parse(pugi::xml_document& doc, const std::vector<std::string>& lines) {
    const std::string text = Joined(lines);
    const pugi::xml_parse_result r =
        doc.load_buffer(text.data(), text.size(), pugi::parse_default | pugi::parse_pi, pugi::encoding_utf8);
    ASSERT_TRUE(r) << r.description() << " at offset " << r.offset;
}

// Same with the index error of the listing test: V1 + V2 = 400.0020.
std::vector<std::string> IndexErrorStation() {
    return {
        " station S1 Temp_deg 12.0 Press_mmHg 760.0 ht_m 1.550",
        "  numero T1 AH_gr 0.0000 AV_gr 100.0010 Dp_m 50.0010 ppm_cste_mm 0000+000 hv_m 1.600",
        "  numero T2 AH_gr 100.0012 AV_gr 99.0010 Dp_m 80.0000 ppm_cste_mm 0000+000 hv_m 1.700",
        "  numero T1 AH_gr 200.0000 AV_gr 300.0010 Dp_m 49.9990 ppm_cste_mm 0000+000 hv_m 1.600",
        "  numero T2 AH_gr 300.0008 AV_gr 301.0010 Dp_m 0.0000 ppm_cste_mm 0000+000 hv_m 1.700",
    };
}

}  // namespace

TEST_F(XmlReportTest, HeaderCalibrationsAndStationAttributesInOrder) {
    Param().use_first_target_for_Z0_estimation = "Y";
    const Tday_obs book = Reduce(Concat({" prisme P30 cste_m 0.0300"}, IndexErrorStation()));
    const auto lines = XmlReportLines(book, "res.xsl");
    ASSERT_GE(lines.size(), 16u);
    EXPECT_EQ(lines[0], R"(<?xml version="1.0" encoding="ISO-8859-1"?>)");
    EXPECT_EQ(lines[1], R"(<?xml-stylesheet href="res.xsl" type="text/xsl"?>)");
    EXPECT_EQ(lines[2], R"(<carnet version="v1.1.2">)");
    EXPECT_EQ(lines[3], "<etalonnages>");
    EXPECT_EQ(lines[9],
              R"(    <etalonnage id="P30" num="2" serial="" methode="" P="3.000" Ddep="0.0" Dmax="9999.99" M="-0.0300" )"
              R"(deg_Fourier="0" deg_polynome="0" n_corr_interp="0" lambda_um="0.85" T0_K="285.15" P0_mmHg="760.0">)");
    EXPECT_EQ(lines[10], "        <Coeff_Fourier/>");
    EXPECT_EQ(lines[13], "    </etalonnage>");
    EXPECT_EQ(lines[14], "</etalonnages>");
    EXPECT_EQ(lines[15],
              R"(<stations Z0="400.0020" SigmaZ0="0.0000" SigmaHz="0.0008" SigmaV="0.0012" SigmaDp="0.0010" )"
              R"(export_hauteurs_brelix="N" use_meteo_entete_station="Y" use_first_target_for_Z0_estimation="Y">)");
    EXPECT_EQ(lines[16],
              R"(   <station num="1" pt_sta="S1" temp="12.0" press_mmHg="760.0" press_hPa="1013.0" formule_meteo="Barrel_Sears" )"
              R"(ppm="0.0" Z0="400.0020" SigmaZ0="0.0000" Ht="1.5500" num_ligne="1" valid="Y" cercles="2" fermeture="N" )"
              R"(NbPointes="1" NbPointesC1="2" NbPointesC2="2">)");
    EXPECT_EQ(lines.back(), "</carnet>");
}

TEST_F(XmlReportTest, ResidualsCorrectedByTheStationZ0) {
    const Tday_obs book = Reduce(IndexErrorStation());
    pugi::xml_document doc;
    Parse(doc, XmlReportLines(book, "res.xsl"));
    const pugi::xml_node station = doc.child("carnet").child("stations").child("station");
    std::vector<pugi::xml_node> obs;
    for (pugi::xml_node o : station.child("rawdata").children("obs")) obs.push_back(o);
    ASSERT_EQ(obs.size(), 4u);
    // The listing shows +10 and -10 cc; the report takes the index error out.
    for (const auto& o : obs) EXPECT_STREQ(o.attribute("dV").value(), "0") << o.attribute("pt_vis").value();
    EXPECT_STREQ(obs[1].attribute("dHz").value(), "2");
    EXPECT_STREQ(obs[3].attribute("dHz").value(), "-2");
    EXPECT_STREQ(obs[0].attribute("dDp").value(), "1.0");
    EXPECT_STREQ(obs[2].attribute("dDp").value(), "-1.0");
    EXPECT_STREQ(obs[0].attribute("etalonnage").value(), "-1");
    EXPECT_STREQ(obs[0].attribute("id_etalonnage").value(), "default");
    EXPECT_STREQ(obs[0].attribute("c_etal").value(), "0.0000");
    EXPECT_STREQ(obs[0].attribute("Hv").value(), "1.6000");
    // A pointing without distance: Dp and the five distance values empty.
    const pugi::xml_node noDist = obs[3];
    for (const char* name : {"Dp", "dDp", "ppm", "c_etal", "etalonnage", "id_etalonnage"})
        EXPECT_STREQ(noDist.attribute(name).value(), "") << name;
    EXPECT_STREQ(noDist.attribute("Hv").value(), "1.7000");
    EXPECT_STREQ(noDist.last_attribute().name(), "Hv");

    const pugi::xml_node reduced = station.child("Data_Ok").child("obs").next_sibling("obs");
    EXPECT_STREQ(reduced.attribute("Hz").value(), "100.0010");
    EXPECT_STREQ(reduced.attribute("V").value(), "99.0000");
    EXPECT_STREQ(reduced.attribute("Dp").value(), "80.0000");
}

// Pointings in a row with the same correction and constant may still name
// different calibrations: each line names its own.
TEST_F(XmlReportTest, EachPointingNamesItsOwnCalibration) {
    const Tday_obs book = Reduce({
        " prisme Zéro cste_m 0.0000",
        " prisme P30 cste_m 0.0300",
        " station S1 Temp_deg 12.0 Press_mmHg 760.0 ht_m 1.550",
        "  numero T1 AH_gr 0.0000 AV_gr 100.0000 Dp_m 50.0000 ppm_cste_mm 0000+000 hv_m 1.600",
        "  numero T2 AH_gr 100.0000 AV_gr 100.0000 Dp_m 60.0000 ppm_cste_mm 0000+000 hv_m 1.600 prisme Zéro",
        "  numero T3 AH_gr 200.0000 AV_gr 100.0000 Dp_m 70.0000 ppm_cste_mm 0000+000 hv_m 1.600 prisme Zéro",
        "  numero T1 AH_gr 0.0002 AV_gr 100.0000 Dp_m 50.0000 ppm_cste_mm 0000+000 hv_m 1.600",
        "  numero T4 AH_gr 300.0000 AV_gr 100.0000 Dp_m 80.0000 ppm_cste_mm 0000+000 hv_m 1.600 prisme P30",
        "  numero T4 AH_gr 300.0002 AV_gr 100.0000 Dp_m 80.0000 ppm_cste_mm 0000+000 hv_m 1.600 prisme P30",
    });
    pugi::xml_document doc;
    Parse(doc, XmlReportLines(book, "res.xsl"));
    const pugi::xml_node raw = doc.child("carnet").child("stations").child("station").child("rawdata");
    std::vector<std::string> seen;
    for (pugi::xml_node o : raw.children("obs"))
        seen.push_back(std::string(o.attribute("etalonnage").value()) + " " + o.attribute("id_etalonnage").value() + " " +
                       o.attribute("c_etal").value());
    const std::vector<std::string> expected = {"-1 default 0.0000", "2 Zéro 0.0000",    "2 Zéro 0.0000",
                                               "-1 default 0.0000", "3 P30 0.0300", "3 P30 0.0300"};
    EXPECT_EQ(seen, expected);
}

// Targets named in the calibration editor keep their names in the report,
// beside their ids; a calibration without a name has no `nom` attribute.
TEST_F(XmlReportTest, CalibrationsKeepTheTargetsNames) {
    const Tday_obs book = Reduce({
        R"(<?xml version="1.0" encoding="ISO-8859-1"?>)",
        "<carnet>",
        "   <etalonnages>",
        R"(      <etalonnage id="1" nom="Mini &amp; &quot;rond&quot;" cste="0.0175" num="1" serial="0" methode="" P="3" )"
        R"(Ddep="0" Dmax="9999.99" M="-0.0175" deg_Fourier="0" deg_polynome="0" n_corr_interp="0"/>)",
        R"(      <etalonnage id="2" nom="Réflecteur" cste="0" num="2" serial="0" methode="" P="3" Ddep="0" )"
        R"(Dmax="9999.99" M="-0" deg_Fourier="0" deg_polynome="0" n_corr_interp="0"/>)",
        R"(      <etalonnage id="3" nom="" num="3" serial="0" P="3" Ddep="0" Dmax="9999.99" M="0" deg_Fourier="0" )"
        R"(deg_polynome="0" n_corr_interp="0"/>)",
        "   </etalonnages>",
        "   <stations>",
        R"(      <station num="1" pt_sta="S1" temp="12.0" press="760.0" Ht="1.5500" etalonnage="0" >)",
        "         <rawdata>",
        R"(            <obs pt_vis="T1" Hz="0.0000"  V="100.0000" Dp="50.0175" Hv="1.6000" ppm="0.0" cste="0.0175" etalonnage="1"/>)",
        R"(            <obs pt_vis="T2" Hz="100.0000"  V="100.0000" Dp="80.0000" Hv="1.6000" ppm="0.0" cste="0" etalonnage="2"/>)",
        "         </rawdata>",
        "      </station>",
        "   </stations>",
        "</carnet>",
    });
    ASSERT_EQ(book.etalonnages.size(), 4u);
    EXPECT_EQ(book.etalonnages[1].nom, "Mini & \"rond\"");
    EXPECT_EQ(book.etalonnages[2].nom, "Réflecteur");
    EXPECT_EQ(book.etalonnages[0].nom, "");
    const auto lines = XmlReportLines(book, "res.xsl");
    std::vector<std::string> tags;
    for (const std::string& l : lines)
        if (l.rfind("    <etalonnage ", 0) == 0) tags.push_back(l.substr(0, l.find(" serial=")));
    const std::vector<std::string> expected = {
        R"(    <etalonnage id="default" num="-1")",
        R"(    <etalonnage id="1" nom="Mini &amp; &quot;rond&quot;" num="1")",
        R"(    <etalonnage id="2" nom="Réflecteur" num="2")",
        R"(    <etalonnage id="3" num="3")",
    };
    EXPECT_EQ(tags, expected);
    pugi::xml_document doc;
    Parse(doc, lines);
    const pugi::xml_node raw = doc.child("carnet").child("stations").child("station").child("rawdata");
    // The pointings still name their calibration by its id; the target's
    // constant is carried once (the recorded cste out, the calibration's in).
    EXPECT_STREQ(raw.child("obs").attribute("id_etalonnage").value(), "1");
    EXPECT_STREQ(raw.child("obs").attribute("c_etal").value(), "0.0175");
    EXPECT_STREQ(raw.child("obs").next_sibling("obs").attribute("id_etalonnage").value(), "2");
    const pugi::xml_node reduced = raw.parent().child("Data_Ok").child("obs");
    EXPECT_STREQ(reduced.attribute("pt_vis").value(), "T1");
    EXPECT_STREQ(reduced.attribute("Dp").value(), "50.0175");
}

TEST_F(XmlReportTest, InvalidStationKeepsItsDataAndEmptyVerdictAttributes) {
    const Tday_obs book = Reduce(Concat(TwoFaceStationLines(), HotStationLines()));
    pugi::xml_document doc;
    Parse(doc, XmlReportLines(book, "res.xsl"));
    const pugi::xml_node station = doc.child("carnet").child("stations").child("station").next_sibling("station");
    EXPECT_STREQ(station.attribute("valid").value(), "N");
    EXPECT_STREQ(station.attribute("num_ligne").value(), "5");
    for (const char* name : {"cercles", "fermeture", "NbPointes"})
        EXPECT_STREQ(station.attribute(name).value(), "") << name;
    const pugi::xml_node first = station.child("rawdata").child("obs");
    EXPECT_STREQ(first.attribute("Dp").value(), "50.0000");
    for (const char* name : {"dHz", "dV", "dDp", "ppm", "c_etal", "etalonnage", "id_etalonnage"})
        EXPECT_STREQ(first.attribute(name).value(), "") << name;
    EXPECT_STREQ(station.child("Logs").child("log").attribute("mess").value(),
                 "Température saisie non valide (>40°C)");
    EXPECT_FALSE(station.child("Data_Ok").first_child());
    EXPECT_STREQ(station.child("CheckNobs").child("Nobs").next_sibling().attribute("pt_vis").value(), "T2");
}

TEST_F(XmlReportTest, NamesAndMessagesAreEscaped) {
    Tday_obs book = Reduce({
        " station A&B<1> Temp_deg 12.0 Press_mmHg 760.0",
        "  numero \"T\"&1 AH_gr 0.0000 AV_gr 100.0000 Dp_m 10 ppm_cste_mm 0000+000",
        "  numero T>2 AH_gr 10.0000 AV_gr 100.0000 Dp_m 10 ppm_cste_mm 0000+000",
    });
    book.stations[0].logs.push_back("Cible <T> : message & \"guillemets\"");
    pugi::xml_document doc;
    Parse(doc, XmlReportLines(book, "a&b.xsl"));
    const pugi::xml_node station = doc.child("carnet").child("stations").child("station");
    EXPECT_STREQ(station.attribute("pt_sta").value(), "A&B<1>");
    EXPECT_STREQ(station.child("rawdata").child("obs").attribute("pt_vis").value(), "\"T\"&1");
    EXPECT_STREQ(station.child("CheckNobs").last_child().attribute("pt_vis").value(), "T>2");
    EXPECT_STREQ(station.child("Logs").child("log").attribute("mess").value(), "Cible <T> : message & \"guillemets\"");
}

TEST_F(XmlReportTest, FilesNameTheirStylesheetAndAreLatin1) {
    const Tday_obs book = Reduce(HotStationLines("Gérard"));
    std::string error;
    ASSERT_TRUE(WriteXmlReport(book, Path("res.xml"), &error)) << error;
    ASSERT_TRUE(WriteXslStylesheet(Path("res.xsl"), &error)) << error;
    const std::string xml = ReadBytes(Path("res.xml"));
    EXPECT_NE(xml.find("<?xml-stylesheet href=\"res.xsl\" type=\"text/xsl\"?>\r\n"), std::string::npos);
    EXPECT_NE(xml.find("pt_sta=\"G\xE9rard\""), std::string::npos);
    for (const char* name : {"res.xml", "res.xsl"}) {
        pugi::xml_document doc;
        const pugi::xml_parse_result r = doc.load_file(Path(name).c_str());
        EXPECT_TRUE(r) << name << ": " << r.description();
    }
    const std::string xsl = Cp1252ToUtf8(ReadBytes(Path("res.xsl")));
    EXPECT_NE(xsl.find(") : station réduite</xsl:text>"), std::string::npos);
    EXPECT_NE(xsl.find("<xsl:output method=\"html\" indent=\"yes\""), std::string::npos);
}

// The report's attribute values are appended as they are unless they hold a
// character to escape: the same text as the escaping itself gives, for
// every length up to 20, with one or two bytes set at any place to a
// character to escape, a control, a byte of UTF-8 or a plain one.
TEST(XmlText, AttributeValuesAsTheEscapingGivesThem) {
    const char probes[] = {'&', '<', '>', '"', '\t', '\x01', '\x1f', ' ', '\x7f', '\xc3', '\xa9', 'A', '%', '\''};
    TLineText line;
    for (std::size_t len = 0; len <= 20; ++len) {
        for (std::size_t i = 0; i < std::max<std::size_t>(len, 1); ++i) {
            for (char p : probes) {
                std::string t(len, 'n');
                if (i < len) t[i] = p;
                if (i + 3 < len) t[i + 3] = '"';
                line.Clear();
                AppendXmlText(line, t);
                ASSERT_EQ(line.View(), XmlText(t)) << "length " << len << " at " << i << " byte " << int(p);
            }
        }
    }
}
