#pragma once

#include <QString>

#include <utility>
#include <variant>

// Exit status of mirrel-measure.
enum ExitCode
{
    exitSuccess = 0,
    exitUsage = 2,         // bad arguments or an image that cannot be used
    exitNotMeasurable = 3, // no usable card, or a segment with no length on its plane
};

// Why a run stops: its exit status and one line for the user.
struct Failure
{
    int exit = exitUsage;
    QString message;
};

// A value, or the failure that took its place.
template <typename T> class Checked
{
public:
    Checked(T value) : m_state(std::move(value)) {}
    Checked(Failure failure) : m_state(std::move(failure)) {}

    [[nodiscard]] bool ok() const { return std::holds_alternative<T>(m_state); }
    [[nodiscard]] const T &operator*() const { return std::get<T>(m_state); }
    [[nodiscard]] T &operator*() { return std::get<T>(m_state); }
    [[nodiscard]] const T *operator->() const { return &std::get<T>(m_state); }
    [[nodiscard]] const Failure &failure() const { return std::get<Failure>(m_state); }

private:
    std::variant<T, Failure> m_state;
};
