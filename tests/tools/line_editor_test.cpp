#include "tools/line_editor.hpp"

#include <gtest/gtest.h>

namespace kestrova {
namespace {

const std::vector<std::string> kTextBook = {
    "* Chantier test",
    " prisme P1               cste_m -0.0175 ",
    " station S1               Temp_deg 12.0 Press_mmHg 760.0  ht_m 1.5",
    "  numero 12       AH_gr  100.0000 AV_gr  100.0000 Dp_m   25.0000 ppm_cste_mm 0012+000 hv_m    1.6000",
    "  numero 13       AH_gr  200.0000 AV_gr   99.0000 Dp_m   30.0000 ppm_cste_mm 0012+000 hv_m    1.6000 prisme P1 * clou",
};

TObsFields ObsFields(std::string pt, std::string ah, std::string av, std::string dp, std::string ppm, std::string hv,
                     std::string prisme = {}) {
    TObsFields f;
    f.Ptvise = pt;
    f.Ah = ah;
    f.Av = av;
    f.Dp = dp;
    f.ppm = ppm;
    f.Hv = hv;
    f.prisme = prisme;
    return f;
}

TObsFields StationFields(std::string name, std::string temp, std::string press, std::string ht) {
    TObsFields f;
    f.Ptvise = name;
    f.Ah = temp;
    f.Av = press;
    f.Dp = ht;
    return f;
}

TEST(LineEditor, ModeComesFromTheBooksContentOrItsName) {
    EXPECT_EQ(DetectEditorMode(kTextBook), TEditorMode::Text);
    EXPECT_EQ(DetectEditorMode({"<?xml version=\"1.0\"?>", "<carnet>"}), TEditorMode::Xml);
    // The first station or pointing line, wherever it is (a long header).
    EXPECT_EQ(DetectEditorMode({"1", "2", "3", "4", "5", "6", "7", "station S1"}), TEditorMode::Text);
    EXPECT_EQ(DetectEditorMode({"* en-t\xC3\xAAte", "", "   numero 12 AH_gr 1"}), TEditorMode::Text);
    // No station yet: the name of a text book decides; nothing else is one.
    const std::vector<std::string> notes = {"* notes", " prisme P1 cste_m 0.0175"};
    EXPECT_EQ(DetectEditorMode(notes, "/tmp/nouveau.CRT"), TEditorMode::Text);
    EXPECT_EQ(DetectEditorMode(notes, "/tmp/nouveau.carnet"), TEditorMode::Text);
    EXPECT_EQ(DetectEditorMode(notes, "/tmp/nouveau.obs"), TEditorMode::None);
    EXPECT_EQ(DetectEditorMode(notes, "/tmp/a.crt/Untitled"), TEditorMode::None);
    EXPECT_EQ(DetectEditorMode({"410001+00000012 42....+00000120"}, "releve.gsi"), TEditorMode::None);
    EXPECT_EQ(DetectEditorMode({}), TEditorMode::None);
    EXPECT_EQ(EditorModeOfFirstLine("<?xml version=\"1.0\"?>"), TEditorMode::Xml);
    EXPECT_EQ(EditorModeOfFirstLine("* notes"), TEditorMode::Text);
}

TEST(LineEditor, ShowsEachKindOfLine) {
    TObsView v = ShowTextLine(kTextBook, 4);
    EXPECT_EQ(v.layout, TObsLayout::Observation);
    EXPECT_EQ(v.fields.Numligne, "5");
    EXPECT_EQ(v.fields.Ptvise, "13");
    EXPECT_EQ(v.fields.Ah, "200.0000");
    EXPECT_EQ(v.fields.Av, "99.0000");
    EXPECT_EQ(v.fields.Dp, "30.0000");
    EXPECT_EQ(v.fields.ppm, "0012+000");
    EXPECT_EQ(v.fields.Hv, "1.6000");
    EXPECT_EQ(v.fields.prisme, "P1");
    EXPECT_TRUE(v.canPrevious);
    EXPECT_FALSE(v.canNext);

    // A comment is no field: its words are not a prism name.
    v = ShowTextLine({" numero 12 AH_gr 1 AV_gr 2 Dp_m 3 ppm_cste_mm 0 hv_m 1.65 * rep\xC3\xA8re"}, 0);
    EXPECT_EQ(v.fields.Hv, "1.65");
    EXPECT_EQ(v.fields.prisme, "");
    const TObsEdit kept = ValidateTextLine(" numero 12 AH_gr 1 AV_gr 2 Dp_m 3 ppm_cste_mm 0 hv_m 1.65 * note", v.fields);
    EXPECT_FALSE(kept.line);  // nothing changed: the line stays as it is
    EXPECT_TRUE(kept.messages.empty());
    v.fields.Ah = "1.5";
    EXPECT_EQ(*ValidateTextLine(" numero 12 AH_gr 1 AV_gr 2 Dp_m 3 ppm_cste_mm 0 hv_m 1.65 * note", v.fields).line,
              " numero        12 AH_gr       1.5 AV_gr         2 Dp_m         3 ppm_cste_mm         0 "
              "hv_m      1.65 * note");

    v = ShowTextLine(kTextBook, 2);
    EXPECT_EQ(v.layout, TObsLayout::Station);
    EXPECT_EQ(v.fields.Ptvise, "S1");
    EXPECT_EQ(v.fields.Ah, "12.0");
    EXPECT_EQ(v.fields.Av, "760.0");
    EXPECT_EQ(v.fields.Dp, "1.5");

    v = ShowTextLine(kTextBook, 1);
    EXPECT_EQ(v.layout, TObsLayout::Prism);
    EXPECT_EQ(v.fields.Ptvise, "P1");
    EXPECT_EQ(v.fields.Ah, "-0.0175");

    v = ShowTextLine(kTextBook, 0);
    EXPECT_EQ(v.layout, TObsLayout::Other);
    EXPECT_EQ(v.fields.Ptvise, "");
    EXPECT_FALSE(v.canPrevious);
}

TEST(LineEditor, ObservationLineIsRebuiltFromTheFields) {
    const TObsEdit e = ValidateTextLine(kTextBook[3], ObsFields("P12", "123.4567", "100.0000", "25.123", "0000+000", "1.600"));
    EXPECT_TRUE(e.messages.empty());
    ASSERT_TRUE(e.line);
    EXPECT_EQ(*e.line,
              " numero       P12 AH_gr  123.4567 AV_gr  100.0000 Dp_m    25.123 ppm_cste_mm  0000+000 hv_m     1.600");
    // The prism, then the comment of the line, are kept.
    const TObsEdit p = ValidateTextLine(kTextBook[4], ObsFields("13", "1", "2", "3", "0012+000", "1.6", "P1"));
    ASSERT_TRUE(p.line);
    EXPECT_EQ(*p.line, " numero        13 AH_gr         1 AV_gr         2 Dp_m         3 ppm_cste_mm  0012+000 "
                       "hv_m       1.6 prisme        P1 * clou");
}

TEST(LineEditor, EveryFailingCheckIsReportedInOrderAndTheLineStays) {
    EXPECT_TRUE(ValidateTextLine(kTextBook[3], ObsFields("123456789", "1", "1", "1", "0012+000", "1")).line);
    const TObsEdit e =
        ValidateTextLine(kTextBook[3], ObsFields("1234567890", "1234567890", "abc", "1e3", "0012+000", ""));
    EXPECT_FALSE(e.line);
    EXPECT_EQ(e.messages, (std::vector<std::string>{"Attention : Nom du point visé trop grand",
                                                    "Attention : Angle horizontal incohérent",
                                                    "Attention : Angle vertical incohérent",
                                                    "Attention : Hauteur incohérente"}));
}

// The reader drops a pointing whose packed ppm text it cannot take apart:
// such a text is refused, one it reads is written as typed.
TEST(LineEditor, PpmMustBeAPackedTextTheReaderReads) {
    for (const char* bad : {"0", "12", "0012", "12 ppm", "00a2+000", "0012+00000"}) {
        const TObsEdit e = ValidateTextLine(kTextBook[3], ObsFields("12", "100.0000", "100.0000", "25.0000", bad, "1.6000"));
        EXPECT_FALSE(e.line) << bad;
        ASSERT_EQ(e.messages.size(), 1u) << bad;
        EXPECT_EQ(e.messages[0].rfind("Attention : Ppm incohérent", 0), 0u) << bad;
    }
    for (const char* good : {"0020+000", "-0005-034", "0012+0", "0003+017"}) {
        const TObsEdit e = ValidateTextLine(kTextBook[3], ObsFields("12", "100.0000", "100.0000", "25.0000", good, "1.6000"));
        ASSERT_TRUE(e.line) << good;
        EXPECT_NE(e.line->find(std::string(" ") + good + " hv_m"), std::string::npos) << *e.line;
    }
    // Left empty: the reader's "no correction, no constant".
    const TObsEdit empty = ValidateTextLine(kTextBook[3], ObsFields("12", "100.0000", "100.0000", "25.0000", "", "1.6000"));
    ASSERT_TRUE(empty.line);
    EXPECT_NE(empty.line->find(" 0000+000 hv_m"), std::string::npos) << *empty.line;
}

TEST(LineEditor, StationLineChecksPressureAndKeepsTheHeightsDecimals) {
    const std::string line = kTextBook[2];
    EXPECT_EQ(*ValidateTextLine(line, StationFields("S2", "15", "760.1", "1.5432")).line,
              "station S2 Temp_deg 15 Press_mmHg 760.1 ht_m 1.5432");
    EXPECT_EQ(*ValidateTextLine(line, StationFields("S2", "15", "760.1", "1.54")).line,
              "station S2 Temp_deg 15 Press_mmHg 760.1 ht_m 1.54");
    for (const char* bad : {"760", "1013.2"}) {
        const TObsEdit e = ValidateTextLine(line, StationFields("S2", "15", bad, "1.54"));
        EXPECT_FALSE(e.line) << bad;
        EXPECT_EQ(e.messages, (std::vector<std::string>{
                                  "Attention : Pression incohérente. Unité demandée: millimètres de mercure (mmHg)"}));
    }
    const TObsEdit e = ValidateTextLine(line, StationFields("STATION123", "15.25", "760.1", "1.54321"));
    EXPECT_EQ(e.messages,
              (std::vector<std::string>{"Attention : Nom de station trop grand",
                                        "Attention : Température incohérente. Unité demandée: degrés Celsius (°C)",
                                        "Attention : Hauteur appareil incohérente"}));
    // A station's prism stays on the line.
    TObsFields f = StationFields("S1", "12", "760.0", "1.6");
    f.prisme = "GPR1";
    EXPECT_EQ(*ValidateTextLine(" station S1 Temp_deg 12 Press_mmHg 760.0 ht_m 1.5 prisme GPR1", f).line,
              "station S1 Temp_deg 12 Press_mmHg 760.0 ht_m 1.6 prisme GPR1");
}

// "Valider" writes what the user changed and nothing else: the units of the
// line, the text of every untouched field, the decimals of a typed value,
// the comment; a line validated as shown stays byte for byte.
TEST(LineEditor, ValidatingKeepsWhatWasNotTouched) {
    const std::string hPa = " station 1002     Temp_deg 15.0 Press_hPa 980.5  ht_m 1.4875 prisme GPR1 * lue en hPa";
    TObsView v = ShowTextLine(hPa, 0, 1);
    EXPECT_EQ(v.pressureUnit, "hPa");
    EXPECT_EQ(ShowTextLine(kTextBook[2], 0, 1).pressureUnit, "mmHg");
    EXPECT_EQ(ShowTextLine(kTextBook[3], 0, 1).pressureUnit, "");
    TObsEdit e = ValidateTextLine(hPa, v.fields);
    EXPECT_FALSE(e.line);
    EXPECT_TRUE(e.messages.empty());
    // One field changed, typed with a decimal comma: the others as they were.
    v.fields.Ah = "16,5";
    e = ValidateTextLine(hPa, v.fields);
    ASSERT_TRUE(e.line);
    EXPECT_EQ(*e.line, "station 1002 Temp_deg 16.5 Press_hPa 980.5 ht_m 1.4875 prisme GPR1 * lue en hPa");
    // A pressure in hPa is checked as one.
    v.fields.Av = "1013,2";
    EXPECT_EQ(*ValidateTextLine(hPa, v.fields).line,
              "station 1002 Temp_deg 16.5 Press_hPa 1013.2 ht_m 1.4875 prisme GPR1 * lue en hPa");
    for (const char* bad : {"760", "abc", "1013.25"}) {
        v.fields.Av = bad;
        e = ValidateTextLine(hPa, v.fields);
        EXPECT_FALSE(e.line) << bad;
        EXPECT_EQ(e.messages,
                  (std::vector<std::string>{"Attention : Pression incohérente. Unité demandée: hectopascals (hPa)"}));
    }
    // An untouched value that the checks would refuse is not looked at.
    const std::string odd = " station S9 Temp_deg 9 Press_mmHg 735 ht_m 1.54321";
    v = ShowTextLine(odd, 0, 1);
    v.fields.Ah = "9.5";
    EXPECT_EQ(*ValidateTextLine(odd, v.fields).line, "station S9 Temp_deg 9.5 Press_mmHg 735 ht_m 1.54321");

    // A pointing with the other distance keyword keeps its constant and the
    // words after its prism.
    const std::string packed = "  numero 7 AH_gr 10.5 AV_gr 99.1 Dp_m 12.25 ppm+mm 10 3 1.6000 prisme MINI mode";
    v = ShowTextLine(packed, 0, 1);
    EXPECT_FALSE(ValidateTextLine(packed, v.fields).line);
    v.fields.Dp = "12,2512";
    EXPECT_EQ(*ValidateTextLine(packed, v.fields).line,
              " numero         7 AH_gr      10.5 AV_gr      99.1 Dp_m   12.2512 ppm+mm        10 3    1.6000 "
              "prisme      MINI mode");
    // Clearing the prism takes it out; a name with a blank or a "*" would
    // shift the words or start a comment.
    v.fields.prisme = "";
    EXPECT_EQ(*ValidateTextLine(packed, v.fields).line,
              " numero         7 AH_gr      10.5 AV_gr      99.1 Dp_m   12.2512 ppm+mm        10 3    1.6000 mode");
    v.fields.prisme = "GPR 1";
    v.fields.Ptvise = "";
    e = ValidateTextLine(packed, v.fields);
    EXPECT_FALSE(e.line);
    EXPECT_EQ(e.messages,
              (std::vector<std::string>{"Attention : Nom du point visé incohérent (vide, ou avec un blanc ou une *)",
                                        "Attention : Nom du prisme incohérent (avec un blanc ou une *)"}));
    // A pointing line without its height stays without when it is not typed.
    const std::string shortLine = " numero 8 AH_gr 1 AV_gr 2 Dp_m 3 ppm_cste_mm 0012+000";
    v = ShowTextLine(shortLine, 0, 1);
    v.fields.Ah = "1.25";
    EXPECT_EQ(*ValidateTextLine(shortLine, v.fields).line,
              " numero         8 AH_gr      1.25 AV_gr         2 Dp_m         3 ppm_cste_mm  0012+000");
    // ... and when a prism is added, the height the reader took (0) holds
    // its place.
    v.fields.prisme = "P1";
    EXPECT_EQ(*ValidateTextLine(shortLine, v.fields).line,
              " numero         8 AH_gr      1.25 AV_gr         2 Dp_m         3 ppm_cste_mm  0012+000 hv_m         0 "
              "prisme        P1");
}

TEST(LineEditor, PrismAndCommentLinesAreNotChanged) {
    const TObsFields f = ObsFields("P12", "1", "1", "1", "0", "1");
    EXPECT_FALSE(ValidateTextLine(kTextBook[1], f).line);
    EXPECT_FALSE(ValidateTextLine(kTextBook[0], f).line);
    EXPECT_TRUE(ValidateTextLine(kTextBook[0], f).messages.empty());
    // An empty line (what "Ajouter" inserts) becomes an observation line,
    // checked whole; its empty ppm is written as no correction so that the
    // height keeps its place.
    EXPECT_EQ(*ValidateTextLine("", ObsFields("N1", "1", "2", "3", "", "1,5")).line,
              " numero        N1 AH_gr         1 AV_gr         2 Dp_m         3 ppm_cste_mm  0000+000 hv_m       1.5");
    EXPECT_EQ(ValidateTextLine("", ObsFields("N1", "1", "2", "3", "", "")).messages,
              std::vector<std::string>{"Attention : Hauteur incohérente"});
}

// ---------------------------------------------------------------- XML

const std::vector<std::string> kXmlBook = {
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>",
    "<carnet>",
    "   <etalonnages>",
    "   </etalonnages>",
    "   <stations>",
    "      <station num=\"1\" pt_sta=\"S1\" temp=\"12.0\" press=\"760.0\" Ht=\"1.5000\" etalonnage=\"0\" >",
    "         <rawdata>",
    "            <obs num=\"1\" pt_vis=\"R&#233;p\" Hz=\"10.0000\" V=\"100.0000\" Dp=\"25.0000\" Hv=\"1.6\" ppm=\"0\" cste=\"0\"/>",
    "            <obs num=\"2\" pt_vis=\"B\" Hz=\"20.0000\" V=\"100.0000\" Dp=\"30.0000\" Hv=\"1.6\" ppm=\"0\" cste=\"0\"/>",
    "         </rawdata>",
    "      </station>",
    "      <station num=\"2\" pt_sta=\"S2\" temp=\"13.0\" press=\"761.0\" Ht=\"1.4000\" etalonnage=\"0\" >",
    "         <rawdata>",
    "            <obs pt_vis=\"C\" Hz=\"30.0000\"  V=\"100.0000\" Dp=\"35.0000\" Hv=\"1.6\" ppm=\"0\" cste=\"0\"/>",
    "         </rawdata>",
    "      </station>",
    "   </stations>",
    "</carnet>",
};

TEST(LineEditorXml, ShowsStationsAndObservationsAndSkipsOtherLines) {
    EXPECT_EQ(XmlElementName(kXmlBook[6]), "rawdata>");
    EXPECT_EQ(*XmlShownIndex(kXmlBook, 0, 1), 5);
    EXPECT_EQ(*XmlShownIndex(kXmlBook, 9, 1), 11);
    EXPECT_EQ(*XmlShownIndex(kXmlBook, 10, -1), 8);
    EXPECT_EQ(*XmlShownIndex(kXmlBook, 17, 1), 13);  // nothing further: back to the last one
    TObsView v = ShowXmlLine(kXmlBook, 7);
    EXPECT_EQ(v.layout, TObsLayout::XmlObservation);
    EXPECT_EQ(v.fields.Ptvise, "R\xC3\xA9p");
    EXPECT_EQ(v.fields.Ah, "10.0000");
    EXPECT_EQ(v.fields.Dp, "25.0000");
    EXPECT_EQ(v.fields.Hv, "1.6");
    v = ShowXmlLine(kXmlBook, 5);
    EXPECT_EQ(v.layout, TObsLayout::XmlStation);
    EXPECT_EQ(v.fields.Ptvise, "S1");
    EXPECT_EQ(v.fields.Av, "760.0");
    EXPECT_EQ(v.fields.Dp, "1.5000");
    EXPECT_EQ(v.fields.ppm, "0");
    EXPECT_FALSE(v.canPrevious);
    EXPECT_TRUE(ShowXmlLine(kXmlBook, 13).canPrevious);
    EXPECT_FALSE(ShowXmlLine(kXmlBook, 13).canNext);
}

TEST(LineEditorXml, ValidatingRewritesTheElementOfTheLine) {
    // An observation without "num" (as the converters write them) is found by its line.
    TObsFields f = ObsFields("C&D", "31.5", "99.5", "35.5", "4", "1.7");
    TObsEdit e = ValidateXmlLine(kXmlBook, 13, f);
    ASSERT_TRUE(e.line);
    EXPECT_EQ(*e.line, "            <obs pt_vis=\"C&amp;D\" Hz=\"31.5\" V=\"99.5\" Dp=\"35.5\" Hv=\"1.7\" ppm=\"4\" cste=\"0\"/>");
    std::vector<std::string> spaced = kXmlBook;
    spaced[13] = "  <obs pt_vis=\"C\" Hz=\"30\" />";
    EXPECT_EQ(*ValidateXmlLine(spaced, 13, f).line,
              "            <obs pt_vis=\"C&amp;D\" Hz=\"31.5\" V=\"99.5\" Dp=\"35.5\" Hv=\"1.7\" ppm=\"4\" />");
    e = ValidateXmlLine(kXmlBook, 5, StationFields("S9", "20.5", "750.0", "1.2"));
    ASSERT_TRUE(e.line);
    EXPECT_EQ(*e.line, "      <station num=\"1\" pt_sta=\"S9\" temp=\"20.5\" press=\"750.0\" Ht=\"1.2\" etalonnage=\"0\">");
    // The rest of the book still parses and reads the same.
    std::vector<std::string> book = kXmlBook;
    book[5] = *e.line;
    EXPECT_EQ(ShowXmlLine(book, 8).fields.Ptvise, "B");
    EXPECT_EQ(ShowXmlLine(book, 5).fields.Ptvise, "S9");
    EXPECT_FALSE(ValidateXmlLine(kXmlBook, 6, f).line);  // a rawdata line is no field
    // Validated as shown: no change at all; one value typed with a decimal
    // comma: that value alone, with a point.
    for (int line : {5, 13}) {
        const TObsView shown = ShowXmlLine(kXmlBook, line);
        EXPECT_FALSE(ValidateXmlLine(kXmlBook, line, shown.fields).line) << line;
    }
    TObsFields comma = ShowXmlLine(kXmlBook, 13).fields;
    comma.Dp = "35,25";
    EXPECT_EQ(*ValidateXmlLine(kXmlBook, 13, comma).line,
              "            <obs pt_vis=\"C\" Hz=\"30.0000\" V=\"100.0000\" Dp=\"35.25\" Hv=\"1.6\" ppm=\"0\" cste=\"0\"/>");
}

// The book parsed once gives, line after line and edit after edit, what a
// fresh reading of the edited lines gives.
TEST(LineEditorXml, BookParsedOnceReadsAsAFreshParse) {
    std::vector<std::string> lines = kXmlBook;
    lines.insert(lines.begin() + 12, "            <obs pt_vis=\"D\"");  // a start tag over two lines
    lines.insert(lines.begin() + 13, "                 Hz=\"40.0000\"/>");
    lines.insert(lines.begin() + 14, "            <obs pt_vis=\"H\"/><obs pt_vis=\"I\"/>");  // the first one counts
    TXmlBookLines book(lines);
    auto same = [&](const TObsView& a, const TObsView& b) {
        return a.index == b.index && a.layout == b.layout && a.canPrevious == b.canPrevious &&
               a.canNext == b.canNext && a.fields.Numligne == b.fields.Numligne && a.fields.Ptvise == b.fields.Ptvise &&
               a.fields.Ah == b.fields.Ah && a.fields.Av == b.fields.Av && a.fields.Dp == b.fields.Dp &&
               a.fields.ppm == b.fields.ppm && a.fields.Hv == b.fields.Hv;
    };
    const std::vector<std::pair<int, TObsFields>> edits = {
        {7, ObsFields("N", "1", "2", "3", "4", "5")}, {5, StationFields("S9", "20.5", "750.0", "1.2")},
        {12, ObsFields("E", "6", "7", "8", "9", "1")}, {16, ObsFields("F&G", "2", "3", "4", "5", "6")}};
    for (const auto& [index, fields] : edits) {
        for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
            EXPECT_EQ(book.ShownIndex(i, 1), XmlShownIndex(lines, i, 1)) << i;
            EXPECT_TRUE(same(book.Show(i), ShowXmlLine(lines, i))) << "line " << i << " before editing " << index;
        }
        const TObsEdit fresh = ValidateXmlLine(lines, index, fields);
        const TObsEdit kept = book.Validate(index, fields);
        ASSERT_TRUE(fresh.line && kept.line) << index;
        EXPECT_EQ(*kept.line, *fresh.line);
        lines[static_cast<std::size_t>(index)] = *fresh.line;
    }
    EXPECT_EQ(book.Show(14).fields.Ptvise, "H");
    EXPECT_EQ(book.Show(16).fields.Ptvise, "F&G");
}

TEST(LineEditorXml, AjouterInsertsANumberedEmptyObservation) {
    const TXmlInsertion r = AddXmlObservation(kXmlBook, 7);
    ASSERT_EQ(r.index, 8);
    ASSERT_EQ(r.lines.size(), kXmlBook.size() + 1);
    EXPECT_EQ(r.lines[8], "            <obs num=\"2\" pt_vis=\"\" Hz=\"\" V=\"\" Dp=\"\" Hv=\"\" ppm=\"\" cste=\"\"/>");
    EXPECT_EQ(r.lines[9], "            <obs num=\"3\" pt_vis=\"B\" Hz=\"20.0000\" V=\"100.0000\" Dp=\"30.0000\" Hv=\"1.6\" ppm=\"0\" cste=\"0\"/>");
    EXPECT_EQ(r.lines[7], kXmlBook[7]);
    // Valider then fills it.
    const TObsEdit e = ValidateXmlLine(r.lines, 8, ObsFields("N", "1", "2", "3", "0", "1.5"));
    ASSERT_TRUE(e.line);
    EXPECT_EQ(*e.line, "            <obs num=\"2\" pt_vis=\"N\" Hz=\"1\" V=\"2\" Dp=\"3\" Hv=\"1.5\" ppm=\"0\" cste=\"\"/>");
    // On a station line the new observation comes first; unnumbered books stay unnumbered.
    const TXmlInsertion s = AddXmlObservation(kXmlBook, 11);
    ASSERT_EQ(s.index, 13);
    EXPECT_EQ(s.lines[13], "            <obs pt_vis=\"\" Hz=\"\" V=\"\" Dp=\"\" Hv=\"\" ppm=\"\" cste=\"\"/>");
    EXPECT_EQ(s.lines[14], kXmlBook[13]);
}

TEST(LineEditorXml, IndentationFollowsTheElement) {
    EXPECT_EQ(IndentXmlLine("<obs a=\"1\"/>"), "            <obs a=\"1\"/>");
    EXPECT_EQ(IndentXmlLine("  </rawdata>"), "         </rawdata>");
    EXPECT_EQ(IndentXmlLine("</station>"), "      </station>");
    EXPECT_EQ(IndentXmlLine("</stations>"), "   </stations>");
    EXPECT_EQ(IndentXmlLine(" <carnet>"), " <carnet>");
}

}  // namespace
}  // namespace kestrova
