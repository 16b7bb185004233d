#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLineEdit;
class QListWidget;

namespace kmission {

// The environment dialog `frmEnvironment` ("Environment Settings"): the list
// of the mission's effects with the Display button, the ambient temperature
// and jet ceiling boxes, and OK and Cancel. It has no close button and
// ignores Escape and Enter: OK and Cancel are the only ways out, and what
// they do belongs to the owner of the environment windows.
class EnvironmentDialog : public QDialog {
    Q_OBJECT
public:
    explicit EnvironmentDialog(QWidget* owner);

    // Appends an entry to `lstEnvProps` (list entries keep their order).
    void addListEntry(const QString& entry);
    // Ticks `chkJetCeiling`; nothing clears it.
    void tickJetCeiling();
    // The text box of that name, or null.
    QLineEdit* textBox(const char* name) const;

    // Escape and the window system's close request do nothing.
    void reject() override;

signals:
    // Display was clicked while `entry` was selected.
    void displayRequested(const QString& entry);
    void okClicked();
    void cancelClicked();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void display();

    QListWidget* lstEnvProps_ = nullptr;
    QCheckBox* chkJetCeiling_ = nullptr;
};

} // namespace kmission
