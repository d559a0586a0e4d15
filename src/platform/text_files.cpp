#include "platform/text_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/errors.h"
#include "platform/file_commit.h"
#include "platform/paths.h"

namespace tolvi::platform {

namespace {
constexpr int kMaxFileNo = 511;

constexpr std::size_t kReadBlock = std::size_t{64} * 1024;
constexpr std::size_t kWritebackBytes = std::size_t(1) << 20;
// Writes of this size and more (a large export's pieces) go through a writer thread, once this
// much has been written: a file of a few pieces is written before the thread would run.
constexpr std::size_t kBackgroundBytes = std::size_t{64} * 1024;
constexpr std::size_t kBytesBeforeBackground = std::size_t(1) << 20;
constexpr std::size_t kQueuedPieces = 4;

// Adds n bytes just written to an output file's stream to unsynced, its bytes since the disk was
// last set going; once they reach kWritebackBytes, flushes the stream and sets the disk going on
// what it holds. False when the flush failed, errno saying why.
bool CountWritten(std::FILE* stream, base::FileReplacement& replacement, std::size_t& unsynced,
                  std::size_t n) {
    unsynced += n;
    if (unsynced < kWritebackBytes) return true;
    if (std::fflush(stream) != 0) return false;
    replacement.StartWriteback();
    unsynced = 0;
    return true;
}

// Writes an output file's large pieces on a thread of its own, so that the caller makes the next
// piece while the system takes this one (and sets the disk going every MiB). It alone uses
// the file's stream once it runs. A failure is kept, and told at the next write or at the end.
class BackgroundWriter {
public:
    BackgroundWriter(std::FILE* stream, base::FileReplacement& replacement)
        : stream_(stream), replacement_(replacement), thread_([this] { Run(); }) {}
    ~BackgroundWriter() {
        {
            std::lock_guard lock(m_);
            stop_ = true;
        }
        work_.notify_one();
        thread_.join();
    }
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

    // Queues a copy of text; the errno value of an earlier failure instead, or 0.
    int Write(std::string_view text) {
        copy_.assign(text.begin(), text.end());
        return Take(copy_, copy_.size());
    }
    // Queues the first n bytes of bytes, taking the buffer: bytes gets a written one back (or an
    // empty one). The errno value of an earlier failure instead, or 0.
    int Take(std::vector<char>& bytes, std::size_t n) {
        std::unique_lock lock(m_);
        done_.wait(lock, [&] { return error_ || queue_.size() < kQueuedPieces; });
        if (error_) return error_;
        queue_.push_back(Piece{std::move(bytes), n});
        bytes.clear();
        if (!spare_.empty()) {
            bytes = std::move(spare_.back());
            spare_.pop_back();
        }
        if (queue_.size() == 1) work_.notify_one();
        return 0;
    }
    // Waits until everything queued is written; the errno value of the first failure, or 0.
    int Finish() {
        std::unique_lock lock(m_);
        done_.wait(lock, [&] { return error_ || (queue_.empty() && !busy_); });
        return error_;
    }

private:
    void Run() {
        std::unique_lock lock(m_);
        for (;;) {
            work_.wait(lock, [&] { return stop_ || !queue_.empty(); });
            if (stop_) return;
            Piece piece = std::move(queue_.front());
            queue_.pop_front();
            busy_ = true;
            lock.unlock();
            int e = 0;
            if (std::fwrite(piece.bytes.data(), 1, piece.n, stream_) != piece.n ||
                !CountWritten(stream_, replacement_, unsynced_, piece.n))
                e = errno ? errno : EIO;
            lock.lock();
            busy_ = false;
            if (e && !error_) error_ = e;
            spare_.push_back(std::move(piece.bytes));
            done_.notify_one();  // room for the caller, or its Finish
            if (error_) return;  // nothing after a failed piece may land in the file
        }
    }

