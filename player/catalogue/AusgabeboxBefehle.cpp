// The main window's commands that hand something to the desktop or the clipboard: record and
// list copy, the program font, the tool bar, the family's programs, web pages and links.

#include "player/catalogue/Ausgabebox.h"
#include "player/catalogue/Einstellungen.h"
#include "player/catalogue/Felder.h"
#include "player/catalogue/Weblinks.h"
#include "player/catalogue/Zwischenablage.h"

#include "kit/MsgFenn.h"
#include "platform/background/Hintergrund.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/richtext/Rtf.h"
#include "platform/shell/Paths.h"
#include "platform/shell/Shell.h"
#include "platform/vbcompat/VbCompat.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFontDialog>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

namespace klang::player {

namespace {

// Right and middle releases over the tool-bar buttons, and clicks on the shop-search captions.
class Befehlsfilter : public QObject
{
public:
    Befehlsfilter(Ausgabebox* fenster)
        : QObject(fenster)
        , m_fenster(fenster)
    {
    }
    QHash<QObject*, int> knoepfe;
    QHash<QObject*, int> beschriftungen;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::MouseButtonRelease)
            return false;
        auto* maus = static_cast<QMouseEvent*>(event);
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || !w->rect().contains(maus->position().toPoint()))
            return false;
        if (knoepfe.contains(watched) && maus->button() != Qt::LeftButton) {
            m_fenster->cmdButton_MouseUp(knoepfe.value(watched), maus->button());
            return true;
        }
        if (beschriftungen.contains(watched) && maus->button() == Qt::LeftButton)
            m_fenster->Bez_Click(beschriftungen.value(watched));
        return false;
    }

private:
    Ausgabebox* m_fenster;
};

struct Auswahl
{
    int zeileA = -1, zeileB = -1, spalteA = -1, spalteB = -1;
    QList<int> zeilen; // exactly the selected rows (a Ctrl-click selection has gaps)
};

Auswahl gridAuswahl(const QTableView* grid)
{
    Auswahl a;
    const QModelIndex aktuell = grid->currentIndex();
    a.zeileA = a.zeileB = aktuell.row();
    a.spalteA = a.spalteB = aktuell.column();
    // The selection's ranges, not its cells: a whole catalogue selected has millions of cells.
    const QItemSelection markiert = grid->selectionModel() ? grid->selectionModel()->selection() : QItemSelection{};
    for (const QItemSelectionRange& b : markiert) {
        if (a.zeileA < 0) {
            a.zeileA = a.zeileB = b.top();
            a.spalteA = a.spalteB = b.left();
        }
        a.zeileA = std::min(a.zeileA, b.top());
        a.zeileB = std::max(a.zeileB, b.bottom());
        a.spalteA = std::min(a.spalteA, b.left());
        a.spalteB = std::max(a.spalteB, b.right());
        for (int r = b.top(); r <= b.bottom(); ++r)
            a.zeilen << r;
    }
    if (markiert.isEmpty() && a.zeileA >= 0)
        a.zeilen << a.zeileA;
    return a;
}

QString auswahlText(const QTextCursor& cursor)
{
    QString t = cursor.selectedText();
    t.replace(QChar::ParagraphSeparator, QLatin1Char('\n')).replace(QChar::LineSeparator, QLatin1Char('\n'));
    return t;
}

// The text the translation and writing services get: the selection of the songs or of a
// rich-text pane last focused, else its whole text. Nothing to hand over leaves the user's
// clipboard as it is.
void dienstText(Ausgabebox* fenster)
{
    const QString& name = fenster->LetzterFokus;
    if (name != QLatin1String("TextSongs") && name != QLatin1String("rtfInfo") && name != QLatin1String("rtfSonstiges"))
        return;
    auto* box = fenster->findChild<richtext::RichTextBox*>(name);
    if (!box)
        return;
    QString text = auswahlText(box->textCursor());
    if (text.isEmpty())
        text = box->toPlainText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

} // namespace

