// GSI recordings as gsi2xcrt and gsi2crt convert them: the streamed book
// equals the book made from all the lines at once (same lines, or the same
// refusal); the XML book is well formed and reads back; the text book
// reads without a fault.
// seeds: tests/data/**/*.gsi tests/data/**/*.rec examples/*.gsi
#include "book_checks.hpp"
#include "base/param.hpp"
#include "fieldbook/xml_book.hpp"
#include "import/gsi_convert.hpp"

namespace {

std::vector<std::string> Streamed(kestrova::GsiBookForm form, const std::vector<std::string>& lines, bool& failed) {
    kestrova::TLineCollector sink;
    failed = false;
    try {
        kestrova::TGsiBookWriter writer(form, kestrova::Param().entete_gsi, sink);
        for (const std::string& l : lines) writer.AddLine(l);
        writer.Finish();
    } catch (const kestrova::GsiConversionError&) {
        failed = true;
    }
    return sink.lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrova;
    const std::vector<std::string> lines = fuzz::Lines(fuzz::Bytes(data, size));
    const std::string style = Param().entete_gsi;

    bool streamFailed = false;
    const std::vector<std::string> streamedXml = Streamed(GsiBookForm::Xml, lines, streamFailed);
    try {
        const std::vector<std::string> xml = GsiToXmlBook(lines, style);
        FUZZ_CHECK(!streamFailed && xml == streamedXml, "livre XML en flux / en une fois");
        fuzz::CheckXmlParses(xml, "carnet XML");
        Tday_obs book;
        book.trace.enabled = false;
        FUZZ_CHECK(ReadXmlBook(book, xml), book.erreur_lecture);
    } catch (const GsiConversionError&) {
        FUZZ_CHECK(streamFailed, "refus en une fois seulement");
    }

    const std::vector<std::string> streamedText = Streamed(GsiBookForm::Text, lines, streamFailed);
    try {
        const std::vector<std::string> text = GsiToTextBook(lines, style);
        FUZZ_CHECK(!streamFailed && text == streamedText, "carnet texte en flux / en une fois");
        Tday_obs book;
        book.trace.enabled = false;
        book.LoadFromLines(text);
    } catch (const GsiConversionError&) {
        FUZZ_CHECK(streamFailed, "refus en une fois seulement");
    }
    return 0;
}
