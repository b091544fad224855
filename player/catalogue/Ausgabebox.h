#pragma once

// The player's main window: catalogue table, record detail fields, track list and the
// player's controls. The form owns its widgets and connects them; the catalogue rules live in
// KatalogController, the player state in Spielerzustand.

#include "player/auxiliary/Sleep.h"
#include "player/auxiliary/Tipbox.h"
#include "player/auxiliary/clsCPULoad.h"
#include "player/catalogue/KatalogController.h"
#include "player/catalogue/Start.h"
#include "player/catalogue/search/Schnellsuche.h"
#include "player/catalogue/search/Songsuche.h"
#include "player/catalogue/search/Suchanwendung.h"
#include "player/playback/core/Laufschrift.h"
#include "player/playback/core/PlayerController.h"
#include "player/playback/core/Playlist.h"
#include "player/playback/frmMiniPlayer.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QVector>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPrinter;
class QPushButton;
class QTabWidget;
class QTableView;
class QTextEdit;

namespace klang::richtext {
class RichTextBox;
}
namespace klang::media {
class MediaEngine;
class MediaPlayerControl;
}
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace klang::detail {
class Bildbereich;
class CoverStreifen;
class Detailansicht;
class EbookListe;
class Sternreihe;
class TextFokus;
class TextWerkzeuge;
}

namespace klang::player {

class FilTrackQuelle;
class KatalogZugang;
class SpielerOberflaeche;
class frmWinMediaPlayer;
class frmDruckVorschau;

class Ausgabebox : public QMainWindow, public IHauptfenster
{
    Q_OBJECT
public:
    explicit Ausgabebox(const Kommandozeile& kommando = {}, QWidget* parent = nullptr);
    ~Ausgabebox() override;

    // The start-up sequence; call once before showing the window. With fensterZeigen the
    // window shows before the catalogue is read (unless the command line starts the mini
    // player instead).
    void Form_Load(bool fensterZeigen = false);
    // Starts reading the catalogue Form_Load will open (a large one) while the window is
    // built; call before constructing the window.
    static void katalogVorladen();

    KatalogController& katalog() { return m_katalog; }
    // The player's rules and state, shared with the companion windows.
    PlayerController& spieler() { return *m_player; }
    clsCPULoad& CPULast() { return m_cpuLast; }
    SleepTimer* sleepTimer() const { return m_sleep; }
    // Processor and memory panels, once a second while the main window is shown.
    void Timer4_Timer();

    // Module state of the main window.
    QString ProgrammPfad;
    QString DatenbankPfad;
    bool KommandozeileVorhanden = false;
    bool KommandozeileStart = false;
    bool DirektOeffnen = false;
    QString DirektPfad;
    bool CoverSucheUeberspringen = false;
    QString LetzterFokus;
    bool TipsVomMenue = false;

    // The open-file dialog of "&Datenbank laden..."; tests replace it. Returns "" on Cancel.
    std::function<QString(const QString& startDatei)> dateiDialog;

    // Status bar panels 1..6.
    QString panelText(int panel) const;
    void setPanelText(int panel, const QString& text);

    // --- handlers kept under their names -------------------------------------------------
    void RegistryLesen();
    void BezLaden();
    void TabelleAnordnen();
    void AnzahlTontraeger();
    void MenuAktualisieren_Click();
    void MenuBeenden_Click();
    void mnuOeffnen_Click();
    void mnuOrdner_Click(int index);
    void OrdnerMenuPfad(const QString& sa);
    void mnuTabelleAnordnen_Click();
    void mnuTabelleAutosize_Click();
    void mnuAllesMarkieren_Click();
    void mnuAnzahlInterpreten_Click();
    void ButtonAlpabeth_MouseUp(int index);
    void mnuSpalte_Click(int index);
    void chkTabelle_Click();
    void cmdTextBig_Click();
    void cmdTextSmall_Click();
    void AbspielausschlusslisteLaden();
    void BandAbspielausschlusslisteLaden();
    void TontraegerZufaelligAufrufen();
    void imgStart_Click();
    void imgStop_Click();
    void imgMiniPlayer_Click();
    void imgLautsprecherregler_Click();
    void MenuTipOfDay_Click();
    void MenuInfo_Click();
    void TipboxLaden();
    Tipbox* tipbox() const { return m_tipbox.get(); }
    void trackListeFuellen();

    // Captions of the labels Bez(0..13) as shown.
    QString bez(int index) const;
    QStringList ordnerEintraege() const { return m_ordner; }
    QString filterSpalte() const;