void Ausgabebox::befehleVerbinden()
{
    auto menue = [this](const char* name, void (Ausgabebox::*handler)()) {
        if (QAction* a = findChild<QAction*>(QString::fromLatin1(name)))
            connect(a, &QAction::triggered, this, handler);
    };
    menue("mnuKopieren", &Ausgabebox::mnuKopieren_Click);
    menue("mnuKopierenListe", &Ausgabebox::mnuKopierenListe_Click);
    menue("mnuProgSchrift", &Ausgabebox::mnuProgSchrift_Click);
    menue("mnuKlangtruhe", &Ausgabebox::mnuKlangtruhe_Click);
    menue("mnuReadMe", &Ausgabebox::mnuReadMe_Click);
    menue("MenuVerzeichnis", &Ausgabebox::MenuVerzeichnis_Click);
    menue("mnuFAQ", &Ausgabebox::mnuFAQ_Click);
    menue("mnuNutzungslizenz", &Ausgabebox::mnuNutzungslizenz_Click);
    menue("mnuWebsiteAufrufen", &Ausgabebox::mnuWebsiteAufrufen_Click);
    menue("mnuUpdateSuchen", &Ausgabebox::mnuUpdateSuchen_Click);
    menue("mnuTranslation", &Ausgabebox::mnuTranslation_Click);
    menue("mnuDeeplWrite", &Ausgabebox::mnuDeeplWrite_Click);
    menue("mnuWeblink", &Ausgabebox::mnuWeblink_Click);

    // The left button arrives as the action's trigger; the filter passes the others on.
    auto* filter = new Befehlsfilter(this);
    if (QToolBar* leiste = findChild<QToolBar*>(QStringLiteral("cmdButtonLeiste"))) {
        leiste->setContextMenuPolicy(Qt::PreventContextMenu);
        for (int i = 0; i < cmdButton.size(); ++i) {
            if (!cmdButton[i])
                continue;
            if (QWidget* knopf = leiste->widgetForAction(cmdButton[i])) {
                filter->knoepfe.insert(knopf, i);
                knopf->installEventFilter(filter);
            }
        }
    }
    auto knopf = [this](int index, void (Ausgabebox::*handler)()) {
        if (index < cmdButton.size() && cmdButton[index])
            connect(cmdButton[index], &QAction::triggered, this, handler);
    };
    knopf(14, &Ausgabebox::mnuPlaylistAnzeigen_Click);
    knopf(17, &Ausgabebox::mnuKlangtruhe_Click);
    knopf(18, &Ausgabebox::mnuWeblink_Click);
    knopf(19, &Ausgabebox::mnuTranslation_Click);
    knopf(20, &Ausgabebox::mnuDeeplWrite_Click);

    for (int i : {0, 1, 8}) {
        if (QLabel* l = Bez.value(i)) {
            filter->beschriftungen.insert(l, i);
            l->installEventFilter(filter);
        }
    }
}

void Ausgabebox::cmdButton_MouseUp(int index, Qt::MouseButton knopf)
{
    if (index == 14) {
        if (knopf == Qt::LeftButton)
            mnuPlaylistAnzeigen_Click();
        else if (knopf == Qt::RightButton)
            mnuPlaylistLaden_Click();
        return;
    }
    if (index >= 0 && index < cmdButton.size() && cmdButton[index])
        cmdButton[index]->trigger();
}

// --- clipboard -----------------------------------------------------------------------------

namespace {
// The stored values, rich-text fields as their whole plain text (the cells show a one-line start).
QString gespeicherterWert(const QString& feld, const QString& wert)
{
    return istRichTextFeld(feld) ? richtext::rtfToPlainText(wert) : wert;
}
} // namespace

