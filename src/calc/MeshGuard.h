// The mesh guard: whether the steps of a problem can resolve its solution.
//
// A cylindrical shell bends only near its constrained edges and joints: an
// edge disturbance decays as e^(-beta x) with beta^4 = 3 (1 - mu^2) / (R t)^2,
// so it lives within about 2.5 sqrt(R t) of the edge. A load that varies
// round the circumference as cos(k theta) needs enough nodes per wave. A
// mesh coarser than that gives answers far from the truth without any other
// sign, so the calculation, "Проверить" and the batch runner warn about it
// with the figures and a mesh that would do. A coarse mesh stays legitimate
// for trials: the guard never refuses anything.
//
// The figures come from the verification cases of the clamped tank, whose
// error falls as the square of the step with the second-order stencils (12 %
// at 6 steps within 2.5 sqrt(R t) of the edge): 24 steps keep the edge moment
// within about 1 %. The uniform higher-accuracy stencils of the
// two-dimensional shells converge faster: 6 steps, about 0.15 %. Round the circumference 16
// steps per wave of the highest load harmonic keep the ovalising wind within
// about 1.5 %; the slender stand-alone ring needs 32 per wave with its
// higher-accuracy stencils and 256 with the second-order ones.
#pragma once

#include <string>
#include <vector>

namespace zem {

class TProblem;

// One finding of the guard about one mesh item.
struct TMeshAdvice {
    std::string Axis;       // the mesh item as the calculation names it ("mesh_x", "Span2.mesh_x")
    std::string Warning;    // the figures, one line
    std::string Suggested;  // a mesh value that passes ("120", "[[16, 0.0791], ...]")
};

// Every mesh item of the problem that is too coarse, in the order of the
// domains and their directions. A domain that cannot be judged (its
// parameters do not parse) is passed over.
std::vector<TMeshAdvice> CheckMeshResolution(TProblem& problem);

// The guard's findings as report lines: "Предупреждение: " + warning +
// "; предлагается " + axis + " = " + suggestion. None for a mesh that passes.
std::vector<std::string> MeshGuardLines(TProblem& problem);

// Refuses an object text that gives a mesh item ("mesh_x", "mesh_y", "mesh")
// with an empty value: "Сетка mesh_x не задана: ..." A mesh item the text
// leaves out keeps its meaning of 4 equal steps, as stored files rely on.
void CheckMeshItemsGiven(const std::string& objectText);

}  // namespace zem
