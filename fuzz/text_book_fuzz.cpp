// Text field books (.crt, .carnet) as crt2obs reads them: the book streamed
// from the file equals the book read from its lines; the reduction's
// outputs keep their formats (XML well formed, no control character in a
// column file); its XML form (crt2xcrt), when the lines are a text book, is
// well formed and reads back as a book of as many stations.
// seeds: tests/data/**/*.crt tests/data/**/*.carnet examples/*.crt
#include <cstdio>
#include <fstream>

#include "book_checks.hpp"
#include "fieldbook/text_reader.hpp"
#include "fieldbook/xml_book.hpp"
#include "import/text_to_xml.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrova;
    const std::string_view bytes = fuzz::Bytes(data, size);
    const std::vector<std::string> lines = fuzz::Lines(bytes);
    for (const std::string& l : lines)
        if (l.find("<?xml") != std::string::npos) return 0;  // an XML book: the other target

    Tday_obs batch;
    batch.trace.enabled = false;
    batch.LoadFromLines(lines);

    const std::string path = fuzz::ScratchPath("book.crt");
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Tday_obs streamed;
    streamed.trace.enabled = false;
    streamed.LoadFromFile(path);
    std::remove(path.c_str());
    fuzz::CheckSameBook(batch, streamed, "carnet lu en flux / carnet lu en lignes");

    // The XML form, unless the lines are no text book (no station line, a
    // NUL byte): then the book read has no station, or the lines hold a NUL.
    try {
        const TextToXmlResult xml = ConvertTextBookToXml(lines);
        fuzz::CheckXmlParses(xml.xml, "forme XML du carnet");
        Tday_obs back;
        back.trace.enabled = false;
        FUZZ_CHECK(ReadXmlBook(back, xml.xml), back.erreur_lecture);
        FUZZ_CHECK(back.stations.size() == batch.stations.size(), "stations relues de la forme XML");
    } catch (const TextToXmlError&) {
        bool nul = false;
        for (const std::string& l : lines) nul = nul || l.find('\0') != std::string::npos;
        FUZZ_CHECK(nul || batch.stations.empty(), "forme XML refusée pour un carnet lu");
    }

    fuzz::ReduceAndCheckOutputs(batch);
    return 0;
}
