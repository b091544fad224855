// Writes the empty catalogue (table Schallplatten, no rows) to the path given as argument.
// Run at build time, so no binary database lives in the source tree.

#include "platform/jet/Database.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: klang_make_empty_catalogue <file>\n";
        return 2;
    }
    const QString path = args.at(1);
    QFile::remove(path);
    klang::jet::DbError error;
    if (!klang::jet::Database::createCatalogue(path, false, &error)) {
        QTextStream(stderr) << error.text() << "\n";
        return 1;
    }
    return 0;
}