namespace {
// The long part of a copy runs off the window's thread (Esc gives it up); true when the text
// is there, otherwise the user has been told why there is none.
bool kopieren(QWidget* fenster, const Kopierauftrag& auftrag, const QString& titel, Kopierauftrag::Ergebnis* e)
{
    klang::imHintergrund([&](const std::atomic_bool& abbrechen) { *e = auftrag.erstellen(&abbrechen); },
                         klang::Hintergrund{QStringLiteral("Kopieren in die Zwischenablage ..."), true});
    if (e->fehler.isError())
        kit::Fehlermeldung(fenster, titel, e->fehler.description + QStringLiteral(" Es wurde nichts kopiert."),
                           e->fehler.number);
    return !e->fehler.isError() && !e->abgebrochen;
}
} // namespace

void Ausgabebox::mnuKopieren_Click()
{
    vb::HourglassGuard sanduhr;
    const Auswahl a = gridAuswahl(MSFlexGrid1);
    // Rich-text fields as their whole plain text, not the one-line start the cells show.
    Kopierauftrag::Ergebnis e;
    if (!kopieren(this, Kopierauftrag::tontraeger(*MSFlexGrid1->model(), a.zeileA, a.zeileB, gespeicherterWert),
                  QStringLiteral("Ausgabebox_mnuKopieren_Click"), &e))
        return;
    QImage bild;
    if (a.zeileA >= 0 && !Bild1->pixmap().isNull())
        bild = Bild1->pixmap().toImage();
    // The clipboard is set once, when everything is ready: a failure keeps the user's own.
    QApplication::clipboard()->setMimeData(zwischenablageDaten(e.text, QString(), bild));
    kit::MsgFenn(this, QStringLiteral("Tonträger in die Zwischenablage kopiert!"), 1, 0,
                 QStringLiteral("Tonträger kopieren"), 1, kit::DialogBackColor, kit::DialogForeColor);
}

void Ausgabebox::mnuKopierenListe_Click()
{
    vb::HourglassGuard sanduhr;
    const Auswahl a = gridAuswahl(MSFlexGrid1);
    Kopierauftrag::Ergebnis e;
    if (kopieren(this, Kopierauftrag::liste(*MSFlexGrid1->model(), a.zeilen, a.spalteA, a.spalteB, gespeicherterWert),
                 QStringLiteral("Ausgabebox_mnuKopierenListe_Click"), &e))
        QApplication::clipboard()->setMimeData(zwischenablageDaten(e.text, e.html));
}

// --- program font --------------------------------------------------------------------------

void Ausgabebox::mnuProgSchrift_Click()
{
    const QString name = option(QStringLiteral("ProgSchriftName"), QStringLiteral("Segoe UI"));
    const QString groesse = option(QStringLiteral("ProgSchriftSize"), QStringLiteral("12"));
    kit::MsgFenn(this, QStringLiteral("Schriftname: ") + name + QStringLiteral("\r\nSchriftgröße: ") + groesse, 1, 0,
                 QStringLiteral("Programm-Schriftart"), 1, kit::DialogBackColor, kit::DialogForeColor);
    QFont schrift = TextBand->font();
    bool ok = false;
    if (schriftDialog)
        ok = schriftDialog(schrift);
    else
        schrift = QFontDialog::getFont(&ok, schrift, this);
    if (!ok) {
        kit::Fehlermeldung(this, QStringLiteral("Ausgabebox_mnuProgSchrift_Click"),
                           QStringLiteral("Abbrechen wurde ausgewählt."), 32755);
        return;
    }
    setOption(QStringLiteral("ProgSchriftName"), schrift.family());
    setOption(QStringLiteral("ProgSchriftSize"), schriftGroesseText(schrift.pointSizeF()));
    // The songs text and the rich-text panes take the font at the next start.
    for (QWidget* w : std::initializer_list<QWidget*>{TextBand, TextKaufdatum, TextLPTitel, TextPreis, TextMedium,
                                                     TextPlattenfirma, TextBestellNr, TextInfo, TextStil,
                                                     TextMusikpfad, cboBildpfad, MSFlexGrid1, lvwPlaylist}) {
        QFont f = w->font();
        f.setFamily(schrift.family());
        f.setPointSizeF(schrift.pointSizeF());
        w->setFont(f);
    }
    MSFlexGrid1->verticalHeader()->setDefaultSectionSize(QFontMetrics(MSFlexGrid1->font()).height() + 4);
}

