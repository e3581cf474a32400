#include "rubyfrm.h"

#include "dialogs/attrrows.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

// Draws base texts with their readings centred above them, as browsers set ruby.
class RubySample : public QWidget {
public:
    explicit RubySample(QWidget *parent) : QWidget(parent)
    {
        setObjectName("picSample");
        setMinimumSize(360, 86);
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, Qt::white);
        p.setColor(QPalette::WindowText, Qt::black);
        setPalette(p);
    }
    void setPairs(std::vector<std::pair<QString, QString>> pairs)
    {
        m_pairs = std::move(pairs);
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setPen(Qt::gray);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        p.setPen(Qt::black);
        QFont baseFont = font();
        baseFont.setPixelSize(30);
        QFont rtFont = font();
        rtFont.setPixelSize(15);
        const QFontMetrics bm(baseFont), rm(rtFont);
        int total = 0;
        std::vector<int> widths;
        for (const auto &[b, r] : m_pairs) {
            widths.push_back(qMax(bm.horizontalAdvance(b), rm.horizontalAdvance(r)));
            total += widths.back();
        }
        int x = qMax(8, (width() - total) / 2);
        const int baseline = (height() + rm.height() + bm.ascent()) / 2 - 2;
        for (size_t i = 0; i < m_pairs.size(); ++i) {
            const auto &[b, r] = m_pairs[i];
            p.setFont(baseFont);
            p.drawText(x + (widths[i] - bm.horizontalAdvance(b)) / 2, baseline, b);
            p.setFont(rtFont);
            p.drawText(x + (widths[i] - rm.horizontalAdvance(r)) / 2, baseline - bm.ascent() - rm.descent() + 2, r);
            x += widths[i];
        }
    }

private:
    std::vector<std::pair<QString, QString>> m_pairs;
};

RubyFrm::RubyFrm(EditArea *edit, QWidget *parent)
    : InsertingDialog(edit, parent, QStringLiteral("frmRuby"), QStringLiteral("ルビ"))
{
    m_base = named(new QLineEdit(edit ? edit->selText() : QString(), this), "txtBase");
    m_reading = named(new QLineEdit(this), "txtReading");
    m_reading->setPlaceholderText(QStringLiteral("ふりがな"));
    auto *whole = named(new QRadioButton(QStringLiteral("まとめて"), this), "optWhole");
    m_each = named(new QRadioButton(QStringLiteral("一字ずつ"), this), "optEach");
    whole->setChecked(true);
    m_rp = named(new QCheckBox(QStringLiteral("括弧 (rp) を付ける"), this), "chkRp");
    m_rp->setChecked(true);
    m_hint = named(new QLabel(this), "lblHint");
    m_hint->setWordWrap(true);
    m_sample = new RubySample(this);
    m_markup = named(new QLabel(this), "lblMarkup");
    m_markup->setTextFormat(Qt::PlainText);
    m_markup->setWordWrap(true);
    m_markup->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_markup->setMaximumWidth(420);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("文字(&B)："), m_base);
    form->addRow(QStringLiteral("読み(&R)："), m_reading);
    auto *forms = new QHBoxLayout;
    forms->addWidget(whole);
    forms->addWidget(m_each);
    forms->addStretch();
    form->addRow(QStringLiteral("読みの付け方："), forms);
    form->addRow(QString(), m_rp);
    form->addRow(QString(), m_hint);
    auto *body = new QVBoxLayout;
    body->addLayout(form);
    body->addWidget(new QLabel(QStringLiteral("見本："), this));
    body->addWidget(m_sample);
    body->addWidget(m_markup);

    for (QLineEdit *e : {m_base, m_reading})
        connect(e, &QLineEdit::textChanged, this, &RubyFrm::update);
    connect(m_each, &QRadioButton::toggled, this, &RubyFrm::update);
    connect(m_rp, &QCheckBox::toggled, this, &RubyFrm::update);
    finish(body);
    m_ok = findChild<QPushButton *>("Command1");
    m_reading->setFocus();
    update();
}

Ruby::Form RubyFrm::form() const
{
    return m_each->isChecked() ? Ruby::Form::Each : Ruby::Form::Whole;
}

QString RubyFrm::rubyText() const
{
    return Ruby::markup(m_base->text(), m_reading->text(), form(), m_rp->isChecked());
}

void RubyFrm::update()
{
    const bool ready = !m_base->text().isEmpty() && !Ruby::readingParts(m_reading->text()).isEmpty();
    if (m_ok)
        m_ok->setEnabled(ready);
    if (form() == Ruby::Form::Each && ready && !Ruby::fitsEach(m_base->text(), m_reading->text()))
        m_hint->setText(QStringLiteral("一字ずつ付けるには、読みを文字の数（%1）だけ空白で区切って入力して下さい（例: かん じ）。いまはまとめて付けます。")
                            .arg(Ruby::baseCharacters(m_base->text()).size()));
    else
        m_hint->clear();
    m_hint->setVisible(!m_hint->text().isEmpty());
    m_sample->setPairs(ready ? Ruby::pairs(m_base->text(), m_reading->text(), form())
                             : std::vector<std::pair<QString, QString>>{});
    m_markup->setText(ready ? rubyText() : QString());
}
