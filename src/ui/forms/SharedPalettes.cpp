#include "ui/forms/SharedPalettes.h"

#include <QPalette>
#include <QWidget>

#include <vector>

namespace {

// The one palette object for these colours. Every role is marked as set, so that a widget takes the
// palette as it is instead of resolving it against its parent's into a fresh copy.
QPalette SharedPalette(const QPalette& palette) {
    static std::vector<QPalette> known;
    for (const QPalette& candidate : known) {
        if (candidate == palette) {
            return candidate;
        }
    }
    QPalette complete = palette;
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto g = static_cast<QPalette::ColorGroup>(group);
            const auto r = static_cast<QPalette::ColorRole>(role);
            complete.setBrush(g, r, palette.brush(g, r));
        }
    }
    known.push_back(complete);
    return complete;
}

} // namespace

void ShareIdenticalPalettes(QWidget& window) {
    window.setPalette(SharedPalette(window.palette()));
    // Parents come before their children, so each child is given what it inherits by then.
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        widget->setPalette(SharedPalette(widget->palette()));
    }
}
