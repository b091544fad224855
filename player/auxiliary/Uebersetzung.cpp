#include "player/auxiliary/Uebersetzung.h"

#include "kit/MsgFenn.h"

#include <QWidget>

#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTextToSpeech>
#include <QTimer>
#include <QUrl>

namespace klang::player {

const QStringList& Sprachliste()
{
    static const QStringList liste{
#include "player/auxiliary/Sprachliste.inc"
    };
    return liste;
}

QString Sprachcode(const QString& eintrag)
{
    const int stelle = eintrag.indexOf(QStringLiteral(" - "));
    return stelle < 0 ? QString() : eintrag.left(stelle).trimmed();
}

QString dienstSprache(const QString& code)
{
    static const QHash<QString, QString> sprachen{
        {"DE", "de"}, {"AT", "de"}, {"CH", "de"}, {"LI", "de"}, {"GB", "en"}, {"UK", "en"}, {"US", "en"},
        {"EN", "en"}, {"AU", "en"}, {"IE", "en"}, {"NZ", "en"}, {"CN", "zh"}, {"TW", "zh"}, {"HK", "zh"},
        {"JP", "ja"}, {"KR", "ko"}, {"SE", "sv"}, {"DK", "da"}, {"NO", "nb"}, {"CZ", "cs"}, {"GR", "el"},
        {"UA", "uk"}, {"IL", "he"}, {"SA", "ar"}, {"AE", "ar"}, {"EG", "ar"}, {"IN", "hi"}, {"BR", "pt"},
        {"MX", "es"}, {"AR", "es"}, {"BY", "be"}, {"IR", "fa"}, {"VN", "vi"}, {"EE", "et"}, {"SI", "sl"}};
    const QString gross = code.trimmed().toUpper();
    return sprachen.value(gross, gross.toLower());
}

namespace {

enum class Ende { Offen, Zeit, Groesse, Abbruch };

QString httpBedeutung(int status)
{
    switch (status) {
    case 400: return QStringLiteral("ungültige Anfrage, etwa eine Sprache, die der Dienst nicht kennt");
    case 401:
    case 403: return QStringLiteral("Zugriff verweigert, etwa ein fehlender Schlüssel");
    case 404: return QStringLiteral("Adresse nicht gefunden");
    case 413: return QStringLiteral("Text zu lang");
    case 429: return QStringLiteral("zu viele Anfragen");
    case 500: return QStringLiteral("interner Fehler des Dienstes");
    case 502:
    case 503:
    case 504: return QStringLiteral("Dienst nicht verfügbar");
    default: return status >= 500 ? QStringLiteral("Fehler des Dienstes") : QStringLiteral("Anfrage abgelehnt");
    }
}

QString netzFehler(QNetworkReply::NetworkError fehler)
{
    switch (fehler) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("Der Übersetzungsdienst ist nicht erreichbar: die Verbindung wurde abgelehnt.");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("Der Übersetzungsdienst hat die Verbindung vorzeitig beendet.");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("Der Rechner des Übersetzungsdienstes wurde nicht gefunden.");
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("Die sichere Verbindung zum Übersetzungsdienst ist fehlgeschlagen.");
    case QNetworkReply::TooManyRedirectsError:
        return QStringLiteral("Der Übersetzungsdienst leitet zu oft um.");
    case QNetworkReply::ProtocolUnknownError:
        return QStringLiteral("Die Adresse des Übersetzungsdienstes muss mit http:// oder https:// beginnen.");
    default:
        return QStringLiteral("Die Verbindung zum Übersetzungsdienst ist fehlgeschlagen.");
    }
}

} // namespace

