// Trimble GDM recordings as gdm2crt and gdm2xcrt convert them: the XML
// book, when not refused, is well formed and reads back; the text book,
// when not refused, reads without a fault. A refusal is the conversion's
// own error (not a GDM recording, a value that is not a number).
// seeds: tests/data/**/*.gdm tests/data/**/*.raw examples/*.gdm
#include "book_checks.hpp"
#include "fieldbook/xml_book.hpp"
#include "import/gdm_convert.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrova;
    const std::vector<std::string> lines = fuzz::Lines(fuzz::Bytes(data, size));
    Tday_obs fromXml;
    fromXml.trace.enabled = false;
    bool xmlRefused = false;
    try {
        const GdmBook xml = GdmToXmlBook(lines);
        fuzz::CheckXmlParses(xml.lines, "carnet XML");
        FUZZ_CHECK(ReadXmlBook(fromXml, xml.lines), fromXml.erreur_lecture);
    } catch (const GdmConversionError&) {
        xmlRefused = true;
    }
    try {
        const GdmBook text = GdmToTextBook(lines);
        Tday_obs fromText;
        fromText.trace.enabled = false;
        fromText.LoadFromLines(text.lines);
    } catch (const GdmConversionError&) {
    }
    if (!xmlRefused) fuzz::ReduceAndCheckOutputs(fromXml);
    return 0;
}
