#include "app/frmAbout.h"

#include "forms/Clock.h"
#include "forms/DateFormats.h"
#include "forms/Geometry.h"
#include "forms/ModalRunner.h"
#include "forms/ProgramState.h"
#include "forms/Runtime.h"
#include "resources/Artwork.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace {

QLabel* autoSizedLabel(QWidget* parent, const char* name, const QFont& font, int left, int top, int width,
                       int height) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFont(font);
    PlaceTwips(*label, left, top, width, height);
    return label;
}

// The label grows to its text, as the classic auto-sizing label does, keeping its top-left corner.
void fitToText(QLabel& label) {
    label.resize(label.sizeHint().expandedTo(QSize(1, 1)));
}

} // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName("frmAbout");
    // No title bar and no taskbar entry.
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowIcon(Artwork::AboutIcon());
    setFont(FormFont("MS Sans Serif", 8.25));
    FixClientSizeTwips(*this, 6390, 2730);

    Frame1 = new QFrame(this);
    Frame1->setObjectName("Frame1");
    Frame1->setFrameShape(QFrame::Box);
    Frame1->setFrameShadow(QFrame::Sunken);
    PlaceTwips(*Frame1, 120, 60, 6120, 2475);

    lblProductName =
        autoSizedLabel(Frame1, "lblProductName", FormFont("Arial", 32.25, true), 120, 240, 2430, 765);
    lblDesc =
        autoSizedLabel(Frame1, "lblDesc", FormFont("MS Sans Serif", 12, false, true), 120, 1080, 3135, 300);
    lblCompany =
        autoSizedLabel(Frame1, "lblCompany", FormFont("Comic Sans MS", 14.25, true), 120, 1440, 3930, 765);

    imgLogo = new QLabel(Frame1);
    imgLogo->setObjectName("imgLogo");
    PlaceTwips(*imgLogo, 4200, 240, 1695, 1515);
    imgLogo->setScaledContents(true);
    imgLogo->setPixmap(QPixmap::fromImage(Artwork::Logo(128)));
    // Behind the texts: a long product name may reach over the picture and must stay readable.
    imgLogo->lower();

    lblNow = new QLabel(this);
    lblNow->setObjectName("lblNow");
    lblNow->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PlaceTwips(*lblNow, 2700, 2530, 3495, 255);

    Command1 = new QPushButton("Continue", this);
    Command1->setObjectName("Command1");
    PlaceTwips(*Command1, 4920, 2040, 1215, 375);
    Command1->setDefault(true);
    Command1->setAutoDefault(true);
    Command1->raise();
    Command1->setFocus();
    connect(Command1, &QPushButton::clicked, this, &frmAbout::Command1_Click);
}

void frmAbout::Form_Load() {
    lblProductName->setText(ProductTitle);
    lblDesc->setText("a simple program brought to you by...");
    lblCompany->setText("Dorvanel\r\nVantrell");
    for (QLabel* label : {lblProductName, lblDesc, lblCompany}) {
        fitToText(*label);
    }
    const auto& clock = Program().services.clock;
    const Clock::TimePoint now = clock ? clock->now() : SystemClock().now();
    lblNow->setText(QString::fromStdString(FormatLongDate(now)));
    CentreOnScreen(*this);
}

void frmAbout::Command1_Click() {
    accept();
}

void ShowAboutBox(QWidget* parent) {
    frmAbout about(parent);
    about.Form_Load();
    ShowModal(about);
}
