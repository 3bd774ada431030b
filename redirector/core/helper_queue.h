// The redirector's side of the helper program: its registration, the
// requests waiting for a helper thread, and the answers travelling back.
//
// A helper thread sends request 6 with its previous answer in the buffer and
// waits there until a request is queued for it. Whoever needs an answer
// (a connection resolving its host, an administrator's query) queues a
// request and waits for the answer by its transaction id, for a bounded
// time. A helper thread that goes away with a request unanswered gives it
// back to the queue; at shutdown every waiting thread and every waiting
// asker is released with a failure.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/bytes.h"

namespace cvnrd {

struct HelperRegistration {
    std::u16string host;
    std::u16string domain;
    std::u16string container1;
    std::u16string container2;
};

struct HelperAnswer {
    std::uint16_t status = 0;  // 0, or 501, 533, 534 as the helper answered
    win32::Bytes data;         // the data bytes the helper returned
};

// How a waiting call ended when it brought nothing.
enum class HelperWait { Answered, Shutdown, TimedOut, NoHelper };

class HelperQueue {
public:
    void Register(HelperRegistration registration);
    std::optional<HelperRegistration> registration() const;

    // One helper thread's request 6: delivers the answer in `buffer` (when
    // its transaction id is not 0), then waits for the next request and
    // writes it into the first 532 bytes. `owner` identifies the helper
    // thread's handle, so its unanswered request can be given back.
    HelperWait Exchange(const void* owner, win32::ByteView buffer);

    // The helper's handle went away: a request it took is queued again.
    void Forget(const void* owner);

    // Queues a request and waits for its answer. NoHelper at once when no
    // helper has registered or none of its threads is connected.
    HelperWait Ask(std::uint16_t kind, std::u16string_view name, std::chrono::milliseconds limit,
                   HelperAnswer* answer);

    // The addresses whose names the helper may be asked for (request 15),
    // in the order they were seen; an address seen twice is listed twice.
    void SeeAddress(std::uint32_t address);
    std::vector<std::uint32_t> SeenAddresses() const;

    // Releases every waiting helper thread and asker; later waits fail at once.
    void Shutdown();

private:
    struct Pending {
        std::uint32_t id;
        std::uint16_t kind;
        std::u16string name;
    };

    void Deliver(const win32::ByteView& buffer);

    mutable std::mutex lock_;
    std::condition_variable requests_ready_;
    std::condition_variable answers_ready_;
    bool shut_down_ = false;
    std::optional<HelperRegistration> registration_;
    std::deque<Pending> queue_;
    std::map<const void*, Pending> taken_;  // by the helper handle that took it
    std::set<const void*> threads_;         // helper handles that have asked for work
    std::map<std::uint32_t, HelperAnswer> answers_;
    std::set<std::uint32_t> awaited_;
    std::uint32_t next_id_ = 1;
    std::vector<std::uint32_t> seen_;
};

}  // namespace cvnrd