    // --- controls (objectName = member name; arrays as name_index) ------------------------
    QTableView* MSFlexGrid1 = nullptr;
    QWidget* Data1 = nullptr; // the data control's navigator
    QTabWidget* tabTexte = nullptr;
    QLineEdit* TextBand = nullptr;
    QLineEdit* TextLPTitel = nullptr;
    QLineEdit* TextMedium = nullptr;
    QLineEdit* TextStil = nullptr;
    QLineEdit* TextInfo = nullptr;
    QLineEdit* TextPlattenfirma = nullptr;
    QLineEdit* TextBestellNr = nullptr;
    QLineEdit* TextPreis = nullptr;
    QLineEdit* TextKaufdatum = nullptr;
    QLineEdit* TextMusikpfad = nullptr;
    QLineEdit* txtBildpfad = nullptr;
    QLineEdit* txtEbook = nullptr;
    QLineEdit* txtBewertung = nullptr;
    richtext::RichTextBox* TextSongs = nullptr;
    richtext::RichTextBox* txtSongText = nullptr;
    richtext::RichTextBox* rtfLinks = nullptr;
    richtext::RichTextBox* rtfInfo = nullptr;
    richtext::RichTextBox* rtfSonstiges = nullptr;
    QLabel* Bild1 = nullptr;
    QLabel* imgBildpfad = nullptr;
    QLabel* picCoverGreat = nullptr;
    QComboBox* cboBildpfad = nullptr;
    QComboBox* cboEbook = nullptr;
    QCheckBox* chkBildpfad = nullptr;
    QVector<QLabel*> Bez;
    QVector<QLabel*> imgCover;
    QVector<QPushButton*> ButtonAlpabeth;
    QCheckBox* chkTabelle = nullptr;
    QPushButton* cmdABC = nullptr;
    QLabel* lblTabellenName = nullptr;
    // The notice in the status area while the catalogue or the record cannot be changed.
    QLabel* lblNurLesen = nullptr;
    QListWidget* filTrack = nullptr;
    QListWidget* filPlaylist = nullptr;
    QTreeWidget* lvwPlaylist = nullptr;
    QLineEdit* txtSuchen = nullptr;
    QPushButton* cmdPlayAsso = nullptr;
    // Shown while the embedded player holds the track.
    QPushButton* cmdInfoTrack = nullptr;
    QLabel* lblGradiant0 = nullptr;
    QWidget* fraSternTrack = nullptr;
    QPushButton* cmdTextBig = nullptr;
    QPushButton* cmdTextSmall = nullptr;
    QCheckBox* chkShuffle = nullptr;
    QCheckBox* chkVisualisierung = nullptr;
    QCheckBox* chkAlleTracks = nullptr;
    QCheckBox* chkMarkTracks = nullptr;
    QCheckBox* chkTracksAnspielen = nullptr;
    QCheckBox* chkTracksZufaellig = nullptr;
    QCheckBox* chkRepeat = nullptr;
    QCheckBox* chkVollbild = nullptr;
    klang::media::MediaPlayerControl* MediaPlayer1 = nullptr;
    // The embedded player sits over the picture area, the one place of the window with room
    // that covers no control. It shows only while the player wants it and chkVisualisierung
    // is checked; without visualisation only sound plays and it stays hidden.
    void medienplayerZeigen(bool sichtbar);
    bool medienplayerGewuenscht() const { return m_medienplayerGewuenscht; }
    QToolButton* imgStart = nullptr;
    QToolButton* imgStop = nullptr;
    QToolButton* imgMiniPlayer = nullptr;
    QToolButton* imgLautsprecherregler = nullptr;
    QLabel* lblTemp = nullptr;
    QTimer Timer1;
    // The scrolling caption while the window is minimised.
    Laufschrift Timer2{Laufschrift::Art::Hauptfenster, QStringLiteral("Klangtruhe-Player - Quarzwerk")};
    QTimer Timer4;
    QTimer TimerSleep;

