#include "plugin/views/windows/about_window.h"

#include "plugin/views/windows/builtin_windows.h"

#include "platform/qt/control_id.h"
#include "platform/qt/locale_text.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace views {
namespace {

// The product logo, drawn in code.
QPixmap productLogo()
{
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1f, 0x4e, 0x8c));
    painter.drawEllipse(4, 4, 56, 56);
    painter.setBrush(QColor(0xf2, 0xa9, 0x00));
    painter.drawEllipse(20, 20, 24, 24);
    return pixmap;
}

} // namespace

AboutWindow::AboutWindow(WindowManager* manager) : ObjectWindow(manager, kDialogId)
{
    setWindowTitle(QStringLiteral("About"));
    resize(330, 120);
    auto* logo = new QLabel(this);
    logo->setPixmap(productLogo());
    logo->setGeometry(12, 12, 64, 64);
    platform::setControlId(logo, 1049);
    auto* title = new QLabel(this);
    platform::setControlId(title, kTitleId);
    title->setGeometry(88, 16, 230, 20);
    auto* build = new QLabel(this);
    platform::setControlId(build, kBuildId);
    build->setGeometry(88, 40, 230, 20);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    platform::setControlId(ok, 1);
    ok->setDefault(true);
    ok->setGeometry(240, 84, 78, 26);
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
}

bool AboutWindow::OnInitDialog()
{
    ObjectWindow::OnInitDialog();
    platform::findControl<QLabel>(this, kTitleId)
        ->setText(platform::toQString(std::string("OMBA Korvane Kernel Awareness v") + kAboutVersion));
    platform::findControl<QLabel>(this, kBuildId)->setText(QStringLiteral("Build %1").arg(kAboutBuild));
    return true;
}

ObjectWindow* CreateAboutWindow(WindowManager& manager) { return new AboutWindow(&manager); }

} // namespace views