// --- the family's programs, read-me, folder ------------------------------------------------

void Ausgabebox::mnuKlangtruhe_Click()
{
    QString fehlerText;
    if (!klang::startSiblingProgram(QStringLiteral("Klangtruhe"), {}, &fehlerText)) {
        kit::Fehlermeldung(this, QStringLiteral("Ausgabebox_mnuKlangtruhe_Click"), fehlerText, 53);
        return;
    }
    // The archive program takes over: the player saves and closes.
    MenuBeenden_Click();
}

void Ausgabebox::mnuReadMe_Click()
{
    const QString titel = QStringLiteral("Ausgabebox_mnuReadme_Click");
    const QString datei = klang::programmDatei(QStringLiteral("readme.txt"));
    const QFileInfo info(datei);
    if (!info.exists()) {
        kit::Fehlermeldung(this, titel, QStringLiteral("Datei nicht gefunden: ") + datei, 53);
        return;
    }
    if (!info.isFile() || !info.isReadable()) {
        kit::Fehlermeldung(this, titel, QStringLiteral("Die Datei kann nicht gelesen werden: ") + datei, 75);
        return;
    }
    // The desktop's opener starts on its own and says nothing when it finds no program, so
    // the association is looked up first.
    if (klang::associatedProgram(datei).isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(datei)))
        kit::Fehlermeldung(this, titel, QStringLiteral("Für die Datei ist kein Programm eingerichtet: ") + datei, 31);
}

void Ausgabebox::MenuVerzeichnis_Click()
{
    const QString ordner = TextMusikpfad->text().isEmpty() ? ProgrammPfad : TextMusikpfad->text();
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(ordner)))
        kit::Fehlermeldung(this, QStringLiteral("Ausgabebox_MenuVerzeichnis_Click"),
                           QStringLiteral("Der Ordner konnte nicht angezeigt werden: ") + ordner, 5);
}

// --- web pages and links -------------------------------------------------------------------

void Ausgabebox::dienstSeiteOeffnen(const QString& adresse)
{
    QDesktopServices::openUrl(QUrl(adresse)); // a failed open says nothing
}

void Ausgabebox::mnuFAQ_Click() { dienstSeiteOeffnen(weblinks::faqSeite()); }
void Ausgabebox::mnuNutzungslizenz_Click() { dienstSeiteOeffnen(weblinks::nutzungslizenzSeite()); }
void Ausgabebox::mnuWebsiteAufrufen_Click() { dienstSeiteOeffnen(weblinks::produktSeite()); }

void Ausgabebox::mnuUpdateSuchen_Click()
{
    QString version = QCoreApplication::applicationVersion();
    if (version.isEmpty())
        version = QStringLiteral("2026.7.382");
    const QString antwort = kit::MsgFenn(this, QStringLiteral("aktuelle Version: ") + version, 11, 0,
                                         QStringLiteral("Programminformation"), 1, kit::DialogBackColor,
                                         kit::DialogForeColor);
    if (antwort == QLatin1String("Ok"))
        linkOeffnen(option(QStringLiteral("Update"), weblinks::downloadSeite()));
}

void Ausgabebox::mnuTranslation_Click()
{
    dienstSeiteOeffnen(weblinks::uebersetzungsSeite());
    dienstText(this);
}

void Ausgabebox::mnuDeeplWrite_Click()
{
    dienstSeiteOeffnen(weblinks::schreibSeite());
    dienstText(this);
}

void Ausgabebox::Bez_Click(int index)
{
    const QString suchtext =
        weblinks::shopSuchtext(index, TextBand->text(), TextLPTitel->text(), TextBestellNr->text());
    if (!suchtext.isEmpty())
        QDesktopServices::openUrl(QUrl(weblinks::shopAdresse(suchtext), QUrl::TolerantMode));
}

