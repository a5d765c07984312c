#pragma once
// A multi-line field of the entry editor. Its text goes into a record field
// of 100 characters, in which every line break takes two; and only what
// Windows-1252 can hold survives the file. So typing that would go past the
// limit, or a character the file cannot hold, is refused, and pasted or
// dropped text loses such characters and is cut to the room left.
#include <QPlainTextEdit>

class EditorMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit EditorMemo(QWidget* parent = nullptr);

    static constexpr int kDefaultLimit = 100;
    void setStoredLimit(int limit) { limit_ = limit; }
    int storedLimit() const { return limit_; }
    // Room left for new text, with the selection counted as free.
    int room() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    QString Fitting(const QString& text) const;
    int limit_ = kDefaultLimit;
};
