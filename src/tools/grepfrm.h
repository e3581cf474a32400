#pragma once
// Search in files: the dialog frmGrep asks what and where, the panel GrepPane (docked in
// the main window) lists the results while the search runs in a worker thread.
#include "grep.h"

#include <QDialog>
#include <QDockWidget>
#include <QPointer>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class SearchOptionsBox;

class GrepFrm : public QDialog {
    Q_OBJECT
public:
    // folder: where the search starts unless the user picks another.
    GrepFrm(QWidget *parent, const QString &folder);
    GrepQuery query() const;
    void accept() override;

    // Asks, then shows the results in the window's panel. openAt opens a file and selects
    // a stretch of it (false when the user kept the current document).
    using OpenAt = std::function<bool(const QString &path, int position, int length)>;
    static void run(QMainWindow *window, const QString &folder, const OpenAt &openAt);

private:
    void browse();
    QComboBox *m_find;
    SearchOptionsBox *m_options;
    QLineEdit *m_folder;
    QLineEdit *m_filter;
    QCheckBox *m_subfolders;
};

class GrepPane : public QDockWidget {
    Q_OBJECT
public:
    // The panel of a main window (made and docked at the bottom on first use).
    static GrepPane *of(QMainWindow *window);
    explicit GrepPane(QWidget *parent = nullptr);
    ~GrepPane() override;

    void start(const GrepQuery &query);
    void stop();
    bool isRunning() const;
    void setOpenAt(const GrepFrm::OpenAt &openAt) { m_openAt = openAt; }
    // Opens the result of a row (as a double-click does).
    void openRow(int row);

    QTreeWidget *results() const { return m_list; }
    QString statusText() const;

signals:
    void finished();

private:
    void addHits(const QList<GrepHit> &hits);
    void onProgress(int files, const QString &current);
    void onFinished();

    QTreeWidget *m_list;
    QLabel *m_status;
    QPushButton *m_stop;
    QPointer<GrepRun> m_run;
    QString m_folder;
    GrepFrm::OpenAt m_openAt;
    int m_shown = 0;
};
