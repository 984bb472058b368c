#include "levelling/setups.hpp"

#include <algorithm>
#include <climits>
#include <cmath>

#include "base/format.hpp"

namespace kestrova {

namespace {

// The second reading of a point joins its first: the mean of the two.
void Average(Tobs_niv& first, const Tobs_niv& second, bool back) {
    if (back) first.backsight = (first.backsight + second.backsight) / 2.0;
    else first.foresight = (first.foresight + second.foresight) / 2.0;
    if (first.distance > 0 && second.distance > 0) first.distance = (first.distance + second.distance) / 2.0;
    else if (second.distance > 0) first.distance = second.distance;
    if (first.emq > 0 && second.emq > 0)
        first.emq = std::sqrt(first.emq * first.emq + second.emq * second.emq) / 2.0;
    else if (second.emq > 0) first.emq = second.emq;
    // A damaged count word cannot wrap the sum around.
    first.count = static_cast<int>(std::min<long long>(static_cast<long long>(first.count) + second.count, INT_MAX));
    if (second.altitude != 0.0) first.altitude = second.altitude;
}

}  // namespace

struct TSetupBuilder::Impl {
    TNivWarnings& warnings;
    // The set-up being formed.
    std::vector<Tobs_niv> before;         // rows without reading met before its first reading
    std::vector<Tobs_niv> intermediates;  // in recording order
    std::vector<Tobs_niv> after;          // rows without reading met after its first reading
    Tobs_niv back, fore;
    bool hasBack = false, hasFore = false;
    long long backLine = 0, foreLine = 0;
    bool warned = false;  // the set-up's fault was told already

    explicit Impl(TNivWarnings& w) : warnings(w) {}

    bool Started() const { return hasBack || hasFore || !intermediates.empty(); }

    void Close(std::vector<Tobs_niv>& rows) {
        if (warned) {
            // said when its second reading came alone
        } else if (hasBack && !hasFore)
            warnings.Add(Format("ligne %d : mise en station incomplète, la lecture arrière sur %s n'a pas de "
                                "lecture avant",
                                backLine, back.name));
        else if (hasFore && !hasBack)
            warnings.Add(Format("ligne %d : mise en station incomplète, la lecture avant sur %s n'a pas de "
                                "lecture arrière",
                                foreLine, fore.name));
        for (Tobs_niv& o : before) rows.push_back(std::move(o));
        if (hasBack) rows.push_back(std::move(back));
        for (Tobs_niv& o : intermediates) rows.push_back(std::move(o));
        if (hasFore) rows.push_back(std::move(fore));
        for (Tobs_niv& o : after) rows.push_back(std::move(o));
        before.clear();
        intermediates.clear();
        after.clear();
        back = fore = Tobs_niv{};
        hasBack = hasFore = false;
        warned = false;
    }

    void First(const TStaffReading& r, bool isBack, std::vector<Tobs_niv>& rows) {
        // A reading of a kind the set-up already has belongs to the next one.
        if (isBack ? hasBack : hasFore) Close(rows);
        if (isBack) {
            back = r.obs;
            hasBack = true;
            backLine = r.line;
        } else {
            fore = r.obs;
            hasFore = true;
            foreLine = r.line;
        }
    }

    void Second(const TStaffReading& r, bool isBack, std::vector<Tobs_niv>& rows) {
        const bool has = isBack ? hasBack : hasFore;
        Tobs_niv& first = isBack ? back : fore;
        if (has && first.name == r.obs.name) {
            Average(first, r.obs, isBack);
            return;
        }
        warnings.Add(Format("ligne %d : seconde lecture %s du point %s sans première lecture de ce point dans la "
                            "station, gardée seule",
                            r.line, isBack ? "arrière" : "avant", r.obs.name));
        First(r, isBack, rows);
        warned = true;
    }

    void Add(const TStaffReading& r, std::vector<Tobs_niv>& rows) {
        switch (r.kind) {
            case TStaffKind::Back: First(r, true, rows); break;
            case TStaffKind::Fore: First(r, false, rows); break;
            case TStaffKind::SecondBack: Second(r, true, rows); break;
            case TStaffKind::SecondFore: Second(r, false, rows); break;
            case TStaffKind::Intermediate: intermediates.push_back(r.obs); break;
            case TStaffKind::Other: (Started() ? after : before).push_back(r.obs); break;
            case TStaffKind::EndOfSetup:
                (Started() ? after : before).push_back(r.obs);
                Close(rows);
                break;
        }
    }
};

TSetupBuilder::TSetupBuilder(TNivWarnings& warnings) : impl_(std::make_unique<Impl>(warnings)) {}

TSetupBuilder::~TSetupBuilder() = default;

void TSetupBuilder::Add(const TStaffReading& reading, std::vector<Tobs_niv>& rows) { impl_->Add(reading, rows); }

void TSetupBuilder::Finish(std::vector<Tobs_niv>& rows) { impl_->Close(rows); }

std::vector<Tobs_niv> FormSetups(const std::vector<TStaffReading>& readings, TNivWarnings& warnings) {
    std::vector<Tobs_niv> rows;
    TSetupBuilder builder(warnings);
    for (const TStaffReading& r : readings) builder.Add(r, rows);
    builder.Finish(rows);
    return rows;
}

}  // namespace kestrova
