// What the targets of the instrument readers check on one input read as a
// recording of a given format: both books are made or both refused with a
// line named; the XML book is well formed and reads back with as many
// stations as the text book, every line of the text book is printable, and
// the book reduces; a levelling book reads back.
#pragma once
#include "book_checks.hpp"
#include "fieldbook/xml_book.hpp"
#include "import/recording_import.hpp"
#include "levelling/na3_reader.hpp"

namespace fuzz {

inline void CheckRecording(const std::vector<std::string>& lines, kestrova::TRecordingFormat format) {
    using namespace kestrova;
    std::vector<std::string> text, xml;
    bool textRefused = false, xmlRefused = false;
    try {
        ImportRecordingLines(lines, format, true, text);
    } catch (const TImportError&) {
        textRefused = true;
    }
    try {
        ImportRecordingLines(lines, format, false, xml);
    } catch (const TImportError&) {
        xmlRefused = true;
    }
    FUZZ_CHECK(textRefused == xmlRefused, "un seul des deux carnets refusé");
    if (textRefused) return;
    if (IsLevellingFormat(format)) {
        CheckPrintable(text, "carnet de nivellement");
        ReadNa3Book(text);
        return;
    }
    CheckPrintable(text, "carnet texte");
    CheckXmlParses(xml, "carnet XML");
    Tday_obs fromText, fromXml;
    fromText.trace.enabled = fromXml.trace.enabled = false;
    fromText.LoadFromLines(text);
    FUZZ_CHECK(ReadXmlBook(fromXml, xml), fromXml.erreur_lecture);
    FUZZ_CHECK(fromText.stations.size() == fromXml.stations.size(), "stations des deux carnets");
    ReduceAndCheckOutputs(fromXml);
}

}  // namespace fuzz
