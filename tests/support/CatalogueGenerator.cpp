#include "tests/support/CatalogueGenerator.h"

#include <QFile>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QStringEncoder>
#include <functional>
#include <sqlite3.h>

namespace klang::test {

namespace {

const QStringList& bands()
{
    static const QStringList list = {
        QStringLiteral("ABBA"), QStringLiteral("Die Ärzte"), QStringLiteral("Motörhead"),
        QStringLiteral("Blümchen"), QStringLiteral("Mötley Crüe"), QStringLiteral("Herbert Grönemeyer"),
        QStringLiteral("Wolfgang Ambros"), QStringLiteral("AC/DC"), QStringLiteral("Frank Zappa"),
        QStringLiteral("Björk"), QStringLiteral("Sigur Rós"), QStringLiteral("Kraftwerk"),
        QStringLiteral("Einstürzende Neubauten"), QStringLiteral("Die Toten Hosen"), QStringLiteral("Queen"),
        QStringLiteral("Nena"), QStringLiteral("Öhrchen & Söhne"), QStringLiteral("Ulla Meinecke"),
        QStringLiteral("The Beatles"), QStringLiteral("Pink Floyd"), QStringLiteral("Udo Lindenberg"),
        QStringLiteral("Rammstein"), QStringLiteral("Tocotronic"), QStringLiteral("Ärzte ohne Grenzen Band"),
        QStringLiteral("zz top"), QStringLiteral("Édith Piaf"), QStringLiteral("Françoise Hardy"),
        QStringLiteral("Max Raabe"), QStringLiteral("Reinhard Mey"), QStringLiteral("Fehlfarben"),
        QStringLiteral("O'Brien & Friends"), QStringLiteral("Spliff"), QStringLiteral("Ideal"),
        QStringLiteral("Trio"), QStringLiteral("Münchener Freiheit"), QStringLiteral("Scooter")};
    return list;
}

const QStringList& words()
{
    static const QStringList list = {
        QStringLiteral("Mädchen"), QStringLiteral("Liebe"), QStringLiteral("Nacht"), QStringLiteral("Straße"),
        QStringLiteral("Himmel"), QStringLiteral("Zeit"), QStringLiteral("Träume"), QStringLiteral("Über"),
        QStringLiteral("Arrival"), QStringLiteral("Live"), QStringLiteral("Gold"), QStringLiteral("Greatest"),
        QStringLiteral("Hits"), QStringLiteral("Fürchte"), QStringLiteral("dich"), QStringLiteral("nicht"),
        QStringLiteral("Rock"), QStringLiteral("Blues"), QStringLiteral("Schön"), QStringLiteral("Grün"),
        QStringLiteral("Heimat"), QStringLiteral("Sonne"), QStringLiteral("Mond"), QStringLiteral("Sterne"),
        QStringLiteral("Öl"), QStringLiteral("Wald"), QStringLiteral("Stadt"), QStringLiteral("Berlin"),
        QStringLiteral("Wien"), QStringLiteral("Zürich"), QStringLiteral("Regen"), QStringLiteral("50%"),
        QStringLiteral("Tanz"), QStringLiteral("Freiheit"), QStringLiteral("Süß"), QStringLiteral("Electric")};
    return list;
}

const QStringList& media()
{
    static const QStringList list = {QStringLiteral("CD"), QStringLiteral("LP"), QStringLiteral("MC"),
                                     QStringLiteral("DVD"), QStringLiteral("MP3"), QStringLiteral("Single")};
    return list;
}

const QStringList& styles()
{
    static const QStringList list = {QStringLiteral("Rock"), QStringLiteral("Pop"), QStringLiteral("Jazz"),
                                     QStringLiteral("Klassik"), QStringLiteral("Schlager"), QStringLiteral("Blues"),
                                     QStringLiteral("Neue Deutsche Welle"), QStringLiteral("Hörspiel"),
                                     QStringLiteral("Electronic"), QStringLiteral("Liedermacher")};
    return list;
}

const QStringList& labels()
{
    static const QStringList list = {QStringLiteral("Polydor"), QStringLiteral("EMI"), QStringLiteral("Ariola"),
                                     QStringLiteral("Sony"), QStringLiteral("Virgin"), QStringLiteral("Metronome"),
                                     QStringLiteral("Teldec"), QStringLiteral("Bellaphon")};
    return list;
}

QString pick(QRandomGenerator& rng, const QStringList& list)
{
    return list.at(int(rng.bounded(quint32(list.size()))));
}

QString phrase(QRandomGenerator& rng, int minWords, int maxWords)
{
    const int n = minWords + int(rng.bounded(quint32(maxWords - minWords + 1)));
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << pick(rng, words());
    return out.join(QLatin1Char(' '));
}

struct Sql
{
    sqlite3* db = nullptr;
    ~Sql() { sqlite3_close_v2(db); }
};

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

QString createStatement(bool olderForm)
{
    QStringList cols;
    for (const QString& f : catalogueFieldNames(olderForm))
        cols << QStringLiteral("\"%1\" %2").arg(f, f == QLatin1String("Bilder") ? QStringLiteral("BLOB")
                                                                               : QStringLiteral("TEXT"));
    return QStringLiteral("CREATE TABLE \"Schallplatten\" (%1)").arg(cols.join(QStringLiteral(", ")));
}

bool exec(sqlite3* db, const QString& sql, QString* error)
{
    char* err = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString msg = QString::fromUtf8(err ? err : "");
        sqlite3_free(err);
        return fail(error, msg);
    }
    return true;
}

bool insertAll(sqlite3* db, const QList<QVariantMap>& records, QString* error,
               const std::function<QVariantMap(int)>& make = {}, int count = 0)
{
    if (!exec(db, QStringLiteral("BEGIN"), error))
        return false;
    sqlite3_stmt* stmt = nullptr;
    QStringList lastKeys;
    const int total = make ? count : int(records.size());
    for (int i = 0; i < total; ++i) {
        const QVariantMap rec = make ? make(i) : records.at(i);
        const QStringList keys = rec.keys();
        if (!stmt || keys != lastKeys) {
            sqlite3_finalize(stmt);
            stmt = nullptr;
            QStringList cols, marks;
            for (const QString& k : keys) {
                cols << QLatin1Char('"') + QString(k).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
                marks << QStringLiteral("?");
            }
            const QByteArray sql = QStringLiteral("INSERT INTO \"Schallplatten\" (%1) VALUES (%2)")
                                       .arg(cols.join(QLatin1Char(',')), marks.join(QLatin1Char(',')))
                                       .toUtf8();
            if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK) {
                const QString msg = QString::fromUtf8(sqlite3_errmsg(db));
                sqlite3_finalize(stmt);
                exec(db, QStringLiteral("ROLLBACK"), nullptr);
                return fail(error, msg);
            }
            lastKeys = keys;
        }
        sqlite3_reset(stmt);
        int idx = 1;
        for (const QString& k : keys) {
            const QVariant v = rec.value(k);
            if (v.isNull()) {
                sqlite3_bind_null(stmt, idx);
            } else if (v.typeId() == QMetaType::QByteArray) {
                const QByteArray b = v.toByteArray();
                sqlite3_bind_blob(stmt, idx, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            } else {
                const QByteArray t = v.toString().toUtf8();
                sqlite3_bind_text(stmt, idx, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            }
            ++idx;
        }
        if (sqlite3_step(stmt) != SQLITE_DONE) {
            const QString msg = QString::fromUtf8(sqlite3_errmsg(db));
            sqlite3_finalize(stmt);
            exec(db, QStringLiteral("ROLLBACK"), nullptr);
            return fail(error, msg);
        }
    }
    sqlite3_finalize(stmt);
    return exec(db, QStringLiteral("COMMIT"), error);
}

} // namespace

QStringList catalogueFieldNames(bool olderForm)
{
    if (olderForm)
        return {QStringLiteral("Band"), QStringLiteral("LPTitel"), QStringLiteral("Medium"), QStringLiteral("Stil"),
                QStringLiteral("Info"), QStringLiteral("Plattenfirma"), QStringLiteral("BestellNr"),
                QStringLiteral("Preis"), QStringLiteral("Datum"), QStringLiteral("Songs"), QStringLiteral("Bilder")};
    return {QStringLiteral("Band"),      QStringLiteral("LPTitel"),     QStringLiteral("Medium"),
            QStringLiteral("Stil"),      QStringLiteral("Info"),        QStringLiteral("Plattenfirma"),
            QStringLiteral("BestellNr"), QStringLiteral("Preis"),       QStringLiteral("Datum"),
            QStringLiteral("Songs"),     QStringLiteral("BildPfad"),    QStringLiteral("Musikpfad"),
            QStringLiteral("SongText"),  QStringLiteral("eBook"),       QStringLiteral("Bewertung"),
            QStringLiteral("InternetTab"), QStringLiteral("InfoTab"),   QStringLiteral("SonstigesTab"),
            QStringLiteral("Bilder")};
}

QString rtfEscape(const QString& text)
{
    QString out;
    out.reserve(text.size() + 16);
    QStringEncoder toCp1252("windows-1252");
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += QLatin1Char('\\');
            out += c;
        } else if (u == '\n') {
            out += QStringLiteral("\\par\n");
        } else if (u < 0x80) {
            out += c;
        } else {
            const QByteArray b = toCp1252.encode(QStringView(&text.constData()[i], 1));
            if (!toCp1252.hasError() && b.size() == 1 && b != "?") {
                out += QStringLiteral("\\'%1").arg(uchar(b.at(0)), 2, 16, QLatin1Char('0'));
            } else {
                out += QStringLiteral("\\u%1?").arg(qint16(u));
                toCp1252 = QStringEncoder("windows-1252");
            }
        }
    }
    return out;
}

