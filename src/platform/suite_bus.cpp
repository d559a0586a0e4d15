#include "platform/suite_bus.h"

#include <utility>

namespace tolvi::platform {

bool SuiteBus::RegisterSource(const std::string& name, SourceHooks hooks) {
    if (name.empty() || sources_.count(name)) return false;
    sources_[name] = Source{"", std::move(hooks)};
    return true;
}

void SuiteBus::UnregisterSource(const std::string& name) {
    if (!sources_.erase(name)) return;
    for (auto it = links_.begin(); it != links_.end();) {
        if (it->second.source == name)
            it = links_.erase(it);
        else
            ++it;
    }
}

bool SuiteBus::HasSource(const std::string& name) const { return sources_.count(name) != 0; }

std::string SuiteBus::SourceText(const std::string& name) const {
    auto it = sources_.find(name);
    return it == sources_.end() ? std::string() : it->second.text;
}

void SuiteBus::Publish(const std::string& source, const std::string& text) {
    auto it = sources_.find(source);
    if (it == sources_.end()) return;
    it->second.text = text;
    for (const auto& [id, link] : links_) {
        if (link.source != source) continue;
        const int linkId = id;
        // The link may end before the delivery runs; look it up again then.
        Enqueue([this, linkId, text] {
            auto l = links_.find(linkId);
            if (l == links_.end()) return;
            Notify notify = l->second.notify;  // a copy: the handler may unlink itself
            if (notify) notify(text);
        });
    }
}

int SuiteBus::Link(const std::string& source, Notify onNotify) {
    ++linkAttempts_;
    if (!sources_.count(source)) return 0;
    const int id = nextLink_++;
    links_[id] = LinkRec{source, std::move(onNotify)};
    return id;
}

void SuiteBus::Unlink(int link) { links_.erase(link); }

bool SuiteBus::Linked(int link) const { return links_.count(link) != 0; }

void SuiteBus::Post(Task task) { Enqueue(std::move(task)); }

void SuiteBus::Enqueue(Task task) {
    const bool wasEmpty = queue_.empty();
    queue_.push_back(std::move(task));
    if (wasEmpty && !draining_ && schedule_) schedule_();
}

bool SuiteBus::DeliverPending() {
    if (draining_) return true;
    if (Held()) return false;
    draining_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{draining_};
    while (!queue_.empty()) {
        // A task may open a modal window; whatever is left waits until it closes.
        if (Held()) return false;
        Task task = std::move(queue_.front());
        queue_.pop_front();
        task();
    }
    return true;
}

uint32_t SuiteBus::RegisterMessage(const std::string& name) {
    for (std::size_t i = 0; i < messages_.size(); ++i)
        if (messages_[i] == name) return kFirstRegisteredMessage + static_cast<uint32_t>(i);
    messages_.push_back(name);
    return kFirstRegisteredMessage + static_cast<uint32_t>(messages_.size() - 1);
}

std::string SuiteBus::MessageName(uint32_t id) const {
    if (id < kFirstRegisteredMessage) return {};
    const std::size_t i = id - kFirstRegisteredMessage;
    return i < messages_.size() ? messages_[i] : std::string();
}

int SuiteBus::ListenRegistered(std::function<void(uint32_t, int32_t)> listener) {
    const int id = nextListener_++;
    listeners_[id] = std::move(listener);
    return id;
}

void SuiteBus::StopListening(int listener) { listeners_.erase(listener); }

void SuiteBus::Broadcast(uint32_t id, int32_t wParam) {
    // A listener may stop listening (or add one) while handling the message.
    std::vector<std::function<void(uint32_t, int32_t)>> snapshot;
    for (const auto& [key, fn] : listeners_) snapshot.push_back(fn);
    for (auto& fn : snapshot)
        if (fn) fn(id, wParam);
}

bool SuiteBus::Activate(const std::string& source, bool restore) {
    auto it = sources_.find(source);
    if (it == sources_.end() || !it->second.hooks.activate) return false;
    auto activate = it->second.hooks.activate;
    return activate(restore);
}

std::optional<std::string> SuiteBus::GetString(const std::string& key) const {
    if (!boardGet_) return std::nullopt;
    return boardGet_(key);
}

void SuiteBus::SetString(const std::string& key, const std::string& value) {
    if (boardSet_) boardSet_(key, value);
}

void SuiteBus::Reset() { *this = SuiteBus(); }

SuiteBus& suiteBus() {
    static SuiteBus bus;
    return bus;
}

void ResetSuiteBusState() {
    suiteBus().Reset();
    SetModalProbe(nullptr);
}

namespace {
std::function<bool()>& modalProbe() {
    static std::function<bool()> probe;
    return probe;
}
}  // namespace

bool AnyModalWindow() { return modalProbe() && modalProbe()(); }

void SetModalProbe(std::function<bool()> probe) { modalProbe() = std::move(probe); }

std::optional<std::string> KeyCapture::Feed(char key) {
    if (key == '@') {
        buffer_.clear();
        capturing_ = true;
        return std::nullopt;
    }
    if (!capturing_) return std::nullopt;
    if (key == '$') {
        std::string line = std::move(buffer_);
        buffer_.clear();
        capturing_ = false;
        return line;
    }
    buffer_ += key;
    return std::nullopt;
}

}  // namespace tolvi::platform
