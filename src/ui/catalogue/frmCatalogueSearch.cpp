// The Catalogue window's search: results as the user types, from a search thread, and the count under them.
#include "ui/catalogue/frmCatalogue.h"

#include "core/catalogue/CatalogueText.h"
#include "core/catalogue/SearchQuery.h"

#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QSortFilterProxyModel>
#include <QTabWidget>

void frmCatalogue::txtSearch_Change() {
    const std::string text = txtSearch->text().trimmed().toStdString();
    m_searchFailure.clear();
    showEmptyHint();
    // A filter typed wrong is said in the count's place; nothing is searched until it is mended.
    const Result<SearchQuery> query = ParseSearch(text);
    m_queryProblem = query ? "" : query.reason();
    if (text.empty() || !query || !store() || !openSearch) {
        if (m_search) {
            m_search->cancel();
        }
        m_awaited = 0;
        m_totalHits = 0;
        m_totalEstimated = false;
        m_hits->setRecords({});
        showCount();
        return;
    }
    if (!m_search) {
        // What a search thread since replaced still sends is dropped: its generations start again.
        m_search = std::make_unique<SearchWorker>(
            openSearch,
            [this, thread = ++m_searchThreads](std::uint64_t generation, Result<SearchResult> result) {
                QMetaObject::invokeMethod(
                    this,
                    [this, thread, generation, result = std::move(result)] {
                        if (thread == m_searchThreads) {
                            showResults(generation, result);
                        }
                    },
                    Qt::QueuedConnection);
            });
    }
    m_awaited = m_search->request(text);
}

void frmCatalogue::showResults(std::uint64_t generation, const Result<SearchResult>& result) {
    // Typing went on while this search ran: a newer one is on its way.
    if (!m_search || !m_search->isCurrent(generation)) {
        return;
    }
    m_awaited = 0;
    if (result) {
        m_totalHits = result->total;
        m_totalEstimated = result->totalEstimated;
        m_hits->setRecords(result->hits);
    } else {
        m_searchFailure = result.reason();
        m_totalHits = 0;
        m_totalEstimated = false;
        m_hits->setRecords({});
        showEmptyHint();
    }
    showCount();
}

void frmCatalogue::showCount() {
    std::string text;
    if (tabViews->currentIndex() == DisksTab) {
        const int disks = m_sortedDisks->rowCount();
        text = disks == 0
                   ? ""
                   : GroupedCount(static_cast<std::uint64_t>(disks)) + (disks == 1 ? " disk" : " disks");
    } else if (!m_queryProblem.empty()) {
        text = m_queryProblem;
    } else if (!m_searchFailure.empty()) {
        text = "The search failed."; // why is said above the lists, where long words wrap
    } else if (txtSearch->text().trimmed().isEmpty()) {
        text = m_disks->records().empty() ? "" : "Type any part of a name or of its folders, or a filter.";
    } else if (m_awaited == 0) {
        text = MatchCountText(static_cast<std::size_t>(m_hits->rowCount()), m_totalHits, m_totalEstimated);
    } else {
        return; // the count of the newest search comes with its results
    }
    lblCount->setText(QString::fromStdString(text));
}

std::vector<SearchHit> frmCatalogue::shownHits() const {
    std::vector<SearchHit> hits;
    for (int row = 0; row < m_sortedHits->rowCount(); ++row) {
        hits.push_back(m_hits->record(m_sortedHits->mapToSource(m_sortedHits->index(row, 0)).row()));
    }
    return hits;
}
