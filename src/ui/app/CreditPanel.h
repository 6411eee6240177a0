#pragma once

#include "core/runtime/Clock.h"

#include <string>

class QFrame;
class QLabel;
class QWidget;

// What the splash and the About box share: a frame with the product name, a credit line, the author's and
// the maker's names and the logo, and today's date below it.
struct CreditPanel {
    QFrame* Frame1 = nullptr;
    QLabel* lblProductName = nullptr;
    QLabel* lblDesc = nullptr;
    QLabel* lblCompany = nullptr;
    QLabel* imgLogo = nullptr;
    QLabel* lblNow = nullptr;
};

// Lays the panel out on `window`; the logo's place (twips, inside the frame) differs between the two.
CreditPanel BuildCreditPanel(QWidget& window, int logoLeft, int logoTop, int logoWidth, int logoHeight);

// Fills the texts: the product, `credit`, the two names and the long date of `now`.
void FillCreditPanel(const CreditPanel& panel, const std::string& credit, Clock::TimePoint now);
