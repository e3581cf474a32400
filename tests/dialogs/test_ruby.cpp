// The ruby dialog: the markup forms, and what OK writes.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "dialogs/ruby.h"
#include "dialogs/rubyfrm.h"
#include "platform/editarea.h"
#include "testutil.h"

Q_DECLARE_METATYPE(Ruby::Form)

class TestRuby : public QObject {
    Q_OBJECT
private slots:
    void markup_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("reading");
        QTest::addColumn<Ruby::Form>("form");
        QTest::addColumn<bool>("rp");
        QTest::addColumn<QString>("result");
        QTest::newRow("whole") << "漢字" << "かんじ" << Ruby::Form::Whole << true
                               << "<ruby>漢字<rp>（</rp><rt>かんじ</rt><rp>）</rp></ruby>";
        QTest::newRow("whole, no rp") << "漢字" << "かんじ" << Ruby::Form::Whole << false
                                      << "<ruby>漢字<rt>かんじ</rt></ruby>";
        QTest::newRow("each") << "漢字" << "かん じ" << Ruby::Form::Each << true
                              << "<ruby>漢<rp>（</rp><rt>かん</rt><rp>）</rp>字<rp>（</rp><rt>じ</rt><rp>）</rp></ruby>";
        QTest::newRow("each, full-width space, no rp") << "東京都" << "とう　きょう　と" << Ruby::Form::Each << false
                                                      << "<ruby>東<rt>とう</rt>京<rt>きょう</rt>都<rt>と</rt></ruby>";
        // A character beyond U+FFFF and one with a variation selector count as one each.
        QTest::newRow("each, wide characters") << QString::fromUcs4(U"𠮷葛\U000E0100") << "よし くず" << Ruby::Form::Each
                                               << false
                                               << QString::fromUcs4(U"<ruby>𠮷<rt>よし</rt>葛\U000E0100<rt>くず</rt></ruby>");
        // A reading that does not fit the characters is set over the whole base.
        QTest::newRow("each, not fitting") << "漢字" << "か ん じ" << Ruby::Form::Each << false
                                           << "<ruby>漢字<rt>かんじ</rt></ruby>";
        QTest::newRow("each, one part") << "漢字" << "かんじ" << Ruby::Form::Each << false
                                        << "<ruby>漢字<rt>かんじ</rt></ruby>";
    }

    void markup()
    {
        QFETCH(QString, base);
        QFETCH(QString, reading);
        QFETCH(Ruby::Form, form);
        QFETCH(bool, rp);
        QFETCH(QString, result);
        QCOMPARE(Ruby::markup(base, reading, form, rp), result);
    }

    void dialogInsertsOverTheSelection()
    {
        TestFolders folders;
        EditArea edit;
        edit.setText("前漢字後");
        edit.select(1, 2);
        RubyFrm dialog(&edit);
        QCOMPARE(dialog.objectName(), QString("frmRuby"));
        QCOMPARE(child<QLineEdit>(&dialog, "txtBase")->text(), QString("漢字"));
        auto *whole = child<QRadioButton>(&dialog, "optWhole");
        auto *each = child<QRadioButton>(&dialog, "optEach");
        auto *rp = child<QCheckBox>(&dialog, "chkRp");
        QCOMPARE(whole->text(), QString("まとめて"));
        QCOMPARE(each->text(), QString("一字ずつ"));
        QCOMPARE(rp->text(), QString("括弧 (rp) を付ける"));
        QVERIFY(whole->isChecked());
        QVERIFY(rp->isChecked());
        auto *ok = child<QPushButton>(&dialog, "Command1");
        QVERIFY(!ok->isEnabled());  // no reading yet
        child<QLineEdit>(&dialog, "txtReading")->setText("かん じ");
        QVERIFY(ok->isEnabled());
        each->setChecked(true);
        rp->setChecked(false);
        const QString ruby = "<ruby>漢<rt>かん</rt>字<rt>じ</rt></ruby>";
        QCOMPARE(child<QLabel>(&dialog, "lblMarkup")->text(), ruby);
        QVERIFY(child<QWidget>(&dialog, "picSample"));
        // A reading that does not fit says so.
        child<QLineEdit>(&dialog, "txtReading")->setText("か ん じ");
        QVERIFY(!child<QLabel>(&dialog, "lblHint")->text().isEmpty());
        child<QLineEdit>(&dialog, "txtReading")->setText("かん じ");
        QVERIFY(child<QLabel>(&dialog, "lblHint")->text().isEmpty());
        ok->click();
        QCOMPARE(edit.text(), "前" + ruby + "後");
        QCOMPARE(edit.selStart(), 1 + int(ruby.size()));
    }
};

QTEST_MAIN(TestRuby)
#include "test_ruby.moc"
