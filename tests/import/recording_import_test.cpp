// The import of instrument recordings: recognition of every format, and
// the field books of the recordings written for each reader, their values
// worked out by hand from the recordings (units converted, faces, target
// heights, skipped records).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/format.hpp"
#include "base/text_file.hpp"
#include "fieldbook/model.hpp"
#include "import/recording_import.hpp"

using namespace kestrova;

namespace {

using Lines = std::vector<std::string>;

Lines Read(const std::string& path) { return ReadTextLines(std::string(KESTROVA_TEST_DATA) + "/" + path); }

// The book of a recording, its format recognised.
struct Imported {
    TImportResult result;
    Lines book;
};
Imported Import(const std::string& path, bool textBook = true) {
    Imported i;
    i.result = ImportRecordingLines(Read(path), TRecordingFormat::Unknown, textBook, i.book);
    return i;
}

// The station and pointing lines of a text book, in order.
Lines BookLines(const Lines& book) {
    Lines out;
    for (const std::string& l : book)
        if (l.rfind(" station ", 0) == 0 || l.rfind("  numero ", 0) == 0) out.push_back(l);
    return out;
}

std::string Pointing(const std::string& name, const char* hz, const char* v, const char* dp, const char* token,
                     const char* hv) {
    std::string n = name;
    n.resize(8, ' ');
    return "  numero " + n + " AH_gr " + hz + " AV_gr " + v + " Dp_m " + dp + " ppm_cste_mm " + token + " hv_m " + hv;
}

}  // namespace

TEST(RecordingRecognition, EveryRecordingAndNothingElse) {
    const std::pair<const char*, TRecordingFormat> recordings[] = {
        {"import/chantier_sdr33.sdr", TRecordingFormat::Sdr},
        {"import/chantier_sdr2x.sdr", TRecordingFormat::Sdr},
        {"import/chantier_carlson.rw5", TRecordingFormat::Rw5},
        {"import/chantier_nikon.raw", TRecordingFormat::Nikon},
        {"import/chantier_m5.m5", TRecordingFormat::M5},
        {"import/nivellement_dini.m5", TRecordingFormat::M5Levelling},
        {"import/chantier.gdm", TRecordingFormat::Gdm},
        {"import/simple.gdm", TRecordingFormat::Gdm},
        {"import/surveillance.shoot", TRecordingFormat::Shoot},
        {"gsi/covadis.gsi", TRecordingFormat::Gsi},
        {"gsi/mixed_units8.gsi", TRecordingFormat::Gsi},
        {"gsi/setup_blocks16.gsi", TRecordingFormat::Gsi},
        {"gsi/station_set.gsi", TRecordingFormat::Gsi},
        {"gsi/unreadable_distance.gsi", TRecordingFormat::Gsi},
        {"levelling/bffb16.gsi", TRecordingFormat::GsiLevelling},
    };
    for (const auto& [path, format] : recordings)
        EXPECT_EQ(RecogniseRecording(Read(path)), format) << path;

    for (const char* other : {"crt2obs/text_book.crt", "crt2obs/xml_book.xcrt", "import/lecture_partielle.crt",
                              "obsconv/reseau.obs", "obsconv/niv.obs", "levelling/bffb16.na3", "rename/book.crt"})
        EXPECT_EQ(RecogniseRecording(Read(other)), TRecordingFormat::Unknown) << other;
    std::mt19937 random(32);
    for (int trial = 0; trial < 20; ++trial) {
        Lines noise(1);
        for (int i = 0; i < 3000; ++i) {
            const char c = static_cast<char>(random() % 256);
            if (c == '\n') noise.emplace_back();
            else noise.back() += c;
        }
        EXPECT_EQ(RecogniseRecording(noise), TRecordingFormat::Unknown) << trial;
    }
    EXPECT_EQ(RecogniseRecording({}), TRecordingFormat::Unknown);
    Lines book;
    EXPECT_THROW(ImportRecordingLines(Read("crt2obs/text_book.crt"), TRecordingFormat::Unknown, true, book),
                 TUnrecognisedRecording);
}

