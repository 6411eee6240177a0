#pragma once

class QDialog;
struct WindowServices;

// Shows a dialog modally and returns its result. Tests replace it to act on the dialog instead of waiting
// for a person.
class ModalRunner {
public:
    virtual ~ModalRunner() = default;
    virtual int run(QDialog& dialog) = 0;
};

// Runs `dialog` modally through the services' runner (QDialog::exec when there is none).
int ShowModal(const WindowServices& services, QDialog& dialog);
