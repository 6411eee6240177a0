#include "core/catalogue/BlockDictionary.h"

#include "core/catalogue/BlockCodec.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/EntryBlock.h"
#include "core/catalogue/SqliteDatabase.h"

#include <string>
#include <vector>

namespace {

// Fewer entries take little room as they are, and are too few to train on.
constexpr std::int64_t EntriesToTrainOn = 65536;
// Enough of the blocks to train on, spread over the whole file.
constexpr std::int64_t BlocksToTrainOn = 2048;

Result<Done> ReadDictionary(const SqliteDatabase& db) {
    Result<SqliteStatement> query = db.prepare("SELECT data FROM block_dictionary WHERE id = 1");
    if (!query) {
        return query.failure();
    }
    Result<bool> row = query.value().step();
    if (!row || !*row) {
        return row ? Result<Done>(Done{}) : Result<Done>(row.failure());
    }
    return db.blockCodec().useDictionary(std::string(query.value().blobView(0)));
}

} // namespace

Result<UnpackedEntries> ReadBlock(const SqliteDatabase& db, std::string_view stored, std::int64_t first,
                                  std::int64_t last) {
    BlockCodec& codec = db.blockCodec();
    if (BlockCodec::Pressed(stored) && !codec.hasDictionary()) {
        if (Result<Done> read = ReadDictionary(db); !read) {
            return read.failure();
        }
    }
    Result<std::string_view> packed = codec.unpress(stored);
    if (!packed) {
        return packed.failure();
    }
    return UnpackBlock(*packed, first, last);
}

Result<Done> UseBlockDictionary(const SqliteDatabase& db) {
    return db.blockCodec().hasDictionary() ? Result<Done>(Done{}) : ReadDictionary(db);
}

Result<bool> PressBlocks(const SqliteDatabase& db) {
    if (Result<Done> used = UseBlockDictionary(db); !used || db.blockCodec().hasDictionary()) {
        return used ? Result<bool>(false) : Result<bool>(used.failure());
    }
    // The blocks and their entries counted in one pass over the table, which every walk's end makes.
    Result<SqliteStatement> counted =
        db.prepare("SELECT count(*), coalesce(sum(last - first + 1), 0) FROM entry_blocks");
    Result<bool> row = Then(counted, [&] { return counted.value().step(); });
    if (!row) {
        return row.failure();
    }
    const std::int64_t blocks = *row ? counted.value().integer(0) : 0;
    const std::int64_t entries = *row ? counted.value().integer(1) : 0;
    counted.value().reset();
    if (entries < EntriesToTrainOn) {
        return false;
    }
    // Every block, or every so many of them, unpacked.
    const std::int64_t every = std::max<std::int64_t>(1, blocks / BlocksToTrainOn);
    std::vector<std::string> samples;
    Result<SqliteStatement> all = db.prepare("SELECT data FROM entry_blocks ORDER BY first");
    if (!all) {
        return all.failure();
    }
    std::int64_t n = 0;
    std::optional<Failure> failed;
    Result<Done> read = all.value().forEachRow([&](const SqliteStatement& row) {
        if (failed || n++ % every != 0) {
            return;
        }
        Result<std::string_view> packed = db.blockCodec().unpress(row.blobView(0));
        if (!packed) {
            failed = packed.failure();
            return;
        }
        samples.emplace_back(*packed);
    });
    if (!read || failed) {
        return read ? *failed : read.failure();
    }
    Result<std::string> dictionary = BlockCodec::Train(samples);
    if (!dictionary) {
        return false; // blocks too few or too alike: they stay as they are
    }
    Result<SqliteStatement> keep = db.prepare("INSERT INTO block_dictionary (id, data) VALUES (1, ?)");
    Result<Done> kept = Then(keep, [&] { return keep.value().bindBlob(1, *dictionary).run(); });
    Result<Done> used = Then(kept, [&] { return db.blockCodec().useDictionary(*dictionary); });
    Result<Done> pressed = Then(used, [&] {
        return RewriteBlocks(
            db,
            [&](std::int64_t, std::int64_t, std::string_view stored) -> Result<std::optional<std::string>> {
                if (BlockCodec::Pressed(stored)) {
                    return std::optional<std::string>(); // pressed already, with what dictionary no one knows
                }
                Result<std::string> block = db.blockCodec().press(stored);
                if (!block) {
                    return block.failure();
                }
                return std::optional<std::string>(std::move(block).value());
            });
    });
    if (!pressed) {
        return pressed.failure();
    }
    return true;
}

void ForgetBlockDictionary(const SqliteDatabase& db) {
    db.blockCodec().forgetDictionary();
}