    QAction* mnuOeffnen = nullptr;
    QVector<QAction*> mnuOrdner;
    QAction* MenuAktualisieren = nullptr;
    QAction* MenuBeenden = nullptr;
    QAction* mnuTabelleAnordnen = nullptr;
    QAction* mnuTabelleAutosize = nullptr;
    QAction* mnuLaufschrift = nullptr;
    QAction* mnuMiniPlayerOnTop = nullptr;
    QAction* mnuSleep = nullptr;
    QAction* mnuWinPlayerVerwenden = nullptr;
    QAction* mnuBildDatenbankpfad = nullptr;
    QAction* mnuStartLautregler = nullptr;
    QAction* mnuPlaylistAnzeigen = nullptr;
    QMenu* MenuBearbeiten = nullptr;
    QMenu* mnuSpaltenkopf = nullptr;
    QVector<QAction*> mnuSpalte;
    QVector<QAction*> cmdButton; // tool bar, indexes as the tool tips say (null where unused)

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void aufbauen();
    void menuesAufbauen();
    void werkzeugleisteAufbauen();
    void felderBinden();
    void Form_Resize();
    void Form_Unload();
    void Data1_Reposition();
    void fehler(const QString& titel, const jet::DbError& e);
    // A bound edit could not be written: reported once per user action; the user may drop it.
    void schreibfehlerMelden(const jet::DbError& e);
    // Bound editors read-only and the notice shown while nothing can be written.
    void schreibschutzZeigen();
    void datenbankOeffnen(const QString& pfad, const QString& name);
    void CoverAktualisieren();
    void ListenHoeheSetzen(QListWidget* liste, int zeilen);
    void programmSchrift(const QFont& schrift);
    void ordnerMenueZeigen();
    void zeileMarkieren(int zeile);
    void tabellenbildAbgleichen();
    void tabellenbildAnwenden();
    void spaltenbreitenAusKopf();
    QList<int> spaltenbreitenNachPosition() const;
    void geometrieSpeichern();
    void tabellenZeileSetzen();

    void spielerVerbinden();
    void modusBoxenAbgleichen();

    KatalogController m_katalog;
    clsCPULoad m_cpuLast;
    std::unique_ptr<klang::media::MediaEngine> m_geraet;
    std::unique_ptr<FilTrackQuelle> m_trackQuelle;
    std::unique_ptr<KatalogZugang> m_katalogZugang;
    std::unique_ptr<SpielerOberflaeche> m_oberflaeche;
    std::unique_ptr<PlayerController> m_player;
    bool m_boxenWerdenGesetzt = false;
    std::unique_ptr<Tipbox> m_tipbox;
    SleepTimer* m_sleep = nullptr;
    Kommandozeile m_kommando;
    QStringList m_ordner;
    Tabellenbild m_bild;
    // The columns have been placed from the stored set once (the first arrangement after a
    // catalogue opened places them whatever "nicht automatisch anordnen" says).
    bool m_spaltenPlatziert = false;
    bool m_bildWirdAngewendet = false;
    bool m_zeileWirdGesetzt = false;
    bool m_geladen = false;
    bool m_entladen = false;
    bool m_schreibfehlerStumm = false;    // while closing: the close question reports it
    bool m_schreibfehlerGemeldet = false; // reported in this user action already
    bool m_medienplayerGewuenscht = false;
    QVector<QLabel*> m_statusPanels;
    // The first panel's text while long work runs off the window's thread, and before it.
    bool m_hintergrundAktiv = false;
    QString m_hintergrundText;
    QString m_panelVorHintergrund;

    // --- commands: clipboard, options, tool bar and starters, web pages and links ---------
public:
    void mnuKopieren_Click();
    void mnuKopierenListe_Click();
    void mnuProgSchrift_Click();
    // A mouse button released over a tool-bar button (the left button arrives as triggered).
    void cmdButton_MouseUp(int index, Qt::MouseButton knopf);
    void mnuKlangtruhe_Click();
    void mnuReadMe_Click();
    void MenuVerzeichnis_Click();
    void mnuFAQ_Click();
    void mnuNutzungslizenz_Click();
    void mnuWebsiteAufrufen_Click();
    void mnuUpdateSuchen_Click();
    void mnuTranslation_Click();
    void mnuDeeplWrite_Click();
    void mnuWeblink_Click();
    void Bez_Click(int index);
    // The program font dialog; tests replace it. False on Cancel.
    std::function<bool(QFont& schrift)> schriftDialog;

private:
    void befehleVerbinden();
    void dienstSeiteOeffnen(const QString& adresse);
    // Opens a link through the desktop after the safety check; a refused link is said.
    void linkOeffnen(const QString& link);
    QString markierterText() const;

