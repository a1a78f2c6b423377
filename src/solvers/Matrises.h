// Number containers of the program: boxed numbers, rows and matrices.
//
// A linked-list row (TDLineItem) holds one small heap object per number, so
// it can grow and shrink element by element; an array row (TALineItem) holds
// one block of doubles. Matrices are one block of doubles (TAMatrix) or a
// chain of rows (TDMatrix with linked-list rows, TDAMatrix with array rows).
// The domains keep mesh results, loads and steps in them, the problem writes
// and reads its results file through them, the solvers keep their solution
// vector in one.
//
// Real type. The width of every number created by NewFloatItem follows the
// real type current on the calling thread: 0 "REAL" and 1 "DOUBLE" give a
// double, 2 "EXTENDED" an 80-bit extended. The choice is per thread, so a
// calculation on the worker thread that selects its real type never changes
// the numbers the interface thread creates meanwhile (and the reverse).
// TRealTypeScope selects a real type for the lifetime of a scope.
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

// --- Boxed numbers --------------------------------------------------------------

// One number of a linked-list row. Next is the following number of the chain
// (owned by the row, not by the item). Values cross the interface as
// extended; a double item rounds on store.
class TFloatItem : public TObject {
public:
    TFloatItem* Next = nullptr;

    virtual void SetValue(Extended value) = 0;
    virtual void AddValue(Extended delta) = 0;  // value := value + delta
    virtual Extended GetValue() const = 0;

protected:
    explicit TFloatItem(TFloatItem* next) : Next(next) {}
};

class TDoubleItem : public TFloatItem {
public:
    TDoubleItem(TFloatItem* next, Extended value) : TFloatItem(next), value_(static_cast<double>(value)) {}
    void SetValue(Extended value) override { value_ = static_cast<double>(value); }
    void AddValue(Extended delta) override { value_ = static_cast<double>(value_ + delta); }
    Extended GetValue() const override { return value_; }

private:
    double value_;
};

// "REAL" behaves exactly as "DOUBLE".
class TRealItem final : public TDoubleItem {
public:
    using TDoubleItem::TDoubleItem;
};

class TExtendedItem final : public TFloatItem {
public:
    TExtendedItem(TFloatItem* next, Extended value) : TFloatItem(next), value_(value) {}
    void SetValue(Extended value) override { value_ = value; }
    void AddValue(Extended delta) override { value_ += delta; }
    Extended GetValue() const override { return value_; }

private:
    Extended value_;
};

// A number of the calling thread's real type with the given successor.
std::unique_ptr<TFloatItem> NewFloatItem(TFloatItem* next, Extended value);
// The same for an explicit real type.
std::unique_ptr<TFloatItem> NewFloatItem(TRealType type, TFloatItem* next, Extended value);

// --- Rows -------------------------------------------------------------------------

// Base of the rows: Count elements indexed 0..Count-1. Next links the rows of
// a matrix made of rows; the matrix, not the row, owns the chain.
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
    // included, raises ZemError "Ошибка записи в файл <name>" or
    // "Ошибка загрузки файла <name>".
    void SaveToFile(const std::string& fileName) const;
    void LoadFromFile(const std::string& fileName);

protected:
    TLineItem() = default;
    [[noreturn]] void IndexError(std::size_t index) const;

    std::size_t count_ = 0;
};

// A row of boxed numbers chained by Next. Each number is created by
// NewFloatItem, so its width follows the real type at its creation. A cursor
// (the last position reached) makes ascending access linear in total;
// descending access restarts from First each time.
class TDLineItem : public TLineItem {
public:
    TDLineItem() = default;  // empty row, no storage
    TDLineItem(std::size_t count, TLineItem* next, Extended value);
    ~TDLineItem() override;
    TDLineItem(const TDLineItem&) = delete;
    TDLineItem& operator=(const TDLineItem&) = delete;

    void Clear() override;
    void Fill(std::size_t count, Extended value) override;
    void SetItem(std::size_t index, Extended value) override { Locate(index)->SetValue(value); }
    void AddItem(std::size_t index, Extended delta) override { Locate(index)->AddValue(delta); }
    Extended GetItem(std::size_t index) const override { return Locate(index)->GetValue(); }
    std::vector<Extended> Values() const override;

    TFloatItem* First() const { return first_; }
    // The item at Index (walking on from the cursor, or from First when Index
    // lies before the cursor).
    TFloatItem* Locate(std::size_t index) const;
    // Makes Item (and its chain) the row's elements; used when a row is
    // relinked. The row takes ownership of the chain, the old chain is not
    // freed. Count is not changed.
    void SetFirst(TFloatItem* item);
    // Appends a zero item of the current real type after the last item and
    // returns it; Count is not changed.
    TFloatItem* AppendNewItem();
    // Appends Value as element Count and increases Count.
    void AppendValue(Extended value);
    // Frees the first item; the cursor stays on the same item (or moves to
    // the new first one). Count is not changed: its users keep their own.
    void DeleteFirst();

private:
    TFloatItem* first_ = nullptr;
    mutable TFloatItem* cursor_ = nullptr;
    mutable std::size_t cursorIndex_ = 0;
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

// A matrix of rows chained from Head through TLineItem::Next, each row a
// TDLineItem. The matrix owns the whole chain. A cursor over the rows gives
// linear ascending access, as in TDLineItem.
class TDMatrix : public TMatrix {
public:
    TDMatrix() = default;  // no rows; attach them with AppendRow or SetHead
    // Rows rows of Cols zeros.
    TDMatrix(std::size_t rows, std::size_t cols);
    ~TDMatrix() override;
    TDMatrix(const TDMatrix&) = delete;
    TDMatrix& operator=(const TDMatrix&) = delete;

    Extended GetItem(std::size_t row, std::size_t col) const override { return LocateRow(row)->GetItem(col); }
    void SetItem(std::size_t row, std::size_t col, Extended value) override {
        LocateRow(row)->SetItem(col, value);
    }
    void AddItem(std::size_t row, std::size_t col, Extended delta) override {
        LocateRow(row)->AddItem(col, delta);
    }

    TLineItem* Head() const { return head_; }
    // Makes Row the first row of the chain (for relinking rows the matrix
    // already owns, or attaching a chain it takes over); frees nothing.
    void SetHead(TLineItem* row);
    // Appends a row at the end of the chain; Rows grows by one and Cols
    // becomes the largest row length.
    void AppendRow(std::unique_ptr<TLineItem> row);
    // Sets the counts after rows were linked by hand.
    void SetSize(std::size_t rows, std::size_t cols) { rows_ = rows, cols_ = cols; }
    TLineItem* LocateRow(std::size_t index) const;

protected:
    template <class Row>
    void Build(std::size_t rows, std::size_t cols);

private:
    void FreeRows();

    TLineItem* head_ = nullptr;
    mutable TLineItem* cursorRow_ = nullptr;
    mutable std::size_t cursorIndex_ = 0;
};

// A TDMatrix whose rows are array rows.
class TDAMatrix : public TDMatrix {
public:
    TDAMatrix() = default;
    TDAMatrix(std::size_t rows, std::size_t cols);
};

}  // namespace zem
