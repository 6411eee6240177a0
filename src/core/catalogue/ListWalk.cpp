#include "core/catalogue/ListWalk.h"

#include "core/catalogue/CatalogueStore.h"
#include "core/catalogue/WalkAhead.h"

WalkOutcome WalkIntoList(CatalogueStore& store, std::int64_t listId, const std::string& root,
                         const std::vector<std::string>& otherMounts, const std::atomic<bool>& cancel,
                         const std::function<void(const WalkCounts&)>& progress, std::string& failure) {
    const auto written = [&](const Result<Done>& done) {
        if (!done && !cancel.load()) {
            failure = done.reason();
        }
        return done.ok();
    };
    const EntrySink sink = [&](WalkBatch& batch, const WalkCounts& counts) {
        if (!written(store.stageEntries(listId, batch.entries, batch.unreadableFolders))) {
            return false;
        }
        if (progress) {
            progress(counts);
        }
        return true;
    };
    return WalkTreeAhead(root, otherMounts, cancel, sink, [&] { return written(store.commitEntries()); });
}
