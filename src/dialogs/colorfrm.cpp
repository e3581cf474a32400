#include "colorfrm.h"

#include "platform/colortext.h"
#include "platform/shared.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

ColorFrm::ColorFrm(QWidget *parent) : QDialog(parent)
{
    setObjectName("colorFrm");
    setWindowTitle(QStringLiteral("color"));

    m_mixer = new ChannelMixer(this, Qt::Horizontal, QString(), 255, 1, false);
    m_mixer->swatch()->setFixedSize(64, 64);

    m_confirm = new QPushButton(this);
    m_confirm->setObjectName("Command1");
    m_confirm->setDefault(true);
    m_confirm->setAutoDefault(true);

    auto *grid = new QGridLayout(this);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    grid->addWidget(m_mixer->swatch(), 0, 0, 3, 1);
    for (int i = 0; i < 3; ++i) {
        const auto c = ChannelMixer::Channel(i);
        m_mixer->channelLabel(c)->setFixedSize(18, 18);
        m_mixer->bar(c)->setMinimumWidth(200);
        grid->addWidget(m_mixer->channelLabel(c), i, 1);
        grid->addWidget(m_mixer->bar(c), i, 2);
    }
    grid->addWidget(m_confirm, 3, 0, 1, 3);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_mixer, &ChannelMixer::colorChanged, this, &ColorFrm::updateCaption);
    connect(m_confirm, &QPushButton::clicked, this, &ColorFrm::confirm);
    updateCaption();
    m_mixer->bar(ChannelMixer::Red)->setFocus();
}

void ColorFrm::updateCaption()
{
    m_confirm->setText(m_mixer->colorText());
}

void ColorFrm::confirm()
{
    Shared::ChosenColor = m_confirm->text();
    accept();
}

QString ColorFrm::run(QWidget *parent)
{
    ColorFrm dlg(parent);
    dlg.exec();
    return Shared::ChosenColor;
}

void runColourPicker(QWidget *parent)
{
    ColorFrm::run(parent);
}
