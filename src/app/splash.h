#pragma once
// The splash window: the first window of the program. It shows the version and the
// progress of the main window's start-up, and closes when start-up has finished.
#include <QWidget>
#include <functional>

class QFrame;
class QLabel;

class SplashWindow : public QWidget {
    Q_OBJECT
public:
    explicit SplashWindow(QWidget *parent = nullptr);

    // The progress report to hand to the main window's start-up: each call shows its
    // text in the progress label; the final, empty text closes the splash window.
    // Safe to call after the window has gone.
    std::function<void(const QString &text, bool yield)> progress();

    // Shows one progress text; "" closes the window.
    void showProgress(const QString &text, bool yield);

    QString progressText() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QFrame *m_frame = nullptr;
    QLabel *m_logo = nullptr;
    QLabel *m_forNote = nullptr;
    QLabel *m_forNoteShadow = nullptr;
    QLabel *m_progress = nullptr;
    QLabel *m_version = nullptr;
    QLabel *m_copyright = nullptr;
};
