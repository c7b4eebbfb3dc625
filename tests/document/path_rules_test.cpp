#include "document/path_rules.h"

#include <gtest/gtest.h>

namespace orva {
namespace {

TEST(PathRules, TrimsOnlyBlanksAndLineBreaksAtTheEnds) {
    EXPECT_EQ(trimPath("  C:/docs/Plan.ORVA\r\n"), "C:/docs/Plan.ORVA");
    EXPECT_EQ(trimPath("\t\"a b\"\t"), "\"a b\"");
    EXPECT_EQ(trimPath(" \r\n\t"), "");
}

TEST(PathRules, AbsoluteForms) {
    struct Case {
        const char* path;
        bool absolute;
    };
    const Case cases[] = {{"\\x", true},   {"/x", true},  {"C:\\x", true}, {"C:/", true},   {"C:x", false},
                          {"C:", false},   {"x", false},  {"", false},     {"ab\\c", false}, {"..\\a", false}};
    for (const Case& c : cases) EXPECT_EQ(isAbsolutePath(c.path), c.absolute) << c.path;
}

TEST(PathRules, KindByExtension) {
    struct Case {
        const char* path;
        std::optional<DocumentKind> kind;
    };
    const Case cases[] = {
        {"C:/docs/Plan.ORVA", DocumentKind::Orva}, {"C:/docs/plan.Pdf", DocumentKind::Pdf},
        {"C:/docs/a.b.orva", DocumentKind::Orva},  {"C:/docs/.orva", std::nullopt},
        {"C:/docs/notes.txt", std::nullopt},       {"C:/docs/orva", std::nullopt},
        {"C:/docs/x.orva/", DocumentKind::Orva},   {"C:/docs.orva/x", std::nullopt},
        {"C:", std::nullopt},                      {"C:/docs/x.\xC3\x96RVA", std::nullopt},
        {"C:.pdf", std::nullopt},                  {"C:a.pdf", DocumentKind::Pdf},
    };
    for (const Case& c : cases) EXPECT_EQ(documentKindFor(c.path), c.kind) << c.path;
}

TEST(PathRules, StemDropsOnlyTheLastExtension) {
    EXPECT_EQ(pathStem("C:/docs/report.pdf"), "report");
    EXPECT_EQ(pathStem("C:/docs/report.final.pdf"), "report.final");
    EXPECT_EQ(pathStem("C:\\docs\\.pdf"), ".pdf");
    EXPECT_EQ(pathStem("noext"), "noext");
}

}  // namespace
}  // namespace orva
