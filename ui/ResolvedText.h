#pragma once

#include <QString>

#include <mutex>

// A text looked up in the string tables once, on its first read, and kept for the life of the
// process; a key the tables lack reads as the key itself. Safe to read from any thread.
class ResolvedText
{
public:
    explicit ResolvedText(const char *key) : m_key(key) {}
    ResolvedText(const ResolvedText &) = delete;
    ResolvedText &operator=(const ResolvedText &) = delete;

    [[nodiscard]] const char *key() const { return m_key; }
    [[nodiscard]] const QString &text() const;

private:
    const char *m_key;
    mutable std::once_flag m_once;
    mutable QString m_text;
};
