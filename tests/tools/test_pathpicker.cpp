// The link path picker: folder rules, the five modes, the size display, the file
// list and its filters, the previews and what the buttons hand back.
#include "platform/previewpane.h"
#include "platform/shared.h"
#include "testutil.h"
#include "tools/pathfrm.h"
#include "tools/pathlogic.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using PathLogic::Mode;

Q_DECLARE_METATYPE(PathLogic::Mode)
Q_DECLARE_METATYPE(std::optional<QString>)

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

void writePicture(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(320, 200, QImage::Format_RGB32);
    image.fill(QColor(40, 90, 160));
    QPainter p(&image);
    p.setBrush(QColor(250, 200, 40));
    p.drawEllipse(QPoint(160, 100), 70, 70);
    p.end();
    QVERIFY(image.save(path, "JPG"));
}

QStringList entries(QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

}

class TestPathPicker : public QObject {
    Q_OBJECT
private slots:
    void folders_data();
    void folders();
    void modes_data();
    void modes();
    void kilobytes_data();
    void kilobytes();
    void previewKinds();
    void textPreview();

    void opening();
    void openingInRoot();
    void eachModeListsItsFolder();
    void folderNameWithSpacesAndJapanese();
    void sizeDisplay();
    void filters();
    void doubleClickFillsTheModesBox();
    void cancelAndCloseLeaveNothing();
    void previews();

private:
    QTemporaryDir m_dir;
    QString site() const { return m_dir.path() + "/web/site"; }
};

// ---- folder rules and composing ----

void TestPathPicker::folders_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("working");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("upper");
    QTest::newRow("subfolder") << "/home/web/site/index.htm" << "/x" << "/home/web/site" << "/home/web";
    QTest::newRow("below root") << "/web/index.htm" << "/x" << "/web" << "/";
    QTest::newRow("root") << "/index.htm" << "/x" << "/" << "";
    QTest::newRow("bare name") << "index.htm" << "/home/u" << "/home/u" << "/home";
    QTest::newRow("bare name, working root") << "index.htm" << "/" << "/" << "";
    QTest::newRow("relative folder") << "site/index.htm" << "/home/u" << "/home/u/site" << "/home/u";
    QTest::newRow("doubled separators") << "/home//web/./index.htm" << "/x" << "/home/web" << "/home";
    QTest::newRow("Japanese and spaces") << "/home/ホーム ページ/a.htm" << "/x" << "/home/ホーム ページ" << "/home";
}

void TestPathPicker::folders()
{
    QFETCH(QString, document);
    QFETCH(QString, working);
    QFETCH(QString, current);
    QFETCH(QString, upper);
    const PathLogic::Folders f = PathLogic::foldersOf(document, working);
    QCOMPARE(f.current, current);
    QCOMPARE(f.upper, upper);
    QCOMPARE(f.hasUpper(), !upper.isEmpty());
}

void TestPathPicker::modes_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<QStringList>("typed");  // Text1 … Text7
    QTest::addColumn<QString>("path");
    QTest::addColumn<std::optional<QString>>("listed");

    const QStringList none = {"", "", "", "", "", "", ""};
    const QStringList full = {"a.htm", "img", "b.gif", "c.htm", "pic", "d.jpg", "//example.jp/"};
    const std::optional<QString> off;
    struct Place {
        const char *tag;
        QString doc, current, upper;
    };
    const Place places[] = {{"subfolder", "/w/web/site/index.htm", "/w/web/site", "/w/web"},
                            {"below root", "/web/index.htm", "/web", "/"},
                            {"root", "/index.htm", "/", ""}};
    for (const Place &p : places) {
        const bool hasUpper = !p.upper.isEmpty();
        auto upperJoin = [&](const QString &n) { return p.upper == "/" ? "/" + n : p.upper + "/" + n; };
        auto currentJoin = [&](const QString &n) { return p.current == "/" ? "/" + n : p.current + "/" + n; };
        auto row = [&](const char *what) -> QTestData & {
            return QTest::newRow(qPrintable(QString("%1: %2").arg(p.tag, what)));
        };
        row("same") << p.doc << Mode::Same << full << "a.htm" << std::optional<QString>(p.current);
        row("sub") << p.doc << Mode::Sub << full << "img/b.gif" << std::optional<QString>(currentJoin("img"));
        row("parent") << p.doc << Mode::Parent << full << "../c.htm"
                      << (hasUpper ? std::optional<QString>(p.upper) : off);
        row("sibling") << p.doc << Mode::Sibling << full << "../pic/d.jpg"
                       << (hasUpper ? std::optional<QString>(upperJoin("pic")) : off);
        row("absolute") << p.doc << Mode::Absolute << full << "http://example.jp/" << off;
    }
    QTest::newRow("empty: same") << "/w/a.htm" << Mode::Same << none << "" << std::optional<QString>("/w");
    QTest::newRow("empty: sub") << "/w/a.htm" << Mode::Sub << none << "/" << off;
    QTest::newRow("empty: parent") << "/w/a.htm" << Mode::Parent << none << "../" << std::optional<QString>("/");
    QTest::newRow("empty: sibling") << "/w/a.htm" << Mode::Sibling << none << "..//" << off;
    QTest::newRow("empty: absolute") << "/w/a.htm" << Mode::Absolute << none << "http:" << off;
    QTest::newRow("sub without file") << "/w/a.htm" << Mode::Sub << QStringList{"", "img", "", "", "", "", ""}
                                      << "img/" << std::optional<QString>("/w/img");
}

