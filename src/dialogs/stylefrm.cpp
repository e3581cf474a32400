#include "stylefrm.h"

#include "attrrows.h"
#include "colorfrm.h"
#include "platform/dialogbase.h"
#include "platform/shared.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

StyleFrm::FontChooser StyleFrm::chooseFont;

namespace {
const QStringList kUnits = {"px", "pt", "in", "cm", "%"};

using Reader = std::function<std::optional<QString>()>;

// The value of `whenOn` while the option is selected, else that of `otherwise`.
Reader byOption(const QRadioButton *option, Reader whenOn, Reader otherwise)
{
    return [=]() { return option->isChecked() ? whenOn() : otherwise(); };
}

// Only while the option is (or is not) selected.
Reader onlyIf(const QRadioButton *option, bool selected, Reader reader)
{
    return [=]() -> std::optional<QString> {
        if (option->isChecked() != selected)
            return std::nullopt;
        return reader();
    };
}
}

StyleFrm::StyleFrm(QWidget *parent) : QDialog(parent)
{
    setObjectName("styleFrm");
    setWindowTitle(QStringLiteral("ｽﾀｲﾙ定義"));

    auto check = [this](int n, const QString &caption) {
        m_check[n] = new QCheckBox(caption, this);
        m_check[n]->setObjectName(QStringLiteral("Check%1").arg(n));
        return m_check[n];
    };
    auto text = [this](int n, int chars) {
        m_text[n] = new QLineEdit(this);
        m_text[n]->setObjectName(QStringLiteral("Text%1").arg(n));
        m_text[n]->setMinimumWidth(m_text[n]->fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars + 12);
        return m_text[n];
    };
    auto list = [this](int n, const QStringList &items) {
        m_list[n] = new QComboBox(this);
        m_list[n]->setObjectName(QStringLiteral("List%1").arg(n));
        m_list[n]->addItems(items);
        m_list[n]->setCurrentIndex(0);
        return m_list[n];
    };
    auto option = [this](int n, const QString &caption) {
        m_option[n] = new QRadioButton(caption, this);
        m_option[n]->setObjectName(QStringLiteral("Option%1").arg(n));
        return m_option[n];
    };
    auto button = [this](int n) {
        auto *b = new QPushButton(QStringLiteral("参照"), this);
        b->setObjectName(QStringLiteral("Command%1").arg(n));
        b->setAutoDefault(false);
        return b;
    };
    auto group = [this](QRadioButton *a, QRadioButton *b) {
        auto *g = new QButtonGroup(this);
        g->addButton(a);
        g->addButton(b);
    };

    // Font frame.
    auto *font = new QGroupBox(QStringLiteral("フォント"), this);
    auto *fontGrid = new QGridLayout(font);
    fontGrid->addWidget(check(1, QStringLiteral("フォントを指定")), 0, 0, 1, 3);
    fontGrid->addWidget(option(1, QStringLiteral("フォント名")), 1, 0);
    fontGrid->addWidget(text(1, 20), 1, 1);
    QPushButton *fontButton = button(1);
    fontGrid->addWidget(fontButton, 1, 2);
    fontGrid->addWidget(option(2, QStringLiteral("フォントの系統")), 2, 0);
    fontGrid->addWidget(list(1, {"serif", "sans-serif", "cursive", "fantasy", "monospace"}), 2, 1);
    fontGrid->addWidget(check(2, QStringLiteral("フォントサイズを指定")), 3, 0, 1, 3);
    fontGrid->addWidget(option(3, QStringLiteral("ピクセル")), 4, 0);
    fontGrid->addWidget(text(2, 6), 4, 1);
    fontGrid->addWidget(option(4, QStringLiteral("サイズ名")), 5, 0);
    fontGrid->addWidget(list(2, {"xx-small", "x-small", "small", "medium", "large", "x-large", "xx-large"}), 5, 1);
    fontGrid->addWidget(check(9, QStringLiteral("色を指定")), 6, 0);
    fontGrid->addWidget(text(10, 10), 6, 1);
    QPushButton *colourButton = button(4);
    fontGrid->addWidget(colourButton, 6, 2);
    fontGrid->setColumnStretch(1, 1);
    for (int n : {1, 2, 3, 4, 9})
        fontGrid->setAlignment(m_check[n], Qt::AlignLeft);
    group(m_option[1], m_option[2]);
    group(m_option[3], m_option[4]);
    m_option[1]->setChecked(true);
    m_option[3]->setChecked(true);

    // Spacing rows and the margin frame: check box, value, unit.
    auto *spacing = new QGridLayout;
    spacing->addWidget(check(3, QStringLiteral("行送りを指定")), 0, 0);
    spacing->addWidget(text(3, 6), 0, 1);
    spacing->addWidget(list(3, kUnits), 0, 2);
    spacing->addWidget(check(4, QStringLiteral("インデントを指定")), 1, 0);
    spacing->addWidget(text(4, 6), 1, 1);
    spacing->addWidget(list(4, kUnits), 1, 2);
    spacing->setColumnStretch(3, 1);

    auto *margin = new QGroupBox(QStringLiteral("マージン"), this);
    auto *marginGrid = new QGridLayout(margin);
    const QString sides[] = {QStringLiteral("上"), QStringLiteral("右"), QStringLiteral("左")};
    for (int i = 0; i < 3; ++i) {
        marginGrid->addWidget(check(5 + i, sides[i]), i, 0);
        marginGrid->addWidget(text(5 + i, 6), i, 1);
        marginGrid->addWidget(list(5 + i, kUnits), i, 2);
    }
    marginGrid->setColumnStretch(3, 1);

    // Background: an image or a colour; neither option is selected at first.
    auto *background = new QGridLayout;
    background->addWidget(check(8, QStringLiteral("背景を指定")), 0, 0, 1, 3);
    background->addWidget(option(5, QStringLiteral("イメージ")), 1, 0);
    background->addWidget(text(8, 20), 1, 1);
    background->addWidget(option(6, QStringLiteral("色")), 2, 0);
    background->addWidget(text(9, 10), 2, 1);
    QPushButton *backButton = button(2);
    background->addWidget(backButton, 2, 2);
    background->setColumnStretch(1, 1);
    group(m_option[5], m_option[6]);

    auto *outer = new QVBoxLayout(this);
    outer->addWidget(font);
    outer->addLayout(spacing);
    outer->addWidget(margin);
    outer->addLayout(background);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    QPushButton *ok = addButtonRow(this, outer, QStringLiteral("Command3"), QStringLiteral("OK"));

    connect(fontButton, &QPushButton::clicked, this, &StyleFrm::pickFont);
    connect(backButton, &QPushButton::clicked, this, &StyleFrm::pickBackgroundColour);
    connect(ok, &QPushButton::clicked, this, &StyleFrm::confirm);
    connect(colourButton, &QPushButton::clicked, this, &StyleFrm::pickTextColour);
}

