#include "player/catalogue/Ordnerliste.h"

namespace klang::player {

QStringList ordnerMenuPfad(QStringList c, const QString& sa)
{
    while (c.size() < OrdnerlisteAnzahl)
        c << QString();
    while (c.size() > OrdnerlisteAnzahl)
        c.removeLast();
    for (QString& e : c) {
        if (e == sa)
            e.clear();
    }
    for (int i = 0; i < OrdnerlisteAnzahl - 1; ++i) {
        if (c.at(i).isEmpty() && !c.at(i + 1).isEmpty()) {
            for (int j = i; j < OrdnerlisteAnzahl - 1; ++j)
                c[j] = c.at(j + 1);
            c[OrdnerlisteAnzahl - 1].clear();
        }
    }
    for (int i = OrdnerlisteAnzahl - 1; i >= 1; --i)
        c[i] = c.at(i - 1);
    c[0] = sa;
    return c;
}

} // namespace klang::player
