#include "problemtypes/CylFields.h"

namespace zem {

namespace cylsym {

const std::array<TFieldKind, ikCount> kInputs = {{
    {"Радиальная нагрузка", "Радиальное давление", TUnit::Pascal},
}};

const std::array<TFieldKind, rkCount> kResults = {{
    {"w", "Радиальный прогиб", TUnit::Metre},
    {"dwx", "Угол поворота dw/dx", TUnit::Radian},
    {"N2", "Окружное усилие", TUnit::NewtonPerM},
    {"Q1", "Поперечная сила", TUnit::NewtonPerM},
    {"M1", "Изгибающий момент", TUnit::NewtonMPerM},
    {"Sig1", "Изгибное напряжение", TUnit::Pascal},
    {"Sig2", "Окружное напряжение", TUnit::Pascal},
    {"SigEq", "Эквивалентное напряжение", TUnit::Pascal},
}};

const std::array<TFieldKind, bkCount> kBounds = {{
    {"w", "Прогиб", TUnit::Metre},
    {"dw", "Угол поворота", TUnit::Radian},
    {"Q1", "Поперечная сила", TUnit::NewtonPerM},
    {"M1", "Изгибающий момент", TUnit::NewtonMPerM},
}};

const TFieldTable& Table() {
    static const TFieldTable table{kInputs, kResults, kBounds};
    return table;
}

}  // namespace cylsym

namespace cyltech {

const std::array<TFieldKind, ikCount> kInputs = {{
    {"t", "Толщина стенки", TUnit::Metre},
    {"qz", "Радиальная нагрузка", TUnit::Pascal},
    {"qx", "Продольная нагрузка", TUnit::Pascal},
    {"qy", "Окружная нагрузка", TUnit::Pascal},
    {"w_consr", "Заданный прогиб", TUnit::Metre},
}};

const std::array<TFieldKind, rkCount> kResults = {{
    {"u", "Продольное перемещение", TUnit::Metre},
    {"v", "Окружное перемещение", TUnit::Metre},
    {"w", "Радиальный прогиб", TUnit::Metre},
    {"dwx", "Угол поворота dw/dx", TUnit::Radian},
    {"dwtet", "Угол поворота dw/dy", TUnit::Radian},
    {"N1", "Продольное усилие", TUnit::NewtonPerM},
    {"N2", "Окружное усилие", TUnit::NewtonPerM},
    {"S1", "Сдвигающее усилие S1", TUnit::NewtonPerM},
    {"S2", "Сдвигающее усилие S2", TUnit::NewtonPerM},
    {"Q1", "Поперечная сила Q1", TUnit::NewtonPerM},
    {"Q2", "Поперечная сила Q2", TUnit::NewtonPerM},
    {"M1", "Изгибающий момент M1", TUnit::NewtonMPerM},
    {"M2", "Изгибающий момент M2", TUnit::NewtonMPerM},
    {"M12", "Крутящий момент M12", TUnit::NewtonMPerM},
    {"M21", "Крутящий момент M21", TUnit::NewtonMPerM},
    {"SigX", "Продольное напряжение", TUnit::Pascal},
    {"SigY", "Окружное напряжение", TUnit::Pascal},
    {"Tau", "Касательное напряжение", TUnit::Pascal},
    {"SigMax", "Наибольшее главное напряжение", TUnit::Pascal},
    {"SigMin", "Наименьшее главное напряжение", TUnit::Pascal},
    {"SigEq3", "Эквивалентное напряжение (III теория)", TUnit::Pascal},
    {"SigEq4", "Эквивалентное напряжение (IV теория)", TUnit::Pascal},
}};

const std::array<TFieldKind, bkCount> kBounds = {{
    {"u", "Продольное перемещение", TUnit::Metre},
    {"v", "Окружное перемещение", TUnit::Metre},
    {"w", "Прогиб", TUnit::Metre},
    {"dw", "Угол поворота dw/dx", TUnit::Radian},
    {"N1", "Продольное усилие", TUnit::NewtonPerM},
    {"S1", "Сдвигающее усилие", TUnit::NewtonPerM},
    {"Q1", "Поперечная сила", TUnit::NewtonPerM},
    {"M1", "Изгибающий момент", TUnit::NewtonMPerM},
}};

const TFieldTable& Table() {
    static const TFieldTable table{kInputs, kResults, kBounds};
    return table;
}

}  // namespace cyltech

namespace cylpanel {

const std::array<TFieldKind, bkCount> kBounds = {{
    {"u", "Продольное перемещение", TUnit::Metre},
    {"v", "Окружное перемещение", TUnit::Metre},
    {"w", "Прогиб", TUnit::Metre},
    {"dw", "Угол поворота: dw/dx на торце, dw/dy на стороне", TUnit::Radian},
    {"N1", "Продольное усилие", TUnit::NewtonPerM},
    {"S1", "Сдвигающее усилие на торце", TUnit::NewtonPerM},
    {"Q1", "Поперечная сила на торце", TUnit::NewtonPerM},
    {"M1", "Изгибающий момент на торце", TUnit::NewtonMPerM},
    {"N2", "Окружное усилие", TUnit::NewtonPerM},
    {"S2", "Сдвигающее усилие на стороне", TUnit::NewtonPerM},
    {"Q2", "Поперечная сила на стороне", TUnit::NewtonPerM},
    {"M2", "Изгибающий момент на стороне", TUnit::NewtonMPerM},
}};

const TFieldTable& Table() {
    static const TFieldTable table{cyltech::kInputs, cyltech::kResults, kBounds};
    return table;
}

}  // namespace cylpanel

}  // namespace zem
