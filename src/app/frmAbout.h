#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

// The About box: what the program is and who made it, with today's date.
class frmAbout final : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    void Form_Load();

    QPushButton* Command1 = nullptr;
    QFrame* Frame1 = nullptr;
    QLabel* lblProductName = nullptr;
    QLabel* lblDesc = nullptr;
    QLabel* lblCompany = nullptr;
    QLabel* imgLogo = nullptr;
    QLabel* lblNow = nullptr;

public slots:
    void Command1_Click();
};

// Opens a fresh About box modally.
void ShowAboutBox(QWidget* parent);
