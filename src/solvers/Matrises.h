// Number containers of the program: rows and matrices.
//
// A row is one contiguous block: an array row (TALineItem) of doubles, or a
// row of the real type (TXLineItem) whose numbers are doubles or 80-bit
// extended as the real type was when it was created. A matrix is one block
// of doubles (TAMatrix). The domains keep mesh results, loads and steps in
// them, the problem writes and reads its results file through them, the
// solvers keep their solution vector in one, so reading any element is
// constant time whatever the method.
//
// Real type. 0 "REAL" and 1 "DOUBLE" give doubles, 2 "EXTENDED" 80-bit
// extended numbers. The choice is per thread, so a calculation on the worker
// thread that selects its real type never changes the numbers the interface
// thread creates meanwhile (and the reverse). TRealTypeScope selects a real
// type for the lifetime of a scope.
//
// Indices are 0-based; counts and indices are std::size_t. An index outside
// a row or matrix raises ZemError instead of touching foreign memory.
#pragma once

#include "platform/extended.h"
#include "platform/object.h"

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zem {

// --- Real type ----------------------------------------------------------------

enum TRealType : int { rtReal = 0, rtDouble = 1, rtExtended = 2 };

// "REAL", "DOUBLE", "EXTENDED": the texts of the "RealType" setting in index
// order.
const std::vector<std::string>& RealTypeNames();

// The real type of the calling thread (rtReal until set).
TRealType CurrentRealType();
// Sets the calling thread's real type; an index outside 0..2 raises ZemError.
void SetRealType(int index);

// Selects a real type on the calling thread and restores the previous one on
// leaving the scope.
class TRealTypeScope {
public:
    explicit TRealTypeScope(int index);
    ~TRealTypeScope();
    TRealTypeScope(const TRealTypeScope&) = delete;
    TRealTypeScope& operator=(const TRealTypeScope&) = delete;

private:
    TRealType saved_;
};

// --- Rows -------------------------------------------------------------------------

// Base of the rows: Count elements indexed 0..Count-1. Next may link rows
// into a chain; whoever links them owns the chain, not the row.
class TLineItem : public TObject {
public:
    TLineItem* Next = nullptr;

    ~TLineItem() override = default;
    std::size_t Count() const { return count_; }

    virtual void Clear() = 0;                                  // frees all elements
    virtual void Fill(std::size_t count, Extended value) = 0;  // Count elements of Value
    virtual void SetItem(std::size_t index, Extended value) = 0;
    virtual void AddItem(std::size_t index, Extended delta) = 0;
    virtual Extended GetItem(std::size_t index) const = 0;

    // The elements 0..Count-1 in one ascending pass.
    virtual std::vector<Extended> Values() const;

    void Zero();
    Extended Sum() const;
    Extended SumFirst(std::size_t n) const;  // elements 0..n-1; 0 for n = 0
    // Largest (smallest) element and its index; the first of equal extremes
    // wins. An empty row gives 0 and index 0.
    Extended MaxItem(std::size_t& index) const;
    Extended MinItem(std::size_t& index) const;

    // Text export: one line per element, the default real text (at least 13
    // characters, right-aligned). SaveToTextFile starts a new file.
    void SaveToTextFile(const std::string& fileName) const;
    void AppendToTextFile(const std::string& fileName) const;

    // Binary form (the results file): Count records of 10 bytes, each element
    // as an 80-bit extended, no header. LoadFromFile reads Count records into
    // an existing row of Count elements. Any failure, a missing or short file
    // included, raises ZemError "Ошибка записи в файл <name>: cause" or
    // "Ошибка загрузки файла <name>: cause" (the system's reason, or a file
    // shorter or longer than Count records).
    void SaveToFile(const std::string& fileName) const;
    void LoadFromFile(const std::string& fileName);
    // Takes the first Count records of Data (read from FileName). A record
    // that is not finite or lies beyond the range of a double raises
    // "Ошибка загрузки файла <name>: файл поврежден ..." and leaves the row
    // as it was.
    void LoadRecords(std::string_view data, const std::string& fileName);

protected:
    TLineItem() = default;
    [[noreturn]] void IndexError(std::size_t index) const;

    std::size_t count_ = 0;
};

// A row of Count numbers of one real type in one block: doubles for "REAL"
// and "DOUBLE" (a value rounds on store), 80-bit extended for "EXTENDED".
// The type is that of the creating thread unless given.
class TXLineItem : public TLineItem {
public:
    TXLineItem() : TXLineItem(0, nullptr, 0) {}
    TXLineItem(std::size_t count, TLineItem* next, Extended value);
    TXLineItem(TRealType type, std::size_t count, Extended value);

    TRealType RealType() const { return type_; }
    void Clear() override;
    void Fill(std::size_t count, Extended value) override;
    void SetItem(std::size_t index, Extended value) override { At(index) = Rounded(value); }
    void AddItem(std::size_t index, Extended delta) override {
        Extended& v = At(index);
        v = Rounded(v + delta);
    }
    Extended GetItem(std::size_t index) const override {
        if (index >= count_) IndexError(index);
        return items_[index];
    }
    std::vector<Extended> Values() const override { return items_; }

private:
    Extended Rounded(Extended v) const { return type_ == rtExtended ? v : static_cast<double>(v); }
    Extended& At(std::size_t index) {
        if (index >= count_) IndexError(index);
        return items_[index];
    }
    TRealType type_;
    std::vector<Extended> items_;
};

// A row of Count doubles in one block (none when Count is 0). Array rows
// store doubles whatever the real type.
class TALineItem : public TLineItem {
public:
    TALineItem() = default;
    TALineItem(std::size_t count, TLineItem* next, Extended value);
    // A row holding a copy of Values, each rounded to double.
    explicit TALineItem(std::span<const Extended> values);
    TALineItem(std::initializer_list<Extended> values);

    void Clear() override;
    void Fill(std::size_t count, Extended value) override;
    void SetItem(std::size_t index, Extended value) override { At(index) = static_cast<double>(value); }
    void AddItem(std::size_t index, Extended delta) override {
        double& v = At(index);
        v = static_cast<double>(v + delta);
    }
    Extended GetItem(std::size_t index) const override {
        if (index >= count_) IndexError(index);
        return items_[index];
    }
    std::vector<Extended> Values() const override;

    double* Data() { return items_.data(); }
    const double* Data() const { return items_.data(); }

private:
    double& At(std::size_t index) {
        if (index >= count_) IndexError(index);
        return items_[index];
    }
    std::vector<double> items_;
};

// --- Matrices ----------------------------------------------------------------------

// Base of the matrices: MaxRow+1 rows and MaxCol+1 columns (both counts are
// kept, so an empty matrix has Rows() = 0).
class TMatrix : public TObject {
public:
    std::size_t Rows() const { return rows_; }
    std::size_t Cols() const { return cols_; }
    std::size_t MaxRow() const { return rows_ - 1; }
    std::size_t MaxCol() const { return cols_ - 1; }

    virtual Extended GetItem(std::size_t row, std::size_t col) const = 0;
    virtual void SetItem(std::size_t row, std::size_t col, Extended value) = 0;
    virtual void AddItem(std::size_t row, std::size_t col, Extended delta) = 0;

    // Largest (smallest) element in row-major order, strict comparison, the
    // first of equal extremes wins; start value element (0, 0). An empty
    // matrix gives 0 at (0, 0).
    Extended MaxItem(std::size_t& row, std::size_t& col) const;
    Extended MinItem(std::size_t& row, std::size_t& col) const;

    // One line per row; every element in the general real text followed by a
    // tab, so each line ends with a tab.
    void SaveToTextFile(const std::string& fileName) const;

protected:
    TMatrix() = default;
    [[noreturn]] void IndexError(std::size_t row, std::size_t col) const;

    std::size_t rows_ = 0;
    std::size_t cols_ = 0;
};

// Rows*Cols doubles in row-major order: element (i, j) at i*Cols + j.
class TAMatrix : public TMatrix {
public:
    TAMatrix(std::size_t rows, std::size_t cols);

    Extended GetItem(std::size_t row, std::size_t col) const override { return items_[Pos(row, col)]; }
    void SetItem(std::size_t row, std::size_t col, Extended value) override {
        items_[Pos(row, col)] = static_cast<double>(value);
    }
    void AddItem(std::size_t row, std::size_t col, Extended delta) override {
        double& v = items_[Pos(row, col)];
        v = static_cast<double>(v + delta);
    }

    double* Data() { return items_.data(); }
    const double* Data() const { return items_.data(); }

private:
    std::size_t Pos(std::size_t row, std::size_t col) const {
        if (row >= rows_ || col >= cols_) IndexError(row, col);
        return row * cols_ + col;
    }
    std::vector<double> items_;
};

}  // namespace zem
