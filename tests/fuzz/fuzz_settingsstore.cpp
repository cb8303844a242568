#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "storage/xmlsettingsstore.h"

namespace {

void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) __builtin_trap();
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
}

}  // namespace

// Whatever the settings file holds, the store either refuses it with its own error or reads it,
// takes writes and saves a file that loads again with the same values.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    const std::string input = dir.filePath(QStringLiteral("in.xml")).toStdString();
    const std::string output = dir.filePath(QStringLiteral("out.xml")).toStdString();
    writeFile(input, data, size);
    QFile::remove(QString::fromStdString(output));

    // A value taken from the input itself, so quotes, markup and line breaks reach the writer.
    const std::string value(reinterpret_cast<const char*>(data), size < 24 ? size : 24);
    const std::vector<std::pair<std::string, std::string>> keys = {
        {"Reopen", "Reopen01"},    {"Reopen", "Reopen02"}, {"MatrixNumber", "Lines"},
        {"LineNames01", "Line05"}, {"FuzzSection", "Key"}, {"FORMS", "Top"},
    };

    corvane::XmlSettingsStore store(input);
    try {
        store.BeginAccess();
    } catch (const corvane::SettingsError&) {
        if (store.isOpen()) __builtin_trap();
        return 0;
    }
    for (const auto& [section, key] : keys) {
        store.ReadSetting(section, key, "default");
        store.ReadSettingIntDefault(section, key, 7);
        try {
            store.ReadSettingInt(section, key);
        } catch (const corvane::SettingsError&) {
        }
    }
    store.WriteSetting("Reopen", "Reopen01", value);
    store.WriteSetting("Reopen", "Reopen02", "");
    store.WriteSettingInt("MatrixNumber", "Lines", -3);
    store.WriteSetting("LineNames01", "Line05", "<&\"'>");
    store.WriteSetting("FuzzSection", "Key", "");
    store.WriteSetting("FORMS", "Top", value);
    std::vector<std::string> held;
    for (const auto& [section, key] : keys) held.push_back(store.ReadSetting(section, key, "default"));

    store.setFileName(output);
    store.EndAccess();

    corvane::XmlSettingsStore again(output);
    again.BeginAccess();  // the store's own file must load: an error here ends the run
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (again.ReadSetting(keys[i].first, keys[i].second, "default") != held[i]) __builtin_trap();
    again.EndAccess();
    return 0;
}
