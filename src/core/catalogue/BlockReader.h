#pragma once

#include "core/catalogue/BlockDictionary.h"
#include "core/catalogue/EntryBlock.h"
#include "core/catalogue/EntryTable.h"
#include "core/catalogue/SqliteDatabase.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

// Entries by id from their blocks, for ids asked in order: each block that holds one is read and unpacked
// once.
class BlockReader {
public:
    explicit BlockReader(const SqliteDatabase& db) : m_db(db) {}

    // Calls `visit(id, block, index)` for each id of `ids` (ascending) that an entry has.
    template <typename Visit> Result<Done> visit(const std::vector<std::int64_t>& ids, Visit&& visit) {
        if (!m_holding) {
            m_holding = m_db.prepare(
                "SELECT first, last, data FROM entry_blocks WHERE first <= ? ORDER BY first DESC LIMIT 1");
        }
        if (!m_holding) {
            return m_holding.failure();
        }
        if (ids.empty()) {
            return Done{};
        }
        // Candidates dense enough are read in one pass over the blocks they span, the blocks that hold
        // none of them left packed; sparse ones one block at a time.
        if (static_cast<std::uint64_t>(ids.back() - ids.front()) / EntriesPerBlock < ids.size() / 2) {
            auto next = ids.begin();
            return eachBlock(
                ids.front() - (EntriesPerBlock - 1), ids.back(),
                [&](std::int64_t first, std::int64_t last) {
                    next = std::lower_bound(next, ids.end(), first);
                    return next != ids.end() && *next <= last;
                },
                [&](std::int64_t first, std::int64_t last, const UnpackedEntries& block) {
                    for (; next != ids.end() && *next <= last; ++next) {
                        visit(*next, block, static_cast<std::size_t>(*next - first));
                    }
                });
        }
        for (const std::int64_t id : ids) {
            if (!(m_first <= id && id <= m_last)) {
                SqliteStatement& holding = m_holding.value();
                holding.reset();
                holding.bind(1, id);
                Result<bool> row = holding.step();
                if (!row) {
                    return row.failure();
                }
                if (!*row || holding.integer(1) < id) {
                    continue; // no entry of that id
                }
                Result<UnpackedEntries> entries =
                    ReadBlock(m_db, holding.blobView(2), holding.integer(0), holding.integer(1));
                if (!entries) {
                    return entries.failure();
                }
                m_first = holding.integer(0);
                m_last = holding.integer(1);
                m_block = std::move(entries).value();
            }
            visit(id, std::as_const(m_block), static_cast<std::size_t>(id - m_first));
        }
        return Done{};
    }

    // Calls `visit(id, block, index)` for every entry whose id lies from `from` to `to`, in order.
    template <typename Visit> Result<Done> visitRange(std::int64_t from, std::int64_t to, Visit&& visit) {
        return eachBlock(
            from - (EntriesPerBlock - 1), to, [](std::int64_t, std::int64_t) { return true; },
            [&](std::int64_t first, std::int64_t last, const UnpackedEntries& block) {
                for (std::int64_t id = std::max(first, from); id <= std::min(last, to); ++id) {
                    visit(id, block, static_cast<std::size_t>(id - first));
                }
            });
    }

    // Calls `each(first, last, block)` for each block `blocks` reads (its first id, last id and bytes), in
    // the order it reads them, unpacking only those that `wanted(first, last)` asks for.
    template <typename Each, typename Wanted = bool (*)(std::int64_t, std::int64_t)>
    static Result<Done> eachOf(
        const SqliteDatabase& db, Result<SqliteStatement> blocks, Each&& each,
        Wanted&& wanted = [](std::int64_t, std::int64_t) { return true; }) {
        if (!blocks) {
            return blocks.failure();
        }
        return eachIn(db, blocks.value(), std::forward<Each>(each), std::forward<Wanted>(wanted));
    }

    // The same for a statement prepared and bound already, which is read from where it stands.
    template <typename Each, typename Wanted = bool (*)(std::int64_t, std::int64_t)>
    static Result<Done> eachIn(
        const SqliteDatabase& db, SqliteStatement& blocks, Each&& each,
        Wanted&& wanted = [](std::int64_t, std::int64_t) { return true; }) {
        std::optional<Failure> failed;
        Result<Done> read = blocks.forEachRow([&](const SqliteStatement& block) {
            const std::int64_t first = block.integer(0);
            const std::int64_t last = block.integer(1);
            if (failed || !wanted(first, last)) {
                return;
            }
            Result<UnpackedEntries> entries = ReadBlock(db, block.blobView(2), first, last);
            if (!entries) {
                failed = entries.failure();
                return;
            }
            each(first, last, std::as_const(*entries));
        });
        if (!read) {
            return read;
        }
        return failed ? Result<Done>(*failed) : Result<Done>(Done{});
    }

private:
    // Calls `each(first, last, block)` for the blocks whose first ids lie from `from` to `to`, in order,
    // unpacking only those that `wanted(first, last)` asks for.
    template <typename Wanted, typename Each>
    Result<Done> eachBlock(std::int64_t from, std::int64_t to, Wanted&& wanted, Each&& each) {
        return eachOf(m_db,
                      m_db.prepare("SELECT first, last, data FROM entry_blocks WHERE first BETWEEN ? AND ? "
                                   "ORDER BY first",
                                   from, to),
                      std::forward<Each>(each), std::forward<Wanted>(wanted));
    }

    const SqliteDatabase& m_db;
    Result<SqliteStatement> m_holding = Failure{""};
    std::int64_t m_first = 1;
    std::int64_t m_last = 0;
    UnpackedEntries m_block;
};
