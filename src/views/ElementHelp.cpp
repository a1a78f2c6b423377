#include "views/ElementHelp.h"

#include "elements/ElLists.h"

#include <map>

namespace {

struct TFormat {
    const char* Text;
    const char* Example;
};

// Values around the circumference of a surface may be Fourier series.
const char* const kSeries = "ряд Фурье по окружности: a0, a1, [a2, b2], … — коэффициенты при cos kθ (и sin kθ)";

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() > tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The key without its end ("M1_bot" → "M1"), or empty when it names no end.
std::string QuantityOf(const std::string& key) {
    for (const char* end : {"_bot", "_top", "_left", "_right"})
        if (EndsWith(key, end)) return key.substr(0, key.size() - std::string(end).size());
    return {};
}

std::string Unit(const std::string& quantity) {
    if (quantity == "u" || quantity == "v" || quantity == "w") return "м";
    if (quantity == "dw") return "1/м";
    if (quantity.size() == 2 && quantity[0] == 'M') return "Н·м/м";
    return "Н/м";
}

}  // namespace

std::string ItemFormatText(const std::string& key, const std::string& typeHint, bool surface) {
    static const std::map<std::string, TFormat> line{
        {"R", {"число, м", "10"}},
        {"H", {"число, м", "10"}},
        {"t", {"число, м", "0.01"}},
        {"E", {"число, Па (пусто — как у оболочки)", "2.06e11"}},
        {"mu", {"число от 0 до 0.5", "0.3"}},
        {"G", {"число, Па", "8.0e10"}},
        {"F", {"число, м²", "0.01"}},
        {"Jx", {"число, м⁴", "0.1"}},
        {"Jr", {"число, м⁴", "10.0"}},
        {"Jxr", {"число, м⁴", "0"}},
        {"Jk", {"число, м⁴", "0.4"}},
        {"Period", {"целое: сколько раз конструкция повторяется по окружности", "2"}},
        {"Width", {"число, градусы", "180"}},
        {"Uniform", {"давление, Па, наружу — плюс; список складывается", "5000"}},
        {"Gidr", {"γ (Н/м³), жидкость до верха; или γ, h — уровень налива h (м) от низа", "10000, 8"}},
        {"Wind", {"давление, Па, ряд Фурье по окружности: a0, a1, [a2, b2], …", "-300, 500, 400"}},
        {"q_Rect",
         {"радиальное давление (Па) на области: x0, y0, x1, y1, q — прямоугольник; x0, y0, x1, y1, q00, q10, "
          "q01, q11 — значения в углах; xc, yc, r², q — круг (третье число — квадрат радиуса); несколько "
          "областей — [..], [..]; x вдоль оси от низа, y — дуга по окружности, м",
          "2, 0, 4, 3, 5000"}},
        {"w_Rect",
         {"заданный прогиб (м) на области: x0, y0, x1, y1, w — прямоугольник; x0, y0, x1, y1, w00, w10, w01, "
          "w11 — значения в углах; xc, yc, r², w — круг (третье число — квадрат радиуса); несколько областей — "
          "[..], [..]",
          "5, 10, 0.25, -0.002"}},
        {"t_ring", {"погонная радиальная нагрузка, Н/м, ряд Фурье по окружности", "0, 0, 1000"}},
        {"s", {"погонная нагрузка из плоскости кольца, Н/м, ряд Фурье по окружности", "0, 500"}},
        {"q", {"погонная окружная нагрузка, Н/м, ряд Фурье по окружности", "0, [0, 200]"}},
        {"mk", {"погонный крутящий момент, Н·м/м, ряд Фурье по окружности", "100"}},
        {"mesh_x",
         {"целое число равных шагов, или доли длины: f — один шаг, [n, f] — n шагов на долю f; сумма долей 1",
          "[20, 0.2], [10, 0.8]"}},
        {"mesh_y", {"целое число равных шагов по окружности (для гармоники k не меньше 8·k), или доли", "64"}},
        {"mesh", {"целое число равных шагов по окружности, или доли длины", "32"}},
    };
    std::string lookup = key;
    // "t" of a shell is a thickness; "t" among loads (a Fourier-series hint) is the ring's radial load.
    if (key == "t" && typeHint.find("Cos") != std::string::npos) lookup = "t_ring";
    if (key == "Gidr" && surface) {
        return "γ (Н/м³); или γ, h — уровень налива h (м); или γ, h, α — поверхность наклонена на α градусов. "
               "Пример: 10000, 8, 5";
    }
    if (key == "t" && typeHint.find("RealList") != std::string::npos) {
        return "толщина, м, или области толщины: a — везде; x1, y1, x4, y4, a — прямоугольник; xc, yc, r², a — "
               "круг; x1, y1, x4, y4, t1, t2, t3, t4 — толщины в углах; более поздняя область перекрывает "
               "раннюю. Пример: 0.01, [0, 0, 1, 1, 0.02]";
    }
    std::string text;
    std::string example;
    if (const auto it = line.find(lookup); it != line.end()) {
        text = it->second.Text;
        example = it->second.Example;
    } else if (const std::string quantity = QuantityOf(key); !quantity.empty()) {
        text = "число, " + Unit(quantity) + (surface ? std::string("; или ") + kSeries : std::string()) +
               "; пусто — не задано (на торце задается одно из пары)";
        example = surface ? "0  или  0, 0.001" : "0";
    } else if (key.rfind("Span", 0) == 0) {
        text = "пролет: {PARAMS={H=…, t=…}, LOADS={Uniform=…}, MESH={mesh_x=…}}; пустые H и t — как у всего "
               "цилиндра";
        example = "{PARAMS={H=3, t=0.012}, MESH={mesh_x=20}}";
    } else {
        return typeHint;
    }
    std::string shown = typeHint.empty() ? text : typeHint + ": " + text;
    return shown + ". Пример: " + example;
}