TEST(SdrImport, BothLayoutsUnitsFacesAndSkippedRecords) {
    // SDR33: gons, metres, zenith angles, prism constant -30 mm, weather of
    // the 05 record, two faces, a pointing without distance.
    const Imported a = Import("import/chantier_sdr33.sdr");
    const Lines expected33 = {
        " station S1       Temp_deg 15.0 Press_mmHg 752.3 ht_m 1.532",
        Pointing("101", "123.45670", " 99.87650", "  45.1234", "0000-030", "    1.600"),
        Pointing("102", "250.00000", "101.20000", "   0.0000", "0000-030", "    1.600"),
        Pointing("101", "323.45710", "300.12370", "  45.1240", "0000-030", "    1.600"),
        Pointing("102", " 50.00040", "298.80020", "   0.0000", "0000-030", "    1.600"),
        " station S2       Temp_deg 15.0 Press_mmHg 752.3 ht_m 1.450",
        Pointing("S1", " 10.00000", "100.12000", "  45.1250", "0000-030", "    1.300"),
        Pointing("S1", "210.00060", "299.88040", "  45.1256", "0000-030", "    1.300"),
    };
    EXPECT_EQ(BookLines(a.book), expected33);
    EXPECT_EQ(a.result.stations, 2);
    EXPECT_EQ(a.result.pointings, 6);
    EXPECT_EQ(a.result.skipped, "1 travaux (10), 1 notes (13), 1 relèvements arrière (07), 1 observations corrigées "
                                "(09MC), 1 coordonnées (08)");
    EXPECT_TRUE(a.result.warnings.empty());

    // SDR2x: decimal degrees, feet (then US survey feet after the note
    // 13DU), °F and inHg, vertical angles from the horizon.
    const Imported b = Import("import/chantier_sdr2x.sdr");
    const Lines expected2x = {
        " station 1        Temp_deg 15.0 Press_mmHg 760.0 ht_m 1.500",
        Pointing("2", " 50.55556", " 98.33333", "  45.7200", "0000+000", "    1.600"),
        Pointing("2", "250.55556", "301.66667", "  45.7209", "0000+000", "    1.600"),
        " station 3        Temp_deg 15.0 Press_mmHg 760.0 ht_m 1.524",
        Pointing("1", "  0.00000", "100.83333", "  60.9601", "0000+000", "    1.600"),
        Pointing("4", "100.27778", " 97.77778", "   0.0000", "0000+000", "    1.600"),
    };
    EXPECT_EQ(BookLines(b.book), expected2x);
    EXPECT_EQ(b.result.skipped, "1 observations réduites (11)");
}

TEST(Rw5Import, FacesUnitChangeAndSkippedRecords) {
    const Imported r = Import("import/chantier_carlson.rw5");
    const Lines expected = {
        " station 100      Temp_deg 12.0 Press_mmHg 760.1 ht_m 1.550",
        Pointing("200", "  0.00000", "100.00309", " 120.4560", "0000+000", "    1.600"),
        Pointing("200", "200.00123", "299.99753", " 120.4580", "0000+000", "    1.600"),
        Pointing("201", " 61.21978", " 99.30525", "  85.3210", "0000+000", "    1.600"),
        Pointing("201", "261.22006", "300.69414", "  85.3230", "0000+000", "    1.600"),
        Pointing("202", "333.62037", "106.11111", "  42.1000", "0000+000", "    1.600"),
        Pointing("202", "133.62099", "293.88889", "  42.1020", "0000+000", "    1.600"),
        Pointing("203", " 11.11111", "102.22222", "   0.0000", "0000+000", "    2.000"),
        Pointing("203", "211.11296", "297.77778", "   0.0000", "0000+000", "    2.000"),
        // MO: gons and feet from here on.
        " station 200      Temp_deg 12.0 Press_mmHg 760.1 ht_m 1.550",
        Pointing("100", "  0.00000", "100.05000", " 120.4560", "0000+000", "    2.000"),
        Pointing("100", "200.00060", "299.94960", " 120.4579", "0000+000", "    2.000"),
    };
    EXPECT_EQ(BookLines(r.book), expected);
    EXPECT_EQ(r.result.skipped, "1 en-têtes de travail (JB), 1 notes (--), 1 points en coordonnées (SP), "
                                "1 orientations (BK), 1 moyennes de série en commentaire (--SS, --LS), "
                                "1 positions GPS (GPS, GS), 1 excentrements (OF)");
    ASSERT_EQ(r.result.warnings.size(), 1u);
    EXPECT_EQ(r.result.warnings[0], "Ligne 19 : excentrement OF non appliqué à la visée qui le précède.");
}