    // --- searches: quick search, search dialog, the playing record, song search playlist ---
public:
    void MenuSuchen_Click();
    void Suchen();
    void txtSuchen_Suchen();
    void AktuelleCDanzeigen();
    void SuchenPlaylistTitel();
    // At a track start: the playlist title looked up only in the record AktuelleCDanzeigen has
    // just located for what plays (the whole table when it found none).
    void SuchenPlaylistTitelBeimStart();
    void staBar_PanelClick(int panel);
    void PlaylistSpeichern();
    void mnuPlaylistAufnehmen_Click();
    void mnuPlaylistLaden_Click();
    QString PlaylistName;
    bool PlaylistGeaendert = false;
    bool SongSucheAktiv = false;
    bool EscGedrueckt = false;
    // The quick search's position (LetzterSuchtext, SuchStartZeile).
    const Suchposition& suchposition() const { return m_suchposition; }
    // A song search is running: the catalogue commands wait.
    bool songsucheLaeuft() const;
    // The open-file dialog of the playlist load; tests replace it. Returns "" on Cancel.
    std::function<QString()> playlistDialog;

    // --- track list, playlist view and playlist files (AusgabeboxListen.cpp, -Playlist.cpp) ---
    void mnuTrackInPlaylist_Click();
    void mnuPlaylistNeu_Click();
    void mnuPlaylistAnzeigen_Click();
    void mnuPlaylistHaken_Click();
    void mnuPlaylistKill_Click();
    void mnuLiedLang_Click();
    void mnuStilrichtungAusschliessen_Click();
    void mnuBandAusschliessen_Click();
    void filTrack_Click();
    void filTrack_DblClick();
    void filTrack_GotFocus();
    void filTrack_KeyUp(int keyCode);
    void filTrack_MouseDown(Qt::MouseButton button, const QPoint& globalPos);
    void filTrack_MouseUp();
    void filPlaylist_DblClick();
    void lvwPlaylist_Click();
    void lvwPlaylist_DblClick();
    void lvwPlaylist_GotFocus();
    void lvwPlaylist_KeyUp(int keyCode);
    void lvwPlaylist_MouseDown(Qt::MouseButton button, const QPoint& globalPos);
    void lvwPlaylist_MouseUp();
    // The playlist folder of the program folder, with its separator.
    QString playlistOrdner() const;
    // The file the loaded playlist is written back to.
    QString playlistDatei() const;
    bool LadenOhneDialog = false;
    bool AlleHakenGesetzt = false;
    QMenu* mnuPlaylist = nullptr;
    QMenu* mnuTrackToPlaylist = nullptr;
    QAction* mnuTrackInPlaylist = nullptr;
    QAction* mnuPlaylistHaken = nullptr;
    // The exclusion windows; tests answer them before they show (the window is given
    // while it is open, modal, and may be accepted or rejected by the hook).
    std::function<void(QDialog*)> ausschlussFensterHook;

private:
    void sucheEinrichten();
    QStringList tabellenSpalten() const;
    Datensatzsicht sichtFuer(const Zeilenquelle& quelle, int zeile) const;
    void trefferZeigen(const Suchtreffer& treffer);
    // The playlist title lookup: in the given row only, or over the whole table when it is -1.
    void playlistTitelSuchen(int spielortZeile);
    void suchfeldFarbe(quint32 farbe);
    void zeileZeigen(int zeile, int obersteZeile);
    void songsucheStarten(const QString& marke);
    void songsucheFertig();
    void suchbefehlBeenden();
    void playlistEintraegeAnhaengen(const QStringList& pfade);
    void playlistLesen(const QStringList& eintraege);
    // Saves the view into the list's own file; false (and the box says why) when it failed.
    bool playlistSichern();
    // Before another list takes the view's place or a search hides it: a changed list is
    // saved into its own file; when that fails, the question decides ("Ja" goes on).
    bool geaendertePlaylistSichern(const QString& frage);
    void playlistKopfSetzen();
    void playlistAnzeigen(bool zeigen);
    void sucheBeschaeftigt(bool an);
    void listenVerbinden();
    void playlistUebernehmen();
    void playlistDateienZeigen();
    // Song-text follow: the pane moves to where the current track's name stands.
    void songTextFolgen();
    int playlistZeile() const;
    QString m_playlistDatei;
    QString m_ladeziel; // the file a double click in the file list loads
    std::unique_ptr<ListenWahl> m_listenWahl;

