#include "ui/app/CreditPanel.h"

#include "core/runtime/Runtime.h"
#include "ui/forms/DateFormats.h"
#include "ui/forms/Geometry.h"
#include "ui/resources/Artwork.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>

namespace {

QLabel* AutoSizedLabel(QWidget* parent, const char* name, const QFont& font, int left, int top, int width,
                       int height) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFont(font);
    PlaceTwips(*label, left, top, width, height);
    return label;
}

} // namespace

CreditPanel BuildCreditPanel(QWidget& window, int logoLeft, int logoTop, int logoWidth, int logoHeight) {
    CreditPanel panel;
    panel.Frame1 = new QFrame(&window);
    panel.Frame1->setObjectName("Frame1");
    panel.Frame1->setFrameShape(QFrame::Box);
    panel.Frame1->setFrameShadow(QFrame::Sunken);
    PlaceTwips(*panel.Frame1, 120, 60, 6120, 2475);

    QFrame* frame = panel.Frame1;
    panel.lblProductName =
        AutoSizedLabel(frame, "lblProductName", FormFont("Arial", 32.25, true), 120, 240, 2430, 765);
    panel.lblDesc =
        AutoSizedLabel(frame, "lblDesc", FormFont("MS Sans Serif", 12, false, true), 120, 1080, 3135, 300);
    panel.lblCompany =
        AutoSizedLabel(frame, "lblCompany", FormFont("Comic Sans MS", 14.25, true), 120, 1440, 3930, 765);

    panel.imgLogo = new QLabel(frame);
    panel.imgLogo->setObjectName("imgLogo");
    panel.imgLogo->setScaledContents(true);
    panel.imgLogo->setPixmap(QPixmap::fromImage(Artwork::Logo(128)));
    PlaceTwips(*panel.imgLogo, logoLeft, logoTop, logoWidth, logoHeight);
    // Behind the texts: a long product name may reach over the picture and must stay readable.
    panel.imgLogo->lower();

    panel.lblNow = new QLabel(&window);
    panel.lblNow->setObjectName("lblNow");
    panel.lblNow->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PlaceTwips(*panel.lblNow, 2700, 2530, 3495, 255);
    return panel;
}

void FillCreditPanel(const CreditPanel& panel, const std::string& credit, Clock::TimePoint now) {
    panel.lblProductName->setText(ProductTitle);
    panel.lblDesc->setText(QString::fromStdString(credit));
    panel.lblCompany->setText("Dorvanel\r\nVantrell");
    // These labels grow to their text, keeping their top-left corner.
    for (QLabel* label : {panel.lblProductName, panel.lblDesc, panel.lblCompany}) {
        label->resize(label->sizeHint().expandedTo(QSize(1, 1)));
    }
    panel.lblNow->setText(QString::fromStdString(FormatLongDate(now)));
}
