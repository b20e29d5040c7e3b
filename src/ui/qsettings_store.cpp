#include "ui/qsettings_store.h"

#include <QSettings>
#include <QStringList>
#include <QVariant>

namespace zq48 {

namespace {

QSettings OpenSettings() {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, kSettingsOrganisation,
                   kSettingsApplication);
}

// A value of the empty section lies directly under the program's key.
QString Key(const std::string& name, const std::string& section) {
  QString key = QString::fromStdString(name);
  if (section.empty()) return key;
  return QString::fromStdString(section) + '/' + key;
}

bool Store(const QString& key, const QVariant& value) {
  QSettings settings = OpenSettings();
  settings.setValue(key, value);
  settings.sync();
  return settings.status() == QSettings::NoError;
}

}  // namespace

bool QSettingsStore::WriteSettingString(const std::string& text, const std::string& name,
                                        const std::string& section) {
  // An empty text never replaces what is stored.
  if (text.empty()) return false;
  return Store(Key(name, section), QString::fromStdString(text));
}

std::string QSettingsStore::ReadSettingString(const std::string& name, const std::string& section) {
  QVariant value = OpenSettings().value(Key(name, section));
  // The text format reads an unquoted text with commas back as a list.
  if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(',').toStdString();
  return value.toString().toStdString();
}

bool QSettingsStore::WriteSettingInt(std::int32_t value, const std::string& name,
                                     const std::string& section) {
  return Store(Key(name, section), value);
}

std::optional<std::int32_t> QSettingsStore::ReadSettingInt(const std::string& name,
                                                           const std::string& section) {
  QVariant value = OpenSettings().value(Key(name, section));
  if (!value.isValid()) return std::nullopt;
  bool ok = false;
  const int number = value.toInt(&ok);
  if (!ok) return std::nullopt;
  return number;
}

}  // namespace zq48
