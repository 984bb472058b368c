#include "import/survey_record.hpp"

#include <cmath>

#include "base/format.hpp"
#include "base/numbers.hpp"
#include "base/text_helpers.hpp"

namespace kestrova {

namespace {

constexpr std::size_t kKeptWarnings = 20;

bool AllDigits(std::string_view s) {
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// DDD.MMSS[s...] in degrees, from the text itself (no rounding of the
// packed value on the way).
std::optional<double> PackedDmsToDegrees(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    std::string fraction(point == std::string_view::npos ? std::string_view{} : text.substr(point + 1));
    if ((whole.empty() && fraction.empty()) || !AllDigits(whole) || !AllDigits(fraction)) return std::nullopt;
    if (whole.size() > 9) return std::nullopt;
    if (fraction.size() < 4) fraction.resize(4, '0');
    const double degrees = whole.empty() ? 0.0 : static_cast<double>(std::stoll(std::string(whole)));
    const int minutes = (fraction[0] - '0') * 10 + (fraction[1] - '0');
    double seconds = (fraction[2] - '0') * 10 + (fraction[3] - '0');
    double scale = 0.1;
    for (std::size_t i = 4; i < fraction.size() && i < 18; ++i, scale /= 10) seconds += (fraction[i] - '0') * scale;
    if (minutes >= 60 || seconds >= 60.0) return std::nullopt;
    const double value = degrees + minutes / 60.0 + seconds / 3600.0;
    return negative ? -value : value;
}

}  // namespace

TImportError::TImportError(int lineNumber, const std::string& message)
    : std::runtime_error(message), lineNumber_(lineNumber) {}

void TImportReport::Skip(const std::string& kind) {
    const auto it = skippedIndex_.find(kind);
    if (it != skippedIndex_.end()) {
        ++skipped_[it->second].second;
        return;
    }
    skippedIndex_.emplace(kind, skipped_.size());
    skipped_.emplace_back(kind, 1);
}

void TImportReport::Warn(std::string text) {
    if (warnings_.size() < kKeptWarnings) warnings_.push_back(std::move(text));
    else ++moreWarnings_;
}

std::vector<std::string> TImportReport::Warnings() const {
    std::vector<std::string> all = warnings_;
    if (moreWarnings_ > 0) all.push_back(Format("... et %d autres avertissements.", moreWarnings_));
    return all;
}

std::string TImportReport::SkippedSummary() const {
    if (skipped_.empty()) return "aucun";
    std::string s;
    for (const auto& [kind, count] : skipped_) {
        if (!s.empty()) s += ", ";
        s += Format("%d %s", count, kind);
    }
    return s;
}

std::optional<double> PlainNumber(std::string_view text) {
    text = TrimView(text);
    if (!text.empty() && text[0] == '+') text.remove_prefix(1);
    if (text.empty() || !IsNumericText(text, false)) return std::nullopt;
    for (char c : text)
        if (c != '-' && c != '.' && (c < '0' || c > '9')) return std::nullopt;
    const auto v = TextToDouble(text, false);
    if (!v || !std::isfinite(*v)) return std::nullopt;
    return v;
}

std::optional<double> AngleToGon(std::string_view text, TAngleUnit unit) {
    text = TrimView(text);
    if (unit == TAngleUnit::Dms) {
        const auto deg = PackedDmsToDegrees(text);
        if (!deg) return std::nullopt;
        return *deg / 0.9;
    }
    const auto v = PlainNumber(text);
    if (!v) return std::nullopt;
    switch (unit) {
        case TAngleUnit::Gon: return *v;
        case TAngleUnit::Degree: return *v / 0.9;
        case TAngleUnit::Mil: return *v / 16.0;
        case TAngleUnit::Dms: break;
    }
    return std::nullopt;
}

double LengthToMetre(double value, TLengthUnit unit) {
    switch (unit) {
        case TLengthUnit::Metre: return value;
        case TLengthUnit::Foot: return value * 0.3048;
        case TLengthUnit::UsFoot: return value * 1200.0 / 3937.0;
    }
    return value;
}

double NormaliseGon(double gon) {
    if (!std::isfinite(gon)) return 0.0;
    double r = std::fmod(gon, 400.0);
    if (r < 0) r += 400.0;
    if (r > 399.99995) r = 0.0;
    return r;
}

void TSurveyReader::OpenStation(const std::string& name, std::optional<double> instrumentHeight, int) {
    Flush();
    current_ = TSurveyStation{};
    current_.name = name.empty() ? "0" : name;
    current_.instrumentHeight = instrumentHeight.value_or(0.0);
    current_.temperature = temperature_;
    current_.pressure = pressure_;
    hasStation_ = true;
    pending_ = true;
    ++report_.stations;
}

void TSurveyReader::SetInstrumentHeight(double height, int line) {
    if (!hasStation_) return;
    if (pending_) {
        current_.instrumentHeight = height;
        return;
    }
    if (std::fabs(height - current_.instrumentHeight) < 5e-4) return;
    report_.Warn(Format("Ligne %d : hauteur d'instrument %.3f m donnée après des visées de la station %s : "
                        "la station est ouverte de nouveau avec cette hauteur.",
                        line, height, current_.name));
    const std::string name = current_.name;
    OpenStation(name, height, line);
}

void TSurveyReader::SetWeather(std::optional<double> temperature, std::optional<double> pressure) {
    if (temperature) temperature_ = temperature;
    if (pressure) pressure_ = pressure;
    if (pending_) {
        if (temperature) current_.temperature = temperature;
        if (pressure) current_.pressure = pressure;
    }
}

void TSurveyReader::AddPointing(TSurveyPointing p, int line) {
    if (!hasStation_) {
        report_.Warn(Format("Ligne %d : visée avant toute station ; elle est rangée dans la station par défaut 0.",
                            line));
        OpenStation("0", std::nullopt, line);
    }
    Flush();
    p.hz = NormaliseGon(p.hz);
    if (p.slope && *p.slope <= 0.0) p.slope.reset();
    sink_.Pointing(p);
    ++report_.pointings;
}

void TSurveyReader::Flush() {
    if (!pending_) return;
    sink_.Station(current_);
    pending_ = false;
}

std::string TSurveyReader::BookName(std::string_view name, int line) {
    // Blanks and "*" (which opens a comment in the text book) become "_",
    // control characters "?": the book keeps its fields.
    std::string out = PrintableText(Trim(name));
    for (char& c : out)
        if (c == ' ' || c == '*') c = '_';
    if (out != Trim(name))
        report_.Warn(Format("Ligne %d : le nom « %s » contient des blancs ou des caractères réservés, écrit « %s ».",
                            line, PrintableText(Trim(name)), out));
    return out;
}

}  // namespace kestrova
