#pragma once
#include <QMimeData>
#include <QString>

#include <memory>

// A named pasteboard that lives only in this process: what is put on it stays here and never
// reaches the desktop's clipboard. The self-check copies onto one so that the user's clipboard
// is left alone. Main thread only.
class MemoryPasteboard
{
public:
    explicit MemoryPasteboard(QString name) : m_name(std::move(name)) { }

    const QString &name() const { return m_name; }
    // Takes the data over, replacing what was there.
    void setMimeData(QMimeData *data) { m_data.reset(data); }
    const QMimeData *mimeData() const { return m_data.get(); }
    void clear() { m_data.reset(); }

private:
    QString m_name;
    std::unique_ptr<QMimeData> m_data;
};
