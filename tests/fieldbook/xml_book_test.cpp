// XML field book: calibrations with their tables, stations and pointings,
// required attributes, errors that end the reading, and the XML form of a
// text book.
#include <gtest/gtest.h>

#include "base/param.hpp"
#include "base/text_file.hpp"
#include "fieldbook/model.hpp"
#include "fieldbook/text_reader.hpp"
#include "fieldbook/xml_book.hpp"

using namespace kestrova;

namespace {

std::vector<std::string> Lines(const std::string& text) { return SplitTextLines(text); }

Tday_obs ReadXml(const std::string& text, bool* ok = nullptr) {
    Tday_obs b;
    const bool r = ReadXmlBook(b, Lines(text));
    if (ok) *ok = r;
    return b;
}

bool TraceHas(const Tday_obs& b, const std::string& line) {
    for (const std::string& l : b.trace.lines)
        if (l == line) return true;
    return false;
}

const char* kHeader = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n";

const std::string kCalibrations = std::string(kHeader) + R"(<carnet>
  <etalonnages>
    <!-- calibration of the distance meter -->
    <etalonnage id="DI2002" methode="banc" num="5" serial="1234" Ddep="0" Dmax="1000" P="10" M="0.002"
                lambda_um="0.658" T0_C="15" T0_K="290" P0_mmHg="750" deg_Fourier="2" deg_polynome="2" n_corr_interp="2">
      <Coeff_Fourier>
        <c degre="2" A="0.0002" B="-0.0001"/>
        <!-- a degree outside the declared count is ignored -->
        <c degre="3" A="9" B="9"/>
        <c degre="1" A="0.0005" B="0.0003"/>
      </Coeff_Fourier>
      <Coeff_Polynome>
        <q degre="1" Q="0.001"/>
        <q degre="0" Q="5"/>
      </Coeff_Polynome>
      <Coeff_corr_interp>
        <n dist="10" corr="0.001"/>
        <n dist="100" corr="0.002"/>
        <n dist="200" corr="9"/>
      </Coeff_corr_interp>
    </etalonnage>
    <etalonnage id="K" num="6" serial="1" Ddep="0" Dmax="500" P="0" T0_K="290" deg_Fourier="0" deg_polynome="0" n_corr_interp="0"/>
    <etalonnage id="N" num="0" serial="2" Ddep="0" Dmax="500" P="0" deg_Fourier="0" deg_polynome="0" n_corr_interp="0"/>
  </etalonnages>
)";

}  // namespace

