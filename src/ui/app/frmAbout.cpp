#include "ui/app/frmAbout.h"

#include "core/runtime/Runtime.h"
#include "ui/forms/Geometry.h"
#include "ui/forms/ModalRunner.h"
#include "ui/resources/Artwork.h"

#include <QPushButton>

frmAbout::frmAbout(const WindowServices& services, QWidget* parent) : QDialog(parent), m_services(services) {
    setObjectName("frmAbout");
    // No title bar and no taskbar entry.
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowIcon(Artwork::AboutIcon());
    setFont(FormFont("MS Sans Serif", 8.25));
    FixClientSizeTwips(*this, 6390, 2730);

    static_cast<CreditPanel&>(*this) = BuildCreditPanel(*this, 4200, 240, 1695, 1515);

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
    FillCreditPanel(*this, "a simple program brought to you by...", Now(m_services));
    CentreOnScreen(*this);
}

void frmAbout::Command1_Click() {
    accept();
}

void ShowAboutBox(const WindowServices& services, QWidget* parent) {
    frmAbout about(services, parent);
    about.Form_Load();
    ShowModal(services, about);
}
