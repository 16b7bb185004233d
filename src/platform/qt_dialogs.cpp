#include "qt_dialogs.h"

#include "native_path.h"
#include "qt_text.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

namespace kmission::platform {

namespace {

// Qt's file dialog accepts a name in a folder that does not exist; the common
// dialog's "path must exist" refuses it and keeps the dialog open.
class CommonFileDialog final : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void setPathMustExist(bool on) { pathMustExist_ = on; }

    void accept() override {
        const QStringList files = selectedFiles();
        if (pathMustExist_ && !files.isEmpty()) {
            const QFileInfo chosen(files.first());
            if (!chosen.isDir() && !chosen.absoluteDir().exists()) {
                QMessageBox::warning(this, windowTitle(),
                                     QDir::toNativeSeparators(chosen.absolutePath()) +
                                         QStringLiteral("\nPath does not exist."));
                return;
            }
        }
        QFileDialog::accept();
    }

private:
    bool pathMustExist_ = false;
};

} // namespace

QStringList ToQtNameFilters(std::string_view filter) {
    const QStringList parts = FromCp1252(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        filters << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return filters;
}

DialogButton QtDialogs::showMessage(const Message& message) {
    QMessageBox box(parent_);
    box.setWindowTitle(FromCp1252(message.title));
    box.setTextFormat(Qt::PlainText);
    box.setText(FromCp1252(message.text));
    box.setIcon(message.icon == MessageIcon::Question ? QMessageBox::Question
                                                      : QMessageBox::NoIcon);
    const bool question = message.buttons == MessageButtons::YesNoCancel;
    if (question) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
    }
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes:
        return DialogButton::Yes;
    case QMessageBox::No:
        return DialogButton::No;
    case QMessageBox::Cancel:
        return DialogButton::Cancel;
    case QMessageBox::Ok:
        return DialogButton::Ok;
    default:
        return question ? DialogButton::Cancel : DialogButton::Ok;
    }
}

std::string QtDialogs::inputBox(std::string_view prompt, std::string_view title,
                                std::string_view defaultText) {
    bool accepted = false;
    const QString text =
        QInputDialog::getText(parent_, FromCp1252(title), FromCp1252(prompt), QLineEdit::Normal,
                              FromCp1252(defaultText), &accepted);
    return accepted ? ToCp1252(text) : std::string();
}

std::optional<std::string> QtDialogs::openFile(const FileDialogRequest& request) {
    return runFileDialog(request, false);
}

std::optional<std::string> QtDialogs::saveFile(const FileDialogRequest& request) {
    return runFileDialog(request, true);
}

std::optional<std::string> QtDialogs::runFileDialog(const FileDialogRequest& request, bool save) {
    // The folder as the user knows it: "~/Games/korvane/pbd" rather than the
    // way through the prefix's drive link ("prefix/dosdevices/z:/...").
    const QString folder =
        QFile::decodeName(QByteArray::fromStdString(ToNativePath(request.initialFolder)));
    const QString realFolder = QFileInfo(folder).canonicalFilePath();
    CommonFileDialog dialog(parent_, FromCp1252(request.title),
                            realFolder.isEmpty() ? folder : realFolder);
#ifndef _WIN32
    // The desktop's dialogs match patterns with letter case; Qt's own can be
    // told not to.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
#endif
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode((request.options & kFileMustExist) != 0 ? QFileDialog::ExistingFile
                                                               : QFileDialog::AnyFile);
    // Asking about an existing file is the caller's business unless requested.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, (request.options & kOverwritePrompt) == 0);
    dialog.setPathMustExist((request.options & kPathMustExist) != 0);
    // Game files come in any letter case ("READERMP01.PBD", "readermp01.pbd");
    // the pattern must find them all, as it does on Windows.
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    dialog.setNameFilters(ToQtNameFilters(request.filter));
    QString suffix = FromCp1252(request.defaultExtension);
    if (suffix.startsWith(QLatin1Char('.'))) {
        suffix.remove(0, 1);
    }
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) {
        return std::nullopt;
    }
    return QFile::encodeName(QDir::toNativeSeparators(files.first())).toStdString();
}

} // namespace kmission::platform
