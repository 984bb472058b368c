#include "levelling/niv_reduce.hpp"

#include <ctime>
#include <filesystem>

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
    TNivWarnings zeroSigma;
    const std::string gkfPath = ChangeFileExt(obsPath, ".gkf");
    TOutputSet outputs;
    TLineSink& obs = outputs.Add(ChangeFileExt(obsPath, ".obs"));
    TLineSink& iob = outputs.Add(ChangeFileExt(obsPath, ".iob"));
    TLineSink& gkf = outputs.Add(gkfPath);
    const int decimals = Param().nivellement;
    TNivExportWriter writer(obs, iob, gkf, FullPath(gkfPath), stamp, decimals);

    TNa3BookReader reader(&warnings);
    TTurningPoints tp(settings);
    Tobs_niv reading;
    Tdeniv d;
    std::string line;
    long long lineNumber = 0;
    // The run being read: its number, the line that opened it and the
    // differences it gave.
    int run = 0;
    long long runLine = 0;
    int runDifferences = 0;
    auto endRun = [&] {
        if (run == 0) return;
        if (tp.Open())
            warnings.Add(Format("cheminement %d (ligne %d) : les lectures depuis %s n'atteignent aucun point nommé "
                                "(dernier point lu : %s) et ne donnent aucune dénivelée",
                                run, runLine, tp.OpenFrom(), tp.LastName()));
        else if (runDifferences == 0)
            warnings.Add(Format("cheminement %d (ligne %d) : aucune dénivelée", run, runLine));
    };
    while (source.Next(line)) {
        ++lineNumber;
        if (lineNumber % 4096 == 0) progress.Advance(static_cast<double>(lineNumber), source.Total());
        const auto step = reader.AddLine(line, reading);
        if (step.opensRun) {
            endRun();
            tp.StartRun();
            run = reader.Runs();
            runLine = lineNumber;
            runDifferences = 0;
        }
        if (!step.reading || !tp.Add(reading, d)) continue;
        if (tp.FromTurningPoint()) {
            // Written, it would join this turning point to every other one
            // of the same number in the adjustment.
            warnings.Add(Format("ligne %d : la dénivelée %s -> %s part du point nodal %s (mise en station rompue "
                                "dans le carnet) : elle n'est pas écrite",
                                lineNumber, d.from, d.to, d.from));
            continue;
        }
        if (d.to == "!ERROR!")
            warnings.Add(Format("ligne %d : le point %s ferme la dénivelée partie de lui-même (!ERROR!)", lineNumber,
                                d.from));
        if (IsZeroStdev(d.sigma, decimals)) {
            zeroSigma.Add(Format("ligne %d : %s -> %s", lineNumber, d.from, d.to));
            ++result.zeroSigmaCount;
        }
        writer.Add(run, d);
        ++result.differences;
        ++runDifferences;
    }
    endRun();
    writer.Finish();
    result.runs = reader.Runs();
    result.textLines = reader.TextLines();
    result.bookLines = reader.BookLines();
    if (result.bookLines > 0 && result.textLines > 2 * result.bookLines)
        warnings.Add(Format("%d lignes sur %d ne sont pas des lignes de carnet de nivellement : elles sont ignorées",
                            result.textLines - result.bookLines, result.textLines));
    result.warnings = warnings.Lines();
    result.zeroSigma = zeroSigma.Lines();
    // Nothing is written when the file is no book, when the book gave no
    // difference, or when one of them would carry a zero standard deviation
    // (gama-local refuses it).
    if (result.Written()) outputs.Commit();
    return result;
}

std::string ZeroSigmaMessage(const TNivReduceResult& result, const TNivSettings& settings) {
    std::string text = Format("Pondération %d refusée : l'écart-type de %d dénivelée%s serait nul, ce que gama-local "
                              "refuse :",
                              static_cast<int>(settings.mode), result.zeroSigmaCount,
                              result.zeroSigmaCount > 1 ? "s" : "");
    for (const std::string& z : result.zeroSigma) text += "\n  " + z;
    switch (settings.mode) {
        case TWeighting::Default:
            text += "\nLes E.M.Q. de ces lignes sont nuls dans le carnet (ou inférieurs à 0.05 mm, écrits 0.0). "
                    "Choisissez la pondération 1 (sigma*sqrt(D)) ou 2 (sigma*sqrt(n)).";
            break;
        case TWeighting::Distance:
            // Zero distances, or distances too short for a small reference.
            text += "\nLes distances de ces lignes sont nulles dans le carnet, ou trop courtes pour l'écart-type de "
                    "référence choisi. Choisissez la pondération 0 (E.M.Q. du niveau) ou 2 (sigma*sqrt(n)), ou un "
                    "écart-type de référence plus grand.";
            break;
        case TWeighting::Count:
            text += "\nL'écart-type de référence est trop petit pour les décimales du fichier. Choisissez un "
                    "écart-type de référence plus grand.";
            break;
    }
    return text + "\nRien n'est écrit.";
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
