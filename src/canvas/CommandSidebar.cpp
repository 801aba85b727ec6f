#include "canvas/CommandSidebar.h"

#include "app/PreferenceReaders.h"
#include "canvas/ToolbarIcons.h"
#include "export/Destination.h"
#include "export/Destinations.h"
#include "platform/PlatformText.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>

#include <cmath>

namespace {
constexpr double iconSide = 22;
constexpr double textLeft = 42;
constexpr double capHeight = 24;
constexpr double capGap = 5;
const QColor systemGreen(52, 199, 89);
const QString copiedText = QStringLiteral("Copied to clipboard");

// Sizes are given in points, which are pixels here.
QFont pointFont(double points, QFont::Weight weight)
{
    QFont f;
    f.setPointSizeF(points * 72.0 / 96.0);
    f.setWeight(weight);
    return f;
}

const QFont &wordsFont()
{
    static const QFont f = pointFont(13.5, QFont::DemiBold);
    return f;
}

const QFont &capFont()
{
    static const QFont f = pointFont(13, QFont::Medium);
    return f;
}

QColor withAlpha(QColor c, double alpha)
{
    c.setAlphaF(float(alpha));
    return c;
}

// A symbol in one colour, or an application's own icon, fitted and centred in rect.
void drawIcon(QPainter &p, const QString &symbol, const QIcon &icon, const QColor *tint, const QRectF &rect,
              double pixelScale)
{
    QImage image;
    if (!symbol.isEmpty())
        image = ToolbarIcons::picture(symbol, *tint, int(rect.width()), pixelScale);
    else if (!icon.isNull())
        image = icon.pixmap(rect.size().toSize(), pixelScale).toImage();
    if (image.isNull())
        return;
    const QSizeF size = image.deviceIndependentSize();
    const double scale = std::min(rect.width() / std::max(size.width(), 1.0),
                                  size.height() <= 1 ? rect.height() : rect.height() / size.height());
    const QSizeF drawn = size * scale;
    p.drawImage(QRectF(rect.center() - QPointF(drawn.width() / 2, drawn.height() / 2), drawn), image);
}
} // namespace

Scheduler *&CommandRow::scheduler()
{
    static Scheduler *s = &Scheduler::system();
    return s;
}

CommandRow::CommandRow(const QString &title_, QWidget *parent) : QWidget(parent), title(title_)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

double CommandRow::textHeight(const QString &text, double width)
{
    return std::ceil(QFontMetricsF(wordsFont())
                         .boundingRect(QRectF(0, 0, width, 1000), Qt::TextWordWrap | Qt::AlignLeft, text)
                         .height());
}

QList<QRectF> CommandRow::capRects(double h) const
{
    QList<QRectF> out;
    const QFontMetricsF metrics(capFont());
    double x = textLeft;
    const double y = std::max(h, iconSide) + 22;
    for (const QString &key : keys) {
        const double w = std::max(std::ceil(metrics.horizontalAdvance(key)) + 16, 28.0);
        out.append(QRectF(x, y, w, capHeight));
        x += w + capGap;
    }
    return out;
}

void CommandRow::flash(const QString &text)
{
    if (m_flashWork)
        scheduler()->cancel(m_flashWork);
    flashed = text;
    update();
    QPointer<CommandRow> self(this);
    m_flashWork = scheduler()->after(flashSeconds, [self] {
        if (!self)
            return;
        self->m_flashWork = 0;
        self->flashed.reset();
        self->update();
    });
}

void CommandRow::setHot(bool value)
{
    if (hot == value)
        return;
    hot = value;
    update();
}

void CommandRow::setPressed(bool value)
{
    if (pressed == value)
        return;
    pressed = value;
    update();
}

void CommandRow::enterEvent(QEnterEvent *)
{
    setHot(true);
}

void CommandRow::leaveEvent(QEvent *)
{
    setHot(false);
}

void CommandRow::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        setPressed(true);
}

void CommandRow::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    if (event->buttons() & Qt::LeftButton)
        setPressed(rect().contains(event->position().toPoint()));
}

void CommandRow::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    setPressed(false);
    if (rect().contains(event->position().toPoint()) && onClick)
        onClick();
}

