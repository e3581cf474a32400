#include "palette.h"

#include "platform/editarea.h"
#include "tagtables.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

using K = PaletteItem::Kind;

PaletteItem pair(const char *name, const char *caption, const char *tip, int index)
{
    return {K::Pair, name, caption, tip, index};
}
PaletteItem single(const char *name, const char *caption, const char *tip, int index)
{
    return {K::Single, name, caption, tip, index};
}
PaletteItem own(const char *name, const char *caption, const char *tip)
{
    return {K::Own, name, caption, tip};
}
PaletteItem opener(const char *name, const char *caption, const char *tip)
{
    return {K::Opener, name, caption, tip};
}
PaletteItem brk()
{
    return {K::Break, "", "", nullptr};
}

// Tool-tips are shown as plain text: "<b>" is a tag to show, not markup to apply.
class PlainToolTips : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ToolTip) {
            auto *w = qobject_cast<QWidget *>(watched);
            const QString tip = w ? w->toolTip() : QString();
            if (!tip.isEmpty()) {
                auto *he = static_cast<QHelpEvent *>(event);
                QToolTip::showText(he->globalPos(), QStringLiteral("<p style='white-space:pre'>") + tip.toHtmlEscaped() + QStringLiteral("</p>"), w);
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

// The text of a list's selected item; "" when the user deselected it (the current item
// may still be set then, but it is not chosen).
QString selectedText(const QListWidget *list)
{
    const QList<QListWidgetItem *> items = list->selectedItems();
    return items.isEmpty() ? QString() : items.first()->text();
}

// Small drawings of form controls for the form tab's picture buttons.
QIcon formIcon(const QString &name)
{
    QPixmap pm(32, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(Qt::white);
    if (name == QLatin1String("Command12")) {  // check box
        p.drawRect(9, 3, 13, 13);
        p.drawLine(11, 9, 14, 13);
        p.drawLine(14, 13, 20, 5);
    } else if (name == QLatin1String("Command13")) {  // radio button
        p.drawEllipse(QPointF(16, 10), 7, 7);
        p.setBrush(Qt::black);
        p.drawEllipse(QPointF(16, 10), 3, 3);
    } else if (name == QLatin1String("Command19")) {  // text field
        p.drawRect(2, 5, 28, 10);
        p.drawLine(5, 7, 5, 13);
    } else if (name == QLatin1String("Command16")) {  // text area
        p.drawRect(3, 1, 26, 18);
        p.drawLine(25, 1, 25, 19);
        for (int y = 5; y < 18; y += 4)
            p.drawLine(6, y, 21, y);
    } else {  // selection list
        p.drawRect(2, 5, 28, 10);
        p.setBrush(Qt::black);
        const QPointF tri[3] = {QPointF(22, 8), QPointF(28, 8), QPointF(25, 12)};
        p.drawPolygon(tri, 3);
    }
    return QIcon(pm);
}

}

namespace Palette {

const std::vector<PaletteTab> &tabs()
{
    static const std::vector<PaletteTab> t = {
        {"文字修飾(&1)",
         {pair("Command1(0)", "&Bold", "<b>", 0), pair("Command1(1)", "&Italic ", "<i>", 1),
          pair("Command1(2)", "Under(&U)", "<u>", 2), pair("Command1(6)", "ﾀｲﾌﾟﾗｲﾀ", "<tt>", 6),
          pair("Command1(7)", "引用 ", "<cite>", 7), pair("Command1(8)", "ｷｰﾎﾞｰﾄﾞ", "<kbd>", 8),
          pair("Command1(9)", "例", "<samp>", 9), pair("Command1(10)", "変数", "<var>", 10),
          pair("Command1(23)", "体裁済", "<pre>", 23), pair("Command1(28)", "打ち消し", "<strike>", 28),
          pair("Command1(29)", "上付", "<sup>", 29), pair("Command1(30)", "下付", "<sub>", 30), brk(),
          pair("Command1(32)", "強調", "<strong>", 32), pair("Command1(33)", "強調 ", "<em>", 33),
          pair("Command1(34)", "アドレス", "<address>", 34), pair("Command1(35)", "コード", "<code>", 35),
          pair("Command1(36)", "単語", "<dfn>", 36), pair("Command1(37)", "大", "<big>", 37),
          pair("Command1(38)", "小", "<small>", 38), own("Command2", "font size=1", "<font>"),
          {K::Spin, "VScroll1", "", nullptr, 7}, own("Command3", "H1", "<hn>"),
          {K::Spin, "VScroll2", "", nullptr, 6}, opener("Command38", "font color=", nullptr)}},
        {"改行･段落(&2)",
         {single("Command4(0)", "改行(&L)", "<br>", 0), pair("Command1(31)", "改行禁止", "<nobr>", 31),
          single("Command4(22)", "改行許可", "<wbr>", 22), own("Command5", "段落", "<p>"),
          {K::List, "List1", "指定なし|left|center|right", nullptr},
          pair("Command1(25)", "左寄", "<div>", 25), pair("Command1(26)", "中央", "<center>", 26),
          pair("Command1(27)", "右寄", "<div>", 27), pair("Command1(24)", "インデント", "<blockquote>", 24),
          own("Command36", "回り込み解除", nullptr), {K::List, "List2", "left|right|all", nullptr}, brk(),
          {K::Label, "Label1", "リスト：", nullptr},
          pair("Command1(11)", "●", "<ul>", 11), pair("Command1(12)", "■", "<ul>", 12),
          pair("Command1(13)", "1", "<ol>", 13), pair("Command1(14)", "Ａ", "<ol>", 14),
          pair("Command1(15)", "I", "<ol>", 15), pair("Command1(16)", "i", "<ol>", 16),
          pair("Command1(17)", "Ａ", "<ol>", 17), pair("Command1(18)", "定義リスト", "<dl>", 18),
          single("Command4(1)", "リスト内容", "<li>", 1), single("Command4(2)", "項目", "<dt>", 2),
          single("Command4(3)", "リスト", "<dd>", 3)}},
        {"文書構造(&3)",
         {pair("Command1(3)", "<html></html>", "<html>", 3), pair("Command1(4)", "<head></head>", "<head>", 4),
          pair("Command1(5)", "<title></title>", "<title>", 5), opener("Command6", "<body></body>", "<body>"),
          own("Command23", "←1度に入力", nullptr), pair("Command1(39)", "コメント", "<!-- -->", 39)}},
        {"挿入(&4)",
         {opener("Command9", "リンク", "<a>"), opener("Command27", "リンク先", "<a>"),
          opener("Command10", "画像", "<img>"), opener("Command8", "水平線", "<hr>"),
          opener("Command29", "ﾏｰｷｰ", "<marquee>"), opener("Command28", "ｲﾒｰｼﾞﾏｯﾌﾟ", nullptr),
          single("Command4(18)", "&\"", nullptr, 18), single("Command4(19)", "&<", nullptr, 19),
          single("Command4(20)", "&>", nullptr, 20), single("Command4(21)", "&&", nullptr, 21)}},
        {"表/ﾌﾚｰﾑ(&5)",
         {opener("Command30", "表ウィザード", nullptr), opener("Command21", "表", "<table>"),
          opener("Command22", "セル", "<td>"), pair("Command1(19)", "表見出し", "<caption>", 19),
          pair("Command1(20)", "行", "<tr>", 20), pair("Command1(21)", "行/列    見出し", "<th>", 21),
          opener("Command20", "フレーム", "<frame>"), pair("Command1(22)", "noframes", "<noframes>", 22),
          opener("Command31", "フローティングフレーム", "<isframe>")}},
        {"フォーム(&6)",
         {opener("Command11", "フォーム", "<form>"), opener("Command12", "", "<input>"),
          opener("Command13", "", "<input>"), opener("Command19", "", "<input>"),
          opener("Command16", "", "<textarea>"), opener("Command17", "", "<select>"),
          opener("Command18", "項目", "<option>"), opener("Command14", "送信", "<input>"),
          opener("Command15", "リセット", "<input>")}},
        {"ｶｽﾀﾏｲｽﾞ(&7)",
         {{K::Field, "Text1(0)", "<html>", nullptr}, {K::Field, "Text3(0)", "</html>", nullptr},
          own("Command25(0)", "", nullptr), brk(),
          {K::Field, "Text1(1)", "<address>", nullptr}, {K::Field, "Text3(1)", "</address>", nullptr},
          own("Command25(1)", "", nullptr), brk(),
          {K::Field, "Text4", "<hr>", nullptr}, own("Command26", "", nullptr)}},
        {"ｽﾀｲﾙｼｰﾄ(&8)",
         {opener("Command33", "タグの定義", nullptr), opener("Command32", "style=", nullptr),
          opener("Command34", "部分ｽﾀｲﾙ指定", "<span>"), opener("Command35", "レイヤー", nullptr)}},
    };
    return t;
}

const std::vector<PaletteItem> &attributeBar()
{
    static const std::vector<PaletteItem> b = {
        single("Command4(4)", "align=", nullptr, 4),     single("Command4(5)", "\"left\"", nullptr, 5),
        single("Command4(6)", "\"center\"", nullptr, 6), single("Command4(7)", "\"right\"", nullptr, 7),
        single("Command4(8)", "\"top\"", nullptr, 8),    single("Command4(9)", "\"middle\"", nullptr, 9),
        single("Command4(10)", "\"bottom\"", nullptr, 10), single("Command4(11)", "width=", nullptr, 11),
        single("Command4(12)", "height=", nullptr, 12),  single("Command4(13)", "size=", nullptr, 13), brk(),
        single("Command4(14)", "color=", nullptr, 14),   single("Command4(15)", "colspan=", nullptr, 15),
        single("Command4(16)", "rowspan=", nullptr, 16), single("Command4(17)", "valign=", nullptr, 17),
        single("Command4(23)", "bgcolor=", nullptr, 23), opener("Command24", "#??????", nullptr),
        opener("Command37", "パス名", nullptr),
    };
    return b;
}

QString fontStart(int size)
{
    return QStringLiteral("<font size=\"%1\">").arg(size);
}

QString headingStart(int level)
{
    return QStringLiteral("<h%1>").arg(level);
}

QString headingEnd(int level)
{
    return QStringLiteral("</h%1>").arg(level);
}

QString paragraphStart(const QString &alignment)
{
    if (alignment.isEmpty() || alignment == QStringLiteral("指定なし"))
        return QStringLiteral("<p>");
    return QStringLiteral("<p align=\"") + alignment + QStringLiteral("\">");
}

QString clearStart(const QString &side)
{
    return QStringLiteral("<br clear=\"") + side + QStringLiteral("\">");
}

QString pageSkeleton()
{
    return QStringLiteral("<html>\n<head>\n<title></title>\n</head>\n<body>\n</body>\n</html>");
}

QString literalCaption(const QString &text)
{
    QString s = text;
    s.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return s;
}

}

TagPalette::TagPalette(EditArea *edit, QWidget *parent) : QTabWidget(parent), m_edit(edit)
{
    setObjectName("SSTab1");
    for (const PaletteTab &tab : Palette::tabs())
        addTab(buildItems(tab.items), QString::fromUtf8(tab.caption));
    m_bar = buildItems(Palette::attributeBar());
    m_bar->setObjectName("AttributeBar");
    // Compact buttons: the whole palette fits a 1024-pixel screen.
    const QString compact = QStringLiteral("QPushButton { padding: 3px 7px; }");
    setStyleSheet(compact);
    m_bar->setStyleSheet(compact);

    auto *tips = new PlainToolTips(this);
    const auto buttons = findChildren<QPushButton *>() + m_bar->findChildren<QPushButton *>();
    for (QPushButton *b : buttons)
        b->installEventFilter(tips);

    m_fontSize = findChild<QSpinBox *>("VScroll1");
    m_heading = findChild<QSpinBox *>("VScroll2");
    m_align = findChild<QListWidget *>("List1");
    m_clear = findChild<QListWidget *>("List2");
    connect(m_fontSize, &QSpinBox::valueChanged, this,
            [this](int v) { button("Command2")->setText(QStringLiteral("font size=") + QString::number(v)); });
    connect(m_heading, &QSpinBox::valueChanged, this,
            [this](int v) { button("Command3")->setText(QStringLiteral("H") + QString::number(v)); });
    for (const char *f : {"Text1(0)", "Text3(0)", "Text1(1)", "Text3(1)", "Text4"})
        connect(field(f), &QLineEdit::textChanged, this, &TagPalette::updateCustomCaptions);
    updateCustomCaptions();
}

QWidget *TagPalette::buildItems(const std::vector<PaletteItem> &items)
{
    auto *page = new QWidget;
    auto *outer = new QVBoxLayout(page);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->setSpacing(3);
    auto *row = new QHBoxLayout;
    row->setSpacing(3);
    outer->addLayout(row);
    for (const PaletteItem &item : items) {
        const QString name = QString::fromUtf8(item.name);
        const QString caption = QString::fromUtf8(item.caption);
        QWidget *w = nullptr;
        switch (item.kind) {
        case K::Break:
            row->addStretch(1);
            row = new QHBoxLayout;
            row->setSpacing(3);
            outer->addLayout(row);
            continue;
        case K::Spin: {
            auto *s = new QSpinBox;
            s->setRange(1, item.index);
            s->setValue(1);
            s->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
            s->setFixedWidth(44);
            w = s;
            break;
        }
        case K::List: {
            auto *l = new QListWidget;
            l->addItems(caption.split(QLatin1Char('|')));
            l->setCurrentRow(0);
            l->setFixedSize(78, 46);
            w = l;
            break;
        }
        case K::Field: {
            auto *e = new QLineEdit(caption);
            e->setMinimumWidth(150);
            w = e;
            break;
        }
        case K::Label:
            w = new QLabel(caption);
            break;
        default: {
            auto *b = new QPushButton(caption);
            b->setAutoDefault(false);
            b->setFocusPolicy(Qt::TabFocus);
            if (caption.isEmpty() && item.kind == K::Opener) {
                b->setIcon(formIcon(name));
                b->setIconSize(QSize(32, 20));
                b->setAccessibleName(QString::fromUtf8(item.tip));
            }
            if (name == QLatin1String("Command2") || name == QLatin1String("Command3"))
                b->setMinimumWidth(name == QLatin1String("Command2") ? 90 : 40);  // room for the value
            const PaletteItem copy = item;
            connect(b, &QPushButton::clicked, this, [this, copy] { onClicked(copy); });
            w = b;
            break;
        }
        }
        w->setObjectName(name);
        if (item.tip)
            w->setToolTip(QString::fromUtf8(item.tip));
        row->addWidget(w);
    }
    row->addStretch(1);
    outer->addStretch(1);
    return page;
}

QLineEdit *TagPalette::field(const QString &name) const
{
    return findChild<QLineEdit *>(name);
}

QPushButton *TagPalette::button(const QString &name) const
{
    if (auto *b = findChild<QPushButton *>(name))
        return b;
    return m_bar->findChild<QPushButton *>(name);
}

void TagPalette::updateCustomCaptions()
{
    for (int i = 0; i < 2; ++i) {
        const QString n = QString::number(i);
        button("Command25(" + n + ")")->setText(Palette::literalCaption(
            field("Text1(" + n + ")")->text() + QLatin1Char('?') + field("Text3(" + n + ")")->text()));
    }
    button("Command26")->setText(Palette::literalCaption(field("Text4")->text()));
}

void TagPalette::onClicked(const PaletteItem &item)
{
    const QString name = QString::fromUtf8(item.name);
    switch (item.kind) {
    case K::Pair: {
        const PairTag &t = TagTables::pairTags()[item.index];
        m_edit->wrapStepBack(t.start, t.end);
        break;
    }
    case K::Single:
        m_edit->insert(TagTables::singleTags()[item.index]);
        break;
    case K::Opener:
        emit openerClicked(name);
        return;  // the opener decides about the focus
    default:
        if (name == QLatin1String("Command2")) {
            m_edit->wrap(Palette::fontStart(m_fontSize->value()), QStringLiteral("</font>"));
        } else if (name == QLatin1String("Command3")) {
            const int n = m_heading->value();
            m_edit->wrap(Palette::headingStart(n), Palette::headingEnd(n));
        } else if (name == QLatin1String("Command5")) {
            m_edit->wrap(Palette::paragraphStart(selectedText(m_align)), QStringLiteral("</p>"));
        } else if (name == QLatin1String("Command36")) {
            m_edit->insert(Palette::clearStart(selectedText(m_clear)));
        } else if (name == QLatin1String("Command23")) {
            m_edit->insert(Palette::pageSkeleton());
        } else if (name.startsWith(QLatin1String("Command25("))) {
            const QString i = name.mid(10, 1);
            m_edit->wrap(field("Text1(" + i + ")")->text(), field("Text3(" + i + ")")->text());
        } else if (name == QLatin1String("Command26")) {
            m_edit->insert(field("Text4")->text());
        }
        break;
    }
    m_edit->setFocus();
}
