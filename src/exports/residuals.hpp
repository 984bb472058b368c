// Residuals of the raw pointings of a reduced station with respect to the
// reduced values of their target, as both reports show them: dHz and dV in
// cc, dDp in millimetres.
#pragma once
#include <vector>

#include "fieldbook/model.hpp"

namespace kestrova {

struct TPointingResidual {
    int target = -1;  // index in the station's targets; -1 when the pointing is in none
    int circle = 0;   // 1 or 2: the list of the target that holds the pointing
    double dHz = 0.0;
    double dV = 0.0;
    double dDp = 0.0;  // meaningful only when the pointing has a distance
};

// One entry per pointing of st.obs, same order. `withZ0`: correct dV of a
// two-circle station by the station's Z0 (the XML report does, the listing
// does not).
std::vector<TPointingResidual> ComputeResiduals(const TStation& st, bool withZ0);

}  // namespace kestrova
