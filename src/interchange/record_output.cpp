#include "interchange/record_output.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <type_traits>

#include "common/db_session.h"
#include "common/localisation.h"
#include "common/utilities.h"
#include "interchange/ascii_format.h"
#include "platform/ui.h"

namespace tolvi {

namespace {

class Silent : public ExportView {
public:
    void ShowMsg(const std::string&) override {}
    void Yield() override { platform::ui().DoEvents(); }
};

}  // namespace

ExportView& SilentExportView() {
    static Silent view;
    return view;
}

std::string HierStatus(const std::string& Section) {
    return GetLocalString("Hier: ", "99747") + gCurHierName + Section;
}

std::string PageStatus(const std::string& Section) {
    return HierStatus(GetLocalString(" Page: ", "991012") + gCurPageName + Section);
}

// Turns tapes into text on a few threads while the writer goes on; the texts are taken in the
// order the tapes came. Started for a large file only: a small one is turned on the writer's
// thread at its end.
struct RecordOutput::Pipeline {
    static constexpr size_t kWorkers = 2;
    static constexpr size_t kMostJobs = 6;  // tapes queued or turned, and texts not yet taken

    struct Job {
        Bytes tape;
        size_t tapeBytes = 0;
        // Handed to the file and back: it keeps its size (the room needed), textBytes are used.
        std::vector<char> text;
        size_t textBytes = 0;
        bool claimed = false;
        bool done = false;
    };

    Pipeline() {
        for (size_t i = 0; i < kWorkers; ++i) workers.emplace_back([this] { Work(); });
    }
    ~Pipeline() {
        {
            std::lock_guard lock(m);
            stop = true;
        }
        work.notify_all();
        for (std::thread& t : workers) t.join();
    }
    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;

    // Queues the tape's first n bytes and gives back an empty tape to fill next.
    void Submit(Bytes& tape, size_t n) {
        std::unique_lock lock(m);
        std::unique_ptr<Job> job;
        if (spare.empty()) {
            job = std::make_unique<Job>();
        } else {
            job = std::move(spare.back());
            spare.pop_back();
        }
        std::swap(job->tape, tape);
        tape.reserve(job->tape.size());
        job->tapeBytes = n;
        job->claimed = job->done = false;
        jobs.push_back(std::move(job));
        work.notify_one();
    }
    // The first job once it is turned, or null when it is not yet and may not be waited for.
    Job* Front(bool wait) {
        std::unique_lock lock(m);
        if (jobs.empty()) return nullptr;
        if (wait) done.wait(lock, [&] { return jobs.front()->done; });
        return jobs.front()->done ? jobs.front().get() : nullptr;
    }
    void PopFront() {
        std::lock_guard lock(m);
        spare.push_back(std::move(jobs.front()));
        jobs.pop_front();
    }
    size_t Jobs() {
        std::lock_guard lock(m);
        return jobs.size();
    }
    // Drops every job (the ones being turned are let finish).
    void Clear() {
        std::unique_lock lock(m);
        done.wait(lock, [&] {
            return std::none_of(jobs.begin(), jobs.end(),
                                [](const auto& j) { return j->claimed && !j->done; });
        });
        for (auto& j : jobs) spare.push_back(std::move(j));
        jobs.clear();
    }

    void Work() {
        std::unique_lock lock(m);
        for (;;) {
            Job* job = nullptr;
            work.wait(lock, [&] {
                if (stop) return true;
                for (auto& j : jobs)
                    if (!j->claimed) {
                        job = j.get();
                        break;
                    }
                return job != nullptr;
            });
            if (stop) return;
            job->claimed = true;
            lock.unlock();
            if (job->text.size() < 3 * job->tapeBytes) job->text.resize(3 * job->tapeBytes);
            job->textBytes =
                size_t(FormatTape(job->tape.data(), job->tapeBytes, job->text.data()) - job->text.data());
            lock.lock();
            job->done = true;
            done.notify_all();
        }
    }

