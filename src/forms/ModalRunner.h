#pragma once

class QDialog;

// Shows a dialog modally and returns its result. Tests replace it to act on the dialog instead of waiting
// for a person.
class ModalRunner {
public:
    virtual ~ModalRunner() = default;
    virtual int run(QDialog& dialog) = 0;
};

// Runs `dialog` modally through Program().services.modal (QDialog::exec when none is installed).
int ShowModal(QDialog& dialog);
