#include "fit_text.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

namespace kmission::platform {

namespace {

constexpr qreal kSmallestPoints = 6;
constexpr qreal kStepPoints = 0.5;

QString TextOf(const QWidget* control) {
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
        return label->text();
    }
    return static_cast<const QAbstractButton*>(control)->text();
}

// Where the control draws its text, as its style lays it out.
QRect TextRoom(const QWidget* control) {
    if (qobject_cast<const QLabel*>(control)) {
        return control->contentsRect();
    }
    const auto* button = static_cast<const QAbstractButton*>(control);
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    QStyle::SubElement element = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox*>(button)) {
        element = QStyle::SE_CheckBoxContents;
    } else if (qobject_cast<const QRadioButton*>(button)) {
        element = QStyle::SE_RadioButtonContents;
    }
    return button->style()->subElementRect(element, &option, button);
}

int TextFlags(const QWidget* control) {
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
        return static_cast<int>(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
    }
    return Qt::AlignCenter | Qt::TextShowMnemonic;
}

bool FitsIn(const QWidget* control, const QFont& font) {
    const QString text = TextOf(control);
    if (text.isEmpty()) {
        return true;
    }
    const QRect room = TextRoom(control);
    const QSize needed = QFontMetrics(font).boundingRect(room, TextFlags(control), text).size();
    return needed.width() <= room.width() && needed.height() <= room.height();
}

} // namespace

bool TextFits(const QWidget* control) {
    return FitsIn(control, control->font());
}

void FitTexts(QWidget* window) {
    QMap<QString, QList<QWidget*>> groups;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        const bool captioned = qobject_cast<QLabel*>(control) != nullptr ||
                               qobject_cast<QAbstractButton*>(control) != nullptr;
        if (captioned) {
            const QString key = QString("%1 %2 %3")
                                    .arg(control->metaObject()->className())
                                    .arg(control->height())
                                    .arg(control->font().toString());
            groups[key].append(control);
        }
    }
    for (const QList<QWidget*>& group : groups) {
        QFont font = group.first()->font();
        const auto fits = [&font](const QWidget* control) { return FitsIn(control, font); };
        if (std::all_of(group.begin(), group.end(), fits)) {
            continue;
        }
        while (font.pointSizeF() - kStepPoints >= kSmallestPoints &&
               !std::all_of(group.begin(), group.end(), fits)) {
            font.setPointSizeF(font.pointSizeF() - kStepPoints);
        }
        for (QWidget* control : group) {
            control->setFont(font);
        }
    }
}

} // namespace kmission::platform
