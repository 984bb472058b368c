#include "exports/obs_writer.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include "app/format.hpp"
#include "app/param.hpp"
#include "app/text_file.hpp"

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

void AppendHeader(std::vector<std::string>& out, const std::string& path, const TExportTime& time) {
    out.push_back("*Données reduites");
    out.push_back("* " + path);
    out.push_back("* fichier créé le " + ExportDate(time, '/') + " à " + ExportClock(time));
    out.emplace_back();
}

// The block of one valid station. `perStation`: every distance gets
// sigma_Dp (the mode standard deviation belongs to the single file sorted
// by code).
void AppendStationBlock(std::vector<std::string>& out, const TStation& st, int k, const ObsSettings& s,
                        bool perStation) {
    out.push_back(Format("* Station n°%d ", k) + st.pt_sta);
    out.push_back(Format("* Temperature : %.1f °C - Pression : %.1f mmHg - Correction meteo : ", st.temp,
                         st.press) +
                  FormatFixed(st.ppm, 1) + " ppm");
    if (st.cycle >= 0) {
        out.push_back("* Date/heure debut : " + st.date_debut + " " + st.heure_debut);
        out.push_back("* Date/heure fin   : " + st.date_fin + " " + st.heure_fin);
        out.push_back(Format("* Numero de cycle : %d", st.cycle));
    }
    out.emplace_back();

    const double ht = s.heights ? st.Ht : 0.0;
    auto direction = [&](std::size_t i) {
        const TPt_vise& t = st.pts_vise[i];
        return ObsLine(i == 0 ? 7 : 5, st.pt_sta, t.pt_vis, t.Hz, s.sigmaHz, s.angleDecimals, ht,
                       s.heights ? t.Hv : 0.0, t.commentaires);
    };
    auto zenith = [&](const TPt_vise& t) {
        return ObsLine(6, st.pt_sta, t.pt_vis, t.V, s.sigmaV, s.angleDecimals, ht, s.heights ? t.Hv : 0.0,
                       t.commentaires);
    };
    auto distance = [&](const TPt_vise& t, double sigma) {
        return ObsLine(3, st.pt_sta, t.pt_vis, t.Dp, sigma, s.lengthDecimals, ht, s.heights ? t.Hv : 0.0,
                       t.commentaires);
    };

    if (s.sortByCode) {
        for (std::size_t i = 0; i < st.pts_vise.size(); ++i) out.push_back(direction(i));
        out.emplace_back(" ");
        for (const TPt_vise& t : st.pts_vise) out.push_back(zenith(t));
        out.emplace_back();
        for (const TPt_vise& t : st.pts_vise) {
            if (!HasDistance(t.Dp)) continue;
            const double sigma = (t.mode && !perStation) ? s.sigmaDpRL : s.sigmaDp;
            out.push_back(distance(t, sigma));
        }
    } else {
        for (std::size_t i = 0; i < st.pts_vise.size(); ++i) {
            const TPt_vise& t = st.pts_vise[i];
            out.push_back(direction(i));
            out.push_back(zenith(t));
            if (HasDistance(t.Dp)) out.push_back(distance(t, s.sigmaDp));
        }
        out.emplace_back(" ");
    }
}

// Creates one directory level when missing.
bool EnsureDirectory(const std::string& dir, std::string* error) {
    struct stat st{};
    if (::stat(dir.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return true;
        if (error) *error = dir + " : " + std::strerror(ENOTDIR);
        return false;
    }
    if (::mkdir(dir.c_str(), 0777) == 0 || errno == EEXIST) return true;
    if (error) *error = dir + " : " + std::strerror(errno);
    return false;
}

}  // namespace

std::string ObsLine(int code, const std::string& station, const std::string& target, double value,
                    double sigma, int decimals, double ht, double hv, const std::string& comments) {
    const std::string f = FixedFormat(10, decimals);
    std::string line = Format("%d %-16s %-16s ", code, station, target);
    line += Format(f, value);
    line += ' ';
    line += Format(f, sigma);
    line += " 0.0000 ";
    line += Format("%8.4f %8.4f ", ht, hv);
    line += comments;
    return line;
}

std::vector<std::string> ObsFileLines(const Tday_obs& book, const std::string& path, const TExportTime& time) {
    const ObsSettings s = CurrentSettings();
    std::vector<std::string> out;
    AppendHeader(out, path, time);
    out.push_back("*Tours d'horizon");
    int k = 0;
    for (const TStation& st : book.stations) {
        ++k;
        if (st.valid) AppendStationBlock(out, st, k, s, false);
        out.emplace_back();
    }
    out.emplace_back(" ");
    return out;
}

std::vector<std::string> ObsStationFileLines(const Tday_obs& book, std::size_t stationIndex,
                                             const std::string& path, const TExportTime& time) {
    const ObsSettings s = CurrentSettings();
    std::vector<std::string> out;
    AppendHeader(out, path, time);
    AppendStationBlock(out, book.stations.at(stationIndex), static_cast<int>(stationIndex) + 1, s, true);
    return out;
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
    return TryWriteTextLines(path, ObsFileLines(book, path, CurrentExportTime()), FileEncoding::Cp1252, error);
}

bool WriteObsFilesPerStation(const Tday_obs& book, const std::string& path, std::string* error,
                             std::vector<std::string>* written) {
    if (!EnsureDirectory(ObsStationDirectory(path), error)) return false;
    const TExportTime time = CurrentExportTime();
    for (std::size_t i = 0; i < book.stations.size(); ++i) {
        const TStation& st = book.stations[i];
        if (!st.valid) continue;
        const std::string name = ObsStationFileName(path, st);
        if (!TryWriteTextLines(name, ObsStationFileLines(book, i, path, time), FileEncoding::Cp1252, error))
            return false;
        if (written) written->push_back(name);
    }
    return true;
}

}  // namespace kestrova
