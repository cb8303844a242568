#pragma once

#include <QString>
#include <functional>

#include <optional>
#include <string>

class QWidget;

namespace corvane {

// What a file dialog is asked to show. Paths are single-byte text in the local 8-bit encoding.
struct FileDialogRequest {
    bool save = false;  // the save dialog, else the open dialog
    std::string title;
    std::string filter;
    std::string folder;    // initial folder; empty: the dialog's own choice
    std::string fileName;  // the name shown when the dialog opens
};

// Shows a file dialog and gives the chosen path, or nothing when it was cancelled.
using FileDialogRunner = std::function<std::optional<std::string>(const FileDialogRequest&)>;

// The matrix-file dialogs of the File menu.
class FileDialogs {
  public:
    explicit FileDialogs(QWidget* owner) : m_owner(owner) {}

    void setFolder(const std::string& folder) { m_folder = folder; }
    // Tests answer here instead of the real dialog.
    void setRunner(FileDialogRunner runner) { m_runner = std::move(runner); }

    // The file to open, starting from the current file when there is one.
    std::optional<std::string> askOpen(const std::optional<std::string>& current);
    // The name to save under; `untitled` when Save found no current file.
    std::optional<std::string> askSaveAs(const std::optional<std::string>& current, bool untitled);

  private:
    std::optional<std::string> show(const FileDialogRequest& request);

    QWidget* m_owner;
    std::string m_folder;
    FileDialogRunner m_runner;
};

}  // namespace corvane
