#include "platform/jet/ViewSort.h"

#include "platform/jet/JetCollation.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace klang::jet {

namespace {

int sign(int v)
{
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

int compareBytes(const char* a, std::size_t na, const char* b, std::size_t nb)
{
    const int c = std::memcmp(a, b, std::min(na, nb));
    if (c != 0)
        return sign(c);
    return na == nb ? 0 : (na < nb ? -1 : 1);
}

} // namespace

ViewSorter::ViewSorter(std::vector<bool> descending, std::size_t window)
    : m_descending(std::move(descending))
    , m_window(std::clamp<std::size_t>(window, 1, 0xFFFF))
    , m_columns(int(m_descending.size()))
    , m_reference(m_descending.size())
    , m_hasReference(m_descending.size(), false)
{
}

void ViewSorter::addRow(qint64 rowId)
{
    // A row left short (fewer values than columns) gets NULLs.
    while (m_nextColumn != 0)
        addNull();
    m_ids.push_back(rowId);
    m_keys.resize(m_keys.size() + std::size_t(m_columns));
}

void ViewSorter::reserve(std::size_t rows)
{
    m_ids.reserve(rows);
    m_keys.reserve(rows * std::size_t(m_columns));
}

void ViewSorter::addNull()
{
    if (m_ids.empty() || m_columns == 0)
        return;
    Key& key = m_keys[(m_ids.size() - 1) * std::size_t(m_columns) + std::size_t(m_nextColumn)];
    key = Key{}; // band 0: NULL
    m_nextColumn = (m_nextColumn + 1) % m_columns;
}

void ViewSorter::addValue(std::string_view utf8)
{
    if (m_ids.empty() || m_columns == 0)
        return;
    const int column = m_nextColumn;
    if (!m_hasReference[std::size_t(column)]) {
        appendLetterKey(m_reference[std::size_t(column)], utf8, {}, kReferenceBytes);
        m_hasReference[std::size_t(column)] = true;
    }
    if (m_arena.capacity() - m_arena.size() < m_window + utf8.size() + 16)
        m_arena.reserve(std::max<std::size_t>(2 * m_arena.capacity(), 1u << 16) + utf8.size());
    Key& key = m_keys[(m_ids.size() - 1) * std::size_t(m_columns) + std::size_t(column)];
    key = Key{};
    key.offset = quint32(m_arena.size());
    const std::string& ref = m_reference[std::size_t(column)];
    const LetterKey letters = appendLetterKey(m_arena, utf8, ref, m_window);
    const auto* window = reinterpret_cast<const unsigned char*>(m_arena.data() + key.offset);
    key.windowBytes = quint16(letters.written);
    for (std::size_t i = 0; i < 8; ++i)
        key.head = (key.head << 8) | (i < letters.written ? window[i] : 0u);
    const std::size_t r = ref.size();
    if (letters.shared >= r)
        key.band = quint16(r + 1);
    else if (letters.written == 0 || window[0] < static_cast<unsigned char>(ref[letters.shared]))
        key.band = quint16(1 + letters.shared);
    else
        key.band = quint16(2 * r + 1 - letters.shared);
    if (letters.complete) {
        // The letters end inside the window: the accent level decides between equal letters.
        key.flags = kComplete | (letters.ascii ? kAscii : 0);
        const std::size_t before = m_arena.size();
        appendCaseKey(m_arena, utf8);
        key.caseBytes = quint32(m_arena.size() - before);
    }
    m_nextColumn = (m_nextColumn + 1) % m_columns;
}

int ViewSorter::compareColumn(const Key& a, const Key& b, bool* undecided) const
{
    if (a.band != b.band)
        return a.band < b.band ? -1 : 1;
    if (a.band == 0)
        return 0; // both NULL
    if (a.head != b.head)
        return a.head < b.head ? -1 : 1;
    // Same place of leaving the reference, same first bytes: the rest of the windows.
    const char* base = m_arena.data();
    const std::size_t common = std::min(a.windowBytes, b.windowBytes);
    if (common > 8) {
        const int c = std::memcmp(base + a.offset + 8, base + b.offset + 8, common - 8);
        if (c != 0)
            return sign(c);
    }
    // A shorter window is a complete one (only full windows can be cut off): its letters end
    // where the other's go on.
    if (a.windowBytes != b.windowBytes)
        return a.windowBytes < b.windowBytes ? -1 : 1;
    const bool completeA = a.flags & kComplete;
    const bool completeB = b.flags & kComplete;
    if (completeA != completeB)
        return completeA ? -1 : 1;
    if (!completeA) {
        *undecided = true; // equal as far as the windows go
        return 0;
    }
    if ((a.flags & kAscii) && (b.flags & kAscii))
        return 0; // equal letters, and without accents the case is all that could differ
    return compareBytes(base + a.offset + a.windowBytes, a.caseBytes, base + b.offset + b.windowBytes, b.caseBytes);
}

quint64 ViewSorter::chunk(const Key& key, std::size_t depth) const
{
    if (depth == 0)
        return key.head;
    const auto* window = reinterpret_cast<const unsigned char*>(m_arena.data() + key.offset);
    if (depth + 8 <= key.windowBytes) {
        quint64 v;
        std::memcpy(&v, window + depth, 8);
        return qFromBigEndian(v);
    }
    quint64 v = 0;
    for (std::size_t i = depth; i < depth + 8; ++i)
        v = (v << 8) | (i < key.windowBytes ? window[i] : 0u);
    return v;
}

// Sorts rows equal on the columns before `column` and on this column's letter bytes before
// `depth`: by the next 8 letter bytes as one number (a most-significant-digit radix order
// over the keys, so every key byte is read once per level and comparisons stay in the array),
// then within equal runs deeper, or by the next column once a run's windows are used up.
void ViewSorter::sortRange(SortItem* first, SortItem* last, int column, std::size_t depth)
{
    if (last - first < 2)
        return;
    if (column == m_columns) {
        std::sort(first, last, [](const SortItem& x, const SortItem& y) { return x.id < y.id; });
        for (SortItem* it = first + 1; it != last; ++it)
            m_tied[std::size_t(it - m_base)] = 1;
        return;
    }
    const bool desc = m_descending[std::size_t(column)];
    for (SortItem* it = first; it != last; ++it) {
        const Key& k = key(it->row, column);
        it->band = k.band;
        it->head = chunk(k, depth);
    }
    std::sort(first, last, [desc](const SortItem& x, const SortItem& y) {
        if (x.band != y.band)
            return (x.band < y.band) != desc;
        return x.head != y.head && ((x.head < y.head) != desc);
    });
    for (SortItem* run = first; run != last;) {
        SortItem* end = run + 1;
        while (end != last && end->band == run->band && end->head == run->head)
            ++end;
        if (end - run > 1) {
            if (run->band == 0) {
                sortRange(run, end, column + 1, 0); // NULLs
            } else {
                bool longer = false;
                for (SortItem* it = run; it != end && !longer; ++it)
                    longer = key(it->row, column).windowBytes > depth + 8;
                if (longer)
                    sortRange(run, end, column, depth + 8);
                else
                    finishColumn(run, end, column);
            }
        }
        run = end;
    }
}

// Rows whose windows end inside the same last 8 bytes: lengths, completeness and the accent
// level decide exactly; equal rows go on to the next column, undecided ones are noted.
void ViewSorter::finishColumn(SortItem* first, SortItem* last, int column)
{
    const bool desc = m_descending[std::size_t(column)];
    auto cmp = [&](const SortItem& x, const SortItem& y, bool* undecided) {
        return compareColumn(key(x.row, column), key(y.row, column), undecided);
    };
    bool allEqual = true;
    for (SortItem* it = first + 1; it != last && allEqual; ++it) {
        bool undecided = false;
        allEqual = cmp(*first, *it, &undecided) == 0;
    }
    if (!allEqual) {
        std::sort(first, last, [&](const SortItem& x, const SortItem& y) {
            bool undecided = false;
            const int c = cmp(x, y, &undecided);
            return c != 0 && ((c < 0) != desc);
        });
    }
    for (SortItem* group = first; group != last;) {
        SortItem* end = group + 1;
        bool undecided = false;
        while (end != last && cmp(*group, *end, &undecided) == 0)
            ++end;
        if (end - group > 1) {
            if (undecided) {
                std::sort(group, end, [](const SortItem& x, const SortItem& y) { return x.id < y.id; });
                m_undecidedRuns.emplace_back(group, end);
            } else {
                sortRange(group, end, column + 1, 0);
            }
        }
        group = end;
    }
}

bool ViewSorter::resolveRun(SortItem* first, SortItem* last, const FetchFn& fetch)
{
    // Per row and column where its key lies in `keys`; a NULL has none.
    struct Part
    {
        std::size_t offset = 0;
        std::size_t size = 0;
        bool null = true;
    };
    const std::size_t n = std::size_t(last - first);
    const std::size_t columns = std::size_t(m_columns);
    std::string keys;
    std::vector<Part> parts(n * columns);
    for (std::size_t i = 0; i < n; ++i) {
        Values values;
        if (!fetch || !fetch(first[i].id, &values))
            return false;
        values.resize(columns);
        for (std::size_t c = 0; c < columns; ++c) {
            Part& part = parts[i * columns + c];
            if (!values[c])
                continue;
            part.null = false;
            part.offset = keys.size();
            appendSortKey(keys, *values[c]);
            part.size = keys.size() - part.offset;
        }
        if (keys.size() > kRunKeyBytes)
            return false;
    }
    const char* base = keys.data();
    const auto compare = [&](std::size_t a, std::size_t b) {
        for (std::size_t c = 0; c < columns; ++c) {
            const Part& x = parts[a * columns + c];
            const Part& y = parts[b * columns + c];
            int r;
            if (x.null || y.null)
                r = x.null == y.null ? 0 : (x.null ? -1 : 1);
            else
                r = compareBytes(base + x.offset, x.size, base + y.offset, y.size);
            if (r != 0)
                return m_descending[c] ? -r : r;
        }
        return 0;
    };
    std::vector<std::size_t> order(n);
    for (std::size_t i = 0; i < n; ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int c = compare(a, b);
        return c != 0 ? c < 0 : first[a].id < first[b].id;
    });
    std::vector<SortItem> sorted(n);
    for (std::size_t i = 0; i < n; ++i)
        sorted[i] = first[order[i]];
    for (std::size_t i = 0; i < n; ++i) {
        first[i] = sorted[i];
        m_tied[std::size_t(first + i - m_base)] = i > 0 && compare(order[i - 1], order[i]) == 0;
    }
    return true;
}

