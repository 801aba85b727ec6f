#include "canvas/Toolbar.h"

#include "app/PreferenceReaders.h"
#include "canvas/HoverTips.h"
#include "canvas/SwatchButton.h"
#include "canvas/ToolbarIcons.h"
#include "document/Item.h"
#include "export/SendButton.h"
#include "platform/AltDrag.h"
#include "platform/PlatformText.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

#include <algorithm>
#include <array>
#include <limits>
#include <cmath>

const Toolbar::Swatch Toolbar::swatchTable[6] = {
    {"Red", 1.0, 0.16, 0.12},  {"Yellow", 1.0, 0.8, 0.0},   {"Green", 0.2, 0.78, 0.35},
    {"Blue", 0.04, 0.52, 1.0}, {"Black", 0.07, 0.07, 0.09}, {"White", 1.0, 1.0, 1.0},
};

namespace {
constexpr int iconPoints = 18;
constexpr int controlSide = 30;
constexpr int controlGap = 2;
constexpr int separatorWidth = 9;
constexpr int rowGap = 4;

struct ToolLook
{
    Tool tool;
    const char *symbol;
    const char *tip;
};
const std::array<ToolLook, 4> toolLooks{{
    {Tool::arrow, "arrow", "Arrow: drag on the canvas"},
    {Tool::text, "text", "Text: click where it goes, or press T"},
    {Tool::box, "box", "Box: ⌘-drag, or press R"},
    {Tool::redaction, "redaction", "Redact (pixelate): ⌥-drag, or press B"},
}};

const std::array<const char *, 4> longSizeNames{"Small", "Medium", "Large", "Extra large"};

double roundHalfAway(double v)
{
    return v < 0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5);
}

QFont pixelFont(QFont f, double pixels, QFont::Weight weight, const QWidget *on)
{
    f.setPointSizeF(pixels * 72.0 / std::max(1, on->logicalDpiY()));
    f.setWeight(weight);
    return f;
}

// A thin upright line between groups of controls.
class Separator : public QWidget
{
public:
    explicit Separator(QWidget *parent) : QWidget(parent) { setFixedSize(separatorWidth, 18); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        QColor line = palette().color(QPalette::WindowText);
        line.setAlphaF(0.18f);
        p.fillRect(QRectF(4, 0, 1, height()), line);
    }
};
} // namespace

