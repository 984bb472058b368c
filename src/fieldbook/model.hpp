// The in-memory field book: stations in the order they were occupied, their
// pointings in measurement order, the distance-meter calibrations and prism
// constants, the height definitions, and the results of the reduction.
//
// Angles in gons, distances and heights in metres, temperatures in degrees
// Celsius (a calibration's reference temperature in kelvin), pressures in
// mmHg, atmospheric corrections in ppm.
//
// Ownership: a Tday_obs owns everything. Stations and pointings refer to
// their calibration by pointer into `etalonnages` (a deque: appending never
// moves the calibrations already there). Targets (TPt_vise) refer to their
// pointings by pointer into the station's `obs`, which must not be resized
// once the targets are built. A Tday_obs can be moved, not copied.
#pragma once
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/progress.hpp"

namespace kestrova {

// Append-only list of diagnostic lines written by the readers; nothing
// shows it. `enabled` false makes Append a no-op; lines past `max_lines` are
// not kept, so that a monitoring book of hundreds of thousands of pointings
// does not hold millions of trace lines.
// Readers test Accepting() before building costly lines.
class TTraceLog {
public:
    bool enabled = true;
    std::size_t max_lines = 100000;
    std::vector<std::string> lines;

    bool Accepting() const { return enabled && lines.size() < max_lines; }
    void Append(std::string line) {
        if (Accepting()) lines.push_back(std::move(line));
    }
    std::size_t size() const { return lines.size(); }
};

// One distance-meter calibration, or a prism definition of the text book
// (an `id`, a `num` and `M` = minus the prism constant, tables empty).
struct TEtalonnage {
    std::string id = "default";
    std::string nom;  // the target's name given by the calibration editor, else empty
    std::string methode;
    int num = -1;  // -1 marks the default calibration
    int serial = 0;
    double lambda = 0.0;  // micrometres; ini `lambda` at construction
    double T0 = 0.0;      // kelvin; ini `Temp_std` at construction
    double P0 = 0.0;      // mmHg; ini `pression_std` at construction
    double NG0 = 0.0;     // group refractivity (derived from lambda)
    double N0 = 0.0;      // refractivity at T0, P0 (derived)
    double Ddep = 0.0;    // the variable terms apply for Ddep < D < Dmax
    double Dmax = 0.0;
    double M = 0.0;  // additive constant
    double P = 0.0;  // period of the Fourier terms
    int deg_Fourier = 0;
    std::vector<double> A;  // A(k) at index k-1, deg_Fourier entries
    std::vector<double> B;  // B(k) at index k-1
    int deg_polynome = 0;
    std::vector<double> Q;  // Q(d) at index d-1, deg_polynome entries
    int n_corr_interp = 0;
    std::vector<double> dist;  // node i (from 1) at index i-1
    std::vector<double> corr;

