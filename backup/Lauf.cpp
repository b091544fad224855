#include "backup/Lauf.h"

#include <QTimer>

namespace backup {

Lauf::Lauf(const QString& pfad, const Kommando& kommando, QObject* parent)
    : QObject(parent)
    , m_kommando(kommando)
    , m_decoder(QStringDecoder::System)
{
    m_prozess.setProgram(pfad);
    m_prozess.setArguments(kommando.argumente);
    if (!kommando.arbeitsordner.isEmpty())
        m_prozess.setWorkingDirectory(kommando.arbeitsordner);
    m_prozess.setProcessChannelMode(QProcess::MergedChannels);
    m_prozess.setStandardInputFile(QProcess::nullDevice());
    connect(&m_prozess, &QProcess::readyReadStandardOutput, this, &Lauf::lesen);
    connect(&m_prozess, &QProcess::errorOccurred, this, [this](QProcess::ProcessError art) {
        if (art != QProcess::FailedToStart || m_fertig)
            return;
        m_fertig = true;
        Q_EMIT startFehlgeschlagen(m_prozess.errorString());
    });
    connect(&m_prozess, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        if (m_fertig)
            return;
        m_fertig = true;
        lesen();
        const bool normal = status == QProcess::NormalExit;
        LaufErgebnis ergebnis = laufErgebnis(m_kommando.programm, normal ? code : -1, m_ausgabe);
        if (!normal) {
            ergebnis.ausgang = Ausgang::Fehler;
            ergebnis.bedeutung = QStringLiteral("Das Programm wurde abgebrochen.");
        }
        Q_EMIT beendet(normal ? code : -1, normal, ergebnis);
    });
}

Lauf::~Lauf()
{
    beendenErzwingen();
}

void Lauf::starten()
{
    m_prozess.start();
}

bool Lauf::laeuft() const
{
    return m_prozess.state() != QProcess::NotRunning;
}

void Lauf::abbrechen()
{
    if (!laeuft())
        return;
    m_prozess.terminate();
    QTimer::singleShot(3000, this, [this] {
        if (laeuft())
            m_prozess.kill();
    });
}

void Lauf::beendenErzwingen()
{
    m_fertig = true;
    m_prozess.disconnect(this);
    if (laeuft()) {
        m_prozess.kill();
        m_prozess.waitForFinished(2000);
    }
}

void Lauf::lesen()
{
    const QByteArray daten = m_prozess.readAllStandardOutput();
    if (daten.isEmpty())
        return;
    QString text = m_decoder.decode(daten);
    // Progress lines are rewritten with a carriage return on a terminal; here each is a line.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.remove(QLatin1Char('\b'));
    m_ausgabe += text;
    if (m_ausgabe.size() > MaxAusgabe)
        m_ausgabe = m_ausgabe.right(MaxAusgabe / 2);
    Q_EMIT ausgabeErhalten(text);
}

QString Lauf::endeText(int exitCode, const LaufErgebnis& e)
{
    QString text = exitCode < 0 ? QStringLiteral("Abgebrochen.")
                                : QStringLiteral("Beendet mit Exit-Code %1").arg(exitCode);
    if (!e.bedeutung.isEmpty())
        text += (exitCode < 0 ? QStringLiteral(" ") : QStringLiteral(": ")) + e.bedeutung;
    else if (exitCode >= 0)
        text += e.ausgang == Ausgang::Erfolg ? QStringLiteral(": kein Fehler.") : QStringLiteral(": Fehler.");
    if (e.ausgang == Ausgang::Unvollstaendig) {
        text += QStringLiteral(" Die Sicherung ist unvollständig");
        const QString fehlt = ausgelassenText(e);
        if (!fehlt.isEmpty())
            text += QStringLiteral(" (es fehl%1 %2)")
                        .arg(std::max(e.ausgelassen, 0) + e.ausgelasseneOrdner == 1 ? QStringLiteral("t") : QStringLiteral("en"), fehlt);
        text += QLatin1Char('.');
    }
    return text;
}

} // namespace backup
