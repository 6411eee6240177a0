#pragma once

#include "ui/forms/ModalRunner.h"

#include <QDialog>

#include <functional>
#include <utility>

// Acts on a modal dialog instead of waiting for a person: shows it, runs the script, and reports the
// result the script left.
class ScriptedModal final : public ModalRunner {
public:
    explicit ScriptedModal(std::function<void(QDialog&)> act) : m_act(std::move(act)) {}
    int run(QDialog& dialog) override {
        ++runs;
        dialog.show();
        m_act(dialog);
        return dialog.result();
    }
    int runs = 0;

private:
    std::function<void(QDialog&)> m_act;
};
