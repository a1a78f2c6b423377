#include "problemtypes/Register.h"

#include "elements/Elements.h"
#include "problem/PbTypes.h"
#include "problemtypes/DmCylSym.h"
#include "problemtypes/ElCyls.h"
#include "problemtypes/ElCyls2.h"
#include "problemtypes/ElLave.h"
#include "problemtypes/ElRing.h"

#include <string>

namespace zem {
namespace {

template <class T>
void Register(const std::string& typeName) {
    RegisterProblemType(ProblemTypeByName(typeName), &CreateElement<T>);
}

}  // namespace

void RegisterProblemTypes() {
    // One line per built type, by its catalogue name.
    Register<TElCylSym>("CylSym");
    Register<TElCompCylSym>("CompCylSym");
    RegisterCylTechTypes();
    RegisterCyl2Types();
    RegisterRingTypes();
    RegisterLaveTypes();
}

}  // namespace zem
