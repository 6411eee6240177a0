#pragma once

#include "core/runtime/Clock.h"
#include "ui/app/CreditPanel.h"
#include "ui/forms/WindowServices.h"

#include <QTimer>
#include <QWidget>

#include <functional>

// The splash: product, credits and today's date, held about three seconds, then the main window.
class frmSplash final : public QWidget, public CreditPanel {
    Q_OBJECT
public:
    // `openMain` loads and shows the main window; it runs as the splash unloads, whatever closed it.
    frmSplash(const WindowServices& services, std::function<void()> openMain, QWidget* parent = nullptr);

    void Form_Load();
    void Timer1_Timer();
    void Form_KeyPress();
    void Frame1_Click();
    // One look at the clock while holding: ends the hold when its second is due or three seconds passed.
    void checkHold();

    bool holding() const { return m_holding; }
    bool unloaded() const { return m_unloaded; }

    QTimer Timer1;
    int HoldSeconds = 0;
    int StopSecond = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void unload();
    Clock::TimePoint now() const;

    WindowServices m_services;
    std::function<void()> m_openMain;
    QTimer m_holdCheck;
    Clock::TimePoint m_tickAt{};
    bool m_holding = false;
    bool m_unloaded = false;
};
