#pragma once
#include "Markup.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Writes a document's JSON text directly, keys in their documented order, without building
// QJsonObjects first. Fails, with the place in *error, when a number is not finite.
namespace MarkupJsonText {
std::optional<QByteArray> write(const Markup &markup, QString *error);
}
