// The resources the build compiles (Kinora.rsrc and TestSounds.rsrc), read
// back through the Resource Manager.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/Memory.h"
#include "platform/Resources.h"
#include "platform/core/FourCC.h"
#include "Compiler.h"

namespace {

const std::string kAppFile = std::string(KINORA_BUILD_DIR) + "/Kinora.rsrc";
const std::string kSoundFile = std::string(KINORA_BUILD_DIR) + "/tests/TestSounds.rsrc";

struct Opened {
    explicit Opened(const std::string& path) : refNum(OpenResourceFileAtPath(path.c_str(), 1)) {}
    ~Opened() {
        if (refNum > 0) CloseResFile(refNum);
    }
    SInt16 refNum;
};

std::vector<UInt8> contents(Handle h) {
    return h ? std::vector<UInt8>(*h, *h + GetHandleSize(h)) : std::vector<UInt8>();
}

}  // namespace

// Compiling the sources again, in process, gives exactly what the Resource
// Manager reads from the files the build made: every type, ID, name and byte.
TEST(BuiltResources, ReadBackThroughTheApiMatchTheirSourcesByteForByte) {
    struct Build {
        std::string source, includeDir, file;
    };
    const Build builds[] = {
        {std::string(KINORA_SOURCE_DIR) + "/resources/Kinora.r", std::string(KINORA_BUILD_DIR) + "/resources", kAppFile},
        {std::string(KINORA_SOURCE_DIR) + "/tests/resources/TestSounds.r",
         std::string(KINORA_BUILD_DIR) + "/tests/resources", kSoundFile},
    };
    for (const Build& b : builds) {
        rescompile::Compiler compiler;
        compiler.add_include_dir(b.includeDir);
        ASSERT_NO_THROW(compiler.compile_file(b.source)) << b.source;
        Opened opened(b.file);
        ASSERT_GT(opened.refNum, 0) << b.file;
        const auto& types = compiler.result().types();
        ASSERT_EQ(Count1Types(), SInt16(types.size())) << b.file;
        for (size_t t = 0; t < types.size(); ++t) {
            ResType type = 0;
            Get1IndType(&type, SInt16(t + 1));
            EXPECT_EQ(type, types[t].type);
            ASSERT_EQ(Count1Resources(type), SInt16(types[t].resources.size()));
            for (const auto& res : types[t].resources) {
                Handle h = Get1Resource(type, res.id);
                ASSERT_NE(h, nullptr) << platform::fourcc_string(type) << " " << res.id;
                EXPECT_EQ(contents(h), res.data) << platform::fourcc_string(type) << " " << res.id;
                EXPECT_EQ(GetResourceSizeOnDisk(h), SInt32(res.data.size()));
                SInt16 id = 0;
                ResType back = 0;
                Str255 name;
                GetResInfo(h, &id, &back, name);
                EXPECT_EQ(id, res.id);
                EXPECT_EQ(back, type);
                EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), res.name.value_or(""));
                if (res.name) {
                    Str255 pname;
                    pname[0] = UInt8(res.name->size());
                    std::memcpy(pname + 1, res.name->data(), res.name->size());
                    EXPECT_EQ(Get1NamedResource(type, pname), h);
                }
                ReleaseResource(h);
            }
        }
    }
}
