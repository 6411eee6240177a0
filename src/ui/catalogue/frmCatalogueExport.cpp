// The Catalogue window's Export…: either list as CSV, the search's every match and not only those shown,
// read from the catalogue a disk at a time and written as it comes.
#include "ui/catalogue/frmCatalogue.h"

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/CatalogueCsv.h"
#include "core/catalogue/CatalogueStore.h"
#include "core/catalogue/CatalogueText.h"
#include "core/runtime/Runtime.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressDialog>
#include <QSaveFile>
#include <QTabWidget>

namespace {

// The progress is asked after so many rows: often enough for Cancel to answer at once, seldom enough
// not to slow the writing.
constexpr std::uint64_t RowsBetweenProgress = 256;
constexpr int ProgressSteps = 1000;

// Writes the rows and counts them; asks the progress now and then whether to go on.
class RowWriter {
public:
    RowWriter(QSaveFile& file, const frmCatalogue::ExportProgress& progress)
        : m_file(file), m_progress(progress) {}

    bool header(const std::string& text) { return put(text); }
    // False once the export stops: cancelled, or the file refused the row.
    bool row(const std::string& text, std::uint64_t total) {
        if (m_rows % RowsBetweenProgress == 0 && m_progress && !m_progress(m_rows, total)) {
            m_cancelled = true;
            return false;
        }
        if (!put(text)) {
            return false;
        }
        ++m_rows;
        return true;
    }

    std::uint64_t rows() const { return m_rows; }
    bool cancelled() const { return m_cancelled; }
    bool failed() const { return m_failed; }

private:
    bool put(const std::string& text) {
        const auto size = static_cast<qint64>(text.size());
        m_failed = m_file.write(text.data(), size) != size;
        return !m_failed;
    }

    QSaveFile& m_file;
    const frmCatalogue::ExportProgress& m_progress;
    std::uint64_t m_rows = 0;
    bool m_cancelled = false;
    bool m_failed = false;
};

std::string WrittenMessage(std::uint64_t rows, const std::string& path) {
    if (rows == 0) {
        return "The list is empty: " + path + " holds only the column titles.";
    }
    return GroupedCount(rows) + (rows == 1 ? " row was" : " rows were") + " written to " + path + ".";
}

} // namespace

void frmCatalogue::makeExportSeams() {
    chooseExportFile = [this](const QString& suggested) {
        return QFileDialog::getSaveFileName(this, "Export", QDir::home().filePath(suggested),
                                            "CSV files (*.csv);;All files (*)");
    };
    exportProgress = [this](std::uint64_t written, std::uint64_t total) {
        if (!m_exportDialog) {
            // Shown only when the export takes long enough to be worth watching.
            m_exportDialog = std::make_unique<QProgressDialog>(this);
            m_exportDialog->setWindowTitle("Export");
            m_exportDialog->setWindowModality(Qt::WindowModal);
            m_exportDialog->setMinimumDuration(500);
            m_exportDialog->setRange(0, ProgressSteps);
            m_exportDialog->setAutoReset(false);
            m_exportDialog->setAutoClose(false);
        }
        m_exportDialog->setLabelText(
            QString::fromStdString("Writing " + GroupedCount(total) + (total == 1 ? " row..." : " rows...")));
        m_exportDialog->setValue(total == 0 ? 0 : static_cast<int>(written * ProgressSteps / total));
        return !m_exportDialog->wasCanceled();
    };
}

void frmCatalogue::cmdExport_Click() {
    const bool disks = tabViews->currentIndex() == DisksTab;
    const QString chosen = chooseExportFile(disks ? "Catalogued disks.csv" : "Catalogue search.csv");
    if (chosen.isEmpty()) {
        return;
    }
    const std::string path = chosen.toStdString();
    // Written beside the file and put in its place only when whole: a cancelled or failed export leaves
    // an existing file as it was.
    QSaveFile file(chosen);
    RowWriter writer(file, exportProgress);
    std::string failure;
    if (!file.open(QIODevice::WriteOnly)) {
        failure = file.errorString().toStdString();
    } else if (disks) {
        const std::vector<DiskRecord> shown = shownDisks();
        if (writer.header(DisksCsvHeader())) {
            for (const DiskRecord& disk : shown) {
                if (!writer.row(DiskCsvRow(disk), shown.size())) {
                    break;
                }
            }
        }
    } else if (const std::string text = txtSearch->text().trimmed().toStdString();
               writer.header(SearchHitsCsvHeader()) && !text.empty() && store()) {
        // A connection of its own: the window's keeps serving the window meanwhile.
        Result<std::unique_ptr<CatalogueStore>> reading =
            m_services.catalogue->openStore(CatalogueAccess::Read);
        const Result<Done> read =
            reading ? (*reading)->forEachHit(text,
                                             [&](const SearchHit& hit, std::uint64_t total) {
                                                 return writer.row(SearchHitCsvRow(hit), total);
                                             })
                    : Result<Done>(Failure{reading.reason()});
        if (!read) {
            failure = read.reason();
        }
    }
    m_exportDialog.reset();
    if (writer.failed()) {
        failure = file.errorString().toStdString();
    }
    if (writer.cancelled() || !failure.empty()) {
        file.cancelWriting();
    } else if (!file.commit()) {
        failure = file.errorString().toStdString();
    }
    if (!failure.empty()) {
        MsgBox(m_services, "The list could not be saved to " + path + ": " + failure + ".", 0);
    } else if (!writer.cancelled()) {
        MsgBox(m_services, WrittenMessage(writer.rows(), path), 0);
    }
}
