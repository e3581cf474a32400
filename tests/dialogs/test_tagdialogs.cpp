// The rule, marquee, table and cell dialogs: their design state and what OK writes.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "dialogs/hrfrm.h"
#include "dialogs/marqueefrm.h"
#include "dialogs/tabledialogs.h"
#include "platform/editarea.h"
#include "testutil.h"

namespace {

using Opener = std::function<void(EditArea *, QWidget *)>;

std::unique_ptr<QDialog> make(const QString &name, EditArea *edit)
{
    if (name == "hrfrm")
        return std::make_unique<HrFrm>(edit);
    if (name == "Marqueefrm")
        return std::make_unique<MarqueeFrm>(edit);
    if (name == "hyoufrm")
        return std::make_unique<HyouFrm>(edit);
    return std::make_unique<TdFrm>(edit);
}

// What the user does, one step an entry: "Check1" checks (or selects an option button),
// "Text2=300" types into a box, "List1#1" chooses a list row (-1: none).
void apply(QWidget *w, const QStringList &steps)
{
    for (const QString &step : steps) {
        if (step.contains('='))
            child<QLineEdit>(w, step.section('=', 0, 0))->setText(step.section('=', 1));
        else if (step.contains('#'))
            child<QListWidget>(w, step.section('#', 0, 0))->setCurrentRow(step.section('#', 1).toInt());
        else
            child<QAbstractButton>(w, step)->setChecked(true);
    }
    for (QListWidget *list : w->findChildren<QListWidget *>())
        if (list->currentRow() < 0)
            list->clearSelection();
}

// The selection S of "前S後" is replaced.
void selectS(EditArea &edit)
{
    edit.setText("前S後");
    edit.select(1, 1);
}

}  // namespace

Q_DECLARE_METATYPE(Opener)

class TestTagDialogs : public QObject {
    Q_OBJECT
    TestFolders folders;

private slots:
    // The design state every opening starts from.
    void designState()
    {
        EditArea edit;
        HrFrm hr(&edit);
        QVERIFY(child<QRadioButton>(&hr, "Option2")->isChecked());
        QCOMPARE(child<QListWidget>(&hr, "List1")->currentRow(), -1);
        MarqueeFrm mq(&edit);
        for (const char *list : {"lstAlign", "lstBehavior", "lstDirection"})
            QCOMPARE(child<QListWidget>(&mq, list)->currentRow(), 0);
        HyouFrm table(&edit);
        TdFrm td(&edit);
        QCOMPARE(child<QListWidget>(&td, "List1")->currentRow(), 0);
        QCOMPARE(child<QListWidget>(&td, "List2")->currentRow(), 0);
        // Window names and captions, as the system writes them.
        QCOMPARE(hr.objectName() + " " + hr.windowTitle(), "hrfrm <HR>");
        QCOMPARE(mq.objectName() + " " + mq.windowTitle(), "Marqueefrm marquee");
        QCOMPARE(table.objectName() + " " + table.windowTitle(), "hyoufrm <table>");
        QCOMPARE(td.objectName() + " " + td.windowTitle(), "tdfrm <td>");
        for (QDialog *d : std::initializer_list<QDialog *>{&hr, &mq, &table, &td})
            for (QCheckBox *box : d->findChildren<QCheckBox *>())
                QVERIFY2(!box->isChecked(), qPrintable(d->objectName() + " " + box->objectName()));
    }

    void okWrites_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("written");  // in place of S
        const auto row = [](const char *name, const QString &dialog, const QStringList &steps, const QString &written) {
            QTest::newRow(name) << dialog << steps << written;
        };
        row("hr: nothing checked", "hrfrm", {}, "<hr>");
        row("hr: everything checked", "hrfrm", {"Check1", "Check2", "Check3", "Check4", "List1#1"},
            "<hr size=\"2\" width=\"100%\" align=center noshade>");
        row("hr: pixels", "hrfrm", {"Check2", "Option1", "Text2=300"}, "<hr width=\"300\">");
        row("hr: checked, empty text", "hrfrm", {"Check1", "Text1="}, "<hr size=\"\">");
        row("hr: place without an item", "hrfrm", {"Check4"}, "<hr>");

