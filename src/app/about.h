#pragma once
// The About box: product name, version, and a little motion when it goes away.
#include "platform/twips.h"
#include <QDialog>
#include <QList>
#include <QPoint>
#include <QPointer>

class QLabel;
class QTimer;
class ClickLabel;

// Lengths of the window layouts are given in twips (1/1440 inch) and shown at the
// screen's resolution.

// The Century-style serif of the product name, falling back to any serif.
QFont centuryFont(const QFont &base, int pointSize, bool bold, bool italic);
// Shows a picture in a label, scaled down to the label's size keeping its proportions.
void showPicture(QLabel *label, const QString &resource);

// The paths the box and its OK label travel; each list holds the positions after
// each step, so a window shows them one by one as motion.
namespace AboutMotion {
// Slide away: 500 twips right and 500 down per step, for as long as the box's top
// edge is not below the screen's bottom edge.
QList<QPoint> slideAway(QPoint start, int screenBottom, double dpiX, double dpiY);
// Nudge: ten steps of 100 twips left and up.
QList<QPoint> nudge(QPoint start, double dpiX, double dpiY);
// Something dropped on OK: the label's left edge moves 1 twip left, 100 times; no
// movement when the edge already stands left of 0.
QList<int> dropShift(int left, double dpiX);
}

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget *parent = nullptr);
    ~AboutBox() override;

    // Shows the About box without blocking the caller; it deletes itself when it
    // closes. An About box that is already open is brought forward instead.
    static AboutBox *showAbout(QWidget *parent);

    // Handlers of the clickable labels.
    void slideAway();     // "OK": slide away and close
    void nudge();     // the name line: nudge
    void flashContact();     // the contact line: background white, blue, white, ...
    void Label2_DragDrop();  // something dropped on "OK"

    // A movement of the box or of the OK label is still playing.
    bool isMoving() const;
    bool isLeaving() const { return m_leaving; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildControls();
    void playWindowPath(const QList<QPoint> &path);
    void windowStep();
    void labelStep();
    double dpiX() const;
    double dpiY() const;

    QLabel *m_image = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_titleShadow = nullptr;
    QLabel *m_forNote = nullptr;
    QLabel *m_version = nullptr;
    ClickLabel *m_name = nullptr;
    ClickLabel *m_contact = nullptr;
    ClickLabel *m_ok = nullptr;

    QTimer *m_windowTimer = nullptr;
    QList<QPoint> m_windowPath;
    QTimer *m_labelTimer = nullptr;
    QList<int> m_labelPath;
    bool m_leaving = false;
    int m_contactClicks = 0;  // odd: white, even: blue

    static QPointer<AboutBox> s_open;
};
