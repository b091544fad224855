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

Uebersetzer::Uebersetzer(QObject* parent)
    : QObject(parent)
    , m_netz(new QNetworkAccessManager(this))
{
}

void Uebersetzer::TextUebersetzen(const QString& text, const QString& von, const QString& nach,
                                  int zeitlimitSekunden, bool still, QWidget* eltern,
                                  std::function<void(bool, const QString&)> fertig)
{
    if (text.isEmpty() || von == nach) {
        fertig(false, QString());
        return;
    }
    const QUrl basis = QUrl::fromUserInput(m_adresse.trimmed());
    if (m_adresse.trimmed().isEmpty() || !basis.isValid()) {
        if (!still)
            kit::MsgFenn(eltern, QStringLiteral("Kein Übersetzungsdienst eingestellt."), 4, 0, QStringLiteral("0"));
        fertig(false, QString());
        return;
    }
    QUrl ziel = basis;
    QString pfad = ziel.path();
    if (!pfad.endsWith(QLatin1Char('/')))
        pfad += QLatin1Char('/');
    ziel.setPath(pfad + QStringLiteral("translate"));
    QNetworkRequest anfrage(ziel);
    anfrage.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    anfrage.setTransferTimeout(qMax(1, zeitlimitSekunden) * 1000);
    // The text travels in a JSON body: no character of it can reach the address.
    const QJsonObject koerper{{QStringLiteral("q"), text},
                              {QStringLiteral("source"), dienstSprache(von)},
                              {QStringLiteral("target"), dienstSprache(nach)},
                              {QStringLiteral("format"), QStringLiteral("text")}};
    ++m_anfragen;
    QNetworkReply* antwort = m_netz->post(anfrage, QJsonDocument(koerper).toJson(QJsonDocument::Compact));
    QPointer<QWidget> fenster(eltern);
    connect(antwort, &QNetworkReply::finished, this, [antwort, text, still, fenster, fertig] {
        antwort->deleteLater();
        if (antwort->error() == QNetworkReply::OperationCanceledError
            || antwort->error() == QNetworkReply::TimeoutError) {
            fertig(false, QString()); // no answer in time: silent, as an empty result
            return;
        }
        if (antwort->error() != QNetworkReply::NoError) {
            if (!still)
                kit::MsgFenn(fenster, antwort->errorString(), 4, 0, QString::number(int(antwort->error())));
            fertig(false, QString());
            return;
        }
        const QString ergebnis = QJsonDocument::fromJson(antwort->readAll())
                                     .object()
                                     .value(QStringLiteral("translatedText"))
                                     .toString();
        const bool ok = !ergebnis.isEmpty() && ergebnis != text;
        fertig(ok, ok ? ergebnis : QString());
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
