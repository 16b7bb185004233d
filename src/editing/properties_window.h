#pragma once

#include "dialogs.h"
#include "editor_state.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace kmission {

class MissionHistory;
struct UnitTexts;

// The properties window `frmProperties`: a small tool window that stands to the
// left of the main window, shows the selected unit, lets the user type its X,
// Y and Z values and switches move mode (Move / Done).
class PropertiesWindow : public QDialog {
    Q_OBJECT
public:
    PropertiesWindow(EditorState& state, platform::Dialogs& dialogs, MissionHistory& history,
                     QWidget* mainWindow);
    ~PropertiesWindow() override;

    // Places the window so that its right edge meets the main window's left
    // edge, tops aligned, and shows it (not modal).
    void placeBesideMainWindow();

    // Shows a unit's values (the texts as stored).
    void showUnit(const UnitTexts& unit);
    // The X and Y rows after a move-mode drag.
    void showPosition(const std::string& x, const std::string& y);
    // Empty fields and move mode off: nothing of a previous mission is shown.
    void clear();
    // The selected unit's values again, after undo or redo changed them.
    void refreshUnit();

signals:
    // The map view must be repainted.
    void viewChanged();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    bool unitShown() const;
    void changeValue(int row);
    void toggleMove();
    void setMoveMode(bool on);
    void endMoveMode();

    EditorState& state_;
    platform::Dialogs& dialogs_;
    MissionHistory& history_;
    QLabel* lblName_ = nullptr;
    QLabel* lblX_ = nullptr;
    QLabel* lblY_ = nullptr;
    QLabel* lblZ_ = nullptr;
    QLabel* lblAngle_ = nullptr;
    QPushButton* cmdMove_ = nullptr;
};

} // namespace kmission
