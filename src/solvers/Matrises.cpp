#include "solvers/Matrises.h"

#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/numtext.h"

#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>

namespace zem {

// --- Real type ----------------------------------------------------------------

namespace {
thread_local TRealType gRealType = rtReal;

TRealType CheckedRealType(int index) {
    if (index < rtReal || index > rtExtended)
        throw ZemError("Неизвестный вещественный тип: " + std::to_string(index));
    return static_cast<TRealType>(index);
}
}  // namespace

const std::vector<std::string>& RealTypeNames() {
    static const std::vector<std::string> names{"REAL", "DOUBLE", "EXTENDED"};
    return names;
}

TRealType CurrentRealType() { return gRealType; }

void SetRealType(int index) { gRealType = CheckedRealType(index); }

TRealTypeScope::TRealTypeScope(int index) : saved_(gRealType) { gRealType = CheckedRealType(index); }

TRealTypeScope::~TRealTypeScope() { gRealType = saved_; }

// --- TLineItem ----------------------------------------------------------------

void TLineItem::IndexError(std::size_t index) const {
    throw ZemError("Индекс " + std::to_string(index) + " вне строки чисел из " + std::to_string(count_) +
                   " элементов");
}

std::vector<Extended> TLineItem::Values() const {
    std::vector<Extended> v(count_);
    for (std::size_t i = 0; i < count_; ++i) v[i] = GetItem(i);
    return v;
}

void TLineItem::Zero() {
    for (std::size_t i = 0; i < count_; ++i) SetItem(i, 0);
}

Extended TLineItem::Sum() const { return SumFirst(count_); }

Extended TLineItem::SumFirst(std::size_t n) const {
    Extended s = 0;
    for (std::size_t i = 0; i < n; ++i) s += GetItem(i);
    return s;
}

namespace {
// The first extreme of Get(0) ... Get(N - 1) (the largest where Better is
// std::greater, the smallest where it is std::less) and its index; 0 at
// index 0 when N is 0.
template <class Get, class Better>
Extended FirstExtreme(std::size_t n, const Get& get, Better better, std::size_t& index) {
    index = 0;
    if (n == 0) return 0;
    Extended best = get(0);
    for (std::size_t i = 1; i < n; ++i) {
        const Extended v = get(i);
        if (better(v, best)) best = v, index = i;
    }
    return best;
}
}  // namespace

Extended TLineItem::MaxItem(std::size_t& index) const {
    const std::vector<Extended> v = Values();
    return FirstExtreme(v.size(), [&v](std::size_t i) { return v[i]; }, std::greater<>(), index);
}

Extended TLineItem::MinItem(std::size_t& index) const {
    const std::vector<Extended> v = Values();
    return FirstExtreme(v.size(), [&v](std::size_t i) { return v[i]; }, std::less<>(), index);
}

namespace {
std::vector<std::string> NumberLines(const std::vector<Extended>& values) {
    std::vector<std::string> lines;
    lines.reserve(values.size());
    for (Extended x : values) lines.push_back(RealToStrDefault(x));
    return lines;
}
}  // namespace

void TLineItem::SaveToTextFile(const std::string& fileName) const { WriteTextFile(fileName, NumberLines(Values())); }

void TLineItem::AppendToTextFile(const std::string& fileName) const { AppendTextFile(fileName, NumberLines(Values())); }

void TLineItem::SaveToFile(const std::string& fileName) const {
    std::string data;
    data.reserve(count_ * kExtendedSize);
    unsigned char rec[kExtendedSize];
    for (Extended x : Values()) {
        PackExtended(x, rec);
        data.append(reinterpret_cast<const char*>(rec), kExtendedSize);
    }
    WriteFileAtomic(fileName, data);
}

void TLineItem::LoadFromFile(const std::string& fileName) {
    // The file must hold exactly one record per element: a shorter or longer
    // file belongs to another system and would show foreign values.
    const std::size_t expected = count_ * kExtendedSize;
    std::string data, cause;
    if (!TryReadFileBytes(fileName, expected, data, cause)) {
        if (cause.starts_with("файл слишком велик"))
            cause = "файл длиннее ожидаемого (решение другой задачи: нужно " + std::to_string(expected) + " байт)";
        RaiseFileFailure(kLoadFailure, fileName, cause);
    }
    if (data.size() != expected)
        RaiseFileFailure(kLoadFailure, fileName,
                         "файл короче ожидаемого (" + std::to_string(data.size()) + " байт вместо " +
                             std::to_string(expected) + ")");
    LoadRecords(data, fileName);
}

void TLineItem::LoadRecords(std::string_view data, const std::string& fileName) {
    if (data.size() < count_ * kExtendedSize)
        RaiseFileFailure(kLoadFailure, fileName, "файл короче ожидаемого");
    // A solution never holds an infinity, a NaN or a value beyond the range
    // of a double: such a record means the file is damaged, and nothing is
    // taken from it.
    std::vector<Extended> values(count_);
    for (std::size_t i = 0; i < count_; ++i) {
        values[i] = UnpackExtended(reinterpret_cast<const unsigned char*>(data.data()) + i * kExtendedSize);
        if (!(std::fabs(values[i]) <= std::numeric_limits<double>::max()))
            RaiseFileFailure(kLoadFailure, fileName,
                             "файл поврежден (запись " + std::to_string(i + 1) + " не является допустимым числом)");
    }
    for (std::size_t i = 0; i < count_; ++i) SetItem(i, values[i]);
}

// --- TXLineItem ----------------------------------------------------------------

TXLineItem::TXLineItem(std::size_t count, TLineItem* next, Extended value) : type_(CurrentRealType()) {
    Next = next;
    Fill(count, value);
}

TXLineItem::TXLineItem(TRealType type, std::size_t count, Extended value) : type_(type) { Fill(count, value); }

void TXLineItem::Clear() {
    std::vector<Extended>().swap(items_);
    count_ = 0;
}

void TXLineItem::Fill(std::size_t count, Extended value) {
    Clear();
    items_.assign(count, Rounded(value));
    count_ = count;
}

// --- TALineItem ----------------------------------------------------------------

TALineItem::TALineItem(std::size_t count, TLineItem* next, Extended value) {
    Next = next;
    Fill(count, value);
}

TALineItem::TALineItem(std::span<const Extended> values) {
    items_.reserve(values.size());
    for (Extended x : values) items_.push_back(static_cast<double>(x));
    count_ = items_.size();
}

TALineItem::TALineItem(std::initializer_list<Extended> values)
    : TALineItem(std::span<const Extended>(values.begin(), values.size())) {}

void TALineItem::Clear() {
    std::vector<double>().swap(items_);
    count_ = 0;
}

void TALineItem::Fill(std::size_t count, Extended value) {
    Clear();
    items_.assign(count, static_cast<double>(value));
    count_ = count;
}

std::vector<Extended> TALineItem::Values() const { return std::vector<Extended>(items_.begin(), items_.end()); }

// --- TMatrix ----------------------------------------------------------------------

void TMatrix::IndexError(std::size_t row, std::size_t col) const {
    throw ZemError("Элемент (" + std::to_string(row) + ", " + std::to_string(col) + ") вне матрицы " +
                   std::to_string(rows_) + " x " + std::to_string(cols_));
}

namespace {
// FirstExtreme over the elements in row-major order.
template <class Better>
Extended MatrixExtreme(const TMatrix& m, Better better, std::size_t& row, std::size_t& col) {
    const std::size_t cols = m.Cols();
    std::size_t k = 0;
    const Extended best = FirstExtreme(
        cols == 0 ? 0 : m.Rows() * cols, [&m, cols](std::size_t i) { return m.GetItem(i / cols, i % cols); }, better,
        k);
    row = cols == 0 ? 0 : k / cols;
    col = cols == 0 ? 0 : k % cols;
    return best;
}
}  // namespace

Extended TMatrix::MaxItem(std::size_t& row, std::size_t& col) const {
    return MatrixExtreme(*this, std::greater<>(), row, col);
}

Extended TMatrix::MinItem(std::size_t& row, std::size_t& col) const {
    return MatrixExtreme(*this, std::less<>(), row, col);
}

void TMatrix::SaveToTextFile(const std::string& fileName) const {
    std::vector<std::string> lines;
    lines.reserve(rows_);
    for (std::size_t i = 0; i < rows_; ++i) {
        std::string line;
        for (std::size_t j = 0; j < cols_; ++j) line += RealToStrGen(15, 0, GetItem(i, j)) + "\t";
        lines.push_back(std::move(line));
    }
    WriteTextFile(fileName, lines);
}

// --- TAMatrix ----------------------------------------------------------------------

TAMatrix::TAMatrix(std::size_t rows, std::size_t cols) : items_(rows * cols, 0.0) {
    rows_ = rows;
    cols_ = cols;
}

}  // namespace zem
