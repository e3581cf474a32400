// Long single lines (minified pages and scripts) against the same text with normal lines, in a
// plain-text editor set up as the editing area is (font, wrapping at the window's width, no
// shaping, no undo of its own), shown offscreen. Prints the time to open (set the text and
// paint it) and the median of five keystrokes (insert one character and repaint).
//
//   bench/longline [MB ...]     (default: 1 and 5)
//   LONGLINE_SHAPING=1 bench/longline ...   the same with text shaping, as the editor had it before
//   longline --write DIR MB     writes the two pages of that size (UTF-8, LF) into DIR, for the
//                               whole-program run (bench/longline --program)
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QTextCursor>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString page(double megabytes, bool oneLine)
{
    const QString unit = QStringLiteral("<div class=\"item\"><a href=\"/p/123\">商品の説明テキスト</a><span>¥1,200</span></div>");
    QString text;
    const auto target = qsizetype(megabytes * 1e6 / 1.3);  // about that many bytes in UTF-8
    text.reserve(target + unit.size() + 1);
    while (text.size() < target) {
        text += unit;
        if (!oneLine)
            text += QLatin1Char('\n');
    }
    return text;
}

void measure(QApplication &app, double megabytes, bool oneLine)
{
    QPlainTextEdit e;
    e.setUndoRedoEnabled(false);
    e.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QFont f(QStringLiteral("Noto Sans Mono CJK JP"));
    f.setPointSize(10);
    if (qEnvironmentVariableIntValue("LONGLINE_SHAPING") != 1)  // 1: as before shaping was skipped
        f.setStyleStrategy(QFont::PreferNoShaping);
    e.setFont(f);
    e.resize(1000, 700);
    e.show();
    app.processEvents();
    const QString text = page(megabytes, oneLine);
    QElapsedTimer t;
    t.start();
    e.setPlainText(text);
    app.processEvents();
    e.repaint();
    const qint64 open = t.elapsed();
    std::vector<double> keys;
    for (int k = 0; k < 5; ++k) {
        t.restart();
        QTextCursor c = e.textCursor();
        c.setPosition(int(text.size() / 2) + k);
        e.setTextCursor(c);
        e.insertPlainText(QStringLiteral("x"));
        app.processEvents();
        e.repaint();
        keys.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(keys.begin(), keys.end());
    std::printf("| %4.0f MB, %-12s | %9lld ms | %9.1f ms |\n", megabytes, oneLine ? "one line" : "normal lines",
                open, keys[keys.size() / 2]);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--write") == 0) {
        const double mb = std::atof(argv[3]);
        for (const bool oneLine : {true, false}) {
            QFile f(QStringLiteral("%1/%2mb-%3.htm").arg(QString::fromLocal8Bit(argv[2])).arg(mb).arg(oneLine ? "oneline" : "lines"));
            if (!f.open(QIODevice::WriteOnly) || f.write(page(mb, oneLine).toUtf8()) < 0)
                return 1;
        }
        return 0;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::vector<double> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atof(argv[i]));
    if (sizes.empty())
        sizes = {1, 5};
    QFile load(QStringLiteral("/proc/loadavg"));
    if (load.open(QIODevice::ReadOnly))
        std::printf("load average: %s", load.readAll().constData());
    std::printf("| page                 |      open     | keystroke    |\n|----------------------|---------------|--------------|\n");
    for (const double mb : sizes) {
        measure(app, mb, false);
        measure(app, mb, true);
    }
    return 0;
}