Toolbar::Toolbar(QWidget *parent)
    : QWidget(parent), m_dragOut(new DragOutView), m_send(new SendButton), m_column(new QVBoxLayout(this)),
      m_sizeLabel(new QLabel(QStringLiteral("L"))), m_fontButton(new QToolButton), m_fontMenu(new QMenu(this)),
      m_undoButton(nullptr), m_redoButton(nullptr), m_zoomButton(new QToolButton), m_tips(new HoverTips(this))
{
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    m_column->setSpacing(rowGap);
    m_column->setContentsMargins(14, 6, 14, 6);
    m_column->setSizeConstraint(QLayout::SetNoConstraint);
    m_groups.append(QList<QWidget *>());

    for (const ToolLook &look : toolLooks) {
        const Tool tool = look.tool;
        // Where the window manager moves windows with Alt+drag, the redaction is offered by its key.
        const char *tip = tool == Tool::redaction && AltDrag::taken() ? "Redact (pixelate): press B" : look.tip;
        m_toolButtons.insert(int(tool), iconButton(QLatin1String(look.symbol), QString::fromUtf8(tip),
                                                   [this, tool] { fire(ToolbarAction::pickTool(tool)); }));
    }
    iconButton(QStringLiteral("addshot"),
               QStringLiteral("Take another shot, on a page of its own  (⌘N, or your capture shortcut)"),
               [this] { fire(ToolbarAction::plain(ToolbarAction::addShot)); });
    addSeparator();

    for (int i = 0; i < 6; ++i) {
        auto *swatch = new SwatchButton;
        const Swatch &s = swatchTable[i];
        swatch->rgb = {s.r, s.g, s.b};
        const QString tip = QLatin1String(s.name) + QStringLiteral("  (%1)").arg(i + 1);
        swatch->setAccessibleName(QLatin1String(s.name));
        swatch->setAccessibleDescription(tip);
        connect(swatch, &QAbstractButton::clicked, this, [this, i] { fire(ToolbarAction::pickColor(i)); });
        m_swatches.append(swatch);
        place(swatch);
        addTip(swatch, [tip] { return tip; });
    }
    addSeparator();

    iconButton(QStringLiteral("minus"), QStringLiteral("Smaller  ([)"),
               [this] { fire(ToolbarAction::plain(ToolbarAction::smaller)); });
    m_sizeLabel->setFont(pixelFont(font(), 12, QFont::DemiBold, this));
    m_sizeLabel->setAlignment(Qt::AlignCenter);
    m_sizeLabel->setFixedWidth(24);
    place(m_sizeLabel);
    addTip(m_sizeLabel, [this] { return sizeTip(); });
    iconButton(QStringLiteral("plus"), QStringLiteral("Larger  (])"),
               [this] { fire(ToolbarAction::plain(ToolbarAction::larger)); });
    addSeparator();

    const QString fontTip = QStringLiteral("Font for text. Click to choose another");
    m_fontButton->setAutoRaise(true);
    m_fontButton->setFocusPolicy(Qt::NoFocus);
    m_fontButton->setPopupMode(QToolButton::InstantPopup);
    m_fontButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_fontButton->setFont(pixelFont(font(), 12, QFont::Medium, this));
    m_fontButton->setFixedHeight(controlSide);
    m_fontButton->setMenu(m_fontMenu);
    m_fontButton->setAccessibleDescription(fontTip);
    m_fontMenu->installEventFilter(this);
    connect(m_fontMenu, &QMenu::aboutToShow, this, &Toolbar::rebuildFontMenu);
    place(m_fontButton);
    addTip(m_fontButton, [fontTip] { return fontTip; });
    addSeparator();

    m_undoButton = iconButton(QStringLiteral("undo"), QStringLiteral("Undo  (⌘Z)"),
                              [this] { fire(ToolbarAction::plain(ToolbarAction::undo)); });
    m_redoButton = iconButton(QStringLiteral("redo"), QStringLiteral("Redo  (⇧⌘Z)"),
                              [this] { fire(ToolbarAction::plain(ToolbarAction::redo)); });
    const QString zoomTip = PlatformText::words(QStringLiteral("Zoom. Click to fit everything  (⌘0). 100%: ⌘1"));
    m_zoomButton->setAutoRaise(true);
    m_zoomButton->setFocusPolicy(Qt::NoFocus);
    m_zoomButton->setObjectName(QStringLiteral("zoom"));
    m_zoomButton->setText(QStringLiteral("100%"));
    m_zoomButton->setFont(pixelFont(font(), 11.5, QFont::Medium, this));
    m_zoomButton->setFixedSize(46, controlSide);
    m_zoomButton->setAccessibleDescription(zoomTip);
    connect(m_zoomButton, &QToolButton::clicked, this, [this] { fire(ToolbarAction::plain(ToolbarAction::fit)); });
    place(m_zoomButton);
    addTip(m_zoomButton, [zoomTip] { return zoomTip; });
    addSeparator();

    iconButton(QStringLiteral("copy"), QStringLiteral("Copy to clipboard  (Return)"),
               [this] { fire(ToolbarAction::plain(ToolbarAction::copy)); });
    iconButton(QStringLiteral("save"), QStringLiteral("Save to file  (⌘S)"),
               [this] { fire(ToolbarAction::plain(ToolbarAction::save)); });
    const QString dragTip = QStringLiteral("Drag from here to drop the picture into another app");
    m_dragOut->setAccessibleDescription(dragTip);
    place(m_dragOut);
    addTip(m_dragOut, [dragTip] { return dragTip; });
    place(m_send);
    addTip(m_send, [this] { return m_send->tip(); });

    restyleToolButtons(std::nullopt);
    arrange();
    resize(m_column->sizeHint());
}

Toolbar::~Toolbar() = default;

