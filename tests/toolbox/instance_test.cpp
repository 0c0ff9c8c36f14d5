// One Kinora per session, below the application: the message format, the
// private folder, and who serves when several start at once.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <atomic>
#include <thread>

#include "platform/core/Bytes.h"
#include "platform/hosts/instance/InstanceMessage.h"
#include "platform/hosts/instance/InstanceServer.h"
#include "tests/support/TempFolder.h"

using namespace platform;
using namespace platform::instance;
namespace fs = std::filesystem;
using testsupport::TempFolder;

namespace {

std::vector<UInt8> frame(UInt32 magic, UInt16 version, UInt16 count, const std::vector<std::string>& paths, size_t extra = 0) {
    ByteWriter w;
    w.u32(magic), w.u16(version), w.u16(count);
    for (const std::string& p : paths) w.u16(UInt16(p.size())), w.bytes(p.data(), p.size());
    w.zeros(extra);
    return w.take();
}

}  // namespace

TEST(InstanceMessage, MalformedFramesAreRefusedAndLongListsSplit) {
    const std::string a = "/tmp/a.mov";
    const std::string longest(kMaxInstancePathBytes, '/');
    std::vector<UInt8> huge = frame(kInstanceMagic, 1, 1, {longest});
    huge.resize(kMaxInstanceMessage + 1);
    const std::pair<std::vector<UInt8>, const char*> cases[] = {
        {{'K', 'N', 'i', 'o', 0, 1, 0}, "a message shorter than its header"},
        {frame('KNix', 1, 1, {a}), "not an instance message"},
        {frame(kInstanceMagic, 2, 1, {a}), "a message of another version"},
        {frame(kInstanceMagic, 1, 2, {a}), "data ends early"},
        {frame(kInstanceMagic, 1, 0xFFFF, {}), "a bad count of paths"},
        {frame(kInstanceMagic, 1, kMaxInstancePaths + 1, {}, 3 * 300), "a bad count of paths"},
        {frame(kInstanceMagic, 1, 1, {""}, 1), "a path of a bad length"},
        {frame(kInstanceMagic, 1, 1, {longest + "x"}), "a path of a bad length"},
        {frame(kInstanceMagic, 1, 1, {"a.mov"}), "a path that is not absolute"},
        {frame(kInstanceMagic, 1, 1, {std::string("/a\0b", 4)}), "a path with a NUL byte"},
        {frame(kInstanceMagic, 1, 1, {a}, 1), "bytes after the last path"}, {huge, "a message over the size limit"},
    };
    for (const auto& [bytes, error] : cases) EXPECT_STREQ(parse_instance_message(bytes).error().message, error);
    // 300 paths of 1000 bytes pass both the count and the size limit.
    std::vector<std::string> paths(300, "/" + std::string(999, 'p')), back;
    auto messages = encode_instance_messages(paths);
    for (const auto& m : messages.value()) {
        auto parsed = parse_instance_message(m);
        back.insert(back.end(), parsed->begin(), parsed->end());
    }
    EXPECT_EQ(back, paths);
}

TEST(InstanceFolder, MadePrivateWhenMissingAndRefusedWhenNotPrivate) {
    TempFolder t("instance-folder");
    const mode_t umaskWas = ::umask(0277);   // would leave a new folder unwritable
    EXPECT_TRUE(open_private_folder(t.path() / "deep" / "kinora").ok());
    ::umask(umaskWas);
    EXPECT_EQ(fs::status(t.path() / "deep" / "kinora").permissions(), fs::perms::owner_all);
    fs::create_directory(t.path() / "open");   // 0755
    fs::create_directory_symlink(t.path() / "deep" / "kinora", t.path() / "link");
    testsupport::write_file(t.path() / "file", "x");
    for (const char* name : {"open", "link", "file"}) EXPECT_EQ(open_private_folder(t.path() / name).code(), permErr) << name;
}

// A socket left by a server that ended is replaced; of several starting at
// once exactly one serves, and the others' documents reach it.
TEST(InstanceServer, OneOfManyServesAndTheOthersHandTheirDocumentsOver) {
    TempFolder t("instance-race");
    // Longer than an AF_UNIX address holds: reached through the folder's descriptor.
    const fs::path folder = t.path() / std::string(100, 'f');
    auto endpoint = [&] { return Endpoint{folder, open_private_folder(folder).value(), "instance-test"}; };
    Endpoint stale = endpoint();
    sockaddr_un a{AF_UNIX, {}};
    std::snprintf(a.sun_path, sizeof a.sun_path, "/proc/self/fd/%d/instance-test", stale.folder_fd.get());
    ASSERT_EQ(::bind(UniqueFd(::socket(AF_UNIX, SOCK_SEQPACKET, 0)).get(), reinterpret_cast<sockaddr*>(&a), sizeof a), 0);

    const std::string doc = t.str() + "/a.mov";
    testsupport::write_file(doc, "x");
    std::atomic<int> servers = 0, handed = 0;
    std::vector<std::string> received;
    std::vector<std::thread> starters;
    for (int i = 0; i < 4; ++i)
        starters.emplace_back([&] {
            auto claim = claim_instance(endpoint(), {doc});
            if (!claim || claim->handed_off) {
                handed += claim.ok();
                return;
            }
            ++servers;
            for (int round = 0; round < 10000 && received.size() < 3; ++round) {
                claim->server->serve([&](const auto& p) { received.insert(received.end(), p.begin(), p.end()); });
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
    for (auto& s : starters) s.join();
    EXPECT_EQ(std::tuple(servers.load(), handed.load()), std::tuple(1, 3));
    EXPECT_EQ(received, std::vector<std::string>(3, doc));
    EXPECT_FALSE(fs::exists(folder / "instance-test")) << "the server removed its socket as it went";
}
