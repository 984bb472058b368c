#include "console/cmd_crt2xcrt.hpp"

#include <iostream>
#include <string_view>

#include "base/line_reader.hpp"
#include "base/output_set.hpp"
#include "console/import_io.hpp"
#include "import/text_to_xml.hpp"

namespace kestrova {

int RunCrt2Xcrt(const std::string& in, const std::string& out) {
    if (OutputIsInput(in, out, "carnet") || !InputExists(in, "carnet")) return 1;
    try {
        // The book is read twice as it streams by (prisms and heights, then
        // the stations); the XML book goes to a temporary file that
        // replaces `out` only when the whole book was converted.
        TTextLineReader first(in);
        TTextLineReader second(in, first.IsUtf8(), 0, 0);
        TOutputSet set;
        TLineSink& sink = set.Add(out, FileEncoding::Latin1Xml);
        TextToXmlReport report;
        try {
            report = WriteTextBookAsXml([&](std::string_view& line) { return first.Next(line); },
                                        [&](std::string_view& line) { return second.Next(line); }, sink);
        } catch (const TextToXmlError& e) {
            std::cerr << in << " : " << e.what() << " Rien n'est écrit.\n";
            return 1;
        }
        // A converter writes no number it could not read.
        for (const std::string* refusal : {&report.unreadWarning, &report.numberWarning}) {
            if (refusal->empty()) continue;
            std::cerr << in << " : " << *refusal << " Rien n'est écrit.\n";
            return 1;
        }
        PrintWarnings(in, report.warnings);
        set.Commit();
    } catch (const TextFileError& e) {
        std::cerr << (e.path() == in ? "Impossible de lire le fichier carnet " : "Impossible d'écrire le fichier ")
                  << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace kestrova
