// The resource files the build compiles (Kinora.rsrc and TestSounds.rsrc):
// compiling their sources again, in process, gives the same bytes, and the
// Resource Manager opens them.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/Resources.h"
#include "Compiler.h"

TEST(BuiltResources, MatchTheirSourcesByteForByte) {
    struct Build {
        std::string source, includeDir, file;
    };
    const Build builds[] = {
        {std::string(KINORA_SOURCE_DIR) + "/resources/Kinora.r", std::string(KINORA_BUILD_DIR) + "/resources",
         std::string(KINORA_BUILD_DIR) + "/Kinora.rsrc"},
        {std::string(KINORA_SOURCE_DIR) + "/tests/resources/TestSounds.r",
         std::string(KINORA_BUILD_DIR) + "/tests/resources", std::string(KINORA_BUILD_DIR) + "/tests/TestSounds.rsrc"},
    };
    for (const Build& b : builds) {
        rescompile::Compiler compiler;
        compiler.add_include_dir(b.includeDir);
        ASSERT_NO_THROW(compiler.compile_file(b.source)) << b.source;
        std::ifstream in(b.file, std::ios::binary);
        const std::vector<UInt8> built{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(built, *compiler.result().write()) << b.file;
        const SInt16 ref = OpenResourceFileAtPath(b.file.c_str(), 1);
        ASSERT_GT(ref, 0) << b.file;
        EXPECT_EQ(Count1Types(), SInt16(compiler.result().types().size()));
        CloseResFile(ref);
    }
}
