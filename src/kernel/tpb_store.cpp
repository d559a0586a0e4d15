#include "kernel/tpb_store.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <set>
#include <thread>
#include <type_traits>

#include "base/file_replace.h"
#include "kernel/arena.h"
#include "kernel/chunk_file.h"
#include "kernel/crc32.h"
#include "kernel/file_input.h"
#include "kernel/kernel.h"

namespace tolvi::kernel {

static_assert(std::endian::native == std::endian::little, "the .TPB reader copies numbers as stored");

namespace {

constexpr FileKind kTpbFile = {{'\x89', 'T', 'P', 'B', '\r', '\n', '\x1A', '\n'}, kTpbMajor, kTpbMinor};
constexpr int32_t kTextSizeTableId = 1000;

template <class T>
struct IsUniquePtr : std::false_type {};
template <class T>
struct IsUniquePtr<std::unique_ptr<T>> : std::true_type {};
// The arrays the model holds, stored alike: a count, then the elements.
template <class T>
struct IsArray : std::false_type {};
template <class T>
struct IsArray<std::vector<T>> : std::true_type {};
template <class T>
struct IsArray<ArenaVector<T>> : std::true_type {};

bool SavedTable(size_t n) {
    return n != SysLayerMask && n != SysHelpState && n != SysProcess && n != SysChangedFlag;
}

// Threads beside the calling one for loading and saving.
size_t MaxWorkers() {
    // Asked once: the answer is read from the system's files on every call.
    static const size_t cores = std::thread::hardware_concurrency();
    return std::clamp<size_t>(cores ? cores - 1 : 3, 1, 7);
}

// --- writing ---------------------------------------------------------------------------------

class Writer : public ChunkWriter {
public:
    template <class... T>
    void operator()(T&... t) {
        (put(t), ...);
    }

    void count(size_t n) { u32(uint32_t(n)); }
    void put(int32_t& v) { raw(&v, 4); }
    void put(uint8_t& v) { raw(&v, 1); }
    void put(std::string& s) {
        count(s.size());
        raw(s.data(), s.size());
    }
    template <class V>
    requires IsArray<V>::value void put(V& v) {
        using T = typename V::value_type;
        count(v.size());
        if constexpr (std::is_trivially_copyable_v<T>) {
            raw(v.data(), v.size() * sizeof(T));
        } else {
            for (auto& e : v) {
                if constexpr (IsUniquePtr<T>::value)
                    e->io(*this);
                else
                    e.io(*this);
            }
        }
    }
    void put(std::map<int32_t, int32_t>& m) {
        count(m.size());
        for (auto& [k, v] : m) {
            int32_t key = k;
            (*this)(key, v);
        }
    }
    void put(ObjectMap& m) {
        size_t n = 0;
        m.forEach([&](int32_t, Obj& o) { n += !o.transient; });
        count(n);
        put(m.counter);
        m.forEach([&](int32_t k, Obj& o) {
            if (o.transient) return;  // preview objects are never saved
            put(k);
            VisitIo(o, *this);
        });
    }
    void put(ObjectArray& a) {
        count(a.items.size());
        for (auto& o : a.items) VisitIo(*o, *this);
    }
};

// --- reading ---------------------------------------------------------------------------------

struct BadFile {};

// `fetch(pos, len, scratch)` gives bytes [pos, pos + len) of the file: a view into memory, or
// the bytes read into `scratch` (room for at least `len`); null when they cannot be had. It
// may be called from several threads at once.
using Fetch = std::function<const uint8_t*(size_t, size_t, uint8_t*)>;

// The bytes from tag to payload end of one chunk, handed out a window at a time, with their
// CRC-32 taken as they pass: a chunk is parsed through one small reused buffer instead of a
// buffer of its own size, and its checksum is compared once the parse has seen every byte.
class ChunkSource {
public:
    static constexpr size_t kWindow = size_t(256) << 10;

    ChunkSource(const Fetch& fetch, size_t pos, size_t bytes, uint8_t* window)
        : fetch_(fetch), pos_(pos), rest_(bytes), window_(window) {}