    // Construction values; lambda, T0 and P0 from the parameter set, then
    // NG0 and N0 computed (InitRefractivities).
    TEtalonnage();
};

// A single-precision parameter as the decimal number it was written as
// (0.85f gives 0.85, not 0.8500000238): the ini holds decimal texts.
double ParamToDouble(float value);

// Computes NG0 from lambda, then N0 from NG0, T0 and P0. Defined with the
// distance corrections (corrections.cpp).
void InitRefractivities(TEtalonnage& etalonnage);

// One height definition of the text book ("point" line).
struct THv {
    std::string nom;  // at most 16 characters
    double hauteur = 0.0;
};

// The unit of a pointing's temperature or pressure: empty, "deg" or "mmHg"
// (the only units the readers set), held in one byte. Reads as the text.
class TUnitText {
public:
    constexpr TUnitText() = default;
    // Any other text throws std::invalid_argument: the pointing has no
    // room for it.
    constexpr TUnitText(std::string_view text) : code_(Code(text)) {}  // NOLINT: a unit is assigned its text
    constexpr TUnitText(const char* text) : TUnitText(std::string_view(text)) {}  // NOLINT
    constexpr operator std::string_view() const { return Text(code_); }  // NOLINT
    constexpr std::string_view view() const { return Text(code_); }
    friend constexpr bool operator==(TUnitText a, std::string_view b) { return a.view() == b; }

private:
    static constexpr std::string_view Text(unsigned char code) {
        return code == 1 ? std::string_view("deg") : code == 2 ? std::string_view("mmHg") : std::string_view();
    }
    static constexpr unsigned char Code(std::string_view text) {
        if (text.empty()) return 0;
        if (text == "deg") return 1;
        if (text == "mmHg") return 2;
        Unknown(text);
        return 0;
    }
    [[noreturn]] static void Unknown(std::string_view text);
    unsigned char code_ = 0;
};

// A pointing's comment: most pointings have none, so it takes the room of
// a pointer, not of a string. Reads as its text.
class TPointingComment {
public:
    TPointingComment() = default;
    TPointingComment(const TPointingComment& other) { *this = other; }
    TPointingComment(TPointingComment&&) noexcept = default;
    TPointingComment& operator=(const TPointingComment& other) {
        if (this != &other) *this = other.view();
        return *this;
    }
    TPointingComment& operator=(TPointingComment&&) noexcept = default;
    TPointingComment& operator=(std::string_view text) {
        text_ = text.empty() ? nullptr : std::make_unique<std::string>(text);
        return *this;
    }
    std::string_view view() const { return text_ ? std::string_view(*text_) : std::string_view(); }
    operator std::string_view() const { return view(); }  // NOLINT: a comment is read as its text
    bool empty() const { return !text_; }
    std::size_t size() const { return view().size(); }
    friend bool operator==(const TPointingComment& a, std::string_view b) { return a.view() == b; }
    friend bool operator==(const TPointingComment& a, const TPointingComment& b) { return a.view() == b.view(); }

private:
    std::unique_ptr<std::string> text_;  // null: no comment
};

// One pointing. A monitoring book holds a million of them: the members
// are laid out without padding, the units take a byte each and the
// comment a pointer.
struct Tobs {
    std::string pt_vis;            // normalised target name, at most 16 characters
    TPointingComment commentaire;  // " *" + comment of the text line, at most 100 characters
    double Hz = 0.0;
    double V = 0.0;
    double Dp = 0.0;  // 0.05 m or less: no distance
    double ppm = 0.0;   // atmospheric correction contained in Dp
    double cste = 0.0;  // prism constant, m
    double Hv = 0.0;
    double temp = 0.0;
    double press = 0.0;
    // Reduction results.
    double c_etal = 0.0;  // calibration correction added to Dp
    TEtalonnage* calibration = nullptr;  // never null after reading
    int cercle = 0;           // 2 when V >= 200, else 1 (0 for a pointing whose line failed part-way)
    int indice = 0;           // rank within its station, from 0
    int etalonnage = -2;      // calibration number as read, -2 when none
    bool mode = false;
    TUnitText unite_temp;   // "deg" once read
    TUnitText unite_press;  // "mmHg" once read
};

// One target of a station after grouping (reduction).
struct TPt_vise {
    std::string pt_vis;  // name of its first pointing, at most 16 characters
    int NObsC1 = 0;
    int NObsC2 = 0;
    // Its pointings, field-book order, in its station's `pointeurs`.
    std::span<Tobs*> obsC1;  // circle-1 pointings
    std::span<Tobs*> obsC2;  // circle-2 pointings
    double Hz1 = 0.0, V1 = 0.0, Dp1 = 0.0;
    double Hz2 = 0.0, V2 = 0.0, Dp2 = 0.0;
    double Hz = 0.0, V = 0.0, Dp = 0.0;
    double Hv = 0.0;
    double V1V2 = 0.0;
    bool mode = false;
    std::string commentaires;  // at most 100 characters
};

// A pointing line of the text form that failed part-way (a packed
// correction or constant that is not an integer): the pointing keeps the
// values read before the failure, and the next pointing line of the same
// station takes its place. Line indices from 0.
struct TPartialLine {
    int ligne = -1;
    int remplacee_par = -1;  // the pointing line that replaced it; -1 when it stayed
};

// A value of a station or pointing line that is not a number (text form):
// the reader takes it as `lu` (0, or the default of the field) and goes
// on, as it always did; the value is kept to be told. Line index from 0.
struct TUnreadValue {
    int ligne = -1;
    std::string champ;  // the keyword of the field: "AH_gr", "Temp_deg"...
    std::string texte;  // what the line holds there ("" when nothing)
    double lu = 0.0;
};

// One station.
struct TStation {
    std::string pt_sta;  // normalised, at most 16 characters
    double temp = 0.0;
    std::string unite_temp;  // "deg" once read
    double press = 0.0;
    std::string unite_press;  // "mmHg" once read
    double Ht = 0.0;
    int nb_obs = 0;
    std::vector<Tobs> obs;
    int etalonnage = -1;  // as read (-2 text form, -1 XML form when none); resolved number after
    TEtalonnage* calibration = nullptr;  // never null after reading
    int ligne = -1;  // index of the text line that opened the station; -1 in the XML form
    int cycle = 0;   // -1 in the XML form when absent
    std::string date_debut, heure_debut, date_fin, heure_fin;
    int DOY_debut = 0, dsec_debut = 0, DOY_fin = 0, dsec_fin = 0;
    std::vector<std::string> logs;  // messages of the station checks
    std::vector<TPartialLine> lignes_partielles;  // its pointing lines read only in part (text form)
    std::vector<TUnreadValue> valeurs_illisibles;  // its values that are not numbers (text form)
    bool valid = false;
    // Reduction results.
    std::vector<TPt_vise> pts_vise;  // targets in order of first appearance
    std::vector<Tobs*> pointeurs;    // the targets' lists of pointings, one after the other
    bool cercles = false;
    bool fermeture = false;
    int NbPointes = 0;
    double Z0 = 0.0;
    double SigmaZ0 = 0.0;
    double ppm = 0.0;  // station-level atmospheric correction
};

// One field book. After reading, stations.size() == max(nb_stat, 0): loop
// over `stations`.
class Tday_obs {
public:
    std::vector<TStation> stations;
    int nb_stat = 0;  // -1 after an XML book without a `stations` element
    std::deque<TEtalonnage> etalonnages;  // entry 0: the default calibration
    int nb_etal = 0;
    std::vector<THv> hauteurs;
    bool avec_cycles = false;
    double Z0 = 0.0;
    double SigmaZ0 = 0.0;
    TTraceLog trace;
    // Why the reading stopped before the end of the book ("ligne 4,
    // élément etalonnage, attribut Ddep = \"inf\" : nombre attendu"); empty
    // when the whole book was read.
    std::string erreur_lecture;

