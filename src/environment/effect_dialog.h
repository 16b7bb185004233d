#pragma once

#include "effect_layouts.h"

#include <QDialog>

namespace kmission {

// One effect's property dialog (`frmPropFog` ... `frmPropGlobalWind`), built
// from its layout table. It has no buttons: its close button only hides it
// while the environment dialog is open, so that what the user typed waits for
// OK or Cancel; once `closing` is set (by OK or Cancel) a close destroys it.
class EffectDialog : public QDialog {
    Q_OBJECT
public:
    EffectDialog(const EffectLayout& layout, const bool& closing, QWidget* owner);

    // The control of that name and, for a control array, that element; null
    // when the dialog has none.
    QWidget* control(const char* name, int index = -1) const;

    // Only the close box dismisses the dialog: Escape does nothing.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    const bool& closing_;
};

} // namespace kmission
