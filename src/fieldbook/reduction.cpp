#include "fieldbook/reduction.hpp"

#include <cmath>
#include <span>
#include <cstdint>
#include <string_view>
#include <unordered_map>

#include "base/numbers.hpp"
#include "base/param.hpp"
#include "base/utf8.hpp"
#include "fieldbook/corrections.hpp"
#include "fieldbook/station_threads.hpp"

namespace kestrova {

namespace {

constexpr std::size_t kNameLength = 16;
constexpr std::size_t kCommentLength = 100;

// Circle of a pointing for the grouping. A pointing whose line was only
// partly read has circle 0: its face follows its zenith angle.
int CircleOf(const Tobs& o) {
    if (o.cercle == 1 || o.cercle == 2) return o.cercle;
    return o.V >= 200.0 ? 2 : 1;
}

// Hz normalised, and taken minus 400 when just below a full turn: the
// values of a set that lies on both sides of 0 then sit side by side.
double UnwrappedDirection(double hz) {
    double h = NormaliseAngle(hz);
    if (h > 380.0 && h < 400.0) h -= 400.0;
    return h;
}

}  // namespace

double DirectionNear(double hz, double reference) {
    if (hz - reference > 200.0) return hz - 400.0;
    if (reference - hz > 200.0) return hz + 400.0;
    return hz;
}

double MeanDirection(std::span<Tobs* const> obs) {
    if (obs.empty()) return 0.0;
    // Around the circle: every reading within 200 gons of the first one.
    const double first = UnwrappedDirection(obs.front()->Hz);
    double sum = 0.0;
    for (const Tobs* o : obs) sum += DirectionNear(UnwrappedDirection(o->Hz), first);
    return sum / static_cast<double>(obs.size());
}

namespace {

double MeanZenith(std::span<Tobs* const> obs) {
    // A pointing without zenith angle (0 in the book) does not count; none
    // gives 0, the book's "no zenith angle".
    double sum = 0.0;
    int count = 0;
    for (const Tobs* o : obs) {
        if (o->V <= 0.0) continue;
        sum += o->V;
        ++count;
    }
    return count ? sum / count : 0.0;
}

// Mean of the measured distances (0 when none).
double MeanDistance(std::span<Tobs* const> obs) {
    double sum = 0.0;
    int count = 0;
    for (const Tobs* o : obs) {
        if (o->Dp > kNoDistance) {
            sum += o->Dp;
            ++count;
        }
    }
    return count > 0 ? sum / count : 0.0;
}

bool SameTargetHeights(const TPt_vise& t) {
    const Tobs* first = !t.obsC1.empty() ? t.obsC1.front() : (!t.obsC2.empty() ? t.obsC2.front() : nullptr);
    if (first == nullptr) return true;
    for (const Tobs* o : t.obsC1)
        if (o->Hv != first->Hv) return false;
    for (const Tobs* o : t.obsC2)
        if (o->Hv != first->Hv) return false;
    return true;
}

void AppendComment(TPt_vise& t, std::string_view commentaire) {
    if (commentaire.empty()) return;
    // Stop growing once full: books with many rounds stay linear.
    if (t.commentaires.size() >= kCommentLength && Utf8Length(t.commentaires) >= kCommentLength) return;
    t.commentaires = Utf8Left(std::string(t.commentaires).append(commentaire), kCommentLength);
}

void ResetResults(TPt_vise& t) {
    t.Hz1 = t.V1 = t.Dp1 = 0.0;
    t.Hz2 = t.V2 = t.Dp2 = 0.0;
    t.Hz = t.V = t.Dp = 0.0;
    t.Hv = 0.0;
    t.V1V2 = 0.0;
}

}  // namespace

TReductionOptions ReductionOptionsFromParam() {
    const TParam& p = Param();
    TReductionOptions o;
    o.export_hauteurs_brelix = p.export_hauteurs_brelix == "Y";
    o.use_meteo_entete_station = p.use_meteo_entete_station == "Y";
    o.formule_meteo = p.formule_meteo;
    o.use_first_target_for_Z0_estimation = p.use_first_target_for_Z0_estimation == "Y";
    return o;
}

double NormaliseAngle(double x) {
    if (x < 0.0) {
        x += 400.0;
        // Below one negative turn: bring it into range as well.
        if (x < 0.0) {
            x = std::fmod(x, 400.0);
            if (x < 0.0) x += 400.0;
            if (x >= 400.0) x = 0.0;
        }
    } else if (x >= 400.0) {
        if (x >= 4000.0) x = std::fmod(x, 400.0);
        while (x >= 400.0) x -= 400.0;
    }
    if (x > 399.99995) x = 0.0;
    return x;
}

void FoldFaces(TStation& station) {
    for (const Tobs& o : station.obs)
        if (o.V < 200.0) return;
    for (Tobs& o : station.obs) {
        o.V = 400.0 - o.V;
        o.cercle = 1;
    }
}

namespace {

// Target numbers by name, in order of first appearance. A station aims at
// a handful of targets: they are looked up one by one until there are
// many, then through a hash table. The names are views into the pointings.
class TTargetIndex {
public:
    void Clear() {
        names_.clear();
        byName_.clear();
    }
    std::size_t Size() const { return names_.size(); }
    std::string_view Name(std::size_t i) const { return names_[i]; }

