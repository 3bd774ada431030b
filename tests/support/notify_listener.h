// A datagram socket a test owns, standing in for the host service
// manager's notification socket (NOTIFY_SOCKET): a path, or a name in the
// abstract namespace when it starts with '@'.
#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace cvn_test {

class NotifyListener {
public:
    explicit NotifyListener(const std::string& path_or_abstract,
                            std::chrono::milliseconds patience = std::chrono::seconds(20))
        : name_(path_or_abstract), patience_(patience) {
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, name_.data(), name_.size());
        socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name_.size());
        if (name_.front() == '@') {
            address.sun_path[0] = '\0';
        } else {
            ++length;
        }
        EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&address), length), 0) << name_;
    }
    ~NotifyListener() { ::close(fd_); }

    const std::string& name() const { return name_; }

    // The next message; empty when none came in time.
    std::string Next() {
        pollfd watched{fd_, POLLIN, 0};
        const int milliseconds = static_cast<int>(std::chrono::milliseconds(patience_).count());
        if (::poll(&watched, 1, milliseconds) != 1) {
            return {};
        }
        char buffer[4096];
        ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
        return got > 0 ? std::string(buffer, static_cast<size_t>(got)) : std::string();
    }

    // The messages already sent, without waiting.
    std::vector<std::string> Pending() {
        std::vector<std::string> messages;
        char buffer[4096];
        ssize_t got;
        while ((got = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT)) > 0) {
            messages.emplace_back(buffer, static_cast<size_t>(got));
        }
        return messages;
    }

private:
    std::string name_;
    std::chrono::milliseconds patience_;
    int fd_ = -1;
};

}  // namespace cvn_test