    // The next min(rest, kWindow) bytes; throws when they cannot be read.
    const uint8_t* next(size_t& got) {
        got = std::min(rest_, kWindow);
        const uint8_t* p = fetch_(pos_, got, window_);
        if (!p) throw BadFile{};
        crc_ = Crc32(p, got, crc_);
        pos_ += got;
        rest_ -= got;
        return p;
    }
    size_t rest() const { return rest_; }
    // Whether the u32 after the bytes handed out matches them; only once all were handed out.
    bool checksumMatches() const {
        uint8_t b[4];
        const uint8_t* p = fetch_(pos_, 4, b);
        if (!p || rest_) return false;
        uint32_t stored;
        std::memcpy(&stored, p, 4);
        return ChecksumMatches(stored, crc_);
    }

private:
    const Fetch& fetch_;
    size_t pos_;   // of the next byte to hand out
    size_t rest_;  // bytes still to hand out
    uint8_t* window_;
    uint32_t crc_ = 0;
};

class Reader {
public:
    Reader(const uint8_t* p, size_t n) : p_(p), end_(p + n) {}
    // Reads what `src` hands out, from `p` (the first window, already taken, up to `end`) on.
    Reader(const uint8_t* p, const uint8_t* end, ChunkSource& src) : p_(p), end_(end), src_(&src) {}

    template <class... T>
    void operator()(T&... t) {
        (get(t), ...);
    }

    // Bytes left in the chunk, including those not yet in the window.
    size_t left() const { return size_t(end_ - p_) + (src_ ? src_->rest() : 0); }
    void need(size_t n) const {
        if (left() < n) throw BadFile{};
    }
    void raw(void* d, size_t n) {
        if (size_t(end_ - p_) >= n) {
            if (n) std::memcpy(d, p_, n);
            p_ += n;
        } else {
            across(static_cast<uint8_t*>(d), n);
        }
    }
    void skip(size_t n) { across(nullptr, n); }
    uint32_t u32() {
        uint32_t v;
        raw(&v, 4);
        return v;
    }
    // A count of elements each at least `minBytes` long: never more than the bytes left allow.
    size_t count(size_t minBytes) {
        const size_t n = u32();
        if (n > left() / minBytes) throw BadFile{};
        return n;
    }
    bool done() const { return left() == 0; }

    void get(int32_t& v) { raw(&v, 4); }
    void get(uint8_t& v) { raw(&v, 1); }
    void get(std::string& s) {
        const size_t n = count(1);
        if (size_t(end_ - p_) >= n) {
            s.assign(reinterpret_cast<const char*>(p_), n);
            p_ += n;
        } else {
            s.resize(n);
            across(reinterpret_cast<uint8_t*>(s.data()), n);
        }
    }
    template <class V>
    requires IsArray<V>::value void get(V& v) {
        using T = typename V::value_type;
        if constexpr (std::is_trivially_copyable_v<T>) {
            const size_t n = count(sizeof(T));
            if constexpr (requires { v.resize_for_overwrite(n); })
                v.resize_for_overwrite(n);
            else
                v.resize(n);
            raw(v.data(), n * sizeof(T));
        } else {
            const size_t n = count(4);
            v.clear();
            v.reserve(n);
            for (size_t i = 0; i < n; ++i) {
                if constexpr (IsUniquePtr<T>::value) {
                    auto e = std::make_unique<typename T::element_type>();
                    e->io(*this);
                    v.push_back(std::move(e));
                } else {
                    T e;
                    e.io(*this);
                    v.push_back(std::move(e));
                }
            }
        }
    }
    void get(std::map<int32_t, int32_t>& m) {
        const size_t n = count(8);
        for (size_t i = 0; i < n; ++i) {
            int32_t k, v;
            (*this)(k, v);
            if (k < 0 || (!m.empty() && k <= m.rbegin()->first)) throw BadFile{};
            m.emplace_hint(m.end(), k, v);
        }
    }
    void get(ObjectMap& m) {
        const size_t n = count(8);
        int32_t counter;
        get(counter);
        if (counter < 0) throw BadFile{};
        m.reserve(n);  // bounded by count(): at most twice the bytes left
        bool any = m.size() != 0;
        int32_t last = m.lastKey();
        for (size_t i = 0; i < n; ++i) {
            int32_t key;
            get(key);
            if (!KeyAllowed(m, key) || (any && !ScanLess()(last, key))) throw BadFile{};
            any = true;
            last = key;
            std::unique_ptr<Obj> o = NewObject(m.elem);
            if (!o) throw BadFile{};
            VisitIo(*o, *this);
            m.insert(key, std::move(o));
        }
        if (counter > m.counter) m.counter = counter;
    }
    void get(ObjectArray& a) {
        const size_t n = count(4);
        a.items.reserve(n);
        for (size_t i = 0; i < n; ++i) {
            std::unique_ptr<Obj> o = NewObject(a.elem);
            if (!o) throw BadFile{};
            VisitIo(*o, *this);
            // Only what the kernel itself can make: item kinds 1..6, and no texts among shapes.
            if (a.elem == Kind::Item) {
                const int32_t k = static_cast<const Item&>(*o).itemKind;
                if (k < 1 || k > 6 || (a.shapesOnly && k == 6)) throw BadFile{};
            }
            a.items.push_back(std::move(o));
        }
    }

