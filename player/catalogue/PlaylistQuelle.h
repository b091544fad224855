#pragma once

// lvwPlaylist as the player's track source: items with the file name as text, the file's
// folder in column 1 and the path before that folder in column 2; only checked items count
// in the marked and random modes.

#include "player/playback/core/PlayerInterfaces.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace klang::player {

class PlaylistQuelle : public ITrackSource
{
public:
    explicit PlaylistQuelle(QTreeWidget* liste) : m_liste(liste) {}
    int count() const override;
    QString name(int index) const override;
    QString path(int index) const override;
    bool isSelected(int index) const override;
    void setSelected(int index, bool selected) override;
    void clearSelection() override;
    int currentIndex() const override;
    bool isChecked(int index) const override;
    void scrollTo(int index) override;

private:
    QTreeWidgetItem* item(int index) const;

    QTreeWidget* m_liste;
};

} // namespace klang::player
