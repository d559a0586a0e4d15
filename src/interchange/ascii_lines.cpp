#include "interchange/ascii_lines.h"

#include <algorithm>
#include <cstring>

#include "common/settings_access.h"
#include "platform/errors.h"
#include "platform/text_files.h"

namespace tolvi {

namespace {

// Blocks read before workers are started: a file of one block is split on the reader's thread.
constexpr std::size_t kBlocksBeforeWorkers = 1;
constexpr std::size_t kFirstBlockBytes = std::size_t(16) << 10;

// Where the last line of data[0, n) that is known to be whole ends: after its LF, or after its CR
// when the byte after that is there (a CR at the very end may be the first half of CR LF). 0 when
// no line is whole.
std::size_t WholeLinesEnd(const char* data, std::size_t n) {
    for (std::size_t j = n; j-- > 0;) {
        const char c = data[j];
        if (c == '\n' || (c == '\r' && j + 1 < n)) return j + 1;
    }
    return 0;
}

}  // namespace

bool PlainAsciiInt(std::string_view t, int32_t& v) {
    std::size_t i = 0;
    const std::size_t n = t.size();
    while (i < n && t[i] == ' ') ++i;
    const bool negative = i < n && t[i] == '-';
    if (negative) ++i;
    if (i == n || n - i > 9) return false;
    int32_t x = 0;
    for (; i < n; ++i) {
        const unsigned digit = unsigned(static_cast<unsigned char>(t[i])) - unsigned('0');
        if (digit > 9) return false;
        x = x * 10 + int32_t(digit);
    }
    v = negative ? -x : x;
    return true;
}

struct AsciiLines::Block {
    enum class State { Free, Prepared, Splitting, Ready };

