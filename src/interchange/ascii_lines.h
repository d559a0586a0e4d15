#pragma once
// The lines of an ASCII database file as the reader takes them: read a block at a time from a text
// file that is open for input, each line cut where ReadLine cuts it (at CR LF, LF or a lone CR; a
// line of more than the limit is refused) and split into fields as SplitList splits them, with every
// field that is a plain number (blanks, a minus, one to nine digits: what the writer writes) already
// converted. A large file is split on a few worker threads some blocks ahead of the reader, which
// still takes the lines one at a time in file order; a small one never starts a thread.
//
//     AsciiLines lines(fileNo, kMaxAsciiLineBytes);
//     AsciiLine line;
//     while (lines.Next(line))
//         for (int32_t i = 1; i <= line.count; ++i) use(line.Field(i));
//     report(lines.Failure());  // "Input past end of file", "Line too long", a read error
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tolvi {

// The number at the start of t when t is a plain integer: blanks, an optional minus, then one to
// nine digits and nothing else. False for anything else (which the reader reads the general way).
bool PlainAsciiInt(std::string_view t, int32_t& v);

struct AsciiField {
    uint32_t begin = 0;  // offset of its first byte from the line's base
    uint32_t size = 0;
    int32_t value = 0;   // the number, when plain
    bool plain = false;  // a plain integer (PlainAsciiInt)
};

struct AsciiLine {
    std::string_view text;               // without its line end
    const char* base = nullptr;          // what field offsets count from
    const AsciiField* fields = nullptr;  // fields[1..count]
    int32_t count = 0;                   // 0 for an empty line

    std::string_view Field(int32_t i) const { return {base + fields[i].begin, fields[i].size}; }
};

class AsciiLines {
public:
    static constexpr std::size_t kBlockBytes = std::size_t(128) << 10;

    // Reads the text file fileNo from where it stands. Lines longer than maxLine bytes end the
    // reading. blockBytes and workers (the most worker threads; 0 splits every block on the
    // caller's thread) are there for tests.
    AsciiLines(int fileNo, std::size_t maxLine, std::size_t blockBytes = kBlockBytes,
               std::size_t workers = DefaultWorkers());
    ~AsciiLines();
    AsciiLines(const AsciiLines&) = delete;
    AsciiLines& operator=(const AsciiLines&) = delete;

    // The next line, valid until the next call that finds BlockEnds(). False when there is none: past the end
    // of the file, at a line too long, or after a read error; Failure() then says which. A failure while
    // splitting (out of memory) is thrown from here, where it belongs in the file.
    bool Next(AsciiLine& line) {
        if (mNextLine < mSpanCount) {
            const Span& s = mSpans[mNextLine++];
            line.text = std::string_view(mText + s.begin, s.size);
            line.base = mText;
            line.fields = mFields + s.first;
            line.count = s.count;
            return true;
        }
        return NextBlock(line);
    }
    const std::string& Failure() const { return mFailure; }
    // Whether the next line comes from another block: the lines given so far may then go.
    bool BlockEnds() const { return mNextLine >= mSpanCount; }

    static std::size_t DefaultWorkers();

private:
    struct Block;
    struct Span {
        uint32_t begin;
        uint32_t size;
        uint32_t first;  // its field 0 in the block's fields
        int32_t count;
    };

    // Next, when the head block has no more lines.
    bool NextBlock(AsciiLine& line);

    // Fills b with the next block of whole lines from the file.
    void Prepare(Block& b);
    // Prepares blocks into free buffers until enough are ahead; starts workers once the file has
    // shown itself large.
    void ReadAhead();
    void Work();
    static void Split(Block& b, std::size_t maxLine);

    int mFileNo;
    std::size_t mMaxLine;
    std::size_t mBlockBytes;
    std::size_t mMaxWorkers;
    std::vector<std::unique_ptr<Block>> mRing;  // blocks in file order from mHead on
    std::size_t mHead = 0;                      // the block being taken
    std::size_t mAhead = 0;                     // blocks prepared from mHead on
    std::size_t mNextLine = 0;                  // the next line of the head block
    // The head block's lines, once it is split.
    const Span* mSpans = nullptr;
    std::size_t mSpanCount = 0;
    const char* mText = nullptr;
    const AsciiField* mFields = nullptr;
    std::string mCarry;         // the start of a line the last block did not end
    bool mEnded = false;        // the last block is prepared
    std::size_t mPrepared = 0;  // blocks prepared in all
    std::string mFailure;

    std::mutex mMutex;
    std::condition_variable mWork;   // a block to split, or stop
    std::condition_variable mReady;  // the head block is split
    bool mStop = false;
    std::vector<std::thread> mWorkers;
};

}  // namespace tolvi
