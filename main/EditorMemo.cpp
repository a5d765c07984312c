#include "EditorMemo.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>

#include "EditorValidators.h"

using tmf::editor::StoredLength;
using tmf::editor::StripUnstorable;

EditorMemo::EditorMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
}

int EditorMemo::room() const {
    const int used = StoredLength(toPlainText()) - StoredLength(textCursor().selectedText());
    return limit_ - used;
}

QString EditorMemo::Fitting(const QString& text) const {
    QString normalized = text;
    normalized.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    normalized.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    normalized.replace(QChar::LineSeparator, QLatin1Char('\n'));
    const QString kept = StripUnstorable(normalized, true);
    int left = room();
    QString out;
    for (QChar c : kept) {
        const int cost = c == QLatin1Char('\n') ? 2 : 1;
        if (cost > left) break;
        left -= cost;
        out += c;
    }
    return out;
}

void EditorMemo::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Shift+Enter would put a line separator of its own into the text;
        // the file knows one kind of line break only.
        if (!isReadOnly() && room() >= 2) insertPlainText(QStringLiteral("\n"));
        event->accept();
        return;
    }
    const QString typed = event->text();
    const bool inserts = !typed.isEmpty() && typed.at(0).unicode() >= 0x20 && typed.at(0).unicode() != 0x7F &&
                         !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
    if (inserts && !isReadOnly() && Fitting(typed) != typed) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void EditorMemo::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty()) {
        const QString fitting = Fitting(event->commitString());
        if (fitting != event->commitString()) event->setCommitString(fitting);
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void EditorMemo::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText() || isReadOnly()) return;
    const QString fitting = Fitting(source->text());
    if (!fitting.isEmpty()) insertPlainText(fitting);
}
