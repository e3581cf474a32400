#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>
#include <QTextCursor>
#include <QVBoxLayout>
#include <QtTest>

#include "editing/clipboardcmds.h"
#include "platform/editarea.h"

namespace {

QClipboard *board()
{
    return QGuiApplication::clipboard();
}

const QByteArray ColouredRtf =
    "{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fcharset128 \\'82\\'6c\\'82\\'72 Gothic;}}"
    "{\\colortbl;\\red255\\green0\\blue0;}\\f0 plain {\\b\\cf1 \\'90\\'d4}\\par next}";

void putOnClipboard(const QString &text, const QByteArray &rtf = {}, const char *rtfType = "text/rtf")
{
    auto *data = new QMimeData;
    if (!text.isNull())
        data->setText(text);
    if (!rtf.isEmpty())
        data->setData(QString::fromLatin1(rtfType), rtf);
    board()->setMimeData(data);
}

}  // namespace

class TestClipboard : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        board()->clear();
    }

    void copyAndCut()
    {
        EditArea edit;
        edit.setText(QStringLiteral("ab\ncd"));
        putOnClipboard(QStringLiteral("keep"));
        // Nothing selected: neither the text nor the clipboard changes, except that Cut
        // empties the clipboard.
        edit.setSelStart(1);
        for (auto command : {ClipboardCmds::Copy, ClipboardCmds::Copyadd, ClipboardCmds::Cutadd})
            command(&edit);
        QCOMPARE(board()->text(), QStringLiteral("keep"));
        QCOMPARE(edit.text(), QStringLiteral("ab\ncd"));
        ClipboardCmds::Cut(&edit);
        QCOMPARE(board()->text(), QString());
        QCOMPARE(edit.text(), QStringLiteral("ab\ncd"));

        edit.select(0, 1);
        ClipboardCmds::Copy(&edit);
        QCOMPARE(board()->text(), QStringLiteral("a"));
        QCOMPARE(edit.selLength(), 1);
        edit.select(1, 1);
        ClipboardCmds::Copyadd(&edit);
        QCOMPARE(board()->text(), QStringLiteral("ab"));

        QSignalSpy changes(&edit, &EditArea::textEdited);
        edit.select(1, 3);
        ClipboardCmds::Cut(&edit);
        QCOMPARE(board()->text(), QStringLiteral("b\nc"));
        QCOMPARE(edit.text(), QStringLiteral("ad"));
        QCOMPARE(edit.selStart(), 1);
        QCOMPARE(changes.count(), 1);

        edit.select(1, 1);
        ClipboardCmds::Cutadd(&edit);
        QCOMPARE(board()->text(), QStringLiteral("b\ncd"));
        QCOMPARE(edit.text(), QStringLiteral("a"));

        // Appending onto an empty clipboard: just the selection.
        board()->clear();
        edit.select(0, 1);
        ClipboardCmds::Copyadd(&edit);
        QCOMPARE(board()->text(), QStringLiteral("a"));
        board()->clear();
        ClipboardCmds::Cutadd(&edit);
        QCOMPARE(board()->text(), QStringLiteral("a"));
        QCOMPARE(edit.text(), QString());
    }

    void cutAndCopyTakeTheFocus()
    {
        QWidget window;
        auto *edit = new EditArea;
        auto *other = new QLineEdit;
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
        layout->addWidget(other);
        edit->setText(QStringLiteral("abc"));
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const auto focusOtherThenRun = [&](void (*command)(EditArea *)) -> bool {
            other->setFocus();
            if (!QTest::qWaitFor([&] { return other->hasFocus(); }))
                return false;
            edit->select(0, 1);
            command(edit);
            return edit->isEnabled() && edit->hasFocus();
        };
        QVERIFY(focusOtherThenRun(ClipboardCmds::Copy));
        QVERIFY(focusOtherThenRun(ClipboardCmds::Copyadd));
        QVERIFY(focusOtherThenRun(ClipboardCmds::Cutadd));
        QVERIFY(focusOtherThenRun(ClipboardCmds::Cut));
        QCOMPARE(edit->text(), QStringLiteral("c"));
        // Append-cut takes the focus also with nothing selected, and leaves the
        // clipboard as it was; append-copy and copy then do nothing at all.
        const auto focusOtherThenRunEmpty = [&](void (*command)(EditArea *)) -> bool {
            other->setFocus();
            if (!QTest::qWaitFor([&] { return other->hasFocus(); }))
                return false;
            edit->setSelStart(0);
            command(edit);
            return edit->hasFocus();
        };
        putOnClipboard(QStringLiteral("kept"));
        QVERIFY(focusOtherThenRunEmpty(ClipboardCmds::Cutadd));
        QVERIFY(!focusOtherThenRunEmpty(ClipboardCmds::Copyadd));
        QVERIFY(!focusOtherThenRunEmpty(ClipboardCmds::Copy));
        QCOMPARE(board()->text(), QStringLiteral("kept"));
        QCOMPARE(edit->text(), QStringLiteral("c"));
        // Paste does not move the focus.
        QVERIFY(!focusOtherThenRun(ClipboardCmds::Paste));
    }

    void paste()
    {
        EditArea edit;
        edit.setText(QStringLiteral("abc"));
        putOnClipboard(QStringLiteral("1\r\n2\r3"));
        edit.select(1, 1);
        ClipboardCmds::Paste(&edit);
        QCOMPARE(edit.text(), QStringLiteral("a1\n2\n3c"));
        QCOMPARE(edit.selStart(), 6);
        QCOMPARE(edit.selLength(), 0);

        // Rich text on the clipboard: Paste takes its plain text only.
        putOnClipboard(QStringLiteral("x"), ColouredRtf);
        edit.setSelStart(0);
        ClipboardCmds::Paste(&edit);
        QCOMPARE(edit.text(), QStringLiteral("xa1\n2\n3c"));

        // Nothing on the clipboard: the selection stays.
        board()->clear();
        edit.select(0, 2);
        ClipboardCmds::Paste(&edit);
        QCOMPARE(edit.text(), QStringLiteral("xa1\n2\n3c"));
        QCOMPARE(edit.selLength(), 2);
    }

    void ctrlVPastesLikeTheMenu()
    {
        EditArea byMenu, byKey;
        ClipboardCmds::installPasteKeys(&byKey);
        ClipboardCmds::installPasteKeys(&byKey);  // twice is once
        for (EditArea *e : {&byMenu, &byKey}) {
            e->setText(QStringLiteral("abc"));
            e->select(1, 1);
        }
        putOnClipboard(QStringLiteral("p\r\nq"), ColouredRtf);
        QSignalSpy changes(&byKey, &EditArea::textEdited);
        ClipboardCmds::Paste(&byMenu);
        QTest::keyClick(&byKey, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(byKey.text(), byMenu.text());
        QCOMPARE(byKey.text(), QStringLiteral("ap\nqc"));
        QCOMPARE(byKey.selStart(), byMenu.selStart());
        QCOMPARE(changes.count(), 1);
        QTest::keyClick(&byKey, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(byKey.text(), QStringLiteral("ap\nqp\nqc"));
        // The pasted text has the editor's plain look.
        QTextCursor c(byKey.document());
        c.setPosition(2);
        QCOMPARE(c.charFormat().fontWeight(), int(QFont::Normal));
    }

    void pasteRichText_data()
    {
        QTest::addColumn<QByteArray>("type");
        QTest::newRow("text/rtf") << QByteArray("text/rtf");
        QTest::newRow("application/rtf") << QByteArray("application/rtf");
    }

    void pasteRichText()
    {
        QFETCH(QByteArray, type);
        EditArea edit;
        edit.setText(QStringLiteral("[]"));
        edit.setSelStart(1);
        putOnClipboard(QStringLiteral("fallback"), ColouredRtf, type.constData());
        QSignalSpy changes(&edit, &EditArea::textEdited);
        ClipboardCmds::PasteRTF(&edit);
        QCOMPARE(edit.text(), QStringLiteral("[plain 赤\nnext]"));
        QCOMPARE(changes.count(), 1);
        QCOMPARE(edit.selStart(), 13);
        QTextCursor c(edit.document());
        c.setPosition(8);  // after 赤
        QCOMPARE(c.charFormat().fontWeight(), int(QFont::Bold));
        QCOMPARE(c.charFormat().foreground().color(), QColor(255, 0, 0));
        c.setPosition(3);
        QCOMPARE(c.charFormat().fontWeight(), int(QFont::Normal));
    }

    void pasteRichTextWithoutRtf()
    {
        EditArea edit;
        edit.setText(QStringLiteral("abc"));
        // Plain text only, or something that calls itself RTF but is not: the plain text.
        putOnClipboard(QStringLiteral("y"), QByteArray("not rtf at all"));
        edit.select(1, 1);
        ClipboardCmds::PasteRTF(&edit);
        QCOMPARE(edit.text(), QStringLiteral("ayc"));
        // An empty clipboard leaves the selection.
        board()->clear();
        edit.select(1, 1);
        ClipboardCmds::PasteRTF(&edit);
        QCOMPARE(edit.text(), QStringLiteral("ayc"));
        QCOMPARE(edit.selLength(), 1);
    }

    void deleteCommand()
    {
        EditArea edit;
        edit.setText(QStringLiteral("ab\ncd"));
        // Before a line break: the break (one character) goes.
        edit.setSelStart(2);
        ClipboardCmds::del(&edit);
        QCOMPARE(edit.text(), QStringLiteral("abcd"));
        QCOMPARE(edit.selStart(), 2);
        ClipboardCmds::del(&edit);
        QCOMPARE(edit.text(), QStringLiteral("abd"));
        edit.select(0, 2);
        ClipboardCmds::del(&edit);
        QCOMPARE(edit.text(), QStringLiteral("d"));
        // At the end nothing is deleted and nothing changes.
        QSignalSpy changes(&edit, &EditArea::textEdited);
        edit.setSelStart(1);
        ClipboardCmds::del(&edit);
        QCOMPARE(edit.text(), QStringLiteral("d"));
        QCOMPARE(changes.count(), 0);
        // A character beyond U+FFFF is one character too.
        edit.setText(QStringLiteral("a😀b"));
        edit.setSelStart(1);
        ClipboardCmds::del(&edit);
        QCOMPARE(edit.text(), QStringLiteral("ab"));
    }

    void selectionCommands()
    {
        EditArea edit;
        edit.setText(QStringLiteral("line1\nline2"));
        edit.select(3, 2);
        ClipboardCmds::SelAll(&edit);
        QCOMPARE(edit.selStart(), 3);
        QCOMPARE(edit.selText(), QStringLiteral("e1\nline2"));
        ClipboardCmds::SelWhole(&edit);
        QCOMPARE(edit.selStart(), 0);
        QCOMPARE(edit.selLength(), 11);
        ClipboardCmds::SelEnd(&edit);
        QCOMPARE(edit.selStart(), 11);
        QCOMPARE(edit.selLength(), 0);
        ClipboardCmds::SelHome(&edit);
        QCOMPARE(edit.selStart(), 0);
        QCOMPARE(edit.selLength(), 0);
    }

    void insertFileAsRichText()
    {
        QTemporaryDir dir;
        const auto write = [&](const QString &name, const QByteArray &bytes) {
            QFile f(dir.filePath(name));
            return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() ? f.fileName() : QString();
        };
        const QString rtfPath = write(QStringLiteral("a.rtf"), ColouredRtf);
        const QString txtPath = write(QStringLiteral("a.txt"), "{not rtf}");
        QStringList readPlainCalls;
        const auto readPlain = [&](const QString &path) {
            readPlainCalls << path;
            return QStringLiteral("{not rtf}");
        };
        EditArea edit;
        edit.setText(QStringLiteral("[]"));
        edit.setSelStart(1);
        QVERIFY(ClipboardCmds::insertRichTextFile(&edit, rtfPath, readPlain));
        QCOMPARE(edit.text(), QStringLiteral("[plain 赤\nnext]"));
        QVERIFY(readPlainCalls.isEmpty());
        QTextCursor c(edit.document());
        c.setPosition(8);
        QCOMPARE(c.charFormat().fontWeight(), int(QFont::Bold));

        // Any other file is inserted as plain text through the document's reader.
        edit.setSelStart(0);
        QVERIFY(ClipboardCmds::insertRichTextFile(&edit, txtPath, readPlain));
        QCOMPARE(edit.text(), QStringLiteral("{not rtf}[plain 赤\nnext]"));
        QCOMPARE(readPlainCalls, QStringList{txtPath});

        // A file that cannot be read leaves the selection.
        edit.select(0, 3);
        QVERIFY(!ClipboardCmds::insertRichTextFile(&edit, dir.filePath(QStringLiteral("missing.rtf")), readPlain));
        QCOMPARE(edit.selLength(), 3);
    }
};

QTEST_MAIN(TestClipboard)
#include "test_clipboard.moc"
