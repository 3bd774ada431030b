#include "redirector/cvnrd/server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

#include "platform/device_protocol.h"
#include "redirector/cvnrd/log.h"

namespace cvnrd {

struct Server::State {
    std::shared_ptr<Redirector> redirector;
    std::string socket_path;
    int listener = -1;
    int wake[2] = {-1, -1};  // written by Stop(), read by the accept loop
    std::mutex lock;
    std::map<int, std::thread> clients;  // connection fd -> its thread
    std::vector<int> finished;           // connections whose thread has ended
};

namespace {

bool Connectable(const sockaddr_un& address) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    bool connected =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

}  // namespace

Server::Server(std::shared_ptr<Redirector> redirector, std::string socket_path)
    : state_(std::make_unique<State>()) {
    state_->redirector = std::move(redirector);
    state_->socket_path = std::move(socket_path);
    if (::pipe2(state_->wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        state_->wake[0] = state_->wake[1] = -1;
    }
}

Server::~Server() {
    if (state_->listener >= 0) {
        ::close(state_->listener);
        ::unlink(state_->socket_path.c_str());
    }
    for (int fd : state_->wake) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

bool Server::Listen() {
    sockaddr_un address{};
    if (state_->socket_path.size() >= sizeof address.sun_path) {
        Log("the socket path is too long: " + state_->socket_path);
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, state_->socket_path.c_str(), state_->socket_path.size() + 1);
    if (Connectable(address)) {
        Log("another redirector already serves " + state_->socket_path);
        return false;
    }
    ::unlink(state_->socket_path.c_str());  // left behind by a redirector that did not stop cleanly
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 64) != 0) {
        Log("cannot listen on " + state_->socket_path + ": " + std::strerror(errno));
        if (fd >= 0) {
            ::close(fd);
        }
        return false;
    }
    // Any local user may talk to the redirector, as any user of the system
    // may connect network drives.
    ::chmod(state_->socket_path.c_str(), 0666);
    state_->listener = fd;
    return true;
}

void Server::Stop() {
    if (state_->wake[1] >= 0) {
        char byte = 1;
        [[maybe_unused]] ssize_t written = ::write(state_->wake[1], &byte, 1);
    }
}

void Server::Run() {
    State& state = *state_;
    for (;;) {
        pollfd fds[2] = {{state.listener, POLLIN, 0}, {state.wake[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            Log(std::string("poll failed: ") + std::strerror(errno));
            break;
        }
        if (fds[1].revents != 0) {
            break;
        }
        {
            std::lock_guard guard(state.lock);
            for (int fd : state.finished) {
                auto found = state.clients.find(fd);
                if (found != state.clients.end()) {
                    found->second.join();
                    state.clients.erase(found);
                    ::close(fd);
                }
            }
            state.finished.clear();
        }
        if (!(fds[0].revents & POLLIN)) {
            continue;
        }
        int client = ::accept4(state.listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                // Out of descriptors: the waiting connection stays ready, so
                // give the others time to end instead of spinning on it.
                Log(std::string("cannot accept a connection: ") + std::strerror(errno));
                ::poll(nullptr, 0, 100);
            }
            continue;
        }
        std::lock_guard guard(state.lock);
        state.clients.emplace(
            client, std::thread([&state, client] {
                {
                    SessionHandle session(state.redirector);
                    while (std::optional<win32::Bytes> request =
                               win32::device_protocol::ReadFrame(client)) {
                        if (!win32::device_protocol::WriteFrame(client, session.Handle(*request))) {
                            break;
                        }
                    }
                }
                // The peer learns at once that the connection is over (after a
                // frame the daemon refuses, say); the descriptor itself is
                // closed by the accept loop, which alone may reuse it.
                ::shutdown(client, SHUT_RDWR);
                std::lock_guard finished_guard(state.lock);
                state.finished.push_back(client);
            }));
    }
    // Stopping: release the helper's threads waiting for a request, wake
    // every connection's thread and wait for it.
    state.redirector->Shutdown();
    std::map<int, std::thread> clients;
    {
        std::lock_guard guard(state.lock);
        clients.swap(state.clients);
        for (auto& [fd, thread] : clients) {
            ::shutdown(fd, SHUT_RDWR);
        }
    }
    for (auto& [fd, thread] : clients) {
        thread.join();
        ::close(fd);
    }
}

}  // namespace cvnrd
