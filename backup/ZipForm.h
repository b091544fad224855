#pragma once

// The only window of Ordnerwacht: source and target folder, program, parameters, extension,
// mask and archive name, the command line, and the run of the chosen program. The rules (table
// of programs, command line, checks, list storage) live in their own classes; this window
// keeps the fields in step and calls them.

#include "backup/ArchiverVorgaben.h"
#include "backup/Kommandozeile.h"

#include <QPointer>
#include <QProcess>
#include <QWidget>
#include <functional>

class QCheckBox;
class QLocalServer;
class QTimer;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace backup {

class AusgabeFenster;
class Lauf;

// The settings application name. The program kept its settings under the name of the folder
// that holds the executable; installed programs on Linux share one folder ("bin"), so the
// program's own name takes its place.
inline const QString AppOrdnerName = QStringLiteral("Ordnerwacht");

// How many paths each of the two path histories keeps.
constexpr int MaxVerlauf = 100;

class ZipForm : public QWidget
{
    Q_OBJECT
public:
    // systemSucher finds the copy programs at start (PATH by default; tests pass their own).
    explicit ZipForm(QWidget* parent = nullptr, ProgrammSucher systemSucher = {});
    ~ZipForm() override;

    // Folder and file choosers; tests replace them. A folder chooser returns the chosen folder
    // with a trailing "/", or "" when cancelled ("/" is a real folder here, the root). The file
    // chooser returns "" when cancelled.
    std::function<QString(const QString& titel)> ordnerWaehler;
    std::function<QString()> dateiWaehler;

    // Handlers, public so that tests and the drop-down menu press them.
    void ProgrammCheck();
    void cboKomprimierProg_Click();
    void cmdCodeAnzeigen_Click();
    void Command_Packen_Click();
    void Command_Packen_MenuClick(const QString& key);
    void cmdVerzPfad_Click();
    void cmdQuellpfad_Click();
    void cmdZielpfad_Click();
    void cmdInfo_Click();
    void Command_Exit_Click();
    void txtQuellpfad_LostFocus();
    void txtZielpfad_LostFocus();
    void AlsAdminNeustarten();
    QString OrdnerWaehlen(const QString& titel);

    // The text of the help box.
    static QString infoText();

    QString archivdatei() const { return m_archivdatei; }
    QString quellpfad() const { return m_quellpfad; }
    QString zielpfad() const { return m_zielpfad; }
    bool kopiermodus() const { return m_kopiermodus; }
    bool nurAnzeigen() const { return m_nurAnzeigen; }
    void setNurAnzeigen(bool wert) { m_nurAnzeigen = wert; }
    QString appOrdner() const { return m_appOrdner; }
    // True while a started program has not ended.
    bool laeuft() const;
    // The last command built (what the shown line describes).
    const Kommando& letztesKommando() const { return m_kommando; }

    // The pkexec call the admin restart would make (for tests: never started there).
    QStringList adminNeustartArgumente() const;
    // The program that asks for the administrator's rights and the executable it starts
    // ("" = this executable); tests put stand-ins here.
    QString adminStarter = QStringLiteral("pkexec");
    QString adminProgramm;
    // The process id of the elevated start while it is awaited (0 when none).
    qint64 adminPid() const { return m_adminPid; }

    // The window that shows the running (or last) program's output; nullptr before a run.
    AusgabeFenster* ausgabeFenster() const;

Q_SIGNALS:
    // A started program has ended (or could not start); erfolgreich is false on any failure
    // and for an incomplete backup.
    void laufBeendet(int exitCode, bool erfolgreich);

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void aufbauen();
    void Form_Load();
    void Form_Unload();
    void RegistryLesen();
    void VersNr();
    void zielAktualisieren();             // Archivdatei and txtZielpfad from the fields
    bool listeTaste(QComboBox* liste, int key);
    void eintragHinzufuegen(QComboBox* liste, const QString& text);
    QStringList eintraege(const QComboBox* liste) const;
    void listeSetzen(QComboBox* liste, const QStringList& eintraege);
    void verlaufLaden(QComboBox* feld, const QString& datei);
    void verlaufErgaenzen(QComboBox* feld, const QString& datei, const QString& pfad);
    bool ausfuehren(const Kommando& kommando, const KommandoEingaben& eingaben);
    void laufZuEnde(const QString& name, int exitCode, bool normal, const LaufErgebnis& ergebnis);
    void adminStartPruefen();
    void adminWartenBeenden();
    void hinweis(const QString& text);
    static QString programmMeldung(const QString& ausgabe, const QString& ersatz);
    void fehler(const QString& text, int nummer = 0);
    QString einstellung(const QString& key, const QString& standard = QString()) const;
    void speichern(const QString& key, const QString& wert);

    // Controls (objectName = member name without m_).
    QComboBox* m_txtQuellpfad = nullptr;
    QPushButton* m_cmdQuellpfad = nullptr;
    QComboBox* m_txtZielpfad = nullptr;
    QPushButton* m_cmdZielpfad = nullptr;
    QLineEdit* m_Text_Archivname = nullptr;
    QComboBox* m_cboKomprimierProg = nullptr;
    QPushButton* m_cmdVerzPfad = nullptr;
    QComboBox* m_cboParameter = nullptr;
    QComboBox* m_cboExtension = nullptr;
    QLineEdit* m_Text_Extension = nullptr;
    QLineEdit* m_txtCode = nullptr;
    QCheckBox* m_chkBeenden = nullptr;
    QCheckBox* m_chkDosfenster = nullptr;
    QToolButton* m_Command_Packen = nullptr;
    QPushButton* m_cmdCodeAnzeigen = nullptr;
    QPushButton* m_cmdInfo = nullptr;
    QPushButton* m_Command_Exit = nullptr;
    QLabel* m_Label1_7 = nullptr;
    QLabel* m_Label1_8 = nullptr;

    QString m_appOrdner;
    QString m_standardQuelle;
    QString m_archivdatei;
    QString m_quellpfad;
    QString m_zielpfad;
    bool m_kopiermodus = false;
    bool m_nurAnzeigen = false;
    bool m_entladen = false;
    ProgrammSucher m_systemSucher;
    Kommando m_kommando;
    QPointer<Lauf> m_lauf;
    QPointer<AusgabeFenster> m_ausgabe;
    QLocalServer* m_adminServer = nullptr;
    QTimer* m_adminTimer = nullptr;
    qint64 m_adminPid = 0;
    bool m_adminGestartet = false;
};

} // namespace backup
