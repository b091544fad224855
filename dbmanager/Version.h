#pragma once

// What the version box shows about the program.

#include <QString>

namespace dbmanager::version {

inline const QString Produkt = QStringLiteral("Bestandswart");
inline const QString InternerName = QStringLiteral("Datenbank");
inline const QString Hersteller = QStringLiteral("Quarzwerk");
inline const QString Copyright = QStringLiteral("2025 Quarzwerk. Alle Rechte vorbehalten.");
inline const QString Online = QStringLiteral("https://quarzwerk.example/klangtruhe");
constexpr int Major = 2025;
constexpr int Minor = 9;
constexpr int Revision = 84;

} // namespace dbmanager::version
