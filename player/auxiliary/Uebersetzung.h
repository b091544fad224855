#pragma once

// Translation through an HTTP service with a LibreTranslate-compatible API, and reading aloud
// through Qt's text-to-speech engines.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class QNetworkAccessManager;
class QNetworkReply;
class QTextToSpeech;
class QWidget;

namespace klang::player {

// The 246 entries of both language boxes, "code - name".
const QStringList& Sprachliste();
// The code of a box text: the part before the first " - ", trimmed; "" without " - ".
QString Sprachcode(const QString& eintrag);
// The language the service understands for a list code: the list names countries (and
// "EN"), so the common ones are mapped to their language; the rest goes lower-cased.
QString dienstSprache(const QString& code);

// The setting that holds the service's address ("" = none).
inline const QString UebersetzungsDienstKey = QStringLiteral("TranslationService");

class Uebersetzer : public QObject
{
    Q_OBJECT
public:
    explicit Uebersetzer(QObject* parent = nullptr);

    void setAdresse(const QString& adresse) { m_adresse = adresse; }
    QString adresse() const { return m_adresse; }
    int anfragen() const { return m_anfragen; }

    // The largest reply taken from the service; a longer one is refused.
    static constexpr qint64 kMaxAntwort = 1024 * 1024;

    // Asks the service; fertig(true, result) when a translation that differs from the text
    // came back within the time limit, which holds for the whole exchange. Errors are
    // reported in German in a message box unless still; a service that does not answer in
    // time fails without a box. Empty text or equal codes fail at once without a request.
    // The reply is followed to another address of the same host only.
    void TextUebersetzen(const QString& text, const QString& von, const QString& nach, int zeitlimitSekunden,
                         bool still, QWidget* eltern, std::function<void(bool, const QString&)> fertig);
    // Ends a running request at once; its fertig(false) comes before this returns.
    void abbrechen();
    bool laeuft() const { return !m_laufend.isNull(); }
    // Why the last request failed, in German ("" after a success or a silent end).
    QString letzterFehler() const { return m_fehler; }

private:
    QNetworkAccessManager* m_netz;
    QString m_adresse;
    int m_anfragen = 0;
    QPointer<QNetworkReply> m_laufend;
    QString m_fehler;
};

// What the reply of the service means: the translation, or why there is none (German).
struct Dienstantwort
{
    QString uebersetzung;
    QString fehler;
};
Dienstantwort dienstantwortLesen(int httpStatus, const QByteArray& koerper);

// Speech output; the window waits for fertig without blocking.
class Vorleser
{
public:
    virtual ~Vorleser() = default;
    // stimme: a voice name of the engine ("" or unknown = its default); tempo -10..10.
    virtual void sprechen(const QString& text, const QString& stimme, int tempo, std::function<void()> fertig) = 0;
};

class QtVorleser : public QObject, public Vorleser
{
    Q_OBJECT
public:
    explicit QtVorleser(QObject* parent = nullptr);
    void sprechen(const QString& text, const QString& stimme, int tempo, std::function<void()> fertig) override;
    QTextToSpeech* engine();
    static double qtTempo(int tempo);

private:
    QTextToSpeech* m_engine = nullptr;
    std::function<void()> m_fertig;
};

} // namespace klang::player
