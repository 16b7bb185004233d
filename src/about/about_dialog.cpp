#include "about_dialog.h"

#include "fit_text.h"
#include "native_path.h"
#include "registry.h"
#include "start_program.h"
#include "twips.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace kmission {

using platform::DesignRect;
using platform::Px;

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// Where the system-information program is, as the registry records it.
std::optional<std::string> SysInfoPath() {
#ifdef _WIN32
    using platform::GetKeyValue;
    using platform::RegistryRoot;
    std::string path;
    if (GetKeyValue(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH",
                    path)) {
        return path;
    }
    if (GetKeyValue(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools Location",
                    "MSINFO", path)) {
        path += "\\MSINFO32.EXE";
        if (platform::FileExists(path)) {
            return path;
        }
    }
#endif
    // Elsewhere there is no system-information program to start.
    return std::nullopt;
}

} // namespace

AboutDialog::AboutDialog(platform::Dialogs& dialogs, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint),
      dialogs_(dialogs) {
    setObjectName("frmAbout");
    setWindowTitle(QString("About ") + kAppTitle);
    setFixedSize(Px(5730), Px(3555));
    setModal(true);

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("cmdOK");
    ok->setGeometry(DesignRect(4245, 2625, 1260, 345));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* icon = new QLabel(this);
    icon->setObjectName("picIcon");
    icon->setGeometry(DesignRect(240, 240, 540, 540));
    icon->setPixmap(windowIcon().pixmap(Px(540), Px(540)));

    auto* sysInfo = new QPushButton("&System Info...", this);
    sysInfo->setObjectName("cmdSysInfo");
    sysInfo->setGeometry(DesignRect(4260, 3075, 1245, 345));
    sysInfo->setAutoDefault(false);
    connect(sysInfo, &QPushButton::clicked, this, &AboutDialog::startSysInfo);

    MakeLabel(this, "lblDescription", kAppDescription, DesignRect(1050, 1125, 3885, 1170));
    MakeLabel(this, "lblDisclaimer", kAppCredit, DesignRect(255, 2625, 3870, 825));
    QLabel* title = MakeLabel(this, "lblTitle", kAppTitle, DesignRect(1050, 240, 3885, 480));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    title->setFont(big);
    MakeLabel(
        this, "lblVersion",
        QString("Version %1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision),
        DesignRect(1050, 780, 3885, 225));
    setTabOrder(ok, sysInfo);
    platform::FitTexts(this);
}

// The etched separator: a grey line with a white line of two pixels under it.
void AboutDialog::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QPen(QColor(128, 128, 128), 1));
    painter.drawLine(Px(90), Px(2445), Px(5654), Px(2445));
    painter.setPen(QPen(Qt::white, 2));
    painter.drawLine(Px(105), Px(2460) + 1, Px(5654), Px(2460) + 1);
}

void AboutDialog::startSysInfo() {
    const auto path = SysInfoPath();
    if (path && platform::StartProgram(*path)) {
        return;
    }
    dialogs_.showMessage(Message{kSysInfoUnavailable});
}

} // namespace kmission