TEST(NikonImport, BacksightShotsDeletedRecordsAndUnitChange) {
    const Imported n = Import("import/chantier_nikon.raw");
    const Lines expected = {
        " station 1        Temp_deg 15.0 Press_mmHg 752.0 ht_m 1.542",
        Pointing("2", "  0.00000", " 99.99074", " 100.0050", "0000-030", "    1.600"),
        Pointing("2", "200.00062", "300.00864", " 100.0070", "0000-030", "    1.600"),
        Pointing("3", "137.50926", "101.39506", "  45.1230", "0000-030", "    1.500"),
        Pointing("4", "222.22531", "100.18827", "  30.0120", "0000-030", "    1.500"),
        Pointing("5", "233.88889", " 97.77778", "   0.0000", "0000-030", "    1.500"),
        Pointing("3", "337.50988", "298.60494", "  45.1250", "0000-030", "    1.500"),
        Pointing("4", " 22.22593", "299.81173", "  30.0140", "0000-030", "    1.500"),
        Pointing("5", " 33.89012", "302.22222", "   0.0000", "0000-030", "    1.500"),
        // Gons, 59 °F, 1013 hPa, prism constant 0.
        " station 2        Temp_deg 15.0 Press_mmHg 760.0 ht_m 1.610",
        Pointing("1", "200.00000", "100.15000", " 100.0100", "0000+000", "    1.600"),
        Pointing("1", "  0.00060", "299.84960", " 100.0120", "0000+000", "    1.600"),
        Pointing("6", "250.12340", " 99.50000", "  55.5000", "0000+000", "    1.300"),
        Pointing("6", " 50.12360", "300.49980", "  55.5020", "0000+000", "    1.300"),
    };
    EXPECT_EQ(BookLines(n.book), expected);
    EXPECT_EQ(n.result.skipped,
              "8 commentaires (CO), 3 coordonnées (UP, MP, CC, RE, MC), 1 enregistrements supprimés (*)");
}

TEST(M5Import, SetUpBlocksUnitsAndRejectedLines) {
    const Imported m = Import("import/chantier_m5.m5");
    const Lines expected = {
        " station 1        Temp_deg 15.0 Press_mmHg 752.5 ht_m 1.550",
        Pointing("101", "123.45670", " 99.87650", "  45.1234", "0000-030", "    1.600"),
        // A horizontal distance of 30 m at 95 gon: 30 / sin(95 gon).
        Pointing("102", "200.00000", " 95.00000", "  30.0928", "0000-030", "    1.600"),
        Pointing("101", "323.45710", "300.12370", "  45.1240", "0000-030", "    1.600"),
        Pointing("102", "  0.00040", "305.00000", "  30.0928", "0000-030", "    1.600"),
        // DMS angles, an elevation angle of 1°30' (face 2: -181°30'), 20 ft.
        Pointing("103", "377.79784", " 98.33333", "   6.0960", "0000-030", "    2.000"),
        Pointing("103", "177.79846", "301.66667", "   6.0966", "0000-030", "    2.000"),
        " station 2        Temp_deg 15.0 Press_mmHg 752.5 ht_m 1.450",
        Pointing("1", " 10.00000", "100.12000", "  45.1250", "0000-030", "    1.300"),
        Pointing("1", "210.00060", "299.88040", "  45.1256", "0000-030", "    1.300"),
    };
    EXPECT_EQ(BookLines(m.book), expected);
    EXPECT_EQ(m.result.skipped, "1 visées de référence de mise en station (codes A à J), 1 lignes de coordonnées, "
                                "1 lignes marquées en erreur (colonne 119), 1 mesures annulées (#####)");
    ASSERT_EQ(m.result.warnings.size(), 2u);
    EXPECT_EQ(m.result.warnings[0],
              "Ligne 15 : ligne marquée en erreur par l'instrument (colonne 119), ignorée.");

    // The XML book carries the same survey.
    const Imported x = Import("import/chantier_m5.m5", false);
    Tday_obs fromText, fromXml;
    fromText.trace.enabled = fromXml.trace.enabled = false;
    fromText.LoadFromLines(m.book);
    fromXml.LoadFromLines(x.book);
    ASSERT_EQ(fromXml.nb_stat, 2);
    for (int s = 0; s < 2; ++s) {
        const TStation& a = fromText.stations[s];
        const TStation& b = fromXml.stations[s];
        EXPECT_EQ(a.pt_sta, b.pt_sta);
        EXPECT_DOUBLE_EQ(a.Ht, b.Ht);
        EXPECT_DOUBLE_EQ(a.press, b.press);
        ASSERT_EQ(a.nb_obs, b.nb_obs);
        for (int o = 0; o < a.nb_obs; ++o) {
            EXPECT_EQ(a.obs[o].pt_vis, b.obs[o].pt_vis);
            EXPECT_NEAR(a.obs[o].Hz, b.obs[o].Hz, 1e-9);
            EXPECT_NEAR(a.obs[o].V, b.obs[o].V, 1e-9);
            EXPECT_NEAR(a.obs[o].Dp, b.obs[o].Dp, 1e-9);
            EXPECT_NEAR(a.obs[o].cste, b.obs[o].cste, 1e-9);
            EXPECT_NEAR(a.obs[o].Hv, b.obs[o].Hv, 1e-9);
        }
    }
}

