#include "player/playback/core/RecordDraw.h"

#include <QHash>

#include <numeric>

namespace klang::player {

bool RecordDraw::isExcluded(const ICatalogue* catalogue, int row, bool* byStyle) const
{
    if (m_styleExclusion.matches(catalogue->field(row, QStringLiteral("Stil")))) {
        *byStyle = true;
        return true;
    }
    if (m_bandExclusion.matches(catalogue->field(row, QStringLiteral("Band")))) {
        *byStyle = false;
        return true;
    }
    return false;
}

bool RecordDraw::allowedCurrent(const ICatalogue* catalogue, int count) const
{
    return m_allowed.valid && m_allowed.catalogue == catalogue && m_allowed.revision >= 0
        && m_allowed.revision == catalogue->revision() && m_allowed.count == count
        && m_allowed.styleRevision == m_styleExclusion.revision()
        && m_allowed.bandRevision == m_bandExclusion.revision();
}

void RecordDraw::countAllowed(const ICatalogue* catalogue, int count)
{
    // Both fields of every record in one pass each, not row by row.
    const QStringList styles = catalogue->column(QStringLiteral("Stil"));
    const QStringList bands = catalogue->column(QStringLiteral("Band"));
    m_allowed.rows.clear();
    m_allowed.anyStyleExcluded = false;
    m_allowed.anyBandExcluded = false;
    // Values repeat a lot (a few styles, bands with many records): each is matched once.
    QHash<QString, bool> styleMatch;
    QHash<QString, bool> bandMatch;
    const auto excluded = [](QHash<QString, bool>& memo, const ExclusionList& list, const QString& value) {
        auto it = memo.constFind(value);
        if (it == memo.constEnd())
            it = memo.insert(value, list.matches(value));
        return *it;
    };
    for (int row = 0; row < count; ++row) {
        if (!m_styleExclusion.isEmpty() && excluded(styleMatch, m_styleExclusion, styles.value(row))) {
            m_allowed.anyStyleExcluded = true;
            continue;
        }
        if (!m_bandExclusion.isEmpty() && excluded(bandMatch, m_bandExclusion, bands.value(row))) {
            m_allowed.anyBandExcluded = true;
            continue;
        }
        m_allowed.rows << row;
    }
    m_allowed.catalogue = catalogue;
    m_allowed.revision = catalogue->revision();
    m_allowed.count = count;
    m_allowed.styleRevision = m_styleExclusion.revision();
    m_allowed.bandRevision = m_bandExclusion.revision();
    m_allowed.valid = m_allowed.revision >= 0;
}

int RecordDraw::allowedCount(const ICatalogue* catalogue)
{
    const int count = catalogue->recordCount();
    if (count <= 0 || (m_styleExclusion.isEmpty() && m_bandExclusion.isEmpty()))
        return std::max(0, count);
    if (!allowedCurrent(catalogue, count))
        countAllowed(catalogue, count);
    return int(m_allowed.rows.size());
}

int RecordDraw::drawAllowed(const ICatalogue* catalogue, bool* anyStyleExcluded, bool* anyBandExcluded)
{
    const int count = catalogue->recordCount();
    if (count <= 0)
        return -1;
    if (m_styleExclusion.isEmpty() && m_bandExclusion.isEmpty())
        return int(m_random.bounded(quint32(count)));
    if (!allowedCurrent(catalogue, count)) {
        // Drawing from all records and passing over excluded ones is uniform over the
        // allowed records and needs no count while most records are allowed; after a few
        // misses the allowed records are counted out instead (and kept for the next draws),
        // so a catalogue with few allowed records is neither slow nor given up too early.
        for (int attempt = 0; attempt < 32; ++attempt) {
            const int row = int(m_random.bounded(quint32(count)));
            bool byStyle = false;
            if (!isExcluded(catalogue, row, &byStyle))
                return row;
            *anyStyleExcluded = *anyStyleExcluded || byStyle;
            if (anyBandExcluded && !byStyle)
                *anyBandExcluded = true;
        }
        countAllowed(catalogue, count);
    }
    *anyStyleExcluded = *anyStyleExcluded || m_allowed.anyStyleExcluded;
    if (anyBandExcluded)
        *anyBandExcluded = *anyBandExcluded || m_allowed.anyBandExcluded;
    const QVector<int>& allowed = m_allowed.rows;
    if (allowed.isEmpty())
        return -1;
    return allowed.at(int(m_random.bounded(quint32(allowed.size()))));
}

QVector<int> RecordDraw::allowedInRandomOrder(const ICatalogue* catalogue, int skip)
{
    const int count = catalogue->recordCount();
    QVector<int> rows;
    if (count <= 0)
        return rows;
    if (m_styleExclusion.isEmpty() && m_bandExclusion.isEmpty()) {
        rows.resize(count);
        std::iota(rows.begin(), rows.end(), 0);
    } else {
        if (!allowedCurrent(catalogue, count))
            countAllowed(catalogue, count);
        rows = m_allowed.rows;
    }
    rows.removeOne(skip);
    // Fisher-Yates on the controller's generator, so a fixed seed gives a fixed order.
    for (qsizetype i = rows.size() - 1; i > 0; --i)
        std::swap(rows[i], rows[qsizetype(m_random.bounded(quint32(i + 1)))]);
    return rows;
}

} // namespace klang::player
