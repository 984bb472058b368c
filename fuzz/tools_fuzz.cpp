// The editing tools on any document: the observation line editor shows
// every line of a text or XML book without a fault, and renaming a point
// keeps the lines of a text field book and reads again without a fault.
// (Stations and pointings are not compared: the renaming re-spaces every
// word, and a damaged line with a "*" inside a word may then read
// differently.)
// seeds: tests/data/**/*.crt tests/data/**/*.xcrt tests/data/**/*.na3 examples/*.crt
#include "book_checks.hpp"
#include "tools/line_editor.hpp"
#include "tools/rename_point.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrova;
    const std::vector<std::string> lines = fuzz::Lines(fuzz::Bytes(data, size));
    const int shown = static_cast<int>(std::min<std::size_t>(lines.size(), 200));
    switch (DetectEditorMode(lines)) {
        case TEditorMode::Text:
            for (int i = 0; i < shown; ++i) ShowTextLine(lines, i);
            break;
        case TEditorMode::Xml:
            for (int i = 0; i < shown; ++i) ShowXmlLine(lines, i);
            break;
        case TEditorMode::None:
            break;
    }

    if (DetectRenameBook(lines) != TRenameBook::Text) return 0;
    // Renaming blanks control characters on the lines it rewrites, which
    // may turn an unreadable line (" \0numero ...") into a pointing: the
    // count is compared on books without them.
    for (const std::string& l : lines)
        if (HasControlCharacter(l)) return 0;
    const TRenamePreset preset = RenamePreset(lines, 0);
    const std::string from = preset.name.empty() ? std::string("1") : preset.name;
    const auto renamed = RenamePoint(lines, from, "RENOMME", TRenameOptions{true, true});
    if (!renamed) return 0;
    FUZZ_CHECK(renamed->size() == lines.size(), "lignes du carnet renommé");
    Tday_obs after;
    after.trace.enabled = false;
    after.LoadFromLines(*renamed);
    return 0;
}
