// The Qt and standard headers most of the project's files include, compiled once for the
// libraries and once for the test programs instead of once per source file. A module's headers
// are taken only where the module is on the include path.
#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QUuid>
#include <QVariant>

#if __has_include(<QGuiApplication>)
#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScreen>
#include <QWindow>
#endif

#if __has_include(<QWidget>)
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QWidget>
#endif

#if __has_include(<QTest>)
#include <QtTest>
#endif
