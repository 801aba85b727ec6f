#pragma once
#include <QList>

#include <optional>

// Undo and redo stacks of whole values (a canvas page keeps one of documents). Unlimited: every
// recorded change stays as long as the history does.
template<typename T>
struct History {
    QList<T> past; // last element: the most recent state to go back to
    QList<T> future; // last element: the next state to redo

    // Records a change from before to after; a change that changed nothing is not recorded and
    // keeps the redo stack.
    void record(const T &before, const T &after)
    {
        if (before == after)
            return;
        past.append(before);
        future.clear();
    }

    // The state to show instead of current, or none when there is nothing to undo.
    std::optional<T> undo(const T &current)
    {
        if (past.isEmpty())
            return std::nullopt;
        T state = past.takeLast();
        future.append(current);
        return state;
    }

    // The state to show instead of current, or none when there is nothing to redo.
    std::optional<T> redo(const T &current)
    {
        if (future.isEmpty())
            return std::nullopt;
        T state = future.takeLast();
        past.append(current);
        return state;
    }

    bool canUndo() const { return !past.isEmpty(); }
    bool canRedo() const { return !future.isEmpty(); }

    friend bool operator==(const History &, const History &) = default;
};
