#pragma once

// GetSetting/SaveSetting of the language runtime: string values addressed by application,
// section and key, kept in $XDG_CONFIG_HOME/Klangtruhe/<app>.ini. Keys compare without regard
// to case; values are exact strings ("a, b" stays one text, never a list).

#include <QString>
#include <QList>
#include <QPair>
#include <QStringList>

#include <functional>

namespace klang {

QString GetSetting(const QString& app, const QString& section, const QString& key,
                   const QString& defaultValue = QString());
void SaveSetting(const QString& app, const QString& section, const QString& key,
                 const QString& value);
// Saves many keys of one section with one rewrite of the file (a list of thousands of items
// must not rewrite the file once per item).
void SaveSettings(const QString& app, const QString& section, const QList<QPair<QString, QString>>& values);

// Removes one key, or the whole section when key is empty. Missing entries are no error.
void DeleteSetting(const QString& app, const QString& section, const QString& key = QString());
// All keys of a section as stored (original spelling), in file order.
QStringList GetAllSettingKeys(const QString& app, const QString& section);

// Told when a settings file could not be written (called outside the layer's lock, so it may
// show a box): the file's path and a German reason. The values stay in memory for the rest
// of the session. Told once per file, again only after a write to it succeeded. An empty
// handler (the default) leaves it at a line on standard error.
using SettingsSaveFailedHandler = std::function<void(const QString& path, const QString& reason)>;
void setSettingsSaveFailedHandler(SettingsSaveFailedHandler handler);

// The INI file of an application (for diagnostics and tests).
QString settingsFilePath(const QString& app);

} // namespace klang
