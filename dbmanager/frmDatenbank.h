#pragma once

// The window of the database manager "Bestandswart": button bar, menus, step log, status
// line. The rules of its commands live in DatenbankVerwaltung; the window asks, shows and
// delegates.

#include "dbmanager/Arbeitsanimation.h"
#include "dbmanager/Dateisystem.h"
#include "dbmanager/KatalogDatenbank.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QTextEdit;

namespace dbmanager {

class BildKnopf;
class DatenbankVerwaltung;
class TextProtokoll;

class frmDatenbank : public QMainWindow
{
    Q_OBJECT
public:
    // Null arguments mean the real database, file system and animation.
    explicit frmDatenbank(std::unique_ptr<KatalogDatenbank> db = nullptr,
                          std::unique_ptr<Dateisystem> dateien = nullptr,
                          std::unique_ptr<Arbeitsanimation> animation = nullptr,
                          QWidget* parent = nullptr);
    ~frmDatenbank() override;

    // The open dialog; tests replace it. Gets the proposed file, returns the chosen file or
    // "" for cancel.
    using DateiAuswahl = std::function<QString(QWidget* parent, const QString& vorschlag)>;
    void setDateiAuswahl(DateiAuswahl auswahl) { m_dateiAuswahl = std::move(auswahl); }

    DatenbankVerwaltung& verwaltung() { return *m_verwaltung; }
    // The text of the version box (five parts separated by blank lines).
    static QString versionsText();
    // The file the open dialog proposes, always one that exists (so that Open opens it): the
    // archive program's catalogue (ArchivPfad); when it is gone, the first catalogue file in
    // its folder; else the empty catalogue in the program folder. "" when none exists.
    static QString oeffnenVorschlag();

    // Start-up: status line, animation, window shown, then the safety notice.
    void Form_Load();

public Q_SLOTS:
    void imgButton_Click(int index);
    void mnuOeffnen_Click();
    void mnuUpdate_Click();
    void mnuKomprimieren_Click();
    void mnuBeenden_Click();
    void mnuHilfe_Click();
    void mnuVersion_Click();
    void Sicherheitshinweis();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void befehleAnpassen();
    void beschaeftigtAnzeigen(bool beschaeftigt);

    std::unique_ptr<KatalogDatenbank> m_db;
    std::unique_ptr<Dateisystem> m_dateien;
    std::unique_ptr<Arbeitsanimation> m_animation;
    std::unique_ptr<TextProtokoll> m_protokoll;
    DatenbankVerwaltung* m_verwaltung = nullptr;
    DateiAuswahl m_dateiAuswahl;
    bool m_animationBereit = false;
    bool m_cursorGesetzt = false;

    std::array<BildKnopf*, 5> imgButton{};
    std::array<QLabel*, 5> lblBez{};
    QTextEdit* rtfText = nullptr;
    QLabel* lblStatuszeile = nullptr;
    QMenu* mnuDatei = nullptr;
    QMenu* mnuFragezeichen = nullptr;
    QAction* mnuOeffnen = nullptr;
    QAction* mnuUpdate = nullptr;
    QAction* mnuKomprimieren = nullptr;
    QAction* mnuLinieDatei1 = nullptr;
    QAction* mnuBeenden = nullptr;
    QAction* mnuHilfe = nullptr;
    QAction* mnuVersion = nullptr;
};

} // namespace dbmanager
