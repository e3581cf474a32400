#include "gradfrm.h"

#include "platform/colortext.h"
#include "platform/editarea.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPen>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {
constexpr double kSampleSize = 21.75;  // points, after any change of the sample
constexpr double kDesignSize = 22.0;   // points, the sample as first shown

// Light characters get a thin dark outline, so that white and pale colours stay
// visible on the white sample box; their colour itself is unchanged.
QPen outlineFor(const QColor &colour)
{
    if (colour.red() + colour.green() + colour.blue() <= 3 * 200)
        return QPen(Qt::NoPen);
    QPen pen(QColor(0x50, 0x50, 0x50));
    pen.setWidthF(0.8);
    return pen;
}

QString plainOf(const QTextDocument *doc)
{
    // Raw text keeps one position per character; block and line separators become "\n".
    QString s = doc->toRawText();
    s.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    s.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return s;
}
}

GradFrm::GradFrm(EditArea *edit, QWidget *parent) : QDialog(parent), m_edit(edit)
{
    setObjectName("frmGrad");
    setWindowTitle(QStringLiteral("Form2"));

    // Colour columns: swatch, channel labels, bars, "反転".
    QVBoxLayout *columns[2];
    for (int i = 0; i < 2; ++i) {
        const QString suffix = QStringLiteral("(%1)").arg(i);
        m_mixers[i] = new ChannelMixer(this, Qt::Vertical, suffix, i == 0 ? 255 : 0, 16, true);
        m_mixers[i]->swatch()->setFixedSize(89, 65);
        auto *grid = new QGridLayout;
        grid->setSpacing(4);
        grid->addWidget(m_mixers[i]->swatch(), 0, 0, 1, 3);
        for (int c = 0; c < 3; ++c) {
            const auto ch = ChannelMixer::Channel(c);
            m_mixers[i]->channelLabel(ch)->setFixedSize(25, 14);
            m_mixers[i]->bar(ch)->setFixedWidth(25);
            m_mixers[i]->bar(ch)->setMinimumHeight(200);
            grid->addWidget(m_mixers[i]->channelLabel(ch), 1, c);
            grid->addWidget(m_mixers[i]->bar(ch), 2, c);
        }
        auto *invert = new QPushButton(QStringLiteral("反転"), this);
        invert->setObjectName(QStringLiteral("Command3") + suffix);
        invert->setAutoDefault(false);
        connect(invert, &QPushButton::clicked, this, [this, i] { invertMix(i); });
        columns[i] = new QVBoxLayout;
        columns[i]->addLayout(grid, 1);
        columns[i]->addWidget(invert);
    }

    auto *label1 = new QLabel(QStringLiteral("グラデーションさせる文字列を指定して下さい↓"), this);
    label1->setObjectName("Label1");
    m_text1 = new QTextEdit(this);
    m_text1->setObjectName("Text1");
    m_text1->setAcceptRichText(true);
    m_text1->setTabChangesFocus(true);
    m_text1->setMinimumSize(420, 90);
    QFont sampleFont = m_text1->font();
    sampleFont.setPointSizeF(kDesignSize);
    m_text1->document()->setDefaultFont(sampleFont);
    m_text1->setPlainText(QStringLiteral("Sample Text"));
    label1->setBuddy(m_text1);

    auto *preview = new QPushButton(QStringLiteral("プレビュー"), this);
    preview->setObjectName("Command1");
    preview->setAutoDefault(false);
    auto *label2 = new QLabel(QStringLiteral("←文字の先頭の色を指定して下さい"), this);
    label2->setObjectName("Label2");
    auto *label3 = new QLabel(QStringLiteral("文字の末尾の色を指定して下さい→"), this);
    label3->setObjectName("Label3");
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName("Command2");
    ok->setDefault(true);
    ok->setMinimumSize(121, 37);

    auto *pointers = new QHBoxLayout;
    pointers->addWidget(label2);
    pointers->addStretch(1);
    pointers->addSpacing(12);
    pointers->addWidget(label3);
    auto *middle = new QVBoxLayout;
    middle->addWidget(label1);
    middle->addWidget(m_text1, 1);
    middle->addWidget(preview, 0, Qt::AlignLeft);
    middle->addSpacing(12);
    middle->addLayout(pointers);
    middle->addStretch(1);
    middle->addWidget(ok, 0, Qt::AlignHCenter);

    auto *outer = new QHBoxLayout(this);
    outer->addLayout(columns[0]);
    outer->addSpacing(8);
    outer->addLayout(middle, 1);
    outer->addSpacing(8);
    outer->addLayout(columns[1]);

    connect(preview, &QPushButton::clicked, this, &GradFrm::previewGradient);
    connect(ok, &QPushButton::clicked, this, &GradFrm::insertAndClose);
    m_lastText = m_text1->document()->toRawText();
    connect(m_text1, &QTextEdit::textChanged, this, &GradFrm::sampleChanged);

    previewGradient();
    m_text1->setFocus();
}

Rgb GradFrm::colour(int index) const
{
    return {m_mixers[index]->red(), m_mixers[index]->green(), m_mixers[index]->blue()};
}

QString GradFrm::sampleText() const
{
    return plainOf(m_text1->document());
}

void GradFrm::sampleChanged()
{
    // Formatting changes (the preview, the size below) are not changes of the text.
    const QString now = m_text1->document()->toRawText();
    if (m_resizing || now == m_lastText)
        return;
    m_lastText = now;
    m_resizing = true;
    QTextCursor all(m_text1->document());
    all.select(QTextCursor::Document);
    QTextCharFormat size;
    size.setFontPointSize(kSampleSize);
    all.mergeCharFormat(size);
    QTextCharFormat typing = m_text1->currentCharFormat();
    typing.setFontPointSize(kSampleSize);
    m_text1->setCurrentCharFormat(typing);
    m_resizing = false;
}

void GradFrm::previewGradient()
{
    QTextDocument *doc = m_text1->document();
    const QString raw = doc->toRawText();
    if (raw.isEmpty())
        return;
    const std::vector<CharSpan> spans = CharacterSpans(raw);
    const std::vector<Rgb> colours = GradientColours(int(spans.size()), colour(0), colour(1));
    QTextCursor c(doc);
    c.beginEditBlock();
    for (size_t k = 0; k < spans.size(); ++k) {
        c.setPosition(spans[k].pos);
        c.setPosition(spans[k].pos + spans[k].length, QTextCursor::KeepAnchor);
        QTextCharFormat f;
        const QColor colour(colours[k].red, colours[k].green, colours[k].blue);
        f.setForeground(colour);
        f.setTextOutline(outlineFor(colour));
        c.mergeCharFormat(f);
    }
    c.endEditBlock();
    QTextCursor caret = m_text1->textCursor();
    caret.setPosition(int(raw.size()));
    m_text1->setTextCursor(caret);
}

void GradFrm::insertAndClose()
{
    const QString html = GradientHtml(sampleText(), colour(0), colour(1));
    if (!html.isEmpty())
        m_edit->insert(html);
    accept();
}

void GradFrm::invertMix(int index)
{
    m_mixers[index]->invert();
}

void GradFrm::run(EditArea *edit, QWidget *parent)
{
    GradFrm dlg(edit, parent);
    dlg.exec();
}
