// The table wizard: cell and table text, the grid, the cell panel and the modal chain.
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "dialogs/tablecells.h"
#include "dialogs/tablewizard.h"
#include "platform/editarea.h"
#include "platform/shared.h"
#include "platform/twips.h"
#include "testutil.h"

Q_DECLARE_METATYPE(CellState)

namespace {

QWidget *shownWindow(const QString &name)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            return w;
    return nullptr;
}

// Runs fn on the window once it is shown (by a modal exec further up the stack). If it
// never shows, every open dialog is closed so that the test fails instead of hanging.
void whenShown(const QString &name, const std::function<void(QWidget *)> &fn, int tries = 0)
{
    QTimer::singleShot(0, qApp, [=] {
        if (QWidget *w = shownWindow(name)) {
            fn(w);
            return;
        }
        if (tries < 500) {
            whenShown(name, fn, tries + 1);
            return;
        }
        qWarning("window %s never showed", qPrintable(name));
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<QDialog *>(w) && w->isVisible())
                w->close();
    });
}

void click(QWidget *w, const QString &name)
{
    QTest::mouseClick(child<QWidget>(w, name), Qt::LeftButton);
}

QString lbl(int index)
{
    return QStringLiteral("SelLbl(%1)").arg(index);
}

QColor labelColor(QWidget *w, int index)
{
    return child<QLabel>(w, lbl(index))->palette().color(QPalette::Window);
}

const QString OneByOne = QStringLiteral("<table>\n<tr>\n<td></td>\n</tr>\n</table>");

}  // namespace

class TestTableWizard : public QObject {
    Q_OBJECT
    TestFolders folders;

    static TableSpec table(int columns, int rows, const QString &start = QStringLiteral("<table>"))
    {
        TableSpec chosen;
        chosen.columns = columns;
        chosen.rows = rows;
        chosen.startTag = start;
        return chosen;
    }

private slots:
    void init()
    {
        Shared::TableColumns = Shared::TableRows = 0;
        Shared::TableStartTag.clear();
    }

    // ---------------------------------------------------------------- text logic

    void cellHtml_data()
    {
        QTest::addColumn<CellState>("cell");
        QTest::addColumn<QString>("html");
        CellState header;
        header.dataCell = false;
        header.nowrap = 1;
        header.content = "見出し";
        QTest::newRow("header, content, nowrap") << header << "<th nowrap>見出し</th>";
        CellState sizes;
        sizes.widthOn = sizes.heightOn = 1;
        sizes.widthText = "50%";
        sizes.heightText = "20";
        QTest::newRow("height before width") << sizes << "<td height=20 width=50%></td>";
        CellState noItem;
        noItem.alignOn = noItem.valignOn = 1;
        QTest::newRow("align checked, no item") << noItem << "<td></td>";
        CellState all = sizes;
        all.alignOn = all.valignOn = all.nowrap = 1;
        all.alignIndex = 1;
        all.valignIndex = 2;
        all.widthText = "";  // written as typed
        QTest::newRow("everything") << all << "<td align=\"center\" valign=\"bottom\" nowrap height=20 width=></td>";
        CellState unchecked;
        unchecked.alignIndex = unchecked.valignIndex = 0;
        unchecked.widthText = "1";
        QTest::newRow("values without their check boxes") << unchecked << "<td></td>";
    }
    void cellHtml()
    {
        QFETCH(CellState, cell);
        QTEST(buildCellHtml(cell), "html");
    }

    void gridLayout()
    {
        QCOMPARE(gridCellTwips(4, 3, 1, 2), QRectF(1620, 1500, 1480, 580));
        QCOMPARE(gridCellTwips(1, 1, 0, 0), QRectF(120, 300, 5980, 1780));
        // Cells never overlap and stay inside the 6000 × 1800 area, for every size.
        const QRect area(Twips::toPixels(120), Twips::toPixels(300), Twips::toPixels(6000), Twips::toPixels(1800));
        for (int cols = 1; cols <= MaxTableSize; ++cols) {
            for (int rows = 1; rows <= MaxTableSize; ++rows) {
                for (int c = 0; c < cols; ++c) {
                    for (int r = 0; r < rows; ++r) {
                        const QRect cell = gridCellPixels(cols, rows, c, r);
                        QVERIFY2(area.contains(cell), qPrintable(QString("%1x%2 (%3,%4)").arg(cols).arg(rows).arg(c).arg(r)));
                        QVERIFY(!cell.isEmpty());
                        if (c + 1 < cols)
                            QVERIFY(!cell.intersects(gridCellPixels(cols, rows, c + 1, r)));
                        if (r + 1 < rows)
                            QVERIFY(!cell.intersects(gridCellPixels(cols, rows, c, r + 1)));
                    }
                }
            }
        }
    }

    // ---------------------------------------------------------------- step 1

