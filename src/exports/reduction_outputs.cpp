#include "exports/reduction_outputs.hpp"

#include <algorithm>
#include <dirent.h>
#include <functional>
#include <sys/stat.h>
#include <unordered_set>

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

namespace {

// A station's file of the folder form of `obsPath`: the folder's base name,
// "_", the station's identifier (digits and "-") and ".obs".
bool IsObsStationFileName(const std::string& name, const std::string& base) {
    const std::string prefix = base + "_";
    if (name.size() <= prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - 4, 4, ".obs") != 0)
        return false;
    const std::string id = name.substr(prefix.size(), name.size() - prefix.size() - 4);
    int dashes = 0;
    for (const char c : id) {
        if (c == '-')
            ++dashes;
        else if (c < '0' || c > '9')
            return false;
    }
    return dashes >= 2;
}

// The set of a reduction is its files and, for a book with cycles, the
// folder of station files: what an earlier reduction to the same name left
// that this one does not write goes in the same commit - the station files
// of stations no longer in the book, the single .obs of a book that now has
// cycles, the folder of a book that now has none. Only files named as the
// program names them are touched.
void RemoveOtherObsForms(const Tday_obs& book, const std::string& obsPath, const std::vector<std::string>& written,
                         TOutputSet& set) {
    const std::string dir = ObsStationDirectory(obsPath);
    const std::string base = ExtractFileName(dir);
    if (book.avec_cycles) {
        struct stat st{};
        if (::lstat(obsPath.c_str(), &st) == 0 && S_ISREG(st.st_mode)) set.RemoveAtCommit(obsPath);
    }
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    const std::unordered_set<std::string> kept(written.begin(), written.end());
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (!IsObsStationFileName(name, base)) continue;
        const std::string path = dir + "/" + name;
        if (kept.count(path) != 0) continue;
        struct stat st{};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) set.RemoveAtCommit(path);
    }
    ::closedir(d);
    if (!book.avec_cycles) set.RemoveDirectoryAtCommit(dir);
}

}  // namespace

std::vector<std::string> WriteInteractiveReductionOutputs(const Tday_obs& book, const ReductionFiles& files,
                                                          TProgress& progress) {
    const TExportTime time = CurrentExportTime();
    TOutputSet set;
    set.LockOn(files.obs);
    TOutputJobs jobs(set, progress);
    // The per-station files are staged (and written) first: their set
    // entries come before the others'.
    std::vector<std::string> stationFiles;
    if (book.avec_cycles)
        stationFiles = StageObsFilesPerStation(book, files.obs, set);
    else
        jobs.Add(files.obs, kObsCost, [&](TLineSink& sink) { ProduceObsFile(book, files.obs, time, sink); });
    RemoveOtherObsForms(book, files.obs, stationFiles, set);
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
