// The dynamically typed table value and the plain integer conversion that
// settings lines and header numbers go through.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "Cell.h"

using namespace tmf;

TEST(Cell, EmptyCellReadsAsEmptyTextZeroAndFalse) {
    Cell c;
    EXPECT_TRUE(c.isEmpty());
    EXPECT_EQ(c.asText(), "");
    EXPECT_EQ(c.asInteger(), 0);
    EXPECT_EQ(c.toInteger(), std::optional<std::int64_t>(0));
    EXPECT_FALSE(c.asBoolean());
    EXPECT_EQ(c.textIf(), nullptr);
}

TEST(Cell, EachConstructorKeepsItsKind) {
    EXPECT_TRUE(Cell("abc").isText());
    EXPECT_TRUE(Cell(std::string("abc")).isText());
    EXPECT_TRUE(Cell(std::string_view("abc")).isText());
    EXPECT_TRUE(Cell(5).isInteger());
    EXPECT_TRUE(Cell(std::int64_t{5}).isInteger());
    EXPECT_TRUE(Cell(2.5).isReal());
    EXPECT_TRUE(Cell(true).isBoolean());
}

TEST(Cell, IntegersReadAsDecimalText) {
    EXPECT_EQ(Cell(0).asText(), "0");
    EXPECT_EQ(Cell(-32768).asText(), "-32768");
    EXPECT_EQ(Cell(std::int64_t{4000000000}).asText(), "4000000000");
}

TEST(Cell, BooleansReadAsTrueFalseTextAndMinusOne) {
    EXPECT_EQ(Cell(true).asText(), "True");
    EXPECT_EQ(Cell(false).asText(), "False");
    EXPECT_EQ(Cell(true).asInteger(), -1);
    EXPECT_EQ(Cell(false).asInteger(), 0);
    EXPECT_TRUE(Cell(true).asBoolean());
    EXPECT_FALSE(Cell(false).asBoolean());
}

TEST(Cell, DecimalTextConvertsToInteger) {
    EXPECT_EQ(Cell("12").asInteger(), 12);
    EXPECT_EQ(Cell("-7").asInteger(), -7);
    EXPECT_EQ(Cell(" 42").toInteger(), std::optional<std::int64_t>(42));
    EXPECT_EQ(Cell("+3").toInteger(), std::optional<std::int64_t>(3));
}

TEST(Cell, TextThatIsNoNumberDoesNotConvert) {
    EXPECT_FALSE(Cell("").toInteger().has_value());
    EXPECT_FALSE(Cell("abc").toInteger().has_value());
    EXPECT_FALSE(Cell("12a").toInteger().has_value());
    EXPECT_FALSE(Cell("1.5").toInteger().has_value());
    EXPECT_EQ(Cell("abc").asInteger(), 0);
}

TEST(Cell, RealsRoundHalfToEven) {
    EXPECT_EQ(Cell(2.5).asInteger(), 2);
    EXPECT_EQ(Cell(3.5).asInteger(), 4);
    EXPECT_EQ(Cell(-2.5).asInteger(), -2);
    EXPECT_EQ(Cell(2.4).asInteger(), 2);
    EXPECT_FALSE(Cell(1e300).toInteger().has_value());
    EXPECT_FALSE(Cell(std::numeric_limits<double>::quiet_NaN()).toInteger().has_value());
    // Ties, the largest value below one half, and both sides of 2^52, where
    // every double becomes whole.
    const double values[] = {0.5, 1.5, -0.5, -1.5, 0.49999999999999994, -0.49999999999999994,
                             4503599627370495.5, -4503599627370494.5, 4503599627370496.0, 4503599627370497.0,
                             -9007199254740994.0, 8.9e18, -8.9e18, 1e15 + 0.5, 123456.75};
    for (const double v : values) {
        SCOPED_TRACE(v);
        EXPECT_EQ(Cell(v).asInteger(), static_cast<std::int64_t>(std::nearbyint(v)));
    }
}

TEST(Cell, RealTextHasFifteenSignificantDigits) {
    EXPECT_EQ(Cell(2.5).asText(), "2.5");
    EXPECT_EQ(Cell(0.1).asText(), "0.1");
    EXPECT_EQ(Cell(1.0 / 3.0).asText(), "0.333333333333333");
}

TEST(Cell, AnyNonZeroNumberIsTrue) {
    EXPECT_TRUE(Cell(-1).asBoolean());
    EXPECT_TRUE(Cell(1).asBoolean());
    EXPECT_TRUE(Cell(255).asBoolean());
    EXPECT_FALSE(Cell(0).asBoolean());
    EXPECT_TRUE(Cell("-1").asBoolean());
    EXPECT_FALSE(Cell("0").asBoolean());
    EXPECT_TRUE(Cell("True").asBoolean());
    EXPECT_FALSE(Cell("False").asBoolean());
    EXPECT_FALSE(Cell("").asBoolean());
    EXPECT_FALSE(Cell("Unsinn").asBoolean());
}

TEST(Cell, TextIfBorrowsTheStoredText) {
    Cell c("Anna");
    ASSERT_NE(c.textIf(), nullptr);
    EXPECT_EQ(*c.textIf(), "Anna");
    EXPECT_EQ(Cell(5).textIf(), nullptr);
}

TEST(Cell, EqualityNeedsTheSameKindAndValue) {
    EXPECT_EQ(Cell("5"), Cell("5"));
    EXPECT_NE(Cell("5"), Cell(5));
    EXPECT_NE(Cell(), Cell(""));
    EXPECT_EQ(Cell(-1), Cell(-1));
}

TEST(ParseInteger, AcceptsBlanksSignAndLeadingZeros) {
    EXPECT_EQ(ParseInteger("0"), 0);
    EXPECT_EQ(ParseInteger("007"), 7);
    EXPECT_EQ(ParseInteger("  13  "), 13);
    EXPECT_EQ(ParseInteger("-0"), 0);
    EXPECT_EQ(ParseInteger("-2147483648"), -2147483648LL);
    EXPECT_EQ(ParseInteger("2000000000"), 2000000000);
    EXPECT_EQ(ParseInteger("000000000000000000000000001"), 1);
}

TEST(ParseInteger, RefusesEverythingElse) {
    for (const char* t : {"", " ", "-", "+", "1 2", "1-", "x", "0x10", "$10", "1e3", "3.0", "١"})
        EXPECT_FALSE(ParseInteger(t).has_value()) << t;
}

TEST(ParseInteger, RefusesNumbersBeyondEighteenDigits) {
    EXPECT_EQ(ParseInteger("999999999999999999"), 999999999999999999LL);
    EXPECT_FALSE(ParseInteger("9999999999999999999").has_value());
}

TEST(StrToIntDef, GivesTheFallbackForNoNumber) {
    EXPECT_EQ(StrToIntDef("12"), 12);
    EXPECT_EQ(StrToIntDef(""), 0);
    EXPECT_EQ(StrToIntDef("ja", 5), 5);
}
