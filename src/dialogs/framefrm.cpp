#include "framefrm.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

QString frameSizeText(const FramePanel &panel)
{
    switch (panel.unit) {
    case FramePanel::Percent: return panel.size + QLatin1Char('%');
    case FramePanel::Pixels: return panel.size;
    case FramePanel::Rest: break;
    }
    return QStringLiteral("*");
}

QString framesetText(bool rows, const std::vector<FramePanel> &panels)
{
    QStringList sizes;
    QString frames;
    for (const FramePanel &p : panels) {
        sizes << frameSizeText(p);
        frames += QStringLiteral("   <frame src=") + p.source + QStringLiteral(">\n");
    }
    return QStringLiteral("<frameset") + (rows ? QStringLiteral(" rows=") : QStringLiteral(" cols=")) +
           sizes.join(QLatin1Char(',')) + QStringLiteral(">\n") + frames + QStringLiteral("</frameset>");
}

FrameFrm::FrameFrm(EditArea *edit, QWidget *parent)
    : InsertingDialog(edit, parent, QStringLiteral("framefrm"), QStringLiteral("<frame>"))
{
    auto *frame1 = new QGroupBox(QStringLiteral("フレーム"), this);
    frame1->setObjectName("Frame1");
    m_option1 = new QRadioButton(QStringLiteral("縦に分割"), frame1);
    m_option1->setObjectName("Option1");
    m_option1->setChecked(true);
    auto *option2 = new QRadioButton(QStringLiteral("横に分割"), frame1);
    option2->setObjectName("Option2");
    auto *direction = new QHBoxLayout(frame1);
    direction->addWidget(m_option1);
    direction->addWidget(option2);
    direction->addStretch();

    m_check1 = new QCheckBox(QStringLiteral("フレーム3"), this);
    m_check1->setObjectName("Check1");

    const char *const initialSizes[] = {"50", "25", "50"};
    const int sizeWidth = fontMetrics().horizontalAdvance(QLatin1Char('0')) * 6 + 12;
    auto *body = new QVBoxLayout;
    body->addWidget(frame1);
    for (int i = 0; i < 3; ++i) {
        const QString index = QStringLiteral("(%1)").arg(i);
        // Panel 3 carries no caption: the check box above it switches it on.
        m_panel[i] = new QGroupBox(i < 2 ? QStringLiteral("フレーム%1").arg(i + 1) : QString(), this);
        m_panel[i]->setObjectName("Frame2" + index);
        m_size[i] = new QLineEdit(QString::fromLatin1(initialSizes[i]), m_panel[i]);
        m_size[i]->setObjectName("Text1" + index);
        m_size[i]->setFixedWidth(sizeWidth);
        m_percent[i] = new QRadioButton(QStringLiteral("パーセント"), m_panel[i]);
        m_percent[i]->setObjectName("Option3" + index);
        m_percent[i]->setChecked(true);
        m_pixels[i] = new QRadioButton(QStringLiteral("ピクセル"), m_panel[i]);
        m_pixels[i]->setObjectName("Option4" + index);
        m_rest[i] = new QRadioButton(QStringLiteral("残り全部"), m_panel[i]);
        m_rest[i]->setObjectName("Option5" + index);
        auto *sourceLabel = new QLabel(QStringLiteral("コンテンツ："), m_panel[i]);
        m_source[i] = new QLineEdit(m_panel[i]);
        m_source[i]->setObjectName("Text2" + index);
        m_source[i]->setMinimumWidth(220);
        sourceLabel->setBuddy(m_source[i]);
        QPushButton *browse = browseButton("Command2" + index, m_source[i]);

        auto *grid = new QGridLayout(m_panel[i]);
        auto *sizeRow = new QHBoxLayout;
        sizeRow->addWidget(m_size[i]);
        sizeRow->addWidget(m_percent[i]);
        sizeRow->addWidget(m_pixels[i]);
        sizeRow->addWidget(m_rest[i]);
        sizeRow->addStretch();
        grid->addLayout(sizeRow, 0, 0, 1, 3);
        grid->addWidget(sourceLabel, 1, 0);
        grid->addWidget(m_source[i], 1, 1);
        grid->addWidget(browse, 1, 2);

        if (i == 2)
            body->addWidget(m_check1);
        body->addWidget(m_panel[i]);

        connect(m_rest[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                takeTheRest(i);
        });
    }
    m_panel[2]->setEnabled(false);
    connect(m_check1, &QCheckBox::toggled, this, &FrameFrm::enableThirdFrame);
    finish(body);
}

QString FrameFrm::text() const
{
    std::vector<FramePanel> panels;
    const int count = m_check1->isChecked() ? 3 : 2;
    for (int i = 0; i < count; ++i) {
        FramePanel p;
        p.size = m_size[i]->text();
        p.unit = m_percent[i]->isChecked() ? FramePanel::Percent
                 : m_pixels[i]->isChecked() ? FramePanel::Pixels
                                            : FramePanel::Rest;
        p.source = m_source[i]->text();
        panels.push_back(p);
    }
    return framesetText(m_option1->isChecked(), panels);
}

void FrameFrm::enableThirdFrame()
{
    m_panel[2]->setEnabled(m_check1->isChecked());
}

void FrameFrm::takeTheRest(int index)
{
    // Only one frame takes all the rest; another that did gets pixels.
    for (int i = 0; i < 3; ++i) {
        if (i != index && m_rest[i]->isChecked())
            m_pixels[i]->setChecked(true);
    }
}
