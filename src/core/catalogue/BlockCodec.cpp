#include "core/catalogue/BlockCodec.h"

#include "core/catalogue/PackedNumbers.h"

#define LZ4_STATIC_LINKING_ONLY // LZ4_attach_dictionary: the library is linked in whole
#include <lz4.h>
#include <zdict.h>

#include <limits>
#include <vector>

#include <dlfcn.h>

namespace {

// A dictionary this large holds the words of many kinds of disk; the blocks it is trained on should be
// some hundred times larger. LZ4 looks back 64 KB at the most.
constexpr std::size_t DictionaryBytes = 32 * 1024;
// No block unpacks to more than this: 64 names of at most 4,096 bytes and their numbers.
constexpr std::uint64_t LargestPacked = 64 * (4096 + 64);

const Failure Damaged{"a block of the catalogue's entries is damaged"};

} // namespace

// LZ4 rather than a stronger kind: a search unpresses thousands of blocks, and LZ4 does so several times
// faster for three fifths of the gain.
struct BlockCodec::Contexts {
    LZ4_stream_t dictionary{}; // the dictionary's matches, found once
    LZ4_stream_t press{};
};

BlockCodec::BlockCodec() = default;
BlockCodec::~BlockCodec() = default;

Result<Done> BlockCodec::useDictionary(std::string dictionary) {
    if (dictionary.empty() || dictionary.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return Failure{"the catalogue's dictionary of names is damaged"};
    }
    // The streams point into the dictionary: it is in its place before they are made.
    m_contexts.reset();
    m_dictionary = std::move(dictionary);
    m_contexts = std::make_unique<Contexts>();
    LZ4_initStream(&m_contexts->dictionary, sizeof(m_contexts->dictionary));
    LZ4_initStream(&m_contexts->press, sizeof(m_contexts->press));
    LZ4_loadDict(&m_contexts->dictionary, m_dictionary.data(), static_cast<int>(m_dictionary.size()));
    return Done{};
}

void BlockCodec::forgetDictionary() {
    m_contexts.reset();
    m_dictionary.clear();
}

Result<std::string> BlockCodec::press(std::string_view packed) {
    // A block larger than any of names a file system allows stays plain, readable as it is.
    if (!hasDictionary() || packed.size() > LargestPacked) {
        return std::string(packed);
    }
    std::string stored(1, PressedMark);
    PutNumber(stored, packed.size());
    const std::size_t head = stored.size();
    const int bound = LZ4_compressBound(static_cast<int>(packed.size()));
    stored.resize(head + static_cast<std::size_t>(bound));
    // Each block starts from the dictionary's matches afresh: found once, referred to by each.
    LZ4_resetStream_fast(&m_contexts->press);
    LZ4_attach_dictionary(&m_contexts->press, &m_contexts->dictionary);
    const int size = LZ4_compress_fast_continue(&m_contexts->press, packed.data(), stored.data() + head,
                                                static_cast<int>(packed.size()), bound, 1);
    if (size <= 0) {
        return Failure{"a block of entries could not be pressed"};
    }
    stored.resize(head + static_cast<std::size_t>(size));
    return stored;
}

Result<std::string_view> BlockCodec::unpress(std::string_view stored) {
    if (!Pressed(stored)) {
        return stored;
    }
    if (!hasDictionary()) {
        return Damaged;
    }
    PackedReader in(stored.substr(1));
    const std::optional<std::uint64_t> size = in.number();
    if (!size || *size > LargestPacked) {
        return Damaged;
    }
    const std::size_t head = 1 + in.at();
    m_buffer.resize(static_cast<std::size_t>(*size));
    const int unpressed = LZ4_decompress_safe_usingDict(
        stored.data() + head, m_buffer.data(), static_cast<int>(stored.size() - head),
        static_cast<int>(m_buffer.size()), m_dictionary.data(), static_cast<int>(m_dictionary.size()));
    if (unpressed < 0 || static_cast<std::size_t>(unpressed) != m_buffer.size()) {
        return Damaged;
    }
    return std::string_view(m_buffer);
}

namespace {

// zstd's trainer, loaded the first time a dictionary is trained: most runs (a search in the terminal) never
// train one, and need not load the library.
struct Trainer {
    decltype(&ZDICT_trainFromBuffer) train = nullptr;
    decltype(&ZDICT_isError) isError = nullptr;
    decltype(&ZDICT_getErrorName) errorName = nullptr;
};

Result<Trainer> LoadTrainer() {
    static const Result<Trainer> loaded = []() -> Result<Trainer> {
        void* handle = ::dlopen(TESSALINE_ZSTD_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            const char* why = ::dlerror();
            return Failure{std::string("the zstd library could not be loaded (") + (why ? why : "") + ")"};
        }
        Trainer trainer;
        trainer.train = reinterpret_cast<decltype(trainer.train)>(::dlsym(handle, "ZDICT_trainFromBuffer"));
        trainer.isError = reinterpret_cast<decltype(trainer.isError)>(::dlsym(handle, "ZDICT_isError"));
        trainer.errorName =
            reinterpret_cast<decltype(trainer.errorName)>(::dlsym(handle, "ZDICT_getErrorName"));
        if (trainer.train == nullptr || trainer.isError == nullptr || trainer.errorName == nullptr) {
            ::dlclose(handle);
            return Failure{"the zstd library lacks its dictionary trainer"};
        }
        return trainer; // kept loaded
    }();
    return loaded;
}

} // namespace

Result<std::string> BlockCodec::Train(std::span<const std::string> blocks) {
    Result<Trainer> trainer = LoadTrainer();
    if (!trainer) {
        return trainer.failure();
    }
    std::string samples;
    std::vector<std::size_t> sizes;
    for (const std::string& block : blocks) {
        samples += block;
        sizes.push_back(block.size());
    }
    std::string dictionary(DictionaryBytes, '\0');
    const std::size_t size = trainer->train(dictionary.data(), dictionary.size(), samples.data(),
                                            sizes.data(), static_cast<unsigned>(sizes.size()));
    if (trainer->isError(size) != 0) {
        return Failure{std::string("no dictionary of names could be made: ") + trainer->errorName(size)};
    }
    dictionary.resize(size);
    return dictionary;
}
