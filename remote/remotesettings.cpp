#include "remote/remotesettings.h"

#include <arpa/inet.h>

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

namespace corvane {

namespace {

RemoteSettings off(const QString& why) {
    RemoteSettings s;
    s.error = QStringLiteral("Remote control is off: %1").arg(why);
    return s;
}

std::optional<bool> parseSwitch(const QString& text) {
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("true") || t == QLatin1String("1")) return true;
    if (t == QLatin1String("false") || t == QLatin1String("0")) return false;
    return std::nullopt;
}

}  // namespace

QString remoteSettingsPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/QUENDA/corvane-remote.ini");
}

std::optional<std::uint32_t> parseIpv4(const QString& text) {
    in_addr address{};
    if (inet_pton(AF_INET, text.trimmed().toLatin1().constData(), &address) != 1) return std::nullopt;
    return ntohl(address.s_addr);
}

QString ipv4Text(std::uint32_t address) {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg(address >> 16 & 0xff)
        .arg(address >> 8 & 0xff)
        .arg(address & 0xff);
}

RemoteSettings loadRemoteSettings(const QString& path) {
    RemoteSettings settings;
    if (!QFileInfo(path).isFile()) return settings;
    QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError) return off(QStringLiteral("%1 cannot be read.").arg(path));

    const QString enabled = file.value(QStringLiteral("Enabled"), QStringLiteral("false")).toString();
    const std::optional<bool> on = parseSwitch(enabled);
    if (!on) return off(QStringLiteral("Enabled must be true or false, not \"%1\".").arg(enabled));

    const QString port = file.value(QStringLiteral("Port"), QStringLiteral("9000")).toString();
    bool number = false;
    const int value = port.trimmed().toInt(&number);
    if (!number || value < 1 || value > 65535)
        return off(QStringLiteral("Port must be a number from 1 to 65535, not \"%1\".").arg(port));

    for (const QString& client : file.value(QStringLiteral("AllowedClients")).toStringList()) {
        if (client.trimmed().isEmpty()) continue;
        const std::optional<std::uint32_t> address = parseIpv4(client);
        if (!address)
            return off(
                QStringLiteral("AllowedClients holds \"%1\", which is not an IPv4 address.").arg(client));
        settings.allowedClients.push_back(*address);
    }
    settings.enabled = *on;
    settings.port = static_cast<std::uint16_t>(value);
    return settings;
}

}  // namespace corvane
