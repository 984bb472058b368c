#include "console/cmd_gdm2crt.hpp"

#include <iostream>
#include <optional>
#include <string_view>

#include "base/line_reader.hpp"
#include "base/output_set.hpp"
#include "base/param.hpp"
#include "console/import_io.hpp"
#include "import/gdm_convert.hpp"

namespace kestrova {

namespace {

int RunGdm(const std::string& in, const std::string& out, const std::string& angles, GdmBookForm form) {
    const std::optional<GdmAngleUnit> unit = ParseGdmAngleUnit(angles.empty() ? Param().angles_gdm : angles);
    if (!unit) {
        std::cerr << "Unité d'angle incorrecte : \"" << angles << "\" (gon, dms ou deg)\n";
        return 2;
    }
    if (OutputIsInput(in, out, "GDM") || !InputExists(in, "GDM")) return 1;
    try {
        // The recording is read as it streams by, one block at a time, and
        // the book goes to a temporary file that replaces `out` only when
        // the whole recording was converted. The text book starts with a
        // default station when the recording has none: a first look tells.
        bool hasStation = false;
        if (form == GdmBookForm::Text) {
            TTextLineReader first(in);
            std::string_view line;
            while (!hasStation && first.Next(line)) hasStation = IsGdmStationRecord(line);
        }
        TTextLineReader reader(in);
        TOutputSet set;
        TLineSink& sink = set.Add(out, form == GdmBookForm::Text ? FileEncoding::Cp1252 : FileEncoding::Latin1Xml);
        GdmReport report;
        try {
            TGdmBookWriter writer(form, *unit, hasStation, sink);
            std::string_view line;
            while (reader.Next(line)) writer.AddLine(line);
            report = writer.Finish();
        } catch (const GdmConversionError& e) {
            std::cerr << in << " : " << e.what() << " Rien n'est écrit.\n";
            return 1;
        }
        PrintWarnings(in, report.warnings);
        set.Commit();
    } catch (const TextFileError& e) {
        std::cerr << (e.path() == in ? "Impossible de lire le fichier GDM " : "Impossible d'écrire le fichier ")
                  << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

int RunGdm2Crt(const std::string& in, const std::string& out, const std::string& angles) {
    return RunGdm(in, out, angles, GdmBookForm::Text);
}

int RunGdm2Xcrt(const std::string& in, const std::string& out, const std::string& angles) {
    return RunGdm(in, out, angles, GdmBookForm::Xml);
}

}  // namespace kestrova