    // The number of `name`, a new one when it is not known yet.
    std::uint32_t Find(std::string_view name) {
        if (byName_.empty()) {
            for (std::size_t i = 0; i < names_.size(); ++i)
                if (names_[i] == name) return static_cast<std::uint32_t>(i);
            if (names_.size() < kLinear) return Add(name);
            for (std::size_t i = 0; i < names_.size(); ++i) byName_.emplace(names_[i], static_cast<std::uint32_t>(i));
        }
        const auto [it, inserted] = byName_.try_emplace(name, static_cast<std::uint32_t>(names_.size()));
        if (inserted) names_.push_back(name);
        return it->second;
    }

private:
    static constexpr std::size_t kLinear = 16;
    std::uint32_t Add(std::string_view name) {
        names_.push_back(name);
        return static_cast<std::uint32_t>(names_.size() - 1);
    }
    std::vector<std::string_view> names_;
    std::unordered_map<std::string_view, std::uint32_t> byName_;
};

// The first `count` characters of a text, without a copy.
std::string_view Utf8Prefix(std::string_view text, std::size_t count) {
    if (text.size() <= count) return text;  // no more characters than bytes
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (chars == count) return text.substr(0, i);
        ++chars;
    }
    return text;
}

}  // namespace

void BuildTargets(TStation& station) {
    station.pts_vise.clear();
    // First the target of every pointing and the count of each target's
    // lists, so that every list is allocated once at its size.
    thread_local TTargetIndex index;
    thread_local std::vector<std::uint32_t> targetOf;
    thread_local std::vector<std::uint32_t> counts;  // circle 1, circle 2 per target
    index.Clear();
    targetOf.clear();
    counts.clear();
    for (const Tobs& o : station.obs) {
        const std::uint32_t t = index.Find(Utf8Prefix(o.pt_vis, kNameLength));
        if (t == counts.size() / 2) counts.insert(counts.end(), {0, 0});
        ++counts[2 * t + (CircleOf(o) == 2 ? 1 : 0)];
        targetOf.push_back(t);
    }
    // The lists follow each other in one block: circle 1 then circle 2 of
    // the first target, and so on.
    station.pointeurs.assign(station.obs.size(), nullptr);
    station.pts_vise.reserve(index.Size());
    Tobs** next = station.pointeurs.data();
    for (std::size_t i = 0; i < index.Size(); ++i) {
        TPt_vise& t = station.pts_vise.emplace_back();
        t.pt_vis.assign(index.Name(i));
        t.obsC1 = std::span<Tobs*>(next, counts[2 * i]);
        next += counts[2 * i];
        t.obsC2 = std::span<Tobs*>(next, counts[2 * i + 1]);
        next += counts[2 * i + 1];
    }
    for (std::size_t k = 0; k < station.obs.size(); ++k) {
        Tobs& o = station.obs[k];
        TPt_vise& t = station.pts_vise[targetOf[k]];
        if (CircleOf(o) == 2)
            t.obsC2[static_cast<std::size_t>(t.NObsC2++)] = &o;
        else
            t.obsC1[static_cast<std::size_t>(t.NObsC1++)] = &o;
        AppendComment(t, o.commentaire);
    }
}

