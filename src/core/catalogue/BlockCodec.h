#pragma once

#include "core/runtime/Result.h"

#include <memory>
#include <span>
#include <string>
#include <string_view>

// Blocks of entries pressed with a dictionary that the catalogue trained on its own blocks: names are
// much alike (the same words, dates and extensions) across blocks, but a block of 64 is too short to
// find them again in itself. A pressed block is PressedMark, the length of its packed bytes, and the
// pressed bytes; a plain block (written before the catalogue had a dictionary) starts with its count of
// entries, which never makes that mark.
class BlockCodec {
public:
    BlockCodec();
    ~BlockCodec();
    BlockCodec(const BlockCodec&) = delete;
    BlockCodec& operator=(const BlockCodec&) = delete;

    bool hasDictionary() const { return !m_dictionary.empty(); }
    // Takes up the dictionary; an empty one fails and leaves none.
    Result<Done> useDictionary(std::string dictionary);
    // Leaves the dictionary (one that was not kept in the file after all).
    void forgetDictionary();

    // The packed bytes as they are stored: pressed when there is a dictionary (and the block is no larger
    // than a block of real names can be), else as they are.
    Result<std::string> press(std::string_view packed);
    // The packed bytes of a stored block: the block itself when plain, else unpressed into the codec's
    // own buffer (valid until the next call).
    Result<std::string_view> unpress(std::string_view stored);

    static bool Pressed(std::string_view stored) { return !stored.empty() && stored[0] == PressedMark; }
    // A dictionary trained on these packed blocks; fails when they are too few or too alike to train on.
    static Result<std::string> Train(std::span<const std::string> blocks);

    static constexpr char PressedMark = '\xff';

private:
    struct Contexts;
    std::string m_dictionary;
    std::unique_ptr<Contexts> m_contexts;
    std::string m_buffer;
};
