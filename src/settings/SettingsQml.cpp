#include "SettingsQml.h"

#include "SettingsModel.h"
#include "SettingsSection.h"
#include "SymbolImages.h"

#include <QCoreApplication>
#include <QQmlEngine>
#include <QQuickStyle>

static void initSettingsResources()
{
    Q_INIT_RESOURCE(settings);
    Q_INIT_RESOURCE(MeltIcons);
    Q_INIT_RESOURCE(WelcomeQuill);
}

namespace SettingsQml {
namespace {
QQmlEngine *shared = nullptr;
}

void prepare()
{
    if (shared)
        return;
    initSettingsResources();
    if (QQuickStyle::name().isEmpty())
        QQuickStyle::setStyle(QStringLiteral("Basic"));
    qmlRegisterUncreatableMetaObject(SettingsSections::staticMetaObject, "Quillet.Settings", 1, 0,
                                     "Section", QStringLiteral("sections are values"));
    qmlRegisterUncreatableType<SettingsModel>("Quillet.Settings", 1, 0, "SettingsModel",
                                              QStringLiteral("the window makes its model"));
    shared = new QQmlEngine(qApp);
    shared->addImportPath(QStringLiteral("qrc:/qt/qml"));
    shared->addImageProvider(QStringLiteral("symbol"), new SymbolImages);
}

QQmlEngine *engine()
{
    prepare();
    return shared;
}

} // namespace SettingsQml
