#include "levelling/niv_reduce.hpp"

#include <ctime>
#include <filesystem>

#include "base/fixed_text.hpp"
#include "base/format.hpp"
#include "base/line_sink.hpp"
#include "base/output_set.hpp"
#include "base/param.hpp"
#include "base/progress.hpp"
#include "base/text_file.hpp"
#include "levelling/line_source.hpp"
#include "levelling/na3_reader.hpp"
#include "levelling/niv_records.hpp"
#include "levelling/turning_points.hpp"

namespace kestrova {

TNivExportWriter::TNivExportWriter(TLineSink& obs, TLineSink& iob, TLineSink& gkf, const std::string& gkfPath,
                                   const std::string& stamp, int decimals)
    : obs_(obs), iob_(iob), gkf_(gkf), decimals_(decimals) {
    const char* const header[] = {
        R"(<?xml version="1.0" ?>)",
        R"(<!DOCTYPE gama-local SYSTEM "gama-local.dtd">)",
        "",
        R"(<gama-local version="2.0">)",
        R"(  <network axes-xy="en" angles="left-handed" >)",
        "    <description>",
        "      Donnees reduites",
    };
    for (const char* h : header) gkf_.Add(h);
    gkf_.Add("      " + GamaXmlText(gkfPath));
    gkf_.Add("      fichier cree le " + stamp);
    // gama-local knows <parameters .../> only.
    const char* const rest[] = {
        "    </description>",
        "",
        R"(    <parameters sigma-act="apriori"/>)",
        "",
        "    <points-observations>",
        "",
        "      <height-differences>",
    };
    for (const char* h : rest) gkf_.Add(h);
}

void TNivExportWriter::Add(int run, const Tdeniv& d) {
    if (run != headerRun_) {
        headerRun_ = run;
        obs_.Add(BrelixRunHeader(run));
        iob_.Add(BrelixRunHeader(run));
        gkf_.Add(GamaRunHeader(run));
    }
    obs_.Add(BrelixRecord(d));
    iob_.Add(GeolabRecord(d));
    gkf_.Add(GamaRecord(d, decimals_));
}

void TNivExportWriter::Finish() {
    gkf_.Add("      </height-differences>");
    gkf_.Add("    </points-observations>");
    gkf_.Add("  </network>");
    gkf_.Add("</gama-local>");
}

std::string NivTimeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return Format("%02d-%02d-%04d %02d:%02d:%02d", tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900, tm.tm_hour,
                  tm.tm_min, tm.tm_sec);
}

namespace {

std::string FullPath(const std::string& path) {
    std::error_code ec;
    const auto p = std::filesystem::absolute(path, ec);
    return ec ? path : p.lexically_normal().string();
}

}  // namespace

TNivReduceResult ReduceNa3Book(TLineSource& source, const std::string& obsPath, const TNivSettings& settings,
                               const std::string& stamp, TProgress& progress) {
    progress.Stage("Suppression des crapauds");
    TNivReduceResult result;
    TNivWarnings warnings;
    const std::string gkfPath = ChangeFileExt(obsPath, ".gkf");
    TOutputSet outputs;
    TLineSink& obs = outputs.Add(ChangeFileExt(obsPath, ".obs"));
    TLineSink& iob = outputs.Add(ChangeFileExt(obsPath, ".iob"));
    TLineSink& gkf = outputs.Add(gkfPath);
    TNivExportWriter writer(obs, iob, gkf, FullPath(gkfPath), stamp, Param().nivellement);

    TNa3BookReader reader;
    TTurningPoints tp(settings);
    Tobs_niv reading;
    Tdeniv d;
    std::string line;
    long long lineNumber = 0;
    while (source.Next(line)) {
        ++lineNumber;
        if (lineNumber % 4096 == 0) progress.Advance(static_cast<double>(lineNumber), source.Total());
        const auto step = reader.AddLine(line, reading);
        if (step.opensRun) tp.StartRun();
        if (!step.reading || !tp.Add(reading, d)) continue;
        if (d.to == "!ERROR!")
            warnings.Add(Format("ligne %d : le point %s ferme la dénivelée partie de lui-même (!ERROR!)", lineNumber,
                                d.from));
        if (FixedText(d.sigma, Param().nivellement < 0 ? 0 : Param().nivellement).find_first_not_of("0.") ==
            std::string::npos)
            warnings.Add(Format("ligne %d : écart-type nul pour %s -> %s (refusé par gama-local)", lineNumber, d.from,
                                d.to));
        writer.Add(reader.Runs(), d);
        ++result.differences;
    }
    writer.Finish();
    result.runs = reader.Runs();
    result.warnings = warnings.Lines();
    if (result.runs > 0) outputs.Commit();  // else the set is dropped: nothing written
    return result;
}

void WriteNivExports(const TRunList& runs, TLineSink& obs, TLineSink& iob, TLineSink& gkf,
                     const std::string& gkfPath, const std::string& stamp, int decimals) {
    TNivExportWriter writer(obs, iob, gkf, gkfPath, stamp, decimals);
    int number = 0;
    for (const auto& [label, run] : runs) {
        ++number;
        for (const auto& [record, d] : run.denivs) writer.Add(number, d);
    }
    writer.Finish();
}

}  // namespace kestrova
