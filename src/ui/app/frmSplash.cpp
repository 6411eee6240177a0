#include "ui/app/frmSplash.h"

#include "core/runtime/Runtime.h"
#include "ui/forms/DateFormats.h"
#include "ui/forms/Geometry.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

#include <algorithm>

frmSplash::frmSplash(const WindowServices& services, std::function<void()> openMain, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_services(services),
      m_openMain(std::move(openMain)) {
    setObjectName("frmSplash");
    setAttribute(Qt::WA_DeleteOnClose, false);
    // Only the window's size here: its contents are built when it loads, after it may have been shown,
    // since the first font asked for reads the system's whole font list (several milliseconds) and the
    // window can be on its way to the screen meanwhile.
    FixClientSizeTwips(*this, 6390, 2730);

    Timer1.setInterval(1);
    Timer1.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    // The hold sleeps until its end is due instead of looking at the clock all along; a precise timer
    // does not wake early.
    m_holdCheck.setSingleShot(true);
    m_holdCheck.setTimerType(Qt::PreciseTimer);
    connect(&m_holdCheck, &QTimer::timeout, this, &frmSplash::checkHold);
}

void frmSplash::Form_Load() {
    if (Frame1 == nullptr) {
        setFont(FormFont("MS Sans Serif", 8.25));
        static_cast<CreditPanel&>(*this) = BuildCreditPanel(*this, 4320, 360, 1575, 1665);
        Frame1->installEventFilter(this);
        // Children made after the window was shown are hidden until shown themselves.
        Frame1->show();
        lblNow->show();
    }
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
    // Time zones move the clock by whole seconds, so the local second StopSecond begins on a whole second
    // of the system clock: the one HoldSeconds after the tick's own.
    m_stopAt = std::chrono::floor<std::chrono::seconds>(m_tickAt) + std::chrono::seconds(HoldSeconds);
    m_held.start();
    m_holding = true;
    checkHold();
}

void frmSplash::checkHold() {
    if (!m_holding || m_unloaded) {
        return;
    }
    const Clock::TimePoint at = now();
    const auto heldFor = std::chrono::milliseconds(m_held.elapsed());
    const auto bound = std::chrono::milliseconds(std::chrono::seconds(HoldSeconds)) - heldFor;
    // A clock set back during the hold would put the stop second far off; the time really held bounds it.
    if (at >= m_stopAt || bound <= std::chrono::milliseconds(0)) {
        m_holding = false;
        m_holdCheck.stop();
        unload();
        return;
    }
    const auto due = std::chrono::ceil<std::chrono::milliseconds>(m_stopAt - at);
    m_holdCheck.start(std::min(due, bound));
}

std::optional<std::chrono::milliseconds> frmSplash::holdWake() const {
    if (!m_holdCheck.isActive()) {
        return std::nullopt;
    }
    return std::chrono::milliseconds(m_holdCheck.interval());
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