    static bool KeyAllowed(const ObjectMap& m, int32_t key) {
        switch (m.policy) {
            case IdPolicy::Low99:
                return key >= 1 && key <= 99;
            case IdPolicy::Counter:
            case IdPolicy::Devices:
                return key > 0;
            case IdPolicy::Symbols:
                return key != 0 && key != -1 && key != -2;
            case IdPolicy::Keyed:
                return key != 0;
        }
        return false;
    }

private:
    // Copies (or, with `d` null, passes over) `n` bytes that may run past the window.
    [[gnu::noinline]] void across(uint8_t* d, size_t n) {
        need(n);
        for (;;) {
            const size_t take = std::min(n, size_t(end_ - p_));
            if (d && take) std::memcpy(d, p_, take);
            if (d) d += take;
            p_ += take;
            n -= take;
            if (!n) return;
            size_t got;
            p_ = src_->next(got);  // need() saw enough left, so src_ is there
            end_ = p_ + got;
        }
    }

    const uint8_t* p_;
    const uint8_t* end_;
    ChunkSource* src_ = nullptr;
};

void ReadTables(Reader& r, Database& db) {
    const size_t n = r.count(8);
    for (size_t i = 0; i < n; ++i) {
        int32_t id;
        r.get(id);
        std::vector<uint8_t> bytes;
        r.get(bytes);
        std::vector<uint8_t>* t = nullptr;
        if (id == kTextSizeTableId)
            t = &db.textSizes;
        else if (id >= 0 && id < kSysTableCount && SavedTable(size_t(id)))
            t = &db.tables[size_t(id)];
        if (!t) continue;  // a table of a later version
        if (bytes.size() != t->size()) throw BadFile{};
        *t = std::move(bytes);
    }
}

void CheckHierarchy(Hierarchy& h) {
    if (h.layers.items.size() < size_t(kLayerCount) || h.layerMask.size() != kLayerMaskBytes) throw BadFile{};
    if (h.curPage && !h.pages.find(h.curPage)) throw BadFile{};
}

// Reads the chunk at `pos` (payload `len` bytes) through `window`, letting `parse` read the
// payload before the checksum is known: true only when the tag is `tag`, `parse` gives true and
// reads the payload whole, and the checksum matches. Whatever `parse` built must go unused
// until then; every read stays within the payload, whatever the bytes say.
template <class F>
bool ReadChunk(const Fetch& fetch, size_t pos, size_t len, const char* tag, uint8_t* window, F&& parse) {
    ChunkSource src(fetch, pos, kChunkHeadBytes + len, window);
    size_t got;
    const uint8_t* p = src.next(got);  // at least the head: the window is larger
    if (std::memcmp(p, tag, 4) != 0) return false;
    Reader r(p + kChunkHeadBytes, p + got, src);
    return parse(r) && r.done() && src.checksumMatches();
}

// A chunk that is read, checked and parsed on its own into a part of the new database nothing
// else touches (PSTK, SYMB, DEVC, each HIER), so chunks can be handled side by side.
struct Job {
    std::string tag;
    size_t pos = 0;  // of the chunk head
    size_t len = 0;  // payload length
    int32_t key = 0;
    std::unique_ptr<Hierarchy> hier;
    bool ok = false;  // parsed whole; set by the thread that ran the job
};

// What a chunk's objects and arrays take in memory, per byte of its payload, with some room:
// an arena sized so is seldom outgrown, and what it does not use goes back at the end.
constexpr double kArenaBytesPerPayloadByte = 2.25;

bool RunJob(Job& j, const Fetch& fetch, Database& db, uint8_t* window) {
    // Everything the chunk makes comes from an arena of its own.
    Arena arena(size_t(double(j.len) * kArenaBytesPerPayloadByte));
    ArenaScope scope(&arena);
    return ReadChunk(fetch, j.pos, j.len, j.tag.data(), window, [&](Reader& r) {
        if (j.tag == "PSTK") {
            r(db.padstacks);
        } else if (j.tag == "SYMB") {
            r(db.symbols);
        } else if (j.tag == "DEVC") {
            r(db.devices);
        } else {
            r.get(j.key);
            if (j.key < 1 || j.key > 99) return false;
            j.hier = std::make_unique<Hierarchy>();
            j.hier->io(r);
            CheckHierarchy(*j.hier);
        }
        return true;
    });
}

// Runs jobs on a few threads while the loading thread goes on through the chunk heads, and on
// the loading thread too once it has reached the end. The workers read their chunks
// themselves, each through a window of its own that it reuses from chunk to chunk.
// Each job takes objects and arrays from an arena of its own (arenas are not thread-safe);
// parsed objects are only released on the loading thread, after every worker has been joined.
// Parsing never asks for handles, so the handle registry is not touched off that thread.
class JobRunner {
public:
    JobRunner(const Fetch& fetch, Database& db) : fetch_(fetch), db_(db) {}
    ~JobRunner() { stop(); }
    JobRunner(const JobRunner&) = delete;
    JobRunner& operator=(const JobRunner&) = delete;

