#include "label/ShowLabelWindow.h"

#include "forms/ModalRunner.h"
#include "label/frmLabel.h"

void ShowLabelWindow(QWidget* parent) {
    frmLabel window(parent);
    window.Form_Load();
    // A window that closed itself while loading (printed, or no disk to read) is not shown again.
    if (window.isLoaded()) {
        ShowModal(window);
    }
}
