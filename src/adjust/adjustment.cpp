#include "adjust/adjustment.hpp"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "adjust/child_process.hpp"
#include "adjust/gama_locate.hpp"
#include "base/format.hpp"
#include "base/temp_registry.hpp"
#include "base/text_file.hpp"

namespace kestrova {

namespace {

namespace fs = std::filesystem;

// A private folder for gama-local's files, removed with everything in it;
// a console run stopped by a signal removes them too (temp_registry).
class TWorkFolder {
public:
    TWorkFolder() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kestrova-gama-XXXXXX";
        if (!::mkdtemp(pattern.data())) throw GamaRunError("dossier de travail impossible à créer : " + pattern);
        path_ = pattern;
        entries_.push_back(RememberTemporary(path_, true));
    }
    ~TWorkFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
        for (TTemporaryEntry* e : entries_) ForgetTemporary(e);
    }
    TWorkFolder(const TWorkFolder&) = delete;
    TWorkFolder& operator=(const TWorkFolder&) = delete;
    std::string File(const char* name) {
        const std::string path = path_ + "/" + name;
        entries_.push_back(RememberTemporary(path));
        return path;
    }

private:
    std::string path_;
    std::vector<TTemporaryEntry*> entries_;
};

std::string ReadWhole(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

void WriteWhole(const std::string& path, const std::vector<std::string>& lines) {
    std::ofstream f(path, std::ios::binary);
    for (const std::string& l : lines) f << l << '\n';
    if (!f) throw GamaRunError("fichier d'entrée de gama-local impossible à écrire : " + path);
}

// The value of attribute `name` in a line of the input ("" when absent),
// and where it stands.
bool FindAttribute(const std::string& line, const std::string& name, std::size_t* begin, std::size_t* end) {
    const std::string key = " " + name + "=\"";
    const std::size_t at = line.find(key);
    if (at == std::string::npos) return false;
    *begin = at + key.size();
    *end = line.find('"', *begin);
    return *end != std::string::npos;
}

std::string Attribute(const std::string& line, const std::string& name) {
    std::size_t b, e;
    return FindAttribute(line, name, &b, &e) ? line.substr(b, e - b) : std::string();
}

std::string Coordinate(double v) { return Format("%.6f", v); }

// The last lines of gama-local's standard error, for a message.
std::string Tail(const std::string& text) {
    std::string t = text;
    while (!t.empty() && (t.back() == '\n' || t.back() == '\r' || t.back() == ' ')) t.pop_back();
    if (t.size() > 600) t = "..." + t.substr(t.size() - 600);
    return t;
}

}  // namespace

std::vector<std::string> GamaOptions() {
    return {"--algorithm", "envelope", "--angular", "400",  "--language", "fr", "--encoding", "utf-8",
            "--cov-band",  "2",        "--iterations", "5"};
}

std::vector<std::string> WithApproximations(const std::vector<std::string>& gkfLines, const GamaResults& results) {
    std::vector<std::string> out;
    out.reserve(gkfLines.size());
    bool inCoordinates = false;
    for (const std::string& line : gkfLines) {
        if (line.find("<coordinates>") != std::string::npos) inCoordinates = true;
        if (line.find("</coordinates>") != std::string::npos) inCoordinates = false;
        const std::size_t tag = line.find("<point ");
        if (inCoordinates || tag == std::string::npos) {
            out.push_back(line);
            continue;
        }
        const std::string id = Attribute(line, "id");
        const std::string adj = Attribute(line, "adj");
        const GamaPoint* p = results.Point(id);
        if (!p || adj.empty()) {
            out.push_back(line);
            continue;
        }
        // Free coordinates (lower-case in adj) take the adjusted values.
        const bool freeXY = p->hasXY && adj.find('x') != std::string::npos && adj.find('y') != std::string::npos;
        const bool freeZ = p->hasZ && adj.find('z') != std::string::npos;
        std::string x = Attribute(line, "x"), y = Attribute(line, "y"), z = Attribute(line, "z");
        if (freeXY) {
            x = Coordinate(p->x);
            y = Coordinate(p->y);
        }
        if (freeZ) z = Coordinate(p->z);
        std::string rebuilt = line.substr(0, tag) + "<point id=\"" + id + "\"";
        if (!x.empty() && !y.empty()) rebuilt += " x=\"" + x + "\" y=\"" + y + "\"";
        if (!z.empty()) rebuilt += " z=\"" + z + "\"";
        rebuilt += " adj=\"" + adj + "\"/>";
        out.push_back(rebuilt);
    }
    return out;
}

AdjustOutcome AdjustWithGama(const std::string& program, const std::vector<std::string>& gkfLines,
                             TProgress& progress) {
    AdjustOutcome o;
    o.program = program;
    progress.Stage("Version de gama-local");
    o.version = GamaLocalVersion(program, progress);
    o.options = GamaOptions();
    TWorkFolder work;
    const std::string gkf = work.File("reseau.gkf"), xml = work.File("reseau.xml"), txt = work.File("reseau.txt");
    std::vector<std::string> lines = gkfLines;
    for (int run = 1; run <= kMaxGamaRuns; ++run) {
        progress.Stage(Format("Ajustement par gama-local (passe %d)", run));
        WriteWhole(gkf, lines);
        std::remove(xml.c_str());
        std::remove(txt.c_str());
        std::vector<std::string> argv = {program, gkf};
        argv.insert(argv.end(), o.options.begin(), o.options.end());
        argv.insert(argv.end(), {"--xml", xml, "--text", txt});
        const ChildResult child = RunChild(argv, progress);
        std::string outXml = ReadWhole(xml);
        if (outXml.empty()) {
            std::string why = child.signal ? Format("gama-local arrêté par le signal %d", child.signal)
                                           : Format("gama-local terminé avec le code %d sans résultats", child.exitStatus);
            const std::string err = Tail(child.errors.empty() ? child.output : child.errors);
            if (!err.empty()) why += " : " + err;
            throw GamaRunError(why);
        }
        GamaResults results = ReadGamaResults(outXml);  // throws its <error>
        o.text = ReadWhole(txt);
        o.xml = std::move(outXml);
        o.changes.push_back(results.LargestChange());
        if (run == 1) {
            for (const GamaPoint& p : results.points) {
                if (!p.hasApprox) continue;
                AdjustOutcome::Approx a;
                a.hasXY = p.hasXY;
                a.hasZ = p.hasZ;
                a.x = p.ax;
                a.y = p.ay;
                a.z = p.az;
                o.firstApprox[p.id] = a;
            }
        }
        o.gkfLines = lines;
        o.results = std::move(results);
        o.converged = o.changes.back() < kApproximationTolerance;
        if (o.converged || run == kMaxGamaRuns) break;
        lines = WithApproximations(lines, o.results);
    }
    o.criticalValue = CriticalValueFromText(o.text, 3.0);
    return o;
}

}  // namespace kestrova
