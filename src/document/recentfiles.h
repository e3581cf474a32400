#pragma once
// The list of recently used files: entry 0 is the most recent, at most five entries,
// paths compared exactly (letter case counts).
#include <QStringList>

class RecentFiles {
public:
    static constexpr int MaxCount = 5;

    const QStringList &paths() const { return m_paths; }
    int count() const { return int(m_paths.size()); }

    // Puts path at the top; an entry already in the list moves up, a sixth drops the oldest.
    void add(const QString &path);
    void setPaths(const QStringList &paths);

    // Reading and writing the settings store (section "manu": "icount", "1".."n").
    void load();
    void save() const;

private:
    QStringList m_paths;
};

// A stored count as the program reads it: not a number counts as 0; clamped to 0..5.
int parseRecentCount(const QString &stored);
