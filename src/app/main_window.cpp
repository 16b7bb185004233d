#include "main_window.h"

#include "about_dialog.h"
#include "app_icon.h"
#include "environment_dialog.h"
#include "environment_windows.h"
#include "fit_text.h"
#include "map_mouse.h"
#include "map_view.h"
#include "mission_history.h"
#include "mission_name.h"
#include "properties_window.h"
#include "qt_text.h"
#include "twips.h"
#include "view_transform.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

namespace kmission {

using platform::DesignRect;
using platform::Px;

namespace {

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, QRect geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    return button;
}

QAction* MakeAction(QMenu* menu, const char* name, const char* caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

} // namespace

KMission::KMission(EditorState& state, platform::Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), state_(state), dialogs_(dialogs) {
    setObjectName("KMission");
    setWindowTitle(kWindowTitle);
    setWindowIcon(AppIcon());
    history_ = new MissionHistory(state_, this);
    history_->addShortcutsTo(this);
    buildControls();
    buildMenus();
    environment_ = new EnvironmentWindows(state_, *history_, this);
    connect(this, &KMission::missionReplaced, environment_, &EnvironmentWindows::closeAll);
    connect(this, &KMission::closing, environment_, &EnvironmentWindows::closeAll);
    // Undo and redo belong to one mission; what they change is shown at once.
    connect(this, &KMission::missionReplaced, history_, &MissionHistory::clear);
    connect(history_, &MissionHistory::unitTextsChanged, this, [this] {
        picture1_->update();
        if (properties_) {
            properties_->refreshUnit();
        }
    });
    connect(history_, &MissionHistory::missionNameChanged, this, &KMission::showMissionName);
    connect(history_, &MissionHistory::environmentChanged, environment_,
            &EnvironmentWindows::reloadIfOpen);
    // The design client area: 9720 x 7695 twips below the menu bar.
    resize(Px(9720), Px(7695) + menuBar()->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

KMission::~KMission() = default;

void KMission::buildControls() {
    auto* client = new QWidget(this);
    client->setObjectName("client");
    setCentralWidget(client);
    client->installEventFilter(this);

    picture1_ = new MapView(state_, client);
    picture1_->setGeometry(DesignRect(60, 360, 9600, 7200));

    picture2_ = new QWidget(client);
    picture2_->setObjectName("Picture2");
    picture2_->setGeometry(DesignRect(6720, 720, 2955, 1995));
    picture2_->hide();

    cmdZoomOut_ = MakeButton(client, "cmdZoomOut", "Zoom Out", DesignRect(120, 60, 855, 255));
    cmdZoomIn_ = MakeButton(client, "cmdZoomIn", "Zoom In", DesignRect(1080, 60, 855, 255));
    command1_ = MakeButton(client, "Command1", "Reset", DesignRect(2040, 60, 855, 255));

    lblX_ = new QLabel(client);
    lblX_->setObjectName("lblX");
    lblX_->setGeometry(DesignRect(3480, 0, 1455, 255));
    lblY_ = new QLabel(client);
    lblY_->setObjectName("lblY");
    lblY_->setGeometry(DesignRect(5280, 0, 1335, 255));

    // Node Shift is part of the design but hidden; nothing shows it.
    command2_ = MakeButton(client, "Command2", "Node Shift", DesignRect(7740, 0, 1155, 315));
    command2_->hide();
    platform::FitTexts(client);

    setTabOrder(picture1_, cmdZoomOut_);
    setTabOrder(cmdZoomOut_, cmdZoomIn_);
    setTabOrder(cmdZoomIn_, command1_);

    connect(cmdZoomIn_, &QPushButton::clicked, this, [this] { zoom(kZoomInFactor); });
    connect(cmdZoomOut_, &QPushButton::clicked, this, [this] { zoom(kZoomOutFactor); });
    connect(command1_, &QPushButton::clicked, this, &KMission::resetView);
    connect(command2_, &QPushButton::clicked, this,
            [this] { state_.nodeShiftMode = !state_.nodeShiftMode; });

    new MapMouse(state_, *history_, *picture1_, *lblX_, *lblY_,
                 [this] { return propertiesWindow(); });
    // A newly opened mission starts with nothing selected and move mode off.
    connect(this, &KMission::missionReplaced, this, [this] {
        if (properties_) {
            properties_->clear();
        }
        state_.moveMode = false;
    });
}

void KMission::buildMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("mnufile");
    connect(MakeAction(file, "mnufileopen", "&Open"), &QAction::triggered, this,
            &KMission::openMission);
    connect(MakeAction(file, "mnuFileSave", "&Save"), &QAction::triggered, this,
            &KMission::saveMission);
    file->addSeparator()->setObjectName("mnufilesep1");
    connect(MakeAction(file, "mnufileexit", "&Exit"), &QAction::triggered, this, &QWidget::close);

    QMenu* mission = menuBar()->addMenu("&Mission");
    mission->setObjectName("mnuMission");
    connect(MakeAction(mission, "mnuMissionName", "&Name"), &QAction::triggered, this,
            &KMission::renameMission);
    connect(MakeAction(mission, "mnuEnvironment", "&Environment"), &QAction::triggered, this,
            &KMission::showEnvironment);
    mnumaps_ = mission->addMenu("&Map");
    mnumaps_->setObjectName("mnumaps");
    fillMapMenu();

    QMenu* view = menuBar()->addMenu("&View");
    view->setObjectName("mnuView");
    connect(MakeAction(view, "mnuViewProps", "&Properties"), &QAction::triggered, this,
            &KMission::showProperties);

    QAction* about = menuBar()->addAction("&About");
    about->setObjectName("mnuAbout");
    connect(about, &QAction::triggered, this, &KMission::showAbout);
}

// One item per catalogue map, captioned with its 12-character name as stored;
// without maps the design item "maps" stays (and does nothing but move its check).
void KMission::fillMapMenu() {
    qDeleteAll(mnumaparray_);
    mnumaparray_.clear();
    const auto addItem = [this](const QString& caption) {
        QAction* item = mnumaps_->addAction(caption);
        const int index = static_cast<int>(mnumaparray_.size());
        item->setObjectName("mnumaparray");
        item->setProperty("index", index);
        item->setData(index + 1); // the tag: the 1-based catalogue index
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, index] { chooseMapItem(index); });
        mnumaparray_.append(item);
    };
    if (state_.mapCatalogue.empty()) {
        addItem("maps");
        return;
    }
    for (const MapInfo& map : state_.mapCatalogue) {
        addItem(platform::FromCp1252(map.name));
    }
}

