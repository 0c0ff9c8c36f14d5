// InstanceServer.h — one Kinora per user session: the running one serves a
// socket, and one that starts after it hands its documents over and ends.
//
// Who serves is decided by a lock, not by the socket: the lock file
// (<name>.lock beside the socket) is held with flock for the server's whole
// life, and the kernel lets it go however the server ends. A process that
// gets the lock replaces whatever socket file is left and listens; one that
// does not connects to the socket and sends its documents. Two starting at
// once can therefore never both serve, and a socket left by a crash (no one
// listening) is simply replaced by the next one to start.
//
// The socket is AF_UNIX SOCK_SEQPACKET: one connection carries one message
// (InstanceMessage.h) and gets one byte back once it was taken. Only the
// user's own processes are served (the folder is private and the peer's
// credentials are checked as well). A malformed, oversized or silent
// connection is logged and closed, never answered.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/hosts/instance/InstanceFolder.h"

namespace platform::instance {

// A private folder (open_private_folder) and the name of the socket in it.
struct Endpoint {
    std::filesystem::path folder;
    UniqueFd folder_fd;
    std::string name;
};

class InstanceServer {
public:
    // Called with the regular files a request named (none: only come to
    // the front), after the sender was told they were taken. A request
    // whose paths are none of them files is ignored.
    using Receiver = std::function<void(const std::vector<std::string>& paths)>;

    ~InstanceServer();   // removes the socket file; the lock goes with its descriptor

    // Takes what has arrived and never waits: new connections, and the
    // message of each one waiting (one that has sent nothing for
    // kSilenceLimit is dropped).
    void serve(const Receiver& receive);

    static constexpr auto kSilenceLimit = std::chrono::seconds(5);
    static constexpr size_t kMaxWaiting = 16;

private:
    friend struct ClaimSteps;
    InstanceServer() = default;
    struct Waiting {
        UniqueFd fd;
        std::chrono::steady_clock::time_point since;
    };
    bool take(Waiting& w, const Receiver& receive);

    Endpoint endpoint_;
    UniqueFd lock_;
    UniqueFd listener_;
    std::vector<Waiting> waiting_;
    std::vector<UInt8> buffer_;
    bool serving_ = false;
};

struct Claim {
    std::unique_ptr<InstanceServer> server;   // set: this process serves the session
    bool handed_off = false;                  // the documents went to the one serving
};

struct ClaimPatience {
    std::chrono::milliseconds listener{5000};   // for a server that holds the lock to listen
    std::chrono::milliseconds answer{10000};    // for its answer to each message
};

// Serves the endpoint, or hands `documents` (absolute paths of regular
// files) to the process serving it. Fails (the caller then runs on its own)
// when the socket cannot be made, or the one serving does not listen or
// answer within `patience`.
Result<Claim> claim_instance(Endpoint endpoint, const std::vector<std::string>& documents,
                             ClaimPatience patience = {});

}  // namespace platform::instance
