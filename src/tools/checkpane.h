#pragma once
// The HTML check panel: a dockable list of what the page check found, one row per finding
// (line, column, kind, message). The check runs off the user-interface thread; a new check
// cancels the one running. Rows keep their spot in the document while the user edits, so
// activating a row (double-click, Enter) selects the right text even after edits above it.
#include "htmlcheck.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QDockWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class EditArea;
class QAction;
class QLabel;
class QTextDocument;
class QThread;
class QTreeView;

// Findings whose positions follow the edits of a document.
class CheckModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { LineColumn, ColumnColumn, KindColumn, MessageColumn, ColumnCount };

    explicit CheckModel(EditArea *edit, QObject *parent = nullptr);

    void setFindings(HtmlCheck::Findings findings);
    const HtmlCheck::Finding &finding(int row) const { return m_findings[size_t(row)]; }
    int position(int row) const { return m_positions[size_t(row)]; }  // where the spot is now
    void removeFinding(int row);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Moves the positions along with a change of the text: what lies after the change moves
    // by its length; a spot inside replaced text stays where it was, within the new text.
    static int follow(int pos, int changeAt, int removed, int added);

private:
    void onContentsChange(int at, int removed, int added);

    EditArea *m_edit;
    HtmlCheck::Findings m_findings;
    std::vector<int> m_positions;
};

class CheckPane : public QDockWidget {
    Q_OBJECT
public:
    // What the check needs to know about the page besides its text.
    struct Page {
        QString documentPath;  // "" when the page has no file of its own yet
        QByteArray encoding = "UTF-8";
    };
    using PageInfo = std::function<Page()>;

    CheckPane(EditArea *edit, PageInfo page, QWidget *parent = nullptr);
    ~CheckPane() override;

    // The menu command: shows the panel and checks the page.
    void showAndCheck();
    // Checks the page now; a check still running is cancelled.
    void startCheck();
    // To be called after every save: checks when the user asked for it.
    void documentSaved();
    // Shows the panel when it was open at the end of the last session.
    void restoreVisibility();

    bool isRunning() const { return m_running > 0; }
    bool checkAfterSave() const;
    void setCheckAfterSave(bool on);

    CheckModel *model() const { return m_model; }
    QTreeView *list() const { return m_list; }
    // Selects the spot of a row in the editor.
    void jumpTo(int row);
    // The context menu's fix: the full-width space of the row becomes a half-width one.
    bool replaceWithHalfWidthSpace(int row);

signals:
    void checkFinished();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void finish(unsigned generation, const std::shared_ptr<struct CheckJob> &job);
    void updateTitle();
    void showRowMenu(const QPoint &pos);

    EditArea *m_edit;
    PageInfo m_page;
    CheckModel *m_model;
    QTreeView *m_list;
    QLabel *m_status;
    QAction *m_afterSave;
    QString m_checkedPath;
    unsigned m_generation = 0;
    int m_running = 0;
    bool m_truncated = false;
    std::shared_ptr<std::atomic_bool> m_cancel;
    std::vector<QThread *> m_threads;
};
