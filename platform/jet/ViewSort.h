#pragma once

// Sorting the rows of a view by text columns in memory, in the order of the JET collation
// (NULL first, German letters without case, then accents; DESC turns a column round), equal
// rows by rowid. Much faster than the engine calling the collation for every pair.
//
// Keys are bounded, so that long texts (rich-text fields behind the same RTF header) cost no
// more than short ones: per value the letters where it leaves a reference text (the column's
// first value) and a window of bytes beyond that; the accent level only for values whose
// letters end inside the window. Rows whose keys cannot tell them apart (long values equal up
// to the end of their windows) are compared once more over their whole values, which the
// caller fetches. The result is exactly the order of a comparison over the whole values.

#include <QtGlobal>
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace klang::jet {

class ViewSorter
{
public:
    // Letter bytes kept per value beyond what it shares with the reference.
    static constexpr std::size_t kDefaultWindow = 128;
    // Letter bytes of the reference text kept per column.
    static constexpr std::size_t kReferenceBytes = 4096;
    // Whole-key bytes a run of rows the windows cannot tell apart may take; beyond, sort fails
    // (the caller then leaves the order to the engine).
    static constexpr std::size_t kRunKeyBytes = 256u * 1024u * 1024u;

    using Values = std::vector<std::optional<std::string>>; // one per column, nullopt = NULL
    // Fetches the whole values of a row (all sort columns); false when that is not possible.
    using FetchFn = std::function<bool(qint64 rowId, Values* values)>;

    explicit ViewSorter(std::vector<bool> descending, std::size_t window = kDefaultWindow);

    // Adds a row: call addRow, then addValue or addNull once per column in order.
    void addRow(qint64 rowId);
    // Room for about this many rows, made once (growing step by step copies the keys).
    void reserve(std::size_t rows);
    void addValue(std::string_view utf8);
    void addNull();
    int rowCount() const { return int(m_ids.size()); }
    // Key bytes held so far (the caller's budget).
    std::size_t keyBytes() const { return m_arena.size(); }

    // The rowids in order; false when fetch failed for a row that needed its whole values, or
    // when stop was set meanwhile. With rows, also the rows in order as the indexes they were
    // added under, and with tied, per place whether that row equals the one before it over
    // every column (the collation finds them equal; only the rowid put them in order).
    bool sort(const FetchFn& fetch, std::vector<qint64>* rowIds, std::vector<int>* rows = nullptr,
              std::vector<char>* tied = nullptr, const std::atomic_bool* stop = nullptr);
    // Rows compared over their whole values in the last sort (for tests and figures).
    int resolvedRows() const { return m_resolved; }

private:
    struct Key
    {
        quint64 head = 0;      // first 8 window bytes, big-endian, zero-padded
        quint32 offset = 0;    // window bytes, then the accent level if complete
        quint32 caseBytes = 0; // length of the accent level
        quint16 windowBytes = 0;
        // Where the value leaves the reference, as one number in sort order: NULL 0; below
        // the reference at letter byte s: 1 + s; all of the reference: r + 1 (r its length);
        // above it at s: 2r + 1 - s. Values of one band left the reference at the same place.
        quint16 band = 0;
        quint8 flags = 0;
    };
    enum : quint8 { kComplete = 1, kAscii = 2 };

    struct SortItem
    {
        quint64 head; // 8 letter bytes of the column being sorted
        qint64 id;
        quint32 band;
        int row;
    };

    const Key& key(int row, int column) const { return m_keys[std::size_t(row) * std::size_t(m_columns) + std::size_t(column)]; }
    // 8 window bytes from depth on, as a big-endian number.
    quint64 chunk(const Key& key, std::size_t depth) const;
    // <0, 0, >0; *undecided when the keys are equal but the whole values may still differ.
    int compareColumn(const Key& a, const Key& b, bool* undecided) const;
    // Sorts a run the keys left undecided over whole sort keys, each computed once from the
    // fetched values (never the collation again per pair, so long shared starts cost once).
    bool resolveRun(SortItem* first, SortItem* last, const FetchFn& fetch);
    void sortRange(SortItem* first, SortItem* last, int column, std::size_t depth);
    void finishColumn(SortItem* first, SortItem* last, int column);

    std::vector<bool> m_descending;
    std::size_t m_window;
    int m_columns;
    std::vector<std::string> m_reference;
    std::vector<bool> m_hasReference;
    std::vector<qint64> m_ids;
    std::vector<Key> m_keys; // row * columns + column
    std::string m_arena;
    int m_nextColumn = 0;
    int m_resolved = 0;
    std::vector<std::pair<SortItem*, SortItem*>> m_undecidedRuns;
    SortItem* m_base = nullptr;  // the items being sorted ...
    std::vector<char> m_tied;    // ... and per place whether it equals the one before
};

// Whole values in the collation's order (NULL first, DESC turned round), then by rowid: what
// ViewSorter's order equals.
bool viewRowLess(const std::vector<bool>& descending, const ViewSorter::Values& a, qint64 idA,
                 const ViewSorter::Values& b, qint64 idB);

} // namespace klang::jet