TEST(XmlBook, CalibrationTablesSizedByTheDeclaredCounts) {
    bool ok = false;
    const Tday_obs b = ReadXml(kCalibrations + "</carnet>\n", &ok);
    EXPECT_TRUE(ok);
    ASSERT_EQ(b.nb_etal, 4);
    ASSERT_EQ(b.etalonnages.size(), 4u);
    EXPECT_EQ(b.etalonnages[0].num, -1);
    const TEtalonnage& e = b.etalonnages[1];
    EXPECT_EQ(e.id, "DI2002");
    EXPECT_EQ(e.methode, "banc");
    EXPECT_EQ(e.num, 5);
    EXPECT_EQ(e.serial, 1234);
    EXPECT_DOUBLE_EQ(e.Dmax, 1000.0);
    EXPECT_DOUBLE_EQ(e.P, 10.0);
    EXPECT_DOUBLE_EQ(e.M, 0.002);
    EXPECT_DOUBLE_EQ(e.lambda, 0.658);
    EXPECT_DOUBLE_EQ(e.T0, 288.15);  // T0_C wins over T0_K
    EXPECT_DOUBLE_EQ(e.P0, 750.0);
    ASSERT_EQ(e.A.size(), 2u);
    ASSERT_EQ(e.B.size(), 2u);
    EXPECT_DOUBLE_EQ(e.A[0], 0.0005);
    EXPECT_DOUBLE_EQ(e.B[0], 0.0003);
    EXPECT_DOUBLE_EQ(e.A[1], 0.0002);
    EXPECT_DOUBLE_EQ(e.B[1], -0.0001);
    ASSERT_EQ(e.Q.size(), 2u);
    EXPECT_DOUBLE_EQ(e.Q[0], 0.001);
    EXPECT_DOUBLE_EQ(e.Q[1], 0.0);  // no element gives it
    ASSERT_EQ(e.dist.size(), 2u);
    EXPECT_DOUBLE_EQ(e.dist[1], 100.0);
    EXPECT_DOUBLE_EQ(e.corr[1], 0.002);
    // Refractivities recomputed from the calibration's own values.
    EXPECT_NEAR(e.NG0, 287.604 + 4.8864 / (0.658 * 0.658) + 0.068 / (0.658 * 0.658 * 0.658 * 0.658), 1e-9);
    EXPECT_NEAR(e.N0, e.NG0 * 273.15 * 750.0 / (288.15 * 760.0) - 0.6, 1e-9);

    EXPECT_DOUBLE_EQ(b.etalonnages[2].T0, 290.0);  // T0_K alone
    EXPECT_DOUBLE_EQ(b.etalonnages[3].T0, 285.15);  // neither: the ini value
    EXPECT_DOUBLE_EQ(b.etalonnages[3].lambda, 0.85);
    EXPECT_DOUBLE_EQ(b.etalonnages[3].P0, 760.0);
    EXPECT_DOUBLE_EQ(b.etalonnages[3].M, 0.0);

    EXPECT_TRUE(TraceHas(b, "Lecture de l'étalonnage #1"));
    EXPECT_TRUE(TraceHas(b, "Lecture de l'étalonnage #3"));
    EXPECT_TRUE(TraceHas(b, "A(1)=            0.0005000000000000 B(1)=            0.0003000000000000"));
    EXPECT_TRUE(TraceHas(b, "Etalonnage interpole (2 noeuds)"));
    EXPECT_EQ(b.nb_stat, -1);  // no stations element
    EXPECT_TRUE(b.stations.empty());
}