QString rtfDocument(const QStringList& lines)
{
    QString out = QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Segoe UI;}}\n"
                                 "\\viewkind4\\uc1\\pard\\f0\\fs20 ");
    for (int i = 0; i < lines.size(); ++i) {
        out += rtfEscape(lines.at(i));
        out += QStringLiteral("\\par\n");
    }
    out += QStringLiteral("}\n");
    return out;
}

QVariantMap generatedRecord(int index, const CatalogueSpec& spec)
{
    QRandomGenerator rng(spec.seed * 2654435761u + quint32(index) * 40503u + 7u);
    QVariantMap r;
    QString band = pick(rng, bands());
    if (rng.bounded(4u) == 0)
        band += QStringLiteral(" %1").arg(index % 97); // many distinct bands in big catalogues
    const QString title = phrase(rng, 1, 4);
    r.insert(QStringLiteral("Band"), band);
    r.insert(QStringLiteral("LPTitel"), title);
    r.insert(QStringLiteral("Medium"), pick(rng, media()));
    r.insert(QStringLiteral("Stil"), pick(rng, styles()));
    r.insert(QStringLiteral("Info"), rng.bounded(3u) == 0 ? QVariant() : QVariant(phrase(rng, 0, 3)));
    r.insert(QStringLiteral("Plattenfirma"), pick(rng, labels()));
    r.insert(QStringLiteral("BestellNr"), QStringLiteral("%1").arg(rng.bounded(100000u), 5, 10, QLatin1Char('0')));
    r.insert(QStringLiteral("Preis"), QStringLiteral("%1.%2").arg(rng.bounded(40u)).arg(rng.bounded(100u), 2, 10, QLatin1Char('0')));
    r.insert(QStringLiteral("Datum"), QStringLiteral("%1.%2.%3").arg(1 + rng.bounded(28u), 2, 10, QLatin1Char('0'))
                                          .arg(1 + rng.bounded(12u), 2, 10, QLatin1Char('0')).arg(1970 + rng.bounded(55u)));
    const int songs = std::max(1, spec.songsPerRecord / 2 + int(rng.bounded(quint32(spec.songsPerRecord + 1))));
    QStringList lines;
    for (int s = 1; s <= songs; ++s)
        lines << QStringLiteral("%1. %2").arg(s).arg(phrase(rng, 1, 4));
    r.insert(QStringLiteral("Songs"), rtfDocument(lines));
    // A second generator for what is asked beside, so the records above stay as they were.
    QRandomGenerator extra(spec.seed * 2246822519u + quint32(index) * 3266489917u + 11u);
    if (spec.sharedSongsPercent > 0 && int(extra.bounded(100u)) < spec.sharedSongsPercent) {
        const quint32 list = extra.bounded(2000u);
        if (list < 60) { // a rich text whose header is all there is
            r.insert(QStringLiteral("Songs"), rtfDocument({}));
        } else {
            QRandomGenerator shared(spec.seed * 374761393u + list);
            QStringList sharedLines;
            const int n = 8 + int(shared.bounded(quint32(2 * spec.songsPerRecord + 1)));
            for (int s = 1; s <= n; ++s)
                sharedLines << QStringLiteral("%1. %2").arg(s).arg(phrase(shared, 1, 4));
            r.insert(QStringLiteral("Songs"), rtfDocument(sharedLines));
        }
    }
    if (spec.oddBandNames && extra.bounded(8u) == 0) {
        static const QStringList umlautFirst = {QStringLiteral("Ärger & Co"), QStringLiteral("Öl auf Leinwand"),
                                                QStringLiteral("Übermut"), QStringLiteral("Ötzi Trio"),
                                                QStringLiteral("Äon"), QStringLiteral("Ünal & Band")};
        band = extra.bounded(2u) ? QLatin1Char(' ') + band : pick(extra, umlautFirst);
        r.insert(QStringLiteral("Band"), band);
    }
    if (spec.picturePercent > 0 && int(rng.bounded(100u)) < spec.picturePercent) {
        QByteArray picture("\x89PNG\r\n\x1a\n", 8);
        picture.append(QByteArray(64 + int(rng.bounded(64u)), char(index & 0x7f)));
        r.insert(QStringLiteral("Bilder"), picture);
    } else {
        r.insert(QStringLiteral("Bilder"), QVariant());
    }
    if (spec.olderForm)
        return r;
    const QString folder = QString(band).replace(QLatin1Char('/'), QLatin1Char('-'));
    r.insert(QStringLiteral("BildPfad"), rng.bounded(2u) ? QStringLiteral("%1 - %2.jpg°").arg(folder, title) : QString());
    r.insert(QStringLiteral("Musikpfad"), spec.musicRoot + folder + QLatin1Char('/') + title + QLatin1Char('/'));
    r.insert(QStringLiteral("SongText"), rng.bounded(5u) == 0 ? rtfDocument({phrase(rng, 4, 10), phrase(rng, 4, 10)}) : QString());
    r.insert(QStringLiteral("eBook"), rng.bounded(10u) == 0 ? QStringLiteral("Booklet.pdf°") : QString());
    r.insert(QStringLiteral("Bewertung"), QString::number(1 + rng.bounded(6u)));
    r.insert(QStringLiteral("InternetTab"), rng.bounded(4u) == 0
                                                ? rtfDocument({QStringLiteral("https://example.org/%1").arg(index)})
                                                : QString());
    r.insert(QStringLiteral("InfoTab"), rng.bounded(4u) == 0 ? rtfDocument({phrase(rng, 3, 8)}) : QString());
    r.insert(QStringLiteral("SonstigesTab"), QVariant());
    if (spec.richPanes) {
        if (extra.bounded(3u) != 0)
            r.insert(QStringLiteral("InfoTab"), rtfDocument({phrase(extra, 4, 12), phrase(extra, 4, 12), phrase(extra, 2, 6)}));
        if (extra.bounded(2u) == 0)
            r.insert(QStringLiteral("SonstigesTab"), rtfDocument({phrase(extra, 3, 9)}));
        if (extra.bounded(3u) == 0)
            r.insert(QStringLiteral("SongText"), rtfDocument({phrase(extra, 6, 14), phrase(extra, 6, 14), phrase(extra, 6, 14)}));
    }
    return r;
}