    // The arrow keys move each bar the way it is drawn: Right and Down add a column or
    // a row, Left and Up take one away, and the label follows.
    void sizeByKeyboard()
    {
        Wiz1Frm w(nullptr);
        QCOMPARE(w.windowTitle(), "テーブルウィザート");
        auto *columns = child<QScrollBar>(&w, "HScroll1");
        auto *rows = child<QScrollBar>(&w, "VScroll1");
        auto *label = child<QLabel>(&w, "Label1");
        QTest::keyClick(columns, Qt::Key_Right);
        QTest::keyClick(columns, Qt::Key_Right);
        QTest::keyClick(rows, Qt::Key_Down);
        QCOMPARE(label->text(), "3,2");
        QTest::keyClick(columns, Qt::Key_Left);
        QTest::keyClick(rows, Qt::Key_Up);
        QTest::keyClick(rows, Qt::Key_Up);
        QCOMPARE(label->text(), "2,1");
        QTest::keyClick(columns, Qt::Key_End);
        QTest::keyClick(columns, Qt::Key_Right);
        QCOMPARE(columns->value(), MaxTableSize);
        QCOMPARE(label->text(), "10,1");
    }

    // ---------------------------------------------------------------- step 3

    void gridOnLoad()
    {
        Wiz3Frm w(table(4, 3));
        w.show();
        QCOMPARE(w.windowTitle(), "テーブルウィザート");
        QCOMPARE(child<QGroupBox>(&w, "Frame1")->title(), "選択セル(1,1)");
        int visible = 0;
        for (int i = 0; i < 100; ++i) {
            auto *label = child<QLabel>(&w, lbl(i));
            const bool inside = gridColumn(i) < 4 && gridRow(i) < 3;
            QCOMPARE(label->isVisible(), inside);
            visible += label->isVisible();
            if (inside) {
                QCOMPARE(label->geometry(), gridCellPixels(4, 3, gridColumn(i), gridRow(i)));
                QCOMPARE(w.cellHtml(gridColumn(i), gridRow(i)), "<td></td>");
            }
        }
        QCOMPARE(visible, 12);
        QCOMPARE(labelColor(&w, 0), QColor(0, 0, 255));
        QCOMPARE(labelColor(&w, 1), w.palette().color(QPalette::Base));
        // The panel at load: the first list items are chosen.
        QCOMPARE(child<QListWidget>(&w, "lstAlign")->currentRow(), 0);
        QCOMPARE(child<QListWidget>(&w, "lstValign")->currentRow(), 0);
        // The grid area fits above the panel.
        QVERIFY(w.width() >= Twips::toPixels(6120));
        QVERIFY(child<QGroupBox>(&w, "Frame1")->geometry().top() >= Twips::toPixels(2100));
    }

    // Step 3 opened with sizes outside 1..10 keeps to the grid it has.
    void sizeOutOfRange()
    {
        Wiz3Frm w(table(0, 12));
        w.show();
        int visible = 0;
        for (QLabel *l : w.findChildren<QLabel *>())
            visible += l->objectName().startsWith("SelLbl") && l->isVisible();
        QCOMPARE(visible, 10);
        click(&w, "Command1");
        QVERIFY(w.table());
        QCOMPARE(w.table()->count("<tr>"), 10);
        QCOMPARE(w.table()->count("<td></td>"), 10);
    }

    void clickingCells()
    {
        Wiz3Frm w(table(4, 3));
        w.show();
        click(&w, lbl(12));  // third column, second row
        QCOMPARE(child<QGroupBox>(&w, "Frame1")->title(), "選択セル(3,2)");
        QCOMPARE(w.currentColumn(), 2);
        QCOMPARE(w.currentRow(), 1);
        QCOMPARE(labelColor(&w, 12), QColor(0, 0, 255));
        QCOMPARE(labelColor(&w, 0), QColor(Qt::white));
        QCOMPARE(labelColor(&w, 23), QColor(Qt::white));
        // A label outside the chosen size does nothing.
        w.selectCell(4);
        QCOMPARE(w.currentColumn(), 2);
        // Arrow keys move along the grid and stop at its edges.
        QTest::keyClick(child<QWidget>(&w, lbl(12)), Qt::Key_Right);
        QCOMPARE(child<QGroupBox>(&w, "Frame1")->title(), "選択セル(4,2)");
        QTest::keyClick(child<QWidget>(&w, lbl(13)), Qt::Key_Right);
        QCOMPARE(w.currentColumn(), 3);
        QTest::keyClick(child<QWidget>(&w, lbl(13)), Qt::Key_Down);
        QCOMPARE(child<QGroupBox>(&w, "Frame1")->title(), "選択セル(4,3)");
    }