TEST(XmlBook, StationsPointingsAndCalibrationReferences) {
    const std::string text = kCalibrations + R"(  <stations>
    <station num="1" pt_sta="0012" temp="14.5" press="748.2" Ht="1.55" etalonnage="5" cycle="3"
             date_debut="2017-05-02" heure_debut="08:10:00" DOY_debut="122" dsec_debut="29400">
      <rawdata>
        <obs pt_vis="007" Hz="12.5" V="301.2" Dp="1.5E2" Hv="1.6" ppm="12" cste="0.0344"/>
        <!-- second round -->
        <obs pt_vis="A1" Hz="x" V="99" Dp="" Hv="0" ppm="0" cste="0" temp="20" press="700" etalonnage="6"/>
        <obs pt_vis="A2" Hz="1" V="99" Dp="10" Hv="0" ppm="0" cste="0" etalonnage="9"/>
        <obs pt_vis="A3" Hz="1" V="99" Dp="10" Hv="0" ppm="0" cste="0" id_etalonnage="K"/>
      </rawdata>
    </station>
    <station pt_sta="S2" temp="chaud" press="?" Ht="haut" etalonnage="77">
      <rawdata/>
    </station>
    <station pt_sta="S3" temp="10" press="750" Ht="0" id_etalonnage="inconnu">
      <rawdata><obs pt_vis="B" Hz="1" V="99" Dp="10" Hv="0" ppm="0" cste="0"/></rawdata>
    </station>
    <station pt_sta="S4" temp="10" press="750" Ht="0" id_etalonnage="K">
      <rawdata/>
    </station>
  </stations>
</carnet>
)";
    bool ok = false;
    const Tday_obs b = ReadXml(text, &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(b.nb_stat, 4);
    ASSERT_EQ(b.stations.size(), 4u);
    EXPECT_TRUE(b.avec_cycles);

    const TStation& s = b.stations[0];
    EXPECT_EQ(s.pt_sta, "12");
    EXPECT_DOUBLE_EQ(s.temp, 14.5);
    EXPECT_DOUBLE_EQ(s.press, 748.2);
    EXPECT_DOUBLE_EQ(s.Ht, 1.55);
    EXPECT_EQ(s.ligne, -1);
    EXPECT_EQ(s.cycle, 3);
    EXPECT_EQ(s.date_debut, "2017-05-02");
    EXPECT_EQ(s.heure_debut, "08:10:00");
    EXPECT_EQ(s.DOY_debut, 122);
    EXPECT_EQ(s.dsec_debut, 29400);
    EXPECT_EQ(s.date_fin, "");
    EXPECT_EQ(s.etalonnage, 5);
    EXPECT_EQ(s.calibration, &b.etalonnages[1]);
    ASSERT_EQ(s.nb_obs, 4);
    ASSERT_EQ(s.obs.size(), 4u);

    const Tobs& o = s.obs[0];
    EXPECT_EQ(o.pt_vis, "7");
    EXPECT_DOUBLE_EQ(o.Hz, 12.5);
    EXPECT_DOUBLE_EQ(o.V, 301.2);
    EXPECT_EQ(o.cercle, 2);
    EXPECT_DOUBLE_EQ(o.Dp, 150.0);  // exponent allowed for pointing values
    EXPECT_DOUBLE_EQ(o.ppm, 12.0);
    EXPECT_DOUBLE_EQ(o.cste, 0.0344);
    EXPECT_DOUBLE_EQ(o.temp, 14.5);  // from the station
    EXPECT_DOUBLE_EQ(o.press, 748.2);
    EXPECT_EQ(o.unite_temp, "deg");
    EXPECT_EQ(o.unite_press, "mmHg");
    EXPECT_FALSE(o.mode);
    EXPECT_EQ(o.indice, 0);
    EXPECT_EQ(o.calibration, &b.etalonnages[1]);

    EXPECT_DOUBLE_EQ(s.obs[1].Hz, 0.0);  // not a number
    EXPECT_DOUBLE_EQ(s.obs[1].Dp, 0.0);
    EXPECT_DOUBLE_EQ(s.obs[1].temp, 20.0);
    EXPECT_DOUBLE_EQ(s.obs[1].press, 700.0);
    EXPECT_EQ(s.obs[1].etalonnage, 6);
    EXPECT_EQ(s.obs[1].calibration, &b.etalonnages[2]);
    EXPECT_EQ(s.obs[2].etalonnage, 5);  // 9 names nothing: the station's
    EXPECT_EQ(s.obs[3].etalonnage, 6);  // by id
    EXPECT_EQ(s.obs[3].indice, 3);

    const TStation& s2 = b.stations[1];
    EXPECT_DOUBLE_EQ(s2.temp, 12.0);
    EXPECT_DOUBLE_EQ(s2.press, 760.1);
    EXPECT_DOUBLE_EQ(s2.Ht, 0.0);
    EXPECT_EQ(s2.cycle, -1);
    EXPECT_EQ(s2.etalonnage, -1);  // 77 declared nowhere
    EXPECT_EQ(s2.calibration, &b.etalonnages[0]);
    EXPECT_EQ(s2.nb_obs, 0);

    // An unknown id gives 0, which resolves to the calibration numbered 0.
    EXPECT_EQ(b.stations[2].etalonnage, 0);
    EXPECT_EQ(b.stations[2].calibration, &b.etalonnages[3]);
    EXPECT_EQ(b.stations[2].obs[0].calibration, &b.etalonnages[3]);
    EXPECT_EQ(b.stations[3].etalonnage, 6);

    EXPECT_TRUE(TraceHas(b, "Réduction d'un fichier carnet XML"));
    EXPECT_TRUE(TraceHas(b, "XStations nb de noeuds : 4"));
    EXPECT_TRUE(TraceHas(b, "XRawData nb de noeuds : 4"));
    EXPECT_TRUE(TraceHas(b, "  007 Hz=12.5 V=301.2 Dp=1.5E2 Hv=1.6 ppm=12 cste=0.0344"));
    EXPECT_TRUE(TraceHas(b, "     code : 7"));
    EXPECT_TRUE(TraceHas(
        b, "  code=7 Hz=  12.50000 V= 301.20000 Dp=  150.0000 Hv=   1.60000 ppm=  12.00000 cste=   0.03440 etalonnage=5"));
}

