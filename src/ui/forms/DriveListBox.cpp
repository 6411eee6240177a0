#include "ui/forms/DriveListBox.h"

#include "core/disks/DriveService.h"
#include "core/runtime/RuntimeError.h"

#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace {

std::string WithoutTrailingNuls(std::string text) {
    while (!text.empty() && text.back() == '\0') {
        text.pop_back();
    }
    return text;
}

} // namespace

DriveListBox::DriveListBox(std::shared_ptr<const DriveService> drives, QWidget* parent)
    : QComboBox(parent), m_drives(std::move(drives)) {
    setEditable(false);
    connect(this, &QComboBox::currentIndexChanged, this, &DriveListBox::onCurrentIndexChanged);
    refresh();
}

std::string DriveListBox::displayText(const std::string& root, const std::string& volumeName) {
    const std::string name = WithoutTrailingNuls(volumeName);
    return name.empty() ? root : root + " [" + name + "]";
}

std::string DriveListBox::drive() const {
    return m_selected;
}

int DriveListBox::indexOfRoot(const std::string& root) const {
    for (std::size_t i = 0; i < m_roots.size(); ++i) {
        if (m_roots[i] == root) {
            return static_cast<int>(i);
        }
    }
    // A display text as the list shows it selects its drive too.
    for (std::size_t i = 0; i < m_roots.size(); ++i) {
        const std::string& r = m_roots[i];
        if (root.size() > r.size() && root.compare(0, r.size(), r) == 0 && root[r.size()] == ' ') {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void DriveListBox::setDrive(const std::string& root) {
    const int index = indexOfRoot(root);
    if (index < 0) {
        throw RuntimeError(RuntimeError::DeviceUnavailable);
    }
    setCurrentIndex(index);
}

void DriveListBox::refresh() {
    std::vector<std::string> roots;
    QStringList texts;
    if (m_drives) {
        roots = m_drives->driveRoots();
        for (const std::string& root : roots) {
            const Result<VolumeInformation> volume = m_drives->volumeInformation(root);
            texts << QString::fromStdString(displayText(root, volume ? volume->name : std::string()));
        }
    }

    const std::string previous = m_selected;
    m_filling = true;
    clear();
    m_roots = std::move(roots);
    addItems(texts);
    int index = indexOfRoot(previous);
    if (index < 0 && !m_roots.empty()) {
        index = 0;
    }
    setCurrentIndex(index);
    m_filling = false;

    m_selected = index >= 0 ? m_roots[static_cast<std::size_t>(index)] : std::string();
    if (m_selected != previous && !previous.empty()) {
        emit Change();
    }
}

void DriveListBox::showPopup() {
    refresh();
    QComboBox::showPopup();
}

void DriveListBox::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect textArea =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    option.currentText = fontMetrics().elidedText(option.currentText, Qt::ElideRight, textArea.width() - 2);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void DriveListBox::onCurrentIndexChanged(int index) {
    if (m_filling) {
        return;
    }
    const std::string now = index >= 0 && static_cast<std::size_t>(index) < m_roots.size()
                                ? m_roots[static_cast<std::size_t>(index)]
                                : std::string();
    if (now == m_selected) {
        return;
    }
    m_selected = now;
    emit Change();
}
