#include "app/frmSplash.h"

#include "forms/DateFormats.h"
#include "forms/Geometry.h"
#include "forms/ProgramState.h"
#include "forms/Runtime.h"
#include "resources/Artwork.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

namespace {

QLabel* autoSizedLabel(QWidget* parent, const char* name, const QFont& font, int left, int top, int width,
                       int height) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFont(font);
    PlaceTwips(*label, left, top, width, height);
    return label;
}

// How often the hold looks at the clock; the event loop keeps the splash painted in between.
constexpr int HoldCheckMilliseconds = 20;

} // namespace

frmSplash::frmSplash(std::function<void()> openMain, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_openMain(std::move(openMain)) {
    setObjectName("frmSplash");
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowIcon(Artwork::SplashIcon());
    setFont(FormFont("MS Sans Serif", 8.25));
    FixClientSizeTwips(*this, 6390, 2730);

    Frame1 = new QFrame(this);
    Frame1->setObjectName("Frame1");
    Frame1->setFrameShape(QFrame::Box);
    Frame1->setFrameShadow(QFrame::Sunken);
    PlaceTwips(*Frame1, 120, 60, 6120, 2475);
    Frame1->installEventFilter(this);

    lblProductName =
        autoSizedLabel(Frame1, "lblProductName", FormFont("Arial", 32.25, true), 120, 240, 2430, 765);
    lblDesc =
        autoSizedLabel(Frame1, "lblDesc", FormFont("MS Sans Serif", 12, false, true), 120, 1080, 3135, 300);
    lblCompany =
        autoSizedLabel(Frame1, "lblCompany", FormFont("Comic Sans MS", 14.25, true), 120, 1440, 3930, 765);
    imgLogo = new QLabel(Frame1);
    imgLogo->setObjectName("imgLogo");
    imgLogo->setScaledContents(true);
    imgLogo->setPixmap(QPixmap::fromImage(Artwork::Logo(128)));
    // Behind the texts: a long product name may reach over the picture and must stay readable.
    imgLogo->lower();
    PlaceTwips(*imgLogo, 4320, 360, 1575, 1665);
    lblNow = new QLabel(this);
    lblNow->setObjectName("lblNow");
    lblNow->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PlaceTwips(*lblNow, 2700, 2530, 3495, 255);

    Timer1.setInterval(1);
    Timer1.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    m_holdCheck.setInterval(HoldCheckMilliseconds);
    connect(&m_holdCheck, &QTimer::timeout, this, &frmSplash::checkHold);
}

void frmSplash::Form_Load() {
    lblProductName->setText(ProductTitle);
    lblDesc->setText("...a simple offering from ...");
    lblCompany->setText("Dorvanel\r\nVantrell");
    for (QLabel* label : {lblProductName, lblDesc, lblCompany}) {
        label->resize(label->sizeHint());
    }
    lblNow->setText(QString::fromStdString(FormatLongDate(now())));
    CentreOnScreen(*this);
    Timer1.start();
}

Clock::TimePoint frmSplash::now() const {
    const auto& clock = Program().services.clock;
    return clock ? clock->now() : SystemClock().now();
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
