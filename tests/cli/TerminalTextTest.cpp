// Texts from files made safe for a terminal: printable text goes through as
// it is, in one piece or in many, and everything a terminal would act on,
// or could decode into something it acts on, is shown as an escape.
#include <gtest/gtest.h>

#include "TerminalText.h"

using namespace tmf::cli;

TEST(TerminalText, ControlsAndBrokenUtf8AreEscapedAndTheRestIsKept) {
    struct Case {
        std::string_view in;
        std::string_view shown;
    };
    const Case cases[] = {
        {"", ""},
        {"Anna Berg, hat in 3 Tag(en) Geburtstag !", "Anna Berg, hat in 3 Tag(en) Geburtstag !"},
        {" ~", " ~"},                                             // the ends of printable ASCII
        {"a\x1f" "b\x7f" "c", "a\\x1fb\\x7fc"},                   // below blank, DEL
        {std::string_view("\0x", 2), "\\x00x"},
        {"J\xc3\xbcrgen \xe2\x82\xac \xf0\x9f\x8e\x82!", "J\xc3\xbcrgen \xe2\x82\xac \xf0\x9f\x8e\x82!"},
        {"\xc2\xa0\xc2\x9f\xc2\x80", "\xc2\xa0\\x9f\\x80"},       // C1 controls, not the blank after them
        {"\x80" "a", "\\x80a"},                                   // a lone continuation byte
        {"\xc0\xaf", "\\xc0\\xaf"},                               // overlong "/"
        {"\xed\xa0\x80", "\\xed\\xa0\\x80"},                      // a surrogate
        {"\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},             // beyond U+10FFFF
        {"M\xc3", "M\\xc3"},                                      // cut at the end
        {"\xe2\x82" "ab", "\\xe2\\x82ab"},                        // cut before ASCII
        {"\x1b]0;t\x07\x1b[2J", "\\x1b]0;t\\x07\\x1b[2J"},
        // Long stretches, with what must be escaped at every place of an eight-byte step.
        {"Waltraud Zimmermann, Versicherung", "Waltraud Zimmermann, Versicherung"},
        {"Waltraud\nZimmerma\x7fn, Vers\tcherung", "Waltraud\\x0aZimmerma\\x7fn, Vers\\x09cherung"},
        {"0123456\x01" "01234567\x9b" "0123456789abcde\xc2\x85", "0123456\\x0101234567\\x9b0123456789abcde\\x85"},
        {"Hauptstra\xc3\x9f" "e 12 ~~~~~~~~\x1f", "Hauptstra\xc3\x9f" "e 12 ~~~~~~~~\\x1f"},
        {"abcdefg\xff" "hijklmno", "abcdefg\\xffhijklmno"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.in));
        EXPECT_EQ(Visible(c.in), c.shown);
        std::string out = "vorher|";
        AppendVisible(out, c.in);
        EXPECT_EQ(out, "vorher|" + std::string(c.shown));
    }
}