TEST(XmlBook, UnknownIdWithoutCalibrationZeroResolvesToTheDefault) {
    const Tday_obs b = ReadXml(std::string(kHeader) + R"(<carnet><stations>
      <station pt_sta="S" temp="10" press="750" Ht="0" id_etalonnage="X"><rawdata/></station>
    </stations></carnet>)");
    ASSERT_EQ(b.stations.size(), 1u);
    EXPECT_EQ(b.stations[0].calibration, &b.etalonnages[0]);
    EXPECT_EQ(b.stations[0].etalonnage, -1);
    EXPECT_FALSE(b.avec_cycles);
}

TEST(XmlBook, CalibrationsAfterTheStationsCannotBeReferred) {
    const Tday_obs b = ReadXml(std::string(kHeader) + R"(<carnet><stations>
      <station pt_sta="S" temp="10" press="750" Ht="0" etalonnage="5">
        <rawdata><obs pt_vis="1" Hz="1" V="99" Dp="10" Hv="0" ppm="0" cste="0" etalonnage="5"/></rawdata>
      </station></stations>
      <etalonnages><etalonnage num="5" serial="1" Ddep="0" Dmax="500" P="0" deg_Fourier="0" deg_polynome="0" n_corr_interp="0"/></etalonnages>
    </carnet>)");
    ASSERT_EQ(b.etalonnages.size(), 2u);  // read all the same
    EXPECT_EQ(b.etalonnages[1].num, 5);
    EXPECT_EQ(b.stations[0].etalonnage, -1);
    EXPECT_EQ(b.stations[0].calibration, &b.etalonnages[0]);
    EXPECT_EQ(b.stations[0].obs[0].calibration, &b.etalonnages[0]);
}

