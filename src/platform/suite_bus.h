#pragma once
// The command channel between the applications of the suite. Every application is a source
// named after itself whose one item holds its last addressed command line; others hold notify
// links to it. Beside it: the registered window message, a shared string board reached by
// separate programs, window activation of separate programs, and the "@...$" keystroke capture.
//
// Deliveries are queued, never made from inside the publisher's call: a module may publish
// from inside any call without re-entering whoever is publishing. Each delivery carries the
// text as published, so two quick publications are both seen, in order. The queue is drained
// by DeliverPending(), which the program arranges through the scheduler and tests call by hand.
// While the hold predicate is true (the manager shows a modal window) nothing is drained.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tolvi::platform {

class SuiteBus {
public:
    using Notify = std::function<void(const std::string& text)>;
    using Task = std::function<void()>;
    struct SourceHooks {
        // Brings the source's window forward (restore: it was minimised); false when it could not.
        std::function<bool(bool restore)> activate;
    };

    // --- sources ---
    // False when name is empty or already taken.
    bool RegisterSource(const std::string& name, SourceHooks hooks = {});
    // Every link to the source ends (reads unlinked from then on); queued deliveries of those
    // links are dropped.
    void UnregisterSource(const std::string& name);
    bool HasSource(const std::string& name) const;
    std::string SourceText(const std::string& name) const;
    // Sets the source's item and queues one delivery per link, even when the text is unchanged.
    // A publication under a name nobody registered goes nowhere.
    void Publish(const std::string& source, const std::string& text);

    // --- notify links ---
    // A link to source, or 0 when no such source is registered (the caller retries later).
    int Link(const std::string& source, Notify onNotify);
    void Unlink(int link);
    bool Linked(int link) const;
    // Every Link call so far, successful or not.
    int LinkAttempts() const { return linkAttempts_; }

    // --- the delivery queue ---
    // Queues task behind the deliveries already waiting (commands that must not run now).
    void Post(Task task);
    // Runs the queue, including whatever the tasks queue meanwhile. Returns false, leaving the
    // queue as it is, while held; a call from inside a running task returns at once.
    bool DeliverPending();
    std::size_t Pending() const { return queue_.size(); }
    // Asked to arrange one later DeliverPending call whenever the queue stops being empty.
    void SetScheduler(std::function<void()> schedule) { schedule_ = std::move(schedule); }
    void SetHold(std::function<bool()> hold) { hold_ = std::move(hold); }
    bool Held() const { return hold_ && hold_(); }

    // --- the registered window message ---
    // A stable number per name, shared by every application that registers the same name.
    uint32_t RegisterMessage(const std::string& name);
    std::string MessageName(uint32_t id) const;
    int ListenRegistered(std::function<void(uint32_t id, int32_t wParam)> listener);
    void StopListening(int listener);
    // Synchronous: every listener has handled the message when this returns.
    void Broadcast(uint32_t id, int32_t wParam);

    // --- separate programs' windows ---
    // False when no such source, it offers no activation, or the activation failed.
    bool Activate(const std::string& source, bool restore);

    // --- the shared string board ---
    using BoardGet = std::function<std::optional<std::string>(const std::string& key)>;
    using BoardSet = std::function<void(const std::string& key, const std::string& value)>;
    void SetStringBoard(BoardGet get, BoardSet set) {
        boardGet_ = std::move(get);
        boardSet_ = std::move(set);
    }
    std::optional<std::string> GetString(const std::string& key) const;
    void SetString(const std::string& key, const std::string& value);

    void Reset();

private:
    struct Source {
        std::string text;
        SourceHooks hooks;
    };
    struct LinkRec {
        std::string source;
        Notify notify;
    };
    void Enqueue(Task task);

    std::map<std::string, Source> sources_;
    std::map<int, LinkRec> links_;
    int nextLink_ = 1;
    int linkAttempts_ = 0;
    std::deque<Task> queue_;
    bool draining_ = false;
    std::function<void()> schedule_;
    std::function<bool()> hold_;
    std::vector<std::string> messages_;
    std::map<int, std::function<void(uint32_t, int32_t)>> listeners_;
    int nextListener_ = 1;
    BoardGet boardGet_;
    BoardSet boardSet_;
};

// Registered message numbers start here (the range Windows used for registered messages).
constexpr uint32_t kFirstRegisteredMessage = 0xC000;

SuiteBus& suiteBus();
void ResetSuiteBusState();

// Whether a modal window of this program is open. The Qt services install a probe; with none
// installed the answer is false.
bool AnyModalWindow();
void SetModalProbe(std::function<bool()> probe);

// The "@...$" capture of keys typed into the main window: "@" starts (or restarts) a capture,
// "$" ends it and gives the captured line, other keys are collected while capturing.
class KeyCapture {
public:
    std::optional<std::string> Feed(char key);
    bool Capturing() const { return capturing_; }
    const std::string& Buffer() const { return buffer_; }
    void Reset() {
        capturing_ = false;
        buffer_.clear();
    }

private:
    bool capturing_ = false;
    std::string buffer_;
};

}  // namespace tolvi::platform
