#pragma once

#include <QComboBox>

#include <memory>
#include <string>
#include <vector>

class DriveService;

// The drive list (`drvList`): a drop-down of the drive roots of the drive service, each shown with the
// volume name of its medium, as "/dev/sdb [VOLUME]" (just "/dev/sdb" when the medium has no name or the
// drive holds none). The `Drive` property is the selected root; every change of it, by code or by the
// user, raises `Change`.
class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(std::shared_ptr<const DriveService> drives, QWidget* parent = nullptr);

    // The selected drive root; empty when the list is empty.
    std::string drive() const;
    // Selects the drive with this root (or a display text that starts with it). An unknown root fails with
    // "Device unavailable" and leaves the selection as it was.
    void setDrive(const std::string& root);

    // The roots in the order shown.
    const std::vector<std::string>& roots() const { return m_roots; }

    // Reads the drives and their volume names again, keeping the selected root when it is still there.
    void refresh();

    // The text one drive shows.
    static std::string displayText(const std::string& root, const std::string& volumeName);

signals:
    void Change();

protected:
    // The media may have changed since the list was filled; show what is in the drives now.
    void showPopup() override;
    // A text longer than the box ends in an ellipsis, so that a printed window holds only what is seen.
    void paintEvent(QPaintEvent* event) override;

private:
    int indexOfRoot(const std::string& root) const;
    void onCurrentIndexChanged(int index);

    std::shared_ptr<const DriveService> m_drives;
    std::vector<std::string> m_roots;
    std::string m_selected;
    bool m_filling = false;
};