    void add(std::unique_ptr<Job> j) {
        {
            std::lock_guard lock(m_);
            jobs_.push_back(std::move(j));
        }
        cv_.notify_one();
        if (threads_.size() < MaxWorkers() && threads_.size() < jobs_.size()) {
            try {
                auto window = std::make_unique_for_overwrite<uint8_t[]>(ChunkSource::kWindow);
                uint8_t* w = window.get();
                windows_.push_back(std::move(window));
                threads_.emplace_back([this, w] { work(w); });
            } catch (...) {
                // No thread to be had: the loading thread does the work in finish().
            }
        }
    }

    // Parses what is still queued, waits for the workers; true when every job succeeded.
    // The verdict comes from the jobs themselves, read after the join: a worker may still be
    // finishing a failing job when the queue runs dry, and a job never run counts as failed.
    bool finish(uint8_t* window) {
        {
            std::lock_guard lock(m_);
            closed_ = true;
        }
        cv_.notify_all();
        work(window);
        stop();
        return std::all_of(jobs_.begin(), jobs_.end(), [](const auto& j) { return j->ok; });
    }
    std::vector<std::unique_ptr<Job>>& jobs() { return jobs_; }

private:
    void work(uint8_t* window) {
        for (;;) {
            Job* j;
            {
                std::unique_lock lock(m_);
                cv_.wait(lock, [&] { return next_ < jobs_.size() || closed_; });
                if (next_ == jobs_.size()) return;
                j = jobs_[next_++].get();
            }
            if (failed_) continue;  // the load has failed: just drain the queue
            try {
                j->ok = RunJob(*j, fetch_, db_, window);
            } catch (...) {
            }
            if (!j->ok) failed_ = true;
        }
    }

    void stop() {
        {
            std::lock_guard lock(m_);
            closed_ = true;
        }
        cv_.notify_all();
        for (std::thread& t : threads_) t.join();
        threads_.clear();
    }

