// Writes the seed inputs of the container reader's fuzzer:
//   clang++-19 -std=c++2b -I tests fuzz/make_orva_reader_seeds.cpp -o /tmp/seeds && /tmp/seeds fuzz/corpus/orva_reader
#include <string>

#include "support/orva_bytes.h"

using namespace orva::testing;

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string folder = argv[1];
    bool ok = true;
    auto save = [&](const char* name, const Bytes& bytes) { ok = writeBytesToFile(folder + "/" + name, bytes) && ok; };

    OrvaBytes minimal;
    minimal.encoding = 1;
    minimal.dpi = 300;
    minimal.pages.push_back({2, 1, {2, 255, 0, 0}, {}, {}, 0});
    save("minimal.orva", minimal.build());

    OrvaBytes raw;
    raw.title = "Two raw pages";
    raw.pages.push_back({3, 2, patternPixels(3, 2, 1), {}, {}, 0});
    raw.pages.push_back({1, 4, patternPixels(1, 4, 2), {}, {}, 0});
    save("raw.orva", raw.build());

    OrvaBytes rle;
    rle.encoding = 1;
    rle.title = "Runs and literals";
    Bytes tokens;
    appendRun(tokens, 255, {255, 255, 255});
    appendLiteral(tokens, patternPixels(4, 1, 3));
    appendRun(tokens, 9, {0, 0, 255});
    appendEnd(tokens);
    rle.pages.push_back({20, 14, tokens, {}, {}, 0});
    rle.pages.push_back({0, 3, {1, 1, 2, 3}, {}, {}, 0});
    rle.pages.push_back({5, 1, tokens, {}, {}, 0});
    save("rle.orva", rle.build());

    OrvaBytes shared = raw;
    shared.pages[1] = shared.pages[0];
    shared.pages[1].dataOffset = shared.firstDataOffset();
    save("shared.orva", shared.build());

    OrvaBytes truncated = rle;
    truncated.pages[0].data.resize(6);
    save("rle_truncated.orva", truncated.build());
    return ok ? 0 : 1;
}
