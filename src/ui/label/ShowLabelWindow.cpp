#include "ui/label/ShowLabelWindow.h"

#include "ui/forms/ModalRunner.h"
#include "ui/label/frmLabel.h"

void ShowLabelWindow(const WindowServices& services, QWidget* parent, LabelAction action) {
    frmLabel window(services, parent, action == LabelAction::Print);
    window.Form_Load();
    // A window that closed itself while loading (printed, or no disk to read) is not shown again.
    if (window.isLoaded()) {
        ShowModal(services, window);
    }
}