void CheckStation(TStation& s, const TReductionOptions& options) {
    s.logs.clear();
    s.valid = false;
    s.cercles = false;
    s.fermeture = false;
    s.NbPointes = 0;

    if (s.temp < -10.0) s.logs.push_back("Température saisie non valide (<-10°C)");
    if (s.temp > 40.0) s.logs.push_back("Température saisie non valide (>40°C)");
    if (s.press < 400.0) s.logs.push_back("Pression saisie non valide (<400 mmHg)");
    if (s.press > 900.0) s.logs.push_back("Pression saisie non valide (>900 mmHg)");

    long long sumC1 = 0, sumC2 = 0;
    for (const TPt_vise& t : s.pts_vise) {
        sumC1 += t.NObsC1;
        sumC2 += t.NObsC2;
    }
    if (sumC1 == 0 && sumC2 == 0) return;  // no pointing: invalid, no further message

    s.cercles = sumC1 > 0 && sumC2 > 0;
    const int c = s.pts_vise.front().NObsC1;  // opening count

    for (std::size_t i = 0; i < s.pts_vise.size(); ++i) {
        const TPt_vise& t = s.pts_vise[i];
        if (options.export_hauteurs_brelix && !SameTargetHeights(t))
            s.logs.push_back("Cible " + t.pt_vis + " : Cible observée avec plusieurs hauteurs de voyant différentes");

        if (i == 0) {
            if (t.NObsC1 == 0 && sumC1 > 0) s.logs.push_back("Cible d'ouverture non observée en cercle 1");
            if (s.cercles && t.NObsC2 != t.NObsC1)
                s.logs.push_back("Cible d'ouverture " + t.pt_vis +
                                 " : nombre pointés C1 différent du nombre pointés C2");
        } else if (t.NObsC1 == 0) {
            s.logs.push_back("Cible " + t.pt_vis + " : non visé en cercle 1");
        } else if (c == t.NObsC1) {
            s.fermeture = false;
        } else if (c == 2 * t.NObsC1) {
            s.fermeture = true;
        } else {
            s.logs.push_back("Cible " + t.pt_vis + " : Nombre de pointés non cohérent avec l'ouverture");
        }

        // The face-2 count of every target, the opening one included.
        if (s.cercles) {
            if (t.NObsC2 == 0)
                s.logs.push_back("Cible " + t.pt_vis + " : non visé en cercle 2");
            else if (t.NObsC2 != t.NObsC1)
                s.logs.push_back("Cible " + t.pt_vis + " : nombre pointés C1 différent du nombre pointés C2");
        } else if (t.NObsC2 != 0) {
            s.logs.push_back("Cible  " + t.pt_vis + " : tour en cercle 1 avec pointé en C2");
        }
    }

    s.NbPointes = s.fermeture ? static_cast<int>(RoundHalfEven(c / 2.0)) : c;
    s.valid = s.logs.empty();
}

void CheckStation(Tday_obs& book, std::size_t index, const TReductionOptions& options) {
    CheckStation(book.stations.at(index), options);
}

void CheckStation(Tday_obs& book, std::size_t index) {
    CheckStation(book, index, ReductionOptionsFromParam());
}

namespace {

// The two halves of the reduction of one station.
void GroupAndCheck(TStation& s, const TReductionOptions& options) {
    FoldFaces(s);
    BuildTargets(s);
    CheckStation(s, options);
}

void CorrectAndAverage(TStation& s, const TReductionOptions& options) {
    ApplyDistanceCorrections(s, options.use_meteo_entete_station, options.formule_meteo);
    if (s.valid) ReduceStation(s);
}

}  // namespace

