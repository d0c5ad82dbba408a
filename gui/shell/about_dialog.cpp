#include "about_dialog.h"

#include "platform/core/message_service.h"
#include "platform/qt/control_id.h"
#include "platform/qt/locale_text.h"
#include "platform/qt/shell_execute.h"
#include "platform/qt/wait_cursor.h"

#include <QApplication>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <mutex>

namespace {

constexpr unsigned kWhite = 0xFFFFFF;
constexpr unsigned kLinkColour = 0xFF0000; // 0x00BBGGRR: blue

const char* const kWebSite = "https://www.korvane-systems.example/";
const char* const kSupportMail = "mailto:support@korvane-systems.example";
const char* const kSalesMail = "mailto:sales@korvane-systems.example";
const char* const kReleaseNotes = "https://www.korvane-systems.example/omba/releases/1.12";

std::mutex g_errorTextMutex;
std::function<std::string(int)> g_errorText;

std::string errorText(int code)
{
    std::lock_guard<std::mutex> lock(g_errorTextMutex);
    return g_errorText ? g_errorText(code) : "Error " + std::to_string(code) + ".";
}

QColor fromColorRef(unsigned ref)
{
    return QColor(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF);
}

// The two logos are drawn, not loaded: a product mark and the maker's word mark.
QPixmap productLogo()
{
    QPixmap pixmap(96, 96);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0x1c, 0x4e, 0x8a));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(4, 4, 88, 88), 14, 14);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setBold(true);
    // The largest size at which the mark fits inside the tile.
    for (int size = 26; size > 8; --size) {
        f.setPixelSize(size);
        if (QFontMetrics(f).horizontalAdvance(QStringLiteral("OMBA")) <= 76)
            break;
    }
    p.setFont(f);
    p.drawText(QRectF(4, 4, 88, 88), Qt::AlignCenter, QStringLiteral("OMBA"));
    return pixmap;
}

QPixmap makerLogo()
{
    QFont f = QApplication::font();
    f.setBold(true);
    f.setPixelSize(20);
    const QString name = QStringLiteral("KORVANE SYSTEMS");
    QPixmap pixmap(QFontMetrics(f).horizontalAdvance(name) + 8, 28);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(f);
    p.setPen(QColor(0x1c, 0x4e, 0x8a));
    p.drawText(pixmap.rect(), Qt::AlignLeft | Qt::AlignVCenter, name);
    return pixmap;
}

} // namespace

QString AboutDialog::versionText()
{
    return QStringLiteral("OMBAgen Version ") + QStringLiteral("1.12");
}

QString AboutDialog::buildTypeText()
{
    return QStringLiteral("Release Build");
}

QString AboutDialog::buildNumberText()
{
    return QStringLiteral("Build Number %1").arg(414);
}

void AboutDialog::setErrorTextProvider(std::function<std::string(int)> provider)
{
    std::lock_guard<std::mutex> lock(g_errorTextMutex);
    g_errorText = std::move(provider);
}

