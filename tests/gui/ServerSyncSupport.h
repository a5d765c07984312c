#pragma once
// Helpers of the server-sync window tests: a secret store and a password
// question that the test scripts.
#include <gtest/gtest.h>

#include <QTimer>
#include <deque>
#include <optional>
#include <utility>
#include <vector>

#include "KeychainPassword.h"

namespace tmf::test {

// A secret store held in memory; Unavailable stands for a desktop without
// a secret service.
class FakeSecretStore : public qt::SecretStore {
public:
    struct Shared {
        bool available = true;
        QHash<QString, QString> secrets;
        std::vector<QString> reads;
        std::vector<std::pair<QString, QString>> writes;
    };
    explicit FakeSecretStore(Shared& shared) : s_(shared) {}
    void Read(const QString& key, ReadDone done) override {
        s_.reads.push_back(key);
        const Status status = !s_.available              ? Status::Unavailable
                              : s_.secrets.contains(key) ? Status::Found
                                                         : Status::NotFound;
        const QString secret = s_.secrets.value(key);
        QTimer::singleShot(0, [done = std::move(done), status, secret] { done(status, secret); });
    }
    void Write(const QString& key, const QString& secret, WriteDone done) override {
        s_.writes.emplace_back(key, secret);
        if (s_.available) s_.secrets.insert(key, secret);
        QTimer::singleShot(0, [done = std::move(done), ok = s_.available] { done(ok); });
    }

private:
    Shared& s_;
};

// Answers password questions from a queue and remembers each prompt; a
// question with nothing queued fails the test and is cancelled.
struct ScriptedQuestion {
    std::deque<std::optional<QString>> answers;
    std::vector<QString> prompts;
    qt::PasswordQuestion port() {
        return [this](const QString& prompt) -> std::optional<QString> {
            prompts.push_back(prompt);
            if (answers.empty()) {
                ADD_FAILURE() << "unexpected password question: " << prompt.toStdString();
                return std::nullopt;
            }
            const bool given = answers.front().has_value();
            const QString a = given ? *answers.front() : QString();
            answers.pop_front();
            if (!given) return std::nullopt;
            return a;
        };
    }
};

}  // namespace tmf::test
