#include "EditorValidators.h"

#include "Cp1252.h"

namespace tmf::editor {

bool FileCanHold(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return true;
    if (c.isSurrogate()) return false;
    return IsCp1252Representable(QString(c).toStdString());
}

QString StripUnstorable(const QString& text, bool keepLineBreaks) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c.unicode() < 0x20 && !(keepLineBreaks && c == QLatin1Char('\n'))) continue;
        if (FileCanHold(c)) out += c;
    }
    return out;
}

int StoredLength(const QString& plainText) {
    return static_cast<int>(plainText.size() + plainText.count(QLatin1Char('\n')) +
                            plainText.count(QChar::ParagraphSeparator));
}

QValidator::State FileTextValidator::validate(QString& input, int& pos) const {
    const QString before = input.left(pos);
    const QString kept = StripUnstorable(input);
    if (kept.size() != input.size()) {
        pos = static_cast<int>(StripUnstorable(before).size());
        input = kept;
    }
    return Acceptable;
}

QValidator::State WarningValidator::validate(QString& input, int&) const {
    if (input.size() > kMaxTyped) return Invalid;
    for (qsizetype i = 0; i < input.size(); ++i) {
        const QChar c = input[i];
        if (c.isDigit() && c.unicode() < 0x80) continue;
        if (i == 0 && c == QLatin1Char('-')) continue;
        return Invalid;
    }
    // An empty field and a lone minus sign are steps on the way while typing;
    // the take-over reads them as 0.
    if (input.isEmpty() || input == QLatin1String("-")) return Intermediate;
    return Acceptable;
}

}  // namespace tmf::editor
