#pragma once

// Test video made on the spot: an MPEG transport stream of a moving test picture, encoded
// by the installed libmpv (no outside encoder), and a small HTTP server on 127.0.0.1 that
// serves it the way a TV station serves its stream.

#include <QByteArray>
#include <QHash>
#include <QPair>
#include <QSet>
#include <QString>
#include <QTcpServer>

namespace klang::test {

// Writes an MPEG-2 video in MPEG-TS of the given length and size to path. Returns false
// (and leaves *fehler) when libmpv cannot encode here.
bool schreibeTsVideo(const QString& pfad, double sekunden, int breite = 320, int hoehe = 240,
                     QString* fehler = nullptr);

// Serves a body to every GET on 127.0.0.1 as HTTP/1.0: the one set for the path, else the
// default body given at construction.
class StreamServer : public QTcpServer
{
    Q_OBJECT
public:
    explicit StreamServer(QByteArray inhalt, QObject* parent = nullptr,
                          QByteArray typ = QByteArrayLiteral("video/mp2t"));
    bool starten();
    // Another body for one path (e.g. "/liste.m3u8").
    void setzeInhalt(const QByteArray& pfad, const QByteArray& inhalt, const QByteArray& typ);
    // Answers GET on one path with this status line and no body ("404 Not Found").
    void setzeStatus(const QByteArray& pfad, const QByteArray& status) { m_status.insert(pfad, status); }
    // Announces ten times the body on one path and closes after the body (a broken transfer).
    void setzeAbbruch(const QByteArray& pfad) { m_abbruch.insert(pfad); }
    // While on, connections are taken but never answered (a station that hangs).
    void setStumm(bool stumm) { m_stumm = stumm; }
    // http://127.0.0.1:<port><pfad>
    QString url(const QString& pfad = QStringLiteral("/live.ts")) const;
    int anfragen() const { return m_anfragen; }

private:
    void verbunden();
    QByteArray m_inhalt;
    QByteArray m_typ;
    QHash<QByteArray, QPair<QByteArray, QByteArray>> m_pfade;
    QHash<QByteArray, QByteArray> m_status;
    QSet<QByteArray> m_abbruch;
    bool m_stumm = false;
    int m_anfragen = 0;
};

} // namespace klang::test
