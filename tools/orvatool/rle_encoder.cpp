#include "rle_encoder.h"

#include <array>
#include <cstring>

#include "document/orva_format.h"

namespace orvatool {

namespace {

constexpr std::size_t kMaxCount = orva::kOrvaRleLongest;
constexpr std::uint64_t kRunCost = 4;
constexpr std::uint64_t kLiteralHeader = 2;
// The costs and the window only ever look back kMaxCount + 1 positions, so
// they live in rings; a power of two above that keeps the index a mask.
constexpr std::size_t kRing = 512;
constexpr std::size_t kRingMask = kRing - 1;
// Tokens are handed on in blocks of about this size.
constexpr std::size_t kOutputBlock = std::size_t{64} << 10;

bool samePixel(const std::uint8_t* a, const std::uint8_t* b) { return std::memcmp(a, b, 3) == 0; }

// One bit a position.
struct Bits {
    orva::ByteBuffer bytes;
    bool get(std::size_t i) const { return (bytes[i >> 3] >> (i & 7)) & 1; }
    void set(std::size_t i, bool value) {
        const auto mask = static_cast<std::uint8_t>(1u << (i & 7));
        bytes[i >> 3] = value ? (bytes[i >> 3] | mask) : (bytes[i >> 3] & ~mask);
    }
};

// Collects tokens and passes them on a block at a time.
class TokenWriter {
public:
    TokenWriter(orva::ByteBuffer&& block, ByteSink& sink) : block_(std::move(block)), sink_(sink) {}

    bool run(const std::uint8_t* pixel, std::size_t count) {
        if (!room(4)) return false;
        block_[used_++] = static_cast<std::uint8_t>(count);
        std::memcpy(block_.data() + used_, pixel, 3);
        used_ += 3;
        return true;
    }
    bool literal(const std::uint8_t* pixels, std::size_t count) {
        if (!room(2 + 3 * count)) return false;
        block_[used_++] = orva::kOrvaRleMarker;
        block_[used_++] = static_cast<std::uint8_t>(count);
        std::memcpy(block_.data() + used_, pixels, 3 * count);
        used_ += 3 * count;
        return true;
    }
    bool flush() {
        const bool ok = used_ == 0 || sink_.write({block_.data(), used_});
        used_ = 0;
        return ok;
    }

private:
    bool room(std::size_t bytes) { return used_ + bytes <= block_.size() || flush(); }

    orva::ByteBuffer block_;
    ByteSink& sink_;
    std::size_t used_ = 0;
};

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
// every split. Only the last token's length and kind are kept for every
// position; walking back from the end then names the tokens last to first,
// and that walk turns the chain around in place, so that the tokens are
// written first to last without a list of them.
orva::Status encodeRleTo(orva::Allocator& allocator, std::span<const std::uint8_t> bgr, ByteSink& sink) {
    const std::size_t n = bgr.size() / 3;
    // A page without pixels is the end token alone.
    if (n == 0) {
        const std::uint8_t end[] = {orva::kOrvaRleMarker, 0};
        return sink.write(end) ? orva::Status{} : orva::fail(orva::ErrorCode::InputOutput);
    }

    auto length = orva::ByteBuffer::createUninitialized(allocator, n + 1);  // pixels of the last token
    auto flags = orva::ByteBuffer::create(allocator, n / 8 + 1);            // whether it is a run
    auto block = orva::ByteBuffer::createUninitialized(allocator, kOutputBlock);
    if (!length || !flags || !block) return orva::fail(orva::ErrorCode::OutOfMemory);
    Bits isRun{std::move(*flags)};
    length->data()[0] = 0;

    std::array<std::uint64_t, kRing> cost{};
    std::array<std::size_t, kRing> window{};  // positions j, increasing cost[j] - 3j
    std::size_t front = 0, back = 0;          // window holds [front, back)
    auto key = [&cost](std::size_t j) {
        return static_cast<std::int64_t>(cost[j & kRingMask]) - 3 * static_cast<std::int64_t>(j);
    };
    std::size_t runLength = 0;  // equal pixels ending at the current one
    for (std::size_t i = 1; i <= n; ++i) {
        const std::size_t j = i - 1;
        while (back != front && key(window[(back - 1) & kRingMask]) >= key(j)) --back;
        window[back++ & kRingMask] = j;
        if (window[front & kRingMask] + kMaxCount < i) ++front;

        const std::uint8_t* pixel = bgr.data() + 3 * (i - 1);
        runLength = (i > 1 && samePixel(pixel, pixel - 3)) ? runLength + 1 : 1;
        const std::size_t run = runLength < kMaxCount ? runLength : kMaxCount;
        std::uint64_t best = cost[(i - run) & kRingMask] + kRunCost;
        std::size_t bestLength = run;
        bool bestIsRun = true;
        const std::size_t from = window[front & kRingMask];
        const std::uint64_t literal = cost[from & kRingMask] + kLiteralHeader + 3 * (i - from);
        if (literal < best) {
            best = literal;
            bestLength = i - from;
            bestIsRun = false;
        }
        cost[i & kRingMask] = best;
        (*length)[i] = static_cast<std::uint8_t>(bestLength);
        isRun.set(i, bestIsRun);
    }

    // Back from the end: the token that ends at `end` starts at `start`; its
    // length and kind move to `start`, once what `start` held is taken.
    std::size_t end = n;
    std::uint8_t tokenLength = (*length)[n];
    bool tokenIsRun = isRun.get(n);
    while (end > 0) {
        const std::size_t start = end - tokenLength;
        const std::uint8_t earlierLength = (*length)[start];
        const bool earlierIsRun = isRun.get(start);
        (*length)[start] = tokenLength;
        isRun.set(start, tokenIsRun);
        end = start;
        tokenLength = earlierLength;
        tokenIsRun = earlierIsRun;
    }

    TokenWriter out(std::move(*block), sink);
    for (std::size_t start = 0; start < n;) {
        const std::size_t count = (*length)[start];
        const std::uint8_t* first = bgr.data() + 3 * start;
        if (!(isRun.get(start) ? out.run(first, count) : out.literal(first, count))) {
            return orva::fail(orva::ErrorCode::InputOutput);
        }
        start += count;
    }
    return out.flush() ? orva::Status{} : orva::fail(orva::ErrorCode::InputOutput);
}

std::vector<std::uint8_t> encodeRle(std::span<const std::uint8_t> bgr) {
    struct Collect final : ByteSink {
        std::vector<std::uint8_t> bytes;
        bool write(std::span<const std::uint8_t> piece) override {
            bytes.insert(bytes.end(), piece.begin(), piece.end());
            return true;
        }
    } collect;
    orva::Allocator allocator;
    if (!encodeRleTo(allocator, bgr, collect)) return {};
    return std::move(collect.bytes);
}

}  // namespace orvatool
