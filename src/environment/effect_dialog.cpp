#include "effect_dialog.h"

#include "fit_text.h"
#include "twips.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>

#include <limits>

namespace kmission {

using platform::Px;

namespace {

void MakeControl(const ControlLayout& layout, QWidget* parent) {
    QWidget* widget = nullptr;
    switch (layout.kind) {
    case ControlKind::Label: {
        auto* label = new QLabel(layout.caption, parent);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        widget = label;
        break;
    }
    case ControlKind::TextBox: {
        auto* box = new QLineEdit(parent);
        // Node texts are shown whole, however long.
        box->setMaxLength(std::numeric_limits<int>::max());
        widget = box;
        break;
    }
    case ControlKind::Line: {
        auto* line = new QFrame(parent);
        line->setFrameStyle(QFrame::HLine | QFrame::Plain);
        line->setLineWidth(1);
        widget = line;
        break;
    }
    case ControlKind::Choice: {
        auto* choice = new QComboBox(parent);
        choice->setEditable(false);
        for (const char* mode : kHorizonModes) {
            choice->addItem(mode);
        }
        // Adding the first entry selects it; a fresh dialog has no horizon chosen.
        choice->setCurrentIndex(-1);
        widget = choice;
        break;
    }
    }
    widget->setObjectName(layout.name);
    if (layout.index >= 0) {
        widget->setProperty("index", layout.index);
    }
    // A line is as thin as a pen, whatever its height in the table.
    const int height = layout.kind == ControlKind::Line ? 1 : Px(layout.height);
    widget->setGeometry(Px(layout.left), Px(layout.top), Px(layout.width), height);
}

} // namespace

EffectDialog::EffectDialog(const EffectLayout& layout, const bool& closing, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint),
      closing_(closing) {
    setObjectName(layout.name);
    setWindowTitle(layout.caption);
    setFixedSize(Px(layout.clientWidth), Px(layout.clientHeight));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    for (const ControlLayout& control : layout.controls) {
        MakeControl(control, this);
    }
    platform::FitTexts(this);
}

QWidget* EffectDialog::control(const char* name, int index) const {
    for (QWidget* widget : findChildren<QWidget*>(name, Qt::FindDirectChildrenOnly)) {
        const QVariant element = widget->property("index");
        if (index < 0 ? !element.isValid() : element.isValid() && element.toInt() == index) {
            return widget;
        }
    }
    return nullptr;
}

void EffectDialog::reject() {}

void EffectDialog::closeEvent(QCloseEvent* event) {
    if (!closing_) {
        hide();
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace kmission
