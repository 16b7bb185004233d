#pragma once

#include "dialogs.h"

#include <QStringList>

class QWidget;

namespace kmission::platform {

// Dialogs shown as Qt windows, modal to `parent`. Message boxes carry no icon
// unless a question is asked and only the buttons asked for; windows-1252
// texts are shown as Unicode. The file dialogs are Qt's own (not the desktop's)
// off Windows, so that they show the game's files whatever their letter case.
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}

    // The window the dialogs stand over; they are modal to it.
    void setParent(QWidget* parent) { parent_ = parent; }

    DialogButton showMessage(const Message& message) override;
    std::string inputBox(std::string_view prompt, std::string_view title,
                         std::string_view defaultText) override;
    std::optional<std::string> openFile(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;

private:
    std::optional<std::string> runFileDialog(const FileDialogRequest& request, bool save);

    QWidget* parent_;
};

// A Windows filter text ("description|pattern|description|pattern", patterns
// of one pair separated by ";") as Qt name filters: "description (pattern)".
// A description without its pattern is dropped.
QStringList ToQtNameFilters(std::string_view filter);

} // namespace kmission::platform
