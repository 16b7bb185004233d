#include "properties_window.h"

#include "change_unit_value_command.h"
#include "fit_text.h"
#include "mission_history.h"
#include "qt_text.h"
#include "twips.h"
#include "unit_editing.h"

#include <QHideEvent>
#include <QLabel>
#include <QPushButton>

#include <optional>

namespace kmission {

using platform::DesignRect;
using platform::Px;

namespace {

// Caption labels stand right-aligned before the framed value labels.
QLabel* MakeCaption(QWidget* parent, const char* name, const char* text, QRect geometry) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLabel* MakeValue(QWidget* parent, const char* name, QRect geometry) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return label;
}

constexpr const char* kRowLetters[] = {"X", "Y", "Z"};

} // namespace

PropertiesWindow::PropertiesWindow(EditorState& state, platform::Dialogs& dialogs,
                                   MissionHistory& history, QWidget* mainWindow)
    : QDialog(mainWindow,
              Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      state_(state), dialogs_(dialogs), history_(history) {
    setObjectName("frmProperties");
    setWindowTitle("Properties");
    setFixedSize(Px(2055), Px(1875));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    history_.addShortcutsTo(this);

    lblName_ = MakeValue(this, "lblName", DesignRect(600, 120, 1395, 255));
    MakeCaption(this, "Label1", "Name:", DesignRect(0, 120, 555, 255));
    MakeCaption(this, "Label2", "X:", DesignRect(300, 420, 255, 255));
    MakeCaption(this, "Label3", "Y:", DesignRect(300, 720, 255, 255));
    MakeCaption(this, "Label4", "Z:", DesignRect(300, 1020, 255, 255));
    lblX_ = MakeValue(this, "lblX", DesignRect(600, 420, 1395, 255));
    lblY_ = MakeValue(this, "lblY", DesignRect(600, 720, 1395, 255));
    lblZ_ = MakeValue(this, "lblZ", DesignRect(600, 1020, 1395, 255));
    MakeCaption(this, "Label5", "Angle:", DesignRect(0, 1320, 555, 255));
    lblAngle_ = MakeValue(this, "lblAngle", DesignRect(600, 1320, 1395, 255));

    cmdMove_ = new QPushButton("Move", this);
    cmdMove_->setObjectName("cmdMove");
    cmdMove_->setGeometry(DesignRect(60, 1620, 735, 255));
    cmdMove_->setAutoDefault(false);
    connect(cmdMove_, &QPushButton::clicked, this, &PropertiesWindow::toggleMove);

    // The ".." buttons are one indexed array: row 0 X, 1 Y, 2 Z.
    const int rowTops[] = {420, 720, 1020};
    for (int row = 0; row < 3; ++row) {
        auto* change = new QPushButton("..", this);
        change->setObjectName("cmdChange");
        change->setProperty("index", row);
        change->setGeometry(DesignRect(60, rowTops[row], 255, 195));
        change->setAutoDefault(false);
        connect(change, &QPushButton::clicked, this, [this, row] { changeValue(row); });
    }
    platform::FitTexts(this);
}

// The window is shown first: only then does the window system know the size
// of its frame, which is part of the width that has to fit beside the main window.
void PropertiesWindow::placeBesideMainWindow() {
    show();
    const QRect main = parentWidget()->frameGeometry();
    move(main.left() - frameGeometry().width(), main.top());
    raise();
}

void PropertiesWindow::showUnit(const UnitTexts& unit) {
    lblName_->setText(platform::FromCp1252(unit.name));
    lblX_->setText(platform::FromCp1252(unit.x));
    lblY_->setText(platform::FromCp1252(unit.y));
    lblZ_->setText(platform::FromCp1252(unit.z));
    lblAngle_->setText(platform::FromCp1252(unit.angle));
}

void PropertiesWindow::showPosition(const std::string& x, const std::string& y) {
    lblX_->setText(platform::FromCp1252(x));
    lblY_->setText(platform::FromCp1252(y));
}

void PropertiesWindow::clear() {
    for (QLabel* label : {lblName_, lblX_, lblY_, lblZ_, lblAngle_}) {
        label->clear();
    }
    setMoveMode(false);
}

void PropertiesWindow::refreshUnit() {
    if (unitShown() && SelectionIsUnit(state_)) {
        showUnit(*SelectedUnitTexts(state_));
    }
}

// Every command of the window waits for a unit to be shown.
bool PropertiesWindow::unitShown() const {
    return !lblName_->text().isEmpty();
}

void PropertiesWindow::changeValue(int row) {
    if (!unitShown() || !SelectionIsUnit(state_) || state_.loadInProgress) {
        return;
    }
    const std::string letter = kRowLetters[row];
    const auto node = [this, row]() -> ReaderNode& {
        return state_.mission.missionEntries[static_cast<std::size_t>(state_.selectedEntry)]
            .nodes[static_cast<std::size_t>(RowNode(state_, row))];
    };
    const std::string answer =
        dialogs_.inputBox("Value to Change " + letter, letter, node().text());
    // The selection is checked again, as the mission may have changed while
    // the question was open.
    const std::optional<std::string> before =
        SelectionIsUnit(state_) ? std::optional<std::string>(node().text()) : std::nullopt;
    if (!state_.loadInProgress && ChangeUnitValue(state_, row, answer)) {
        QLabel* rowLabels[] = {lblX_, lblY_, lblZ_};
        rowLabels[row]->setText(platform::FromCp1252(answer));
        history_.record(new ChangeUnitValueCommand(
            history_, {{state_.selectedEntry, RowNode(state_, row), *before, answer}}));
    }
    emit viewChanged();
}

void PropertiesWindow::toggleMove() {
    if (!unitShown()) {
        return;
    }
    setMoveMode(!state_.moveMode);
    emit viewChanged();
}

void PropertiesWindow::setMoveMode(bool on) {
    state_.moveMode = on;
    cmdMove_->setText(on ? "Done" : "Move");
}

// Whatever takes the window away (its close box, Escape, hiding it or
// deleting it) ends move mode: there would be no button left to end it. A
// hide that the window system makes on its own, as when the main window is
// minimised, leaves the window and its button to come back as they were.
void PropertiesWindow::hideEvent(QHideEvent* event) {
    if (!event->spontaneous()) {
        endMoveMode();
    }
    QDialog::hideEvent(event);
}

PropertiesWindow::~PropertiesWindow() {
    endMoveMode();
}

void PropertiesWindow::endMoveMode() {
    if (state_.moveMode) {
        setMoveMode(false);
        emit viewChanged();
    }
}

} // namespace kmission