Dienstantwort dienstantwortLesen(int httpStatus, const QByteArray& koerper)
{
    if (httpStatus >= 400)
        return {QString(), QStringLiteral("Der Übersetzungsdienst meldet einen Fehler: HTTP %1 (%2).")
                               .arg(httpStatus)
                               .arg(httpBedeutung(httpStatus))};
    QJsonParseError lesefehler;
    const QJsonDocument dokument = QJsonDocument::fromJson(koerper, &lesefehler);
    const QJsonValue text = dokument.object().value(QStringLiteral("translatedText"));
    if (lesefehler.error != QJsonParseError::NoError || !dokument.isObject() || !text.isString())
        return {QString(), QStringLiteral("Die Antwort des Übersetzungsdienstes ist unlesbar.")};
    return {text.toString(), QString()};
}

Uebersetzer::Uebersetzer(QObject* parent)
    : QObject(parent)
    , m_netz(new QNetworkAccessManager(this))
{
}

void Uebersetzer::abbrechen()
{
    if (QNetworkReply* antwort = m_laufend.data()) {
        antwort->setProperty("klangEnde", int(Ende::Abbruch));
        antwort->abort();
    }
}

void Uebersetzer::TextUebersetzen(const QString& text, const QString& von, const QString& nach,
                                  int zeitlimitSekunden, bool still, QWidget* eltern,
                                  std::function<void(bool, const QString&)> fertig)
{
    m_fehler.clear();
    if (text.isEmpty() || von == nach || laeuft()) {
        fertig(false, QString());
        return;
    }
    QPointer<QWidget> fenster(eltern);
    // The caller hears of the end first (its busy pointer goes), then the box says why.
    auto scheitern = [this, still, fenster, fertig](const QString& meldung, const QString& titel, bool box) {
        m_fehler = meldung;
        fertig(false, QString());
        if (box && !still)
            kit::MsgFenn(fenster, meldung, 4, 0, titel);
    };
    const QUrl basis = QUrl::fromUserInput(m_adresse.trimmed());
    if (m_adresse.trimmed().isEmpty() || !basis.isValid()) {
        scheitern(QStringLiteral("Kein Übersetzungsdienst eingestellt."), QStringLiteral("0"), true);
        return;
    }
    QUrl ziel = basis;
    QString pfad = ziel.path();
    if (!pfad.endsWith(QLatin1Char('/')))
        pfad += QLatin1Char('/');
    ziel.setPath(pfad + QStringLiteral("translate"));
    QNetworkRequest anfrage(ziel);
    anfrage.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    // A redirect to another host would hand the user's text to a service nobody chose.
    anfrage.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    anfrage.setMaximumRedirectsAllowed(3);
    // The text travels in a JSON body: no character of it can reach the address.
    const QJsonObject koerper{{QStringLiteral("q"), text},
                              {QStringLiteral("source"), dienstSprache(von)},
                              {QStringLiteral("target"), dienstSprache(nach)},
                              {QStringLiteral("format"), QStringLiteral("text")}};
    ++m_anfragen;
    QNetworkReply* antwort = m_netz->post(anfrage, QJsonDocument(koerper).toJson(QJsonDocument::Compact));
    m_laufend = antwort;
    auto gelesen = std::make_shared<QByteArray>();
    auto beenden = [antwort](Ende wie) {
        if (antwort->isRunning()) {
            antwort->setProperty("klangEnde", int(wie));
            antwort->abort();
        }
    };
    // The limit holds for the whole exchange, however slowly the bytes trickle in.
    auto* frist = new QTimer(antwort);
    frist->setSingleShot(true);
    connect(frist, &QTimer::timeout, antwort, [beenden] { beenden(Ende::Zeit); });
    frist->start(qMax(1, zeitlimitSekunden) * 1000);
    connect(antwort, &QNetworkReply::metaDataChanged, antwort, [antwort, beenden] {
        const QVariant laenge = antwort->header(QNetworkRequest::ContentLengthHeader);
        if (laenge.isValid() && laenge.toLongLong() > kMaxAntwort)
            beenden(Ende::Groesse);
    });
    connect(antwort, &QNetworkReply::readyRead, antwort, [antwort, gelesen, beenden] {
        *gelesen += antwort->read(kMaxAntwort + 1 - gelesen->size());
        if (gelesen->size() > kMaxAntwort)
            beenden(Ende::Groesse);
    });
    connect(antwort, &QNetworkReply::finished, this, [this, antwort, gelesen, text, fertig, scheitern] {
        antwort->deleteLater();
        m_laufend.clear();
        const auto wie = Ende(antwort->property("klangEnde").toInt());
        const int status = antwort->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QString nummer = QString::number(status > 0 ? status : int(antwort->error()));
        const QString zuGross = QStringLiteral("Die Antwort des Übersetzungsdienstes ist zu groß (mehr als 1 MB).");
        if (wie == Ende::Abbruch) {
            fertig(false, QString());
        } else if (wie == Ende::Zeit || antwort->error() == QNetworkReply::TimeoutError) {
            // No answer in time: no box, as an empty result.
            scheitern(QStringLiteral("Der Übersetzungsdienst hat nicht rechtzeitig geantwortet."), nummer, false);
        } else if (wie == Ende::Groesse) {
            scheitern(zuGross, nummer, true);
        } else if (antwort->error() == QNetworkReply::InsecureRedirectError) {
            QUrl weiter = antwort->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
            if (weiter.isEmpty())
                weiter = QUrl::fromEncoded(antwort->rawHeader("Location"));
            const QString rechner = weiter.isEmpty() ? QString() : antwort->url().resolved(weiter).host();
            scheitern(QStringLiteral("Der Übersetzungsdienst leitet auf einen anderen Rechner um")
                          + (rechner.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(rechner))
                          + QStringLiteral("; dem wird nicht gefolgt."),
                      nummer, true);
        } else if (antwort->error() != QNetworkReply::NoError && status < 400) {
            scheitern(netzFehler(antwort->error()), nummer, true);
        } else {
            *gelesen += antwort->read(kMaxAntwort + 1 - gelesen->size());
            const Dienstantwort d = gelesen->size() > kMaxAntwort ? Dienstantwort{QString(), zuGross}
                                                                  : dienstantwortLesen(status, *gelesen);
            if (!d.fehler.isEmpty()) {
                scheitern(d.fehler, nummer, true);
                return;
            }
            const bool ok = !d.uebersetzung.isEmpty() && d.uebersetzung != text;
            fertig(ok, ok ? d.uebersetzung : QString());
        }
    });
}

