#pragma once
#include <QString>

#include <memory>
#include <optional>

// Whether the application starts when the user logs in. Main thread only.
class LoginItem
{
public:
    virtual ~LoginItem() = default;

    // The process-wide instance: the XDG autostart entry (decided on first use).
    static LoginItem &shared();
    // Tests put a fake in its place; nullptr brings back the default.
    static void setShared(std::shared_ptr<LoginItem> instance);

    virtual bool isEnabled() const = 0;
    // Nothing on success, else why the change failed, in the user's words.
    virtual std::optional<QString> setEnabled(bool on) = 0;
};
