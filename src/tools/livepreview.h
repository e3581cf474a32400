#pragma once
// The live preview: the page beside (or below) the editor, shown again after each pause in the
// typing. The text is served from memory through the program's own URL scheme under the
// document's path, so nothing is written to disk; the preview keeps its scroll position, follows
// the editor's caret and scrolling, and a Ctrl+click in it moves the caret to the element's
// source line.
#include "document/textfile.h"
#include "platform/browserview.h"
#include "tools/livesource.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <functional>

class EditArea;
class QSplitter;

class LivePreview : public QObject {
    Q_OBJECT
public:
    // The document the text belongs to: its path (for an untitled one, the template's) and the
    // format it is written in.
    struct Document {
        QString path;
        TextFormat format;
    };
    // The view goes into the splitter, after the editor; it is made the first time the
    // preview is shown.
    LivePreview(EditArea *edit, QSplitter *splitter, std::function<Document()> document, QObject *parent = nullptr);
    ~LivePreview() override;

    // The URL scheme the served copies come through. Must run before the first browser view is
    // made anywhere in the program (main() runs it first thing).
    static void registerScheme();

    void setShown(bool shown);
    bool isShown() const { return m_shown; }
    // The browser view (objectName "LivePreview"); null until the preview was first shown.
    BrowserView *view() const { return m_view; }

    // Serves the current text now instead of after the pause.
    void updateNow();
    // The pause after the last change before an update, in ms (grows with slow renders).
    int delay() const { return m_delay; }
    // A served copy is being prepared or rendered.
    bool isBusy() const { return m_preparing || m_loading; }
    // How long a page at rest may leave a question unanswered before it counts as hung (ms);
    // a page still loading gets ten times as long.
    void setHangTimeout(int ms) { m_hangTimeout = ms; }
    // Whether the shown page is brought up to date in place where it can be (only the parts of
    // its document that changed are replaced or set) rather than loaded again; on by default.
    void setInPlace(bool on) { m_inPlace = on; }
    // The last update shown was made in place.
    bool lastInPlace() const { return m_lastInPlace; }

signals:
    // A served copy finished loading (ok: it was shown), msec after its update started.
    void updated(bool ok, qint64 msec);
    // Something to tell the user in the status bar.
    void statusMessage(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ensureView();
    void textChanged();
    void startUpdate();
    void prepared(const LiveSource::Served &served, const QString &path, quint64 serial);
    void loadWhenReady();
    void fullLoad();
    void patched(const QString &answer);
    void loadEnded(const QUrl &url, bool ok);
    void finishUpdate(bool ok);
    void follow();
    void sourceLineClicked(int line);
    void fitOrientation();
    void restoreSizes();
    void saveSizes();
    bool acceptNavigation(const QUrl &url, int how, bool mainFrame);

    EditArea *m_edit;
    QSplitter *m_splitter;
    std::function<Document()> m_document;
    QPointer<BrowserView> m_view;
    const int m_viewer;  // this preview among the program's
    bool m_shown = false;

    QTimer m_pause;       // runs from the last change to the update
    QTimer m_followTimer; // runs from a caret move or scroll to the following
    QTimer m_hangTimer;   // runs while the page has not answered the probe
    QTimer m_patchTimer;  // runs while the page brings itself up to date in place
    int m_delay;
    int m_hangTimeout = 1000;
    qint64 m_lastRender = 0;  // ms, of the last copy shown

    // The update in progress: preparing the copy (off the GUI thread) and asking the page
    // whether it still answers, then loading it.
    bool m_dirty = false;      // the text changed since it was last served
    bool m_preparing = false;
    bool m_prepared = false;   // a copy is ready to load
    bool m_answered = false;   // the shown page answered the probe
    quint64 m_probe = 0;
    bool m_loading = false;
    bool m_pageExists = false; // a copy was loaded into the page's current renderer
    int m_retries = 0;         // loads to repeat when they fail (after a hung renderer ended)
    quint64 m_serial = 0;         // of the copy prepared last
    quint64 m_loadingSerial = 0;  // of the copy loaded last
    bool m_patching = false;      // the shown document is being brought up to date in place
    bool m_inPlace = true;
    bool m_loadNext = false;      // the next copy is loaded, not brought in place
    bool m_lastInPlace = false;
    bool m_readyStatic = false;   // the prepared copy has no scripts
    bool m_loadingStatic = false; // the copy on its way has none
    bool m_shownStatic = false;   // nor the shown one
    bool m_shownOk = false;       // the last update was shown
    bool m_sameDocument = false;  // the copy on its way is of the document shown before
    quint64 m_shownSerial = 0;    // of the copy the shown document was last brought up to date with
    QByteArray m_readyBytes;
    QByteArray m_readyType;
    QByteArray m_loadingType;
    QByteArray m_shownType;
    QString m_servedPath;      // the document the shown copy belongs to
    QString m_readyPath;
    QUrl m_loadingUrl;
    QUrl m_shownUrl;
    QElapsedTimer m_clock;     // since the update being prepared started
    QElapsedTimer m_loadClock; // since the update being loaded started

    bool m_caretMoved = false;
    bool m_caretSinceLoad = false;
    bool m_scrolled = false;
    bool m_restoringSizes = false;
};
