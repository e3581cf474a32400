#pragma once
// The main window: tag palette, attribute bar, the editing area and the preview tab,
// menus, the document and its files, start-up and shut-down.
#include "document/document.h"
#include "document/recentfiles.h"
#include "document/undohistory.h"
#include "editing/search.h"

#include <QHash>
#include <QMainWindow>
#include <QTextCharFormat>
#include <QTimer>
#include <functional>
#include <memory>

class CheckPane;
class EditArea;
class EditView;
class EncodingCommands;
class LivePreview;
class PreviewPane;
class QAction;
class QLabel;
class QMenu;
class QTabWidget;
class Recovery;
struct RecoveredDocument;
class TagCompleter;
class TagPalette;
class UndoController;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Start-up: progress(text, yield) reports each step to the splash window.
    using Progress = std::function<void(const QString &text, bool yield)>;
    void startUp(const QString &commandLine, const Progress &progress = {});

    EditArea *edit() const { return m_edit; }
    EditView *view() const { return m_view; }
    TagCompleter *completer() const { return m_completer; }
    TagPalette *palette() const { return m_palette; }
    PreviewPane *preview() const { return m_preview; }
    LivePreview *livePreview() const { return m_live; }
    QTabWidget *viewTabs() const { return m_tabs; }
    QAction *action(const QString &name) const { return m_actions.value(name); }
    QMenu *menu(const QString &name) const;
    const RecentFiles &recentFiles() const { return m_recent; }
    UndoHistory &history();
    UndoController *undoController() const { return m_undo; }
    SearchState &search() { return m_search; }
    Document &document() { return m_document; }
    QString documentPath() const { return m_document.path(); }
    QString previewPath() const { return m_document.previewPath(); }
    const TextFormat &documentFormat() const { return m_document.format(); }
    EncodingCommands *encodings() const { return m_encodings; }

    // Commands (menu items and buttons run these).
    void newDocument();
    void openDocument();
    bool save();    // Save; false when nothing was written
    bool saveAs();  // Save As; false on cancel or failure
    void openRecent(int index);
    // Opens a file (after the save prompt) unless it is the document already, and
    // selects a stretch of it; false when the user kept the current document.
    bool openAt(const QString &path, int position, int length);
    void startAnotherInstance();
    void pasteFile();
    void pasteRichTextFile();
    void printText();
    void undo();
    void redo();
    void refreshEditMenu();
    void refreshUndoCommands();
    void updateSelectionCommands();

    // The text changed since it was last loaded or saved.
    bool isModified() const { return m_document.isModified(); }
    // Save prompt: false when the calling command must stop.
    bool savePrompt();
    // The undo mode of the history (0 none, 1 files, 2 memory), also kept in Shared::UndoMode.
    void setUndoMode(int mode);
    // When another program changed the document's file: says so and offers to reload.
    void checkDiskChange();

    // Shut-down sequence; false when the user kept the program running.
    bool shutDown();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class EncodingCommands;  // reopens and saves through the window's own steps
    void buildMenus();
    void buildViewMenu();
    QAction *addAction(QMenu *menu, const QString &name, const QString &caption, const QKeySequence &shortcut,
                       std::function<void()> handler);
    // A handler that runs an editing command on the editing area.
    std::function<void()> onEdit(void (*command)(EditArea *));
    void rebuildRecentMenu();
    // Loads a document; false (with a message) when the file exists but cannot be read.
    bool loadDocument(const QString &path, const QString &displayName);
    // Shows what the document just read: text, history, caption, status.
    void showLoaded(const TextFileRead &r);
    // Before Save overwrites the file: asks when another program changed it.
    bool confirmOverwrite();
    // Offers what runs that ended without shutting down left; true when one was restored.
    bool offerRecoveries(const QString &commandLine);
    void restoreDocument(const RecoveredDocument &d);
    // Tells the recovery record which document (path, format) the history belongs to.
    void noteDocument(bool switching = false);
    bool writeDocument(const QString &path);
    void onTextEdited();
    void onTabChanged(int index);
    void showPreview();
    void updateStatus();
    void showCaretPlace();
    // Every character black, as the text is after a colour reset or a load.
    void colourReset();
    static QTextCharFormat resetFormat();

    EditArea *m_edit = nullptr;
    EditView *m_view = nullptr;
    TagCompleter *m_completer = nullptr;
    TagPalette *m_palette = nullptr;
    QTabWidget *m_tabs = nullptr;
    PreviewPane *m_preview = nullptr;
    LivePreview *m_live = nullptr;
    CheckPane *m_checkPane = nullptr;
    EncodingCommands *m_encodings = nullptr;
    QLabel *m_statusCaret = nullptr;
    static constexpr int CaretPlaceMs = 150;
    QTimer m_caretPlaceTimer;
    bool m_caretPlaceDue = false;
    QHash<QString, QAction *> m_actions;
    QHash<QString, QMenu *> m_menus;
    QAction *m_recentSeparator = nullptr;
    QAction *m_s1 = nullptr;
    QList<QAction *> m_recentActions;

    Document m_document;
    RecentFiles m_recent;
    UndoController *m_undo = nullptr;
    QLabel *m_statusModified = nullptr;
    SearchState m_search;
    int m_previousTab = 0;
    bool m_checkingDisk = false;
    std::unique_ptr<Recovery> m_recovery;
    bool m_shutDownDone = false;
    bool m_loading = false;  // a load replaces the history instead of adding to it
};
