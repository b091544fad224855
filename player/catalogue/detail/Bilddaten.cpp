#include "player/catalogue/detail/Bilddaten.h"

#include "platform/settings/Settings.h"

#include <QBuffer>
#include <QImageReader>

namespace klang::detail {

namespace {

QImage lesen(const QByteArray& daten)
{
    QBuffer puffer;
    puffer.setData(daten);
    if (!puffer.open(QIODevice::ReadOnly))
        return {};
    QImageReader leser(&puffer);
    leser.setAutoTransform(true);
    // A broken header must not make the reader ask for gigabytes.
    if (leser.size().isValid() && qint64(leser.size().width()) * leser.size().height() > 100'000'000)
        return {};
    return leser.read();
}

} // namespace

QImage bildAusFeld(const QByteArray& feld)
{
    if (feld.isEmpty())
        return {};
    QImage bild = lesen(feld);
    if (!bild.isNull())
        return bild;
    static const QByteArray kennungen[] = {QByteArray("\xFF\xD8\xFF", 3), QByteArray("\x89PNG\r\n\x1A\n"),
                                           QByteArray("GIF8"), QByteArray("BM")};
    qsizetype bestAb = -1;
    QImage best;
    for (const QByteArray& kennung : kennungen) {
        qsizetype ab = feld.indexOf(kennung, 1);
        // a few tries per kind: random bytes must not make this scan the whole field
        for (int versuch = 0; ab > 0 && versuch < 8; ++versuch, ab = feld.indexOf(kennung, ab + 1)) {
            if (bestAb >= 0 && ab > bestAb)
                break;
            bild = lesen(feld.mid(ab));
            if (!bild.isNull()) {
                bestAb = ab;
                best = bild;
                break;
            }
        }
    }
    return best;
}

QImage bildAusDatei(const QString& pfad, const QSize& groesse)
{
    QImageReader leser(pfad);
    leser.setAutoTransform(true);
    if (leser.size().isValid() && qint64(leser.size().width()) * leser.size().height() > 100'000'000)
        return {};
    if (groesse.isValid() && leser.size().isValid())
        leser.setScaledSize(groesse);
    return leser.read();
}

bool bildLadePfad()
{
    return klang::GetSetting(QStringLiteral("KlangtruhePlayer"), QStringLiteral("Options"),
                             QStringLiteral("BildLadePfad"), QStringLiteral("True"))
               .compare(QLatin1String("True"), Qt::CaseInsensitive)
           == 0;
}

void setBildLadePfad(bool an)
{
    klang::SaveSetting(QStringLiteral("KlangtruhePlayer"), QStringLiteral("Options"),
                       QStringLiteral("BildLadePfad"), an ? QStringLiteral("True") : QStringLiteral("False"));
}

} // namespace klang::detail
