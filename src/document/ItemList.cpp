#include "ItemList.h"

ItemList::ItemList(std::initializer_list<Item> items)
{
    m_nodes.reserve(qsizetype(items.size()));
    for (const Item &item : items)
        append(item);
}

ItemList::ItemList(const QList<Item> &items)
{
    m_nodes.reserve(items.size());
    for (const Item &item : items)
        append(item);
}

void ItemList::append(const Item &item)
{
    m_nodes.append(QSharedDataPointer<Node>(new Node(item)));
}

void ItemList::insert(qsizetype i, const Item &item)
{
    m_nodes.insert(i, QSharedDataPointer<Node>(new Node(item)));
}

Item ItemList::takeAt(qsizetype i)
{
    Item item = at(i);
    m_nodes.removeAt(i);
    return item;
}

QList<Item> ItemList::toList() const
{
    QList<Item> list;
    list.reserve(size());
    for (const Item &item : *this)
        list.append(item);
    return list;
}

bool ItemList::sharesWith(const ItemList &other) const
{
    return m_nodes.constData() == other.m_nodes.constData() && size() == other.size();
}

bool operator==(const ItemList &a, const ItemList &b)
{
    if (a.size() != b.size())
        return false;
    if (a.sharesWith(b))
        return true;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const auto &x = a.m_nodes.at(i);
        const auto &y = b.m_nodes.at(i);
        if (x.constData() != y.constData() && !(x->item == y->item))
            return false;
    }
    return true;
}
