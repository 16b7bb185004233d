#include "environment_dialog.h"

#include "fit_text.h"
#include "twips.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <limits>

namespace kmission {

using platform::DesignRect;
using platform::Px;

namespace {

// The jet ceiling box only tells whether the mission has the setting: OK
// never reads it, so the user is not offered a change that would do nothing.
class IndicatorCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override {}
};

template <typename Control> Control* Place(Control* control, const char* name, QRect geometry) {
    control->setObjectName(name);
    control->setGeometry(geometry);
    return control;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, QRect geometry) {
    auto* button = Place(new QPushButton(caption, parent), name, geometry);
    // Neither Enter nor Escape may stand for a button of this dialog.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QLineEdit* MakeTextBox(QWidget* parent, const char* name, QRect geometry) {
    auto* box = Place(new QLineEdit(parent), name, geometry);
    box->setMaxLength(std::numeric_limits<int>::max());
    return box;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* caption, QRect geometry) {
    auto* label = Place(new QLabel(caption, parent), name, geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

EnvironmentDialog::EnvironmentDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName("frmEnvironment");
    setWindowTitle("Environment Settings");
    setFixedSize(Px(3000), Px(5085));
    setModal(false);

    // Created in tab order.
    lstEnvProps_ = Place(new QListWidget(this), "lstEnvProps", DesignRect(120, 120, 2775, 2010));
    lstEnvProps_->setSelectionMode(QAbstractItemView::SingleSelection);
    lstEnvProps_->setSortingEnabled(false);

    QPushButton* cmdView = MakeButton(this, "cmdView", "Display", DesignRect(120, 2220, 2775, 375));
    connect(cmdView, &QPushButton::clicked, this, &EnvironmentDialog::display);

    auto* frmMisc = Place(new QGroupBox(this), "frmMisc", DesignRect(120, 2700, 2775, 1695));
    MakeLabel(frmMisc, "lblAmbientTemperature",
              "Ambient Temperature:", DesignRect(180, 240, 1755, 255));
    MakeTextBox(frmMisc, "txtAmbientTemperature", DesignRect(360, 480, 2235, 285));
    chkJetCeiling_ = Place(new IndicatorCheckBox("Jet Ceiling", frmMisc), "chkJetCeiling",
                           DesignRect(180, 960, 1155, 255));
    MakeTextBox(frmMisc, "txtJetCeiling", DesignRect(420, 1260, 2175, 315));

    QPushButton* cmdOK = MakeButton(this, "cmdOK", "OK", DesignRect(120, 4560, 855, 375));
    connect(cmdOK, &QPushButton::clicked, this, &EnvironmentDialog::okClicked);
    QPushButton* cmdCancel =
        MakeButton(this, "cmdCancel", "Cancel", DesignRect(2040, 4560, 855, 375));
    connect(cmdCancel, &QPushButton::clicked, this, &EnvironmentDialog::cancelClicked);
    platform::FitTexts(this);
}

void EnvironmentDialog::addListEntry(const QString& entry) {
    lstEnvProps_->addItem(entry);
}

void EnvironmentDialog::tickJetCeiling() {
    chkJetCeiling_->setChecked(true);
}

QLineEdit* EnvironmentDialog::textBox(const char* name) const {
    return findChild<QLineEdit*>(name);
}

void EnvironmentDialog::reject() {}

void EnvironmentDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
}

// The current row alone is no choice: the list makes its first row current,
// unselected, when it takes the focus.
void EnvironmentDialog::display() {
    const QList<QListWidgetItem*> selected = lstEnvProps_->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    emit displayRequested(selected.front()->text());
}

} // namespace kmission
