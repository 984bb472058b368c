// Shoot logs of monitoring programs as shoot2crt converts them: the books
// streamed cycle by cycle equal the books made from all the lines (same
// lines, or the same refusal); the XML book is well formed and reads back.
// seeds: tests/data/**/*.shoot examples/*.shoot
#include "book_checks.hpp"
#include "fieldbook/xml_book.hpp"
#include "import/shoot_convert.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrova;
    const std::vector<std::string> lines = fuzz::Lines(fuzz::Bytes(data, size));

    TLineCollector text, xml;
    bool xmlAsked = false;
    bool streamFailed = false;
    std::size_t next = 0;
    try {
        ConvertShoot([&](std::string& line) {
                         if (next >= lines.size()) return false;
                         line = lines[next++];
                         return true;
                     },
                     ShootSinks{[&]() -> TLineSink& { return text; },
                                [&]() -> TLineSink& {
                                    xmlAsked = true;
                                    return xml;
                                }},
                     4, 4);
    } catch (const ShootConversionError&) {
        streamFailed = true;
    }
    try {
        const ShootBooks books = ShootToBooks(lines, 4, 4);
        FUZZ_CHECK(!streamFailed, "refus en flux seulement");
        FUZZ_CHECK(books.text == text.lines && books.xml == xml.lines, "carnets en flux / en une fois");
        if (!books.xml.empty()) {
            fuzz::CheckXmlParses(books.xml, "carnet XML");
            Tday_obs book;
            book.trace.enabled = false;
            FUZZ_CHECK(ReadXmlBook(book, books.xml), book.erreur_lecture);
            fuzz::ReduceAndCheckOutputs(book);
        }
    } catch (const ShootConversionError&) {
        FUZZ_CHECK(streamFailed, "refus en une fois seulement");
    }
    (void)xmlAsked;
    return 0;
}