QString StyleFrm::declarations() const
{
    auto unit = [](const QComboBox *list) {
        return [list] { return list->currentText() + QLatin1Char(';'); };
    };
    auto semicolon = [] { return QStringLiteral(";"); };
    // One line per declaration, in the order they are written.
    const std::vector<AttrRow> rows = {
        {m_check[1], "font-family:", byOption(m_option[1], textOf(m_text[1]), comboOf(m_list[1])), Quote::None, semicolon},
        {m_check[2], "font-size:", byOption(m_option[3], textOf(m_text[2]), comboOf(m_list[2])), Quote::None, semicolon},
        {m_check[3], "line-height:", textOf(m_text[3]), Quote::None, unit(m_list[3])},
        {m_check[4], "text-indent:", textOf(m_text[4]), Quote::None, unit(m_list[4])},
        {m_check[5], "margin-top:", textOf(m_text[5]), Quote::None, unit(m_list[5])},
        {m_check[6], "margin-right:", textOf(m_text[6]), Quote::None, unit(m_list[6])},
        {m_check[7], "margin-left:", textOf(m_text[7]), Quote::None, unit(m_list[7])},
        {m_check[8], "background:url(", onlyIf(m_option[5], true, textOf(m_text[8])), Quote::None, [] { return QStringLiteral(");"); }},
        {m_check[8], "background:", onlyIf(m_option[5], false, textOf(m_text[9])), Quote::None, semicolon},
        {m_check[9], "color:", textOf(m_text[10]), Quote::None, {}},
    };
    return QLatin1Char('"') + composeAttributes(rows) + QLatin1Char('"');
}

void StyleFrm::pickFont()
{
    const QFont initial = m_text[1]->text().isEmpty() ? font() : QFont(m_text[1]->text());
    std::optional<QFont> chosen;
    if (chooseFont) {
        chosen = chooseFont(this, initial);
    } else {
        bool ok = false;
        const QFont f = QFontDialog::getFont(&ok, initial, this, QStringLiteral("フォントの指定"));
        if (ok)
            chosen = f;
    }
    if (!chosen)
        return;
    m_check[1]->setChecked(true);
    m_option[1]->setChecked(true);
    m_text[1]->setText(chosen->family());
    m_check[2]->setChecked(true);
    m_option[3]->setChecked(true);
    const double points = chosen->pointSizeF() > 0 ? chosen->pointSizeF() : QFontInfo(*chosen).pointSizeF();
    m_text[2]->setText(QString::number(points));
}

void StyleFrm::pickBackgroundColour()
{
    m_text[9]->setText(ColorFrm::run(this));
}

void StyleFrm::pickTextColour()
{
    m_text[10]->setText(ColorFrm::run(this));
}

void StyleFrm::confirm()
{
    Shared::ChosenStyle = declarations();
    accept();
}

QString StyleFrm::run(QWidget *parent)
{
    StyleFrm dlg(parent);
    dlg.exec();
    return Shared::ChosenStyle;
}

void runStylePicker(QWidget *parent)
{
    StyleFrm::run(parent);
}
