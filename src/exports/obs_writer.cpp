#include "exports/obs_writer.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include "base/format.hpp"
#include "base/param.hpp"
#include "base/text_file.hpp"

namespace kestrova {

namespace {

struct ObsSettings {
    int angleDecimals;
    int lengthDecimals;
    double sigmaHz, sigmaV, sigmaDp, sigmaDpRL;
    bool heights;
    bool sortByCode;
};

ObsSettings CurrentSettings() {
    const TParam& p = Param();
    return ObsSettings{p.angle,
                       p.longueur,
                       p.sigma_Hz,
                       p.sigma_V,
                       p.sigma_Dp,
                       p.sigma_DpRL,
                       ExportHeights(),
                       p.tri_fichier_brelix != "obs"};
}

void AppendHeader(TLineSink& out, const std::string& path, const TExportTime& time) {
    out.Add("*Données reduites");
    out.Add("* " + path);
    out.Add("* fichier créé le " + ExportDate(time, '/') + " à " + ExportClock(time));
    out.Add("");
}

// The block of one valid station. `perStation`: every distance gets
// sigma_Dp (the mode standard deviation belongs to the single file sorted
// by code).
void AppendStationBlock(TLineSink& out, const TStation& st, int k, const ObsSettings& s,
                        bool perStation) {
    TLineText line;
    TObsLineMemo memo;
    out.Add(line.Clear().Text("* Station n°").Int(k).Char(' ').Text(st.pt_sta));
    out.Add(line.Clear()
                .Text("* Temperature : ")
                .Fixed(st.temp, 1)
                .Text(" °C - Pression : ")
                .Fixed(st.press, 1)
                .Text(" mmHg - Correction meteo : ")
                .Fixed(st.ppm, 1)
                .Text(" ppm")
                .View());
    if (st.cycle >= 0) {
        out.Add("* Date/heure debut : " + st.date_debut + " " + st.heure_debut);
        out.Add("* Date/heure fin   : " + st.date_fin + " " + st.heure_fin);
        out.Add(line.Clear().Text("* Numero de cycle : ").Int(st.cycle));
    }
    out.Add("");

    const double ht = s.heights ? st.Ht : 0.0;
    const std::string station = BlankSeparatedName(st.pt_sta);
    std::string target;  // a name holding a blank, with "_" instead
    auto name = [&](const TPt_vise& t) -> std::string_view {
        if (t.pt_vis.find(' ') == std::string::npos) return t.pt_vis;
        return target = BlankSeparatedName(t.pt_vis);
    };
    auto direction = [&](std::size_t i) -> const TLineText& {
        const TPt_vise& t = st.pts_vise[i];
        return BuildObsLine(line, i == 0 ? 7 : 5, station, name(t), t.Hz, s.sigmaHz, s.angleDecimals, ht,
                            s.heights ? t.Hv : 0.0, t.commentaires, memo);
    };
    auto zenith = [&](const TPt_vise& t) -> const TLineText& {
        return BuildObsLine(line, 6, station, name(t), t.V, s.sigmaV, s.angleDecimals, ht, s.heights ? t.Hv : 0.0,
                            t.commentaires, memo);
    };
    auto distance = [&](const TPt_vise& t, double sigma) -> const TLineText& {
        return BuildObsLine(line, 3, station, name(t), t.Dp, sigma, s.lengthDecimals, ht, s.heights ? t.Hv : 0.0,
                            t.commentaires, memo);
    };

    if (s.sortByCode) {
        for (std::size_t i = 0; i < st.pts_vise.size(); ++i) out.Add(direction(i));
        out.Add(" ");
        for (const TPt_vise& t : st.pts_vise)
            if (HasZenith(t.V)) out.Add(zenith(t));
        out.Add("");
        for (const TPt_vise& t : st.pts_vise) {
            if (!HasDistance(t.Dp)) continue;
            const double sigma = (t.mode && !perStation) ? s.sigmaDpRL : s.sigmaDp;
            out.Add(distance(t, sigma));
        }
    } else {
        for (std::size_t i = 0; i < st.pts_vise.size(); ++i) {
            const TPt_vise& t = st.pts_vise[i];
            out.Add(direction(i));
            if (HasZenith(t.V)) out.Add(zenith(t));
            if (HasDistance(t.Dp)) out.Add(distance(t, s.sigmaDp));
        }
        out.Add(" ");
    }
}

}  // namespace

std::string BlankSeparatedName(std::string_view name) {
    std::string out(name);
    std::replace(out.begin(), out.end(), ' ', '_');
    return out;
}

std::vector<std::string> BlankNameWarnings(const Tday_obs& book) {
    std::vector<std::string> warnings;
    int more = 0;
    std::vector<std::string> seen;
    auto check = [&](const std::string& name, const char* what, int k) {
        if (name.find(' ') == std::string::npos) return;
        if (std::find(seen.begin(), seen.end(), name) != seen.end()) return;
        seen.push_back(name);
        if (warnings.size() >= 20) {
            ++more;
            return;
        }
        warnings.push_back(Format("Station n°%d : le nom %s « %s » contient un blanc, il devient « %s » dans les "
                                  "fichiers .obs et .iob",
                                  k, what, name, BlankSeparatedName(name)));
    };
    int k = 0;
    for (const TStation& st : book.stations) {
        ++k;
        if (!st.valid) continue;
        check(st.pt_sta, "de station", k);
        for (const TPt_vise& t : st.pts_vise) check(t.pt_vis, "de cible", k);
    }
    if (more > 0) warnings.push_back("... et " + std::to_string(more) + " autres noms avec un blanc.");
    return warnings;
}

TLineText& BuildObsLine(TLineText& line, int code, std::string_view station, std::string_view target, double value,
                        double sigma, int decimals, double ht, double hv, std::string_view comments,
                        TObsLineMemo& memo) {
    return line.Clear()
        .Int(code)
        .Char(' ')
        .PadRight(station, 16)
        .Char(' ')
        .PadRight(target, 16)
        .Char(' ')
        .Fixed(value, decimals, 10)
        .Char(' ')
        .Fixed(sigma, decimals, 10, memo.sigma)
        .Text(" 0.0000 ")
        .Fixed(ht, 4, 8, memo.ht)
        .Char(' ')
        .Fixed(hv, 4, 8, memo.hv)
        .Char(' ')
        .Text(comments);
}

std::string ObsLine(int code, const std::string& station, const std::string& target, double value,
                    double sigma, int decimals, double ht, double hv, const std::string& comments) {
    TLineText line;
    TObsLineMemo memo;
    return BuildObsLine(line, code, station, target, value, sigma, decimals, ht, hv, comments, memo).Str();
}

void ProduceObsFile(const Tday_obs& book, const std::string& path, const TExportTime& time, TLineSink& sink) {
    TPrintableSink out(sink);  // no control character inside a column
    const ObsSettings s = CurrentSettings();
    AppendHeader(out, path, time);
    out.Add("*Tours d'horizon");
    int k = 0;
    for (const TStation& st : book.stations) {
        ++k;
        if (st.valid) AppendStationBlock(out, st, k, s, false);
        out.Add("");
    }
    out.Add(" ");
}

std::vector<std::string> ObsFileLines(const Tday_obs& book, const std::string& path, const TExportTime& time) {
    TLineCollector c;
    ProduceObsFile(book, path, time, c);
    return std::move(c.lines);
}

void ProduceObsStationFile(const Tday_obs& book, std::size_t stationIndex, const std::string& path,
                           const TExportTime& time, TLineSink& sink) {
    TPrintableSink out(sink);  // no control character inside a column
    const ObsSettings s = CurrentSettings();
    AppendHeader(out, path, time);
    AppendStationBlock(out, book.stations.at(stationIndex), static_cast<int>(stationIndex) + 1, s, true);
}

std::vector<std::string> ObsStationFileLines(const Tday_obs& book, std::size_t stationIndex,
                                             const std::string& path, const TExportTime& time) {
    TLineCollector c;
    ProduceObsStationFile(book, stationIndex, path, time, c);
    return std::move(c.lines);
}

std::string ObsStationIdentifier(const TStation& station) {
    std::string id = Format("%3d-%5d-%5d", station.DOY_debut, station.dsec_debut, station.cycle);
    std::replace(id.begin(), id.end(), ' ', '0');
    return id;
}

std::string ObsStationDirectory(const std::string& path) { return PathWithoutExt(path); }

std::string ObsStationFileName(const std::string& path, const TStation& station) {
    const std::string base = ExtractFileName(PathWithoutExt(path));
    return ObsStationDirectory(path) + "/" + base + "_" + ObsStationIdentifier(station) + ".obs";
}

bool WriteObsFile(const Tday_obs& book, const std::string& path, std::string* error) {
    const TExportTime time = CurrentExportTime();
    return WriteLinesAtomically(path, FileEncoding::Cp1252, error,
                                [&](TLineSink& sink) { ProduceObsFile(book, path, time, sink); });
}

std::vector<std::string> StageObsFilesPerStation(const Tday_obs& book, const std::string& path, TOutputSet& set) {
    set.AddDirectory(ObsStationDirectory(path));
    const TExportTime time = CurrentExportTime();
    std::vector<std::string> names;
    for (std::size_t i = 0; i < book.stations.size(); ++i) {
        if (!book.stations[i].valid) continue;
        names.push_back(ObsStationFileName(path, book.stations[i]));
        TLineSink& sink = set.Add(names.back(), FileEncoding::Cp1252);
        ProduceObsStationFile(book, i, path, time, sink);
        set.Finish(sink);
    }
    return names;
}

bool WriteObsFilesPerStation(const Tday_obs& book, const std::string& path, std::string* error,
                             std::vector<std::string>* written, std::string* failedPath) {
    try {
        TOutputSet set;
        set.LockOn(path);
        std::vector<std::string> names = StageObsFilesPerStation(book, path, set);
        set.Commit();
        if (written) written->insert(written->end(), names.begin(), names.end());
        return true;
    } catch (const TextFileError& e) {
        if (error) *error = e.what();
        if (failedPath) *failedPath = e.path();
    }
    return false;
}

}  // namespace kestrova
