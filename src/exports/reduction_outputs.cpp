#include "exports/reduction_outputs.hpp"

#include "base/output_set.hpp"
#include "base/text_file.hpp"
#include "exports/check_listing.hpp"
#include "exports/export_common.hpp"
#include "exports/gama_writer.hpp"
#include "exports/geolab_writer.hpp"
#include "exports/gsi_writer.hpp"
#include "exports/obs_writer.hpp"
#include "exports/xml_report.hpp"
#include "exports/xsl_stylesheet.hpp"

namespace kestrova {

namespace {

// The report with its stylesheet's name, as WriteXmlReport() does.
void StageXmlReport(const Tday_obs& book, const std::string& path, TOutputSet& set) {
    ProduceXmlReport(book, ExtractFileName(ChangeFileExt(path, ".xsl")), set.Add(path, FileEncoding::Latin1Xml));
}

void StageXslStylesheet(const std::string& path, TOutputSet& set) {
    TLineSink& sink = set.Add(path, FileEncoding::Latin1Xml);
    for (const std::string& line : XslStylesheetLines()) sink.Add(line);
}

}  // namespace

ReductionFiles ReductionFileNames(const std::string& outOrObsName) {
    ReductionFiles f;
    f.obs = ChangeFileExt(outOrObsName, ".obs");
    f.chk = ChangeFileExt(f.obs, ".chk");
    f.xml = ChangeFileExt(f.obs, ".xml");
    f.xsl = ChangeFileExt(f.obs, ".xsl");
    f.iob = ChangeFileExt(f.obs, ".iob");
    f.gkf = ChangeFileExt(f.obs, ".gkf");
    f.gsi = PathWithoutExt(f.obs) + "_out.gsi";
    return f;
}

std::string ReductionOutputReplacing(const ReductionFiles& files, const std::string& input, bool withGkf) {
    for (const std::string* out : {&files.obs, &files.chk, &files.xml, &files.xsl, &files.iob, &files.gkf, &files.gsi}) {
        if (out == &files.gkf && !withGkf) continue;
        if (SameFile(*out, input)) return *out;
    }
    return {};
}

std::vector<std::string> WriteConsoleReductionOutputs(const Tday_obs& book, const ReductionFiles& files) {
    const TExportTime time = CurrentExportTime();
    TOutputSet set;
    set.LockOn(files.obs);
    ProduceCheckListing(book, set.Add(files.chk));
    StageXmlReport(book, files.xml, set);
    StageXslStylesheet(files.xsl, set);
    ProduceObsFile(book, files.obs, time, set.Add(files.obs));
    ProduceGeolabFile(book, set.Add(files.iob));
    ProduceGsiFile(book, set.Add(files.gsi));
    set.Commit();
    return set.Paths();
}

std::vector<std::string> WriteInteractiveReductionOutputs(const Tday_obs& book, const ReductionFiles& files) {
    const TExportTime time = CurrentExportTime();
    TOutputSet set;
    set.LockOn(files.obs);
    if (book.avec_cycles)
        StageObsFilesPerStation(book, files.obs, set);
    else
        ProduceObsFile(book, files.obs, time, set.Add(files.obs));
    ProduceCheckListing(book, set.Add(files.chk));
    StageXmlReport(book, files.xml, set);
    StageXslStylesheet(files.xsl, set);
    ProduceGamaFile(book, files.gkf, time, set.Add(files.gkf));
    ProduceGeolabFile(book, set.Add(files.iob));
    ProduceGsiFile(book, set.Add(files.gsi));
    set.Commit();
    return set.Paths();
}

}  // namespace kestrova
