// One Kinora per session, below the application: the message format, the
// private folder, and the socket served by one process while the others
// hand their documents over.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "platform/core/Bytes.h"
#include "platform/hosts/instance/InstanceMessage.h"
#include "platform/hosts/instance/InstanceServer.h"
#include "tests/support/Process.h"
#include "tests/support/TempFolder.h"

using namespace platform;
using namespace platform::instance;
namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testsupport::TempFolder;

namespace {

std::vector<UInt8> frame(UInt32 magic, UInt16 version, UInt16 count, const std::vector<std::string>& paths,
                         size_t extra = 0) {
    ByteWriter w;
    w.u32(magic);
    w.u16(version);
    w.u16(count);
    for (const std::string& p : paths) {
        w.u16(UInt16(p.size()));
        w.bytes(p.data(), p.size());
    }
    w.zeros(extra);
    return w.take();
}

Endpoint endpoint(const fs::path& folder) {
    auto fd = open_private_folder(folder);
    EXPECT_TRUE(fd.ok());
    return Endpoint{folder, fd ? std::move(*fd) : UniqueFd(), "instance-test"};
}

// A connection that sends `bytes` as one packet and reports whether the
// server answered (rather than closing).
bool answered(const fs::path& socket, const std::vector<UInt8>& bytes, InstanceServer& server,
              std::vector<std::vector<std::string>>& received) {
    UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strncpy(a.sun_path, socket.c_str(), sizeof a.sun_path - 1);
    if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return false;
    (void)::send(fd.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    server.serve([&](const std::vector<std::string>& paths) { received.push_back(paths); });
    UInt8 answer = 0;
    return ::recv(fd.get(), &answer, 1, MSG_DONTWAIT) == 1;
}

}  // namespace

TEST(InstanceMessage, MalformedFramesAreRefused) {
    const std::string a = "/tmp/a.mov";
    std::vector<UInt8> huge = frame(kInstanceMagic, 1, 1, {"/" + std::string(kMaxInstancePathBytes - 1, 'x')});
    huge.resize(kMaxInstanceMessage + 1);
    struct Case {
        const char* name;
        std::vector<UInt8> bytes;
        const char* error;
    };
    const Case cases[] = {
        {"empty", {}, "a message shorter than its header"},
        {"short header", {'K', 'N', 'i', 'o', 0, 1, 0}, "a message shorter than its header"},
        {"magic", frame('KNix', 1, 1, {a}), "not an instance message"},
        {"version", frame(kInstanceMagic, 2, 1, {a}), "a message of another version"},
        {"count past the bytes", frame(kInstanceMagic, 1, 2, {a}), "data ends early"},
        {"count no bytes can hold", frame(kInstanceMagic, 1, 0xFFFF, {}), "a bad count of paths"},
        {"count over the limit", frame(kInstanceMagic, 1, kMaxInstancePaths + 1, {}, 3 * 300),
         "a bad count of paths"},
        {"empty path", frame(kInstanceMagic, 1, 1, {""}, 1), "a path of a bad length"},
        {"relative path", frame(kInstanceMagic, 1, 1, {"a.mov"}), "a path that is not absolute"},
        {"NUL in a path", frame(kInstanceMagic, 1, 1, {std::string("/a\0b", 4)}), "a path with a NUL byte"},
        {"path longer than the limit", frame(kInstanceMagic, 1, 1, {"/" + std::string(kMaxInstancePathBytes, 'x')}),
         "a path of a bad length"},
        {"trailing bytes", frame(kInstanceMagic, 1, 1, {a}, 1), "bytes after the last path"},
        {"over the size limit", huge, "a message over the size limit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto r = parse_instance_message(c.bytes);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().code, paramErr);
        EXPECT_STREQ(r.error().message, c.error);
    }
}

TEST(InstanceMessage, ManyPathsSplitIntoMessagesThatParseBackInOrder) {
    // 300 paths of 1000 bytes: past both the count and the size limit.
    std::vector<std::string> paths;
    for (int i = 0; i < 300; ++i) paths.push_back("/" + std::to_string(i) + std::string(996, 'p'));
    auto messages = encode_instance_messages(paths);
    ASSERT_TRUE(messages.ok());
    EXPECT_GT(messages->size(), 4u);
    std::vector<std::string> back;
    for (const auto& m : *messages) {
        EXPECT_LE(m.size(), kMaxInstanceMessage);
        auto parsed = parse_instance_message(m);
        ASSERT_TRUE(parsed.ok()) << parsed.error().message;
        back.insert(back.end(), parsed->begin(), parsed->end());
    }
    EXPECT_EQ(back, paths);

    auto none = encode_instance_messages({});
    ASSERT_TRUE(none.ok());
    ASSERT_EQ(none->size(), 1u);
    EXPECT_TRUE(parse_instance_message(none->front())->empty()) << "no paths: only come to the front";
    EXPECT_FALSE(encode_instance_messages({"/a", "relative"}).ok());
}

TEST(InstanceFolder, MadePrivateWhenMissingAndRefusedWhenNotPrivate) {
    TempFolder t("instance-folder");
    const mode_t umaskWas = ::umask(0277);   // would leave a new folder without write permission
    auto made = open_private_folder(t.path() / "deep" / "kinora");
    ::umask(umaskWas);
    ASSERT_TRUE(made.ok()) << made.error().message;
    EXPECT_EQ(fs::status(t.path() / "deep" / "kinora").permissions(), fs::perms::owner_all);

    fs::create_directory(t.path() / "open");
    fs::permissions(t.path() / "open", fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::create_directory(t.path() / "real");
    fs::permissions(t.path() / "real", fs::perms::owner_all);
    fs::create_directory_symlink(t.path() / "real", t.path() / "link");
    testsupport::write_file(t.path() / "file", "x");
    struct Case {
        const char* name;
        const char* error;
    };
    const Case cases[] = {{"open", "its mode is not 0700"}, {"link", "it is not a folder"}, {"file", "it is not a folder"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto r = open_private_folder(t.path() / c.name);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error().code, permErr);
        EXPECT_STREQ(r.error().message, c.error);
    }
    if (::geteuid() == 0) {   // only root can give a folder away
        ASSERT_EQ(::chown((t.path() / "real").c_str(), 65534, 65534), 0);
        auto r = open_private_folder(t.path() / "real");
        ASSERT_FALSE(r.ok());
        EXPECT_STREQ(r.error().message, "it belongs to another user");
    }
}

// A socket left by a server that ended is replaced; of several starting at
// once exactly one serves, and the others' documents reach it.
TEST(InstanceServer, OneOfManyServesAndTheOthersHandTheirDocumentsOver) {
    TempFolder t("instance-race");
    // Longer than an AF_UNIX address holds: reached through the folder's descriptor.
    const fs::path folder = t.path() / std::string(100, 'f');
    Endpoint stale = endpoint(folder);
    {
        UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET, 0));
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::string path = "/proc/self/fd/" + std::to_string(stale.folder_fd.get()) + "/instance-test";
        std::strcpy(a.sun_path, path.c_str());
        ASSERT_EQ(::bind(fd.get(), reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    }
    ASSERT_TRUE(fs::is_socket(folder / "instance-test"));

    constexpr int kStarters = 4;
    std::vector<std::string> documents;
    for (int i = 0; i < kStarters; ++i) {
        documents.push_back((t.path() / ("doc" + std::to_string(i) + ".mov")).string());
        testsupport::write_file(documents.back(), "x");
    }
    std::atomic<int> servers = 0, handed = 0, failed = 0;
    std::vector<std::string> received;
    std::vector<std::thread> starters;
    for (int i = 0; i < kStarters; ++i)
        starters.emplace_back([&, i] {
            auto claim = claim_instance(endpoint(folder), {documents[size_t(i)]});
            if (!claim) {
                ++failed;
                return;
            }
            if (claim->handed_off) {
                ++handed;
                return;
            }
            ++servers;
            auto until = std::chrono::steady_clock::now() + 30s;
            while (received.size() < kStarters - 1 && std::chrono::steady_clock::now() < until) {
                claim->server->serve([&](const std::vector<std::string>& p) {
                    received.insert(received.end(), p.begin(), p.end());
                });
                std::this_thread::sleep_for(2ms);
            }
        });
    for (auto& s : starters) s.join();
    EXPECT_EQ(servers, 1);
    EXPECT_EQ(handed, kStarters - 1);
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(received.size(), size_t(kStarters - 1));
    for (const std::string& r : received)
        EXPECT_NE(std::find(documents.begin(), documents.end(), r), documents.end()) << r;
    EXPECT_FALSE(fs::exists(folder / "instance-test")) << "the server removed its socket as it went";
}

// Nothing a connection sends is trusted: a malformed or oversized packet,
// or paths that are not files, get no answer and open nothing, and a
// connection that sends nothing holds no one up.
TEST(InstanceServer, ForgedAndOversizedMessagesOpenNothing) {
    TempFolder t("instance-forged");
    auto claim = claim_instance(endpoint(t.path() / "kinora"), {});
    ASSERT_TRUE(claim.ok() && claim->server);
    InstanceServer& server = *claim->server;
    const fs::path socket = t.path() / "kinora" / "instance-test";
    const std::string file = (t.path() / "a.mov").string();
    testsupport::write_file(file, "x");
    std::vector<UInt8> oversized = frame(kInstanceMagic, 1, 1, {file});
    oversized.resize(kMaxInstanceMessage + 100);

    UniqueFd silent(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strcpy(a.sun_path, socket.c_str());
    ASSERT_EQ(::connect(silent.get(), reinterpret_cast<sockaddr*>(&a), sizeof a), 0);

    std::vector<std::vector<std::string>> received;
    const std::vector<std::vector<UInt8>> forged = {
        oversized,
        frame(kInstanceMagic, 9, 1, {file}),
        frame(kInstanceMagic, 1, 1, {"a.mov"}),
        frame(kInstanceMagic, 1, 2, {t.str(), file + ".missing"}),   // a folder and nothing
        {},
    };
    for (const auto& bytes : forged) EXPECT_FALSE(answered(socket, bytes, server, received));
    EXPECT_TRUE(received.empty());

    // Still serving; what is not a file is left out of a request that names one.
    EXPECT_TRUE(answered(socket, frame(kInstanceMagic, 1, 2, {t.str(), file}), server, received));
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], std::vector<std::string>{file});
}

// The folder keeps other users out; the server checks the peer all the same.
TEST(InstanceServer, AnotherUsersConnectionIsRefused) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to connect as another user";
    TempFolder t("instance-peer");
    const fs::path folder = t.path() / "kinora";
    auto claim = claim_instance(endpoint(folder), {});
    ASSERT_TRUE(claim.ok() && claim->server);
    fs::permissions(t.path(), fs::perms::all);
    fs::permissions(folder, fs::perms::owner_all | fs::perms::others_exec);
    fs::permissions(folder / "instance-test", fs::perms::all);
    const std::string file = (t.path() / "a.mov").string();
    testsupport::write_file(file, "x");
    const auto message = frame(kInstanceMagic, 1, 1, {file});
    const pid_t parent = getpid();
    std::atomic<bool> done = false;
    std::vector<std::string> received;
    std::thread serving([&] {
        while (!done) {
            claim->server->serve([&](const std::vector<std::string>& p) { received = p; });
            std::this_thread::sleep_for(2ms);
        }
    });
    // 0: refused (closed unanswered); 1: answered; 2: could not connect.
    int outcome = testsupport::run_in_child([&] {
        if (getpid() == parent || ::setgid(65534) != 0 || ::setuid(65534) != 0) return 3;
        UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET, 0));
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::strcpy(a.sun_path, (folder / "instance-test").c_str());
        if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return 2;
        (void)::send(fd.get(), message.data(), message.size(), MSG_NOSIGNAL);
        UInt8 answer = 0;
        return ::recv(fd.get(), &answer, 1, 0) == 1 ? 1 : 0;
    }, 30s);
    done = true;
    serving.join();
    EXPECT_EQ(outcome, 0);
    EXPECT_TRUE(received.empty());
}
