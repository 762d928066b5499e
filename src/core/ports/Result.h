#pragma once

#include <QString>
#include <utility>

namespace kestrova {

// Outcome of an operation of a port that gives nothing back: ok, or failed with a message for the
// event log or a message box and a code. A port whose callers tell failures apart by number gives
// its own negative codes; every other failure has the code Failed. An operation the operator
// cancelled did nothing and has nothing to report: it counts as ok and says that it was cancelled.
// Ports never throw; every failure arrives here, and an outcome is never dropped unread.
class [[nodiscard]] Status {
public:
    static constexpr int Ok = 0;
    static constexpr int Failed = -1;

    Status() = default;
    static Status success() { return {}; }
    static Status cancel() {
        Status status;
        status.m_cancelled = true;
        return status;
    }
    static Status failure(QString message, int code = Failed) {
        Status status;
        status.m_ok = false;
        status.m_error = std::move(message);
        status.m_code = code;
        return status;
    }

    explicit operator bool() const { return m_ok; }
    bool cancelled() const { return m_cancelled; }
    // Why it failed; empty when it did not.
    const QString& error() const { return m_error; }
    // Ok when it did not fail.
    int code() const { return m_code; }

private:
    bool m_ok = true;
    bool m_cancelled = false;
    int m_code = Ok;
    QString m_error;
};

// A value, or the reason there is none (a message and a code, as in Status). A failed result
// holds a default value.
template <typename T> class [[nodiscard]] Result {
public:
    static Result success(T value) {
        Result result;
        result.m_value = std::move(value);
        return result;
    }
    static Result failure(QString message, int code = Status::Failed) {
        Result result;
        result.m_status = Status::failure(std::move(message), code);
        return result;
    }

    explicit operator bool() const { return static_cast<bool>(m_status); }
    const QString& error() const { return m_status.error(); }
    int code() const { return m_status.code(); }

    const T& value() const& { return m_value; }
    T& value() & { return m_value; }
    T&& value() && { return std::move(m_value); }

private:
    Result() = default;

    Status m_status;
    T m_value{};
};

} // namespace kestrova
