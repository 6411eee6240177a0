#pragma once

#include <QComboBox>

// A combo box that keeps its own size but lets its texts be read: its drop-down list is as wide as its
// widest item, and while its text does not fit the box the whole text is its tooltip.
class WideListComboBox final : public QComboBox {
    Q_OBJECT
public:
    explicit WideListComboBox(QWidget* parent = nullptr);

    void showPopup() override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Pixels the box has for its text.
    int textRoom() const;
    void updateToolTip();
};
