#pragma once
// What the entry editor's fields let through. The appointment file stores
// Windows-1252 bytes, so a character outside that code page could only come
// back as '?'; the fields never take one in. Control characters have no
// place in a one-line field (a pasted tab or line break would end up inside
// a name).
#include <QValidator>

namespace tmf::editor {

// True when the appointment file can hold the character.
bool FileCanHold(QChar c);
// The text without the characters the file cannot hold; a surrogate pair
// (a character beyond the 16-bit range) goes as a whole.
QString StripUnstorable(const QString& text, bool keepLineBreaks = false);
// Characters as the file counts them: a line break is CR LF on screen and
// NUL LF in the file, two characters either way.
int StoredLength(const QString& plainText);

// Names and the term box: characters the file cannot hold are dropped,
// whether typed or pasted; the field's maxLength cuts what is too long.
class FileTextValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

// The warning lead days: the file and the check run need a whole number, so
// only a leading minus sign and digits can be typed, at most three
// characters. A longer value that came from the file (a given first warning
// of -100 days) is shown whole and stays as it is unless the user shortens
// it; maxLength would have cut it off already when it was shown.
class WarningValidator : public QValidator {
public:
    using QValidator::QValidator;
    static constexpr int kMaxTyped = 3;
    State validate(QString& input, int& pos) const override;
};

}  // namespace tmf::editor
