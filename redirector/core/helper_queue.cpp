#include "redirector/core/helper_queue.h"

#include <algorithm>

#include "common/records.h"

namespace cvnrd {

namespace hr = cvn::helper_request;

namespace {

// The largest name a request carries: the data area of the basic record.
constexpr std::size_t kMaxNameChars = (hr::kBasicSize - hr::kData) / 2;

void WriteRequest(win32::ByteView buffer, std::uint32_t id, std::uint16_t kind,
                  std::u16string_view name) {
    for (std::size_t offset = hr::kKind; offset < hr::kBasicSize; ++offset) {
        buffer.SetU8(offset, 0);
    }
    buffer.SetU16(hr::kKind, kind);
    buffer.SetU16(hr::kAnswerStatus, 0);
    buffer.SetU32(hr::kTransactionId, id);
    buffer.SetU32(hr::kDataLength, static_cast<std::uint32_t>(name.size() * 2));
    for (std::size_t i = 0; i < name.size(); ++i) {
        buffer.SetU16(hr::kData + 2 * i, name[i]);
    }
}

}  // namespace

void HelperQueue::Register(HelperRegistration registration) {
    std::lock_guard guard(lock_);
    registration_ = std::move(registration);
}

std::optional<HelperRegistration> HelperQueue::registration() const {
    std::lock_guard guard(lock_);
    return registration_;
}

// An answer is believed only from the thread that took the request, and only
// as far as its buffer reaches.
void HelperQueue::Deliver(const win32::ByteView& buffer) {
    const std::uint32_t id = buffer.U32(hr::kTransactionId);
    auto taken = std::find_if(taken_.begin(), taken_.end(),
                              [id](const auto& entry) { return entry.second.id == id; });
    if (id == 0 || taken == taken_.end()) {
        return;
    }
    taken_.erase(taken);
    if (!awaited_.contains(id)) {
        return;  // its asker stopped waiting
    }
    HelperAnswer answer;
    answer.status = buffer.U16(hr::kAnswerStatus);
    const std::uint32_t length = buffer.U32(hr::kDataLength);
    if (length > buffer.size() - hr::kData) {
        answer.status = 534;  // a length beyond the buffer is no answer
    } else {
        answer.data.resize(length);
        for (std::uint32_t i = 0; i < length; ++i) {
            answer.data[i] = buffer.U8(hr::kData + i);
        }
    }
    answers_[id] = std::move(answer);
    answers_ready_.notify_all();
}

HelperWait HelperQueue::Exchange(const void* owner, win32::ByteView buffer) {
    std::unique_lock guard(lock_);
    threads_.insert(owner);
    if (auto previous = taken_.find(owner);
        previous != taken_.end() && previous->second.id == buffer.U32(hr::kTransactionId)) {
        Deliver(buffer);
    }
    // A request this thread took and did not answer goes to another.
    if (auto unanswered = taken_.find(owner); unanswered != taken_.end()) {
        queue_.push_front(unanswered->second);
        taken_.erase(unanswered);
        requests_ready_.notify_one();
    }
    requests_ready_.wait(guard, [this] { return shut_down_ || !queue_.empty(); });
    if (shut_down_) {
        return HelperWait::Shutdown;
    }
    Pending next = queue_.front();
    queue_.pop_front();
    WriteRequest(buffer, next.id, next.kind, next.name);
    taken_[owner] = std::move(next);
    return HelperWait::Answered;
}

void HelperQueue::Forget(const void* owner) {
    std::lock_guard guard(lock_);
    threads_.erase(owner);
    if (auto unanswered = taken_.find(owner); unanswered != taken_.end()) {
        if (awaited_.contains(unanswered->second.id)) {
            queue_.push_front(unanswered->second);
            requests_ready_.notify_one();
        }
        taken_.erase(unanswered);
    }
}

HelperWait HelperQueue::Ask(std::uint16_t kind, std::u16string_view name,
                            std::chrono::milliseconds limit, HelperAnswer* answer) {
    std::unique_lock guard(lock_);
    if (shut_down_) {
        return HelperWait::Shutdown;
    }
    if (!registration_ || threads_.empty() || name.size() > kMaxNameChars) {
        return HelperWait::NoHelper;
    }
    const std::uint32_t id = next_id_++;
    if (next_id_ == 0) {
        next_id_ = 1;  // 0 means "no answer" in a helper's buffer
    }
    queue_.push_back({id, kind, std::u16string(name)});
    awaited_.insert(id);
    requests_ready_.notify_one();
    const bool answered = answers_ready_.wait_for(
        guard, limit, [this, id] { return shut_down_ || answers_.contains(id); });
    awaited_.erase(id);
    if (answered && answers_.contains(id)) {
        *answer = std::move(answers_[id]);
        answers_.erase(id);
        return HelperWait::Answered;
    }
    // Nobody took it: it leaves the queue with its asker.
    std::erase_if(queue_, [id](const Pending& pending) { return pending.id == id; });
    return shut_down_ ? HelperWait::Shutdown : HelperWait::TimedOut;
}

void HelperQueue::SeeAddress(std::uint32_t address) {
    std::lock_guard guard(lock_);
    seen_.push_back(address);
}

std::vector<std::uint32_t> HelperQueue::SeenAddresses() const {
    std::lock_guard guard(lock_);
    return seen_;
}

void HelperQueue::Shutdown() {
    std::lock_guard guard(lock_);
    shut_down_ = true;
    requests_ready_.notify_all();
    answers_ready_.notify_all();
}

}  // namespace cvnrd