QtVorleser::QtVorleser(QObject* parent)
    : QObject(parent)
{
}

QTextToSpeech* QtVorleser::engine()
{
    if (!m_engine) {
        // The offline flite voices when they are installed, else the platform's default.
        m_engine = QTextToSpeech::availableEngines().contains(QStringLiteral("flite"))
                       ? new QTextToSpeech(QStringLiteral("flite"), this)
                       : new QTextToSpeech(this);
        connect(m_engine, &QTextToSpeech::stateChanged, this, [this](QTextToSpeech::State zustand) {
            if ((zustand == QTextToSpeech::Ready || zustand == QTextToSpeech::Error) && m_fertig) {
                auto fertig = std::move(m_fertig);
                m_fertig = nullptr;
                fertig();
            }
        });
    }
    return m_engine;
}

double QtVorleser::qtTempo(int tempo)
{
    return qBound(-10, tempo, 10) / 10.0;
}

void QtVorleser::sprechen(const QString& text, const QString& stimme, int tempo, std::function<void()> fertig)
{
    QTextToSpeech* tts = engine();
    for (const QVoice& v : tts->availableVoices()) {
        if (!stimme.isEmpty() && v.name().compare(stimme, Qt::CaseInsensitive) == 0) {
            tts->setVoice(v);
            break;
        }
    }
    tts->setRate(qtTempo(tempo));
    if (tts->state() == QTextToSpeech::Error) {
        QTimer::singleShot(0, this, fertig);
        return;
    }
    if (m_fertig)
        m_fertig(); // an earlier text is replaced: its waiting ends here
    m_fertig = std::move(fertig);
    tts->say(text);
}

} // namespace klang::player
