// The calculation lines of a problem (its CALCULATION section) and the record
// they parse into.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zem {

enum TCalcType : int { ctSimple = 0, ctAstim = 1, ctChoose = 2 };
enum TErrorNorma : int { enSemiSqr = 0, enUniform = 1 };
enum TListType : int { ltByType = 0, ltByDomain = 1 };

struct TCalcSettings {
    int RealType = 0;    // 0 "REAL", 1 "DOUBLE", 2 "EXTENDED"
    int SLAEMethod = 0;  // position in the method table
    int CalcType = ctSimple;
    int ErrorNorma = enSemiSqr;
    bool AutoMode = false;
    bool IsSLAEError = false;
    bool SaveResult = false;
    int ListType = ltByType;
    std::vector<std::string> AstimList;
    std::vector<std::string> PrecList;
    double Prec = 0;
    std::string PrecChar;
};

// The value texts of the table keys, in position order.
const std::vector<std::string>& CalcTypeNames();    // "simple", "astim", "choose"
const std::vector<std::string>& ErrorNormaNames();  // "semisqr", "uniform"
const std::vector<std::string>& ListTypeNames();    // "by type", "by domain"

// Parses calculation lines. Keys are compared without regard to letter case,
// table values exactly (an unknown value gives position 0). A "Prec" value
// that is not a number raises "Ошибка численного значения".
TCalcSettings ReadCalcSettings(const std::vector<std::string>& lines);

// The method and real type of a problem whose lines do not name them (a new
// problem): chosen for its size, N unknowns with half band M, whether it
// is two-dimensional and whether its system repeats round a closed
// circumference; a method or real type the lines name is kept.
void ApplySizeDefaults(TCalcSettings& s, const std::vector<std::string>& lines, std::size_t n, std::size_t m,
                       bool twoDimensional, bool circulant = false);

// Writes the lines of a settings record in their fixed order. HasManyDomains
// decides whether the "ListType" line is written.
std::vector<std::string> WriteCalcSettings(const TCalcSettings& s, bool hasManyDomains,
                                           const std::string& precText);

// Splits a comma text: items separated by commas or blanks, blanks around
// them skipped, double quotes around an item that holds blanks or commas.
std::vector<std::string> SplitCommaText(const std::string& text);
// The inverse used for the lists: items joined by ", ".
std::string JoinCommaList(const std::vector<std::string>& items);

}  // namespace zem