TEST(M5Import, ValuesThatCannotBeReadStopTheImport) {
    Lines lines = Read("import/chantier_m5.m5");
    // Line 10: the unit of the first Hz becomes one the format does not have.
    const std::size_t at = lines[9].find("gon ");
    ASSERT_NE(at, std::string::npos);
    lines[9].replace(at, 4, "grx ");
    Lines book;
    try {
        ImportRecordingLines(lines, TRecordingFormat::Unknown, true, book);
        FAIL() << "unit accepted";
    } catch (const TImportError& e) {
        EXPECT_EQ(e.lineNumber(), 10);
        EXPECT_NE(std::string(e.what()).find("Ligne 10 : unité d'angle « grx » inconnue"), std::string::npos)
            << e.what();
    }
}

TEST(DiniImport, RowsOfEachSetUpBackThenForeWithTurningPoints) {
    const Imported d = Import("import/nivellement_dini.m5");
    Lines rows;
    for (std::size_t i = 6; i < d.book.size(); ++i) rows.push_back(d.book[i]);
    const std::string code = "Code= +?......1 Info1=          Info2=          Info3=          Info4=";
    const Lines expected = {
        code,
        // BFFB: double readings averaged, unnamed change point 700001.
        "     RN12   0.0       0.0       0.0     0 / 0.0   0.0       0.0      101.2345",
        "     RN12   1.48125   0.0       0.0     0 / 0.0   0.0      25.141      0.0",
        "   700001   0.0       1.02213   0.0     0 / 0.0   0.0      24.981      0.0",
        "   700001   0.0       0.0       0.0     0 / 0.0   0.0       0.0      101.6936",
        "   700001   1.61544   0.0       0.0     0 / 0.0   0.0      28.411      0.0",
        "      B45   0.0       1.20321   0.0     0 / 0.0   0.0      28.621      0.0",
        "      B45   0.0       0.0       0.0     0 / 0.0   0.0       0.0      102.1059",
        code,
        // aBF: the second set-up reads its foresight first (RN13, in feet);
        // the book holds it after the backsight, with the height that
        // followed the backsight.
        "      B45   0.95435   0.0       0.0     0 / 0.0   0.0      30.120      0.0",
        "       P7   0.0       0.0       1.10000 0 / 0.0   0.0      12.000    102.0",
        "   700002   0.0       1.40000   0.0     0 / 0.0   0.0      30.000      0.0",
        "   700002   1.50000   0.0       0.0     0 / 0.0   0.0      25.100      0.0",
        "     RN13   0.0       0.0       0.0     0 / 0.0   0.0       0.0      101.8602",
        "     RN13   0.0       1.29997   0.0     0 / 0.0   0.0      25.000      0.0",
    };
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(d.result.skipped,
              "3 lignes de texte (TO), 2 résumés de cheminement (KD2, Sh, dz), 1 lectures annulées (#####)");
}

