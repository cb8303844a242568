#include <QAction>
#include <QFile>

#include "app/corvane.h"
#include "storage/matrixfile.h"

namespace corvane {

namespace {

constexpr char kFileNewTitle[] = "File New";
constexpr char kFileNewQuestion[] = " Are you sure to clear the memory? ";
constexpr char kFileOpenTitle[] = "File Open";
constexpr char kFileReopenTitle[] = "File Reopen";

// The blank configuration: default names, every route of every slot open, no memory and nothing
// unsaved, the first arrangement and unit in normal routing. The unit count is the hardware's.
void ClearConfiguration(NameTable& names, MatrixState& state) {
    names.setDefaults();
    for (int u = 0; u < kUnits; ++u) {
        for (auto& slot : state.LineRoute[u])
            for (std::uint8_t& route : slot) route = kDisconnected;
        for (auto& slot : state.ChannelRoute[u])
            for (std::uint8_t& route : slot) route = kNoLine;
        state.CurrentMemory[u] = 0;
        state.UnsavedFlags[u] = 0;
    }
    state.MatrixLayout = 0;
    state.SelectedUnit = 0;
    state.ReverseMode = 0;
}

}  // namespace

void TCorvane_Form::FileNew1Execute() {
    if (!m_notifier.confirm(kFileNewTitle, kFileNewQuestion, MessageIcon::Information)) return;
    ClearConfiguration(m_names, m_state);
    setWindowTitle(QString::fromLatin1(kMainTitle));
    CurrentMatrixFile = std::string(kNoMatrixFile);
    ShowConfiguration();
    SendConfigImage();
}

void TCorvane_Form::FileSaveExecute() {
    if (CurrentMatrixFile != kNoMatrixFile) {
        SaveMatrixFile(CurrentMatrixFile);
        return;
    }
    m_saveWithoutName = true;
    FileSaveAsDialog();
    m_saveWithoutName = false;
}

void TCorvane_Form::FileSaveAs1Accept(const std::string& path) {
    // Set before saving, so a failed save still leaves the new name as the current file.
    CurrentMatrixFile = path;
    SaveMatrixFile(CurrentMatrixFile);
}

void TCorvane_Form::FileOpen1Accept(const std::string& path) {
    LoadMatrixFile(path, kFileOpenTitle);
}

void TCorvane_Form::SaveMatrixFile(const std::string& path) {
    if (path == kNoMatrixFile) return;
    const MatrixFileSave saved = corvane::SaveMatrixFile(path, m_names, m_state);
    if (!saved.ok()) {
        m_notifier.showFileMessage(kMainTitle, saved.message, MessageIcon::None);
        return;
    }
    SetFileCaption(path);
    AddRecentFile(path);
}

void TCorvane_Form::LoadMatrixFile(const std::string& path, const char* title, int reopenIndex) {
    if (path == kNoMatrixFile) return;
    // The file is read and checked in full before anything live changes.
    const MatrixFileLoad loaded = ReadMatrixFile(path);
    if (!loaded.ok()) {
        if (loaded.status == MatrixFileStatus::ChecksumError)
            m_notifier.showMessage(title, loaded.message, MessageIcon::Error);
        else
            m_notifier.showFileMessage(kMainTitle, loaded.message, MessageIcon::None);
        // Only a file that is gone leaves the list; one that is damaged may yet be mended.
        if (loaded.status == MatrixFileStatus::CannotOpen && reopenIndex >= 0) RemoveRecentFile(reopenIndex);
        return;
    }

    ApplyMatrixFile(loaded.contents, m_names, m_state);
    CurrentMatrixFile = path;
    SetFileCaption(path);

    for (int layout = 0; layout < kLayouts; ++layout) {
        if (QAction* command = MatrixCommands[layout]) command->setChecked(layout == m_state.MatrixLayout);
    }
    ShowConfiguration();
    AddRecentFile(path);
    // The loaded configuration goes to the units at once; a failed transfer reports itself and the
    // program keeps what it loaded.
    SendConfigImage();
}

void TCorvane_Form::ReopenExecute(int index) {
    if (index < 0 || index >= kRecentFiles) return;
    const QAction* entry = Reopen[index];
    // An entry without a path has no command.
    if (!entry || !entry->isVisible()) return;
    // The entry keeps the path's own bytes beside its caption, so no round trip through the
    // displayed text can alter it.
    const QByteArray path = entry->data().toByteArray();
    LoadMatrixFile(path.toStdString(), kFileReopenTitle, index);
}

void TCorvane_Form::LoadRecentFiles() {
    if (m_settings) ApplyReopenUpdate(m_recentFiles.load(m_settings->ReadRecentFiles()));
}

void TCorvane_Form::SetFileCaption(const std::string& path) {
    // The caption is single-byte text: the path is decoded from the file system's encoding and
    // what has no single byte shows as '?'.
    const std::string name =
        CaptionFileName(QFile::decodeName(QByteArray::fromStdString(path)).toLatin1().toStdString());
    setWindowTitle(QString::fromLatin1(FillFormat(matrixfile::kCaptionFormat, {name})));
}

void TCorvane_Form::AddRecentFile(const std::string& path) {
    ApplyReopenUpdate(m_recentFiles.add(path));
}

void TCorvane_Form::RemoveRecentFile(int index) {
    ApplyReopenUpdate(m_recentFiles.remove(index));
}

void TCorvane_Form::ApplyReopenUpdate(const ReopenUpdate& update) {
    for (int i = 0; i < kRecentFiles; ++i) {
        QAction* entry = Reopen[i];
        if (!entry) continue;
        switch (update[i].change) {
            case ReopenChange::Keep:
                break;
            case ReopenChange::Show: {
                const QByteArray path = QByteArray::fromStdString(update[i].caption);
                // Menu texts take '&' as a mnemonic marker; a path shows it as it is.
                entry->setText(QFile::decodeName(path).replace(QLatin1Char('&'), QLatin1String("&&")));
                entry->setData(path);
                entry->setVisible(true);
                break;
            }
            case ReopenChange::Hide:
                entry->setText(QString());
                entry->setData(QVariant());
                entry->setVisible(false);
                break;
        }
    }
}

}  // namespace corvane
