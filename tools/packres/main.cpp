// packres: builds the embedded resource store from a list of "name=path" lines.
//   packres <output> <list file> [--compress-above <bytes>] [--base <folder>]
#include "ResourcePacker.h"

#include "core/FileSystem.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
int usage() {
    std::fprintf(stderr,
                 "usage: packres <output> <list file> [--compress-above <bytes>] [--base <folder>]\n");
    return 2;
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    const std::string output = argv[1];
    const std::string listFile = argv[2];
    std::size_t compressAbove = Packres::kDefaultCompressAbove;
    std::string base = ".";
    for (int i = 3; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--compress-above")
            compressAbove = std::strtoull(argv[i + 1], nullptr, 10);
        else if (option == "--base")
            base = argv[i + 1];
        else
            return usage();
    }
    if ((argc - 3) % 2 != 0) return usage();

    std::vector<Packres::PackEntry> entries;
    std::vector<std::uint8_t> store;
    std::string error;
    if (!Packres::readEntryList(listFile, base, entries, error) ||
        !Packres::packStore(entries, compressAbove, store, error)) {
        std::fprintf(stderr, "packres: %s\n", error.c_str());
        return 1;
    }
    if (!Core::writeFileAtomically(output, store.data(), store.size())) {
        std::fprintf(stderr, "packres: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}