bool BuildTargetsAndCheck(Tday_obs& book, const TReductionOptions& options, TProgress& progress) {
    progress.Stage("Contrôle des stations");
    ForEachStation(book.stations, &progress, [&](TStation& s) { GroupAndCheck(s, options); });
    return !book.stations.empty();
}

bool BuildTargetsAndCheck(Tday_obs& book, TProgress& progress) {
    return BuildTargetsAndCheck(book, ReductionOptionsFromParam(), progress);
}

void ReduceStation(TStation& s) {
    s.Z0 = 0.0;
    s.SigmaZ0 = 0.0;
    if (s.pts_vise.empty()) return;

    for (TPt_vise& t : s.pts_vise) {
        ResetResults(t);
        bool mode = false;
        for (const std::span<Tobs*> list : {t.obsC1, t.obsC2}) {
            for (const Tobs* o : list) {
                if (o->Hv > 0.001) t.Hv = o->Hv;
                mode = mode || o->mode;
            }
        }
        t.mode = mode;
        if (!t.obsC1.empty()) {
            t.Hz1 = NormaliseAngle(MeanDirection(t.obsC1));
            t.V1 = MeanZenith(t.obsC1);
            t.Dp1 = MeanDistance(t.obsC1);
        }
        if (!t.obsC2.empty()) {
            t.Hz2 = NormaliseAngle(MeanDirection(t.obsC2));
            t.V2 = MeanZenith(t.obsC2);
            t.Dp2 = MeanDistance(t.obsC2);
        }
    }

    // Directions relative to the opening target, circle by circle.
    const TPt_vise& opening = s.pts_vise.front();
    const double a1 = opening.obsC1.empty() ? 0.0 : opening.Hz1;
    const double a2 = opening.obsC2.empty() ? 0.0 : opening.Hz2;
    for (TPt_vise& t : s.pts_vise) {
        t.Hz1 = NormaliseAngle(t.Hz1 - a1);
        t.Hz2 = NormaliseAngle(t.Hz2 - a2);
    }

    for (TPt_vise& t : s.pts_vise) {
        if (s.cercles) {
            // The two faces averaged around the circle as well.
            const double h1 = UnwrappedDirection(t.Hz1);
            const double h2 = DirectionNear(UnwrappedDirection(t.Hz2), h1);
            t.Hz = (h1 + h2) / 2.0;
            // A face without zenith angle leaves the other face's alone.
            const bool v1 = t.V1 > 0.0, v2 = t.V2 > 0.0;
            t.V = v1 && v2 ? (t.V1 + 400.0 - t.V2) / 2.0 : v1 ? t.V1 : v2 ? 400.0 - t.V2 : 0.0;
            const bool d1 = t.Dp1 > kNoDistance, d2 = t.Dp2 > kNoDistance;
            t.Dp = d1 && d2 ? (t.Dp1 + t.Dp2) / 2.0 : d1 ? t.Dp1 : d2 ? t.Dp2 : 0.0;
            t.V1V2 = v1 && v2 ? t.V1 + t.V2 : 0.0;  // 0: the target gives no index error
        } else if (!t.obsC1.empty()) {
            t.Hz = t.Hz1;
            t.V = t.V1;
            t.Dp = t.Dp1;
            t.V1V2 = 0.0;
        } else {
            t.Hz = t.Hz2;
            t.V = 400.0 - t.V2;
            t.Dp = t.Dp2;
            t.V1V2 = 0.0;
        }
        t.Hz = NormaliseAngle(t.Hz);
    }
}

