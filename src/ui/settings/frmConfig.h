#pragma once

#include "ui/forms/WindowServices.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The configuration dialog: owner data, the Zip drive and the disk number, kept in the profile.
class frmConfig final : public QDialog {
    Q_OBJECT
public:
    explicit frmConfig(const WindowServices& services, QWidget* parent = nullptr);

    void Form_Load();

    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdSave = nullptr;
    QComboBox* cboDrive = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLineEdit* txtName = nullptr;
    QLineEdit* txtAddress = nullptr;
    QLineEdit* txtCity = nullptr;
    QLineEdit* txtPhone = nullptr;
    QLineEdit* txtCompany = nullptr;
    QLineEdit* txtDiskID = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblName = nullptr;
    QLabel* lblAddress = nullptr;
    QLabel* lblCity = nullptr;
    QLabel* lblPhone = nullptr;
    QLabel* Label5 = nullptr;

public slots:
    void cmdSave_Click();
    void cmdCancel_Click();

private:
    void LoadFormValues();
    // Writes the seven keys in one replace of the profile; false (after telling the user why) when it could
    // not be written.
    bool SaveFormValues();
    // Saves and reloads the settings, each step going on past a failure; false when the save failed.
    bool saveAndReload();
    std::string get(const char* key) const;

    WindowServices m_services;
};

// Opens a fresh configuration dialog modally.
void ShowConfigDialog(const WindowServices& services, QWidget* parent);
