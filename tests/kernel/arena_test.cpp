// Load arenas: arrays that behave as vectors wherever their storage lives, pieces given back in
// any order, and a loaded database that is edited and discarded like any other.
#include "kernel/arena.h"

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "kernel/arena_vector.h"
#include "kernel_test_support.h"

namespace kt {
namespace {

using tolvi::kernel::Arena;
using tolvi::kernel::ArenaScope;
using tolvi::kernel::ArenaVector;

// Whether arenas hand out memory in this build: under an address sanitiser everything comes
// from the heap, so that each piece is watched on its own.
bool ArenasOn() {
    Arena probe(1 << 16);
    void* p = probe.Allocate(8);
    if (p) Arena::Release(p);
    return p != nullptr;
}

TEST(ArenaVector, BehavesAsAVectorInAnArenaAndAfterIt) {
    struct Case {
        const char* what;
        void (*onArena)(ArenaVector<int32_t>&);
        void (*onStd)(std::vector<int32_t>&);
    };
// Each step is written once and runs once in each of the two lambdas.
// NOLINTBEGIN(bugprone-macro-repeated-side-effects)
#define BOTH(body) [](ArenaVector<int32_t>& v) { body; }, [](std::vector<int32_t>& v) { body; }
    const Case steps[] = {
        {"appends", BOTH(for (int i = 0; i < 100; ++i) v.push_back(i))},
        {"insert at front", BOTH(v.insert(v.begin(), -1))},
        {"insert in the middle", BOTH(v.insert(v.begin() + 50, -2))},
        {"insert at the end", BOTH(v.insert(v.end(), -3))},
        {"erase one", BOTH(v.erase(v.begin() + 7))},
        {"erase a range", BOTH(v.erase(v.begin() + 10, v.begin() + 30))},
        {"grow", BOTH(v.resize(300))},
        {"shrink", BOTH(v.resize(40))},
        {"copy", BOTH(auto c = v; c.push_back(9); v = c)},
        {"erase all", BOTH(v.erase(v.begin(), v.end()))},
        {"append again", BOTH(for (int i = 0; i < 70; ++i) v.push_back(i * 3))},
    };
#undef BOTH
    // NOLINTEND(bugprone-macro-repeated-side-effects)
    // Each step once with the storage in an arena, then again after the arena scope is left:
    // what grows then moves to the heap and the arena's storage is given back.
    Arena arena(1 << 16);
    ArenaVector<int32_t> a;
    std::vector<int32_t> s;
    for (const bool inArena : {true, false}) {
        std::unique_ptr<ArenaScope> scope;
        if (inArena) scope = std::make_unique<ArenaScope>(&arena);
        for (const Case& c : steps) {
            c.onArena(a);
            c.onStd(s);
            ASSERT_EQ(std::vector<int32_t>(a.begin(), a.end()), s)
                << c.what << (inArena ? " in the arena" : "");
        }
    }
}

TEST(ArenaVector, OwnedElementsAreDestroyedOnceWhateverTheOperation) {
    static int live = 0;
    struct Counted {
        Counted() { ++live; }
        ~Counted() { --live; }
    };
    {
        Arena arena(1 << 16);
        ArenaScope scope(&arena);
        ArenaVector<std::unique_ptr<Counted>> v;
        for (int i = 0; i < 50; ++i) v.push_back(std::make_unique<Counted>());
        v.insert(v.begin() + 3, std::make_unique<Counted>());
        v.erase(v.begin(), v.begin() + 10);
        v.erase(v.begin() + 5);
        EXPECT_EQ(live, 40);
        ArenaVector<std::unique_ptr<Counted>> moved = std::move(v);
        v = std::move(moved);
        EXPECT_EQ(live, 40);
    }
    EXPECT_EQ(live, 0);
}

TEST(Arena, PiecesComeBackInAnyOrderAndTheirBlocksAreFreed) {
    if (!ArenasOn()) GTEST_SKIP() << "arenas are off in this build";
    const size_t before = Arena::MappedBytes();
    std::vector<std::pair<uint32_t*, size_t>> pieces;  // words each
    {
        Arena arena(1 << 18);  // small first block: later ones are needed
        std::mt19937 random(7);
        for (size_t i = 0; i < 40000; ++i) {
            const size_t words = 1 + random() % 64;
            auto* p = static_cast<uint32_t*>(arena.Allocate(words * 4));
            ASSERT_NE(p, nullptr);
            std::fill(p, p + words, uint32_t(i));
            pieces.emplace_back(p, words);
        }
        EXPECT_EQ(arena.Allocate(size_t(1) << 20), nullptr) << "too large for a segment";
        std::shuffle(pieces.begin(), pieces.end(), random);
        // Half are given back while the arena still fills its last block.
        for (size_t i = 0; i < pieces.size() / 2; ++i) Arena::Release(pieces[i].first);
        pieces.erase(pieces.begin(), pieces.begin() + std::ptrdiff_t(pieces.size() / 2));
    }
    EXPECT_GT(Arena::MappedBytes(), before);
    for (const auto& [p, words] : pieces) {  // no piece overlapped another
        ASSERT_EQ(std::count(p, p + words, p[0]), std::ptrdiff_t(words));
        Arena::Release(p);
    }
    EXPECT_EQ(Arena::MappedBytes(), before);
}

class LoadedDatabase : public KernelTest {
protected:
    TempDir tmp;
};

TEST_F(LoadedDatabase, IsEditedSavedAndDiscardedLikeAnyOther) {
    BuildFixtureDesign();
    const std::string file = tmp.path("a.tpb");
    ASSERT_NE(DB_SaveDataBase(file.c_str()), 0);
    ASSERT_NE(DB_LoadDataBase(file.c_str()), 0);
    EXPECT_EQ(Arena::MappedBytes() > 0, ArenasOn()) << "the load comes from arenas where they are on";

    // Arrays that came from the arena grow onto the heap; objects that came from it go.
    const auto keys = [](int32_t map) {
        std::vector<int32_t> out;
        int32_t cursor = OM_GetFirst(map);
        while (const int32_t k = OM_SearchMask(map, cursor, 0, 0)) out.push_back(k);
        return out;
    };
    for (const int32_t h : keys(DB_HierarchyMap())) {
        DB_SetCurHier(h);
        for (const int32_t t : keys(DB_TraceMap()))
            for (int i = 0; i < 20; ++i) ASSERT_NE(T_InsertRecord(t, 1, 0, i, i, 10), 0);
        const std::vector<int32_t> nets = keys(DB_NetMap());
        for (size_t i = 0; i < nets.size(); i += 2) ASSERT_NE(OM_Delete(DB_NetMap(), nets[i]), 0);
    }
    const std::string edited = DumpDatabase();
    ASSERT_NE(DB_SaveDataBase(file.c_str()), 0);
    ASSERT_NE(DB_LoadDataBase(file.c_str()), 0);
    EXPECT_EQ(DumpDatabase(), edited);

    DB_DiscardDataBase();
    EXPECT_EQ(Arena::MappedBytes(), 0u);
}

}  // namespace
}  // namespace kt
