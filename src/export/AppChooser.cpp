#include "export/AppChooser.h"

#include "platform/AppRegistry.h"
#include "platform/PlatformText.h"

#include <QAbstractListModel>
#include <QCollator>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int iconSide = 24;
constexpr int idRole = Qt::UserRole;
constexpr int searchRole = Qt::UserRole + 1;

// For an application whose entry names no icon the theme has: a plain window, so that every
// row has an icon and the names line up.
QIcon placeholderIcon()
{
    static const QIcon icon = [] {
        QIcon themed = QIcon::fromTheme(QStringLiteral("application-x-executable"));
        if (!themed.isNull())
            return themed;
        QIcon drawn;
        for (const qreal ratio : {1.0, 2.0}) {
            QPixmap pixmap(QSize(iconSide, iconSide) * ratio);
            pixmap.setDevicePixelRatio(ratio);
            pixmap.fill(Qt::transparent);
            QPainter p(&pixmap);
            p.setRenderHint(QPainter::Antialiasing);
            const QRectF card(2.5, 3.5, iconSide - 5, iconSide - 7);
            p.setPen(QPen(QColor(0, 0, 0, 90), 1));
            p.setBrush(QColor(236, 236, 240));
            p.drawRoundedRect(card, 3, 3);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(120, 130, 150));
            p.drawRoundedRect(QRectF(card.left() + 1, card.top() + 1, card.width() - 2, 4), 2, 2);
            p.end();
            drawn.addPixmap(pixmap);
        }
        return drawn;
    }();
    return icon;
}

// The icon at exactly the list's size, smaller pictures scaled up and centred, so that every name
// starts at the same place.
QIcon fitted(const QIcon &icon)
{
    QIcon out;
    for (const qreal ratio : {1.0, 2.0}) {
        const QSize side = QSize(iconSide, iconSide) * ratio;
        QPixmap picture = icon.pixmap(QSize(iconSide, iconSide), ratio);
        if (picture.isNull())
            continue;
        if (picture.size() != side)
            picture = picture.scaled(side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QPixmap cell(side);
        cell.fill(Qt::transparent);
        QPainter p(&cell);
        p.drawPixmap((side.width() - picture.width()) / 2, (side.height() - picture.height()) / 2, picture);
        p.end();
        cell.setDevicePixelRatio(ratio);
        out.addPixmap(cell);
    }
    return out;
}

// The applications as list rows; icons are looked up the first time a row is shown.
class AppChoiceModel : public QAbstractListModel
{
public:
    AppChoiceModel(QList<InstalledApp> apps, QObject *parent) : QAbstractListModel(parent), m_apps(std::move(apps)) {}

    int rowCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : int(m_apps.size()); }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_apps.size())
            return {};
        const InstalledApp &app = m_apps.at(index.row());
        switch (role) {
        case Qt::DisplayRole:
            return app.name;
        case Qt::ToolTipRole:
            return app.id;
        case Qt::DecorationRole:
            return iconOf(index.row());
        case idRole:
            return app.id;
        case searchRole:
            return app.name + u'\n' + app.id;
        default:
            return {};
        }
    }

private:
    QIcon iconOf(int row) const
    {
        auto it = m_icons.find(row);
        if (it == m_icons.end()) {
            QIcon icon = fitted(AppRegistry::icon(m_apps.at(row)));
            if (icon.isNull())
                icon = placeholderIcon();
            it = m_icons.insert(row, icon);
        }
        return *it;
    }

    QList<InstalledApp> m_apps;
    mutable QHash<int, QIcon> m_icons;
};
} // namespace

