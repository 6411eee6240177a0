#include "ui/forms/ModalRunner.h"

#include "ui/forms/WindowServices.h"

#include <QDialog>

int ShowModal(const WindowServices& services, QDialog& dialog) {
    if (services.modal) {
        return services.modal->run(dialog);
    }
    return dialog.exec();
}