    void settingsKeptPerCell()
    {
        Wiz3Frm w(table(2, 1));
        w.show();
        child<QRadioButton>(&w, "sel2")->setChecked(true);
        child<QCheckBox>(&w, "chkAlign")->setChecked(true);
        child<QListWidget>(&w, "lstAlign")->setCurrentRow(1);
        child<QCheckBox>(&w, "chkWidth")->setChecked(true);
        child<QLineEdit>(&w, "txtWidth")->setText("30");
        child<QLineEdit>(&w, "Text1")->setText("名前");
        const CellState entered = w.panelState();

        click(&w, lbl(1));
        // Never visited: data cell, nothing checked, no list selection, empty texts.
        QCOMPARE(w.panelState(), CellState());
        QCOMPARE(w.cellHtml(0, 0), "<th align=\"center\" width=30>名前</th>");
        QCOMPARE(w.cellSettings(0, 0), entered);

        child<QCheckBox>(&w, "chkNowrap")->setChecked(true);
        click(&w, lbl(0));
        QCOMPARE(w.panelState(), entered);
        QVERIFY(child<QRadioButton>(&w, "sel2")->isChecked());
        click(&w, lbl(1));
        QVERIFY(child<QCheckBox>(&w, "chkNowrap")->isChecked());
        QCOMPARE(child<QListWidget>(&w, "lstAlign")->currentRow(), -1);
    }

    // The grid shows what each cell holds, so the user sees which cells are done.
    void gridShowsCellContents()
    {
        Wiz3Frm w(table(3, 2));
        w.show();
        auto *first = child<QLabel>(&w, lbl(0));
        auto *second = child<QLabel>(&w, lbl(1));
        QCOMPARE(first->text(), QString());
        // The current cell follows the panel while the user types.
        child<QLineEdit>(&w, "Text1")->setText("品名");
        QCOMPARE(first->text(), "品名");
        child<QRadioButton>(&w, "sel2")->setChecked(true);
        QVERIFY(first->font().bold());
        click(&w, lbl(1));
        QCOMPARE(first->text(), "品名");
        QVERIFY(first->font().bold());
        QCOMPARE(first->palette().color(QPalette::WindowText), QColor(Qt::black));
        QCOMPARE(second->palette().color(QPalette::WindowText), QColor(Qt::white));  // on blue
        // A long content is shortened to the cell; a header cell without content says so.
        const QString longText = QString(40, QChar(0x3042));
        child<QLineEdit>(&w, "Text1")->setText(longText);
        QVERIFY(second->text().endsWith(QChar(0x2026)));
        QVERIFY(second->fontMetrics().horizontalAdvance(second->text()) <= second->contentsRect().width());
        child<QRadioButton>(&w, "sel2")->setChecked(true);
        child<QLineEdit>(&w, "Text1")->clear();
        QCOMPARE(second->text(), "見出し");
        // What is shown is display only: the cell HTML and the colours of the grid are as before.
        click(&w, lbl(10));
        QCOMPARE(w.cellHtml(0, 0), "<th>品名</th>");
        QCOMPARE(w.cellHtml(1, 0), "<th></th>");
        QCOMPARE(labelColor(&w, 1), QColor(Qt::white));
        QCOMPARE(labelColor(&w, 10), QColor(0, 0, 255));
        // The chosen list item stays marked while the focus is elsewhere.
        auto *align = child<QListWidget>(&w, "lstAlign");
        QCOMPARE(align->palette().color(QPalette::Inactive, QPalette::Highlight),
                 align->palette().color(QPalette::Active, QPalette::Highlight));
    }

    void okWritesTheTable()
    {
        Wiz3Frm w(table(2, 2, "<table border=1>"));
        w.show();
        // The first cell's lists start with their first item: align checked means "left".
        child<QCheckBox>(&w, "chkAlign")->setChecked(true);
        // Visited and left: written as it was left.
        click(&w, lbl(1));
        child<QRadioButton>(&w, "sel2")->setChecked(true);
        child<QCheckBox>(&w, "chkNowrap")->setChecked(true);
        child<QLineEdit>(&w, "Text1")->setText("見出し");
        // Never visited before: align checked without an item writes no align.
        click(&w, lbl(11));
        child<QCheckBox>(&w, "chkAlign")->setChecked(true);
        child<QCheckBox>(&w, "chkWidth")->setChecked(true);
        child<QLineEdit>(&w, "txtWidth")->setText("40");
        child<QCheckBox>(&w, "chkHeight")->setChecked(true);
        child<QLineEdit>(&w, "txtHeight")->setText("10");
        // The current cell is written at OK, without leaving it.
        click(&w, "Command1");
        QCOMPARE(w.table().value_or(QString()),
                 QString("<table border=1>\n<tr>\n<td align=\"left\"></td><th nowrap>見出し</th>\n</tr>\n"
                         "<tr>\n<td></td><td height=10 width=40></td>\n</tr>\n</table>"));
        QCOMPARE(w.result(), int(QDialog::Accepted));
    }

