#include "platform/media/MciRoutines.h"

#include "platform/media/TrackLength.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>

namespace klang::media {

MciDevice& sharedMciDevice()
{
    static QPointer<MciDevice> device;
    if (!device)
        device = new MciDevice(QCoreApplication::instance());
    return *device;
}

int MciAbspielen(const QString& path, const QString& alias, MciDevice& device)
{
    if (!QFileInfo(path).isFile())
        return mci::FileNotFound;
    // Quoted, so that blanks need no short name; a name holding a quote goes unquoted,
    // which the device reads as well.
    const QString element = path.contains(QLatin1Char('"'))
        ? path
        : QLatin1Char('"') + path + QLatin1Char('"');
    const int opened = device.sendString(QStringLiteral("open ") + element
                                         + QStringLiteral(" type MPEGVideo alias ") + alias);
    if (opened != mci::Ok)
        return opened;
    return device.sendString(QStringLiteral("play ") + alias + QStringLiteral(" from 0"));
}

void MciStoppen(const QString& alias, MciDevice& device)
{
    device.sendString(QStringLiteral("stop ") + alias);
    device.sendString(QStringLiteral("close ") + alias);
}

double LiedLaenge(const QString& path)
{
    return trackLengthSeconds(path);
}

} // namespace klang::media
