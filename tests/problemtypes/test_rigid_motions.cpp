// A shell by Love's equations, left free, moves as a rigid body without
// strain: the three translations and the three rotations of the whole
// structure, sampled at every node (the fictitious ones too) and, for the
// shell with a ring, carried over to the ring (its displacements those of
// the shell's top edge, its twist following the tilt), must satisfy every
// assembled row up to the truncation error of the circumferential
// differences. So the residual, relative to the row's terms, must be small
// and must fall as the circumferential mesh is refined. A wrong sign in a
// joint or an edge row leaves a residual of the order of the row itself.
//
// The rows that are not equations of the structure are left out: the
// identity rows of the fictitious unknowns no equation reaches ("Nil") and
// the rows that hold a free shell's mean slide and turn ("Rigid_u",
// "Rigid_v").
#include "cylinders.h"
#include "problemtypes/DmCylTech.h"

#include <gtest/gtest.h>

#include <array>

using namespace zem;
using namespace zem::cyltest;

namespace {

using Real = long double;

// Motion m (0 ... 2 translations along X, Y and the axis; 3 ... 5 rotations
// about X, Y and the axis, through the origin) at the point of the wall at
// height x and angle theta, theta = 0 on X: (u along the axis, v around, w
// outwards) and the slope dw/dx.
std::array<Real, 4> Motion(int m, Real R, Real x, Real theta) {
    const Real c = std::cos(theta), s = std::sin(theta);
    switch (m) {
    case 0: return {0, -s, c, 0};
    case 1: return {0, c, s, 0};
    case 2: return {1, 0, 0, 0};
    case 3: return {R * s, -x * c, -x * s, -s};
    case 4: return {-R * c, -x * s, x * c, c};
    default: return {0, R, 0, 0};
    }
}

// Free ends (and free sides for the panel); no load.
TSettings FreeStructure(const std::string& type, int m) {
    const std::string mesh = std::to_string(m);
    TSettings s = {{"LOADS.Gidr", ""}};
    if (type == "CompCylTech") {
        for (const char* span : {"ELEMS.Span1.", "ELEMS.Span2."})
            s = s + TSettings{{std::string(span) + "MESH.mesh_x", "4"}, {std::string(span) + "MESH.mesh_y", mesh}};
    } else {
        s = s + TSettings{{"MESH.mesh_x", "6"}, {"MESH.mesh_y", mesh}};
    }
    std::vector<std::string> ends = {"_bot"};
    if (type != "CylRing" && type != "CylRingP") ends.push_back("_top");
    for (const std::string& e : ends) {
        for (const char* k : {"u", "v", "w", "dw"}) s.push_back({"BOUNDS." + std::string(k) + e, ""});
        for (const char* k : {"N1", "S1", "Q1", "M1"}) s.push_back({"BOUNDS." + std::string(k) + e, "0"});
    }
    if (type == "CylPanel") {
        s = s + TSettings{{"PARAMS.Width", "100"}, {"PARAMS.R", "1"}};
        for (const char* e : {"_left", "_right"}) {
            for (const char* k : {"u", "v", "w", "dw"}) s.push_back({"BOUNDS." + std::string(k) + e, ""});
            for (const char* k : {"N2", "S2", "Q2", "M2"}) s.push_back({"BOUNDS." + std::string(k) + e, "0"});
        }
    }
    // One period is the whole circumference: every motion fits on it.
    if (type == "CylLaveP" || type == "CylRingP") s.push_back({"PARAMS.Period", "1"});
    return s;
}

// The largest residual of the structure's rows under motion m, relative to
// the sum of the magnitudes of the row's terms; `worst` names the row.
double LargestResidual(TProblem& p, int m, std::string& worst) {
    p.BuildEquations();
    std::vector<Real> x(p.UnknownCount(), 0);
    Real base = 0;  // the height of the current shell's bottom
    for (TDmElement* element : p.Domains()) {
        TDomain& d = *element->Domain;
        const std::size_t offset = d.ColumnBase();
        if (auto* shell = dynamic_cast<TDmCylTech*>(&d)) {
            const int n = shell->StepCount(0), lines = shell->LineNodeCount();
            const int around = shell->VirtualLayers(1);
            for (int i = -2; i <= n + 2; ++i)
                for (int j = -around; j < lines + around; ++j) {
                    const auto a = Motion(m, shell->R, base + shell->NodeCoord(0, i), shell->NodeCoord(1, j) / shell->R);
                    for (int c = 0; c < 3; ++c)
                        x[offset + std::size_t(shell->ColumnOf(c, {i, j}))] = a[std::size_t(c)];
                }
            base += shell->Lengths[0];
        } else if (auto* ring = dynamic_cast<TDmRing*>(&d)) {
            // On the top edge of the shell before it; its twist turns the
            // section the other way than the wall's slope.
            for (int j = 0; j < ring->StepCount(0); ++j) {
                const auto a = Motion(m, ring->R, base, ring->NodeCoord(0, j) / ring->R);
                const Real fi = -a[3];
                for (int c = 0; c < 4; ++c)
                    x[offset + std::size_t(ring->ColumnOf(c, {j, 0}))] = c < 3 ? a[std::size_t(c)] : fi;
            }
        } else {
            ADD_FAILURE() << "a domain of an unexpected kind";
        }
    }
    Real size = 0;  // the motion's largest displacement, for terms that vanish but for rounding
    for (Real v : x) size = std::max(size, std::fabs(v));
    double largest = 0;
    for (std::size_t r = 0; r < p.UnknownCount(); ++r) {
        const std::string& name = p.Equations().Name(static_cast<int>(r));
        if (name.find("Nil(") != std::string::npos || name.find("Rigid_") != std::string::npos) continue;
        TRowItems items;
        Real sum = p.GetRow(r, items), scale = std::fabs(sum), floor = 0;
        for (const TListItem& it : items) {
            sum += it.Value * x[it.Col];
            scale += std::fabs(it.Value * x[it.Col]);
            floor += std::fabs(it.Value) * size * 1e-14L;
        }
        scale = std::max(scale, floor);
        if (scale == 0) continue;
        const double rel = static_cast<double>(std::fabs(sum) / scale);
        if (rel > largest) largest = rel, worst = name;
    }
    return largest;
}

TEST(RigidMotions, EveryShellAdmitsTheSixRigidMotionsToTruncation) {
    for (const char* type : {"CylLave", "CylLaveP", "CylPanel", "CylRing", "CylRingP"}) {
        auto coarse = MakeProblem(type, FreeStructure(type, 16));
        auto fine = MakeProblem(type, FreeStructure(type, 32));
        for (int m = 0; m < 6; ++m) {
            std::string worstCoarse, worstFine;
            const double a = LargestResidual(*coarse, m, worstCoarse), b = LargestResidual(*fine, m, worstFine);
            // The compact operators around: a sixteenth on the doubled mesh
            // (an eighth allowed); the slide and the turn are exact.
            EXPECT_LT(a, 1e-3) << type << " motion " << m << ": " << worstCoarse;
            EXPECT_LT(b, a / 8 + 1e-17) << type << " motion " << m << ": " << worstFine;
        }
    }
}

TEST(RigidMotions, TechnicalTheoryShellsSlideAndTurnExactly) {
    // The technical theory measures the change of curvature by w alone, so
    // the translations across the axis and the tilts bend its wall (by
    // w_yy = -w/R^2): only the slide along the axis and the turn about it
    // are free of strain in that theory.
    for (const char* type : {"CylTech", "CylTech2_1", "CylTech2_2", "CompCylTech"})
        for (int m : {2, 5}) {
            std::string worst;
            auto p = MakeProblem(type, FreeStructure(type, 16));
            EXPECT_LT(LargestResidual(*p, m, worst), 1e-15) << type << " motion " << m << ": " << worst;
        }
}

}  // namespace
