// XML field books (.xcrt) as crt2obs reads them; the reduction's outputs
// keep their formats (XML well formed, no control character in a column
// file), and a book read in part names the cause of the stop.
// seeds: tests/data/**/*.xcrt
#include "book_checks.hpp"
#include "fieldbook/xml_book.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrova;
    const std::vector<std::string> lines = fuzz::Lines(fuzz::Bytes(data, size));
    Tday_obs book;
    book.trace.enabled = false;
    const bool whole = ReadXmlBook(book, lines);
    FUZZ_CHECK(whole == book.erreur_lecture.empty(), book.erreur_lecture);
    fuzz::ReduceAndCheckOutputs(book);
    return 0;
}
