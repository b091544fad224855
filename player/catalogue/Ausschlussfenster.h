#pragma once

// The windows of the excluded styles and bands: a list in which marked entries are kept out
// of continuous and random play, a legend box, OK and Exit. Which list file the window edits
// is chosen by a mode setting ("Abspielen" or "CD-Erstellen"); OK rewrites it atomically.

#include "player/playback/core/Ausschlussangebot.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace klang::player {

class ExclusionListDialog : public QDialog
{
    Q_OBJECT
public:
    QListWidget* liste() const { return m_liste; }
    QLabel* lblBez = nullptr;
    QCheckBox* Check1 = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdExit = nullptr;

    // The list file OK writes ("" when the mode names none).
    QString listenDatei() const { return m_datei; }

protected:
    struct Art
    {
        QString fenstername;   // objectName and error titles
        QString titel;         // caption
        QString listenname;    // objectName of the list
        QString bezeichnung;   // label above the list
        QString legende;       // caption of the legend box
        QString modusSchluessel;
        QString abspielDatei;
        QString cdDatei;
        QString ladenFehlerTitel;
        QString okFehlerTitel;
    };
    ExclusionListDialog(const Art& art, const QString& programmPfad, QWidget* parent);
    // Fills the list from the offered names and marks what the list file holds.
    void ListeLaden(const QStringList& angeboten);
    void paintEvent(QPaintEvent* event) override;

private:
    void RegistryLesen();
    void cmdOK_Click();

    Art m_art;
    QString m_programmPfad;
    QString m_datei;
    QListWidget* m_liste = nullptr;
};

// "Stilrichtung ausschließen...": the styles of the catalogue's style file.
class frmStilausschlussliste : public ExclusionListDialog
{
    Q_OBJECT
public:
    frmStilausschlussliste(const QString& programmPfad, const QString& datenbankPfad, QWidget* parent = nullptr);
    QListWidget* lstStilrichtung = nullptr;
};

// "Band ausschließen...": the bands of the whole catalogue (whatever the grid shows).
class frmBandAusschlussliste : public ExclusionListDialog
{
    Q_OBJECT
public:
    frmBandAusschlussliste(const QString& programmPfad, const QStringList& baender, QWidget* parent = nullptr);
    QListWidget* lstBandliste = nullptr;
};

} // namespace klang::player