    Suchposition m_suchposition;
    int m_spielortZeile = -1; // row of the playing record found by the last AktuelleCDanzeigen
    Suchbefehl m_suchbefehl;
    QString m_sortierFeld;
    std::unique_ptr<Zeilenquelle> m_songsucheZeilen;
    std::unique_ptr<Songsuche> m_songsuche;
    // --- record detail view (AusgabeboxDetail.cpp) ---------------------------------------
public:
    klang::detail::Detailansicht* detailansicht() const { return m_detail; }
    klang::detail::Bildbereich* bildbereich() const { return m_bildbereich; }
    klang::detail::CoverStreifen* coverStreifen() const { return m_coverStreifen; }
    klang::detail::EbookListe* ebookListe() const { return m_ebookListe; }
    klang::detail::Sternreihe* imgCDnote() const { return m_sternePlatte; }
    klang::detail::Sternreihe* imgSongNote() const { return m_sterneTrack; }
    klang::detail::TextWerkzeuge* textWerkzeuge() const { return m_textWerkzeuge; }
    klang::detail::TextFokus* textFokus() const { return m_textFokus; }
    // Repaints both star rows for the current track (track start, list and playlist events).
    void BewertungTracks();
    // The player chose a track: a shown song-text pane moves to its name.
    void TextSongAktualisieren();
    // Shows the song-text pane at the playing track's lyrics, or hides it.
    void mnuSongTextEinAus_Click();
    // The full path of a playlist item: the path before the folder (column 2), the folder
    // (column 1) and the file name (the item's text).
    static QString playlistPfad(const QTreeWidgetItem* item);

private:
    void detailAufbauen();
    void detailDatensatz();
    void detailOrdnerSetzen();
    void detailStreifenHoehe(int fensterHoeheTwips);
    QString detailTrackName() const;
    void imgSongNote_Click(int index);
    void imgCDnote_Click(int index);

    klang::detail::Detailansicht* m_detail = nullptr;
    klang::detail::Bildbereich* m_bildbereich = nullptr;
    klang::detail::CoverStreifen* m_coverStreifen = nullptr;
    klang::detail::EbookListe* m_ebookListe = nullptr;
    klang::detail::Sternreihe* m_sternePlatte = nullptr;
    klang::detail::Sternreihe* m_sterneTrack = nullptr;
    klang::detail::TextWerkzeuge* m_textWerkzeuge = nullptr;
    klang::detail::TextFokus* m_textFokus = nullptr;
    // --- playback: transport, engine choice, play sources (AusgabeboxWiedergabe.cpp) ------
public:
    void imgPause_Click(int index);
    void imgResume_Click();
    void imgVorBack_Click(int index);
    void imgLiedzufall_Click();
    void mnuPauseZwischenTracks_Click();
    // What plays: the status text in the track list, the item's full path in the playlist.
    QString LaufenderTitel() const;
    QVector<QToolButton*> imgPause;   // (0) pause symbol, (1) paused look
    QToolButton* imgResume = nullptr;
    QVector<QToolButton*> imgVorBack; // (0) previous, (1) next
    QToolButton* imgLiedzufall = nullptr;
    // The window pictures and videos play in under the embedded-player engine.
    frmWinMediaPlayer* videofenster() const { return m_videofenster; }
    // The mini player, once it was opened (it stays, hidden, after the way back).
    frmMiniPlayer* miniPlayer() const { return m_miniPlayer; }
    // The mini player stands in for this window.
    bool miniPlayerAktiv() const;
    // A-B repeat: imgPosAB(0) idle, (1) A set, (2) repeating; one of them is visible.
    QVector<QToolButton*> imgPosAB;
    void imgPosAB_Click(int index);
    void cmdInfoTrack_Click();
    void cmdPlayAsso_Click();
    void MediaPlayer1_PlayStateChange(int newState);
    void MediaPlayer1_MouseUp(int button);

    // What the mini player calls.
    void hauptfensterZeigen() override;
    void programmBeenden() override;
    bool miniPlayerImVordergrund() const override;

private:
    void wiedergabeVerbinden();
    void abSymbole();
    frmWinMediaPlayer* m_videofenster = nullptr;
    frmMiniPlayer* m_miniPlayer = nullptr;
    std::unique_ptr<ITrackSource> m_playlistQuelle;
    std::unique_ptr<IPlayerUi> m_wiedergabeUi;
    // Owns the event filters of the lists; goes before the player and the widgets.
    std::unique_ptr<QObject> m_wiedergabeFilter;
    // --- CD inlay printing and its preview (AusgabeboxDruck.cpp) ---------------------------
public:
    void MenuDrucken_Click();
    void mnuBacksitePrint_Click();
    void mnuVorschauDrucken_Click();
    void mnuViewBacksitePrint_Click();
    // The preview window while it is open.
    frmDruckVorschau* druckVorschau() const;
    // The printer dialog; tests replace it. Returns false on Cancel.
    std::function<bool(QPrinter&)> druckDialog;

private:
    void druckmenueAufbauen(QMenu* datei);
    frmDruckVorschau* vorschauZeigen(int breiteTwips, int hoeheTwips);
    QPointer<frmDruckVorschau> m_druckVorschau;
};

} // namespace klang::player
