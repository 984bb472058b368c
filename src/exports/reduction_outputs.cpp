#include "exports/reduction_outputs.hpp"

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

// The error of a writer about `path`, whose text already starts with the
// path ("<path> : <reason>").
TextFileError WriteError(const std::string& path, const std::string& error) {
    const std::string prefix = path + " : ";
    return TextFileError(path, error.rfind(prefix, 0) == 0 ? error.substr(prefix.size()) : error);
}

// Runs one writer; on failure throws with the writer's reason.
template <typename Writer>
void Run(std::vector<std::string>& written, const std::string& path, Writer writer) {
    std::string error;
    if (!writer(&error)) throw WriteError(path, error);
    written.push_back(path);
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
    std::vector<std::string> written;
    Run(written, files.chk, [&](std::string* e) { return WriteCheckListing(book, files.chk, e); });
    Run(written, files.xml, [&](std::string* e) { return WriteXmlReport(book, files.xml, e); });
    Run(written, files.xsl, [&](std::string* e) { return WriteXslStylesheet(files.xsl, e); });
    Run(written, files.obs, [&](std::string* e) { return WriteObsFile(book, files.obs, e); });
    Run(written, files.iob, [&](std::string* e) { return WriteGeolabFile(book, files.iob, e); });
    Run(written, files.gsi, [&](std::string* e) { return WriteGsiFile(book, files.gsi, e); });
    return written;
}

std::vector<std::string> WriteInteractiveReductionOutputs(const Tday_obs& book, const ReductionFiles& files) {
    std::vector<std::string> written;
    if (book.avec_cycles) {
        std::string error;
        std::string failed;
        std::vector<std::string> stationFiles;
        const bool ok = WriteObsFilesPerStation(book, files.obs, &error, &stationFiles, &failed);
        written.insert(written.end(), stationFiles.begin(), stationFiles.end());
        if (!ok) throw WriteError(failed.empty() ? ObsStationDirectory(files.obs) : failed, error);
    } else {
        Run(written, files.obs, [&](std::string* e) { return WriteObsFile(book, files.obs, e); });
    }
    Run(written, files.chk, [&](std::string* e) { return WriteCheckListing(book, files.chk, e); });
    Run(written, files.xml, [&](std::string* e) { return WriteXmlReport(book, files.xml, e); });
    Run(written, files.xsl, [&](std::string* e) { return WriteXslStylesheet(files.xsl, e); });
    Run(written, files.gkf, [&](std::string* e) { return WriteGamaFile(book, files.gkf, e); });
    Run(written, files.iob, [&](std::string* e) { return WriteGeolabFile(book, files.iob, e); });
    Run(written, files.gsi, [&](std::string* e) { return WriteGsiFile(book, files.gsi, e); });
    return written;
}

}  // namespace kestrova