// Clicking a map item only moves the check mark: the mission and its map stay.
void KMission::chooseMapItem(int index) {
    for (QAction* item : mnumaparray_) {
        item->setChecked(false);
    }
    mnumaparray_[index]->setChecked(true);
}

PropertiesWindow* KMission::propertiesWindow() {
    if (!properties_) {
        properties_ = new PropertiesWindow(state_, dialogs_, *history_, this);
        connect(properties_, &PropertiesWindow::viewChanged, picture1_, &MapView::repaintNow);
    }
    return properties_;
}

void KMission::showProperties() {
    propertiesWindow()->placeBesideMainWindow();
}

void KMission::showAbout() {
    AboutDialog about(dialogs_, this);
    about.setWindowIcon(windowIcon());
    about.exec();
}

// The environment settings need an open mission's map; before one the command
// does nothing.
void KMission::showEnvironment() {
    if (!state_.mapLoaded) {
        return;
    }
    environment_->show();
}

void KMission::zoom(double factor) {
    ZoomView(state_, factor);
    picture1_->update();
}

// Back to the map's own scale and origin for the view's current size.
void KMission::resetView() {
    ResetView(state_, {picture1_->width(), picture1_->height()});
    picture1_->update();
}

bool KMission::eventFilter(QObject* watched, QEvent* event) {
    if (watched == centralWidget() && event->type() == QEvent::Resize) {
        const QSize client = centralWidget()->size();
        const ViewSize view = ResizedViewSize({picture1_->width(), picture1_->height()},
                                              {client.width(), client.height()});
        picture1_->resize(view.width, view.height);
    }
    return QMainWindow::eventFilter(watched, event);
}

// Closing the main window ends the program whatever other windows are open,
// without asking about unsaved changes.
void KMission::closeEvent(QCloseEvent* event) {
    closed_ = true;
    if (properties_) {
        properties_->close();
    }
    emit closing();
    event->accept();
    QCoreApplication::quit();
}

} // namespace kmission
