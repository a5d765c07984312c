#include "Cell.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace tmf {

std::optional<std::int64_t> ParseInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    std::size_t end = text.size();
    while (end > i && text[end - 1] == ' ') --end;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == end) return std::nullopt;
    // Bounded to 18 digits so that the accumulator can never overflow.
    std::int64_t value = 0;
    int digits = 0;
    for (; i < end; ++i) {
        char c = text[i];
        if (c < '0' || c > '9') return std::nullopt;
        if (value == 0 && c == '0') continue;
        if (++digits > 18) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

std::int64_t StrToIntDef(std::string_view text, std::int64_t fallback) {
    return ParseInteger(text).value_or(fallback);
}

std::string Cell::asText() const {
    struct Visitor {
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(const std::string& s) const { return s; }
        std::string operator()(std::int64_t v) const { return std::to_string(v); }
        std::string operator()(double v) const {
            char buf[40];
            std::snprintf(buf, sizeof buf, "%.15g", v);
            return buf;
        }
        std::string operator()(bool v) const { return v ? "True" : "False"; }
    };
    return std::visit(Visitor{}, value_);
}

namespace {

// std::nearbyint without the maths library, which the terminal program would
// otherwise load at every start for this one function: adding 2^52 and
// taking it away again leaves the nearest whole number, ties to even, in
// the default rounding; from 2^52 on every double is whole.
double RoundHalfToEven(double v) {
    constexpr double kWhole = 4503599627370496.0;  // 2^52
    if (std::fabs(v) >= kWhole) return v;
    const double shift = std::copysign(kWhole, v);
    return (v + shift) - shift;
}

}  // namespace

std::optional<std::int64_t> Cell::toInteger() const {
    struct Visitor {
        std::optional<std::int64_t> operator()(std::monostate) const { return 0; }
        std::optional<std::int64_t> operator()(const std::string& s) const {
            if (s.empty()) return std::nullopt;
            return ParseInteger(s);
        }
        std::optional<std::int64_t> operator()(std::int64_t v) const { return v; }
        std::optional<std::int64_t> operator()(double v) const {
            // Limits well inside int64 so the cast below is defined.
            if (!std::isfinite(v) || std::fabs(v) > 9.0e18) return std::nullopt;
            return static_cast<std::int64_t>(RoundHalfToEven(v));
        }
        std::optional<std::int64_t> operator()(bool v) const { return v ? -1 : 0; }
    };
    return std::visit(Visitor{}, value_);
}

bool Cell::asBoolean() const {
    if (const auto* s = std::get_if<std::string>(&value_)) {
        if (*s == "True" || *s == "true" || *s == "TRUE") return true;
        if (*s == "False" || *s == "false" || *s == "FALSE" || s->empty()) return false;
    }
    return toInteger().value_or(0) != 0;
}

}  // namespace tmf
