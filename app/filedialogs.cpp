#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "app/filedialogs.h"
#include "storage/diskfile.h"
#include "storage/matrixfile.h"

namespace corvane {

namespace {

constexpr char kOpenDialogTitle[] = "Opens a matrix file";
constexpr char kSaveAsDialogTitle[] = "Save a matrix file with a new name";
constexpr char kSaveDialogTitle[] = "Save a matrix file";
constexpr char kMatrixFileFilter[] = "Matrix files (*.cvm)";
constexpr char kMatrixFileSuffix[] = "CVM";

// The toolkit's own dialog, the same on every platform. Beyond what it checks itself it keeps the
// operator in the dialog for a name whose folder does not exist and for a write-protected file:
// neither could be saved, and a file the program cannot write back is not offered for opening.
class MatrixFileDialog final : public QFileDialog {
  public:
    using QFileDialog::QFileDialog;

    void accept() override {
        const QStringList files = selectedFiles();
        if (!files.isEmpty()) {
            const QFileInfo info(files.first());
            if (!info.isDir()) {
                if (!info.absoluteDir().exists()) {
                    refuse(tr("%1\nThe folder does not exist.\nCheck the path and try again."), info);
                    return;
                }
                if (info.exists() && !info.isWritable()) {
                    refuse(tr("%1\nThe file is write-protected.\nChoose another name."), info);
                    return;
                }
            }
        }
        QFileDialog::accept();
    }

  private:
    void refuse(const QString& text, const QFileInfo& info) {
        QMessageBox::warning(this, windowTitle(),
                             text.arg(QDir::toNativeSeparators(info.absoluteFilePath())));
    }
};

}  // namespace

std::optional<std::string> FileDialogs::askOpen(const std::optional<std::string>& current) {
    FileDialogRequest request;
    request.title = kOpenDialogTitle;
    request.filter = kMatrixFileFilter;
    request.folder = m_folder;
    if (current) request.fileName = *current;
    return show(request);
}

std::optional<std::string> FileDialogs::askSaveAs(const std::optional<std::string>& current, bool untitled) {
    FileDialogRequest request;
    request.save = true;
    request.title = untitled ? kSaveDialogTitle : kSaveAsDialogTitle;
    request.filter = kMatrixFileFilter;
    request.folder = m_folder;
    if (current) request.fileName = *current;
    return show(request);
}

std::optional<std::string> FileDialogs::show(const FileDialogRequest& request) {
    if (m_runner) return m_runner(request);

    MatrixFileDialog dialog(m_owner, QString::fromLatin1(request.title), PathText(request.folder),
                            QString::fromLatin1(request.filter));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // A name typed for a missing file is returned; opening it then reports that it is missing.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QString::fromLatin1(kMatrixFileSuffix));
    if (!request.fileName.empty()) dialog.selectFile(PathText(request.fileName));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return PathBytes(QDir::toNativeSeparators(files.first()));
}

}  // namespace corvane
