#pragma once

#include <QAction>
#include <QFile>
#include <QTemporaryDir>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "device/configimage.h"
#include "device/requests.h"
#include "formfixture.h"
#include "storage/matrixfile.h"

// The main window with its file dialogs answered by the test and a folder for matrix files.
struct FileFormFixture : FormFixture {
    using Dialog = corvane::FileDialogRequest;

    explicit FileFormFixture(int slaves = 3) : FormFixture(slaves) {}

    corvane::MainWindow& open() {
        corvane::MainWindow& window = FormFixture::open();
        answerDialogs(window);
        return window;
    }

    void answerDialogs(corvane::MainWindow& window) {
        window.fileDialogs().setRunner([this](const Dialog& request) {
            dialogs.push_back(request);
            std::optional<std::string> answer;
            if (!answers.empty()) {
                answer = answers.front();
                answers.pop_front();
            }
            return answer;
        });
    }

    std::string path(const char* name) const {
        return files.filePath(QString::fromLatin1(name)).toStdString();
    }

    std::vector<std::uint8_t> requestedImage() {
        std::vector<std::uint8_t> image;
        int count = 0;
        for (const corvane::UsbRequest& r : takeRequests()) {
            if (r.request != static_cast<std::uint8_t>(corvane::RequestCode::WriteImage)) continue;
            image = r.data;
            ++count;
        }
        return count == 1 ? image : std::vector<std::uint8_t>{};
    }

    QTemporaryDir files;
    std::deque<std::optional<std::string>> answers;
    std::vector<Dialog> dialogs;
};

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    QFile file(QString::fromStdString(path));
    if (file.open(QIODevice::WriteOnly))
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray data = file.readAll();
    return {data.begin(), data.end()};
}

// A configuration unlike the unit's: named and routed, stored memories, unit 2 selected in the
// second arrangement, written by a system with no slaves.
inline std::vector<std::uint8_t> StudioFile() {
    corvane::NameTable names{};
    names.setDefaults();
    names.setLineName(0, 0, "Studio A");
    names.setChannelName(2, 3, "Talkback");
    corvane::MatrixState state{};
    for (auto& unit : state.LineRoute)
        for (auto& slot : unit)
            for (auto& route : slot) route = corvane::kDisconnected;
    for (auto& unit : state.ChannelRoute)
        for (auto& slot : unit)
            for (auto& route : slot) route = corvane::kNoLine;
    state.LineRoute[2][0][5] = 1;
    state.LineRoute[1][3][15] = 3;
    state.ChannelRoute[2][0][1] = 5;
    state.CurrentMemory[2] = 4;
    state.MatrixLayout = 1;
    state.SlaveCount = 0;
    state.SelectedUnit = 2;
    state.UnsavedFlags[1] = 1;
    const corvane::MatrixFileBytes bytes = corvane::EncodeMatrixFile(names, state);
    return {bytes.begin(), bytes.end()};
}

inline std::vector<std::uint8_t> ImageOf(const corvane::MatrixState& state) {
    const corvane::ImageBuffer image = corvane::EncodeConfigImage(state);
    return {image.begin(), image.begin() + corvane::kConfigImageSize};
}
