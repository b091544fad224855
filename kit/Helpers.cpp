#include "kit/Helpers.h"

#include "kit/MsgFenn.h"
#include "platform/settings/Settings.h"
#include "platform/shell/Paths.h"
#include "platform/shell/Shell.h"
#include "platform/vbcompat/VbCompat.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHash>
#include <QHeaderView>
#include <QPointer>
#include <QStandardPaths>
#include <QTableView>
#include <QWidget>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace kit {

namespace {

bool g_entladenLaeuft = false;

constexpr qint64 BlockGroesse = 4096;

bool fehler(bool zeigen, QWidget* parent, int nummer, const QString& text)
{
    if (zeigen)
        Fehlermeldung(parent, QStringLiteral("modPlatten1_DateiLoeschen"), text, nummer);
    return false;
}

// The user's trash must be a usable folder before anything is moved: Qt 6.4 reports success
// when it cannot set the trash up and then moves the file into "./files" of the working
// folder instead.
bool papierkorbBereit()
{
    const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                          + QStringLiteral("/Trash");
    for (const QString& ordner : {trash + QStringLiteral("/files"), trash + QStringLiteral("/info")}) {
        if (!QDir().mkpath(ordner))
            return false;
        const QFileInfo info(ordner);
        if (!info.isDir() || !info.isWritable())
            return false;
    }
    return true;
}

qsizetype letzterTrenner(const QString& pfad)
{
    return qMax(pfad.lastIndexOf(QLatin1Char('\\')), pfad.lastIndexOf(QLatin1Char('/')));
}

} // namespace

void AlleFormsEntladen()
{
    if (g_entladenLaeuft)
        return;
    g_entladenLaeuft = true;
    QList<QPointer<QWidget>> fenster;
    for (QWidget* w : QApplication::topLevelWidgets())
        fenster.append(w);
    for (const QPointer<QWidget>& w : fenster) {
        if (w && w->isVisible())
            w->close();
    }
    g_entladenLaeuft = false;
}

