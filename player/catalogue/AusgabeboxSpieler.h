#pragma once

// How the player's rules (PlayerController) reach the main window: the track list filTrack,
// the catalogue behind the grid and what the player shows and asks.

#include "player/playback/core/PlayerInterfaces.h"

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

// The catalogue as the grid shows it.
class KatalogZugang : public ICatalogue
{
public:
    explicit KatalogZugang(Ausgabebox* fenster) : m_fenster(fenster) {}
    int recordCount() const override;
    int currentRow() const override;
    QString field(int row, const QString& fieldName) const override;
    void moveToRow(int row) override;

private:
    Ausgabebox* m_fenster;
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
