// fi/names.cpp: the name table. Texts live in large arena blocks, each entry laid out
// as [length: size_t][bytes][NUL]; the pointer handed out is the first byte, so the
// length sits just before it. An open-addressing hash index (power-of-two slots,
// linear probing) finds an entry in O(1), so interning n distinct texts is linear.
#include "fi/names.h"

#include <cstdlib>
#include <cstring>
#include <sys/mman.h>

namespace {

constexpr std::size_t BLOCK_SIZE = std::size_t{2} << 20;  // 2 MiB per arena block
constexpr std::size_t HEADER = sizeof(std::size_t);       // the stored length
constexpr std::size_t FIRST_SLOT_COUNT = 1024;

// One arena block; texts longer than a block get a block of their own.
struct Block {
    Block* next = nullptr;
    std::size_t size = 0;  // usable bytes after the header
    std::size_t used = 0;
    // bytes follow
};

struct Slot {
    const char* text = nullptr;  // nullptr: empty slot
    std::uint64_t hash = 0;
};

struct Table {
    Block* blocks = nullptr;  // the newest first
    Slot* slots = nullptr;
    std::size_t slot_count = 0;  // a power of two, or 0 before the first intern
    std::size_t count = 0;
};

Table table;

char* block_bytes(Block* b) { return reinterpret_cast<char*>(b + 1); }

// A fast 64-bit hash (multiply-xorshift over 8-byte words); any good spread will do.
std::uint64_t hash_of(std::string_view text) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t n = text.size();
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ (n * 0xC2B2AE3D27D4EB4Full);
    while (n >= 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        h = (h ^ (w * 0xFF51AFD7ED558CCDull)) * 0xC4CEB9FE1A85EC53ull;
        h ^= h >> 29;
        p += 8;
        n -= 8;
    }
    std::uint64_t w = 0;
    for (std::size_t i = 0; i < n; ++i)
        w |= std::uint64_t{p[i]} << (8 * i);
    h = (h ^ (w * 0xFF51AFD7ED558CCDull)) * 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 32;
    h *= 0x9E3779B97F4A7C15ull;
    return h ^ (h >> 29);
}

std::size_t length_of(const char* text) {
    std::size_t n;
    std::memcpy(&n, text - HEADER, HEADER);
    return n;
}

// A block of `bytes`; the standard blocks are aligned and marked for huge pages, which
// spares the kernel one page fault per 4 KiB on large scripts.
void* allocate_block(std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    if (bytes == BLOCK_SIZE) {
        void* block = std::aligned_alloc(BLOCK_SIZE, BLOCK_SIZE);
        if (block)
            madvise(block, BLOCK_SIZE, MADV_HUGEPAGE);
        return block;
    }
#endif
    return std::malloc(bytes);
}

// Room for one entry of `n` bytes; nullptr when memory runs out.
char* allocate_entry(std::size_t n) {
    std::size_t need = HEADER + n + 1;
    Block* b = table.blocks;
    if (!b || b->size - b->used < need) {
        std::size_t size = need > BLOCK_SIZE / 4 ? need : BLOCK_SIZE - sizeof(Block);
        Block* fresh = static_cast<Block*>(allocate_block(sizeof(Block) + size));
        if (!fresh)
            return nullptr;
        fresh->size = size;
        fresh->used = 0;
        if (need > BLOCK_SIZE / 4 && b) {
            // A big text: keep the current block open for small ones.
            fresh->next = b->next;
            b->next = fresh;
        } else {
            fresh->next = b;
            table.blocks = fresh;
        }
        b = fresh;
    }
    char* entry = block_bytes(b) + b->used;
    b->used += need;  // headers are read with memcpy, so no alignment is needed
    return entry;
}

// Doubles the index (or makes the first one); false when memory runs out.
bool grow_index() {
    std::size_t count = table.slot_count ? table.slot_count * 2 : FIRST_SLOT_COUNT;
    Slot* slots = static_cast<Slot*>(std::calloc(count, sizeof(Slot)));
    if (!slots)
        return false;
    for (std::size_t i = 0; i < table.slot_count; ++i) {
        const Slot& s = table.slots[i];
        if (!s.text)
            continue;
        std::size_t j = s.hash & (count - 1);
        while (slots[j].text)
            j = (j + 1) & (count - 1);
        slots[j] = s;
    }
    std::free(table.slots);
    table.slots = slots;
    table.slot_count = count;
    return true;
}

}  // namespace

void clear_name_table() {
    // Anything a previous run left behind is released, so a new run starts empty.
    free_name_table();
}

const char* intern(std::string_view text) {
    // Keep the load factor at most 1/2 so probe sequences stay short.
    if ((table.count + 1) * 2 > table.slot_count && !grow_index() && table.count + 1 >= table.slot_count)
        return nullptr;
    std::uint64_t h = hash_of(text);
    std::size_t mask = table.slot_count - 1;
    std::size_t i = h & mask;
    for (; table.slots[i].text; i = (i + 1) & mask) {
        const Slot& s = table.slots[i];
        if (s.hash == h && length_of(s.text) == text.size() &&
            std::memcmp(s.text, text.data(), text.size()) == 0)
            return s.text;
    }
    char* entry = allocate_entry(text.size());
    if (!entry)
        return nullptr;
    std::size_t n = text.size();
    std::memcpy(entry, &n, HEADER);
    char* stored = entry + HEADER;
    if (n)
        std::memcpy(stored, text.data(), n);
    stored[n] = '\0';
    table.slots[i] = Slot{stored, h};
    ++table.count;
    return stored;
}

std::size_t interned_length(const char* interned) { return interned ? length_of(interned) : 0; }

std::string_view interned_view(const char* interned) {
    if (!interned)
        return {};
    return std::string_view(interned, length_of(interned));
}

void free_name_table() {
    for (Block* b = table.blocks; b;) {
        Block* next = b->next;
        std::free(b);
        b = next;
    }
    std::free(table.slots);
    table = Table{};
}

int name_bucket(std::string_view text) {
    if (text.empty())
        return 0;
    auto upper = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; };
    unsigned first = upper(static_cast<unsigned char>(text.front()));
    unsigned last = upper(static_cast<unsigned char>(text.back()));
    return static_cast<int>((first ^ last) % 30);
}

std::size_t name_table_size() { return table.count; }
