#include "exports/reduction_outputs.hpp"

#include <algorithm>
#include <functional>

#include "base/output_set.hpp"
#include "base/parallel_jobs.hpp"
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

// The outputs of one run: each staged in the set (in the set's order),
// then all produced at once, the costliest first: the last jobs to start
// are then short ones, and the cores end together (the .xml alone takes
// as long as the .obs, .iob and _out.gsi together).
class TOutputJobs {
public:
    TOutputJobs(TOutputSet& set, TProgress& progress) : set_(set), progress_(progress) {}

    // `cost`: the job's share of the writing on a large book, in the units
    // of the costs below.
    void Add(const std::string& path, FileEncoding encoding, int cost, std::function<void(TLineSink&)> produce) {
        // A cancel stops the writer at its next block of the file.
        TLineSink& staged = set_.Add(path, encoding, &progress_);
        jobs_.push_back({cost, [&staged, produce = std::move(produce)] { produce(staged); }});
    }
    void Add(const std::string& path, int cost, std::function<void(TLineSink&)> produce) {
        Add(path, FileEncoding::Cp1252, cost, std::move(produce));
    }

    void Run() {
        progress_.Stage("Écriture des fichiers");
        std::stable_sort(jobs_.begin(), jobs_.end(), [](const TJob& a, const TJob& b) { return a.cost > b.cost; });
        std::vector<std::function<void()>> ordered;
        for (TJob& job : jobs_) ordered.push_back(std::move(job.run));
        RunJobsConcurrently(ordered, progress_);
    }

private:
    struct TJob {
        int cost;
        std::function<void()> run;
    };
    TOutputSet& set_;
    TProgress& progress_;
    std::vector<TJob> jobs_;
};

// The writers' costs: milliseconds for a million pointings on two cores
// (only their order matters).
constexpr int kXmlCost = 256, kChkCost = 215, kIobCost = 72, kObsCost = 68, kGkfCost = 68, kGsiCost = 34,
              kXslCost = 0;

// The report with its stylesheet's name, as WriteXmlReport() does.
void AddXmlReport(const Tday_obs& book, const std::string& path, TOutputJobs& jobs) {
    jobs.Add(path, FileEncoding::Latin1Xml, kXmlCost, [&book, name = ExtractFileName(ChangeFileExt(path, ".xsl"))](TLineSink& sink) {
        ProduceXmlReport(book, name, sink);
    });
}

void AddXslStylesheet(const std::string& path, TOutputJobs& jobs) {
    jobs.Add(path, FileEncoding::Latin1Xml, kXslCost, [](TLineSink& sink) {
        for (const std::string& line : XslStylesheetLines()) sink.Add(line);
    });
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

std::vector<std::string> WriteConsoleReductionOutputs(const Tday_obs& book, const ReductionFiles& files,
                                                      TProgress& progress) {
    const TExportTime time = CurrentExportTime();
    TOutputSet set;
    set.LockOn(files.obs);
    TOutputJobs jobs(set, progress);
    jobs.Add(files.chk, kChkCost, [&](TLineSink& sink) { ProduceCheckListing(book, sink); });
    AddXmlReport(book, files.xml, jobs);
    AddXslStylesheet(files.xsl, jobs);
    jobs.Add(files.obs, kObsCost, [&](TLineSink& sink) { ProduceObsFile(book, files.obs, time, sink); });
    jobs.Add(files.iob, kIobCost, [&](TLineSink& sink) { ProduceGeolabFile(book, sink); });
    jobs.Add(files.gsi, kGsiCost, [&](TLineSink& sink) { ProduceGsiFile(book, sink); });
    jobs.Run();
    progress.ThrowIfCancelled();
    set.Commit();
    return set.Paths();
}

std::vector<std::string> WriteInteractiveReductionOutputs(const Tday_obs& book, const ReductionFiles& files,
                                                          TProgress& progress) {
    const TExportTime time = CurrentExportTime();
    TOutputSet set;
    set.LockOn(files.obs);
    TOutputJobs jobs(set, progress);
    // The per-station files are staged (and written) first: their set
    // entries come before the others'.
    if (book.avec_cycles)
        StageObsFilesPerStation(book, files.obs, set);
    else
        jobs.Add(files.obs, kObsCost, [&](TLineSink& sink) { ProduceObsFile(book, files.obs, time, sink); });
    jobs.Add(files.chk, kChkCost, [&](TLineSink& sink) { ProduceCheckListing(book, sink); });
    AddXmlReport(book, files.xml, jobs);
    AddXslStylesheet(files.xsl, jobs);
    jobs.Add(files.gkf, kGkfCost, [&](TLineSink& sink) { ProduceGamaFile(book, files.gkf, time, sink); });
    jobs.Add(files.iob, kIobCost, [&](TLineSink& sink) { ProduceGeolabFile(book, sink); });
    jobs.Add(files.gsi, kGsiCost, [&](TLineSink& sink) { ProduceGsiFile(book, sink); });
    jobs.Run();
    progress.ThrowIfCancelled();
    set.Commit();
    return set.Paths();
}

}  // namespace kestrova
