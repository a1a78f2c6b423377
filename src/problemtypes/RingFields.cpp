#include "problemtypes/RingFields.h"

#include "problemtypes/DmRing.h"

namespace zem::ring {

// The domain reads its loads and results by these numbers.
static_assert(+ikT == +TDmRing::lsT && +ikS == +TDmRing::lsS && +ikQ == +TDmRing::lsQ && +ikMk == +TDmRing::lsMk);
static_assert(+rkU == +TDmRing::rkU && +rkFi == +TDmRing::rkFi && +rkN2 == +TDmRing::rkN2 && +rkHk == +TDmRing::rkHk);

const std::array<TFieldKind, ikCount> kInputs = {{
    {"t", "Радиальная нагрузка", TUnit::NewtonPerM},
    {"s", "Нагрузка из плоскости кольца", TUnit::NewtonPerM},
    {"q", "Окружная нагрузка", TUnit::NewtonPerM},
    {"mk", "Крутящая нагрузка", TUnit::NewtonMPerM},
}};

const std::array<TFieldKind, rkCount> kResults = {{
    {"u", "Перемещение из плоскости кольца", TUnit::Metre},
    {"v", "Окружное перемещение", TUnit::Metre},
    {"w", "Радиальное перемещение", TUnit::Metre},
    {"fi", "Угол закручивания сечения", TUnit::Radian},
    {"N2", "Окружное усилие", TUnit::Newton},
    {"Qx", "Поперечная сила из плоскости кольца", TUnit::Newton},
    {"Qr", "Поперечная сила в плоскости кольца", TUnit::Newton},
    {"Mx", "Изгибающий момент из плоскости кольца", TUnit::NewtonMetre},
    {"Mr", "Изгибающий момент в плоскости кольца", TUnit::NewtonMetre},
    {"Hk", "Крутящий момент", TUnit::NewtonMetre},
}};

const TFieldTable& Table() {
    static const TFieldTable table{kInputs, kResults, {}};
    return table;
}

}  // namespace zem::ring
