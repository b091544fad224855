#pragma once

// The main window of Fernsicht: the station list lying over the embedded player at the
// same size, the status bar with the selected station, and the menus. Starting a station
// hides the list and plays its address; "TV-&Senderliste" stops it and shows the list again.

#include "tv/SenderDatei.h"

#include <QMainWindow>
#include <QTreeWidget>

#include <array>

class QAction;
class QLabel;
class QStatusBar;
class QTimer;

namespace klang::media {
class MediaEngine;
class MediaPlayerControl;
enum class EndReason;
} // namespace klang::media

namespace tv {

// The report list: tells the window about released keys, key presses, mouse releases and
// double clicks after the list has handled them.
class SenderListe : public QTreeWidget
{
    Q_OBJECT
public:
    explicit SenderListe(QWidget* parent = nullptr);

Q_SIGNALS:
    void KeyDown(int taste);
    void KeyUp(int taste);
    void MouseUp();
    void DblClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

class frmFernsicht : public QMainWindow
{
    Q_OBJECT
public:
    // Plays through MpvEngine; tests may hand in another engine, which the player takes over.
    explicit frmFernsicht(klang::media::MediaEngine* engine = nullptr, QWidget* parent = nullptr);
    ~frmFernsicht() override;

    void Form_Load();
    void RegistryLesen();
    void SenderLaden();
    bool FensterIstOnTop() const;
    void FensterOnTop(bool ein);

    // What the editor uses of the list.
    std::optional<Sender> gewaehlterSender() const;
    QList<Sender> alleSender() const; // in list order
    // Adds a station and keeps the list in its sort order.
    void senderHinzufuegen(const Sender& sender);
    // Changes the selected station (nothing without a selection).
    void gewaehltenSenderAendern(const Sender& sender);

    // Handlers.
    void lvwSender_ColumnClick(int spalte);
    void lvwSender_KeyDown();
    void lvwSender_KeyUp(int taste);
    void lvwSender_MouseUp();
    void lvwSender_DblClick();
    void mnuStart_Click();
    void mnuSenderliste_Click();
    void mnuEdit_Click();
    void mnuZoom_Click();
    void mnuOnTop_Click();
    void mnuExit_Click();

    // For tests and the benchmark.
    SenderListe* liste() const { return lvwSender; }
    klang::media::MediaPlayerControl* player() const { return WindowsMediaPlayer1; }
    QStatusBar* statusLeiste() const { return staBar; }
    QString panelText(int panel) const; // 1..3
    // The message the status bar shows in place of the panels ("" while it shows the panels).
    QString statusMeldung() const;
    // Header mark of a column (0-based): 0 none, 1 ascending, 2 descending.
    int kopfSymbol(int spalte) const { return m_kopfSymbol.at(spalte); }
    int sortierSpalte() const { return m_sortKey; }
    Qt::SortOrder sortierFolge() const { return m_sortOrder; }
    QAction* menue(const QString& name) const;
    // How long "wird aufgebaut" may last before the attempt is given up (15 s).
    void setVerbindungsFrist(int ms) { m_fristMs = ms; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void aufbauen();
    void Form_Resize();
    void Form_Unload();
    void sortieren();
    void panelsSetzen();
    void panelsLeeren();
    void meldungZeigen(const QString& text);
    void meldungLeeren();
    void statusHoeheAnpassen();
    void listeZeigen();
    void playerZeigen();
    void wiedergabeFehler(const QString& text);
    void wiedergabeEnde(klang::media::EndReason grund);
    void wiedergabeZustand(int zustand);
    void fristAbgelaufen();
    void nichtsGespielt();
    QTreeWidgetItem* eintragFuer(const Sender& sender);

    SenderListe* lvwSender = nullptr;
    klang::media::MediaPlayerControl* WindowsMediaPlayer1 = nullptr;
    QWidget* m_flaeche = nullptr;
    QStatusBar* staBar = nullptr;
    std::array<QLabel*, 3> m_panels{};
    QLabel* m_meldung = nullptr;
    QAction* mnuStart = nullptr;
    QAction* mnuSenderliste = nullptr;
    QAction* mnuEdit = nullptr;
    QAction* mnuZoom = nullptr;
    QAction* mnuOnTop = nullptr;
    QAction* mnuExit = nullptr;

    int m_sortKey = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    std::array<int, 3> m_kopfSymbol{0, 0, 0};
    std::optional<Sender> m_laufend; // the station started last, while it plays or connects
    bool m_entladen = false;
    QTimer* m_frist = nullptr;
    int m_fristMs = 15000;
    int m_versuch = 0; // counts the starts, so that a late check knows its own
    double m_laenge = -1; // of the stream playing, as the engine told it (-1 unknown, live)
};

} // namespace tv