AboutDialog::AboutDialog(unsigned seconds, QWidget* parent)
    : COMBADialog(kTemplateId, parent)
    , m_seconds(seconds)
{
    setWindowTitle(QStringLiteral("About OMBAgen"));
    auto label = [this](int id, const QString& text) {
        auto* l = new QLabel(text, this);
        platform::setControlId(l, id);
        return l;
    };
    QLabel* logo = label(1157, QString());
    logo->setPixmap(productLogo());
    QLabel* maker = label(1158, QString());
    maker->setPixmap(makerLogo());
    QLabel* version = label(kVersionId, versionText());
    QLabel* buildType = label(1149, buildTypeText());
    QLabel* buildNumber = label(1150, buildNumberText());
    QLabel* legal1 = label(1151, QStringLiteral("Copyright \u00a9 Korvane Systems, Inc. All rights reserved."));
    QLabel* legal2 = label(1152, QStringLiteral("This program is protected by copyright law. Unauthorised copying "
                                                "or distribution of it, or of any part of it, is prohibited."));
    legal2->setWordWrap(true);
    QLabel* company = label(1161, QStringLiteral("Korvane Systems, Inc."));
    QLabel* web = label(1159, QStringLiteral("www.korvane-systems.example"));
    QLabel* support = label(1160, QStringLiteral("support@korvane-systems.example"));
    QLabel* sales = label(1162, QStringLiteral("sales@korvane-systems.example"));
    m_status = label(kStatusId, QString());
    m_status->setFrameShape(QFrame::StyledPanel);
    m_status->setFrameShadow(QFrame::Sunken);
    m_status->setMinimumHeight(m_status->fontMetrics().height() + 6);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    m_ok->setMinimumWidth(150);
    platform::setControlId(m_ok, IdOk);
    connect(m_ok, &QPushButton::clicked, this, &AboutDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(version);
    texts->addWidget(buildType);
    texts->addWidget(buildNumber);
    texts->addSpacing(8);
    texts->addWidget(company);
    texts->addWidget(web);
    texts->addWidget(support);
    texts->addWidget(sales);
    texts->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(logo, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(texts, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_status, 1);
    bottom->addSpacing(12);
    bottom->addWidget(m_ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(maker);
    layout->addLayout(top);
    layout->addWidget(legal1);
    layout->addWidget(legal2);
    layout->addLayout(bottom);
    setMinimumWidth(440);

    m_links = {
        {1157, logo, kWebSite, kWhite},           {1158, maker, kWebSite, kWhite},
        {1161, company, kWebSite, kLinkColour},   {1162, sales, kSalesMail, kLinkColour},
        {1159, web, kWebSite, kLinkColour},       {1160, support, kSupportMail, kLinkColour},
        {kVersionId, version, kReleaseNotes, kLinkColour},
    };
    m_countdown.showOn(m_ok);
    connect(&m_countdown, &Countdown::expired, this, [this] { OnOK(); });
}

void AboutDialog::setNotify(QObject* context, std::function<void()> notify)
{
    m_notifyContext = context;
    m_notify = std::move(notify);
}

QString AboutDialog::statusText() const
{
    return m_status->text();
}

bool AboutDialog::OnInitDialog()
{
    COMBADialog::OnInitDialog();
    if (m_seconds != 0)
        setWindowTitle(QStringLiteral("Welcome to OMBAgen!"));
    buildLinks();
    if (m_seconds != 0 && !m_countdown.start(m_seconds))
        m_seconds = 0;
    return true;
}

void AboutDialog::buildLinks()
{
    for (const Link& link : m_links) {
        link.label->setCursor(Qt::PointingHandCursor);
        link.label->setMouseTracking(true);
        link.label->installEventFilter(this);
        if (link.colour != kWhite) {
            QFont font = link.label->font();
            font.setUnderline(true);
            link.label->setFont(font);
            QPalette pal = link.label->palette();
            pal.setColor(QPalette::WindowText, fromColorRef(link.colour));
            link.label->setPalette(pal);
        }
    }
}

const AboutDialog::Link* AboutDialog::linkOf(const QObject* object) const
{
    for (const Link& link : m_links) {
        if (link.label == object)
            return &link;
    }
    return nullptr;
}

void AboutDialog::showTarget(const Link& link)
{
    if (m_status->text() != platform::toQString(link.target))
        m_status->setText(platform::toQString(link.target));
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (const Link* link = linkOf(watched)) {
        if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
            showTarget(*link);
        } else if (event->type() == QEvent::MouseButtonPress &&
                   static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            openLink(link->controlId);
            return true;
        }
    }
    return COMBADialog::eventFilter(watched, event);
}

void AboutDialog::openLink(int controlId)
{
    for (const Link& link : m_links) {
        if (link.controlId != controlId)
            continue;
        const std::string& target = link.target;
        int result = 0;
        {
            platform::ScopedWaitCursor wait;
            result = platform::shellExecute("open", target);
        }
        if (result < 33) {
            const std::string text = "Unable to execute command \"open " + target + "\"\nReason: " + errorText(result);
            platform::messageBox(text, "Error", platform::MbOk | platform::MbIconError);
        }
        return;
    }
}

void AboutDialog::OnOK()
{
    m_countdown.stop();
    if (m_notifyContext && m_notify)
        QTimer::singleShot(10, m_notifyContext.data(), m_notify);
    COMBADialog::OnOK();
}

SplashController::SplashController(QObject* parent)
    : QObject(parent)
{
}

SplashController::~SplashController()
{
    delete m_dialog.data();
}

void SplashController::centre()
{
    QWidget* splash = m_splashWindow.data();
    QWidget* owner = m_owner.data();
    if (!splash || !owner)
        return;
    // Client areas are centred on each other: the window manager's frame of a window just shown is not
    // known yet, and both windows wear the same frame.
    const QSize size = splash->size();
    const QPoint topLeft = owner->geometry().center() - QPoint(size.width() / 2, size.height() / 2);
    if (splash->geometry().topLeft() != topLeft)
        splash->setGeometry(QRect(topLeft, size));
}

bool SplashController::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    // The owner's moves and sizes, and the splash's own size once it is shown (its own moves are never
    // answered). The splash is known by its class, so that nothing of it is touched while it is destroyed.
    if (watched == static_cast<QObject*>(m_owner.data()) ? type == QEvent::Move || type == QEvent::Resize
                                                          : (type == QEvent::Resize || type == QEvent::Show) &&
                                                                qobject_cast<AboutDialog*>(watched))
        centre();
    return QObject::eventFilter(watched, event);
}

void SplashController::start(unsigned seconds, QWidget* owner)
{
    if (m_dialog)
        return;
    auto* dialog = new AboutDialog(seconds, owner);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setNotify(this, [this] {
        if (m_signalled)
            return;
        m_signalled = true;
        emit splashClosed();
    });
    m_dialog = dialog;
    // The splash stands in the middle of the main window, also when the window manager places or sizes
    // that window only after it was shown.
    m_owner = owner;
    m_splashWindow = dialog;
    if (owner)
        owner->installEventFilter(this);
    dialog->installEventFilter(this);
    dialog->adjustSize();
    centre();
    dialog->ShowModeless();
    // The splash shares the main thread with the start-up work that follows: let it paint first.
    QCoreApplication::processEvents();
}