namespace {

// A station's targets that count for Z0: those of a valid station in two
// circles, from the first or the second.
std::span<const TPt_vise> Z0Targets(const TStation& s, bool useFirstTarget) {
    const std::size_t first = useFirstTarget ? 0 : 1;
    if (!s.valid || !s.cercles || s.pts_vise.size() <= first) return {};
    return std::span<const TPt_vise>(s.pts_vise).subspan(first);
}

// The values of a station's counting targets appended to `values`; a
// target without zenith angle in one face has none.
void AddZ0Values(const TStation& s, bool useFirstTarget, std::vector<double>& values) {
    for (const TPt_vise& t : Z0Targets(s, useFirstTarget))
        if (t.V1V2 > 0.0) values.push_back(t.V1V2);
}

// The station's own Z0 and its spread.
void StationZ0(TStation& s, bool useFirstTarget) {
    s.Z0 = 0.0;
    s.SigmaZ0 = 0.0;
    std::vector<double> values;
    AddZ0Values(s, useFirstTarget, values);
    if (values.empty()) return;
    const auto n = static_cast<double>(values.size());
    double stationSum = 0.0;
    for (const double v : values) stationSum += v;
    s.Z0 = stationSum / n;
    double squares = 0.0;
    for (const double v : values) {
        const double d = v - s.Z0;
        squares += d * d;
    }
    s.SigmaZ0 = std::sqrt(squares / n);
}

// The book's Z0 and its spread over the values of every counting target,
// in book order.
void BookZ0(Tday_obs& book, std::span<const std::vector<double>> values) {
    double sum = 0.0;
    std::size_t count = 0;
    for (const std::vector<double>& part : values) {
        for (const double v : part) sum += v;
        count += part.size();
    }
    book.Z0 = 0.0;
    book.SigmaZ0 = 0.0;
    if (count == 0) return;
    book.Z0 = sum / static_cast<double>(count);
    double squares = 0.0;
    for (const std::vector<double>& part : values) {
        for (const double v : part) {
            const double d = v - book.Z0;
            squares += d * d;
        }
    }
    book.SigmaZ0 = std::sqrt(squares / static_cast<double>(count));
}


// The same, gathered here: the targets lie far apart in memory, and both
// sums go over them.
void BookZ0(Tday_obs& book, bool useFirstTarget) {
    std::vector<double> values;
    for (const TStation& s : book.stations) AddZ0Values(s, useFirstTarget, values);
    BookZ0(book, std::span<const std::vector<double>>(&values, 1));
}

}  // namespace

void EstimateZ0(Tday_obs& book, bool useFirstTarget) {
    BookZ0(book, useFirstTarget);
    for (TStation& s : book.stations) StationZ0(s, useFirstTarget);
}

void CorrectAndReduce(Tday_obs& book, const TReductionOptions& options, TProgress& progress) {
    progress.Stage("Réduction des stations");
    // Station by station, while its pointings are at hand: the distance
    // corrections, then the means.
    ForEachStation(book.stations, &progress, [&](TStation& s) { CorrectAndAverage(s, options); });
    EstimateZ0(book, options.use_first_target_for_Z0_estimation);
}

void CorrectAndReduce(Tday_obs& book, TProgress& progress) {
    CorrectAndReduce(book, ReductionOptionsFromParam(), progress);
}

bool ReduceBook(Tday_obs& book, const TReductionOptions& options, TProgress& progress) {
    progress.Stage("Réduction des stations");
    // Each half gathers its stations' values for the book's Z0 while they
    // are at hand: what is left after the pass is two sums over them.
    const bool first = options.use_first_target_for_Z0_estimation;
    std::vector<double> values[2];
    ForEachStationInHalves(book.stations, &progress, [&](TStation& s, std::size_t half) {
        GroupAndCheck(s, options);
        CorrectAndAverage(s, options);
        StationZ0(s, first);
        AddZ0Values(s, first, values[half]);
    });
    BookZ0(book, std::span<const std::vector<double>>(values));
    return !book.stations.empty();
}

bool ReduceBook(Tday_obs& book, TProgress& progress) { return ReduceBook(book, ReductionOptionsFromParam(), progress); }

double CircleReferenceDirection(const TPt_vise& opening, int cercle) {
    const std::span<Tobs*> obs = cercle == 2 ? opening.obsC2 : opening.obsC1;
    return obs.empty() ? 0.0 : MeanDirection(obs);
}

}  // namespace kestrova