std::vector<TBoundEnd> BoundEndsOf(const zem::TElemList& bounds) {
    auto has = [&](const std::string& key) { return bounds.IndexOfKey(key) >= 0; };
    std::vector<TBoundEnd> ends;
    using TValues = std::vector<std::pair<std::string, std::string>>;
    // The end, each fixing as the value of every quantity of the end, in
    // list order.
    auto add = [&ends](const std::vector<std::string>& quantities, const std::string& end, const std::string& caption,
                       const std::vector<std::vector<const char*>>& presets,
                       const std::vector<std::string>& captions) {
        TBoundEnd e;
        e.Caption = caption;
        for (std::size_t p = 0; p < presets.size(); ++p) {
            TValues values;
            for (std::size_t q = 0; q < quantities.size(); ++q) values.emplace_back(quantities[q] + end, presets[p][q]);
            e.Presets.push_back({captions[p], std::move(values)});
        }
        ends.push_back(std::move(e));
    };
    const std::vector<std::string> lineQ{"w", "dw", "Q1", "M1"};
    const std::vector<std::string> surfaceQ{"u", "v", "w", "dw", "N1", "S1", "Q1", "M1"};
    const std::vector<std::string> sideQ{"u", "v", "w", "dw", "N2", "S2", "Q2", "M2"};
    auto complete = [&](const std::vector<std::string>& quantities, const std::string& end) {
        for (const std::string& q : quantities)
            if (!has(q + end)) return false;
        return true;
    };
    const std::vector<std::pair<std::string, std::string>> axial{{"_bot", "Низ"}, {"_top", "Верх"}};
    const std::vector<std::pair<std::string, std::string>> sides{{"_left", "Лево"}, {"_right", "Право"}};
    for (const auto& [end, caption] : axial) {
        if (complete(surfaceQ, end)) {
            //     u    v    w    dw   N1   S1   Q1   M1
            add(surfaceQ, end, caption,
                {{"0", "0", "0", "0", "", "", "", ""},
                 {"0", "0", "0", "", "", "", "", "0"},
                 {"", "", "", "", "0", "0", "0", "0"},
                 {"", "0", "0", "", "0", "", "", "0"}},
                {"Защемление", "Шарнир", "Свободный", "Шарнир, подвижный вдоль оси"});
        } else if (complete(lineQ, end)) {
            // w, dw, Q1, M1
            add(lineQ, end, caption, {{"0", "0", "", ""}, {"0", "", "", "0"}, {"", "", "0", "0"}, {"", "0", "0", ""}},
                {"Защемление", "Шарнир", "Свободный", "Скользящая заделка"});
        }
    }
    for (const auto& [end, caption] : sides) {
        if (!complete(sideQ, end)) continue;
        //     u    v    w    dw   N2   S2   Q2   M2
        add(sideQ, end, caption,
            {{"0", "0", "0", "0", "", "", "", ""},
             {"0", "0", "0", "", "", "", "", "0"},
             {"", "", "", "", "0", "0", "0", "0"},
             {"0", "", "0", "", "0", "", "", "0"}},
            {"Защемление", "Шарнир", "Свободный", "Шарнир, подвижный поперек кромки"});
    }
    return ends;
}
