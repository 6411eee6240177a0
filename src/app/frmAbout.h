#pragma once

#include "app/CreditPanel.h"

#include <QDialog>

class QPushButton;

// The About box: what the program is and who made it, with today's date.
class frmAbout final : public QDialog, public CreditPanel {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    void Form_Load();

    QPushButton* Command1 = nullptr;

public slots:
    void Command1_Click();
};

// Opens a fresh About box modally.
void ShowAboutBox(QWidget* parent);
