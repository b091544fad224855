#include "tests/support/stream/TsVideo.h"

#include <QFile>
#include <QTcpSocket>

#include <mpv/client.h>

namespace klang::test {

bool schreibeTsVideo(const QString& pfad, double sekunden, int breite, int hoehe, QString* fehler)
{
    auto melden = [fehler](const QString& text) {
        if (fehler)
            *fehler = text;
        return false;
    };
    QFile::remove(pfad);
    mpv_handle* mpv = mpv_create();
    if (!mpv)
        return melden(QStringLiteral("mpv_create failed"));
    const QByteArray ziel = QFile::encodeName(pfad);
    mpv_set_option_string(mpv, "config", "no");
    mpv_set_option_string(mpv, "terminal", "no");
    mpv_set_option_string(mpv, "o", ziel.constData());
    mpv_set_option_string(mpv, "of", "mpegts");
    mpv_set_option_string(mpv, "ovc", "mpeg2video");
    mpv_set_option_string(mpv, "ovcopts", "b=400k,g=12");
    if (mpv_initialize(mpv) < 0) {
        mpv_terminate_destroy(mpv);
        return melden(QStringLiteral("mpv_initialize failed"));
    }
    const QByteArray quelle = QStringLiteral("av://lavfi:testsrc=size=%1x%2:rate=25:duration=%3")
                                  .arg(breite).arg(hoehe).arg(sekunden, 0, 'f', 2).toUtf8();
    const char* befehl[] = {"loadfile", quelle.constData(), nullptr};
    bool ok = mpv_command(mpv, befehl) >= 0;
    while (ok) {
        mpv_event* e = mpv_wait_event(mpv, 30);
        if (e->event_id == MPV_EVENT_NONE) {
            ok = false;
            break;
        }
        if (e->event_id == MPV_EVENT_END_FILE) {
            ok = static_cast<mpv_event_end_file*>(e->data)->reason == MPV_END_FILE_REASON_EOF;
            break;
        }
    }
    // The muxer writes its last packets when the core shuts down.
    mpv_terminate_destroy(mpv);
    if (!ok || QFile(pfad).size() < 1000)
        return melden(QStringLiteral("encoding the test video failed"));
    return true;
}

StreamServer::StreamServer(QByteArray inhalt, QObject* parent, QByteArray typ)
    : QTcpServer(parent)
    , m_inhalt(std::move(inhalt))
    , m_typ(std::move(typ))
{
    connect(this, &QTcpServer::newConnection, this, &StreamServer::verbunden);
}

bool StreamServer::starten()
{
    return listen(QHostAddress::LocalHost, 0);
}

QString StreamServer::url(const QString& pfad) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(pfad);
}

void StreamServer::setzeInhalt(const QByteArray& pfad, const QByteArray& inhalt, const QByteArray& typ)
{
    m_pfade.insert(pfad, {inhalt, typ});
}

void StreamServer::verbunden()
{
    while (QTcpSocket* s = nextPendingConnection()) {
        auto* puffer = new QByteArray;
        connect(s, &QTcpSocket::disconnected, s, [s, puffer] {
            delete puffer;
            s->deleteLater();
        });
        connect(s, &QTcpSocket::readyRead, this, [this, s, puffer] {
            puffer->append(s->readAll());
            if (!puffer->contains("\r\n\r\n") || m_stumm)
                return;
            const QList<QByteArray> zeile = puffer->left(puffer->indexOf("\r\n")).split(' ');
            puffer->clear();
            ++m_anfragen;
            if (zeile.size() < 2 || zeile.first() != "GET") {
                s->write("HTTP/1.0 405 Method Not Allowed\r\nContent-Length: 0\r\n\r\n");
            } else if (m_status.contains(zeile.at(1))) {
                s->write("HTTP/1.0 " + m_status.value(zeile.at(1)) + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            } else {
                const auto eigener = m_pfade.constFind(zeile.at(1));
                const QByteArray& inhalt = eigener != m_pfade.cend() ? eigener->first : m_inhalt;
                const QByteArray& typ = eigener != m_pfade.cend() ? eigener->second : m_typ;
                const qsizetype angesagt = inhalt.size() * (m_abbruch.contains(zeile.at(1)) ? 10 : 1);
                s->write("HTTP/1.0 200 OK\r\nContent-Type: " + typ + "\r\nContent-Length: "
                         + QByteArray::number(angesagt) + "\r\nConnection: close\r\n\r\n");
                s->write(inhalt);
            }
            connect(s, &QTcpSocket::bytesWritten, s, [s] {
                if (s->bytesToWrite() == 0)
                    s->disconnectFromHost();
            });
        });
    }
}

} // namespace klang::test