    std::FILE* stream_;
    base::FileReplacement& replacement_;
    std::mutex m_;
    std::condition_variable work_;  // a piece is queued, or stop
    std::condition_variable done_;  // a piece is written
    struct Piece {
        std::vector<char> bytes;
        std::size_t n;  // of them to write
    };
    std::deque<Piece> queue_;
    std::vector<std::vector<char>> spare_;
    // The caller's alone: the buffer Write copies the next piece into, one Take gave back.
    std::vector<char> copy_;
    std::size_t unsynced_ = 0;
    bool busy_ = false;  // a piece is being written
    bool stop_ = false;
    int error_ = 0;
    std::thread thread_;  // last: it starts once the rest is ready
};

struct OpenFile {
    bool output = false;
    std::FILE* input = nullptr;
    // Input read ahead in blocks: buffer[pos, end) is not taken yet. newline is the position of
    // the next LF at or after pos (end when the block holds none), so that a file of CR-ended
    // lines is not searched to the end of the block for every line.
    std::vector<char> buffer;
    std::size_t pos = 0;
    std::size_t end = 0;
    std::size_t newline = 0;
    detail::PendingFile pending;
    std::size_t unsynced = 0;                  // output bytes written since the disk was last set going
    std::unique_ptr<BackgroundWriter> writer;  // once large pieces came
    std::size_t written = 0;                   // output bytes written here (before any writer)
};

// Reads the next block; false at the end of the file or on a read error.
bool Fill(OpenFile& f) {
    if (f.buffer.size() < kReadBlock) f.buffer.resize(kReadBlock);
    f.pos = 0;
    f.end = std::fread(f.buffer.data(), 1, kReadBlock, f.input);
    f.newline = 0;
    return f.end > 0;
}

// Position of the first LF from f.pos on, or f.end.
std::size_t NextNewline(OpenFile& f) {
    if (f.newline < f.pos || (f.newline < f.end && f.buffer[f.newline] != '\n')) {
        const void* at = std::memchr(f.buffer.data() + f.pos, '\n', f.end - f.pos);
        f.newline = at ? std::size_t(static_cast<const char*>(at) - f.buffer.data()) : f.end;
    }
    return f.newline;
}

std::map<int, OpenFile>& table() {
    static std::map<int, OpenFile> files;
    return files;
}

bool CheckFreeNumber(int fileNo) {
    if (fileNo < 1 || fileNo > kMaxFileNo) {
        SetErrDescription("Bad file name or number");
        return false;
    }
    if (table().count(fileNo)) {
        SetErrDescription("File already open");
        return false;
    }
    return true;
}

OpenFile* Find(int fileNo) {
    auto it = table().find(fileNo);
    if (it == table().end()) {
        SetErrDescription("Bad file name or number");
        return nullptr;
    }
    return &it->second;
}
}  // namespace

int FreeFileNumber() {
    for (int n = 1; n <= kMaxFileNo; ++n)
        if (!table().count(n)) return n;
    SetErrDescription("Too many files");
    return 0;
}

bool IsFileOpen(int fileNo) { return table().count(fileNo) != 0; }

bool OpenFileInput(int fileNo, const std::string& path) {
    if (!CheckFreeNumber(fileNo)) return false;
    struct stat st;
    if (path.empty() || stat(path.c_str(), &st) != 0) {
        SetErrFromErrno(path.empty() ? ENOENT : errno, path);
        return false;
    }
    // A directory opens for reading on Linux; the program means a file.
    if (!S_ISREG(st.st_mode)) {
        SetErrDescription("Path/File access error");
        return false;
    }
    std::FILE* f = std::fopen(path.c_str(), "rbe");
    if (!f) {
        SetErrFromErrno(errno, path);
        return false;
    }
    OpenFile file;
    file.input = f;
    table().emplace(fileNo, std::move(file));
    return true;
}

bool OpenFileOutput(int fileNo, const std::string& path) {
    if (!CheckFreeNumber(fileNo)) return false;
    if (path.empty()) {
        SetErrDescription("Bad file name or number");
        return false;
    }
    OpenFile file;
    file.output = true;
    int err = 0;
    if (!detail::BeginReplace(path, file.pending, err)) {
        SetErrFromErrno(err, path);
        return false;
    }
    table().emplace(fileNo, std::move(file));
    return true;
}

bool ReadLine(int fileNo, std::string& line, std::size_t maxBytes) {
    OpenFile* f = Find(fileNo);
    if (!f) return false;
    if (f->output) {
        SetErrDescription("Bad file mode");
        return false;
    }
    line.clear();
    bool any = false;
    for (;;) {
        if (f->pos == f->end && !Fill(*f)) {
            if (std::ferror(f->input)) {
                SetErrDescription("Device I/O error");
                return false;
            }
            if (!any) SetErrDescription(kPastEndOfFile);
            return any;  // a last line without an end
        }
        any = true;
        const char* p = f->buffer.data() + f->pos;
        const std::size_t lf = NextNewline(*f);
        const void* cr = std::memchr(p, '\r', lf - f->pos);
        const std::size_t stop = cr ? std::size_t(static_cast<const char*>(cr) - f->buffer.data()) : lf;
        if (stop - f->pos > maxBytes - line.size()) {
            SetErrDescription(kLineTooLong);
            return false;
        }
        line.append(p, stop - f->pos);
        f->pos = stop;
        if (stop == f->end) continue;  // the line goes on in the next block
        ++f->pos;
        if (cr) {
            // CR LF is one line end, also when the LF starts the next block.
            if (f->pos == f->end && !Fill(*f)) return !std::ferror(f->input);
            if (f->buffer[f->pos] == '\n') ++f->pos;
        }
        return true;
    }
}

bool ReadBytes(int fileNo, char* out, std::size_t n, std::size_t& got) {
    got = 0;
    OpenFile* f = Find(fileNo);
    if (!f) return false;
    if (f->output) {
        SetErrDescription("Bad file mode");
        return false;
    }
    got = std::min(n, f->end - f->pos);
    if (got) std::memcpy(out, f->buffer.data() + f->pos, got);
    f->pos += got;
    if (got < n) got += std::fread(out + got, 1, n - got, f->input);
    if (std::ferror(f->input)) {
        SetErrDescription("Device I/O error");
        return false;
    }
    return true;
}

namespace {

// The output file fileNo, ready for a write of n bytes (its writer thread started when the file
// has grown large); null with the description set when it is none.
OpenFile* OutputFor(int fileNo, std::size_t n) {
    OpenFile* f = Find(fileNo);
    if (!f) return nullptr;
    if (!f->output) {
        SetErrDescription("Bad file mode");
        return nullptr;
    }
    if (!f->writer && n >= kBackgroundBytes && f->written >= kBytesBeforeBackground) {
        try {
            f->writer = std::make_unique<BackgroundWriter>(f->pending.stream, *f->pending.replacement);
        } catch (...) {
            // No thread to be had: written here.
        }
    }
    return f;
}

// Writes text here (no writer thread): a large file goes to the disk while the rest of it is
// written.
bool WriteHere(OpenFile& f, std::string_view text) {
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), f.pending.stream) != text.size()) {
        SetErrFromErrno(errno);
        return false;
    }
    f.written += text.size();
    if (!CountWritten(f.pending.stream, *f.pending.replacement, f.unsynced, text.size())) {
        SetErrFromErrno(errno);
        return false;
    }
    return true;
}

