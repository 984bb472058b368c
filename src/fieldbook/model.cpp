#include "fieldbook/model.hpp"

#include <algorithm>
#include <bitset>

#include <charconv>
#include <stdexcept>
#include <unordered_map>

#include "base/line_reader.hpp"
#include "base/param.hpp"
#include "base/text_file.hpp"
#include "base/text_helpers.hpp"
#include "base/utf8.hpp"
#include "fieldbook/station_threads.hpp"
#include "fieldbook/text_reader.hpp"
#include "fieldbook/xml_book.hpp"

namespace kestrova {

void TUnitText::Unknown(std::string_view text) {
    throw std::invalid_argument("unité inconnue : " + std::string(text));
}

namespace {
constexpr size_t kNameLength = 16;

// The normalised name of a raw name of printable ASCII only (no blank, no
// control character, single-byte characters): its first 16 characters
// without their leading zeros, "0" when nothing is left. Nothing for any
// other name, which takes the general way.
bool NormalisePlainName(std::string_view raw, std::string& name) {
    for (const char c : raw)
        if (c <= ' ' || c >= 0x7F) return false;
    std::string_view v = raw.substr(0, kNameLength);
    while (!v.empty() && v.front() == '0') v.remove_prefix(1);
    if (v.empty()) name.assign(1, '0');
    else name.assign(v);
    return true;
}
}  // namespace

double ParamToDouble(float value) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    double d = value;
    if (r.ec == std::errc()) std::from_chars(buf, r.ptr, d);
    return d;
}

TEtalonnage::TEtalonnage() {
    const TParam& p = Param();
    lambda = ParamToDouble(p.lambda);
    T0 = ParamToDouble(p.Temp_std);
    P0 = ParamToDouble(p.pression_std);
    InitRefractivities(*this);
}

std::string NormaliseStationName(std::string_view raw, bool trimFirst) {
    if (std::string plain; NormalisePlainName(raw, plain)) return plain;
    std::string name = trimFirst ? Trim(raw) : std::string(raw);
    name = Utf8Left(name, kNameLength);
    name = Utf8Left(StripLeadingZeros(name), kNameLength);
    if (name.empty()) name.assign(1, '0');
    name = Utf8Left(Trim(name), kNameLength);
    // A name of zeros only ("0", "0000") is the point 0, as for targets,
    // never an empty name that the adjustment files could not hold.
    if (name.empty()) name.assign(1, '0');
    return name;
}

void NormaliseTargetName(std::string_view raw, std::string& name) {
    if (!NormalisePlainName(raw, name)) name = NormaliseTargetName(raw);
}

std::string NormaliseTargetName(std::string_view raw) {
    if (std::string plain; NormalisePlainName(raw, plain)) return plain;
    std::string name = Utf8Left(Trim(raw), kNameLength);
    name = Utf8Left(StripLeadingZeros(name), kNameLength);
    name = Utf8Left(Trim(name), kNameLength);
    if (name.empty()) name.assign(1, '0');
    return name;
}

TEtalonnage& Tday_obs::AddEtalonnage() {
    etalonnages.emplace_back();
    return etalonnages.back();
}

bool Tday_obs::LoadFromFile(const std::string& path, TProgress& progress) {
    nb_stat = 0;
    if (!FileExists(path)) return false;
    // A large book read by a command that keeps no trace goes through the
    // file once, unless something in it needs the scan first.
    if (!trace.enabled) {
        bool read = false;
        ReadGuarded([&] { read = ReadTextBookFileOnePass(*this, path, progress); });
        if (read) return true;
        const std::size_t maxLines = trace.max_lines;
        *this = Tday_obs();
        trace.enabled = false;
        trace.max_lines = maxLines;
    }
    // Opening and read errors reach the caller; "<?xml" cannot straddle a
    // line break, so looking for it line by line is looking in the text.
    TTextLineReader reader(path, "<?xml");
    if (reader.MarkerFound()) {
        LoadFromLines(ReadTextLines(path), progress);
    } else {
        // A text book is read as it streams by: a monitoring book of a
        // million pointings never sits in memory twice.
        ReadGuarded([&] {
            ReadTextBookFile(*this, path, reader, progress);
        });
    }
    return true;
}

