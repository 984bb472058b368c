#include "app/cmd_gsi2xcrt.hpp"

#include <iostream>
#include <string_view>

#include "app/encoding.hpp"
#include "app/param.hpp"
#include "app/text_file.hpp"
#include "app/text_helpers.hpp"
#include "app/utf8.hpp"
#include "exports/line_sink.hpp"
#include "import/gsi_convert.hpp"

namespace kestrova {

namespace {

// The recording as UTF-8 text, decoded as the file layer decodes every
// file; a plain UTF-8 file is used as read, without a second copy.
std::string ReadRecording(const std::string& path) {
    std::string text = ReadFileBytes(path);
    if (StartsWith(text, "\xEF\xBB\xBF") || !IsValidUtf8(text)) text = DecodeFileText(text);
    return text;
}

// Calls `add(line)` for every line of the text, as the file layer splits
// it (CR LF or LF; a last line without its line end counts).
template <typename Add>
void ForEachLine(std::string_view text, Add add) {
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        if (nl == std::string_view::npos) nl = text.size();
        size_t end = nl;
        if (end > start && text[end - 1] == '\r') --end;
        add(text.substr(start, end - start));
        start = nl + 1;
    }
}

}  // namespace

int RunGsi2Xcrt(const std::string& in, const std::string& out) {
    std::string text;
    try {
        text = ReadRecording(in);
    } catch (const TextFileError& e) {
        std::cerr << "Impossible de lire le fichier GSI " << e.what() << "\n";
        return 1;
    }
    try {
        // The book goes to a temporary file as it is made; it replaces
        // `out` only when the whole recording was converted.
        TAtomicTextFile file(out, FileEncoding::Latin1Xml);
        GsiReport report;
        try {
            TGsiXmlBookWriter writer(Param().entete_gsi, file, &report);
            ForEachLine(text, [&](std::string_view line) { writer.AddLine(line); });
            writer.Finish();
        } catch (const GsiConversionError& e) {
            std::cerr << in << " : " << e.what() << "\n";
            return 1;
        }
        for (const std::string& warning : report.warnings) std::cerr << in << " : " << warning << "\n";
        file.Commit();
    } catch (const TextFileError& e) {
        std::cerr << "Impossible d'écrire le fichier " << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace kestrova
