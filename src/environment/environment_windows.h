#pragma once

#include "editor_state.h"
#include "environment_values.h"

#include <QObject>
#include <QPointer>

#include <array>

class QWidget;

namespace kmission {

class EffectDialog;
class EnvironmentDialog;
class MissionHistory;

// The seven environment windows of the open mission: the environment dialog
// and one effect dialog per effect the mission has. Their controls are the
// working copy of the environment from the load until OK or Cancel; only OK
// writes it into the mission's info entry. Owned by the main window, which
// also owns the windows (they stand over it and close with it).
class EnvironmentWindows : public QObject, private EnvironmentControls {
    Q_OBJECT
public:
    EnvironmentWindows(EditorState& state, MissionHistory& history, QWidget* mainWindow);
    ~EnvironmentWindows() override;

    // Mission > Environment once a mission is open: creates and loads the
    // environment dialog when there is none and shows it (not modal);
    // otherwise only brings it forward, reloading nothing. Does nothing while
    // a mission is being read.
    void show();

    // Loads the environment dialog afresh from the mission when it is open:
    // undo or redo changed the values it shows.
    void reloadIfOpen();

    // Destroys every environment window without writing anything back: the
    // mission they were loaded from is being replaced, or the program ends.
    void closeAll();

    // The windows as they are now; null when not loaded.
    EnvironmentDialog* environmentDialog() const { return environment_; }
    EffectDialog* effectDialog(EnvironmentKey effect) const;

private:
    void load();
    void display(const QString& entry);
    void accept();
    void cancel();
    void destroyWindows();
    EffectDialog* loadEffect(EnvironmentKey effect);
    QWidget* control(EnvironmentKey key, const ValueSlot& slot) const;

    void keyFound(EnvironmentKey key) override;
    void showValue(EnvironmentKey key, const ValueSlot& slot, std::string_view text) override;
    std::optional<std::string> editedValue(EnvironmentKey key,
                                           const ValueSlot& slot) const override;

    EditorState& state_;
    MissionHistory& history_;
    QWidget* mainWindow_ = nullptr;
    QPointer<EnvironmentDialog> environment_;
    std::array<QPointer<EffectDialog>, kEnvironmentKeyCount> effects_;
    // The keys the last load found: OK writes nothing else.
    EnvironmentKeySet loaded_;
};

} // namespace kmission
