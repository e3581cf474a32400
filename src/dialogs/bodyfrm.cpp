#include "bodyfrm.h"

#include "attrrows.h"
#include "platform/colortext.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {
struct ColourRow {
    const char *attribute;
    const char *toolTip;
    const char *initial;
};
// One line per colour row: check box caption (= attribute), tool tip, initial digits.
const ColourRow kColourRows[BodyFrm::kRows] = {
    {"bgcolor", "(背景色）", "000000"},
    {"text", "(テキスト色）", "FFFFFF"},
    {"link", "(リンク色）", "0000FF"},
    {"alink", "(アクティブリンク色）", "FF0000"},
    {"vlink", "(使用済みリンク色）", "FF00FF"},
};

QString indexed(const char *name, int i)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(i);
}
}

BodyFrm::BodyFrm(EditArea *edit, QWidget *parent)
    : InsertingDialog(edit, parent, QStringLiteral("bodyfrm"), QStringLiteral("<body>"))
{

    // Colour rows.
    auto *colours = new QGridLayout;
    colours->setHorizontalSpacing(4);
    for (int i = 0; i < kRows; ++i) {
        const ColourRow &row = kColourRows[i];
        m_chk[i] = new QCheckBox(QString::fromUtf8(row.attribute), this);
        m_chk[i]->setObjectName(indexed("chk", i));
        m_chk[i]->setToolTip(QString::fromUtf8(row.toolTip));
        auto *hash = new QLabel(QStringLiteral("#"), this);
        hash->setObjectName(indexed("Label1", i));
        m_bgtxt[i] = new QLineEdit(QString::fromUtf8(row.initial), this);
        m_bgtxt[i]->setObjectName(indexed("bgtxt", i));
        m_bgtxt[i]->setEnabled(false);
        m_bgtxt[i]->setFixedWidth(m_bgtxt[i]->fontMetrics().horizontalAdvance(QStringLiteral("WWWWWWWW")));
        m_pick[i] = new QPushButton(QStringLiteral("←"), this);
        m_pick[i]->setObjectName(indexed("Command1", i));
        m_pick[i]->setEnabled(false);
        m_pick[i]->setAutoDefault(false);
        m_pick[i]->setFixedWidth(32);
        colours->addWidget(m_chk[i], i, 0);
        colours->addWidget(hash, i, 1);
        colours->addWidget(m_bgtxt[i], i, 2);
        colours->addWidget(m_pick[i], i, 3);

        connect(m_chk[i], &QCheckBox::toggled, this, [this, i](bool on) {
            m_bgtxt[i]->setEnabled(on);
            m_pick[i]->setEnabled(on);
        });
        connect(m_pick[i], &QPushButton::clicked, this, [this, i] { takeMix(i); });
    }

    // Background image.
    m_check1 = new QCheckBox(QStringLiteral("背景の画像"), this);
    m_check1->setObjectName("Check1");
    auto *pathLabel = new QLabel(QStringLiteral("パス："), this);
    pathLabel->setObjectName("Label2");
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName("Text1");
    m_text1->setEnabled(false);
    m_text1->setMinimumWidth(200);
    pathLabel->setBuddy(m_text1);
    m_check2 = new QCheckBox(QStringLiteral("ウォーターマーク"), this);
    m_check2->setObjectName("Check2");
    m_check2->setEnabled(false);
    connect(m_check1, &QCheckBox::toggled, this, [this](bool on) {
        m_check2->setEnabled(on);
        m_text1->setEnabled(on);
    });
    auto *pathRow = new QHBoxLayout;
    pathRow->addWidget(pathLabel);
    pathRow->addWidget(m_text1, 1);
    auto *image = new QVBoxLayout;
    image->addWidget(m_check1);
    image->addLayout(pathRow);
    image->addWidget(m_check2);

    auto *left = new QVBoxLayout;
    left->addLayout(colours);
    left->addSpacing(12);
    left->addLayout(image);
    left->addStretch(1);

    // Mixer: swatch, channel labels, vertical bars, "反転".
    m_mixer = new ChannelMixer(this, Qt::Vertical, QString(), 255, 1, true);
    m_mixer->swatch()->setFixedSize(84, 40);
    // The swatch opens white and blank; its colour text appears with the first move of a bar.
    m_mixer->swatch()->clear();
    auto *mix = new QGridLayout;
    mix->setHorizontalSpacing(8);
    mix->addWidget(m_mixer->swatch(), 0, 0, 1, 3, Qt::AlignHCenter);
    for (int i = 0; i < 3; ++i) {
        const auto c = ChannelMixer::Channel(i);
        m_mixer->channelLabel(c)->setFixedSize(20, 14);
        m_mixer->bar(c)->setMinimumHeight(170);
        mix->addWidget(m_mixer->channelLabel(c), 1, i, Qt::AlignHCenter);
        mix->addWidget(m_mixer->bar(c), 2, i, Qt::AlignHCenter);
    }
    auto *invert = new QPushButton(QStringLiteral("反転"), this);
    invert->setObjectName("Command3");
    invert->setAutoDefault(false);
    mix->addWidget(invert, 3, 0, 1, 3);
    connect(invert, &QPushButton::clicked, this, &BodyFrm::invertMix);

    auto *columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addSpacing(16);
    columns->addLayout(mix);
    finish(columns, QStringLiteral("Command2"));
}

QString BodyFrm::startTag() const
{
    std::vector<AttrRow> rows;
    for (int i = 0; i < kRows; ++i) {
        const QLineEdit *box = m_bgtxt[i];
        rows.push_back({m_chk[i], QLatin1Char(' ') + m_chk[i]->text() + QLatin1Char('='),
                        [box]() -> std::optional<QString> { return QLatin1Char('#') + box->text(); }, Quote::Double, {}});
    }
    rows.push_back({m_check1, QStringLiteral(" background="), textOf(m_text1), Quote::Double, {}});
    // The watermark belongs to the background image and counts only with it.
    const QCheckBox *image = m_check1;
    rows.push_back({m_check2, QStringLiteral(" bgproperties="),
                    [image]() -> std::optional<QString> {
                        return image->isChecked() ? std::optional<QString>(QStringLiteral("fixed")) : std::nullopt;
                    },
                    Quote::Double, {}});
    return QStringLiteral("<body") + composeAttributes(rows) + QLatin1Char('>');
}

Insertion BodyFrm::insertion() const
{
    return Insertion::wrapping(startTag() + QLatin1Char('\n'), QStringLiteral("\n</body>"));
}

void BodyFrm::takeMix(int index)
{
    m_bgtxt[index]->setText(m_mixer->bareColorText());
}

void BodyFrm::invertMix()
{
    m_mixer->invert();
}