TEST(XmlBook, ErrorsEndTheReadingAndTheStationsReadAreResolved) {
    // The calibration editor's form lacks the required "num".
    bool ok = true;
    Tday_obs a = ReadXml(std::string(kHeader) + R"(<carnet><etalonnages><etalonnage id="P1" nom="P1" cste="0.03"/></etalonnages>
      <stations><station pt_sta="S" temp="10" press="750" Ht="0"><rawdata/></station></stations></carnet>)", &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(a.nb_stat, -1);
    EXPECT_TRUE(a.stations.empty());

    // A pointing without temp takes the station's text, here not a number:
    // the reading ends inside the second station, the first one stays.
    Tday_obs b = ReadXml(std::string(kHeader) + R"(<carnet><stations>
      <station pt_sta="S1" temp="10" press="750" Ht="0"><rawdata><obs pt_vis="1" Hz="1" V="99" Dp="10" Hv="0" ppm="0" cste="0"/></rawdata></station>
      <station pt_sta="S2" temp="chaud" press="750" Ht="0"><rawdata><obs pt_vis="1" Hz="1" V="99" Dp="10" Hv="0" ppm="0" cste="0"/></rawdata></station>
      <station pt_sta="S3" temp="10" press="750" Ht="0"><rawdata/></station>
    </stations></carnet>)", &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(b.nb_stat, 1);
    ASSERT_EQ(b.stations.size(), 1u);
    EXPECT_EQ(b.stations[0].pt_sta, "S1");
    EXPECT_EQ(b.stations[0].calibration, &b.etalonnages[0]);
    EXPECT_EQ(b.stations[0].obs[0].calibration, &b.etalonnages[0]);

    // Missing required attributes, bad integers, no rawdata, bad XML.
    const std::vector<std::string> faulty = {
        R"(<carnet><stations><station temp="10" press="750" Ht="0"><rawdata/></station></stations></carnet>)",
        R"(<carnet><stations><station pt_sta="S" press="750" Ht="0"><rawdata/></station></stations></carnet>)",
        R"(<carnet><stations><station pt_sta="S" temp="10" press="750" Ht="0"/></stations></carnet>)",
        R"(<carnet><stations><station pt_sta="S" temp="10" press="750" Ht="0" cycle="1.5"><rawdata/></station></stations></carnet>)",
        R"(<carnet><stations><station pt_sta="S" temp="10" press="750" Ht="0"><rawdata><obs pt_vis="1" Hz="1" V="99" Dp="10" Hv="0" ppm="0"/></rawdata></station></stations></carnet>)",
        R"(<carnet><etalonnages><etalonnage num="1" serial="1" Ddep="0" Dmax="x" P="0" deg_Fourier="0" deg_polynome="0" n_corr_interp="0"/></etalonnages></carnet>)",
        R"(<carnet><etalonnages><etalonnage num="1" serial="1" Ddep="0" Dmax="9" P="0" deg_Fourier="2.5" deg_polynome="0" n_corr_interp="0"/></etalonnages></carnet>)",
        R"(<carnet><stations><station pt_sta="S" temp="10" press="750" Ht="0"><rawdata></station></stations></carnet>)",
        // Integers beyond 32 bits do not wrap to another number.
        R"(<carnet><stations><station pt_sta="S" temp="10" press="750" Ht="0" DOY_debut="4294967297"><rawdata/></station></stations></carnet>)",
        R"(<carnet><etalonnages><etalonnage num="4294967297" serial="1" Ddep="0" Dmax="9" P="0" deg_Fourier="0" deg_polynome="0" n_corr_interp="0"/></etalonnages></carnet>)",
        // A damaged count would size tables of billions of entries.
        R"(<carnet><etalonnages><etalonnage num="1" serial="1" Ddep="0" Dmax="9" P="0" deg_Fourier="2000000000" deg_polynome="0" n_corr_interp="0"/></etalonnages></carnet>)",
        R"(<carnet><etalonnages><etalonnage num="1" serial="1" Ddep="0" Dmax="9" P="0" deg_Fourier="0" deg_polynome="0" n_corr_interp="1000000000"/></etalonnages></carnet>)",
    };
    for (const std::string& doc : faulty) {
        Tday_obs f = ReadXml(std::string(kHeader) + doc, &ok);
        EXPECT_FALSE(ok) << doc;
        EXPECT_NE(f.erreur_lecture.find("ligne "), std::string::npos) << doc << " : " << f.erreur_lecture;
        EXPECT_TRUE(f.stations.empty()) << doc;
        EXPECT_LE(f.nb_stat, 0) << doc;
        EXPECT_FALSE(f.etalonnages.empty()) << doc;
    }
}