void Tday_obs::LoadFromLines(const std::vector<std::string>& lines, TProgress& progress) {
    // "<?xml" cannot straddle a line break, so a per-line search is the
    // same as a search of the joined text.
    bool xml = false;
    for (const std::string& line : lines) {
        if (line.find("<?xml") != std::string::npos) {
            xml = true;
            break;
        }
    }
    ReadGuarded([&] {
        if (xml)
            ReadXmlBook(*this, lines, progress);
        else
            ReadTextBook(*this, lines, progress);
    });
}

void Tday_obs::LoadFromLineViews(const std::vector<std::string_view>& lines, TProgress& progress) {
    bool xml = false;
    for (std::string_view line : lines) {
        if (line.find("<?xml") != std::string_view::npos) {
            xml = true;
            break;
        }
    }
    if (xml) {
        // The XML reader takes strings (an XML book is a small file).
        LoadFromLines(std::vector<std::string>(lines.begin(), lines.end()), progress);
        return;
    }
    ReadGuarded([&] { ReadTextBookViews(*this, lines, progress); });
}

void Tday_obs::ReadGuarded(const std::function<void()>& read) {
    try {
        read();
    } catch (const TextFileError&) {
        throw;  // the file itself failed: not a matter of content
    } catch (const TCancelled&) {
        throw;  // the user stopped the command
    } catch (const std::exception& e) {
        // Readers guard their own work; this only catches what they could
        // not (memory). Whatever was built stays, resolved.
        trace.Append(std::string("Erreur : ") + e.what());
        erreur_lecture = e.what();
        try {
            ResolveCalibrations();
        } catch (...) {
        }
    }
}

void Tday_obs::ResolveCalibrations() { ResolveCalibrationsAndHeights(false); }

namespace {

// The height definitions by name, the last definition of a name winning.
// A book defines a few names and has a million pointings: a name whose
// length and first byte no definition has is not looked up.
class THeights {
public:
    explicit THeights(const std::vector<THv>& definitions) {
        byName_.reserve(definitions.size());
        for (const THv& h : definitions) {
            byName_[h.nom] = h.hauteur;
            lengths_.set(std::min<std::size_t>(h.nom.size(), kLongest));
            if (!h.nom.empty()) firstBytes_.set(static_cast<unsigned char>(h.nom[0]));
        }
    }
    bool empty() const { return byName_.empty(); }
    // Sets `value` to the height of `name` when it has one.
    void Apply(std::string_view name, double& value) const {
        if (!lengths_.test(std::min<std::size_t>(name.size(), kLongest))) return;
        if (!name.empty() && !firstBytes_.test(static_cast<unsigned char>(name[0]))) return;
        const auto it = byName_.find(name);
        if (it != byName_.end()) value = it->second;
    }

private:
    static constexpr std::size_t kLongest = 63;  // and longer
    std::unordered_map<std::string_view, double> byName_;
    std::bitset<kLongest + 1> lengths_;
    std::bitset<256> firstBytes_;
};

}  // namespace

void Tday_obs::ApplyHeights() {
    const THeights heights(hauteurs);
    if (heights.empty()) return;
    for (TStation& s : stations) {
        heights.Apply(s.pt_sta, s.Ht);
        for (Tobs& o : s.obs) heights.Apply(o.pt_vis, o.Hv);
    }
}

void Tday_obs::ResolveCalibrationsAndHeights(bool heights, const std::function<void(std::size_t, TStation&)>& first) {
    if (etalonnages.empty()) {
        AddEtalonnage();
        nb_etal = static_cast<int>(etalonnages.size());
    }
    TEtalonnage* fallback = &etalonnages.front();
    // First calibration of each number.
    std::unordered_map<int, TEtalonnage*> byNum;
    for (TEtalonnage& e : etalonnages) byNum.emplace(e.num, &e);
    auto find = [&](int num) -> TEtalonnage* {
        auto it = byNum.find(num);
        return it == byNum.end() ? fallback : it->second;
    };
    static const std::vector<THv> none;
    const THeights height(heights ? hauteurs : none);  // names viewed in place
    const bool anyHeight = !height.empty();

    // One pass over the pointings for both.
    ForEachStation(stations, nullptr, [&](TStation& s) {
        if (first) first(static_cast<std::size_t>(&s - stations.data()), s);
        s.calibration = find(s.etalonnage);
        s.etalonnage = s.calibration->num;
        if (anyHeight) height.Apply(s.pt_sta, s.Ht);
        for (Tobs& o : s.obs) {
            o.calibration = o.etalonnage < 0 ? s.calibration : find(o.etalonnage);
            if (anyHeight) height.Apply(o.pt_vis, o.Hv);
        }
    });
}

}  // namespace kestrova
