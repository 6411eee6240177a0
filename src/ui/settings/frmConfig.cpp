#include "ui/settings/frmConfig.h"

#include "core/disks/ZipDriveList.h"
#include "core/runtime/ProgramState.h"
#include "core/runtime/Runtime.h"
#include "core/runtime/RuntimeError.h"
#include "core/settings/EmptySetting.h"
#include "core/settings/ProfileAccess.h"
#include "core/settings/ProfileService.h"
#include "core/settings/Settings.h"
#include "ui/forms/Geometry.h"
#include "ui/forms/ModalRunner.h"
#include "ui/forms/WideListComboBox.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <vector>

namespace {

// The most a profile read gives back; longer text would be cut on the next opening.
constexpr int MaxFieldLength = 49;

class ComboDriveList final : public DriveListTarget {
public:
    explicit ComboDriveList(QComboBox& box) : m_box(box) {}
    void addItem(const std::string& text) override { m_box.addItem(QString::fromStdString(text)); }
    void setText(const std::string& text) override { m_box.setCurrentText(QString::fromStdString(text)); }

private:
    QComboBox& m_box;
};

QString Text(const std::string& s) {
    return QString::fromStdString(s);
}

QLineEdit* MakeTextBox(QWidget* parent, const char* name, int left, int top, int width, int height) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setMaxLength(MaxFieldLength);
    PlaceTwips(*box, left, top, width, height);
    return box;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* caption, int left, int top, int width,
                  int height) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    PlaceTwips(*label, left, top, width, height);
    return label;
}

} // namespace

frmConfig::frmConfig(const WindowServices& services, QWidget* parent)
    : QDialog(parent), m_services(services) {
    setObjectName("frmConfig");
    setWindowTitle("Configuration ");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(FormFont("MS Sans Serif", 8.25));
    FixClientSizeTwips(*this, 5550, 4290);

    Frame1 = new QGroupBox("Setup Information", this);
    Frame1->setObjectName("Frame1");
    PlaceTwips(*Frame1, 120, 120, 5295, 3975);
    QFont frameFont = FormFont("MS Sans Serif", 8.25, true);
    Frame1->setFont(frameFont);
    const QFont plain = FormFont("MS Sans Serif", 8.25);

    Label1 = MakeLabel(Frame1, "Label1", "Company/Organization", 120, 360, 1935, 255);
    Label2 = MakeLabel(Frame1, "Label2", "Next Disk Number", 3720, 360, 1455, 255);
    txtCompany = MakeTextBox(Frame1, "txtCompany", 120, 600, 3495, 285);
    txtDiskID = MakeTextBox(Frame1, "txtDiskID", 3720, 600, 1455, 285);
    lblName = MakeLabel(Frame1, "lblName", "Name", 120, 1200, 855, 255);
    txtName = MakeTextBox(Frame1, "txtName", 1680, 1200, 3495, 285);
    lblAddress = MakeLabel(Frame1, "lblAddress", "Address", 120, 1560, 855, 255);
    txtAddress = MakeTextBox(Frame1, "txtAddress", 1680, 1560, 3495, 285);
    lblCity = MakeLabel(Frame1, "lblCity", "City/State/Zip", 120, 1920, 1455, 255);
    txtCity = MakeTextBox(Frame1, "txtCity", 1680, 1920, 3495, 285);
    lblPhone = MakeLabel(Frame1, "lblPhone", "Telephone No.", 120, 2400, 1215, 255);
    txtPhone = MakeTextBox(Frame1, "txtPhone", 1680, 2280, 3495, 285);
    Label5 = MakeLabel(Frame1, "Label5", "Zip Drive", 2760, 2760, 975, 255);
    for (QWidget* child :
         {static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2), static_cast<QWidget*>(lblName),
          static_cast<QWidget*>(lblAddress), static_cast<QWidget*>(lblCity), static_cast<QWidget*>(lblPhone),
          static_cast<QWidget*>(txtCompany), static_cast<QWidget*>(txtDiskID), static_cast<QWidget*>(txtName),
          static_cast<QWidget*>(txtAddress), static_cast<QWidget*>(txtCity),
          static_cast<QWidget*>(txtPhone)}) {
        child->setFont(plain);
    }
    Label5->setFont(FormFont("MS Sans Serif", 9.75));

    // Device names and typed folders can be longer than the box: its list widens and its tooltip shows
    // the whole text.
    cboDrive = new WideListComboBox(this);
    cboDrive->setObjectName("cboDrive");
    cboDrive->setEditable(true);
    cboDrive->setInsertPolicy(QComboBox::NoInsert);
    cboDrive->lineEdit()->setMaxLength(MaxFieldLength);
    PlaceTwips(*cboDrive, 4080, 2880, 1215, 315);
    cboDrive->setMinimumWidth(cboDrive->width());

    cmdCancel = new QPushButton("Cancel", this);
    cmdCancel->setObjectName("cmdCancel");
    PlaceTwips(*cmdCancel, 1680, 3360, 1095, 495);
    cmdSave = new QPushButton("Save", this);
    cmdSave->setObjectName("cmdSave");
    PlaceTwips(*cmdSave, 3000, 3360, 1095, 495);
    cmdSave->setDefault(true);
    cmdSave->setAutoDefault(true);
    cmdCancel->setAutoDefault(false);

    // Tab order by tab index: company, disk number, name, address, city, drive label, phone, drive, cancel,
    // save.
    QWidget::setTabOrder(txtCompany, txtDiskID);
    QWidget::setTabOrder(txtDiskID, txtName);
    QWidget::setTabOrder(txtName, txtAddress);
    QWidget::setTabOrder(txtAddress, txtCity);
    QWidget::setTabOrder(txtCity, txtPhone);
    QWidget::setTabOrder(txtPhone, cboDrive);
    QWidget::setTabOrder(cboDrive, cmdCancel);
    QWidget::setTabOrder(cmdCancel, cmdSave);

    connect(cmdSave, &QPushButton::clicked, this, &frmConfig::cmdSave_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmConfig::cmdCancel_Click);
}