QString Ausgabebox::markierterText() const
{
    static const QStringList zeilen{
        QStringLiteral("TextBand"),  QStringLiteral("TextLPTitel"),      QStringLiteral("TextMedium"),
        QStringLiteral("TextStil"),  QStringLiteral("TextInfo"),         QStringLiteral("TextPlattenfirma"),
        QStringLiteral("TextBestellNr"), QStringLiteral("TextPreis"),    QStringLiteral("TextKaufdatum"),
        QStringLiteral("TextMusikpfad"), QStringLiteral("cboBildpfad"),  QStringLiteral("cboEbook"),
        QStringLiteral("txtSuchen")};
    static const QStringList rtf{QStringLiteral("TextSongs"), QStringLiteral("txtSongText"), QStringLiteral("rtfLinks"),
                                 QStringLiteral("rtfInfo"), QStringLiteral("rtfSonstiges")};
    if (zeilen.contains(LetzterFokus)) {
        QObject* o = findChild<QObject*>(LetzterFokus);
        if (auto* box = qobject_cast<QComboBox*>(o))
            return box->lineEdit() ? box->lineEdit()->selectedText() : QString();
        if (auto* zeile = qobject_cast<QLineEdit*>(o))
            return zeile->selectedText();
        return QString();
    }
    if (rtf.contains(LetzterFokus)) {
        if (auto* box = findChild<richtext::RichTextBox*>(LetzterFokus))
            return auswahlText(box->textCursor());
        return QString();
    }
    if (LetzterFokus == QLatin1String("filTrack"))
        return filTrack->currentItem() ? filTrack->currentItem()->text() : QString();
    if (LetzterFokus == QLatin1String("MSFlexGrid1"))
        return MSFlexGrid1->currentIndex().data().toString();
    return QString();
}

void Ausgabebox::linkOeffnen(const QString& link)
{
    QString grund;
    const QUrl url = weblinks::sichererLink(link, &grund);
    if (!url.isValid()) {
        kit::MsgFenn(this, grund, 3, 0, QStringLiteral("Linkausführung"), 1, kit::WarningBackColor,
                     kit::DialogForeColor);
        return;
    }
    klang::openUrl(url); // no browser or mail program: nothing is said
}

void Ausgabebox::mnuWeblink_Click()
{
    const QString text = markierterText().trimmed();
    const QString titel = QStringLiteral("Linkausführung");
    auto frage = [&](const QString& prompt, const QString& vorgabe) {
        return kit::InputFenn(this, prompt, titel, vorgabe, kit::DialogBackColor, kit::DialogForeColor);
    };
    switch (weblinks::linkArt(text)) {
    case weblinks::LinkArt::Web: {
        const QString antwort = frage(QStringLiteral("Diesen Link ausführen?"), text);
        if (!antwort.isEmpty())
            linkOeffnen(antwort);
        return;
    }
    case weblinks::LinkArt::Datei: {
        const QString pfad = weblinks::dateiPfad(text);
        if (pfad.isEmpty() || !QFileInfo::exists(pfad)) {
            kit::MsgFenn(this, QStringLiteral("Datei nicht vorhanden oder Dateipfad ungültig!\r\n\r\n") + text, 3, 0,
                         QStringLiteral("Dateipfad"), 1, kit::WarningBackColor, kit::DialogForeColor);
            return;
        }
        // A file is opened with the program the desktop has for it, and only after asking.
        const QString antwort = frage(QStringLiteral("Diese Datei öffnen?"), text);
        if (!antwort.isEmpty())
            linkOeffnen(antwort);
        return;
    }
    case weblinks::LinkArt::Mail: {
        const QString antwort = frage(QStringLiteral("Eine eMail an diese Adresse senden?"), text);
        if (!antwort.isEmpty())
            linkOeffnen(weblinks::mailLink(antwort));
        return;
    }
    case weblinks::LinkArt::Text: {
        const QString antwort = frage(QStringLiteral("Diesen Text als Internet-Link ausführen?"), QStringLiteral("www.") + text);
        if (!antwort.isEmpty())
            linkOeffnen(antwort);
        return;
    }
    }
}

} // namespace klang::player