void CommandRow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double w = width();
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 14, 14);
    QColor fill, stroke;
    if (flashed) {
        fill = withAlpha(systemGreen, 0.16);
        stroke = withAlpha(systemGreen, 0.45);
    } else {
        fill = pressed ? withAlpha(Prefs::accentColor(), 0.18) : withAlpha(Qt::white, hot ? 0.92 : 0.66);
        stroke = withAlpha(Qt::black, hot ? 0.12 : 0.07);
    }
    p.fillPath(shape, fill);
    p.strokePath(shape, QPen(stroke, 1));

    const QString text = flashed ? *flashed : title;
    const double h = textHeight(text, w - 54);
    const QColor label = palette().color(QPalette::WindowText);
    const QRectF iconRect(12, 12, iconSide, iconSide);
    if (flashed)
        drawIcon(p, QStringLiteral("check"), {}, &systemGreen, iconRect, devicePixelRatioF());
    else if (iconIsSymbol)
        drawIcon(p, symbol, {}, &label, iconRect, devicePixelRatioF());
    else
        drawIcon(p, {}, icon, nullptr, iconRect, devicePixelRatioF());
    p.setFont(wordsFont());
    p.setPen(label);
    p.drawText(QRectF(textLeft, 12 + std::max(0.0, (iconSide - h) / 2), w - 54, h),
               Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);

    p.setFont(capFont());
    const QList<QRectF> caps = capRects(h);
    for (int i = 0; i < caps.size(); ++i) {
        const QRectF cap = caps[i];
        QPainterPath shadow;
        shadow.addRoundedRect(cap.translated(0, 1.5), 6, 6);
        p.fillPath(shadow, withAlpha(Qt::black, 0.16));
        QPainterPath face;
        face.addRoundedRect(cap, 6, 6);
        p.fillPath(face, Qt::white);
        p.strokePath(face, QPen(withAlpha(Qt::black, 0.14), 0.75));
        p.setPen(label);
        p.drawText(cap, Qt::AlignCenter, keys[i]);
    }
}

CommandSidebar::CommandSidebar(const QRect &frame, QWidget *parent)
    : QWidget(parent), m_copyRow(nullptr), m_sendRow(nullptr), m_content(new QWidget(this))
{
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    setAttribute(Qt::WA_NoMousePropagation);
    m_copyRow = new CommandRow(QStringLiteral("Copy to clipboard"), m_content);
    m_sendRow = new CommandRow(QString(), m_content);
    m_copyRow->keys = {QStringLiteral("Return")};
    m_copyRow->symbol = QStringLiteral("copy");
    m_sendRow->keys = {PlatformText::words(QStringLiteral("⌘")), QStringLiteral("Return")};
    QPointer<CommandSidebar> self(this);
    m_copyRow->onClick = [self] {
        if (self && self->onCopy)
            self->onCopy();
    };
    m_sendRow->onClick = [self] {
        if (self && self->onSend)
            self->onSend();
    };
    setGeometry(frame);
    refreshSendRow();
}

void CommandSidebar::refresh()
{
    refreshSendRow();
    m_copyRow->update();
}

void CommandSidebar::refreshSendRow()
{
    const std::optional<RunningApp> before = previous ? previous() : std::nullopt;
    const std::optional<QString> id = Destination::current().bundleID(before);
    if (id) {
        m_sendRow->title = QStringLiteral("Paste into ") + Destinations::displayName(*id, before);
        m_sendRow->icon = Destinations::appIcon(*id, int(iconSide));
        m_sendRow->iconIsSymbol = false;
    } else {
        m_sendRow->title = QStringLiteral("Copy to clipboard");
        m_sendRow->icon = QIcon();
        m_sendRow->symbol = QStringLiteral("clipboard");
        m_sendRow->iconIsSymbol = true;
    }
    m_sendRow->update();
    layoutRows();
}

void CommandSidebar::layoutRows()
{
    const double w = m_content->width() - 24;
    if (w <= 40)
        return;
    const double t = w - 54;
    const auto rowHeight = [t](const CommandRow *row) {
        return std::max({CommandRow::textHeight(row->title, t), CommandRow::textHeight(copiedText, t), iconSide}) + 58;
    };
    const double copyHeight = rowHeight(m_copyRow);
    m_copyRow->setGeometry(12, 12, int(w), int(copyHeight));
    m_sendRow->setGeometry(12, int(12 + copyHeight + 10), int(w), int(rowHeight(m_sendRow)));
}

void CommandSidebar::resizeEvent(QResizeEvent *)
{
    m_content->setGeometry(rect().adjusted(10, 10, -10, -10));
    layoutRows();
}

void CommandSidebar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath panel;
    panel.addRoundedRect(QRectF(m_content->geometry()).adjusted(0.5, 0.5, -0.5, -0.5), 22, 22);
    p.fillPath(panel, withAlpha(palette().color(QPalette::Window), 0.72));
    p.strokePath(panel, QPen(withAlpha(Qt::black, 0.08), 1));
}

// Presses between the rows stop here.
void CommandSidebar::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void CommandSidebar::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
}

void CommandSidebar::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}
