#include "pages.h"

#include "document/encoding.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QStringList>
#include <cstdio>

namespace Pages {

namespace {

const QStringList &words()
{
    static const QStringList w = {
        QStringLiteral("東京本社"),   QStringLiteral("大阪支店"),     QStringLiteral("名古屋"),
        QStringLiteral("新製品"),     QStringLiteral("お知らせ"),     QStringLiteral("会社概要"),
        QStringLiteral("採用情報"),   QStringLiteral("お問い合わせ"), QStringLiteral("よくある質問"),
        QStringLiteral("ｻｲﾄﾏｯﾌﾟ"),    QStringLiteral("価格表"),       QStringLiteral("営業時間"),
        QStringLiteral("アクセス"),   QStringLiteral("ﾒｰﾙﾏｶﾞｼﾞﾝ"),    QStringLiteral("個人情報"),
        QStringLiteral("特集記事"),
    };
    return w;
}

const QStringList &sentences()
{
    static const QStringList s = {
        QStringLiteral("このページでは当社の新しいサービスをご紹介します。"),
        QStringLiteral("詳しくは下の表をご覧ください。"),
        QStringLiteral("価格はすべて税込みです。"),
        QStringLiteral("ご不明な点はお気軽にお問い合わせください。"),
        QStringLiteral("第3回の説明会は10月15日に開かれます。"),
        QStringLiteral("ひらがなとカタカナと漢字が混じった文章です。"),
        QStringLiteral("ﾎｰﾑﾍﾟｰｼﾞを全面的に新しくしました。"),
        QStringLiteral("在庫は毎朝9時に更新しています。"),
        QStringLiteral("送料は全国一律500円です。"),
        QStringLiteral("春の新作を入荷しました。"),
        QStringLiteral("営業日は月曜から金曜までです。"),
    };
    return s;
}

// Appends a piece of markup and counts its tags.
struct Writer {
    QString out;
    int tags = 0;
    void add(const QString &s)
    {
        out += s;
        tags += int(s.count(QLatin1Char('<')));
    }
};

QString tableRow(int n)
{
    const QString &w = words()[n % words().size()];
    const QString &a = sentences()[n % sentences().size()];
    const QString &b = sentences()[(n * 7 + 3) % sentences().size()];
    // 15 tags.
    return QStringLiteral("<tr><td class=\"n\">%1</td><td><a href=\"p%1.htm\">%2</a></td>"
                          "<td>%3<br>%4</td><td><b>%5円</b></td></tr>\n")
        .arg(n)
        .arg(w, a.left(3), b.left(2))
        .arg(100 + (n * 37) % 9900);
}

QString listItem(int n)
{
    const QString &w = words()[(n * 3) % words().size()];
    // 4 tags.
    return QStringLiteral("<li><a href=\"#s%1\" title=\"%2\">%2</a> %3</li>\n")
        .arg(n)
        .arg(w, sentences()[(n * 5) % sentences().size()].left(4));
}

QString paragraph(int n)
{
    const QString &w = words()[(n * 5 + 1) % words().size()];
    // 5 tags.
    return QStringLiteral("<p class=\"txt\">%1<b>%2</b>%3<br>\n%4</p>\n")
        .arg(sentences()[n % sentences().size()].left(10), w, sentences()[(n + 4) % sentences().size()].left(10),
             sentences()[(n + 8) % sentences().size()].left(10));
}

}

QString endMarker()
{
    return QStringLiteral("このページの終わりです");
}

int tagCount(const QString &text)
{
    return int(text.count(QLatin1Char('<')));
}

QString page(int scale, const QByteArray &charset)
{
    const int target = 100000 * scale;
    Writer w;
    w.out.reserve(qsizetype(target) * 5);
    w.add(QStringLiteral("<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"%1\">\n"
                         "<title>株式会社サンプル 製品一覧</title>\n"
                         "<style>\ntd.n { text-align: right; color: #333333; }\np.txt { line-height: 1.6; }\n"
                         "</style>\n</head>\n<body bgcolor=\"#FFFFFF\" text=\"#000000\">\n")
              .arg(QString::fromLatin1(charset)));
    const QString footer = QStringLiteral("<p>%1。</p>\n</body>\n</html>").arg(endMarker());
    const int footerTags = tagCount(footer);

    // Sections of a heading, paragraphs, a list and a table; each 341 tags.
    int n = 0;
    int section = 0;
    auto room = [&](int tags) { return w.tags + tags + footerTags <= target; };
    for (;;) {
        const QString head = QStringLiteral("<h2 id=\"s%1\">%2について</h2>\n")
                                 .arg(section)
                                 .arg(words()[section % words().size()]);
        if (!room(2 + 3 * 5 + 2 + 5 * 4 + 2 + 20 * 15))
            break;
        w.add(head);
        for (int i = 0; i < 3; ++i)
            w.add(paragraph(n++));
        w.add(QStringLiteral("<ul>\n"));
        for (int i = 0; i < 5; ++i)
            w.add(listItem(n++));
        w.add(QStringLiteral("</ul>\n<table border=\"1\" cellpadding=\"2\">\n"));
        for (int i = 0; i < 20; ++i)
            w.add(tableRow(n++));
        w.add(QStringLiteral("</table>\n"));
        ++section;
    }
    // The last few tags: single line breaks in a closing paragraph.
    const int left = target - w.tags - footerTags;
    if (left >= 2) {
        w.add(QStringLiteral("<p>"));
        for (int i = 0; i < left - 2; ++i)
            w.add(QStringLiteral("以上<br>\n"));
        w.add(QStringLiteral("</p>\n"));
    } else {
        for (int i = 0; i < left; ++i)
            w.add(QStringLiteral("<br>\n"));
    }
    w.add(footer);
    Q_ASSERT(w.tags == target);
    return w.out;
}

QByteArray fileBytes(const QString &text, const QByteArray &encoding)
{
    QString crlf = text;
    crlf.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    crlf += QStringLiteral("\r\n");
    return encodeText(crlf, encoding, false);
}

QString fileName(int scale, const QByteArray &encoding)
{
    return QStringLiteral("page-%1mb-%2.htm").arg(scale).arg(encoding == "UTF-8" ? "utf8" : "sjis");
}

QString writePage(const QString &folder, int scale, const QByteArray &encoding)
{
    const QString path = QDir(folder).filePath(fileName(scale, encoding));
    if (QFile::exists(path))
        return path;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(fileBytes(page(scale, encoding), encoding)) < 0)
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QString japaneseText(int n)
{
    QString s;
    int i = 0;
    while (s.size() < n)
        s += sentences()[i++ % sentences().size()];
    s.truncate(n);
    return s;
}

int writeAll(const QString &folder)
{
    QDir().mkpath(folder);
    for (int scale : {1, 10}) {
        for (const QByteArray &enc : {QByteArray("UTF-8"), QByteArray("Shift_JIS")}) {
            const QString path = writePage(folder, scale, enc);
            std::printf("%s\t%lld\n", qPrintable(path), qlonglong(QFileInfo(path).size()));
        }
    }
    return 0;
}

}