QToolButton *Toolbar::iconButton(const QString &symbol, const QString &tip, std::function<void()> run)
{
    auto *button = new QToolButton;
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setIconSize(QSize(iconPoints, iconPoints));
    button->setIcon(ToolbarIcons::tinted(symbol, palette().color(QPalette::WindowText), iconPoints));
    button->setObjectName(symbol);
    button->setFixedSize(controlSide, controlSide);
    const QString text = PlatformText::words(tip);
    button->setAccessibleName(text);
    button->setAccessibleDescription(text);
    connect(button, &QToolButton::clicked, this, std::move(run));
    place(button);
    addTip(button, [text] { return text; });
    return button;
}

void Toolbar::place(QWidget *control)
{
    control->setParent(this);
    m_groups.last().append(control);
}

void Toolbar::addSeparator()
{
    m_separators.append(new Separator(this));
    m_groups.append(QList<QWidget *>());
}

int Toolbar::groupWidth(int group) const
{
    int w = 0;
    for (const QWidget *c : m_groups[group])
        w += std::clamp(c->sizeHint().width(), c->minimumWidth(), c->maximumWidth());
    return w + controlGap * int(std::max<qsizetype>(m_groups[group].size() - 1, 0));
}

QList<int> Toolbar::rowStarts() const
{
    // Whole groups go on a row while it stays within the room; a row holds one group at least.
    const int inner = m_room > 0 ? m_room - 28 : std::numeric_limits<int>::max();
    QList<int> starts{0};
    int used = 0;
    for (int g = 0; g < m_groups.size(); ++g) {
        const int w = groupWidth(g);
        const int joined = used + controlGap + separatorWidth + controlGap + w;
        if (g > starts.last() && joined > inner) {
            starts.append(g);
            used = w;
        } else {
            used = g == starts.last() ? w : joined;
        }
    }
    return starts;
}

void Toolbar::arrange()
{
    const QList<int> starts = rowStarts();
    if (starts == m_rowStarts && !m_rows.isEmpty())
        return;
    m_rowStarts = starts;
    for (QHBoxLayout *row : std::as_const(m_rows)) {
        while (row->count() > 0)
            delete row->takeAt(0);
        m_column->removeItem(row);
        delete row;
    }
    m_rows.clear();
    for (int r = 0; r < starts.size(); ++r) {
        auto *row = new QHBoxLayout;
        row->setSpacing(controlGap);
        row->setContentsMargins(0, 0, 0, 0);
        const int end = r + 1 < starts.size() ? starts[r + 1] : int(m_groups.size());
        for (int g = starts[r]; g < end; ++g) {
            if (g > starts[r])
                row->addWidget(m_separators[g - 1]);
            for (QWidget *c : std::as_const(m_groups[g]))
                row->addWidget(c);
        }
        m_column->addLayout(row);
        m_column->setAlignment(row, Qt::AlignHCenter);
        m_rows.append(row);
    }
    // A separator at the start of a row separates nothing.
    for (int g = 1; g < m_groups.size(); ++g)
        m_separators[g - 1]->setVisible(!starts.contains(g));
}

void Toolbar::invalidateRows()
{
    // A box layout keeps its size until told; the rows are told before the column asks them.
    for (QHBoxLayout *row : std::as_const(m_rows))
        row->invalidate();
    m_column->invalidate();
}

void Toolbar::setRoom(int width)
{
    if (width == m_room)
        return;
    m_room = width;
    const QList<int> before = m_rowStarts;
    arrange();
    if (m_rowStarts != before)
        fitWidth();
}

int Toolbar::rowCount() const
{
    return int(m_rows.size());
}

void Toolbar::addTip(QWidget *control, std::function<QString()> text)
{
    m_controls.append(control);
    m_tips->add(control, std::move(text));
}

void Toolbar::fire(const ToolbarAction &action)
{
    if (onAction)
        onAction(action);
}

QList<QWidget *> Toolbar::controls() const
{
    return m_controls;
}

QString Toolbar::sizeTip() const
{
    const QString label = m_sizeLabel->text();
    QString name = label;
    for (size_t i = 0; i < Item::sizeNames.size(); ++i)
        if (label == QLatin1String(Item::sizeNames[i]))
            name = QLatin1String(longSizeNames[i]);
    return QStringLiteral("Size of arrows and text: ") + name + QStringLiteral("  ([ and ] change it)");
}

