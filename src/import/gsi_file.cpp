#include "import/gsi_file.hpp"

#include "base/line_reader.hpp"

namespace kestrova {

GsiReport ConvertGsiFile(const std::string& in, const std::string& out, GsiBookForm form,
                         const std::string& headerStyle, TOutputSet& outputs, TProgress& progress) {
    progress.Stage("Conversion de l'enregistrement GSI");
    TTextLineReader reader(in);
    TLineSink& sink = outputs.Add(out, form == GsiBookForm::Xml ? FileEncoding::Latin1Xml : FileEncoding::Cp1252);
    GsiReport report;
    TGsiBookWriter writer(form, headerStyle, sink, &report);
    std::string line;
    for (long long n = 1; reader.Next(line); ++n) {
        writer.AddLine(line);
        if (n % 4096 == 0) progress.Advance(static_cast<double>(n), 0.0);
    }
    writer.Finish();
    return report;
}

}  // namespace kestrova
