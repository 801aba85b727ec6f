#pragma once
#include <QException>
#include <QString>

// Why ScreenFreezer::freezeAll failed: no screen could be captured at all, or the window system
// failed to grab one screen (its own description is passed on unchanged).
class FreezeError : public QException
{
public:
    enum Code { noFrames, screenshotFailed };

    explicit FreezeError(Code code = noFrames, QString systemDescription = {})
        : m_code(code), m_systemDescription(std::move(systemDescription)) {}

    Code code() const { return m_code; }
    // Text for the alert's informative line.
    QString description() const
    {
        return m_code == noFrames ? QStringLiteral("No display could be captured.") : m_systemDescription;
    }
    bool operator==(const FreezeError &o) const
    {
        return m_code == o.m_code && m_systemDescription == o.m_systemDescription;
    }

    const char *what() const noexcept override { return m_code == noFrames ? "noFrames" : "screenshotFailed"; }
    void raise() const override { throw *this; }
    FreezeError *clone() const override { return new FreezeError(*this); }

private:
    Code m_code;
    QString m_systemDescription;
};

inline size_t qHash(const FreezeError &e, size_t seed = 0)
{
    return qHash(int(e.code()), seed) ^ qHash(e.description(), seed);
}
