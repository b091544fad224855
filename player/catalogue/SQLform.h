#pragma once

// The dialog that keeps SQL statements in "sql.dat" of the program folder. It never runs a
// statement: the caller reads SQLAnweisung and decides (a statement that is to become the
// catalogue's view goes through KatalogController::ansichtErlaubt first).

#include <QDialog>
#include <QStringList>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStatusBar;

namespace klang::player {

// The stored statements, without widgets: one line each, the whole file rewritten on change.
class SqlListe
{
public:
    explicit SqlListe(QString pfad);
    const QStringList& eintraege() const { return m_eintraege; }
    // A missing file is an empty list. Only the file's head is read (10,000 statements of at
    // most 64 KB); a list cut that way takes new statements at its end but is not rewritten.
    bool laden();
    QString hinweis() const { return m_hinweis; } // what the read left out ("" for nothing)
    bool enthaelt(const QString& anweisung) const; // exact, case-sensitive
    // Appends to the file; false for an empty text, a duplicate or a failed write (then the
    // list is as before).
    bool hinzufuegen(const QString& anweisung);
    bool entfernen(int index);
    // Whether a statement changes data: "into" or "update" in lower case.
    static bool istAusfuehrung(const QString& anweisung);

private:
    bool speichern(const QStringList& neu);
    QString m_pfad;
    QStringList m_eintraege;
    QString m_hinweis;
};

class SQLform : public QDialog
{
    Q_OBJECT
public:
    explicit SQLform(const QString& SQLAnweisung, QWidget* parent = nullptr);
    // The accepted statement; "" after Exit or the close box.
    QString SQLAnweisung() const { return m_anweisung; }

    QLabel* Label1 = nullptr;
    QLineEdit* TextSQL = nullptr;
    QListWidget* ListSQL = nullptr;
    QRadioButton* optSql0 = nullptr;
    QRadioButton* optSql1 = nullptr;
    QPushButton* CommandUebernehmen = nullptr;
    QPushButton* CommandLoeschen = nullptr;
    QPushButton* CommandOK = nullptr;
    QPushButton* CommandExit = nullptr;
    QStatusBar* staBar = nullptr;

    void ListSQL_Click();
    void CommandUebernehmen_Click();
    void CommandLoeschen_Click();
    void CommandOK_Click();
    void CommandExit_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void done(int result) override;

private:
    void listeZeigen();
    void eintragEntfernen();
    SqlListe m_liste;
    QString m_anweisung;
};

} // namespace klang::player
