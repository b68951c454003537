// artwork: draws the editor's bitmaps into a folder.
//   artwork OUTDIR
// Each image is written at 100 % ("Name.png"), 150 % ("Name@1.5x.png") and 200 % ("Name@2x.png").
#include "artwork/Artwork.h"

#include <cstdio>
#include <stdexcept>
#include <utility>

namespace Artwork {

void saveOrThrow(const Painter& painter, const std::string& path) {
    if (!painter.save(path)) throw std::runtime_error("cannot write " + path);
}

} // namespace Artwork

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: artwork OUTDIR\n");
        return 2;
    }
    try {
        for (const auto& [suffix, scale] :
             {std::pair<const char*, double>{"", 1.0}, {"@1.5x", 1.5}, {"@2x", 2.0}}) {
            Artwork::drawBackground(argv[1], suffix, scale);
            Artwork::drawDials(argv[1], suffix, scale);
            Artwork::drawSwitches(argv[1], suffix, scale);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "artwork: %s\n", e.what());
        return 1;
    }
    return 0;
}
