// The daemon's socket server: one thread per connection, each connection one
// client handle, all sharing one redirector.
#pragma once

#include <memory>
#include <string>

#include "redirector/core/redirector.h"

namespace cvnrd {

class Server {
public:
    Server(std::shared_ptr<Redirector> redirector, std::string socket_path);
    ~Server();

    // Binds and listens; false (with a message on the log) when another
    // daemon already serves the socket or it cannot be made.
    bool Listen();
    // Serves until Stop() is called from a signal handler or another thread,
    // then closes every connection and waits for its thread.
    void Run();
    // Async-signal-safe.
    void Stop();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace cvnrd
