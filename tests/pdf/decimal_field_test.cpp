#include "pdf/decimal_field.h"

#include <gtest/gtest.h>

namespace orva {
namespace {

struct DecimalCase {
    std::string_view text;
    Result<std::uint32_t> expected;
};

TEST(ParseDecimalU32, ReadsEveryFormTheToolsWrite) {
    const DecimalCase cases[] = {
        {"640", 640u},
        {"+640", 640u},
        {"1_024", 1024u},
        {"1__0_2_4", 1024u},
        {"007", 7u},
        {"0", 0u},
        {"-0", 0u},
        {"-0_0", 0u},
        {"-000", 0u},
        {"4294967295", 4294967295u},
        {"0004294967295", 4294967295u},
        {"-5", fail(ErrorCode::Overflow)},
        {"-05", fail(ErrorCode::Overflow)},
        {"-0_7", fail(ErrorCode::Overflow)},
        {"4294967296", fail(ErrorCode::Overflow)},
        {"99999999999999999999999", fail(ErrorCode::Overflow)},
        {"4294967296x", fail(ErrorCode::Overflow)},  // the first failure from the left decides
        {"12a", fail(ErrorCode::InvalidCharacter)},
        {"a99999999999", fail(ErrorCode::InvalidCharacter)},
        {"-0x", fail(ErrorCode::InvalidCharacter)},
        {"-x5", fail(ErrorCode::InvalidCharacter)},
        {"_1", fail(ErrorCode::InvalidCharacter)},
        {"1_", fail(ErrorCode::InvalidCharacter)},
        {"+_1", fail(ErrorCode::InvalidCharacter)},
        {"-_1", fail(ErrorCode::InvalidCharacter)},
        {"+", fail(ErrorCode::InvalidCharacter)},
        {"-", fail(ErrorCode::InvalidCharacter)},
        {"", fail(ErrorCode::InvalidCharacter)},
        {" 1", fail(ErrorCode::InvalidCharacter)},
        {"1 ", fail(ErrorCode::InvalidCharacter)},
        {"++1", fail(ErrorCode::InvalidCharacter)},
        {"1.0", fail(ErrorCode::InvalidCharacter)},
    };
    for (const DecimalCase& c : cases) EXPECT_EQ(parseDecimalU32(c.text), c.expected) << "\"" << c.text << "\"";
}

}  // namespace
}  // namespace orva
