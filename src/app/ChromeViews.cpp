#include "ChromeViews.h"

#include "app/PngWriter.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>

namespace {
class GlassPlate : public QWidget
{
public:
    using QWidget::QWidget;
    bool dark = false;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25);
        const qreal radius = r.height() / 2;
        p.setPen(QPen(dark ? QColor(255, 255, 255, 56) : QColor(0, 0, 0, 40), 0.5));
        p.setBrush(dark ? QColor(28, 28, 30, 215) : QColor(250, 250, 252, 225));
        p.drawRoundedRect(r, radius, radius);
    }
};

QFont digitsFont(qreal pixelSize, QFont::Weight weight)
{
    QFont f = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    // One point is one logical pixel. A pixel size would round to whole pixels, so the size is
    // given in the font's points at the logical resolution, which keeps 10.5 and 22 × scale.
    const QScreen *screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    f.setPointSizeF(qMax<qreal>(0.5, pixelSize) * 72.0 / (dpi > 0 ? dpi : 96.0));
    f.setWeight(weight);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

void makeClickThrough(QWidget *w)
{
    w->setAttribute(Qt::WA_TransparentForMouseEvents);
}
} // namespace

FlippedView::FlippedView(QWidget *parent)
    : QWidget(parent)
{
    makeClickThrough(this);
}

FlippedView::FlippedView(const QRect &frame, QWidget *parent)
    : FlippedView(parent)
{
    setGeometry(frame);
}

GlassLabel::GlassLabel(const QRect &frame, QWidget *parent)
    : QWidget(parent)
    , m_glass(new GlassPlate(this))
    , m_content(new QWidget(m_glass))
    , m_label(new QLabel(m_content))
{
    makeClickThrough(this);
    setAttribute(Qt::WA_TranslucentBackground);
    m_label->setFont(digitsFont(12, QFont::DemiBold));
    QPalette pal = m_label->palette();
    pal.setColor(QPalette::WindowText, QColor(20, 20, 22));
    m_label->setPalette(pal);
    setGeometry(frame);
    layoutParts();
}

void GlassLabel::setDark(bool dark)
{
    static_cast<GlassPlate *>(m_glass)->dark = dark;
    QPalette pal = m_label->palette();
    pal.setColor(QPalette::WindowText, dark ? QColor(Qt::white) : QColor(20, 20, 22));
    m_label->setPalette(pal);
    m_glass->update();
}

void GlassLabel::setText(const QString &text)
{
    m_label->setText(text);
    m_label->adjustSize();
    resize(int(std::ceil(m_label->width())) + 26, 28);
    layoutParts();
}

void GlassLabel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutParts();
}

void GlassLabel::layoutParts()
{
    m_glass->setGeometry(rect());
    m_content->setGeometry(m_glass->rect());
    const auto half = [](double v) { return int(std::lround(v)); }; // halves away from zero
    m_label->move(half((width() - m_label->width()) / 2.0),
                  half((height() - m_label->height()) / 2.0));
}

PointerLabel::PointerLabel(const QRect &frame, QWidget *parent)
    : QWidget(parent)
    , m_label(new QLabel(this))
{
    makeClickThrough(this);
    setAttribute(Qt::WA_TranslucentBackground);
    m_label->setFont(digitsFont(10.5, QFont::Medium));
    QPalette pal = m_label->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    m_label->setPalette(pal);
    setGeometry(frame);
}

void PointerLabel::setText(const QString &text)
{
    m_label->setText(text);
    m_label->adjustSize();
    resize(m_label->width() + 12, m_label->height() + 4);
    m_label->move(6, 2);
}

void PointerLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25);
    p.setPen(QPen(QColor(255, 255, 255, 64), 0.5));
    p.setBrush(QColor::fromRgbF(0.08, 0.08, 0.08, 0.78));
    p.drawRoundedRect(r, 5, 5);
}

QByteArray pngSnapshot(QWidget *view)
{
    if (!view || view->width() <= 0 || view->height() <= 0)
        return QByteArray();
    const QPixmap pixmap = view->grab();
    if (pixmap.isNull())
        return QByteArray();
    return PngWriter::encode(pixmap.toImage());
}
