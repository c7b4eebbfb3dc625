#include "base/error_code.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace orva {
namespace {

TEST(ErrorCode, NumbersFollowTheListFromOne) {
    struct Case {
        ErrorCode code;
        int number;
        const char* name;
    };
    const Case cases[] = {
        {ErrorCode::OutOfMemory, 1, "OutOfMemory"},     {ErrorCode::Overflow, 2, "Overflow"},
        {ErrorCode::Unexpected, 27, "Unexpected"},      {ErrorCode::PdftoppmNotFound, 32, "PdftoppmNotFound"},
        {ErrorCode::PdftoppmFailed, 48, "PdftoppmFailed"}, {ErrorCode::EndOfStream, 60, "EndOfStream"},
        {ErrorCode::RleTruncated, 64, "RleTruncated"},  {ErrorCode::Eof, 88, "EOF"},
        {ErrorCode::TruncatedInput, 97, "TruncatedInput"}, {ErrorCode::PdfPasswordRequired, 98, "PdfPasswordRequired"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(static_cast<int>(c.code), c.number) << c.name;
        EXPECT_EQ(errorName(c.code), c.name);
    }
}

TEST(ErrorCode, EveryCodeHasADistinctNameAndNothingOutsideTheSetHasOne) {
    std::set<std::string> names;
    for (int i = 1; i <= kErrorCodeCount; ++i) {
        const std::string_view name = errorName(static_cast<ErrorCode>(i));
        ASSERT_FALSE(name.empty()) << i;
        names.emplace(name);
    }
    EXPECT_EQ(names.size(), 98u);
    EXPECT_TRUE(errorName(static_cast<ErrorCode>(0)).empty());
    EXPECT_TRUE(errorName(static_cast<ErrorCode>(99)).empty());
}

}  // namespace
}  // namespace orva