TEST(XmlBook, TheCauseOfAStopNamesLineElementAndAttribute) {
    bool ok = true;
    Tday_obs a = ReadXml(std::string(kHeader) + "<carnet>\n <etalonnages>\n"
                         "  <etalonnage num=\"1\" serial=\"1\" Ddep=\"inf\" Dmax=\"9\" P=\"1\" deg_Fourier=\"0\"\n"
                         "     deg_polynome=\"0\" n_corr_interp=\"0\"/>\n </etalonnages>\n</carnet>", &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(a.erreur_lecture, "ligne 4, élément etalonnage, attribut Ddep = \"inf\" : nombre attendu");

    Tday_obs b = ReadXml(std::string(kHeader) + "<carnet><stations>\n<station pt_sta=\"S\" temp=\"10\" press=\"750\" Ht=\"0\"/>\n"
                         "</stations></carnet>", &ok);
    EXPECT_EQ(b.erreur_lecture, "ligne 3, station S sans rawdata");
    Tday_obs c = ReadXml(std::string(kHeader) + "<carnet>\n<stations>\n</carnet>", &ok);
    EXPECT_EQ(c.erreur_lecture.substr(0, 37), "ligne 4 : document XML invalide (Star") << c.erreur_lecture;

    // A book read to its end has no cause.
    Tday_obs d = ReadXml(std::string(kHeader) + "<carnet><stations/></carnet>", &ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(d.erreur_lecture.empty());
}

TEST(XmlBook, Latin1DeclaredDocumentKeepsItsAccentedNames) {
    const Tday_obs b = ReadXml(std::string(kHeader) + "<carnet><stations>"
                               "<station pt_sta=\"Église\" temp=\"10\" press=\"750\" Ht=\"0\"><rawdata>"
                               "<obs pt_vis=\"Clocher à l'est &amp; co\" Hz=\"1\" V=\"99\" Dp=\"10\" Hv=\"0\" ppm=\"0\" cste=\"0\"/>"
                               "</rawdata></station></stations></carnet>");
    ASSERT_EQ(b.stations.size(), 1u);
    EXPECT_EQ(b.stations[0].pt_sta, "Église");
    // Cut to 16 characters ("Clocher à l'est "), then trimmed.
    EXPECT_EQ(b.stations[0].obs[0].pt_vis, "Clocher à l'est");
}

class TextToXml : public ::testing::Test {
protected:
    void SetUp() override { saved_ = Param(); }
    void TearDown() override { Param() = saved_; }
    TParam saved_;
};

TEST_F(TextToXml, ExactLinesOfTheXmlForm) {
    Param().angle = 4;
    Param().longueur = 3;
    const std::vector<std::string> xml = TextToXmlBook({
        " prisme P1 cste_m 0.0300",
        " point 12 hv_m 1.8",
        " station S1 Temp_deg 15.0 Press_hPa 1013.25 ht_m 1.532 prisme P1",
        "  numero 0012 AH_gr 123.45 AV_gr 99.8765 Dp_m 5 ppm_cste_mm -0005-034 hv_m 1.6 prisme P1 * note",
        "  numero A&<\"B AH_gr 0.00001 AV_gr 300 Dp_m 0 ppm+mm 10 3",
        " station 000",
        "  numero T\ta\x01" "b AH_gr 1 AV_gr 100 Dp_m 2",
    });
    const std::vector<std::string> expected = {
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>",
        "<carnet>",
        "   <etalonnages>",
        "   </etalonnages>",
        "   <stations>",
        "      <station num=\"1\" pt_sta=\"S1\" temp=\"15.0\" press=\"760.2\" Ht=\"1.5320\" etalonnage=\"0\" >",
        "         <rawdata>",
        "            <obs pt_vis=\"12\" Hz=\"123.4500\"  V=\"99.8765\" Dp=\"5.000\" Hv=\"1.600\" ppm=\"-5.0\" cste=\"-0.034\"/>",
        "            <obs pt_vis=\"A&amp;&lt;&quot;B\" Hz=\"0.0000\"  V=\"300.0000\" Dp=\"0.000\" Hv=\"0.000\" ppm=\"10.0\" "
        "cste=\"3.000\"/>",
        "         </rawdata>",
        "      </station>",
        "      <station num=\"2\" pt_sta=\"0\" temp=\"0.0\" press=\"0.0\" Ht=\"0.0000\" etalonnage=\"0\" >",
        "         <rawdata>",
        "            <obs pt_vis=\"T&#9;a?b\" Hz=\"1.0000\"  V=\"100.0000\" Dp=\"2.000\" Hv=\"0.000\" ppm=\"0.0\" "
        "cste=\"0.000\"/>",
        "         </rawdata>",
        "      </station>",
        "   </stations>",
        "</carnet>",
    };
    EXPECT_EQ(xml, expected);
}

TEST_F(TextToXml, DecimalsFollowTheIniAndANegativeCountMeansNoneGiven) {
    const std::vector<std::string> book = {" station S1 Temp_deg 15.0 Press_mmHg 752.3 ht_m 1.532",
                                           "  numero 12 AH_gr 123.45 AV_gr 99.8765 Dp_m 5 ppm_cste_mm 0012+034 hv_m 1.6"};
    Param().angle = 0;
    Param().longueur = 1;
    EXPECT_EQ(TextToXmlBook(book)[7],
              "            <obs pt_vis=\"12\" Hz=\"123\"  V=\"100\" Dp=\"5.0\" Hv=\"1.6\" ppm=\"12.0\" cste=\"0.034\"/>");
    // A hand-edited ini with a negative count: "%.*f" then shows 6 decimals.
    Param().angle = -1;
    Param().longueur = -2;
    EXPECT_EQ(TextToXmlBook(book)[7], "            <obs pt_vis=\"12\" Hz=\"123.450000\"  V=\"99.876500\" "
                                      "Dp=\"5.000000\" Hv=\"1.600000\" ppm=\"12.0\" cste=\"0.034\"/>");
}

TEST_F(TextToXml, RoundTripKeepsTheValuesOfTheTextBook) {
    Param().angle = 5;
    Param().longueur = 4;
    const std::vector<std::string> text = {
        " station S1 Temp_deg 15.0 Press_mmHg 752.3 ht_m 1.532",
        "  numero 12 AH_gr 123.4567 AV_gr 99.8765 Dp_m 45.1234 ppm_cste_mm 0012+034 hv_m 1.600",
        "  numero 13 AH_gr 323.4571 AV_gr 300.1239 Dp_m 45.1240 ppm_cste_mm 0012+034 hv_m 1.600",
        " station Église Temp_deg -3.5 Press_mmHg 701.0 ht_m 1.4",
        "  numero S1 AH_gr 0.0000 AV_gr 101.0001 Dp_m 0.0000 ppm_cste_mm -0007+000 hv_m 0",
    };
    Tday_obs fromText;
    ReadTextBook(fromText, text);
    Tday_obs fromXml;
    ASSERT_TRUE(ReadXmlBook(fromXml, TextToXmlBook(text)));
    ASSERT_EQ(fromXml.stations.size(), fromText.stations.size());
    for (size_t i = 0; i < fromText.stations.size(); ++i) {
        const TStation& a = fromText.stations[i];
        const TStation& x = fromXml.stations[i];
        EXPECT_EQ(x.pt_sta, a.pt_sta);
        EXPECT_DOUBLE_EQ(x.temp, a.temp);
        EXPECT_DOUBLE_EQ(x.press, a.press);
        EXPECT_DOUBLE_EQ(x.Ht, a.Ht);
        ASSERT_EQ(x.obs.size(), a.obs.size());
        for (size_t j = 0; j < a.obs.size(); ++j) {
            EXPECT_EQ(x.obs[j].pt_vis, a.obs[j].pt_vis);
            EXPECT_DOUBLE_EQ(x.obs[j].Hz, a.obs[j].Hz);
            EXPECT_DOUBLE_EQ(x.obs[j].V, a.obs[j].V);
            EXPECT_EQ(x.obs[j].cercle, a.obs[j].cercle);
            EXPECT_DOUBLE_EQ(x.obs[j].Dp, a.obs[j].Dp);
            EXPECT_DOUBLE_EQ(x.obs[j].Hv, a.obs[j].Hv);
            EXPECT_DOUBLE_EQ(x.obs[j].ppm, a.obs[j].ppm);
            EXPECT_DOUBLE_EQ(x.obs[j].cste, a.obs[j].cste);
            EXPECT_DOUBLE_EQ(x.obs[j].temp, a.obs[j].temp);
        }
    }
}

TEST(XmlBook, StationsOfSeveralElementsFollowEachOtherAndCommentsAreNoStations) {
    bool ok = false;
    const Tday_obs b = ReadXml(std::string(kHeader) + R"(<carnet>
      <stations>
        <!-- cycle 1 -->
        <station pt_sta="A" temp="10" press="750" Ht="0"><rawdata/></station>
        <station pt_sta="B" temp="10" press="750" Ht="0"><rawdata/></station>
      </stations>
      <autre><station pt_sta="X" temp="10" press="750" Ht="0"/></autre>
      <stations>
        <station pt_sta="C" temp="10" press="750" Ht="0"><rawdata/></station>
      </stations>
    </carnet>)", &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(b.nb_stat, 3);
    ASSERT_EQ(b.stations.size(), 3u);
    EXPECT_EQ(b.stations[2].pt_sta, "C");
    EXPECT_TRUE(TraceHas(b, "XStations nb de noeuds : 2"));
    EXPECT_TRUE(TraceHas(b, "nb_stat=2"));
    for (const TStation& s : b.stations) EXPECT_EQ(s.calibration, &b.etalonnages[0]);
}
