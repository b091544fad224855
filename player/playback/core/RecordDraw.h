#pragma once

// The random record draw of shuffle: which records the exclusion lists allow, kept between
// draws while the catalogue and both lists stay as they were counted, and a pass over the
// allowed records in random order for when a drawn record has nothing to play.

#include "player/playback/core/PlayerInterfaces.h"
#include "player/playback/core/PlayerState.h"

#include <QHash>
#include <QRandomGenerator>
#include <QSet>
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
    // (*anyBandExcluded) becomes true when some record was passed over for its style (band):
    // which hint to show.
    int drawAllowed(const ICatalogue* catalogue, bool* anyStyleExcluded, bool* anyBandExcluded = nullptr);
    // How many records the lists allow.
    int allowedCount(const ICatalogue* catalogue);
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
        bool anyBandExcluded = false;
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
        if (played)
            reset();
        else
            ++m_failures;
        return m_failures >= qMax(1, passLength);
    }
    // Shuffle over the catalogue passes over records: a record is used up once every file of
    // its track list failed since the last track that played. True when the allowed records
    // are all used up.
    bool shuffleTrackEnded(bool played, int row, const QString& file, int tracksOfRecord, int records)
    {
        if (played) {
            reset();
            return false;
        }
        ++m_failures;
        QSet<QString>& failed = m_failedFiles[row];
        failed.insert(file);
        if (failed.size() >= tracksOfRecord)
            m_usedUp.insert(row);
        return m_usedUp.size() >= qMax(1, records);
    }
    // A record drawn while tracks fail shows nothing to play: it is used up as well.
    void recordWithoutTracks(int row)
    {
        if (m_failures > 0)
            m_usedUp.insert(row);
    }
    void reset()
    {
        m_failures = 0;
        m_failedFiles.clear();
        m_usedUp.clear();
    }

private:
    int m_failures = 0;
    QHash<int, QSet<QString>> m_failedFiles;
    QSet<int> m_usedUp;
};

} // namespace klang::player
