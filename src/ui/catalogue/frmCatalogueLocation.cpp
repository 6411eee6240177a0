// The Catalogue window's Location...: whether the catalogue is this desk's own file or a team's, shared on
// a PostgreSQL server, kept in the profile for the next start too.
#include "ui/catalogue/frmCatalogue.h"

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/CatalogueStore.h"
#include "core/runtime/MessageService.h"
#include "core/runtime/Runtime.h"
#include "core/settings/CatalogueSetting.h"
#include "core/settings/ProfileService.h"

#include <QHBoxLayout>
#include <QInputDialog>
#include <QPushButton>

void frmCatalogue::makeLocationControls(QHBoxLayout& row) {
    cmdLocation = new QPushButton("&Location...", this);
    cmdLocation->setObjectName("cmdLocation");
    cmdLocation->setAutoDefault(false);
    cmdLocation->setEnabled(m_services.catalogue && m_services.profile);
    row.addWidget(cmdLocation);
    connect(cmdLocation, &QPushButton::clicked, this, &frmCatalogue::cmdLocation_Click);
    askLocation = [this](const QString& current) -> std::optional<QString> {
        bool ok = false;
        const QString typed = QInputDialog::getText(
            this, "Catalogue Location",
            "To share the catalogue and the disk numbers with other desks, give its PostgreSQL server as a "
            "URI (postgresql://host/catalogue) or a connection string (host=server dbname=catalogue); keep "
            "its password in ~/.pgpass. Leave it empty to keep the catalogue on this computer.",
            QLineEdit::Normal, current, &ok);
        return ok ? std::optional<QString>(typed) : std::nullopt;
    };
}

void frmCatalogue::cmdLocation_Click() {
    Catalogue& catalogue = *m_services.catalogue;
    const std::string current = catalogue.givesNumbers() ? catalogue.path() : std::string();
    const std::optional<QString> typed = askLocation(QString::fromStdString(current));
    if (!typed) {
        return;
    }
    const std::string server = typed->trimmed().toStdString();
    if (server == current) {
        return;
    }
    if (const Result<Done> fits = CheckServerSetting(server); !fits) {
        MsgBox(m_services, "The catalogue's location was not changed: " + fits.reason() + ".", 0);
        return;
    }
    if (!server.empty()) {
        // Set up while the server is away, it is used once the server is back.
        const Result<std::unique_ptr<CatalogueStore>> tried =
            CatalogueStore::open(server, {}, CatalogueAccess::Read);
        if (!tried && MsgBox(m_services,
                             "The shared catalogue cannot be used now: " + tried.reason() +
                                 ".\r\n\r\nKeep this location all the same? Until the catalogue can be used, "
                                 "you are asked "
                                 "before each new label is printed.",
                             MessageYesNo | MessageQuestion) != AnswerYes) {
            return;
        }
    }
    if (const Result<ProfileStatuses> saved =
            m_services.profile->write({{CatalogueSection, ServerKey, server}});
        !saved) {
        MsgBox(m_services,
               "The catalogue's location was not changed: it cannot be saved to " +
                   m_services.profile->location() + ": " + saved.reason() + ".",
               0);
        return;
    }
    catalogue.setServer(server);
    reopenCatalogue();
    showCatalogueProgress(catalogue.progress());
}