TEST(RecordingMistakes, RefusedWithTheLineOrReadRight) {
    // CR-only line ends: the same book as with CR LF.
    const Lines sdr = Read("import/chantier_sdr33.sdr");
    std::string joined;
    for (const std::string& l : sdr) joined += l + "\r";
    Lines crOnly, book;
    const TImportResult cr = ImportRecordingLines({joined}, TRecordingFormat::Unknown, true, crOnly);
    EXPECT_EQ(cr.format, TRecordingFormat::Sdr);
    EXPECT_EQ(crOnly, Import("import/chantier_sdr33.sdr").book);

    // A decimal comma in a comma-separated record shifts its fields: refused.
    Lines nikon = Read("import/chantier_nikon.raw");
    ASSERT_EQ(nikon[17].substr(0, 5), "SS,3,");
    nikon[17].replace(nikon[17].find("45.123"), 6, "45,123");
    try {
        ImportRecordingLines(nikon, TRecordingFormat::Unknown, true, book);
        FAIL() << "decimal comma accepted";
    } catch (const TImportError& e) {
        EXPECT_EQ(e.lineNumber(), 18);
    }

    // A recording read as another format gives no station: refused.
    EXPECT_THROW(ImportRecordingLines(Read("gsi/station_set.gsi"), TRecordingFormat::Sdr, true, book), TImportError);
    EXPECT_THROW(ImportRecordingLines(Read("import/chantier_m5.m5"), TRecordingFormat::M5Levelling, true, book),
                 TImportError);

    // A point name with a blank keeps the book's columns.
    Lines m5 = Read("import/chantier_m5.m5");
    m5[9].replace(m5[9].find("  101|"), 6, " 10 1|");
    const TImportResult named = ImportRecordingLines(m5, TRecordingFormat::Unknown, true, book);
    EXPECT_EQ(BookLines(book)[1].substr(0, 18), "  numero 10_1     ");
    EXPECT_EQ(named.warnings[0], "Ligne 10 : le nom « 10 1 » contient des blancs ou des caractères réservés, écrit « 10_1 ».");
}

TEST(DiniImport, ARunThatStopsOnAnUnnamedChangePointIsNamedInAWarning) {
    // One M5 levelling line: block 22-48 holds the point name (1-8) and the
    // line number (24-27), then three value blocks.
    auto kd1 = [](int adr, const char* point, const char* id, const char* value) {
        return Format("For M5|Adr %5d|KD1 %-8s%15s%4s|%-2s %14s %-4s|HD %14s m   |%22s| ", adr, point, "", "2", id,
                      value, "m", "20.000", "");
    };
    auto to = [](int adr, const char* text) { return Format("For M5|Adr %5d|TO  %-27s|%22s|%22s|%22s| ", adr, text, "", "", ""); };
    Lines m5 = {to(1, "Start-Line       BF      2"), kd1(2, "A", "Rb", "1.50000"), kd1(3, "", "Rf", "1.00000"),
                kd1(4, "", "Rb", "1.40000"),         kd1(5, "", "Rf", "1.20000"),  to(6, "End-Line         2")};
    Lines book;
    TImportResult r = ImportRecordingLines(m5, TRecordingFormat::Unknown, true, book);
    EXPECT_EQ(r.format, TRecordingFormat::M5Levelling);
    ASSERT_FALSE(r.warnings.empty());
    EXPECT_EQ(r.warnings.back(), "Ligne 6 : cheminement 1 du carnet : se termine sur le point nodal 700002, sans "
                                 "point d'arrivée.");
    // Closed on a named point, the run gives no such warning; without its
    // closing line, the end of the file names it.
    m5[4] = kd1(5, "B", "Rf", "1.20000");
    r = ImportRecordingLines(m5, TRecordingFormat::Unknown, true, book);
    for (const std::string& w : r.warnings) EXPECT_EQ(w.find("point nodal"), std::string::npos) << w;
    m5[4] = kd1(5, "", "Rf", "1.20000");
    m5.pop_back();
    r = ImportRecordingLines(m5, TRecordingFormat::Unknown, true, book);
    ASSERT_FALSE(r.warnings.empty());
    EXPECT_EQ(r.warnings.back(), "En fin de fichier : cheminement 1 du carnet : se termine sur le point nodal "
                                 "700002, sans point d'arrivée.");
}
