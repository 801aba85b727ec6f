#pragma once
#include "Item.h"

#include <QList>
#include <QSharedData>
#include <QSharedDataPointer>

#include <initializer_list>
#include <iterator>

// The marks of a document: a list of items in which both the list and every item are shared
// between copies until changed. Copying a document's list costs one pointer per item; changing
// one item through operator[] copies the pointers and that one item, never the others.
//
// Reading goes through const access (at, const operator[], iteration). Writing goes through the
// non-const operator[], which makes the list and that item this copy's own first.
class ItemList
{
    struct Node : QSharedData {
        Item item;
        explicit Node(const Item &item) : item(item) { }
    };
    using Nodes = QList<QSharedDataPointer<Node>>;

public:
    using value_type = Item;

    class const_iterator
    {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = Item;
        using difference_type = qsizetype;
        using pointer = const Item *;
        using reference = const Item &;

        const_iterator() = default;
        const Item &operator*() const { return (*m_it)->item; }
        const Item *operator->() const { return &(*m_it)->item; }
        const Item &operator[](qsizetype n) const { return m_it[n]->item; }
        const_iterator &operator++() { ++m_it; return *this; }
        const_iterator operator++(int) { auto old = *this; ++m_it; return old; }
        const_iterator &operator--() { --m_it; return *this; }
        const_iterator operator--(int) { auto old = *this; --m_it; return old; }
        const_iterator &operator+=(qsizetype n) { m_it += n; return *this; }
        const_iterator &operator-=(qsizetype n) { m_it -= n; return *this; }
        friend const_iterator operator+(const_iterator i, qsizetype n) { return i += n; }
        friend const_iterator operator+(qsizetype n, const_iterator i) { return i += n; }
        friend const_iterator operator-(const_iterator i, qsizetype n) { return i -= n; }
        friend qsizetype operator-(const_iterator a, const_iterator b) { return a.m_it - b.m_it; }
        friend auto operator<=>(const const_iterator &, const const_iterator &) = default;
        friend bool operator==(const const_iterator &, const const_iterator &) = default;

    private:
        friend class ItemList;
        explicit const_iterator(Nodes::const_iterator it) : m_it(it) { }
        Nodes::const_iterator m_it;
    };
    using iterator = const_iterator;

    ItemList() = default;
    ItemList(std::initializer_list<Item> items);
    ItemList(const QList<Item> &items); // NOLINT: a list of items is an item list

    qsizetype size() const { return m_nodes.size(); }
    qsizetype count() const { return m_nodes.size(); }
    bool isEmpty() const { return m_nodes.isEmpty(); }

    const Item &at(qsizetype i) const { return m_nodes.at(i)->item; }
    const Item &operator[](qsizetype i) const { return m_nodes.at(i)->item; }
    // This copy's own item i, for changing it.
    Item &operator[](qsizetype i) { return m_nodes[i]->item; }
    const Item &first() const { return at(0); }
    const Item &last() const { return at(size() - 1); }
    Item &first() { return (*this)[0]; }
    Item &last() { return (*this)[size() - 1]; }

    const_iterator begin() const { return const_iterator(m_nodes.cbegin()); }
    const_iterator end() const { return const_iterator(m_nodes.cend()); }
    const_iterator cbegin() const { return begin(); }
    const_iterator cend() const { return end(); }

    void reserve(qsizetype n) { m_nodes.reserve(n); }
    void clear() { m_nodes.clear(); }
    void append(const Item &item);
    void append(const ItemList &items) { m_nodes.append(items.m_nodes); }
    ItemList &operator<<(const Item &item)
    {
        append(item);
        return *this;
    }
    void insert(qsizetype i, const Item &item);
    void removeAt(qsizetype i) { m_nodes.removeAt(i); }
    void removeFirst() { m_nodes.removeFirst(); }
    void removeLast() { m_nodes.removeLast(); }
    Item takeAt(qsizetype i);
    void move(qsizetype from, qsizetype to) { m_nodes.move(from, to); }
    // Removes every item for which pred(const Item &) holds; returns how many.
    template<typename Pred>
    qsizetype removeIf(Pred pred)
    {
        return m_nodes.removeIf([&](const QSharedDataPointer<Node> &n) { return pred(n->item); });
    }

    QList<Item> toList() const;

    // Whether both lists hold the very same storage (a copy not changed since).
    bool sharesWith(const ItemList &other) const;

    // Equal items in the same order; items still shared between the lists compare equal at once.
    friend bool operator==(const ItemList &a, const ItemList &b);

private:
    Nodes m_nodes;
};
