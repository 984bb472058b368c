#include "fieldbook/corrections.hpp"

#include <optional>

namespace kestrova {

void ComputeGroupRefractivity(TEtalonnage& e) { e.NG0 = GroupRefractivity(e.lambda); }

void ComputeReferenceRefractivity(TEtalonnage& e) { e.N0 = ReferenceRefractivity(e.NG0, e.T0, e.P0); }

void InitRefractivities(TEtalonnage& e) {
    ComputeGroupRefractivity(e);
    ComputeReferenceRefractivity(e);
}

double CalibrationCorrection(const TEtalonnage& e, double D) {
    const TCalibrationTerms terms{e.M, e.Ddep, e.Dmax, e.P, &e.A, &e.B, &e.Q, &e.dist, &e.corr};
    return CalibrationCorrection(terms, D);
}

double AtmosphericPpm(std::string_view formule, const TEtalonnage& e, double temp, double press,
                      std::string_view uniteTemp, std::string_view unitePress) {
    if (IsBarrelSears(formule)) return BarrelSearsPpm(e.NG0, e.N0, temp, press);
    return LeicaPpm(temp, press, uniteTemp, unitePress);
}

namespace {

// Parts per million.
constexpr double kPpm = 1e6;

bool HasDistance(const Tobs& o) { return o.Dp > kNoDistance; }

}  // namespace

void RemoveInstrumentPpm(TStation& station) {
    for (Tobs& o : station.obs)
        if (HasDistance(o)) o.Dp = o.Dp / (1.0 + o.ppm / kPpm);
}

void ComputeAtmosphericPpm(TStation& station, std::string_view formule) {
    // Construction values, for an unresolved book only.
    std::optional<TEtalonnage> fallback;
    auto fallbackCal = [&]() -> const TEtalonnage& {
        if (!fallback) fallback.emplace();
        return *fallback;
    };
    const TEtalonnage& stationCal = station.calibration != nullptr ? *station.calibration : fallbackCal();
    station.ppm = AtmosphericPpm(formule, stationCal, station.temp, station.press, station.unite_temp,
                                 station.unite_press);
    for (Tobs& o : station.obs) {
        if (!HasDistance(o)) continue;
        const TEtalonnage& cal = o.calibration != nullptr ? *o.calibration : stationCal;
        o.ppm = AtmosphericPpm(formule, cal, o.temp, o.press, o.unite_temp, o.unite_press);
    }
}

void ApplyPpm(TStation& station) {
    for (Tobs& o : station.obs)
        if (HasDistance(o)) o.Dp = o.Dp * (1.0 + o.ppm / kPpm);
}

void ApplyCalibrations(TStation& s) {
    for (Tobs& o : s.obs) {
        if (!HasDistance(o)) continue;
        const TEtalonnage* cal = o.calibration != nullptr ? o.calibration : s.calibration;
        if (cal == nullptr || cal->num == -1) continue;
        const double D = o.Dp - o.cste;
        o.c_etal = CalibrationCorrection(*cal, D);
        o.Dp = D + o.c_etal;
    }
}

void ApplyCalibrations(Tday_obs& book) {
    for (TStation& s : book.stations) ApplyCalibrations(s);
}

void ApplyDistanceCorrections(TStation& s, bool useMeteoEnteteStation, std::string_view formule) {
    if (useMeteoEnteteStation && s.valid) {
        RemoveInstrumentPpm(s);
        ComputeAtmosphericPpm(s, formule);
        ApplyPpm(s);
    }
    ApplyCalibrations(s);
}

void ApplyDistanceCorrections(Tday_obs& book, bool useMeteoEnteteStation, std::string_view formule) {
    for (TStation& s : book.stations) ApplyDistanceCorrections(s, useMeteoEnteteStation, formule);
}

}  // namespace kestrova
