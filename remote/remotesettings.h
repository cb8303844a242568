#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace corvane {

// The remote control's own small configuration file. The program only reads it; nothing that
// arrives over the network changes it.
struct RemoteSettings {
    bool enabled = false;
    std::uint16_t port = 9000;
    // Empty: listen on 127.0.0.1 only. Otherwise listen on all addresses and accept packets from
    // these IPv4 addresses and 127.0.0.1 only (host byte order).
    std::vector<std::uint32_t> allowedClients;
    // Why the file turned the remote control off; empty when it read well.
    QString error;
};

// <configuration folder>/QUENDA/corvane-remote.ini
QString remoteSettingsPath();

// Reads the INI file (keys Enabled, Port, AllowedClients). A missing file gives the defaults: off.
// A value that does not read gives off, with error saying which.
RemoteSettings loadRemoteSettings(const QString& path);

// Dotted-quad IPv4 text, strictly (four decimal numbers 0..255).
std::optional<std::uint32_t> parseIpv4(const QString& text);
QString ipv4Text(std::uint32_t address);

}  // namespace corvane
