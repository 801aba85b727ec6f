#pragma once
#include "platform/SystemProbe.h"

// A machine whose facts a test sets.
class FakeSystemProbe final : public SystemProbe
{
public:
    QString osText = QStringLiteral("Test OS 1 (Linux 6.1.0)");
    QString modelText = QStringLiteral("Test Machine");
    QString archText = QStringLiteral("x86_64");
    QString localeText = QStringLiteral("en_US");
    qint64 memory = 8LL << 30;
    QList<Screen> screenList = {Screen{1440, 900, 2}};

    QString os() const override { return osText; }
    QString model() const override { return modelText; }
    QString arch() const override { return archText; }
    QString locale() const override { return localeText; }
    qint64 memoryBytes() const override { return memory; }
    QList<Screen> screens() const override { return screenList; }
};