    // ---------------------------------------------------------------- the chain

    void oneByOneWithoutOptions()
    {
        EditArea edit;
        edit.setText("xy");
        edit.setSelStart(1);
        QSignalSpy changes(&edit, &EditArea::textEdited);
        bool sawAll = false;
        QString size;
        whenShown("Wiz1frm", [&](QWidget *w1) {
            size = child<QLabel>(w1, "Label1")->text();
            click(w1, "Command1");
        });
        whenShown("Wiz2frm", [&](QWidget *w2) { click(w2, "Command1"); });
        whenShown("Wiz3frm", [&](QWidget *w3) {
            sawAll = true;
            click(w3, "Command1");
        });
        Wiz1Frm::run(&edit, nullptr);
        QVERIFY(sawAll);
        QCOMPARE(size, "1,1");
        QCOMPARE(edit.text(), "x" + OneByOne + "y");
        QCOMPARE(changes.count(), 1);  // the whole table is one change of the text
        QCOMPARE(Shared::TableColumns, 1);
        QCOMPARE(Shared::TableRows, 1);
        QCOMPARE(Shared::TableStartTag, "<table>");
        QVERIFY(!shownWindow("Wiz1frm") && !shownWindow("Wiz2frm") && !shownWindow("Wiz3frm"));
    }

    void fullChain()
    {
        EditArea edit;
        bool step1Hidden = false, step2Hidden = false;
        int labels = -1;
        QString step2Title, size;
        whenShown("Wiz1frm", [&](QWidget *w1) {
            child<QScrollBar>(w1, "HScroll1")->setValue(4);
            child<QScrollBar>(w1, "VScroll1")->setValue(3);
            size = child<QLabel>(w1, "Label1")->text();
            whenShown("Wiz2frm", [&, w1](QWidget *w2) {
                step1Hidden = !w1->isVisible();
                step2Title = w2->windowTitle();
                for (const char *name : {"Check1", "Check2", "Check3"})
                    child<QCheckBox>(w2, name)->setChecked(true);
                whenShown("Wiz3frm", [&, w2](QWidget *w3) {
                    step2Hidden = !w2->isVisible();
                    labels = 0;
                    for (QLabel *l : w3->findChildren<QLabel *>())
                        labels += l->objectName().startsWith("SelLbl") && l->isVisible();
                    click(w3, lbl(12));
                    child<QLineEdit>(w3, "Text1")->setText("c");
                    click(w3, "Command1");
                });
                click(w2, "Command1");
            });
            click(w1, "Command1");
        });
        Wiz1Frm::run(&edit, nullptr);
        QCOMPARE(size, "4,3");
        QVERIFY(step1Hidden);
        QVERIFY(step2Hidden);
        QCOMPARE(step2Title, "テーブルウィザード");
        QCOMPARE(labels, 12);
        QCOMPARE(Shared::TableStartTag, "<table border=10 cellspacing=5 cellpadding=2>");
        const QString empty4 = "<td></td><td></td><td></td><td></td>";
        QCOMPARE(edit.text(), "<table border=10 cellspacing=5 cellpadding=2>\n"
                              "<tr>\n" + empty4 + "\n</tr>\n"
                              "<tr>\n<td></td><td></td><td>c</td><td></td>\n</tr>\n"
                              "<tr>\n" + empty4 + "\n</tr>\n</table>");
    }

    void closingEndsTheChain_data()
    {
        QTest::addColumn<int>("step");
        QTest::newRow("step 1") << 1;
        QTest::newRow("step 2") << 2;
        QTest::newRow("step 3") << 3;
    }
    void closingEndsTheChain()
    {
        QFETCH(int, step);
        EditArea edit;
        edit.setText("keep");
        edit.select(0, 4);
        QSignalSpy changes(&edit, &EditArea::textEdited);
        int reached = 0;
        const auto visit = [&](int n) {
            return [&, n](QWidget *w) {
                reached = n;
                if (n == step)
                    w->close();  // the window's close box
                else
                    click(w, "Command1");
            };
        };
        whenShown("Wiz1frm", visit(1));
        if (step >= 2)
            whenShown("Wiz2frm", visit(2));
        if (step >= 3)
            whenShown("Wiz3frm", visit(3));
        Wiz1Frm::run(&edit, nullptr);
        QCOMPARE(reached, step);
        QCOMPARE(edit.text(), "keep");
        QCOMPARE(changes.count(), 0);
        QVERIFY(!shownWindow("Wiz1frm") && !shownWindow("Wiz2frm") && !shownWindow("Wiz3frm"));
    }
};

QTEST_MAIN(TestTableWizard)
#include "test_tablewizard.moc"
