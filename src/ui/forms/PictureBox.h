#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>

// A picture box with a persistent image: drawing goes to the image it keeps, painting shows that image,
// and rendering the box (printing a window) reproduces it at the target's resolution.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // The persistent image, the surface everything is drawn on; as large as the box in pixels.
    QImage& image();
    const QImage& image() const;

    // Outer size in twips.
    double heightTwips() const;
    double widthTwips() const;
    void setHeightTwips(double twips);
    void setWidthTwips(double twips);

    // The text color drawing uses, as a color value (plain RGB or a system-color reference).
    std::uint32_t foreColor() const { return m_foreColor; }
    void setForeColor(std::uint32_t color) { m_foreColor = color; }

    // Shows the persistent image on the screen at once.
    virtual void Refresh();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitImage() const;

    mutable QImage m_image;
    std::uint32_t m_foreColor = 0x80000008; // window text
};
