// The configuration key lives in the system-wide settings of Qt: on Linux
// <XDG_CONFIG_DIRS entry>/Tavrin Co/K4 Data Transfer Application.conf,
// group [Configuration]; the user's own settings are the same file name
// under $XDG_CONFIG_HOME.
#include "platform/config_store.h"

#include <QSettings>
#include <QString>
#include <vector>

namespace k4 {

namespace {

struct KeyParts {
    QString organisation;
    QString application;
    QString group;
};

// "SOFTWARE\<organisation>\<application>\<group>" names one settings file and group.
bool SplitKeyPath(std::string_view keyPath, KeyParts& parts)
{
    std::vector<std::string_view> pieces;
    while (!keyPath.empty()) {
        const std::size_t cut = keyPath.find('\\');
        pieces.push_back(keyPath.substr(0, cut));
        keyPath = cut == std::string_view::npos ? std::string_view() : keyPath.substr(cut + 1);
    }
    if (pieces.size() != 4)
        return false;
    auto text = [](std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); };
    parts = {text(pieces[1]), text(pieces[2]), text(pieces[3])};
    return true;
}

QString Key(const KeyParts& parts, std::string_view valueName)
{
    return parts.group + '/' + QString::fromUtf8(valueName.data(), static_cast<qsizetype>(valueName.size()));
}

bool ReadText(QSettings::Scope scope, std::string_view keyPath, std::string_view valueName, std::string& text)
{
    KeyParts parts;
    if (!SplitKeyPath(keyPath, parts))
        return false;
    QSettings settings(QSettings::NativeFormat, scope, parts.organisation, parts.application);
    settings.setFallbacksEnabled(false);
    const QVariant value = settings.value(Key(parts, valueName));
    if (!value.isValid() || value.typeId() == QMetaType::QStringList)
        return false;
    text = value.toString().toStdString();
    return true;
}

bool WriteDword(QSettings::Scope scope, std::string_view keyPath, std::string_view valueName, std::uint32_t value)
{
    KeyParts parts;
    if (!SplitKeyPath(keyPath, parts))
        return false;
    QSettings settings(QSettings::NativeFormat, scope, parts.organisation, parts.application);
    settings.setValue(Key(parts, valueName), static_cast<qulonglong>(value));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace

bool ReadConfigDword(std::string_view keyPath, std::string_view valueName, std::uint32_t& value)
{
    std::string text;
    return ReadText(QSettings::SystemScope, keyPath, valueName, text) && ParseConfigDword(text, value);
}

bool ReadConfigString(std::string_view keyPath, std::string_view valueName, std::string& value)
{
    std::string text;
    if (!ReadText(QSettings::SystemScope, keyPath, valueName, text) || text.size() > kConfigStringMax)
        return false;
    value = text;
    return true;
}

bool WriteConfigDword(std::string_view keyPath, std::string_view valueName, std::uint32_t value)
{
    return WriteDword(QSettings::SystemScope, keyPath, valueName, value);
}

bool ReadUserConfigDword(std::string_view keyPath, std::string_view valueName, std::uint32_t& value)
{
    std::string text;
    return ReadText(QSettings::UserScope, keyPath, valueName, text) && ParseConfigDword(text, value);
}

bool WriteUserConfigDword(std::string_view keyPath, std::string_view valueName, std::uint32_t value)
{
    return WriteDword(QSettings::UserScope, keyPath, valueName, value);
}

} // namespace k4
