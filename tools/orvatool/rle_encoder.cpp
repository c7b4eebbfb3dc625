#include "rle_encoder.h"

#include <cstring>
#include <deque>

#include "document/orva_format.h"

namespace orvatool {

namespace {

constexpr std::size_t kMaxCount = orva::kOrvaRleLongest;
constexpr std::uint64_t kRunCost = 4;
constexpr std::uint64_t kLiteralHeader = 2;

bool samePixel(const std::uint8_t* a, const std::uint8_t* b) { return std::memcmp(a, b, 3) == 0; }

}  // namespace

// cost[i] is the fewest bytes that encode the first i pixels. The last token
// of such an encoding is either a run or a literal:
// - a run of c equal pixels ending at i costs cost[i - c] + 4. cost never
//   decreases with i (dropping the last pixel of any encoding never makes it
//   longer), so the longest run allowed there is always the best run;
// - a literal of k pixels costs cost[i - k] + 2 + 3k
//   = (cost[i - k] - 3(i - k)) + 3i + 2, so the best literal comes from the
//   smallest cost[j] - 3j over the last 255 positions j: a sliding-window
//   minimum.
// That makes the shortest encoding a linear pass instead of a search over
// every split.
std::vector<std::uint8_t> encodeRle(std::span<const std::uint8_t> bgr) {
    const std::size_t n = bgr.size() / 3;
    std::vector<std::uint8_t> out;
    // A page without pixels is the end token alone.
    if (n == 0) return {orva::kOrvaRleMarker, 0};

    std::vector<std::uint64_t> cost(n + 1, 0);
    std::vector<std::uint8_t> length(n + 1, 0);  // pixels of the last token
    std::vector<bool> isRun(n + 1, false);
    std::deque<std::size_t> window;  // positions j, increasing cost[j] - 3j
    auto key = [&cost](std::size_t j) { return static_cast<std::int64_t>(cost[j]) - 3 * static_cast<std::int64_t>(j); };
    std::size_t runLength = 0;  // equal pixels ending at the current one
    for (std::size_t i = 1; i <= n; ++i) {
        const std::size_t j = i - 1;
        while (!window.empty() && key(window.back()) >= key(j)) window.pop_back();
        window.push_back(j);
        if (window.front() + kMaxCount < i) window.pop_front();

        const std::uint8_t* pixel = bgr.data() + 3 * (i - 1);
        runLength = (i > 1 && samePixel(pixel, pixel - 3)) ? runLength + 1 : 1;
        const std::size_t run = runLength < kMaxCount ? runLength : kMaxCount;
        cost[i] = cost[i - run] + kRunCost;
        length[i] = static_cast<std::uint8_t>(run);
        isRun[i] = true;
        const std::size_t from = window.front();
        const std::uint64_t literal = cost[from] + kLiteralHeader + 3 * (i - from);
        if (literal < cost[i]) {
            cost[i] = literal;
            length[i] = static_cast<std::uint8_t>(i - from);
            isRun[i] = false;
        }
    }

    // Walk back from the end, then write the tokens front to back.
    std::vector<std::size_t> ends;
    for (std::size_t i = n; i > 0; i -= length[i]) ends.push_back(i);
    out.reserve(cost[n]);
    std::size_t start = 0;
    for (auto it = ends.rbegin(); it != ends.rend(); ++it) {
        const std::size_t end = *it;
        const std::size_t count = end - start;
        const std::uint8_t* first = bgr.data() + 3 * start;
        if (isRun[end]) {
            out.push_back(static_cast<std::uint8_t>(count));
            out.insert(out.end(), first, first + 3);
        } else {
            out.push_back(orva::kOrvaRleMarker);
            out.push_back(static_cast<std::uint8_t>(count));
            out.insert(out.end(), first, first + 3 * count);
        }
        start = end;
    }
    return out;
}

}  // namespace orvatool