    Tday_obs() = default;
    Tday_obs(const Tday_obs&) = delete;
    Tday_obs& operator=(const Tday_obs&) = delete;
    Tday_obs(Tday_obs&&) = default;
    Tday_obs& operator=(Tday_obs&&) = default;

    // Reads the file (UTF-8 or Windows-1252) and interprets it. Returns
    // false when the file does not exist (the book stays empty); an error
    // while opening an existing file throws TextFileError; an error while
    // interpreting the lines is swallowed (the caller sees nb_stat).
    bool LoadFromFile(const std::string& path, TProgress& progress = NoProgress());

    // Form detection ("<?xml" anywhere: XML book, else text book), then
    // the matching reader. Never throws on bad content; a cancel through
    // `progress` throws TCancelled.
    void LoadFromLines(const std::vector<std::string>& lines, TProgress& progress = NoProgress());
    // The same on views of lines, e.g. of an editor's text, which must not
    // change until it returns: the same book, trace and line numbers.
    void LoadFromLineViews(const std::vector<std::string_view>& lines, TProgress& progress = NoProgress());

    // Station and pointing calibration numbers to calibrations; the
    // default calibration stands in for a number that matches nothing.
    void ResolveCalibrations();

    // Height definitions to station heights and target heights (the last
    // definition of a name wins).
    void ApplyHeights();

    // Both of the above in one pass over the pointings (`heights` false:
    // the calibrations only). `first`, when given, is run on each station
    // (with its index) just before it is resolved.
    void ResolveCalibrationsAndHeights(bool heights,
                                       const std::function<void(std::size_t, TStation&)>& first = nullptr);

    // Appends a new calibration with its construction values.
    TEtalonnage& AddEtalonnage();

private:
    // Runs a reader; an error it could not guard leaves what was built,
    // resolved. File errors (TextFileError) reach the caller.
    void ReadGuarded(const std::function<void()>& read);
};

// Name normalisation of the readers. `trimFirst`: the text reader removes
// surrounding blanks and control characters before the first cut.
std::string NormaliseStationName(std::string_view raw, bool trimFirst);
std::string NormaliseTargetName(std::string_view raw);
// The same into `name` (a pointing's, reusing its room).
void NormaliseTargetName(std::string_view raw, std::string& name);

}  // namespace kestrova
