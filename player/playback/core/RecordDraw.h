#pragma once

// The random record draw of shuffle: which records the exclusion lists allow, kept between
// draws while the catalogue and both lists stay as they were counted, and a pass over the
// allowed records in random order for when a drawn record has nothing to play.

#include "player/playback/core/PlayerInterfaces.h"
#include "player/playback/core/PlayerState.h"

#include <QRandomGenerator>
#include <QVector>

namespace klang::player {

class RecordDraw
{
public:
    explicit RecordDraw(QRandomGenerator& random) : m_random(random) {}

    ExclusionList& styleExclusion() { return m_styleExclusion; }
    ExclusionList& bandExclusion() { return m_bandExclusion; }
    const ExclusionList& styleExclusion() const { return m_styleExclusion; }
    const ExclusionList& bandExclusion() const { return m_bandExclusion; }

    // The catalogue shows other rows: count the allowed records again at the next draw.
    void invalidate() { m_allowed.valid = false; }

    // A random allowed record of the catalogue, -1 when there is none. *anyStyleExcluded
    // becomes true when some record was passed over for its style (which hint to show).
    int drawAllowed(const ICatalogue* catalogue, bool* anyStyleExcluded);
    // Every allowed record once, in random order, without `skip`.
    QVector<int> allowedInRandomOrder(const ICatalogue* catalogue, int skip);
    bool isExcluded(const ICatalogue* catalogue, int row, bool* byStyle) const;

private:
    bool allowedCurrent(const ICatalogue* catalogue, int count) const;
    void countAllowed(const ICatalogue* catalogue, int count);

    QRandomGenerator& m_random;
    ExclusionList m_styleExclusion;
    ExclusionList m_bandExclusion;
    // The allowed records of the last count, kept between draws while the catalogue's
    // revision, its size and both exclusion lists are those it was counted for.
    struct AllowedRecords
    {
        bool valid = false;
        const ICatalogue* catalogue = nullptr;
        qint64 revision = -1;
        int count = 0;
        quint64 styleRevision = 0;
        quint64 bandRevision = 0;
        QVector<int> rows;
        // Some record was excluded by its style (which hint a draw without result shows).
        bool anyStyleExcluded = false;
    } m_allowed;
};

// Continuous play gives up after one full pass over what it plays in which no track could
// be played (missing or broken files), instead of trying again for ever.
class PassGuard
{
public:
    // A track came to its end; played says whether it really played. True when the last
    // passLength tracks in a row played nothing.
    bool trackEnded(bool played, int passLength)
    {
        m_failures = played ? 0 : m_failures + 1;
        return m_failures >= qMax(1, passLength);
    }
    void reset() { m_failures = 0; }

private:
    int m_failures = 0;
};

} // namespace klang::player