    std::mutex m;
    std::condition_variable work;  // a tape to turn, or stop
    std::condition_variable done;  // a tape is turned
    std::deque<std::unique_ptr<Job>> jobs;
    std::vector<std::unique_ptr<Job>> spare;
    bool stop = false;
    std::vector<std::thread> workers;  // last: they start once the rest is ready
};

RecordOutput::RecordOutput(ExportView* view) : mView(view ? view : &SilentExportView()) {}

RecordOutput::~RecordOutput() = default;

void RecordOutput::ResetOutput() {
    DropOutput();
    mLineCount = 0;
    mCancel = false;
    mResult = 0;
}

void RecordOutput::DropOutput() {
    mUsed = mRecordStart = 0;
    mTapes = 0;
    if (mPipeline) mPipeline->Clear();
}

char* RecordOutput::FormatTape(const char* tape, size_t n, char* out) {
    const char* const end = tape + n;
    while (tape < end) {
        const uint8_t tag = uint8_t(*tape++);
        if (tag < kTapeNum32) {
            std::memcpy(out, tape, tag);
            out += tag;
            tape += tag;
            continue;
        }
        int64_t v;
        if (tag == kTapeNum32) {
            int32_t v32;
            std::memcpy(&v32, tape, 4);
            tape += 4;
            v = v32;
        } else {
            std::memcpy(&v, tape, 8);
            tape += 8;
        }
        *out++ = ',';
        if (uint64_t(v) < 10) {  // most numbers of a design file: flags, counts, zeros
            out[0] = ' ';
            out[1] = char('0' + v);
            out += 2;
            continue;
        }
        if (v >= 0) *out++ = ' ';
        out = FormatDecimal(out, v);
    }
    return out;
}

void RecordOutput::Write(int32_t Count, std::string_view Separator) {
    BeginLine(mFields[1]);
    for (int32_t i = 2; i <= Count; ++i) {
        Put(Separator);
        Put(mFields[i]);
    }
    WriteLine();
}

bool RecordOutput::MayWrite() {
    if (mLineCount > 100) {
        mView->Yield();
        mLineCount = 0;
    }
    if (mCancel) {
        mResult = 2;
        return false;
    }
    return true;
}

void RecordOutput::WriteOut(bool last) {
    const auto print = [&](auto& text, size_t n) {
        int err = 0;
        if constexpr (std::is_same_v<std::decay_t<decltype(text)>, std::vector<char>>)
            PrintLineFile(err, mFileNo, text, n);
        else
            PrintLineFile(err, mFileNo, std::string_view(text.data(), n));
        mResult = err;
        // PrintLineFile has shown its box; what was written goes, a file already at that name
        // stays.
        if (mResult != 0) {
            DropOutput();
            AbandonFile(mFileNo);
        }
        return mResult == 0;
    };
    const size_t n = mUsed;
    mUsed = mRecordStart = 0;
    // Tapes filled before the end: the file is large, and its tapes are turned on the workers
    // from the next one on (a file of a few tapes is done before they would be running).
    if (!last && !mPipeline && ++mTapes >= kTapesBeforeWorkers) {
        try {
            mPipeline = std::make_unique<Pipeline>();
        } catch (...) {
            // No thread to be had: every tape is turned here.
        }
    }
    if (!mPipeline) {
        if (n == 0) return;
        mText.reserve(3 * n);
        print(mText, size_t(FormatTape(mBuffer.data(), n, mText.data()) - mText.data()));
        return;
    }
    if (n) mPipeline->Submit(mBuffer, n);
    // The texts ready, in order; all of them at the end, and enough to keep few tapes waiting.
    for (;;) {
        const bool wait = last || mPipeline->Jobs() > Pipeline::kMostJobs;
        Pipeline::Job* job = mPipeline->Front(wait);
        if (!job) return;
        if (!print(job->text, job->textBytes)) return;
        mPipeline->PopFront();
    }
}

void RecordOutput::AddItemFields(const ItemRec& Item) {
    for (const int32_t v : {Item.Kind, Item.Attr, Item.Link, Item.X, Item.Y, int32_t(Item.StyleA),
                            int32_t(Item.StyleB), Item.Width, Item.Gap, Item.Angle, Item.P2, Item.P3})
        AddNum(v);
}

void RecordOutput::WriteItemRecord(AsciiRecordType Type, ItemRec& Item) {
    switch (Item.Kind) {
        case 1:
        case 3:
            Item.P4 = Item.P5 = 0;
            break;
        case 4:
            Item.P3 = Item.P4 = Item.P5 = 0;
            break;
        case 5:
            Item.P5 = 0;
            break;
        default:
            break;
    }
    BeginRecord(Type);
    AddItemFields(Item);
    AddNum(Item.P4);
    AddNum(Item.P5);
    WriteLine();
}

void RecordOutput::WriteTextRecord(AsciiRecordType Type, const ItemRec& Item) {
    BeginRecord(Type);
    AddItemFields(Item);
    AddQuoted(Item.Text);
    WriteLine();
}

void RecordOutput::Grow(size_t n) {
    mBuffer.reserve(std::max({mUsed + n, 2 * mBuffer.size(), kWriteSize + 4096}), mUsed);
}

void RecordOutput::PutLonger(std::string_view text) {
    while (!text.empty()) {
        const size_t run = std::min(text.size(), kTapeRun);
        char* to = Room(1 + run);
        to[0] = char(run);
        std::memcpy(to + 1, text.data(), run);
        mUsed += 1 + run;
        text.remove_prefix(run);
    }
}

void RecordOutput::PutJoined(std::string_view head, std::string_view text, std::string_view tail) {
    const size_t n = head.size() + text.size() + tail.size();
    if (n > kTapeRun) {
        PutLonger(head);
        PutLonger(text);
        PutLonger(tail);
        return;
    }
    char* to = Room(1 + n);
    *to++ = char(n);
    std::memcpy(to, head.data(), head.size());
    if (!text.empty()) std::memcpy(to + head.size(), text.data(), text.size());
    if (!tail.empty()) std::memcpy(to + head.size() + text.size(), tail.data(), tail.size());
    mUsed += 1 + n;
}

void RecordOutput::AddText(std::string_view text) { PutJoined(",", text, {}); }

void RecordOutput::AddQuoted(const char* text) {
    PutJoined(",\"", text ? std::string_view(text) : std::string_view(), "\"");
}

void RecordOutput::SetPlainNum(int32_t i, int64_t v) {
    mFields[i].clear();
    AppendPlainNum(mFields[i], v);
}

void RecordOutput::OpenOutput(const std::string& Path) {
    mLineEnd = "\r\n";
    mPath = Path;
    gWorkFile = Path;  // the write-error box names it
    int err = 0;
    OpenForOutput(err, mFileNo, Path);
    mResult = err;
}

void RecordOutput::EndOutput() {
    if (mResult == 0) {
        WriteOut(true);
        mPipeline.reset();
        mTapes = 0;
        if (mResult != 0) return;
        // The file reaches the disk only here: a full disk shows now, and is no success.
        if (!CloseFileOptKill(0, mFileNo, mPath)) mResult = 1;
        return;
    }
    DropOutput();
    mPipeline.reset();
    AbandonFile(mFileNo);
}

}  // namespace tolvi