    State state = State::Free;
    std::vector<char> text;  // whole lines in [0, bytes)
    std::size_t bytes = 0;
    std::vector<Span> lines;
    std::vector<AsciiField> fields;
    bool last = false;         // no block follows: the file ends, or reading it failed
    std::string failure;       // then: why
    std::exception_ptr error;  // thrown while splitting
};

std::size_t AsciiLines::DefaultWorkers() {
    // Asked once: the answer is read from the system's files on every call.
    static const std::size_t cores = std::thread::hardware_concurrency();
    return std::min<std::size_t>(cores > 1 ? cores - 1 : 0, 3);
}

AsciiLines::AsciiLines(int fileNo, std::size_t maxLine, std::size_t blockBytes, std::size_t workers)
    : mFileNo(fileNo),
      mMaxLine(maxLine),
      mBlockBytes(std::max<std::size_t>(blockBytes, 1)),
      mMaxWorkers(workers) {
    // Enough blocks ahead that the reader seldom waits for the workers, and few enough that what
    // is read ahead stays a few MiB.
    const std::size_t blocks = mMaxWorkers ? 2 * mMaxWorkers + 2 : 1;
    for (std::size_t i = 0; i < blocks; ++i) mRing.push_back(std::make_unique<Block>());
}

AsciiLines::~AsciiLines() {
    {
        std::lock_guard lock(mMutex);
        mStop = true;
    }
    mWork.notify_all();
    for (std::thread& t : mWorkers) t.join();
}

void AsciiLines::Prepare(Block& b) {
    b.lines.clear();
    b.fields.clear();
    b.error = nullptr;
    b.last = false;
    b.failure.clear();
    std::size_t n = mCarry.size();
    // The first block is small: the reader splits it while the workers start on the next.
    std::size_t want = n + (mPrepared == 0 ? std::min(mBlockBytes, kFirstBlockBytes) : mBlockBytes);
    // One byte more than is read into it: the splitter's sentinel.
    if (b.text.size() < want + 1) b.text.resize(want + 1);
    if (n) std::memcpy(b.text.data(), mCarry.data(), n);
    mCarry.clear();
    for (;;) {
        bool end = false, failed = false;
        while (n < want) {
            std::size_t got = 0;
            if (!platform::ReadBytes(mFileNo, b.text.data() + n, want - n, got)) {
                failed = true;
                break;
            }
            if (got == 0) {
                end = true;
                break;
            }
            n += got;
        }
        if (end) {
            // What is left is whole lines, the last one maybe without its end.
            b.bytes = n;
            b.last = true;
            b.failure = platform::kPastEndOfFile;
            return;
        }
        const std::size_t whole = WholeLinesEnd(b.text.data(), n);
        if (failed) {
            b.bytes = whole;
            b.last = true;
            b.failure = platform::ErrDescription();
            return;
        }
        if (whole) {
            b.bytes = whole;
            mCarry.assign(b.text.data() + whole, n - whole);
            return;
        }
        // One line fills the block: too long already, or read on in a larger block.
        if (n - (b.text[n - 1] == '\r' ? 1 : 0) > mMaxLine) {
            b.bytes = 0;
            b.last = true;
            b.failure = platform::kLineTooLong;
            return;
        }
        want += mBlockBytes;
        if (b.text.size() < want + 1) b.text.resize(want + 1);
    }
}

namespace {

// The bytes that end a field or a line, or make a line one for SplitList.
struct StopTable {
    bool stop[256] = {};
    constexpr StopTable() {
        stop[uint8_t(',')] = stop[uint8_t('\r')] = stop[uint8_t('\n')] = stop[uint8_t('"')] = true;
    }
};
constexpr StopTable kStops;

// Scans the field that starts at p up to the byte that ends it (a stop byte), which it returns;
// a plain number (PlainAsciiInt's rule) is converted on the way.
inline const char* ScanField(const char* p, AsciiField& f) {
    const char* q = p;
    while (*q == ' ') ++q;
    const bool negative = *q == '-';
    if (negative) ++q;
    const char* const digits = q;
    uint32_t x = 0;
    for (unsigned d; (d = unsigned(static_cast<unsigned char>(*q)) - unsigned('0')) <= 9; ++q) x = x * 10 + d;
    if (q > digits && q - digits <= 9 && kStops.stop[uint8_t(*q)]) {
        f.plain = true;
        f.value = negative ? -int32_t(x) : int32_t(x);
        return q;
    }
    while (!kStops.stop[uint8_t(*q)]) ++q;
    return q;
}

}  // namespace

void AsciiLines::Split(Block& b, std::size_t maxLine) {
    char* const t = b.text.data();
    const std::size_t n = b.bytes;
    t[n] = '\n';  // a last line without its end ends here too: no bound test in the scans
    std::vector<std::string_view> quoted;
    for (std::size_t pos = 0; pos < n;) {
        Span span{uint32_t(pos), 0, uint32_t(b.fields.size()), 0};
        b.fields.emplace_back();  // field 0
        // One pass over the line: its fields between the commas, up to its end or a quote.
        const char* p = t + pos;
        if (*p != '\r' && *p != '\n') {
            for (;;) {
                AsciiField f;
                const char* end = ScanField(p, f);
                f.begin = uint32_t(p - t);
                f.size = uint32_t(end - p);
                b.fields.push_back(f);
                p = end;
                if (*p != ',') break;
                ++p;
            }
        }
        if (*p == '"') {
            // A quote: the line is split the general way, once its end is found.
            while (*p != '\r' && *p != '\n') ++p;
            b.fields.resize(span.first + 1);
            SplitList(std::string_view(t + pos, std::size_t(p - (t + pos))), quoted);
            for (std::size_t i = 1; i < quoted.size(); ++i) {
                const std::string_view q = quoted[i];
                AsciiField f;
                if (!q.empty()) f.begin = uint32_t(q.data() - t);
                f.size = uint32_t(q.size());
                f.plain = PlainAsciiInt(q, f.value);
                if (!f.plain) f.value = 0;
                b.fields.push_back(f);
            }
        }
        const std::size_t stop = std::size_t(p - t);
        if (stop - pos > maxLine) {
            b.fields.resize(span.first);
            b.last = true;
            b.failure = platform::kLineTooLong;
            return;
        }
        span.size = uint32_t(stop - pos);
        span.count = int32_t(b.fields.size() - span.first - 1);
        b.lines.push_back(span);
        pos = stop + 1;
        if (t[stop] == '\r' && pos < n && t[pos] == '\n') ++pos;
    }
}

void AsciiLines::ReadAhead() {
    while (!mEnded && mAhead < (mWorkers.empty() ? 1 : mRing.size())) {
        Block& b = *mRing[(mHead + mAhead) % mRing.size()];
        Prepare(b);
        ++mPrepared;
        if (b.last) mEnded = true;
        {
            std::lock_guard lock(mMutex);
            b.state = Block::State::Prepared;
            ++mAhead;
        }
        if (!mWorkers.empty()) mWork.notify_one();
        // More than a block: the workers split the next ones while the reader takes this one.
        if (mWorkers.empty() && mMaxWorkers && mPrepared >= kBlocksBeforeWorkers && !mEnded) {
            try {
                for (std::size_t i = 0; i < mMaxWorkers; ++i) mWorkers.emplace_back([this] { Work(); });
            } catch (...) {
                // No thread to be had: the blocks are split here.
            }
        }
    }
}

void AsciiLines::Work() {
    std::unique_lock lock(mMutex);
    for (;;) {
        Block* b = nullptr;
        mWork.wait(lock, [&] {
            if (mStop) return true;
            for (std::size_t i = 0; i < mAhead && !b; ++i) {
                Block& c = *mRing[(mHead + i) % mRing.size()];
                if (c.state == Block::State::Prepared) b = &c;
            }
            return b != nullptr;
        });
        if (mStop) return;
        b->state = Block::State::Splitting;
        lock.unlock();
        try {
            Split(*b, mMaxLine);
        } catch (...) {
            b->error = std::current_exception();
        }
        lock.lock();
        b->state = Block::State::Ready;
        // The reader waits only for the head block.
        if (b == mRing[mHead].get()) mReady.notify_one();
    }
}

bool AsciiLines::NextBlock(AsciiLine& line) {
    for (;;) {
        if (mAhead == 0) ReadAhead();
        Block& b = *mRing[mHead];
        if (!mSpans) {
            // The head block, split here unless a worker has it.
            std::unique_lock lock(mMutex);
            if (b.state == Block::State::Prepared) {
                b.state = Block::State::Splitting;
                lock.unlock();
                try {
                    Split(b, mMaxLine);
                } catch (...) {
                    b.error = std::current_exception();
                }
                lock.lock();
                b.state = Block::State::Ready;
            }
            mReady.wait(lock, [&] { return b.state == Block::State::Ready; });
            if (b.error) std::rethrow_exception(b.error);
            mSpans = b.lines.data();
            mSpanCount = b.lines.size();
            mText = b.text.data();
            mFields = b.fields.data();
            if (mNextLine < mSpanCount) return Next(line);
        }
        if (b.last) {
            mFailure = b.failure;
            return false;
        }
        {
            std::lock_guard lock(mMutex);
            b.state = Block::State::Free;
            mHead = (mHead + 1) % mRing.size();
            --mAhead;
            mNextLine = 0;
            mSpans = nullptr;
            mSpanCount = 0;
        }
        ReadAhead();
    }
}

}  // namespace tolvi
