// Trimble GDM recordings as gdm2crt and gdm2xcrt convert them: the XML
// book (never refused) is well formed and reads back; the text book, when
// not refused, reads without a fault. (The two routes may count different
// stations: the text route takes a line "2" without "=" for a station.)
// seeds: tests/data/**/*.gdm tests/data/**/*.raw examples/*.gdm
#include "book_checks.hpp"
#include "fieldbook/xml_book.hpp"
#include "import/gdm_convert.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrova;
    const std::vector<std::string> lines = fuzz::Lines(fuzz::Bytes(data, size));
    const GdmBook xml = GdmToXmlBook(lines);
    fuzz::CheckXmlParses(xml.lines, "carnet XML");
    Tday_obs fromXml;
    fromXml.trace.enabled = false;
    FUZZ_CHECK(ReadXmlBook(fromXml, xml.lines), fromXml.erreur_lecture);
    try {
        const GdmBook text = GdmToTextBook(lines);
        Tday_obs fromText;
        fromText.trace.enabled = false;
        fromText.LoadFromLines(text.lines);
    } catch (const GdmConversionError&) {
    }
    fuzz::ReduceAndCheckOutputs(fromXml);
    return 0;
}
