#pragma once
// Helpers of the platform tests: readable Qt strings in failure messages,
// and modal dialogs driven from the test that opens them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>

// Internal linkage, so that other test files may print QString their own way.
static inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
static inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '{';
    for (qsizetype i = 0; i < l.size(); ++i) *os << (i ? ", \"" : "\"") << l[i].toStdString() << '"';
    *os << '}';
}

namespace tmf::test {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value) : name_(name) {
        if (qEnvironmentVariableIsSet(name)) old_ = qgetenv(name);
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (old_)
            qputenv(name_, *old_);
        else
            qunsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<QByteArray> old_;
};

// Waits for the next modal dialog of type T and hands it to act once it is
// shown; call it before the call that runs the dialog's own event loop. A
// dialog that does not appear within ten seconds fails the test, and
// whatever dialog is open then is rejected, so that the run cannot hang.
template <class T>
void WhenShown(std::function<void(T*)> act) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    auto ticks = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, act, ticks] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (dialog && dialog->isVisible()) {
            poll->stop();
            poll->deleteLater();
            act(dialog);
        } else if (++*ticks > 1000) {
            poll->stop();
            poll->deleteLater();
            ADD_FAILURE() << "the expected dialog did not appear";
            if (auto* other = qobject_cast<QDialog*>(QApplication::activeModalWidget())) other->reject();
        }
    });
    poll->start();
}

}  // namespace tmf::test
