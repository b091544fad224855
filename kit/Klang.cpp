#include "kit/Klang.h"

#include "platform/shell/Paths.h"

namespace kit {

namespace {
QString g_letzterKlang;
}

void klangSpielen(const QString& dateiName)
{
    if (dateiName.isEmpty())
        return;
    const QString pfad = klang::programmDatei(dateiName);
    g_letzterKlang = pfad;
    detail::klangAusgeben(pfad);
}

QString letzterKlang() { return g_letzterKlang; }

} // namespace kit
