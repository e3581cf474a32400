#pragma once
// The help window: the program's help pages (the folder "help" beside the program)
// in a browser, beside the main window. One window at most.
#include <QPointer>
#include <QUrl>
#include <QWidget>

class BrowserView;
class QPushButton;

class HelpViewer : public QWidget {
    Q_OBJECT
public:
    // Opens the help window at the start page, or brings the open one forward without
    // changing its page. When the start page is missing, says so and returns nullptr.
    static HelpViewer *showHelp(QWidget *parent);
    // The open help window, if any.
    static HelpViewer *instance();
    // help/help.htm in the program folder.
    static QString startPage();

    ~HelpViewer() override;

    void showContents();  // "目次": the start page again
    void goBack();  // "戻る": one page back; nothing when there is none
    void navigate(const QUrl &url);

    QUrl currentUrl() const;
    BrowserView *browser() const { return m_browser; }

signals:
    void pageLoaded(bool ok);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    explicit HelpViewer(QWidget *parent);
    void fit();

    QPushButton *m_contents = nullptr;
    QPushButton *m_back = nullptr;
    BrowserView *m_browser = nullptr;

    static QPointer<HelpViewer> s_open;
};
