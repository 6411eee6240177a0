#include "forms/ModalRunner.h"

#include "forms/ProgramState.h"

#include <QDialog>

int ShowModal(QDialog& dialog) {
    if (auto runner = Program().services.modal) {
        return runner->run(dialog);
    }
    return dialog.exec();
}
