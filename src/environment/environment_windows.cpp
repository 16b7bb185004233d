#include "environment_windows.h"

#include "edit_environment_command.h"
#include "effect_dialog.h"
#include "environment_dialog.h"
#include "mission_history.h"
#include "qt_text.h"
#include "window_placement.h"

#include <QComboBox>
#include <QLineEdit>

namespace kmission {

EnvironmentWindows::EnvironmentWindows(EditorState& state, MissionHistory& history,
                                       QWidget* mainWindow)
    : QObject(mainWindow), state_(state), history_(history), mainWindow_(mainWindow) {}

EnvironmentWindows::~EnvironmentWindows() {
    destroyWindows();
}

EffectDialog* EnvironmentWindows::effectDialog(EnvironmentKey effect) const {
    return effects_[KeyIndex(effect)];
}

void EnvironmentWindows::show() {
    if (state_.loadInProgress) {
        return;
    }
    if (!environment_) {
        environment_ = new EnvironmentDialog(mainWindow_);
        history_.addShortcutsTo(environment_);
        connect(environment_, &EnvironmentDialog::displayRequested, this,
                &EnvironmentWindows::display);
        connect(environment_, &EnvironmentDialog::okClicked, this, &EnvironmentWindows::accept);
        connect(environment_, &EnvironmentDialog::cancelClicked, this, &EnvironmentWindows::cancel);
        load();
    }
    environment_->show();
    environment_->raise();
    environment_->activateWindow();
}

void EnvironmentWindows::reloadIfOpen() {
    if (!environment_) {
        return;
    }
    const QPoint position = environment_->pos();
    closeAll();
    show();
    environment_->move(position);
}

void EnvironmentWindows::closeAll() {
    state_.environmentClosing = true;
    destroyWindows();
}

void EnvironmentWindows::load() {
    state_.environmentClosing = false;
    loaded_.reset();
    const int info = FindMissionInfo(state_.mission);
    if (info < 0) {
        return;
    }
    loaded_ =
        LoadEnvironment(state_.mission.missionEntries[static_cast<std::size_t>(info)].nodes, *this);
}

void EnvironmentWindows::display(const QString& entry) {
    const auto effect = EffectForListEntry(platform::ToCp1252(entry));
    if (!effect) {
        return;
    }
    EffectDialog* dialog = effects_[KeyIndex(*effect)];
    if (dialog == nullptr) {
        return;
    }
    // Beside the environment dialog, whose list and boxes stay in sight.
    if (!dialog->isVisible()) {
        platform::MoveBeside(*dialog, *environment_);
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

// A mission being read replaces the one these windows show; OK waits for it.
void EnvironmentWindows::accept() {
    if (state_.loadInProgress) {
        return;
    }
    state_.environmentClosing = true;
    const int info = FindMissionInfo(state_.mission);
    if (info < 0) {
        destroyWindows();
        return;
    }
    NodeList& nodes = state_.mission.missionEntries[static_cast<std::size_t>(info)].nodes;
    const NodeList before = nodes;
    WriteEnvironment(nodes, *this, loaded_);
    destroyWindows();
    history_.record(
        new EditEnvironmentCommand(history_, ChangedTexts(state_.mission, info, before)));
}

void EnvironmentWindows::cancel() {
    state_.environmentClosing = true;
    destroyWindows();
}

void EnvironmentWindows::destroyWindows() {
    for (QPointer<EffectDialog>& effect : effects_) {
        delete effect.data();
        effect = nullptr;
    }
    // The dialog may be inside the click of its own button: it goes once
    // that click is over, and a new one can be opened meanwhile.
    if (environment_) {
        environment_->hide();
        environment_->deleteLater();
        environment_ = nullptr;
    }
    loaded_.reset();
}

EffectDialog* EnvironmentWindows::loadEffect(EnvironmentKey effect) {
    QPointer<EffectDialog>& dialog = effects_[KeyIndex(effect)];
    if (!dialog) {
        dialog =
            new EffectDialog(EffectDialogLayout(effect), state_.environmentClosing, mainWindow_);
    }
    return dialog;
}

QWidget* EnvironmentWindows::control(EnvironmentKey key, const ValueSlot& slot) const {
    if (!IsEffect(key)) {
        return environment_ ? environment_->textBox(slot.control) : nullptr;
    }
    const EffectDialog* dialog = effects_[KeyIndex(key)];
    return dialog ? dialog->control(slot.control, slot.index) : nullptr;
}

void EnvironmentWindows::keyFound(EnvironmentKey key) {
    if (key == EnvironmentKey::JetCeiling) {
        environment_->tickJetCeiling();
    }
    if (IsEffect(key)) {
        environment_->addListEntry(platform::FromCp1252(KeyText(key)));
        loadEffect(key);
    }
}

void EnvironmentWindows::showValue(EnvironmentKey key, const ValueSlot& slot,
                                   std::string_view text) {
    QWidget* widget = control(key, slot);
    if (auto* choice = qobject_cast<QComboBox*>(widget)) {
        // Any other horizon text leaves the choice as it is.
        if (const int index = HorizonIndex(text); index >= 0) {
            choice->setCurrentIndex(index);
        }
    } else if (auto* box = qobject_cast<QLineEdit*>(widget)) {
        box->setText(platform::FromCp1252(text));
        box->setCursorPosition(0);
    }
}

std::optional<std::string> EnvironmentWindows::editedValue(EnvironmentKey key,
                                                           const ValueSlot& slot) const {
    QWidget* widget = control(key, slot);
    if (auto* choice = qobject_cast<QComboBox*>(widget)) {
        const int index = choice->currentIndex();
        if (index < 0 || index >= static_cast<int>(kHorizonModes.size())) {
            return std::nullopt;
        }
        return kHorizonModes[static_cast<std::size_t>(index)];
    }
    if (auto* box = qobject_cast<QLineEdit*>(widget)) {
        return platform::ToCp1252(box->text());
    }
    return std::nullopt;
}

} // namespace kmission