void frmConfig::Form_Load() {
    CentreOnScreen(*this);
    LoadFormValues();
}

std::string frmConfig::get(const char* key) const {
    return ProfileAccess(m_services, "GET", "GLOBAL", key);
}

void frmConfig::LoadFormValues() {
    txtName->setText(Text(get("OWNER")));
    if (SortsAtOrBelowSpace(txtName->text().toStdString())) {
        txtName->setText("Your NAME Goes Here !!!");
    }
    txtCompany->setText(Text(get("COMPANY")));
    if (SortsAtOrBelowSpace(txtCompany->text().toStdString())) {
        txtCompany->setText("Your COMPANY NAME Goes Here !!!");
    }
    txtAddress->setText(Text(get("ADDR1")));
    txtCity->setText(Text(get("ADDR2")));
    txtPhone->setText(Text(get("ADDR3")));
    cboDrive->setCurrentText(Text(get("ZIPDRIVE")));
    txtDiskID->setText(Text(get("ID_INDEX")));
    if (SortsAtOrBelowSpace(txtDiskID->text().toStdString())) {
        txtDiskID->setText("1");
    }
    ComboDriveList list(*cboDrive);
    FillZipDriveList(m_services, list);
}

bool frmConfig::SaveFormValues() {
    const std::pair<const char*, QString> fields[] = {
        {"OWNER", txtName->text()},      {"COMPANY", txtCompany->text()},
        {"ADDR1", txtAddress->text()},   {"ADDR2", txtCity->text()},
        {"ADDR3", txtPhone->text()},     {"ZIPDRIVE", cboDrive->currentText()},
        {"ID_INDEX", txtDiskID->text()},
    };
    // One write for all seven, so that the profile holds either the old settings or the new ones.
    std::vector<ProfileWrite> writes;
    for (const auto& [key, value] : fields) {
        writes.push_back({"GLOBAL", key, value.toStdString()});
    }
    // A key refused for its value (a field left empty) keeps what is stored; only a file that could not
    // be written is worth telling.
    const Result<ProfileStatuses> saved = ProfileWriteKeys(m_services, writes);
    if (saved) {
        return true;
    }
    const std::string& why = saved.reason();
    const std::string where = m_services.profile ? m_services.profile->location() : "the settings file";
    MsgBox(
        m_services,
        "Your settings could not be saved to " + where + (why.empty() ? "" : ":\r\n" + why) +
            "\r\n\r\nNothing you typed is lost: correct the problem and press Save again, or press Cancel.",
        0);
    return false;
}

bool frmConfig::saveAndReload() {
    // A save that stopped with an error is no save: the dialog stays open.
    bool saved = false;
    try {
        saved = SaveFormValues();
    } catch (const RuntimeError&) {
    }
    try {
        LoadSettings(m_services);
    } catch (const RuntimeError&) {
        // A disk number that is not a number keeps the previous one; the dialog goes on all the same.
    }
    return saved;
}

void frmConfig::cmdSave_Click() {
    if (saveAndReload()) {
        accept();
    }
}

void frmConfig::cmdCancel_Click() {
    if (Program().FirstRun) {
        // Cancel closes even when this save failed: the user asked to leave, and was told.
        saveAndReload();
    }
    reject();
}

void ShowConfigDialog(const WindowServices& services, QWidget* parent) {
    frmConfig dialog(services, parent);
    dialog.Form_Load();
    ShowModal(services, dialog);
}
