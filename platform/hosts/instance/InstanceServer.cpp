// The instance socket: serving it, and handing documents to the one who
// serves it (InstanceServer.h).
#include "platform/hosts/instance/InstanceServer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

#include "platform/hosts/instance/InstanceMessage.h"

namespace platform::instance {
namespace {

using Clock = std::chrono::steady_clock;

constexpr UInt8 kTaken = 1;   // the answer to a message that was taken

// What others sent goes to the log with its control characters masked, so
// a forged path cannot drive the terminal.
std::string printable(std::string_view text) {
    std::string out(text.substr(0, 256));
    for (char& c : out)
        if (UInt8(c) < 0x20 || c == 0x7F) c = '?';
    return out;
}

void log(const std::string& line) { std::fprintf(stderr, "kinora: %s\n", line.c_str()); }

// The socket's address: its path, or the same file reached through the
// folder's descriptor when the path is too long for an AF_UNIX address.
Result<sockaddr_un> address_of(const Endpoint& e) {
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::string path = (e.folder / e.name).string();
    if (path.size() >= sizeof a.sun_path)
        path = "/proc/self/fd/" + std::to_string(e.folder_fd.get()) + "/" + e.name;
    if (path.size() >= sizeof a.sun_path) return fail(bdNamErr, "the socket's name is too long");
    std::memcpy(a.sun_path, path.c_str(), path.size() + 1);
    return a;
}

bool peer_is_this_user(int fd) {
    ucred cred{};
    socklen_t size = sizeof cred;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &size) == 0 && cred.uid == ::geteuid();
}

Result<UniqueFd> connect_to(const Endpoint& e) {
    sockaddr_un a = TRY(address_of(e));
    UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    if (!fd) return fail(ioErr, "no socket can be made");
    if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
        return fail(fnfErr, "no one listens on the socket");
    if (!peer_is_this_user(fd.get())) return fail(permErr, "the socket is served by another user");
    return fd;
}

// Sends one message and waits for it to be taken.
Result<void> hand_over(UniqueFd fd, const std::vector<UInt8>& message, std::chrono::milliseconds patience) {
    if (::send(fd.get(), message.data(), message.size(), MSG_NOSIGNAL) != ssize_t(message.size()))
        return fail(ioErr, "the documents could not be sent");
    pollfd p{fd.get(), POLLIN, 0};
    if (::poll(&p, 1, int(patience.count())) != 1) return fail(ioErr, "the running Kinora did not answer");
    UInt8 answer = 0;
    if (::recv(fd.get(), &answer, 1, 0) != 1 || answer != kTaken)
        return fail(ioErr, "the running Kinora refused the documents");
    return ok();
}

}  // namespace

struct ClaimSteps {
    static Result<std::unique_ptr<InstanceServer>> serve(Endpoint& endpoint, UniqueFd& lock) {
        sockaddr_un a = TRY(address_of(endpoint));
        // Whatever is there was left by a server that has ended: the lock is ours.
        ::unlinkat(endpoint.folder_fd.get(), endpoint.name.c_str(), 0);
        UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        if (!fd) return fail(ioErr, "no socket can be made");
        if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd.get(), 16) != 0)
            return fail(ioErr, "the socket cannot be made to listen");
        std::unique_ptr<InstanceServer> server(new InstanceServer());
        server->endpoint_ = std::move(endpoint);
        server->lock_ = std::move(lock);
        server->listener_ = std::move(fd);
        server->buffer_.resize(kMaxInstanceMessage);
        return server;
    }
};

InstanceServer::~InstanceServer() {
    if (listener_) ::unlinkat(endpoint_.folder_fd.get(), endpoint_.name.c_str(), 0);
}

void InstanceServer::serve(const Receiver& receive) {
    if (serving_) return;   // a receiver that waits for events comes back here
    serving_ = true;
    for (size_t accepted = 0; accepted < kMaxWaiting; ++accepted) {
        UniqueFd fd(::accept4(listener_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!fd) break;
        if (!peer_is_this_user(fd.get())) {
            log("refused a connection to the instance socket from another user");
            continue;
        }
        if (waiting_.size() >= kMaxWaiting) {
            log("too many connections to the instance socket; dropped the oldest");
            waiting_.erase(waiting_.begin());
        }
        waiting_.push_back({std::move(fd), Clock::now()});
    }
    for (auto it = waiting_.begin(); it != waiting_.end();) it = take(*it, receive) ? waiting_.erase(it) : it + 1;
    serving_ = false;
}

// Reads the message of a waiting connection, if it has come: true when the
// connection is done with, whatever it held.
bool InstanceServer::take(Waiting& w, const Receiver& receive) {
    const ssize_t n = ::recv(w.fd.get(), buffer_.data(), buffer_.size(), MSG_DONTWAIT | MSG_TRUNC);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        if (Clock::now() - w.since < kSilenceLimit) return false;
        log("dropped a connection to the instance socket that sent nothing");
    } else if (size_t(n) > buffer_.size()) {
        log("ignored a message on the instance socket: over the size limit");
    } else if (n > 0) {
        auto parsed = parse_instance_message(std::span(buffer_.data(), size_t(n)));
        if (!parsed) {
            log(std::string("ignored a message on the instance socket: ") + parsed.error().message);
        } else {
            std::vector<std::string> files;
            for (const std::string& path : *parsed) {
                struct stat st;
                if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) files.push_back(path);
                else log("ignored " + printable(path) + " from the instance socket: not a file");
            }
            // The sender runs on its own once it stops waiting: open nothing
            // it may be opening itself.
            if (files.empty() && !parsed->empty())
                log("ignored a message on the instance socket: it names no file");
            else if (::send(w.fd.get(), &kTaken, 1, MSG_NOSIGNAL) == 1)
                receive(files);
            else
                log("the sender on the instance socket gave up; its documents are not opened");
        }
    }
    return true;
}

Result<Claim> claim_instance(Endpoint endpoint, const std::vector<std::string>& documents, ClaimPatience patience) {
    const std::string lockName = endpoint.name + ".lock";
    UniqueFd lock(::openat(endpoint.folder_fd.get(), lockName.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!lock) return fail(permErr, "the lock file cannot be opened");
    auto messages = TRY(encode_instance_messages(documents));
    const auto deadline = Clock::now() + patience.listener;
    for (;;) {
        if (::flock(lock.get(), LOCK_EX | LOCK_NB) == 0)
            return Claim{TRY(ClaimSteps::serve(endpoint, lock)), false};
        if (errno != EWOULDBLOCK) return fail(ioErr, "the lock file cannot be locked");
        // Another holds the lock: it listens, or is about to.
        auto first = connect_to(endpoint);
        if (first) {
            UniqueFd fd = std::move(*first);
            for (size_t i = 0; i < messages.size(); ++i) {
                if (i > 0) fd = TRY(connect_to(endpoint));
                TRY(hand_over(std::move(fd), messages[i], patience.answer));
            }
            return Claim{nullptr, true};
        }
        if (first.code() == permErr) return first.error();
        if (Clock::now() >= deadline) return fail(ioErr, "the running Kinora does not listen");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace platform::instance
