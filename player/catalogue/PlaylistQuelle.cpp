#include "player/catalogue/PlaylistQuelle.h"

#include <QTreeWidget>

namespace klang::player {

QTreeWidgetItem* PlaylistQuelle::item(int index) const
{
    return index >= 0 && index < m_liste->topLevelItemCount() ? m_liste->topLevelItem(index) : nullptr;
}

int PlaylistQuelle::count() const
{
    return m_liste->topLevelItemCount();
}

QString PlaylistQuelle::name(int index) const
{
    const QTreeWidgetItem* i = item(index);
    return i ? i->text(0) : QString();
}

QString PlaylistQuelle::path(int index) const
{
    const QTreeWidgetItem* i = item(index);
    if (!i || i->text(0).isEmpty())
        return QString();
    return i->text(2) + i->text(1) + i->text(0);
}

bool PlaylistQuelle::isSelected(int index) const
{
    const QTreeWidgetItem* i = item(index);
    return i && i->isSelected();
}

void PlaylistQuelle::setSelected(int index, bool selected)
{
    QTreeWidgetItem* i = item(index);
    if (!i)
        return;
    if (selected) {
        // The playlist has one selected item: the current entry.
        m_liste->setCurrentItem(i);
        m_liste->clearSelection();
    }
    i->setSelected(selected);
}

void PlaylistQuelle::clearSelection()
{
    m_liste->clearSelection();
}

int PlaylistQuelle::currentIndex() const
{
    const QList<QTreeWidgetItem*> gewaehlt = m_liste->selectedItems();
    QTreeWidgetItem* i = gewaehlt.isEmpty() ? nullptr : gewaehlt.first();
    return i ? m_liste->indexOfTopLevelItem(i) : -1;
}

bool PlaylistQuelle::isChecked(int index) const
{
    const QTreeWidgetItem* i = item(index);
    return i && i->checkState(0) == Qt::Checked;
}

void PlaylistQuelle::scrollTo(int index)
{
    if (QTreeWidgetItem* i = item(index))
        m_liste->scrollToItem(i);
}

} // namespace klang::player
