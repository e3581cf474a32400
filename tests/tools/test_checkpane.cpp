// The check panel: rows, title, jumping to a spot after edits above it, the full-width
// space fix, cancelling, and the settings it keeps.
#include "testutil.h"
#include "tools/checkpane.h"
#include "platform/editarea.h"

#include <QSignalSpy>
#include <QTreeView>
#include <QtTest>

namespace {

const QString kPage = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>t</title></head><body>\n"
                                     "<p>ｶﾀｶﾅ</p>\n"
                                     "<img\u3000src=\"#\" alt=\"写真\">\n"
                                     "<p>終わり</p>\n</body></html>");

struct Fixture {
    TestFolders folders;
    QString path;
    EditArea edit;
    CheckPane pane{&edit, [this] { return CheckPane::Page{path, "UTF-8"}; }};

    Fixture()
    {
        edit.setText(kPage);
        edit.resize(600, 400);
        edit.show();
        pane.resize(600, 300);
    }
    bool check()
    {
        QSignalSpy done(&pane, &CheckPane::checkFinished);
        pane.showAndCheck();
        return done.wait(20000);
    }
    int rowOf(const QString &messagePart) const
    {
        for (int r = 0; r < pane.model()->rowCount(); ++r)
            if (pane.model()->finding(r).message.contains(messagePart))
                return r;
        return -1;
    }
    QString cell(int row, int column) const
    {
        return pane.model()->index(row, column).data().toString();
    }
};

}

class TestCheckPane : public QObject {
    Q_OBJECT
private slots:
    void rowsAndTitle();
    void activationFollowsEdits();
    void halfWidthSpaceFix();
    void newCheckCancelsRunning();
    void editsDuringTheCheck();
    void anotherPageClearsRows();
    void checkAfterSave();
    void remembersWhetherOpen();
};

void TestCheckPane::rowsAndTitle()
{
    Fixture f;
    QCOMPARE(f.pane.objectName(), QStringLiteral("CheckPane"));
    QVERIFY(f.check());
    const int n = f.pane.model()->rowCount();
    QVERIFY(n >= 2);
    QCOMPARE(f.pane.windowTitle(), QStringLiteral("HTML チェック（%1 件）").arg(n));
    QCOMPARE(f.pane.list()->objectName(), QStringLiteral("CheckList"));
    const int space = f.rowOf(QStringLiteral("全角スペース"));
    QVERIFY(space >= 0);
    QCOMPARE(f.cell(space, CheckModel::LineColumn), QStringLiteral("4"));
    QCOMPARE(f.cell(space, CheckModel::ColumnColumn), QStringLiteral("5"));
    QCOMPARE(f.cell(space, CheckModel::KindColumn), QStringLiteral("エラー"));
    const int kana = f.rowOf(QStringLiteral("半角カタカナ"));
    QCOMPARE(f.cell(kana, CheckModel::KindColumn), QStringLiteral("警告"));
    QVERIFY(kana < space);  // in text order
    QVERIFY(!f.pane.model()->index(space, CheckModel::MessageColumn).data(Qt::ToolTipRole).toString().isEmpty());
}

void TestCheckPane::activationFollowsEdits()
{
    Fixture f;
    QVERIFY(f.check());
    QTreeView *list = f.pane.list();
    QVERIFY(QTest::qWaitForWindowExposed(&f.pane));

    // Three lines typed above the spots after the check.
    f.edit.setSelStart(0);
    f.edit.insert(QStringLiteral("<!-- 1 -->\n<!-- 2 -->\n<!-- 3 -->\n"));
    const int space = f.rowOf(QStringLiteral("全角スペース"));
    QCOMPARE(f.cell(space, CheckModel::LineColumn), QStringLiteral("7"));

    // Double-click selects the full-width space where it is now.
    const QModelIndex index = f.pane.model()->index(space, CheckModel::MessageColumn);
    list->scrollTo(index);
    const QPoint at = list->visualRect(index).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);  // the press a double-click starts with
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(f.edit.selText(), QStringLiteral("\u3000"));
    QCOMPARE(f.edit.selStart(), int(f.edit.text().indexOf(QChar(0x3000))));

    // Enter on another row selects its spot; an edit inside the line before it counts too.
    const int kana = f.rowOf(QStringLiteral("半角カタカナ"));
    const int kanaAt = int(f.edit.text().indexOf(QStringLiteral("ｶﾀｶﾅ")));
    f.edit.setSelStart(kanaAt - 3);  // before "<p>"
    f.edit.insert(QStringLiteral("前置き"));
    list->setFocus();
    list->setCurrentIndex(f.pane.model()->index(kana, 0));
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(f.edit.selText(), QStringLiteral("ｶﾀｶﾅ"));
}