bool ViewSorter::sort(const FetchFn& fetch, std::vector<qint64>* rowIds, std::vector<int>* rows,
                      std::vector<char>* tied, const std::atomic_bool* stop)
{
    while (m_nextColumn != 0)
        addNull();
    m_resolved = 0;
    const int n = rowCount();
    std::vector<SortItem> items(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        items[std::size_t(i)] = {0, m_ids[std::size_t(i)], 0, i};
    m_undecidedRuns.clear();
    m_base = items.data();
    m_tied.assign(std::size_t(n), 0);
    sortRange(items.data(), items.data() + n, 0, 0);

    // Runs of rows the keys left undecided: sorted again over their whole values.
    bool ok = true;
    for (const auto& [first, last] : m_undecidedRuns) {
        if ((stop && *stop) || !resolveRun(first, last, fetch)) {
            ok = false;
            break;
        }
        m_resolved += int(last - first);
    }
    m_undecidedRuns.clear();
    m_base = nullptr;
    rowIds->clear();
    if (!ok)
        return false;
    rowIds->reserve(std::size_t(n));
    for (const SortItem& item : items)
        rowIds->push_back(item.id);
    if (rows) {
        rows->clear();
        rows->reserve(std::size_t(n));
        for (const SortItem& item : items)
            rows->push_back(item.row);
    }
    if (tied)
        *tied = std::move(m_tied);
    m_tied.clear();
    return true;
}

bool viewRowLess(const std::vector<bool>& descending, const ViewSorter::Values& a, qint64 idA,
                 const ViewSorter::Values& b, qint64 idB)
{
    const std::size_t columns = std::min({descending.size(), a.size(), b.size()});
    for (std::size_t t = 0; t < columns; ++t) {
        int c;
        if (!a[t] || !b[t])
            c = bool(a[t]) == bool(b[t]) ? 0 : (!a[t] ? -1 : 1);
        else
            c = sign(jetCompareUtf8(*a[t], *b[t]));
        if (c != 0)
            return descending[t] ? c > 0 : c < 0;
    }
    return idA < idB;
}

} // namespace klang::jet