QString Toolbar::zoomText(double zoom)
{
    return QString::number(qint64(roundHalfAway(zoom * 100))) + u'%';
}

void Toolbar::restyleToolButtons(std::optional<Tool> armed)
{
    const QColor label = palette().color(QPalette::WindowText);
    for (const ToolLook &look : toolLooks) {
        const bool isArmed = armed == look.tool;
        m_toolButtons.value(int(look.tool))
            ->setIcon(ToolbarIcons::tinted(QLatin1String(look.symbol), isArmed ? Prefs::accentColor() : label, iconPoints));
    }
}

void Toolbar::setFamily(const QString &fontName)
{
    const std::optional<QFont> f = Prefs::loadFont(fontName, 12);
    m_family = f ? QFontInfo(*f).family() : fontName;
    m_fontButton->setText(m_family);
}

void Toolbar::update(int color, int size, const QString &font, std::optional<Tool> armed, bool canUndo, bool canRedo,
                     double zoom)
{
    const QString zoomShown = zoomText(zoom);
    const Shown next{color, size, font, armed, canUndo, canRedo, zoomShown, double(m_send->sizeHint().width())};
    if (m_shown && *m_shown == next)
        return;
    const std::optional<Shown> old = m_shown;
    m_shown = next;
    ++appliedUpdates;

    for (int i = 0; i < m_swatches.size(); ++i) {
        m_swatches[i]->isChosen = i == color;
        m_swatches[i]->update();
    }
    m_sizeLabel->setText(QLatin1String(Item::sizeNames[std::clamp(size, 0, 3)]));
    if (!old || old->armed != armed)
        restyleToolButtons(armed);
    m_undoButton->setEnabled(canUndo);
    m_redoButton->setEnabled(canRedo);
    m_zoomButton->setText(zoomShown);
    if (!old || old->font != font || m_family.isEmpty())
        setFamily(font);
    fitWidth();
}

void Toolbar::fitWidth()
{
    const QStringList key{m_shown ? m_shown->zoom : QString(), m_family, m_sizeLabel->text(),
                          QString::number(m_shown ? m_shown->sendWidth : 0)};
    QSize fitting;
    const bool oneRow = m_rows.size() == 1;
    if (const auto it = m_fittings.constFind(key); oneRow && it != m_fittings.constEnd()) {
        fitting = *it;
    } else {
        invalidateRows();
        fitting = m_column->sizeHint();
    }
    // The cache holds the sizes of the one-row bar; a wrapped bar is measured each time.
    if (oneRow) {
        if (m_fittings.size() > 200)
            m_fittings.clear();
        m_fittings.insert(key, fitting);
    }
    if (fitting == size())
        return;
    const double centre = x() + width() / 2.0;
    setGeometry(int(roundHalfAway(centre - fitting.width() / 2.0)), y(), fitting.width(), fitting.height());
}

bool Toolbar::event(QEvent *event)
{
    const bool done = QWidget::event(event);
    // In another window or style the controls measure differently: sizes kept from before no
    // longer hold.
    switch (event->type()) {
    case QEvent::ParentChange:
    case QEvent::StyleChange:
    case QEvent::Show:
        m_fittings.clear();
        invalidateRows();
        if (m_shown)
            fitWidth();
        break;
    default:
        break;
    }
    return done;
}

void Toolbar::updateTip(std::optional<QPointF> point)
{
    m_tips->update(point);
}

void Toolbar::hoverNow(QWidget *control)
{
    m_tips->hoverNow(control);
}

std::optional<std::pair<QString, QRect>> Toolbar::shownTip() const
{
    return m_tips->shown();
}

void Toolbar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF pill = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath path;
    const double radius = std::min(pill.height() / 2, 20.5);
    path.addRoundedRect(pill, radius, radius);
    QColor glass = palette().color(QPalette::Window);
    glass.setAlphaF(0.86f);
    p.fillPath(path, glass);
    QColor edge = palette().color(QPalette::WindowText);
    edge.setAlphaF(0.14f);
    p.strokePath(path, QPen(edge, 1));
}
