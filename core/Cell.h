#pragma once
// A dynamically typed table value. The entry table was designed around
// variants: header fields hold an integer or its decimal text, warnings come
// from the editor as text and from the file as integers, and readers convert
// on demand. Keeping that behaviour in one small type keeps the rest honest.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace tmf {

class Cell {
public:
    Cell() = default;
    Cell(std::string text) : value_(std::move(text)) {}
    Cell(const char* text) : value_(std::string(text)) {}
    Cell(std::string_view text) : value_(std::string(text)) {}
    Cell(int value) : value_(static_cast<std::int64_t>(value)) {}
    Cell(std::int64_t value) : value_(value) {}
    Cell(double value) : value_(value) {}
    Cell(bool value) : value_(value) {}

    bool isEmpty() const { return std::holds_alternative<std::monostate>(value_); }
    bool isText() const { return std::holds_alternative<std::string>(value_); }
    bool isInteger() const { return std::holds_alternative<std::int64_t>(value_); }
    bool isReal() const { return std::holds_alternative<double>(value_); }
    bool isBoolean() const { return std::holds_alternative<bool>(value_); }

    // Text form: integers in decimal, booleans as "True"/"False", reals with
    // up to 15 significant digits, empty as "".
    std::string asText() const;
    // Borrowed text when the cell holds text, otherwise nullptr (hot paths).
    const std::string* textIf() const { return std::get_if<std::string>(&value_); }
    // Makes the cell a text and hands out its string to be filled in place;
    // a text cell keeps its storage, so reloading a table allocates nothing.
    std::string& textToFill() {
        if (auto* s = std::get_if<std::string>(&value_)) return *s;
        return value_.emplace<std::string>();
    }

    // Integer form, or nothing when the value does not convert (a text that
    // is not a whole number). Reals round half to even; true is -1.
    std::optional<std::int64_t> toInteger() const;
    // Integer form with 0 for values that do not convert.
    std::int64_t asInteger() const { return toInteger().value_or(0); }
    // Any non-zero number is true; texts "True"/"False" or a number.
    bool asBoolean() const;

    bool operator==(const Cell&) const = default;

private:
    std::variant<std::monostate, std::string, std::int64_t, double, bool> value_;
};

// Plain decimal text to integer: optional blanks, optional sign, digits.
// Used wherever the program reads settings and header numbers.
std::optional<std::int64_t> ParseInteger(std::string_view text);
// The same, 0 when the text is not a number (settings lines).
std::int64_t StrToIntDef(std::string_view text, std::int64_t fallback = 0);

}  // namespace tmf