bool writeEmptyCatalogue(const QString& path, bool olderForm, QString* error)
{
    QFile::remove(path);
    Sql sql;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &sql.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK)
        return fail(error, QString::fromUtf8(sqlite3_errmsg(sql.db)));
    return exec(sql.db, createStatement(olderForm), error);
}

bool writeCatalogue(const QString& path, const CatalogueSpec& spec, QString* error)
{
    if (!writeEmptyCatalogue(path, spec.olderForm, error))
        return false;
    Sql sql;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &sql.db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return fail(error, QString::fromUtf8(sqlite3_errmsg(sql.db)));
    return insertAll(sql.db, {}, error, [&](int i) { return generatedRecord(i, spec); }, spec.records);
}

bool insertCatalogueRecords(const QString& path, const QList<QVariantMap>& records, QString* error)
{
    Sql sql;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &sql.db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return fail(error, QString::fromUtf8(sqlite3_errmsg(sql.db)));
    return insertAll(sql.db, records, error);
}

bool writeFakeJetFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray header(2048, '\0');
    header.replace(0, 19, QByteArray("\x00\x01\x00\x00Standard Jet DB", 19));
    for (int i = 19; i < header.size(); ++i)
        header[i] = char((i * 31) & 0xff);
    return f.write(header) == header.size();
}

} // namespace klang::test
