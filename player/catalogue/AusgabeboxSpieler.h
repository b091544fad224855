#pragma once

// How the player's rules (PlayerController) reach the main window: the track list filTrack,
// the catalogue behind the grid and what the player shows and asks.

#include "player/playback/core/PlayerInterfaces.h"

#include <QHash>
#include <QObject>
#include <QStringList>

#include <memory>

class QListWidget;

namespace klang::player {

class Ausgabebox;

// filTrack: the files of the current record's music folder.
class FilTrackQuelle : public ITrackSource
{
public:
    explicit FilTrackQuelle(QListWidget* liste) : m_liste(liste) {}
    int count() const override;
    QString name(int index) const override;
    QString path(int index) const override;
    QString folder() const override;
    bool isSelected(int index) const override;
    void setSelected(int index, bool selected) override;
    void clearSelection() override;
    void scrollTo(int index) override;

private:
    QListWidget* m_liste;
};

// The catalogue as the grid shows it. Fields the player reads for every record are read as
// whole columns in one pass and kept until the view is reloaded or a record is written.
class KatalogZugang : public ICatalogue
{
public:
    explicit KatalogZugang(Ausgabebox* fenster);
    ~KatalogZugang() override;
    int recordCount() const override;
    int currentRow() const override;
    QString field(int row, const QString& fieldName) const override;
    QStringList column(const QString& fieldName) const override;
    qint64 revision() const override;
    void moveToRow(int row) override;
    bool hasTracks(int row) const override;

private:
    // Drops the kept columns when the database was written since they were read.
    void pruefeStand() const;
    void verwerfen() const;

    Ausgabebox* m_fenster;
    // Ends the connections to the data control with this object.
    std::unique_ptr<QObject> m_wache;
    mutable QHash<QString, QStringList> m_spalten;
    mutable qint64 m_revision = 0;
    mutable quint64 m_aenderungen = 0;
};

// Status, message boxes, captions and labels of the main window.
class SpielerOberflaeche : public IPlayerUi
{
public:
    explicit SpielerOberflaeche(Ausgabebox* fenster) : m_fenster(fenster) {}
    void setStatus(const QString& text) override;
    QString msgFenn(const MessageRequest& request) override;
    QString inputFenn(const QString& prompt, const QString& title, const QString& defaultText) override;
    void setTrackNumberLabel(const QString& text) override;
    void resetCaptions() override;
    void setTimer2(bool on) override;
    bool isMainWindowMinimized() const override;
    bool isMainWindowVisible() const override;
    void showMediaPlayer(bool visible) override;
    bool isMediaPlayerVisible() const override;
    // A track starts: the catalogue shows its record (and the playlist title's record).
    void aktuelleCDanzeigen() override;
    void suchenPlaylistTitel() override;

private:
    Ausgabebox* m_fenster;
};

} // namespace klang::player
