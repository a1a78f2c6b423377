#include "problem/PbTypes.h"

#include "elements/Elements.h"
#include "platform/errors.h"

#include <array>
#include <cctype>

namespace zem {
namespace {

struct TTypeEntry {
    std::string Name;
    std::string Caption;
};

// Entries 2 and 6 begin with the Latin capital C.
const std::array<TTypeEntry, kProblemTypeCount>& Entries() {
    static const std::array<TTypeEntry, kProblemTypeCount> entries = {{
        {"CylSym", "Цилиндрическая оболочка. Радиальная осесимметричная нагрузка"},
        {"CylSym2", "Цилиндрическая оболочка. Радиальная осесимметричная нагрузка. КР шаблоны повышенной точности"},
        {"CompCylSym", "Cтупенчатый цилиндр. Радиальная осесимметричная нагрузка"},
        {"CylTech", "Цилиндрическая оболочка. Ур-ния технич. теории"},
        {"CylTech2_1",
         "Цилиндрическая оболочка. Ур-ния технич. теории. КР шаблоны повышенной точности (второй вариант)"},
        {"CylTech2_2",
         "Цилиндрическая оболочка. Ур-ния технич. теории. КР шаблоны повышенной точности (третий вариант)"},
        {"CompCylTech", "Cтупенчатый цилиндр. Ур-ния технической теории"},
        {"CylLave", "Цилиндрическая оболочка. Ур-ния Лява. КР шаблоны повышенной точности"},
        {"CylPanel", "Цилиндрическая панель"},
        {"CylLaveP", "Цилиндрическая оболочка. Ур-ния Лява. Периодическая задача"},
        {"Ring", "Плоское кольцо"},
        {"Ring2", "Плоское кольцо. Шаблоны повышенной точности"},
        {"RingP", "Плоское кольцо. Периодическая задача"},
        {"CylRing", "Цилиндр + кольцо жесткости"},
        {"CylRingP", "Цилиндр + кольцо жесткости. Периодическая задача"},
    }};
    return entries;
}

std::array<TElementFactory, kProblemTypeCount>& Factories() {
    static std::array<TElementFactory, kProblemTypeCount> factories;
    return factories;
}

bool Valid(int i) { return i >= 0 && i < kProblemTypeCount; }

std::string Lower(const std::string& s) {
    std::string r = s;
    for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

}  // namespace

const std::string& ProblemTypeName(int i) {
    static const std::string none;
    return Valid(i) ? Entries()[i].Name : none;
}

const std::string& ProblemTypeCaption(int i) {
    static const std::string none;
    return Valid(i) ? Entries()[i].Caption : none;
}

int ProblemTypeByName(const std::string& name) {
    for (int i = 0; i < kProblemTypeCount; ++i)
        if (Entries()[i].Name == name) return i;
    return -1;
}

int ProblemTypeByNameNoCase(const std::string& name) {
    const std::string key = Lower(name);
    for (int i = 0; i < kProblemTypeCount; ++i)
        if (Lower(Entries()[i].Name) == key) return i;
    return -1;
}

void RegisterProblemType(int i, TElementFactory factory) {
    if (Valid(i)) Factories()[i] = std::move(factory);
}

bool ProblemTypeAvailable(int i) { return Valid(i) && static_cast<bool>(Factories()[i]); }

std::unique_ptr<TElement> CreateProblemElement(int i, TObject* owner, const std::string& name) {
    if (!Valid(i)) throw ZemError("Ошибка данных: типа задачи с номером " + std::to_string(i) + " нет в каталоге");
    if (!Factories()[i])
        throw ZemError("Тип задачи \"" + Entries()[i].Name + "\" в этой версии программы не реализован");
    return Factories()[i](owner, name);
}

}  // namespace zem
