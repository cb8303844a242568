#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "app/corvane.h"
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

QString FromLocal8Bit(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace

void TCorvane_Form::FileOpenDialog() {
    FileDialogRequest request;
    request.title = kOpenDialogTitle;
    request.filter = kMatrixFileFilter;
    request.folder = m_dialogFolder;
    if (CurrentMatrixFile != kNoMatrixFile) request.fileName = CurrentMatrixFile;
    if (const std::optional<std::string> path = ShowFileDialog(request)) FileOpen1Accept(*path);
}

void TCorvane_Form::FileSaveAsDialog() {
    FileDialogRequest request;
    request.save = true;
    request.title = m_saveWithoutName ? kSaveDialogTitle : kSaveAsDialogTitle;
    request.filter = kMatrixFileFilter;
    request.folder = m_dialogFolder;
    if (CurrentMatrixFile != kNoMatrixFile) request.fileName = CurrentMatrixFile;
    if (const std::optional<std::string> path = ShowFileDialog(request)) FileSaveAs1Accept(*path);
}

std::optional<std::string> TCorvane_Form::ShowFileDialog(const FileDialogRequest& request) {
    if (RunFileDialog) return RunFileDialog(request);

    MatrixFileDialog dialog(this, QString::fromLatin1(request.title), FromLocal8Bit(request.folder),
                            QString::fromLatin1(request.filter));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // A name typed for a missing file is returned; opening it then reports that it is missing.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QString::fromLatin1(kMatrixFileSuffix));
    if (!request.fileName.empty()) dialog.selectFile(FromLocal8Bit(request.fileName));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return QFile::encodeName(QDir::toNativeSeparators(files.first())).toStdString();
}

}  // namespace corvane