// A writer thread's answer: true, or false with the failure it kept.
bool Written(int err) {
    if (err) SetErrFromErrno(err);
    return err == 0;
}

}  // namespace

bool WriteText(int fileNo, std::string_view text) {
    OpenFile* f = OutputFor(fileNo, text.size());
    if (!f) return false;
    return f->writer ? Written(f->writer->Write(text)) : WriteHere(*f, text);
}

bool WriteText(int fileNo, std::vector<char>& bytes, std::size_t n) {
    OpenFile* f = OutputFor(fileNo, n);
    if (!f) return false;
    return f->writer ? Written(f->writer->Take(bytes, n)) : WriteHere(*f, std::string_view(bytes.data(), n));
}

bool CloseFile(int fileNo) {
    OpenFile* f = Find(fileNo);
    if (!f) return false;
    OpenFile file = std::move(*f);
    table().erase(fileNo);
    if (!file.output) {
        std::fclose(file.input);
        return true;
    }
    int err = file.writer ? file.writer->Finish() : 0;
    file.writer.reset();
    if (err) {
        detail::AbandonReplace(file.pending);
        SetErrFromErrno(err, file.pending.target);
        return false;
    }
    if (!detail::CommitReplace(file.pending, err)) {
        SetErrFromErrno(err, file.pending.target);
        return false;
    }
    return true;
}

bool DiscardFile(int fileNo) {
    OpenFile* f = Find(fileNo);
    if (!f) return false;
    f->writer.reset();  // what it still holds goes unwritten
    if (f->output)
        detail::AbandonReplace(f->pending);
    else
        std::fclose(f->input);
    table().erase(fileNo);
    return true;
}

void CloseAllFiles() {
    while (!table().empty()) {
        int n = table().begin()->first;
        const std::string saved = ErrDescription();
        CloseFile(n);
        SetErrDescription(saved);
    }
}

}  // namespace tolvi::platform
