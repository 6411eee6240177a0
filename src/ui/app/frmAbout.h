#pragma once

#include "ui/app/CreditPanel.h"
#include "ui/forms/WindowServices.h"

#include <QDialog>

class QPushButton;

// The About box: what the program is and who made it, with today's date.
class frmAbout final : public QDialog, public CreditPanel {
    Q_OBJECT
public:
    explicit frmAbout(const WindowServices& services, QWidget* parent = nullptr);

    void Form_Load();

    QPushButton* Command1 = nullptr;

public slots:
    void Command1_Click();

private:
    WindowServices m_services;
};

// Opens a fresh About box modally.
void ShowAboutBox(const WindowServices& services, QWidget* parent);
