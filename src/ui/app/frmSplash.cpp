#include "ui/app/frmSplash.h"

#include "core/runtime/Runtime.h"
#include "ui/forms/DateFormats.h"
#include "ui/forms/Geometry.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

namespace {

// How often the hold looks at the clock; the event loop keeps the splash painted in between.
constexpr int HoldCheckMilliseconds = 20;

} // namespace

frmSplash::frmSplash(const WindowServices& services, std::function<void()> openMain, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_services(services),
      m_openMain(std::move(openMain)) {
    setObjectName("frmSplash");
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFont(FormFont("MS Sans Serif", 8.25));
    FixClientSizeTwips(*this, 6390, 2730);

    static_cast<CreditPanel&>(*this) = BuildCreditPanel(*this, 4320, 360, 1575, 1665);
    Frame1->installEventFilter(this);

    Timer1.setInterval(1);
    Timer1.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    m_holdCheck.setInterval(HoldCheckMilliseconds);
    connect(&m_holdCheck, &QTimer::timeout, this, &frmSplash::checkHold);
}

void frmSplash::Form_Load() {
    FillCreditPanel(*this, "...a simple offering from ...", now());
    CentreOnScreen(*this);
    Timer1.start();
}

Clock::TimePoint frmSplash::now() const {
    return Now(m_services);
}

void frmSplash::Timer1_Timer() {
    if (m_unloaded) {
        return;
    }
    HoldSeconds = 3;
    m_tickAt = now();
    StopSecond = (LocalSecond(m_tickAt) + HoldSeconds) % 60;
    m_holding = true;
    // Waiting on a timer rather than spinning keeps the splash painted and the processor free.
    m_holdCheck.start();
    checkHold();
}

void frmSplash::checkHold() {
    if (!m_holding || m_unloaded) {
        return;
    }
    const Clock::TimePoint at = now();
    // The second alone could be missed if the program stalls at that moment; three seconds bound the hold.
    if (LocalSecond(at) == StopSecond || at - m_tickAt >= std::chrono::seconds(HoldSeconds)) {
        m_holding = false;
        m_holdCheck.stop();
        unload();
    }
}

void frmSplash::Form_KeyPress() {
    if (!m_holding) {
        unload();
    }
}

void frmSplash::Frame1_Click() {
    if (!m_holding) {
        unload();
    }
}

void frmSplash::keyPressEvent(QKeyEvent* event) {
    if (!event->text().isEmpty()) {
        Form_KeyPress();
    }
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Frame1 && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = mouse->position().toPoint();
        // Only the frame's own surface: the labels and the picture inside it have no click.
        if (Frame1->rect().contains(at) && Frame1->childAt(at) == nullptr) {
            Frame1_Click();
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmSplash::unload() {
    if (m_unloaded) {
        return;
    }
    m_unloaded = true;
    Timer1.stop();
    m_holdCheck.stop();
    // The main window loads (a first run shows the configuration dialog now, over the splash) and shows.
    if (m_openMain) {
        m_openMain();
    }
    close();
}
