#include "player/catalogue/AusgabeboxSpieler.h"

#include "kit/MsgFenn.h"
#include "player/catalogue/Ausgabebox.h"
#include "platform/jet/DataControl.h"
#include "platform/media/MediaPlayerControl.h"

#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QTableView>

namespace klang::player {

int FilTrackQuelle::count() const
{
    return m_liste->isEnabled() ? m_liste->count() : 0;
}

QString FilTrackQuelle::name(int index) const
{
    QListWidgetItem* item = index >= 0 ? m_liste->item(index) : nullptr;
    return item && m_liste->isEnabled() ? item->text() : QString();
}

QString FilTrackQuelle::path(int index) const
{
    const QString n = name(index);
    return n.isEmpty() ? QString() : folder() + n;
}

QString FilTrackQuelle::folder() const
{
    QString ordner = m_liste->property("path").toString();
    if (!ordner.isEmpty() && !ordner.endsWith(QLatin1Char('/')))
        ordner += QLatin1Char('/');
    return ordner;
}

bool FilTrackQuelle::isSelected(int index) const
{
    QListWidgetItem* item = index >= 0 ? m_liste->item(index) : nullptr;
    return item && item->isSelected();
}

void FilTrackQuelle::setSelected(int index, bool selected)
{
    if (QListWidgetItem* item = index >= 0 ? m_liste->item(index) : nullptr)
        item->setSelected(selected);
}

void FilTrackQuelle::clearSelection()
{
    m_liste->clearSelection();
}

void FilTrackQuelle::scrollTo(int index)
{
    if (QListWidgetItem* item = index >= 0 ? m_liste->item(index) : nullptr)
        m_liste->scrollToItem(item);
}

KatalogZugang::KatalogZugang(Ausgabebox* fenster)
    : m_fenster(fenster)
    , m_wache(std::make_unique<QObject>())
{
    jet::DataControl* data1 = &m_fenster->katalog().data1();
    // Another file, view, filter or order: new rows. A written record: new values.
    QObject::connect(data1, &jet::DataControl::recordsetReloaded, m_wache.get(), [this] { verwerfen(); });
    QObject::connect(data1, &jet::DataControl::recordUpdated, m_wache.get(), [this] { verwerfen(); });
    m_aenderungen = data1->database().changeCounter();
}

KatalogZugang::~KatalogZugang() = default;

void KatalogZugang::verwerfen() const
{
    m_spalten.clear();
    ++m_revision;
}

void KatalogZugang::pruefeStand() const
{
    // Writes that pass the data control's signals (statements on its database) count too.
    const quint64 stand = m_fenster->katalog().data1().database().changeCounter();
    if (stand != m_aenderungen) {
        m_aenderungen = stand;
        verwerfen();
    }
}

int KatalogZugang::recordCount() const
{
    return m_fenster->katalog().anzahl();
}

int KatalogZugang::currentRow() const
{
    return m_fenster->katalog().data1().absolutePosition();
}

QString KatalogZugang::field(int row, const QString& fieldName) const
{
    pruefeStand();
    const auto spalte = m_spalten.constFind(fieldName);
    if (spalte != m_spalten.constEnd())
        return spalte->value(row);
    return m_fenster->katalog().data1().recordset().value(row, fieldName);
}

QStringList KatalogZugang::column(const QString& fieldName) const
{
    pruefeStand();
    auto spalte = m_spalten.constFind(fieldName);
    if (spalte == m_spalten.constEnd()) {
        // The exclusion checks read style and band of every record: one pass for both.
        const QStringList ausschlussFelder{QStringLiteral("Stil"), QStringLiteral("Band")};
        QStringList namen{fieldName};
        if (ausschlussFelder.contains(fieldName)) {
            for (const QString& partner : ausschlussFelder) {
                if (partner != fieldName && !m_spalten.contains(partner))
                    namen << partner;
            }
        }
        const QList<QStringList> werte = m_fenster->katalog().data1().recordset().columnValues(namen);
        for (int i = 0; i < namen.size(); ++i)
            m_spalten.insert(namen.at(i), werte.value(i));
        spalte = m_spalten.constFind(fieldName);
    }
    return *spalte;
}

qint64 KatalogZugang::revision() const
{
    pruefeStand();
    return m_revision;
}

bool KatalogZugang::hasTracks(int row) const
{
    // What the track list would show for the record, without showing the record.
    return trackListeFuer(field(row, QStringLiteral("Musikpfad")), m_fenster->ProgrammPfad).aktiv;
}

void KatalogZugang::moveToRow(int row)
{
    m_fenster->katalog().zeileGewaehlt(row);
    m_fenster->MSFlexGrid1->scrollTo(m_fenster->katalog().model()->index(row, 0),
                                     QAbstractItemView::PositionAtTop);
}

void SpielerOberflaeche::setStatus(const QString& text)
{
    m_fenster->setPanelText(2, text);
}

QString SpielerOberflaeche::msgFenn(const MessageRequest& r)
{
    return kit::MsgFenn(m_fenster, r.prompt, r.style, r.defaultButton, r.title, r.timeOut,
                        r.backColor, r.foreColor);
}

QString SpielerOberflaeche::inputFenn(const QString& prompt, const QString& title, const QString& defaultText)
{
    return kit::InputFenn(m_fenster, prompt, title, defaultText);
}

void SpielerOberflaeche::setTrackNumberLabel(const QString& text)
{
    m_fenster->Bez[12]->setText(QString(text).replace(QStringLiteral("&&"), QStringLiteral("&")));
}

void SpielerOberflaeche::resetCaptions()
{
    m_fenster->setWindowTitle(QStringLiteral("Klangtruhe-Player - Quarzwerk"));
}

void SpielerOberflaeche::setTimer2(bool on)
{
    if (on)
        m_fenster->Timer2.start();
    else
        m_fenster->Timer2.stop();
}

bool SpielerOberflaeche::isMainWindowMinimized() const
{
    return m_fenster->isMinimized();
}

bool SpielerOberflaeche::isMainWindowVisible() const
{
    return m_fenster->isVisible();
}

void SpielerOberflaeche::showMediaPlayer(bool visible)
{
    m_fenster->medienplayerZeigen(visible);
}

bool SpielerOberflaeche::isMediaPlayerVisible() const
{
    // The player's own wish: a player kept hidden for sound alone still holds its medium.
    return m_fenster->MediaPlayer1 && m_fenster->medienplayerGewuenscht();
}

void SpielerOberflaeche::aktuelleCDanzeigen()
{
    m_fenster->AktuelleCDanzeigen();
}

void SpielerOberflaeche::suchenPlaylistTitel()
{
    // Only a playing playlist has a title to look up.
    if (m_fenster->spieler().playlistModus())
        m_fenster->SuchenPlaylistTitelBeimStart();
}

} // namespace klang::player