void TestPathPicker::modes()
{
    QFETCH(QString, document);
    QFETCH(Mode, mode);
    QFETCH(QStringList, typed);
    QFETCH(QString, path);
    QFETCH(std::optional<QString>, listed);
    PathLogic::Texts t;
    for (int i = 1; i <= 7; ++i)
        t[i] = typed[i - 1];
    QCOMPARE(PathLogic::composePath(mode, t), path);
    QCOMPARE(PathLogic::listFolder(mode, PathLogic::foldersOf(document, "/"), t), listed);
}

void TestPathPicker::kilobytes_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << qint64(0) << "0";
    QTest::newRow("999") << qint64(999) << "0.999";
    QTest::newRow("1000") << qint64(1000) << "1";
    QTest::newRow("1234567") << qint64(1234567) << "1,234.567";
    QTest::newRow("1000000") << qint64(1000000) << "1,000";
    QTest::newRow("1234567890") << qint64(1234567890) << "1,234,567.89";
}

void TestPathPicker::kilobytes()
{
    QFETCH(qint64, bytes);
    QFETCH(QString, text);
    QCOMPARE(PathLogic::kilobytesText(bytes), text);
    QCOMPARE(PathLogic::sizeLabel(bytes), "ﾌｧｲﾙｻｲｽﾞ＝\n" + text + "ｷﾛﾊﾞｲﾄ");
}

void TestPathPicker::previewKinds()
{
    using K = PathLogic::PreviewKind;
    for (const char *page : {"a.htm", "a.html", "INDEX.HTM"})
        QCOMPARE(PathLogic::previewKindOf(page), K::Page);
    for (const char *picture : {"a.jpg", "a.jpeg", "a.gif", "a.bmp", "a.ico", "PHOTO.JPG", "a.png"})
        QCOMPARE(PathLogic::previewKindOf(picture), K::Picture);
    for (const char *text : {"a.txt", "style.css", "README", "a."})
        QCOMPARE(PathLogic::previewKindOf(text), K::Text);
}

void TestPathPicker::textPreview()
{
    QStringList lines;
    for (int i = 1; i <= 20; ++i)
        lines << QString("行%1").arg(i);
    const QString twenty = m_dir.path() + "/twenty.txt";
    writeFile(twenty, lines.join("\r\n").toUtf8() + "\r\n");
    QCOMPARE(PathLogic::textPreview(twenty), lines.mid(0, 15).join("\n"));

    // Shift_JIS text is decoded as a document would be.
    const QString sjis = m_dir.path() + "/sjis.txt";
    writeFile(sjis, QByteArray("\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd\x82\xc5\x82\xb7\x81\x42\r\n"
                               "\x82\xe0\x82\xa4\x88\xea\x8d\x73\x81\x42\r\n"));
    QCOMPARE(PathLogic::textPreview(sjis), QString("日本語の文章です。\nもう一行。"));

    QCOMPARE(PathLogic::textPreview(m_dir.path() + "/missing.txt"), QString());
}

// ---- the window ----