    const Fetch& fetch_;
    Database& db_;
    std::mutex m_;
    std::condition_variable cv_;
    std::vector<std::unique_ptr<Job>> jobs_;  // in file order
    size_t next_ = 0;                         // the next job to start
    bool closed_ = false;                     // no more jobs will come
    std::atomic<bool> failed_{false};         // only a hint to skip the rest; see finish()
    std::vector<std::unique_ptr<uint8_t[]>> windows_;
    std::vector<std::thread> threads_;
};

std::unique_ptr<Database> Parse(const Fetch& fetch, size_t n) {
    if (n < kFileHeaderBytes) return nullptr;
    uint8_t head[kFileHeaderBytes];
    const uint8_t* data = fetch(0, kFileHeaderBytes, head);
    if (!data || !HeaderMatches(data, kTpbFile, n)) return nullptr;

    const auto window = std::make_unique_for_overwrite<uint8_t[]>(ChunkSource::kWindow);
    auto db = std::make_unique<Database>();
    JobRunner runner(fetch, *db);  // declared after db: its workers are joined before db can go
    std::set<std::string> seen;
    bool ended = false;
    ChunkHead c;
    for (size_t pos = kFileHeaderBytes; pos < n; pos = c.next) {
        uint8_t chunkHead[kChunkHeadBytes];
        const uint8_t* h =
            ended || n - pos < kChunkHeadBytes ? nullptr : fetch(pos, kChunkHeadBytes, chunkHead);
        if (!h || !ReadChunkHead(h, pos, n, c)) return nullptr;
        const std::string& tag = c.tag;
        if (tag != "HIER" && !seen.insert(tag).second) return nullptr;
        if (tag == "PSTK" || tag == "SYMB" || tag == "DEVC" || tag == "HIER") {
            auto j = std::make_unique<Job>();
            j->tag = tag;
            j->pos = pos;
            j->len = c.length;
            runner.add(std::move(j));
            continue;
        }
        const bool ok = ReadChunk(fetch, pos, c.length, tag.data(), window.get(), [&](Reader& r) {
            if (tag == "META") {
                r(db->nm, db->curHier);
            } else if (tag == "TABL") {
                ReadTables(r, *db);
            } else if (tag == "FILE") {
                r(db->files);
            } else if (tag == "END ") {
                uint8_t end[8];
                if (r.left() != sizeof end) return false;
                r.raw(end, sizeof end);
                ended = EndMatches(end, sizeof end, n);
                return ended;
            } else {
                if (c.flags & kCriticalChunk) return false;
                r.skip(r.left());  // still checked: a damaged chunk fails the load
            }
            return true;
        });
        if (!ok) return nullptr;
    }
    if (!runner.finish(window.get())) return nullptr;
    // Hierarchies go in in file order, as a load on one thread would put them.
    for (auto& j : runner.jobs()) {
        if (!j->hier) continue;
        if (db->hierarchies.find(j->key)) return nullptr;
        db->hierarchies.insert(j->key, std::move(j->hier));
    }
    if (!ended || !seen.count("META")) return nullptr;
    if (db->curHier && !db->hierarchies.find(db->curHier)) return nullptr;
    return db;
}

// Makes pieces 0..n-1 on a few threads and hands each to `take` on the calling thread, in
// order, as soon as it and those before it are ready: the caller writes while the others go on
// serialising. At most a few pieces wait at once, and their buffers are reused. The model is
// only read meanwhile, which its maps and objects allow from several threads.
template <class Make, class Take>
void InOrder(size_t n, Make&& make, Take&& take) {
    const auto serially = [&] {
        Writer w;
        for (size_t i = 0; i < n; ++i, w.clear()) make(i, w), take(w);
    };
    const size_t threads = std::min<size_t>(n > 1 ? MaxWorkers() : 0, 4);
    if (threads == 0) return serially();
    std::mutex m;
    std::condition_variable cv;
    std::vector<std::unique_ptr<Writer>> ready(n), spare;
    size_t next = 0, taken = 0;
    bool stop = false;
    std::exception_ptr error;
    const auto work = [&] {
        for (;;) {
            size_t i;
            std::unique_ptr<Writer> w;
            {
                std::unique_lock lock(m);
                cv.wait(lock, [&] { return stop || next >= n || next < taken + threads + 1; });
                if (stop || next >= n) return;
                i = next++;
                if (!spare.empty()) w = std::move(spare.back()), spare.pop_back();
            }
            try {
                if (!w) w = std::make_unique<Writer>();
                w->clear();
                make(i, *w);
            } catch (...) {
                std::lock_guard lock(m);
                if (!error) error = std::current_exception();
                stop = true;
                cv.notify_all();
                return;
            }
            std::lock_guard lock(m);
            ready[i] = std::move(w);
            cv.notify_all();
        }
    };
    std::vector<std::thread> workers;
    const auto finish = [&] {
        {
            std::lock_guard lock(m);
            stop = true;
        }
        cv.notify_all();
        for (std::thread& t : workers) t.join();
    };
    try {
        for (size_t t = 0; t < threads; ++t) workers.emplace_back(work);
    } catch (...) {
        if (workers.empty()) {
            finish();
            return serially();
        }
    }
    for (size_t i = 0; i < n; ++i) {
        std::unique_ptr<Writer> w;
        {
            std::unique_lock lock(m);
            cv.wait(lock, [&] { return ready[i] || stop; });
            if (!ready[i]) break;
            w = std::move(ready[i]);
        }
        try {
            take(*w);
        } catch (...) {
            finish();
            throw;
        }
        std::lock_guard lock(m);
        taken = i + 1;
        spare.push_back(std::move(w));
        cv.notify_all();
    }
    finish();
    if (error) std::rethrow_exception(error);
}

// Emits the file piece by piece: `flush(bytes, n)` takes each finished piece in order, then
// `header(bytes)` the final 32-byte header, which belongs at offset 0 over the first piece's.
template <class Flush, class Header>
void EmitTpb(Database& db, Flush&& flush, Header&& header) {
    uint64_t total = 0;
    const auto emit = [&](Writer& piece) {
        flush(piece.at(0), piece.size());
        total += piece.size();
    };
    std::vector<std::pair<int32_t, Hierarchy*>> hierarchies;
    db.hierarchies.forEach(
        [&](int32_t k, Obj& o) { hierarchies.emplace_back(k, static_cast<Hierarchy*>(&o)); });
    // Piece 0 is the header and the chunks of the whole database, then one piece per hierarchy.
    const auto make = [&](size_t i, Writer& w) {
        if (i > 0) {
            w.chunk("HIER", [&] {
                w(hierarchies[i - 1].first);
                hierarchies[i - 1].second->io(w);
            });
            return;
        }
        w.header(kTpbFile);
        w.chunk("META", [&] { w(db.nm, db.curHier); });
        w.chunk("TABL", [&] {
            size_t n = 1;
            for (size_t t = 0; t < db.tables.size(); ++t) n += SavedTable(t) && !db.tables[t].empty();
            w.count(n);
            for (size_t t = 0; t < db.tables.size(); ++t) {
                if (!SavedTable(t) || db.tables[t].empty()) continue;
                int32_t id = int32_t(t);
                w(id, db.tables[t]);
            }
            int32_t id = kTextSizeTableId;
            w(id, db.textSizes);
        });
        w.chunk("FILE", [&] { w(db.files); });
        w.chunk("PSTK", [&] { w(db.padstacks); });
        w.chunk("SYMB", [&] { w(db.symbols); });
        w.chunk("DEVC", [&] { w(db.devices); });
    };
    uint8_t head[kFileHeaderBytes];
    InOrder(hierarchies.size() + 1, make, [&](Writer& piece) {
        if (total == 0) std::memcpy(head, piece.at(0), kFileHeaderBytes);
        emit(piece);
    });

    Writer w;
    w.end(total);
    emit(w);
    FinishHeader(head, total);
    header(head);
}

}  // namespace

std::vector<uint8_t> SerializeTpb(Database& db) {
    std::vector<uint8_t> out;
    EmitTpb(
        db, [&](const uint8_t* p, size_t n) { out.insert(out.end(), p, p + n); },
        [&](const uint8_t* head) { std::memcpy(out.data(), head, kFileHeaderBytes); });
    return out;
}

std::unique_ptr<Database> ParseTpb(const uint8_t* data, size_t n) {
    try {
        return Parse([data](size_t pos, size_t, uint8_t*) { return data + pos; }, n);
    } catch (...) {
        return nullptr;
    }
}

std::vector<uint8_t> SerializeObject(Obj& o) {
    Writer w;
    VisitIo(o, w);
    return w.bytes();
}

std::unique_ptr<Obj> ParseObject(Kind kind, const uint8_t* data, size_t n) {
    if (kind != Kind::Symbol && kind != Kind::PadStack && kind != Kind::Device) return nullptr;
    try {
        std::unique_ptr<Obj> o = NewObject(kind);
        Reader r(data, n);
        VisitIo(*o, r);
        return r.done() ? std::move(o) : nullptr;
    } catch (...) {
        return nullptr;
    }
}

int SaveTpb(Database& db, const std::string& path) {
    base::FileReplacement file;
    // Before the work: a refused target costs nothing.
    if (const int err = file.Begin(path)) return err;
    EmitTpb(
        db, [&](const uint8_t* p, size_t n) { file.Write(p, n); },
        [&](const uint8_t* head) { file.WriteAt(0, head, kFileHeaderBytes); });
    return file.Commit();
}

std::unique_ptr<Database> LoadTpb(const std::string& path) {
    // Each chunk is read a window at a time, by the thread that parses it.
    InputFile file(path, kTpbMaxFileBytes);
    if (!file.open()) return nullptr;
    try {
        return Parse(
            [&](size_t pos, size_t len, uint8_t* scratch) -> const uint8_t* {
                return file.read(pos, scratch, len) ? scratch : nullptr;
            },
            file.size());
    } catch (...) {
        return nullptr;
    }
}

}  // namespace tolvi::kernel