QList<InstalledApp> AppChooser::choices(AppRegistry &registry)
{
    QList<InstalledApp> apps = registry.all();
    apps.removeIf([](const InstalledApp &app) { return app.noDisplay; });
    // The C locale's collation compares code points (every capital before every small letter):
    // names are then sorted as in English.
    const QLocale locale = QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale();
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    // Sort keys once: comparing through the collator on every step is several times slower.
    QList<std::pair<QCollatorSortKey, qsizetype>> keys;
    keys.reserve(apps.size());
    for (qsizetype i = 0; i < apps.size(); ++i)
        keys.append({collator.sortKey(apps.at(i).name), i});
    std::stable_sort(keys.begin(), keys.end(), [&apps](const auto &a, const auto &b) {
        const int order = a.first.compare(b.first);
        return order != 0 ? order < 0 : apps.at(a.second).id < apps.at(b.second).id;
    });
    QList<InstalledApp> sorted;
    sorted.reserve(apps.size());
    for (const auto &key : std::as_const(keys))
        sorted.append(apps.at(key.second));
    return sorted;
}

AppChooser::AppChooser(QWidget *parent, AppRegistry *registry)
    : QDialog(parent), m_search(new QLineEdit(this)), m_list(new QListView(this)),
      m_confirm(new QPushButton(QStringLiteral("Paste Into This App"), this)),
      m_filter(new QSortFilterProxyModel(this))
{
    setWindowTitle(QStringLiteral("Other App"));
    auto *message = new QLabel(PlatformText::words(QStringLiteral("⌘Return will paste the picture into the app you choose.")),
                               this);
    message->setObjectName(QStringLiteral("message"));
    message->setWordWrap(true);

    m_search->setPlaceholderText(QStringLiteral("Search"));
    m_search->setClearButtonEnabled(true);
    m_search->installEventFilter(this);

    m_filter->setSourceModel(new AppChoiceModel(choices(registry ? *registry : AppRegistry::shared()), this));
    m_filter->setFilterRole(searchRole);
    m_filter->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_list->setModel(m_filter);
    m_list->setIconSize(QSize(iconSide, iconSide));
    m_list->setUniformItemSizes(true);
    m_list->setSpacing(1);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QDialogButtonBox::Cancel);
    buttons->addButton(m_confirm, QDialogButtonBox::AcceptRole);
    m_confirm->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(message);
    layout->addWidget(m_search);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    resize(420, 520);

    connect(m_search, &QLineEdit::textChanged, this, &AppChooser::filterChanged);
    connect(m_list, &QListView::activated, this, &AppChooser::confirm);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { m_confirm->setEnabled(!selectedId().isEmpty()); });
    connect(buttons, &QDialogButtonBox::accepted, this, &AppChooser::confirm);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_confirm->setEnabled(false);
    m_search->setFocus();
}

QStringList AppChooser::shownNames() const
{
    QStringList names;
    for (int row = 0; row < m_filter->rowCount(); ++row)
        names << m_filter->index(row, 0).data().toString();
    return names;
}

QString AppChooser::selectedId() const
{
    const QModelIndexList picked = m_list->selectionModel()->selectedIndexes();
    return picked.isEmpty() ? QString() : picked.first().data(idRole).toString();
}

void AppChooser::filterChanged(const QString &text)
{
    m_filter->setFilterFixedString(text.trimmed());
    selectFirst();
}

// While the user types, the first application left is chosen, ready for Return.
void AppChooser::selectFirst()
{
    if (m_filter->rowCount() == 0) {
        m_list->selectionModel()->clear();
        m_confirm->setEnabled(false);
        return;
    }
    const QModelIndex first = m_filter->index(0, 0);
    m_list->selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect);
    m_list->scrollTo(first);
}

void AppChooser::confirm()
{
    const QString id = selectedId();
    if (id.isEmpty())
        return;
    accept();
    if (onChoose)
        onChoose(id);
}

// Up, Down, Page Up and Page Down in the search field move through the list, so that the
// keyboard never has to leave the field.
bool AppChooser::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_search && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            if (m_list->selectionModel()->selectedIndexes().isEmpty())
                selectFirst();
            else
                QCoreApplication::sendEvent(m_list, event);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