        row("marquee: nothing checked", "Marqueefrm", {}, "<marquee>S</marquee>");
        row("marquee: behavior and loop", "Marqueefrm", {"chkBehavior", "lstBehavior#2", "chkLoop", "txtLoop=3"},
            "<marquee behavior=\"alternate\" loop=3>S</marquee>");
        row("marquee: everything checked", "Marqueefrm",
            {"chkAlign", "lstAlign#2", "chkBehavior", "chkDirection", "lstDirection#1", "chkHeight", "txtHeight=1",
             "chkWidth", "txtWidth=2", "chkHspace", "txtHspace=3", "chkVspace", "txtVspace=4", "chkLoop", "txtLoop=5",
             "chkScrollamount", "txtScrollamount=6", "chkScrolldelay", "txtScrolldelay=7"},
            "<marquee align=\"right\" behavior=\"scroll\" direction=\"right\" height=1 width=2 hspace=3 vspace=4"
            " loop=5 scrollamount=6 scrolldelay=7>S</marquee>");
        row("marquee: checked, empty text", "Marqueefrm", {"chkWidth", "chkScrolldelay"},
            "<marquee width= scrolldelay=>S</marquee>");
        row("marquee: list without an item", "Marqueefrm", {"chkDirection", "lstDirection#-1"}, "<marquee>S</marquee>");

        row("table: nothing checked", "hyoufrm", {}, "<table>\nS\n</table>");
        row("table: everything checked", "hyoufrm", {"Check1", "Check2", "Check3", "Text2="},
            "<table border=10 cellspacing= cellpadding=2>\nS\n</table>");

        row("td: nothing checked", "tdfrm", {}, "<td>S</td>");
        row("td: colspan and align", "tdfrm", {"Check1", "Check3", "List1#1"}, "<td colspan=2 align=center>S</td>");
        row("td: everything checked", "tdfrm", {"Check1", "Check2", "Check3", "Check4", "Text2=3"},
            "<td colspan=2 rowspan=3 align=left valign=top>S</td>");
        row("td: checked, empty text", "tdfrm", {"Check2", "Text2="}, "<td rowspan=>S</td>");
    }
    void okWrites()
    {
        QFETCH(QString, dialog);
        QFETCH(QStringList, steps);
        QFETCH(QString, written);
        EditArea edit;
        selectS(edit);
        QSignalSpy changes(&edit, &EditArea::textEdited);
        std::unique_ptr<QDialog> d = make(dialog, &edit);
        apply(d.get(), steps);
        const QString ok = dialog == "Marqueefrm" ? "cmdOK" : "Command1";
        QTest::mouseClick(child<QWidget>(d.get(), ok), Qt::LeftButton);
        QCOMPARE(edit.text(), "前" + written + "後");
        QCOMPARE(edit.selStart(), 1 + int(written.size()));
        QCOMPARE(changes.count(), 1);
        QCOMPARE(d->result(), int(QDialog::Accepted));
    }

    // The window's close box inserts nothing, whatever was set.
    void closingInsertsNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<Opener>("open");
        QTest::newRow("hrfrm") << "hrfrm" << Opener(&HrFrm::run);
        QTest::newRow("Marqueefrm") << "Marqueefrm" << Opener(&MarqueeFrm::run);
        QTest::newRow("hyoufrm") << "hyoufrm" << Opener(&HyouFrm::run);
        QTest::newRow("tdfrm") << "tdfrm" << Opener(&TdFrm::run);
    }
    void closingInsertsNothing()
    {
        QFETCH(QString, name);
        QFETCH(Opener, open);
        EditArea edit;
        selectS(edit);
        QSignalSpy changes(&edit, &EditArea::textEdited);
        bool shown = false;
        QTimer::singleShot(0, qApp, [&] {
            QWidget *w = QApplication::activeModalWidget();
            shown = w && w->objectName() == name;
            if (w) {
                for (QCheckBox *box : w->findChildren<QCheckBox *>())
                    box->setChecked(true);
                w->close();
            }
        });
        open(&edit, nullptr);
        QVERIFY(shown);
        QCOMPARE(edit.text(), "前S後");
        QCOMPARE(changes.count(), 0);
    }
};

QTEST_MAIN(TestTagDialogs)
#include "test_tagdialogs.moc"