void SpaltenbreitenAnpassen(QTableView* grid)
{
    if (!grid || !grid->model())
        return;
    QAbstractItemModel* modell = grid->model();
    const int zeilen = modell->rowCount(grid->rootIndex());
    const int spalten = modell->columnCount(grid->rootIndex());
    if (spalten <= 0)
        return;
    QList<int> breiten(spalten, 0); // widest text per column, in twips
    // Row by row, so a model that fetches whole rows reads each row once; one metrics object
    // per font, because building QFontMetrics per cell costs more than measuring.
    const QFontMetrics gridMetrik(grid->font());
    QHash<QString, QFontMetrics> metriken;
    auto messen = [&breiten](int spalte, const QFontMetrics& metrik, const QString& text) {
        if (text.isEmpty())
            return;
        const int twips = klang::vb::pixelsToTwips(metrik.horizontalAdvance(text));
        breiten[spalte] = qMax(breiten[spalte], twips);
    };
    // The header is the grid's first (fixed) row.
    if (grid->horizontalHeader() && !grid->horizontalHeader()->isHidden()) {
        const QFontMetrics kopfMetrik(grid->horizontalHeader()->font());
        for (int c = 0; c < spalten; ++c)
            messen(c, kopfMetrik, modell->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
    }
    for (int r = 0; r < zeilen; ++r) {
        for (int c = 0; c < spalten; ++c) {
            const QModelIndex index = modell->index(r, c, grid->rootIndex());
            const QString text = modell->data(index, Qt::DisplayRole).toString();
            if (text.isEmpty())
                continue;
            const QVariant font = modell->data(index, Qt::FontRole);
            if (!font.isValid()) {
                messen(c, gridMetrik, text);
                continue;
            }
            const QFont f = font.value<QFont>();
            const QString schluessel = f.key();
            auto it = metriken.find(schluessel);
            if (it == metriken.end())
                it = metriken.insert(schluessel, QFontMetrics(f));
            messen(c, *it, text);
        }
    }
    for (int c = 0; c < spalten; ++c)
        grid->setColumnWidth(c, klang::vb::twipsToPixels(qMin(breiten[c] + 200, 10000)));
}

QList<qint64> ueberschreibBloecke(qint64 laenge)
{
    QList<qint64> bloecke;
    for (qint64 pos = 0; pos < laenge; pos += BlockGroesse)
        bloecke.append(qMin(BlockGroesse, laenge - pos));
    return bloecke;
}

bool DateiLoeschen(const QString& pfad, int modus, bool fehlerZeigen, QWidget* parent)
{
    if (modus < 0 || modus > 2)
        return false;
    const QFileInfo info(pfad);
    // A missing file is a failure in every mode (overwriting must not create it first).
    if (pfad.isEmpty() || !info.exists() || info.isDir())
        return fehler(fehlerZeigen, parent, 53, QStringLiteral("Datei nicht gefunden"));

    if (modus == 1) {
        // Into the trash only: when that is impossible the file stays where it is.
        if (papierkorbBereit() && klang::moveToTrash(pfad))
            return true;
        return fehler(fehlerZeigen, parent, 75,
                      QStringLiteral("Fehler beim Zugriff auf Pfad/Datei: ") + pfad);
    }

    if (modus == 2) {
        // A symbolic link is removed as a link: its target may be any file of the user's
        // (or the system's), which must never be filled with blanks. O_NOFOLLOW also closes
        // the gap between the look above and the open.
        const int fd = ::open(QFile::encodeName(pfad).constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0 && errno == ELOOP)
            return QFile::remove(pfad) ? true : fehler(fehlerZeigen, parent, 70, QStringLiteral("Zugriff verweigert"));
        QFile datei;
        if (fd < 0 || !datei.open(fd, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle)) {
            if (fd >= 0)
                ::close(fd);
            return fehler(fehlerZeigen, parent, 75,
                          QStringLiteral("Fehler beim Zugriff auf Pfad/Datei: ") + pfad);
        }
        const QByteArray leer(BlockGroesse, ' ');
        for (qint64 block : ueberschreibBloecke(datei.size())) {
            if (datei.write(leer.constData(), block) != block) {
                datei.close();
                return fehler(fehlerZeigen, parent, 61, QStringLiteral("Datenträger voll"));
            }
        }
        if (!datei.flush()) {
            datei.close();
            return fehler(fehlerZeigen, parent, 61, QStringLiteral("Datenträger voll"));
        }
        datei.close();
    }

    if (!QFile::remove(pfad))
        return fehler(fehlerZeigen, parent, 70, QStringLiteral("Zugriff verweigert"));
    return true;
}

bool IstAdmin() { return klang::isAdmin(); }

void FensterOnTop(QWidget* frm, bool ein)
{
    if (!frm)
        return;
    QWidget* fenster = frm->window();
    // Changing a window flag hides the window; it comes back where it was, as big as it was.
    const QRect lage = fenster->geometry();
    const bool sichtbar = fenster->isVisible();
    fenster->setWindowFlag(Qt::WindowStaysOnTopHint, ein);
    fenster->setGeometry(lage);
    if (sichtbar)
        fenster->show();
}

QString KurzerPfadname(const QString& pfad) { return klang::shortPathName(pfad); }

QString UmlautSuchmuster(QString& text)
{
    static const char* const ersetzungen[][2] = {
        {"ß", "\\?df"}, {"Ä", "\\?c4"}, {"Ö", "\\?d6"}, {"Ü", "\\?dc"},
        {"ä", "\\?e4"}, {"ö", "\\?f6"}, {"ü", "\\?fc"},
    };
    for (const auto& paar : ersetzungen)
        text.replace(QString::fromUtf8(paar[0]), QString::fromUtf8(paar[1]), Qt::CaseSensitive);
    return text;
}

QString DateinameAusPfad(const QString& pfad)
{
    const qsizetype i = letzterTrenner(pfad);
    return i < 0 ? pfad : pfad.mid(i + 1);
}

QString OrdnerAusPfad(const QString& pfad)
{
    const qsizetype i = letzterTrenner(pfad);
    return i < 0 ? QString() : pfad.left(i + 1);
}

namespace {

// True when the desktop can show a web page: a program for HTML files, or a browser that
// the desktop's opener falls back to ("sensible-browser" is only a dispatcher that is there
// without any browser, so it does not count).
bool browserVorhanden(const QString& seite)
{
    if (!klang::associatedProgram(seite).isEmpty() || !qEnvironmentVariableIsEmpty("BROWSER"))
        return true;
    for (const char* name : {"x-www-browser", "gnome-www-browser", "firefox",
                             "firefox-esr", "chromium", "google-chrome", "epiphany", "konqueror",
                             "falkon", "midori", "qutebrowser"})
        if (!QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty())
            return true;
    return false;
}

void hilfeMeldung(const QString& text)
{
    MsgFenn(QApplication::activeWindow(), text, 3, 0, QStringLiteral("Hilfe"), 1,
            WarningBackColor, DialogForeColor);
}

} // namespace

void HilfeAufrufen(const QString& thema)
{
    QString seite = thema.trimmed();
    if (seite.isEmpty())
        seite = QStringLiteral("index.html");
    // A topic is a page name inside the help folder, never a way out of it.
    if (seite.contains(QLatin1String("..")))
        return;
    if (QFileInfo(seite).suffix().isEmpty())
        seite += QStringLiteral(".html");
    const QString datei = klang::programmDatei(QStringLiteral("help/") + seite);
    if (!QFileInfo(datei).isFile()) {
        hilfeMeldung(QStringLiteral("Die Hilfeseite „") + seite
                     + QStringLiteral("“ wurde nicht gefunden.\nSie gehört in den Ordner:\n")
                     + klang::programmPfad() + QStringLiteral("help/"));
        return;
    }
    if (!browserVorhanden(datei) || !klang::openDocument(datei)) {
        hilfeMeldung(QStringLiteral("Die Hilfe kann nicht angezeigt werden: Auf diesem System ist "
                                    "kein Webbrowser installiert.\n\nDie Hilfeseite liegt hier:\n")
                     + datei);
    }
}

void ProgrammOrdnerEinrichten(QWidget* parent)
{
    klang::seedProgramFolder();
    if (klang::programmOrdnerBeschreibbar())
        return;
    MsgFenn(parent,
            QStringLiteral("Der Programmordner\n") + klang::programmPfad()
                + QStringLiteral("\nkann nicht beschrieben werden.\n\nDas Programm arbeitet mit den "
                                 "installierten Dateien weiter; was es sonst im Programmordner "
                                 "ablegt (Listen, Playlists), kann in dieser Sitzung nicht "
                                 "gespeichert werden."),
            3, 0, QStringLiteral("Programmordner schreibgeschützt"), 1, WarningBackColor,
            DialogForeColor);
}

void EinstellungsFehlerMelden(QWidget* parent)
{
    QPointer<QWidget> besitzer(parent);
    const bool mitBesitzer = parent != nullptr;
    klang::setSettingsSaveFailedHandler([besitzer, mitBesitzer](const QString& pfad,
                                                                const QString& grund) {
        // The window that asked for the report is gone: leave it at the line on standard error.
        if (mitBesitzer && !besitzer)
            return;
        MsgFenn(besitzer.data(),
                QStringLiteral("Die Einstellungen konnten nicht gespeichert werden:\n") + pfad
                    + QStringLiteral("\n\n") + grund
                    + QStringLiteral("\n\nDas Programm läuft weiter; geänderte Einstellungen gelten "
                                     "nur bis zum Beenden."),
                3, 0, QStringLiteral("Einstellungen speichern"), 1, WarningBackColor,
                DialogForeColor);
    });
}

QString ProgrammZuDatei(const QString& datei)
{
    const QString programm = klang::associatedProgram(datei);
    if (programm.compare(datei, Qt::CaseInsensitive) == 0)
        return QString();
    return programm;
}

} // namespace kit
