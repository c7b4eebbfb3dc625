// A second program around the PDF backend, for what a test cannot do inside
// its own process:
//   pdf_probe locate NAME                where this program finds the tool
//   pdf_probe render PDF PAGES ROUNDS    renders every page ROUNDS times and
//                                        checks that each image is its own
//                                        page's (the fake tool paints red =
//                                        page number)
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/allocator.h"
#include "base/error_code.h"
#include "document/page_request.h"
#include "pdf/tool_locator.h"
#include "support/test_document.h"

using namespace orva;

namespace {

int locate(const char* name) {
    Allocator allocator;
    auto found = locateTool(allocator, name);
    if (found) {
        std::printf("%.*s", static_cast<int>(found->size()), found->view().data());
    } else {
        std::printf("error:%s", errorName(found.error()).data());
    }
    return 0;
}

int render(const char* path, unsigned pages, unsigned rounds) {
    Allocator allocator;
    for (unsigned round = 0; round < rounds; ++round) {
        Document document = testing::unrenderedPdf(allocator, path, pages);
        for (unsigned page = 0; page < pages; ++page) {
            if (auto loaded = ensurePageLoaded(document, page); !loaded) {
                std::printf("round %u page %u: %s\n", round, page + 1, errorName(loaded.error()).data());
                return 1;
            }
            const PageImage& image = document.pages[page];
            // Stored blue, green, red: red is the third byte.
            if (image.pixels.size() < 3 || image.pixels[2] != static_cast<std::uint8_t>(page + 1)) {
                std::printf("round %u page %u: got the image of page %d\n", round, page + 1,
                            image.pixels.size() < 3 ? -1 : image.pixels[2]);
                return 1;
            }
        }
    }
    if (allocator.liveBlocks() != 0) {
        std::printf("%zu blocks left\n", allocator.liveBlocks());
        return 1;
    }
    std::printf("ok");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "locate" && argc == 3) return locate(argv[2]);
    if (mode == "render" && argc == 5)
        return render(argv[2], static_cast<unsigned>(std::atoi(argv[3])), static_cast<unsigned>(std::atoi(argv[4])));
    std::fprintf(stderr, "usage: pdf_probe locate NAME | render PDF PAGES ROUNDS\n");
    return 2;
}
