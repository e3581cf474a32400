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
#include <QStyle>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

using K = PaletteItem::Kind;

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

// The buttons of the form tab that show a picture instead of a caption.
bool isFormControl(const QString &name)
{
    static const QStringList names = {"Command12", "Command13", "Command19", "Command16", "Command17"};
    return names.contains(name);
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

PaletteItem pair(const char *name, const char *caption, const char *tip, int index)
{
    return {K::Pair, name, caption, tip, index, {}};
}

PaletteItem single(const char *name, const char *caption, const char *tip, int index)
{
    return {K::Single, name, caption, tip, index, {}};
}

PaletteItem own(const char *name, const char *caption, const char *tip, PaletteAction action)
{
    return {K::Own, name, caption, tip, -1, std::move(action)};
}

PaletteItem opener(const char *name, const char *caption, const char *tip, PaletteAction action)
{
    return {K::Opener, name, caption, tip, -1, std::move(action)};
}

PaletteItem spin(const char *name, int maximum)
{
    return {K::Spin, name, "", nullptr, maximum, {}};
}

PaletteItem list(const char *name, const char *items)
{
    return {K::List, name, items, nullptr, -1, {}};
}

PaletteItem field(const char *name, const char *initial, const char *hint)
{
    return {K::Field, name, initial, hint, -1, {}};
}

PaletteItem label(const char *name, const char *text)
{
    return {K::Label, name, text, nullptr, -1, {}};
}

PaletteItem brk()
{
    return {K::Break, "", "", nullptr, -1, {}};
}

void fontTag(TagPalette &p)
{
    p.edit()->wrap(fontStart(p.fontSize()), QStringLiteral("</font>"));
}

void headingTag(TagPalette &p)
{
    const int n = p.headingLevel();
    p.edit()->wrap(headingStart(n), headingEnd(n));
}

void paragraphTag(TagPalette &p)
{
    p.edit()->wrap(paragraphStart(p.alignment()), QStringLiteral("</p>"));
}

void clearTag(TagPalette &p)
{
    p.edit()->insert(clearStart(p.clearSide()));
}

void insertSkeleton(TagPalette &p)
{
    p.edit()->insert(pageSkeleton());
}

void customPair(TagPalette &p, int index)
{
    const QString i = QString::number(index);
    p.edit()->wrap(p.field("Text1(" + i + ")")->text(), p.field("Text3(" + i + ")")->text());
}

void customSingle(TagPalette &p)
{
    p.edit()->insert(p.field("Text4")->text());
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

TagPalette::TagPalette(EditArea *edit, const std::vector<PaletteTab> &tabs, const std::vector<PaletteItem> &bar,
                       QWidget *parent)
    : QTabWidget(parent), m_edit(edit)
{
    setObjectName("SSTab1");
    for (const PaletteTab &tab : tabs)
        addTab(buildItems(tab.items), QString::fromUtf8(tab.caption));
    m_bar = buildItems(bar);
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
    // The palette is as high as the tab shown needs.
    connect(this, &QTabWidget::currentChanged, this, &QWidget::updateGeometry);
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
            // Whole rows, three of them at least (all when there are fewer); the
            // scroll bar takes the rest.
            const int shown = qMin(int(l->count()), 3);
            const int rowHeight = l->sizeHintForRow(0);
            l->setVerticalScrollBarPolicy(shown < l->count() ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
            l->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            int widest = 0;
            for (int i = 0; i < l->count(); ++i)
                widest = qMax(widest, l->fontMetrics().horizontalAdvance(l->item(i)->text()));
            const int bar = shown < l->count() ? l->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, l) : 0;
            l->setFixedSize(qMax(78, widest + bar + 2 * l->frameWidth() + 12), rowHeight * shown + 2 * l->frameWidth());
            w = l;
            break;
        }
        case K::Field: {
            auto *e = new QLineEdit(caption);
            e->setMinimumWidth(150);
            if (item.tip)  // what belongs in the field, while it is empty
                e->setPlaceholderText(QString::fromUtf8(item.tip));
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
            if (caption.isEmpty() && isFormControl(name)) {  // a picture of the control
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

QSize TagPalette::fitToCurrentTab(QSize all, bool minimum) const
{
    // The tab widget sizes itself for its tallest page; only the page shown counts here.
    int tallest = 0;
    for (int i = 0; i < count(); ++i)
        tallest = qMax(tallest, minimum ? widget(i)->minimumSizeHint().height() : widget(i)->sizeHint().height());
    if (const QWidget *page = currentWidget())
        all.rheight() -= tallest - (minimum ? page->minimumSizeHint().height() : page->sizeHint().height());
    return all;
}

QSize TagPalette::sizeHint() const
{
    return fitToCurrentTab(QTabWidget::sizeHint(), false);
}

QSize TagPalette::minimumSizeHint() const
{
    return fitToCurrentTab(QTabWidget::minimumSizeHint(), true);
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

int TagPalette::fontSize() const
{
    return m_fontSize->value();
}

int TagPalette::headingLevel() const
{
    return m_heading->value();
}

QString TagPalette::alignment() const
{
    return selectedText(m_align);
}

QString TagPalette::clearSide() const
{
    return selectedText(m_clear);
}

void TagPalette::onClicked(const PaletteItem &item)
{
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
        item.action(*this);
        return;  // the opener decides about the focus
    default:
        item.action(*this);
        break;
    }
    m_edit->setFocus();
}
