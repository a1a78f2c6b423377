// Input help of the element editor: the format of every value a problem's
// element declares, with an example, and the usual fixings of the ends of a
// shell that fill an end's boundary items at once.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace zem {
class TElemList;
}

// The format of the value of Key with an example, as the information panel
// shows it. TypeHint is the item's own short hint ("Real", "RealList", …);
// Surface tells a shell over a surface (values around the circumference may
// be Fourier series) from a line.
std::string ItemFormatText(const std::string& key, const std::string& typeHint, bool surface);

// One fixing of one end: the values it gives each boundary item of the end
// (an empty value leaves the quantity free).
struct TBoundPreset {
    std::string Caption;                                       // "Защемление"
    std::vector<std::pair<std::string, std::string>> Values;  // key and value text
};

// An end of a shell and its fixings.
struct TBoundEnd {
    std::string Caption;  // "Низ", "Верх", "Лево", "Право"
    std::vector<TBoundPreset> Presets;
};

// The ends whose items the boundary list holds, each with its fixings:
// clamped, hinged and free, and the fixing particular to the kind of shell
// (a sliding clamp for a line, a hinge free to move in the plane of the end
// for a surface). None for a list that holds no complete end.
std::vector<TBoundEnd> BoundEndsOf(const zem::TElemList& bounds);
