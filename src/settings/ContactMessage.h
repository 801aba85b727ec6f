#pragma once
#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

// The message the Contact pane sends to the maker: where it goes and what it carries.
namespace ContactMessage {
// The contact address of this build: the configured contact URL when it is an https URL with a
// host, else https://<maker host>/v1/contact when a maker host is configured, else nothing.
// A plain http address is never used: the message carries the user's e-mail address.
std::optional<QUrl> endpoint();
// The JSON body: "email" and "message" trimmed, "source" "app", "app" the version and build,
// "os" the system's name, "website" empty.
QByteArray body(const QString &email, const QString &message);
// "1.2 (45)": the version, then the build number in brackets.
QString appVersionText();
// The e-mail address staging puts into an empty field, and the field's placeholder.
QString placeholderEmail();
constexpr double timeoutSeconds = 15.0;
} // namespace ContactMessage