void TestPathPicker::opening()
{
    writeFile(site() + "/index.htm", "<html></html>");
    writeFile(site() + "/b.txt", "b");
    Shared::DocumentPath = site() + "/index.htm";
    Shared::PickedPath = "old";

    PathFrm dlg;
    QCOMPARE(dlg.objectName(), QString("PathFrm"));
    QCOMPARE(dlg.windowTitle(), QString("パス名"));
    QCOMPARE(child<QLabel>(&dlg, "Label2")->text(), "現在ディレクトリ=" + site());
    QCOMPARE(child<QLabel>(&dlg, "Label5")->text(), "上層ディレクトリ=" + m_dir.path() + "/web");
    QVERIFY(child<QRadioButton>(&dlg, "Option1")->isChecked());
    QVERIFY(child<QRadioButton>(&dlg, "Option4")->isEnabled());
    auto *file1 = child<QListWidget>(&dlg, "File1");
    QVERIFY(file1->isEnabled());
    QCOMPARE(file1->currentRow(), 0);
    QCOMPARE(child<QLabel>(&dlg, "Label6")->text(), PathLogic::sizeLabel(1));
    auto *ok = child<QPushButton>(&dlg, "Command2");
    QCOMPARE(ok->text(), QString("default/default.gif"));

    QTest::mouseClick(ok, Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(Shared::PickedPath, QString("default/default.gif"));
}

void TestPathPicker::openingInRoot()
{
    Shared::DocumentPath = "/index.htm";
    PathFrm dlg;
    QCOMPARE(child<QLabel>(&dlg, "Label2")->text(), QString("現在ディレクトリ=/"));
    QCOMPARE(child<QLabel>(&dlg, "Label5")->text(), QString("上層ディレクトリ=なし"));
    QVERIFY(!child<QRadioButton>(&dlg, "Option3")->isEnabled());
    QVERIFY(!child<QRadioButton>(&dlg, "Option4")->isEnabled());
}

void TestPathPicker::eachModeListsItsFolder()
{
    writeFile(site() + "/index.htm", "x");
    writeFile(site() + "/img/b.gif", "gif");
    writeFile(m_dir.path() + "/web/top.htm", "top");
    writeFile(m_dir.path() + "/web/img/a.gif", "gif");
    Shared::DocumentPath = site() + "/index.htm";
    PathFrm dlg;
    auto *file1 = child<QListWidget>(&dlg, "File1");
    auto text = [&](int i) { return child<QLineEdit>(&dlg, QString("Text%1").arg(i)); };
    auto option = [&](int i) { return child<QRadioButton>(&dlg, QString("Option%1").arg(i)); };
    auto enabledBoxes = [&] {
        QString on;
        for (int i = 1; i <= 7; ++i)
            on += text(i)->isEnabled() ? QString::number(i) : QString();
        return on;
    };

    option(2)->click();
    QCOMPARE(enabledBoxes(), QString("23"));
    QVERIFY(!file1->isEnabled());
    // Typing the folder letter by letter keeps the list off until the name exists.
    QTest::keyClicks(text(2), "im");
    QVERIFY(!file1->isEnabled());
    QTest::keyClicks(text(2), "g");
    QVERIFY(file1->isEnabled());
    QCOMPARE(dlg.listedFolder(), site() + "/img");
    QCOMPARE(entries(file1), QStringList{"b.gif"});

    option(3)->click();
    QCOMPARE(enabledBoxes(), QString("4"));
    QCOMPARE(dlg.listedFolder(), m_dir.path() + "/web");
    QCOMPARE(entries(file1), QStringList{"top.htm"});

    option(4)->click();
    QCOMPARE(enabledBoxes(), QString("56"));
    QVERIFY(!file1->isEnabled());
    text(5)->setText("img");
    text(6)->setText("a.gif");
    QCOMPARE(dlg.path(), QString("../img/a.gif"));
    QCOMPARE(dlg.listedFolder(), m_dir.path() + "/web/img");
    QVERIFY(file1->isEnabled());

    option(5)->click();
    QCOMPARE(enabledBoxes(), QString("7"));
    QVERIFY(!file1->isEnabled());

    option(1)->click();
    QCOMPARE(enabledBoxes(), QString("1"));
    QCOMPARE(dlg.listedFolder(), site());
    QVERIFY(file1->isEnabled());
    text(1)->setText("a&b.htm");
    QCOMPARE(dlg.path(), QString("a&b.htm"));
    QCOMPARE(child<QPushButton>(&dlg, "Command2")->text(), QString("a&&b.htm"));  // shown, not a mnemonic
    QTest::mouseClick(child<QPushButton>(&dlg, "Command2"), Qt::LeftButton);
    QCOMPARE(Shared::PickedPath, QString("a&b.htm"));
}

void TestPathPicker::folderNameWithSpacesAndJapanese()
{
    const QString web = m_dir.path() + "/web";
    writeFile(web + "/index.htm", "x");
    writeFile(web + "/フォト 集/写真 1.jpg", "jpg");
    Shared::DocumentPath = web + "/index.htm";
    PathFrm dlg;
    child<QRadioButton>(&dlg, "Option2")->click();
    child<QLineEdit>(&dlg, "Text2")->setText("フォト 集");
    auto *file1 = child<QListWidget>(&dlg, "File1");
    QCOMPARE(dlg.listedFolder(), web + "/フォト 集");
    QCOMPARE(entries(file1), QStringList{"写真 1.jpg"});
    dlg.takeChosenFile();
    QCOMPARE(child<QLineEdit>(&dlg, "Text3")->text(), QString("写真 1.jpg"));
    QCOMPARE(dlg.path(), QString("フォト 集/写真 1.jpg"));
}

void TestPathPicker::sizeDisplay()
{
    const QString folder = m_dir.path() + "/sizes";
    const struct {
        const char *name;
        qint64 bytes;
        const char *shown;
    } files[] = {{"a0.txt", 0, "0"}, {"b999.txt", 999, "0.999"}, {"c1000.txt", 1000, "1"},
                 {"d1234567.txt", 1234567, "1,234.567"}};
    for (const auto &f : files) {
        writeFile(folder + "/" + f.name, QByteArray());
        QVERIFY(QFile::resize(folder + "/" + f.name, f.bytes));
    }
    Shared::DocumentPath = folder + "/doc.htm";
    PathFrm dlg;
    auto *file1 = child<QListWidget>(&dlg, "File1");
    auto *label6 = child<QLabel>(&dlg, "Label6");
    for (int i = 0; i < 4; ++i) {
        file1->setCurrentRow(i);
        QCOMPARE(label6->text(), QString("ﾌｧｲﾙｻｲｽﾞ＝\n%1ｷﾛﾊﾞｲﾄ").arg(files[i].shown));
    }
}

void TestPathPicker::filters()
{
    const QString folder = m_dir.path() + "/mixed";
    for (const char *name : {"a.htm", "b.html", "c.jpg", "PHOTO.JPG", "d.gif", "e.jpeg", "f.txt", "g.png"})
        writeFile(folder + "/" + name, "x");
    writeFile(folder + "/.hidden.htm", "x");
    QDir().mkpath(folder + "/sub.htm");
    Shared::DocumentPath = folder + "/a.htm";
    PathFrm dlg;
    auto *file1 = child<QListWidget>(&dlg, "File1");
    QCOMPARE(entries(file1),
             (QStringList{"a.htm", "b.html", "c.jpg", "d.gif", "e.jpeg", "f.txt", "g.png", "PHOTO.JPG"}));
    child<QRadioButton>(&dlg, "Option6(1)")->click();
    QCOMPARE(entries(file1), (QStringList{"c.jpg", "d.gif", "e.jpeg", "PHOTO.JPG"}));
    QCOMPARE(dlg.path(), QString());  // the filter recomposes the caption
    child<QRadioButton>(&dlg, "Option6(2)")->click();
    QCOMPARE(entries(file1), (QStringList{"a.htm", "b.html"}));

    // A folder without a file of the filter leaves the list off.
    writeFile(folder + "/txt/only.txt", "x");
    child<QRadioButton>(&dlg, "Option2")->click();
    child<QLineEdit>(&dlg, "Text2")->setText("txt");
    QVERIFY(!file1->isEnabled());
    QCOMPARE(file1->count(), 0);
    QVERIFY(child<QLabel>(&dlg, "Label6")->text().isEmpty());
    child<QRadioButton>(&dlg, "Option6(0)")->click();
    QVERIFY(file1->isEnabled());
    QCOMPARE(entries(file1), QStringList{"only.txt"});
}

void TestPathPicker::doubleClickFillsTheModesBox()
{
    const QString folder = m_dir.path() + "/dbl/site";
    writeFile(folder + "/index.htm", "x");
    writeFile(folder + "/zz.htm", "x");
    writeFile(m_dir.path() + "/dbl/up.gif", "x");
    Shared::DocumentPath = folder + "/index.htm";
    PathFrm dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto *file1 = child<QListWidget>(&dlg, "File1");

    file1->setCurrentRow(1);
    const QRect rect = file1->visualItemRect(file1->item(1));
    QTest::mouseClick(file1->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(file1->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(child<QLineEdit>(&dlg, "Text1")->text(), QString("zz.htm"));
    QCOMPARE(child<QPushButton>(&dlg, "Command2")->text(), QString("zz.htm"));
    // The picked entry stays picked while the list shows the same folder.
    QCOMPARE(file1->currentRow(), 1);

    child<QRadioButton>(&dlg, "Option3")->click();
    file1->setFocus();
    QTest::keyClick(file1, Qt::Key_Return);  // Enter picks as a double-click does
    QCOMPARE(child<QLineEdit>(&dlg, "Text4")->text(), QString("up.gif"));
    QCOMPARE(dlg.path(), QString("../up.gif"));
}

void TestPathPicker::cancelAndCloseLeaveNothing()
{
    writeFile(site() + "/index.htm", "x");
    Shared::DocumentPath = site() + "/index.htm";
    {
        Shared::PickedPath = "before";
        PathFrm dlg;
        child<QLineEdit>(&dlg, "Text1")->setText("a.htm");
        QTest::mouseClick(child<QPushButton>(&dlg, "Cancel"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(Shared::PickedPath.isEmpty());
    }
    {
        Shared::PickedPath = "before";
        PathFrm dlg;
        dlg.show();
        child<QLineEdit>(&dlg, "Text1")->setText("a.htm");
        dlg.close();
        QVERIFY(Shared::PickedPath.isEmpty());
    }
}

void TestPathPicker::previews()
{
    const QString folder = m_dir.path() + "/preview";
    writePicture(folder + "/a.jpg");
    writeFile(folder + "/b.txt", "一\n二\n三\n");
    writeFile(folder + "/c.htm", "<html><body>c</body></html>");
    writeFile(folder + "/d.gif", "not really a picture");
    Shared::DocumentPath = folder + "/c.htm";
    PathFrm dlg;
    auto *file1 = child<QListWidget>(&dlg, "File1");
    auto *check1 = child<QCheckBox>(&dlg, "Check1");
    auto *img = child<QLabel>(&dlg, "PreImg");
    auto *web = child<PreviewPane>(&dlg, "PreWeb");
    auto *txt = child<QPlainTextEdit>(&dlg, "PreTxt");
    auto shown = [&] {
        QStringList on;
        for (QWidget *w : {static_cast<QWidget *>(img), static_cast<QWidget *>(web), static_cast<QWidget *>(txt)})
            if (!w->isHidden())
                on << w->objectName();
        return on.join(",");
    };

    QCOMPARE(file1->currentRow(), 0);
    QCOMPARE(shown(), QString());
    check1->click();
    QCOMPARE(shown(), QString("PreImg"));
    QVERIFY(!img->pixmap().isNull());
    QVERIFY(img->pixmap().width() <= 320);

    file1->setCurrentRow(1);
    QCOMPARE(shown(), QString("PreTxt"));
    QCOMPARE(txt->toPlainText(), QString("一\n二\n三"));

    file1->setCurrentRow(2);
    QCOMPARE(shown(), QString("PreWeb"));
    QCOMPARE(web->currentFile(), folder + "/c.htm");

    file1->setCurrentRow(3);
    QCOMPARE(shown(), QString("PreImg"));
    QVERIFY(img->pixmap().isNull());
    QVERIFY(!img->text().isEmpty());

    check1->click();
    QCOMPARE(shown(), QString());
    file1->setCurrentRow(1);
    QCOMPARE(shown(), QString());
}

int main(int argc, char *argv[])
{
    PreviewPane::registerScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);  // as main() does, for the browser module
    QApplication app(argc, argv);
    TestPathPicker t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_pathpicker.moc"
