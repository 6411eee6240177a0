#pragma once

#include "core/runtime/Clock.h"
#include "ui/app/CreditPanel.h"
#include "ui/forms/WindowServices.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <functional>
#include <optional>

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
    // One look at the clock while holding: ends the hold once its stop second has begun or three seconds
    // passed, else sleeps until the stop second is due.
    void checkHold();
    // How long the hold sleeps before its next look at the clock; nothing when it is not waiting.
    std::optional<std::chrono::milliseconds> holdWake() const;

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
    // When the stop second begins: the hold ends there, which needs no time zone at each look.
    Clock::TimePoint m_stopAt{};
    // Bounds the hold by the time that really passed, whatever is done to the clock meanwhile.
    QElapsedTimer m_held;
    bool m_holding = false;
    bool m_unloaded = false;
};
