// A small program that saves a file the careful way through the file
// layer, for the fault-injection tests:
//     files_fault_helper FOLDER [exit]
// writes FOLDER/doc.txt (replacing it) by way of a temporary file:
// 3 writes, a data sync, a rename and a folder sync. With "exit" it ends
// through ExitToShell instead of returning from main.
#include <cstdio>
#include <string>

#include "platform/Process.h"
#include "platform/files/FileIO.h"

namespace files = platform::files;

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    std::filesystem::path folder = argv[1];
    auto temp = files::File::create_temp(folder, "doc");
    if (!temp.ok()) return 3;
    const std::string parts[] = {"new ", "contents ", "complete"};
    UInt64 at = 0;
    for (const auto& part : parts) {
        if (!temp->write_at(part.data(), part.size(), at).ok()) return 4;
        at += part.size();
    }
    if (!temp->datasync().ok()) return 5;
    if (!files::rename_path(temp->path(), folder / "doc.txt").ok()) return 6;
    if (!files::sync_folder(folder).ok()) return 7;
    if (argc > 2 && std::string(argv[2]) == "exit") ExitToShell();
    return 0;
}
