// Timed start-up and end of Ordnerwacht's window with large or damaged saved lists: a saved
// list of 10,000 items (stored unsorted), path histories of 8,000 and 200,000 lines, and
// damaged count keys.
//
//   klang_bench_ordnerwacht [text]     (only the cases whose name contains text)

#include "backup/ZipForm.h"
#include "kit/TestHook.h"
#include "platform/shell/Paths.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTextStream>

#include <functional>

namespace {

QTextStream out(stdout);

void schreiben(const QString& pfad, const QByteArray& inhalt)
{
    QDir().mkpath(QFileInfo(pfad).path());
    QFile f(pfad);
    if (f.open(QIODevice::WriteOnly))
        f.write(inhalt);
}

QString g_filter;

// One start and end of the window in fresh folders prepared by vorbereiten.
void messen(const QString& was, const std::function<void(const klang::test::TestEnvironment&)>& vorbereiten)
{
    if (!was.contains(g_filter))
        return;
    klang::test::TestEnvironment env;
    vorbereiten(env);
    QElapsedTimer uhr;
    uhr.start();
    auto form = std::make_unique<backup::ZipForm>(nullptr, [](const QString&) { return QString(); });
    form->show();
    QCoreApplication::processEvents();
    const double start = double(uhr.nsecsElapsed()) / 1e6;
    const int eintraege = form->findChild<QComboBox*>(QStringLiteral("cboExtension"))->count()
                          + form->findChild<QComboBox*>(QStringLiteral("txtQuellpfad"))->count();
    uhr.restart();
    form->close();
    form.reset();
    const double ende = double(uhr.nsecsElapsed()) / 1e6;
    out << QStringLiteral("  %1 start %2 ms, end %3 ms (%4 items shown)\n")
               .arg(was, -44)
               .arg(start, 8, 'f', 1)
               .arg(ende, 8, 'f', 1)
               .arg(eintraege);
    out.flush();
}

QByteArray ini(const QByteArray& anzahl, int items, bool gemischt)
{
    QByteArray text = "[Options]\nOrdnerwachtExtensionAnzahl=" + anzahl + "\n";
    QList<int> reihenfolge;
    for (int i = 0; i < items; ++i)
        reihenfolge << i;
    if (gemischt)
        std::shuffle(reihenfolge.begin(), reihenfolge.end(), *QRandomGenerator::global());
    for (int i = 0; i < items; ++i)
        text += "OrdnerwachtExtensionAnzahl" + QByteArray::number(i) + "=.e"
                + QByteArray::number(reihenfolge.at(i)).rightJustified(5, '0') + "\n";
    return text;
}

QByteArray verlauf(int zeilen)
{
    QByteArray text;
    for (int i = 0; i < zeilen; ++i)
        text += "/home/benutzer/Daten/Ordner " + QByteArray::number(i) + "/\n";
    return text;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    kit::testhook::enable();
    g_filter = app.arguments().value(1);
    out << "Ordnerwacht start-up benchmark\n";
    const auto settings = [](const klang::test::TestEnvironment& env) {
        return env.configHome() + QStringLiteral("/Klangtruhe/Ordnerwacht.ini");
    };
    messen(QStringLiteral("nothing saved"), [](const klang::test::TestEnvironment&) {});
    messen(QStringLiteral("saved list of 10,000 items (unsorted)"), [&](const klang::test::TestEnvironment& env) {
        schreiben(settings(env), ini("9999", 10000, true));
    });
    messen(QStringLiteral("saved list of 10,000 items (as stored)"), [&](const klang::test::TestEnvironment& env) {
        schreiben(settings(env), ini("9999", 10000, false));
    });
    messen(QStringLiteral("count key 99999, 3 items"), [&](const klang::test::TestEnvironment& env) {
        schreiben(settings(env), ini("99999", 3, false));
    });
    messen(QStringLiteral("count key 2147483647, 3 items"), [&](const klang::test::TestEnvironment& env) {
        schreiben(settings(env), ini("2147483647", 3, false));
    });
    messen(QStringLiteral("Quellpfad.dat of 8,000 lines"), [&](const klang::test::TestEnvironment&) {
        schreiben(klang::programmPfad() + QStringLiteral("Quellpfad.dat"), verlauf(8000));
    });
    messen(QStringLiteral("Quellpfad.dat of 200,000 lines"), [&](const klang::test::TestEnvironment&) {
        schreiben(klang::programmPfad() + QStringLiteral("Quellpfad.dat"), verlauf(200000));
    });
    return 0;
}
