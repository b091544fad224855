#pragma once

// Test video made on the spot: an MPEG transport stream of a moving test picture, encoded
// by the installed libmpv (no outside encoder), and a small HTTP server on 127.0.0.1 that
// serves it the way a TV station serves its stream.

#include <QByteArray>
#include <QString>
#include <QTcpServer>

namespace klang::test {

// Writes an MPEG-2 video in MPEG-TS of the given length and size to path. Returns false
// (and leaves *fehler) when libmpv cannot encode here.
bool schreibeTsVideo(const QString& pfad, double sekunden, int breite = 320, int hoehe = 240,
                     QString* fehler = nullptr);

// Serves one body to every GET on 127.0.0.1 (any path) as HTTP/1.0 with the given type.
class StreamServer : public QTcpServer
{
    Q_OBJECT
public:
    explicit StreamServer(QByteArray inhalt, QObject* parent = nullptr,
                          QByteArray typ = QByteArrayLiteral("video/mp2t"));
    bool starten();
    // http://127.0.0.1:<port><pfad>
    QString url(const QString& pfad = QStringLiteral("/live.ts")) const;
    int anfragen() const { return m_anfragen; }

private:
    void verbunden();
    QByteArray m_inhalt;
    QByteArray m_typ;
    int m_anfragen = 0;
};

} // namespace klang::test
