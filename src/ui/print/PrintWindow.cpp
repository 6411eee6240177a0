#include "ui/print/PrintWindow.h"

#include "ui/forms/Screen.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPrinter>
#include <QWidget>

#include <optional>

#ifdef TESSALINE_HAVE_CUPS
#include <cups/cups.h>
#include <dlfcn.h>
#endif

namespace {

// Paints with the printer's own engine while not calling itself a printer: QWidget::render turns a
// window drawn on a printer into one bitmap first; drawn on this device, texts stay text and pictures keep
// their own resolution.
class PrinterPages final : public QPaintDevice {
public:
    explicit PrinterPages(QPrinter& printer) : m_printer(printer) {}
    QPaintEngine* paintEngine() const override { return m_printer.paintEngine(); }

protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth:
            return m_printer.width();
        case PdmHeight:
            return m_printer.height();
        case PdmWidthMM:
            return m_printer.widthMM();
        case PdmHeightMM:
            return m_printer.heightMM();
        case PdmNumColors:
            return m_printer.colorCount();
        case PdmDepth:
            return m_printer.depth();
        case PdmDpiX:
            return m_printer.logicalDpiX();
        case PdmDpiY:
            return m_printer.logicalDpiY();
        case PdmPhysicalDpiX:
            return m_printer.physicalDpiX();
        case PdmPhysicalDpiY:
            return m_printer.physicalDpiY();
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    QPrinter& m_printer;
};

#ifdef TESSALINE_HAVE_CUPS
// The status of this thread's last CUPS request, from the libcups that Qt's CUPS printing loaded. The
// program does not link libcups (it would load at every start); when nothing loaded it, no request was
// made and there is no status to read.
std::optional<ipp_status_t> LastCupsStatus() {
    void* cups = dlopen("libcups.so.2", RTLD_LAZY | RTLD_NOLOAD);
    if (cups == nullptr) {
        return std::nullopt;
    }
    std::optional<ipp_status_t> status;
    if (auto* lastError = reinterpret_cast<decltype(&cupsLastError)>(dlsym(cups, "cupsLastError"))) {
        status = lastError();
    }
    dlclose(cups);
    return status;
}
#endif

// Ending the painter hands a CUPS job over, but Qt keeps quiet when the scheduler refuses it (a queue
// that rejects jobs, a printer removed meanwhile). libcups keeps the status of this thread's last request.
bool JobAccepted(const QPrinter& printer) {
#ifdef TESSALINE_HAVE_CUPS
    if (printer.outputFormat() == QPrinter::NativeFormat) {
        const std::optional<ipp_status_t> status = LastCupsStatus();
        return !status || *status <= IPP_STATUS_OK_EVENTS_COMPLETE;
    }
#else
    (void)printer;
#endif
    return true;
}

} // namespace

bool PrintWindow(QWidget& window, QPrinter& printer) {
    printer.setFullPage(false); // the painter's origin is the top left of the printable area
    PrinterPages pages(printer);
    QPainter painter;
    if (!painter.begin(&pages)) {
        return false;
    }
    // One screen pixel is TwipsPerPixel twips; one inch is 1440 twips and printer.resolution() dots.
    const double dotsPerTwip = printer.resolution() / 1440.0;
    painter.scale(TwipsPerPixelX() * dotsPerTwip, TwipsPerPixelY() * dotsPerTwip);
    window.render(&painter, QPoint(), QRegion(window.rect()),
                  QWidget::DrawWindowBackground | QWidget::DrawChildren);
    if (!painter.end()) {
        return false;
    }
    return JobAccepted(printer);
}
