#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "../editstate.h"
#include "app/mainwindow.h"
#include "device/configimage.h"
#include "device/requests.h"
#include "storage/matrixfile.h"
#include "virtualunit/virtualbus.h"

using namespace corvane;

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

class CountingNotifier final : public Notifier {
  public:
    void showMessage(const std::string&, const std::string&, MessageIcon) override { ++messages; }
    bool confirm(const std::string&, const std::string&, MessageIcon) override { return true; }
    int messages = 0;
};

// One window on a virtual unit for the whole run; every input is loaded into it as a file.
struct Window {
    Window() : bus(VirtualBus::WithUnit(3, &unit)) {
        WindowOptions options = WindowOptions::Defaults();
        options.commonDataFolder = folder.path().toStdString();
        options.currentDirectory = folder.path().toStdString();
        options.timersRun = false;
        window = std::make_unique<MainWindow>(*bus, notifier, options);
        check(window->startResult() == corvane::StartResult::Connected);
    }
    std::string path(const char* name) const {
        return folder.filePath(QString::fromLatin1(name)).toStdString();
    }

    QTemporaryDir folder;
    std::shared_ptr<DeviceModel> unit;
    std::unique_ptr<VirtualBus> bus;
    CountingNotifier notifier;
    std::unique_ptr<MainWindow> window;
};

Window* fixture = nullptr;

std::vector<std::uint8_t> DataBytes(MainWindow& window) {
    const MatrixFileBytes bytes = EncodeMatrixFile(window.controller().names(), window.controller().state());
    return {bytes.begin(), bytes.begin() + kMatrixDataSize};
}

void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    QFile file(QString::fromStdString(path));
    check(file.open(QIODevice::WriteOnly));
    check(file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) ==
          static_cast<qint64>(size));
}

// The image requests the unit received since the last call.
std::vector<std::vector<std::uint8_t>> SentImages() {
    std::vector<std::vector<std::uint8_t>> images;
    for (const UsbRequest& r : fixture->unit->requests())
        if (r.request == static_cast<std::uint8_t>(RequestCode::WriteImage)) images.push_back(r.data);
    fixture->unit->clearRequests();
    return images;
}

// Every name the grid, the unit panels and the settings read, and every name a route value picks.
void ReadAsTheViewsDo(const NameTable& names, const MatrixState& state) {
    check(state.SelectedUnit < kUnits && state.SelectedUnit <= state.SlaveCount);
    for (int u = 0; u < kUnits; ++u) {
        for (int e = 0; e < kLineEntries; ++e) check(names.lineName(u, e).size() <= kNameMaxLength);
        for (int e = 0; e < kChannelEntries; ++e) check(names.channelName(u, e).size() <= kNameMaxLength);
        for (int s = 0; s < kSlots; ++s) {
            for (int l = 0; l < kLines; ++l) {
                check(state.LineRoute[u][s][l] < kChannelEntries);
                check(names.channelName(u, state.LineRoute[u][s][l]).size() <= kNameMaxLength);
            }
            for (int c = 0; c < kChannels; ++c) {
                check(state.ChannelRoute[u][s][c] < kLineEntries);
                check(names.lineName(u, state.ChannelRoute[u][s][c]).size() <= kNameMaxLength);
            }
        }
        check(state.CurrentMemory[u] < kMemories);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    static int argc = 1;
    static char name[] = "fuzz_loadmatrix";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);  // lives as long as the process
    fixture = new Window;
    // The window's temporary folder goes with it.
    std::atexit([] { delete fixture; });
    return 0;
}

// Whatever a file holds, a refused one changes nothing and sends nothing; an accepted one leaves
// every later step inside its tables, goes to the unit as the image of what the program holds,
// and saves to a file that loads back to the same configuration.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MainWindow& window = *fixture->window;
    const std::uint8_t slaves = static_cast<std::uint8_t>(size % 4);
    EditState(window.controller(), [&](corvane::MatrixState& s) { s.SlaveCount = slaves; });
    const std::string input = fixture->path("input.cvm");
    WriteFile(input, data, size);
    const std::vector<std::uint8_t> before = DataBytes(window);
    fixture->notifier.messages = 0;
    SentImages();

    window.controller().openFile(input);
    const MatrixFileLoad decoded = DecodeMatrixFile(std::span(data, size));
    if (!decoded.ok()) {
        check(fixture->notifier.messages == 1);
        check(DataBytes(window) == before);
        check(SentImages().empty());
        return 0;
    }
    check(fixture->notifier.messages == 0);
    check(window.controller().state().SlaveCount == slaves);
    check(window.controller().currentFile() == input);
    ReadAsTheViewsDo(window.controller().names(), window.controller().state());
    const std::vector<std::vector<std::uint8_t>> images = SentImages();
    check(images.size() == 1);
    const ImageBuffer image = EncodeConfigImage(window.controller().state());
    check(images[0].size() == static_cast<std::size_t>(kConfigImageSize) &&
          std::memcmp(images[0].data(), image.data(), kConfigImageSize) == 0);
    MatrixState echoed = window.controller().state();
    DecodeConfigImage(echoed, image);

    const std::vector<std::uint8_t> loaded = DataBytes(window);
    const std::string saved = fixture->path("saved.cvm");
    window.controller().saveFile(saved);
    check(fixture->notifier.messages == 0);
    window.controller().openFile(saved);
    check(fixture->notifier.messages == 0);
    check(DataBytes(window) == loaded);
    SentImages();
    return 0;
}
