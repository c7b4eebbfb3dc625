#include "pdf/ppm_page_key.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orva {
namespace {

TEST(PpmPageKey, ReadsThePageNumberAfterTheLastDash) {
    const struct {
        std::string_view name;
        std::uint32_t key;
    } cases[] = {
        {"page-7.ppm", 7},      {"page-007.ppm", 7},  {"page-12.ppm", 12},
        {"page.ppm", 1},        {"a-b-3.ppm", 3},     {"page-0.ppm", 0},
        {"page-+5.ppm", 5},     {"page-1_0.ppm", 10}, {"page-.ppm", kUnnumberedPpmKey},
        {"page-x.ppm", kUnnumberedPpmKey},            {"scan.ppm", kUnnumberedPpmKey},
        {"page-1.PPM", kUnnumberedPpmKey},            {"ppm", kUnnumberedPpmKey},
        {".ppm", kUnnumberedPpmKey},                  {"-3.ppm", 3},
        {"page-4294967296.ppm", kUnnumberedPpmKey},   {"page--1.ppm", 1},
        {"Page.ppm", kUnnumberedPpmKey},
    };
    for (const auto& c : cases) EXPECT_EQ(ppmPageKey(c.name), c.key) << c.name;
}

std::vector<std::string> sorted(Allocator& allocator, const std::vector<std::string>& names) {
    auto owned = OwnedArray<OwnedString>::create(allocator, names.size());
    for (std::size_t i = 0; i < names.size(); ++i) (*owned)[i] = *OwnedString::copy(allocator, names[i]);
    const std::size_t before = allocator.allocationCount();
    sortByPpmPageKey(owned->span());
    EXPECT_EQ(allocator.allocationCount(), before);
    std::vector<std::string> out;
    for (const OwnedString& name : *owned) out.emplace_back(name.view());
    return out;
}

TEST(SortByPpmPageKey, OrdersNumericallyAndKeepsListingOrderForEqualKeys) {
    using List = std::vector<std::string>;
    Allocator allocator;
    EXPECT_EQ(sorted(allocator, {"page-10.ppm", "page-9.ppm"}), (List{"page-9.ppm", "page-10.ppm"}));
    EXPECT_EQ(sorted(allocator, {"page-2.ppm", "page.ppm"}), (List{"page.ppm", "page-2.ppm"}));
    EXPECT_EQ(sorted(allocator, {"z.ppm", "page-01.ppm", "a.ppm", "page-1.ppm", "page-0.ppm"}),
              (List{"page-0.ppm", "page-01.ppm", "page-1.ppm", "z.ppm", "a.ppm"}));
    EXPECT_EQ(sorted(allocator, {}), List{});
    EXPECT_EQ(allocator.liveBlocks(), 0u);
}

}  // namespace
}  // namespace orva