void TestCheckPane::halfWidthSpaceFix()
{
    Fixture f;
    QVERIFY(f.check());
    f.edit.setSelStart(0);
    f.edit.insert(QStringLiteral("\n\n"));
    const int rows = f.pane.model()->rowCount();
    const int space = f.rowOf(QStringLiteral("全角スペース"));
    int edits = 0;
    connect(&f.edit, &EditArea::textEdited, &f.edit, [&] { ++edits; });
    QVERIFY(f.pane.replaceWithHalfWidthSpace(space));
    QCOMPARE(edits, 1);  // one change, one undo step
    QVERIFY(f.edit.text().contains(QStringLiteral("<img src=\"#\"")));
    QVERIFY(!f.edit.text().contains(QChar(0x3000)));
    QCOMPARE(f.pane.model()->rowCount(), rows - 1);
    QCOMPARE(f.pane.windowTitle(), QStringLiteral("HTML チェック（%1 件）").arg(rows - 1));
    // A row whose character was edited away is left alone.
    QVERIFY(!f.pane.replaceWithHalfWidthSpace(f.rowOf(QStringLiteral("半角カタカナ"))));
}

void TestCheckPane::newCheckCancelsRunning()
{
    Fixture f;
    QString big = kPage;
    for (int i = 0; i < 3000; ++i)
        big += QStringLiteral("<p><b>本文</b><i>ｶﾅ</i></p>\n");
    f.edit.setText(big);
    QSignalSpy done(&f.pane, &CheckPane::checkFinished);
    f.pane.startCheck();
    f.pane.startCheck();
    f.edit.setText(kPage);
    f.pane.startCheck();
    QCOMPARE(f.pane.windowTitle(), QStringLiteral("HTML チェック（チェック中…）"));
    QTRY_VERIFY_WITH_TIMEOUT(!f.pane.isRunning(), 20000);
    QCOMPARE(done.count(), 1);  // only the last check shows its rows
    QVERIFY(f.pane.model()->rowCount() < 10);
}

void TestCheckPane::editsDuringTheCheck()
{
    Fixture f;
    QSignalSpy done(&f.pane, &CheckPane::checkFinished);
    f.pane.startCheck();
    f.edit.setSelStart(0);
    f.edit.insert(QStringLiteral("<!-- typed while checking -->\n"));
    QVERIFY(done.wait(20000));
    const int space = f.rowOf(QStringLiteral("全角スペース"));
    f.pane.jumpTo(space);
    QCOMPARE(f.edit.selText(), QStringLiteral("\u3000"));
}

void TestCheckPane::anotherPageClearsRows()
{
    Fixture f;
    f.path = f.folders.path("a.htm");
    QVERIFY(f.check());
    QVERIFY(f.pane.model()->rowCount() > 0);
    f.path = f.folders.path("b.htm");
    f.pane.documentSaved();  // saved under a new name: same page, rows stay
    f.edit.insert(QStringLiteral("x"));
    QVERIFY(f.pane.model()->rowCount() > 0);
    f.path = f.folders.path("c.htm");  // another page is loaded
    f.edit.setText(QStringLiteral("<p>別のページ</p>"));
    QCOMPARE(f.pane.model()->rowCount(), 0);
    QCOMPARE(f.pane.windowTitle(), QStringLiteral("HTML チェック（0 件）"));
}

void TestCheckPane::checkAfterSave()
{
    Fixture f;
    QVERIFY(!f.pane.checkAfterSave());  // off unless asked for
    f.pane.documentSaved();
    QVERIFY(!f.pane.isRunning());
    QVERIFY(!f.pane.isVisible());

    auto *option = f.pane.findChild<QAction *>("CheckAfterSave");
    QVERIFY(option);
    option->trigger();
    QCOMPARE(AppEnv::setting("main", "CheckAfterSave", "0"), QStringLiteral("1"));
    QSignalSpy done(&f.pane, &CheckPane::checkFinished);
    f.pane.documentSaved();
    QVERIFY(f.pane.isVisible());
    QVERIFY(done.wait(20000));

    EditArea other;
    CheckPane again(&other, [] { return CheckPane::Page{}; });
    QVERIFY(again.checkAfterSave());
}

void TestCheckPane::remembersWhetherOpen()
{
    Fixture f;
    QVERIFY(f.check());
    QCOMPARE(AppEnv::setting("main", "CheckPane", "0"), QStringLiteral("1"));
    {
        EditArea other;
        CheckPane next(&other, [] { return CheckPane::Page{}; });
        next.restoreVisibility();
        QVERIFY(next.isVisible());
    }
    f.pane.close();
    QCOMPARE(AppEnv::setting("main", "CheckPane", "0"), QStringLiteral("0"));
    EditArea other;
    CheckPane next(&other, [] { return CheckPane::Page{}; });
    next.restoreVisibility();
    QVERIFY(!next.isVisible());
}

QTEST_MAIN(TestCheckPane)
#include "test_checkpane.moc"
