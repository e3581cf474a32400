#include "tablewizard.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "platform/dialogbase.h"
#include "platform/editarea.h"
#include "platform/shared.h"
#include "platform/twips.h"
#include "tabledialogs.h"

namespace {

int selectedRow(const QListWidget *list)
{
    const QListWidgetItem *item = list->currentItem();
    return item && item->isSelected() ? list->currentRow() : -1;
}

void selectRow(QListWidget *list, int row)
{
    if (row < 0 || row >= list->count()) {
        list->setCurrentRow(-1);
        list->clearSelection();
    } else {
        list->setCurrentRow(row);
    }
}

const QString WizardCaption = QStringLiteral("テーブルウィザート");  // steps 1 and 3
const QString Step2Caption = QStringLiteral("テーブルウィザード");

}  // namespace

// ---------------------------------------------------------------- step 1

Wiz1Frm::Wiz1Frm(QWidget *parent) : QDialog(parent)
{
    setObjectName("Wiz1frm");
    setWindowTitle(WizardCaption);

    auto *prompt = new QLabel(QStringLiteral("表の大きさを指定してください。"), this);
    m_columns = named(new QScrollBar(Qt::Horizontal, this), "HScroll1");
    m_rows = named(new QScrollBar(Qt::Vertical, this), "VScroll1");
    for (QScrollBar *bar : {m_columns, m_rows}) {
        bar->setRange(1, MaxTableSize);
        bar->setSingleStep(1);
        bar->setPageStep(1);
        bar->setValue(1);
        bar->setFocusPolicy(Qt::StrongFocus);
    }
    m_columns->setToolTip(QStringLiteral("列の数"));
    m_columns->setAccessibleName(QStringLiteral("列の数"));
    m_rows->setToolTip(QStringLiteral("行の数"));
    m_rows->setAccessibleName(QStringLiteral("行の数"));
    m_columns->setMinimumWidth(200);
    m_rows->setMinimumHeight(120);

    m_size = named(new QLabel(sizeLabelText(1, 1), this), "Label1");
    m_size->setAlignment(Qt::AlignCenter);
    QFont big = m_size->font();
    big.setPointSizeF(big.pointSizeF() * 3);
    big.setBold(true);
    m_size->setFont(big);
    m_size->setMinimumWidth(m_size->fontMetrics().horizontalAdvance(QStringLiteral("10,10")) + 16);

    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto *grid = new QGridLayout;
    grid->addWidget(prompt, 0, 0, 1, 2);
    grid->addWidget(m_columns, 1, 1);
    grid->addWidget(m_rows, 2, 0);
    grid->addWidget(m_size, 2, 1);
    layout->addLayout(grid);
    QPushButton *next = addButtonRow(this, layout, "Command1", QStringLiteral("次へ-->"));

    connect(m_columns, &QScrollBar::valueChanged, this, &Wiz1Frm::updateSizeLabel);
    connect(m_rows, &QScrollBar::valueChanged, this, &Wiz1Frm::updateSizeLabel);
    connect(next, &QPushButton::clicked, this, &Wiz1Frm::next);
    m_columns->installEventFilter(this);
    m_columns->setFocus();
}

bool Wiz1Frm::eventFilter(QObject *watched, QEvent *event)
{
    // A horizontal scroll bar steps the wrong way round on Left and Right (Right takes
    // a column away); here Right adds a column and Left takes one away.
    if (watched == m_columns && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Left || key == Qt::Key_Right) {
            m_columns->triggerAction(key == Qt::Key_Right ? QAbstractSlider::SliderSingleStepAdd
                                                          : QAbstractSlider::SliderSingleStepSub);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

std::optional<QString> Wiz1Frm::compose(QWidget *parent)
{
    Wiz1Frm step1(parent);
    step1.exec();
    return step1.table();
}

void Wiz1Frm::run(EditArea *edit, QWidget *parent)
{
    if (const std::optional<QString> table = compose(parent))
        edit->insert(*table);
}

void Wiz1Frm::updateSizeLabel()
{
    m_size->setText(sizeLabelText(m_columns->value(), m_rows->value()));
}

void Wiz1Frm::next()
{
    TableSpec chosen;
    chosen.columns = Shared::TableColumns = m_columns->value();
    chosen.rows = Shared::TableRows = m_rows->value();
    hide();
    {
        Wiz2Frm step2(chosen, parentWidget());
        step2.exec();
        m_table = step2.table();
    }
    accept();
}

// ---------------------------------------------------------------- step 2

Wiz2Frm::Wiz2Frm(const TableSpec &chosen, QWidget *parent) : QDialog(parent), m_chosen(chosen)
{
    setObjectName("Wiz2frm");
    setWindowTitle(Step2Caption);
    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto *grid = new QGridLayout;
    layout->addLayout(grid);
    m_rows = addAttrRows(this, grid, 0, tableAttrDefs());
    QPushButton *next = addButtonRow(this, layout, "Command1", QStringLiteral("次へ-->"));
    connect(next, &QPushButton::clicked, this, &Wiz2Frm::next);
}

void Wiz2Frm::next()
{
    TableSpec chosen = m_chosen;
    chosen.startTag = Shared::TableStartTag = tableStartTag(m_rows);
    hide();
    {
        Wiz3Frm step3(chosen, parentWidget());
        step3.exec();
        m_table = step3.table();
    }
    accept();
}

// ---------------------------------------------------------------- step 3

GridLabel::GridLabel(int index, QWidget *parent) : QLabel(parent), m_index(index)
{
    setObjectName(QStringLiteral("SelLbl(%1)").arg(index));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::ClickFocus);
    const QString where = QStringLiteral("(%1,%2)").arg(gridColumn(index) + 1).arg(gridRow(index) + 1);
    setToolTip(where);
    setAccessibleName(QStringLiteral("セル") + where);
    setAlignment(Qt::AlignCenter);
}

void GridLabel::showCell(const QString &content, bool header, bool selected)
{
    QFont f = font();
    f.setBold(header);
    setFont(f);
    const bool placeholder = header && content.isEmpty();
    const QString text = placeholder ? QStringLiteral("見出し") : content;
    setText(QFontMetrics(f).elidedText(text.simplified(), Qt::ElideRight, qMax(0, contentsRect().width() - 6)));
    QPalette p = palette();
    p.setColor(QPalette::WindowText, selected ? QColor(Qt::white) : placeholder ? QColor(Qt::gray) : QColor(Qt::black));
    setPalette(p);
}

void GridLabel::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton) {
        emit clicked(m_index);
        e->accept();
        return;
    }
    QLabel::mousePressEvent(e);
}

void GridLabel::keyPressEvent(QKeyEvent *e)
{
    switch (e->key()) {
    case Qt::Key_Left: emit moveRequested(m_index, -1, 0); break;
    case Qt::Key_Right: emit moveRequested(m_index, 1, 0); break;
    case Qt::Key_Up: emit moveRequested(m_index, 0, -1); break;
    case Qt::Key_Down: emit moveRequested(m_index, 0, 1); break;
    default: QLabel::keyPressEvent(e); return;
    }
    e->accept();
}

const QColor &Wiz3Frm::selectedColor()
{
    static const QColor blue(0, 0, 255);
    return blue;
}

Wiz3Frm::Wiz3Frm(const TableSpec &chosen, QWidget *parent) : QDialog(parent), m_chosen(chosen)
{
    setObjectName("Wiz3frm");
    setWindowTitle(WizardCaption);

    // The grid sits at fixed places above the laid-out panel.
    auto *prompt = new QLabel(QStringLiteral("セルを選択して、画面下で設定してください"), this);
    prompt->move(Twips::toPixels(120), 0);
    prompt->resize(prompt->sizeHint().width(), Twips::toPixels(300));
    m_labels.reserve(MaxTableSize * MaxTableSize);
    for (int i = 0; i < MaxTableSize * MaxTableSize; ++i) {
        auto *label = new GridLabel(i, this);
        label->hide();
        connect(label, &GridLabel::clicked, this, [this, label](int index) {
            selectCell(index);
            label->setFocus(Qt::MouseFocusReason);
        });
        connect(label, &GridLabel::moveRequested, this, &Wiz3Frm::moveSelection);
        m_labels.push_back(label);
        paintLabel(i, i == 0 ? selectedColor() : palette().color(QPalette::Base));
    }

    m_frame = named(new QGroupBox(cellCaption(0, 0), this), "Frame1");
    m_data = named(new QRadioButton(QStringLiteral("データセル"), m_frame), "sel1");
    m_header = named(new QRadioButton(QStringLiteral("見出しセル"), m_frame), "sel2");
    m_data->setChecked(true);
    m_alignOn = named(new QCheckBox(QStringLiteral("横位置"), m_frame), "chkAlign");
    m_align = makeShortList(m_frame, "lstAlign", alignItems());
    m_valignOn = named(new QCheckBox(QStringLiteral("縦位置"), m_frame), "chkValign");
    m_valign = makeShortList(m_frame, "lstValign", valignItems());
    // The chosen item stays marked while the grid or another box has the focus.
    for (QListWidget *list : {m_align, m_valign}) {
        QPalette p = list->palette();
        p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
        p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
        list->setPalette(p);
    }
    m_nowrap = named(new QCheckBox(QStringLiteral("改行禁止"), m_frame), "chkNowrap");
    m_widthOn = named(new QCheckBox(QStringLiteral("幅"), m_frame), "chkWidth");
    m_width = named(new QLineEdit(m_frame), "txtWidth");
    m_heightOn = named(new QCheckBox(QStringLiteral("高さ"), m_frame), "chkHeight");
    m_height = named(new QLineEdit(m_frame), "txtHeight");
    auto *contentLabel = new QLabel(QStringLiteral("内容："), m_frame);
    m_content = named(new QLineEdit(m_frame), "Text1");
    contentLabel->setBuddy(m_content);
    // The grid follows the panel: the current cell shows what is being typed.
    connect(m_content, &QLineEdit::textChanged, this, [this] { showCell(m_column, m_row); });
    connect(m_header, &QRadioButton::toggled, this, [this] { showCell(m_column, m_row); });
    m_width->setFixedWidth(shortBoxWidth(m_width));
    m_height->setFixedWidth(shortBoxWidth(m_height));

    auto *panel = new QGridLayout(m_frame);
    panel->addWidget(m_data, 0, 0, 1, 2);
    panel->addWidget(m_header, 0, 2, 1, 2);
    panel->addWidget(m_alignOn, 1, 0, Qt::AlignTop);
    panel->addWidget(m_align, 1, 1, Qt::AlignLeft | Qt::AlignTop);
    panel->addWidget(m_valignOn, 1, 2, Qt::AlignTop);
    panel->addWidget(m_valign, 1, 3, Qt::AlignLeft | Qt::AlignTop);
    panel->addWidget(m_nowrap, 2, 0, 1, 4);
    panel->addWidget(m_widthOn, 3, 0);
    panel->addWidget(m_width, 3, 1, Qt::AlignLeft);
    panel->addWidget(m_heightOn, 3, 2);
    panel->addWidget(m_height, 3, 3, Qt::AlignLeft);
    panel->addWidget(contentLabel, 4, 0);
    panel->addWidget(m_content, 4, 1, 1, 3);
    panel->setColumnStretch(3, 1);

    const int gridRight = Twips::toPixels(120 + 6000 + 120);
    const int gridBottom = Twips::toPixels(300 + 1800);
    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setContentsMargins(Twips::toPixels(120), gridBottom + 8, Twips::toPixels(120), Twips::toPixels(120));
    m_frame->setMinimumWidth(gridRight - 2 * Twips::toPixels(120));
    layout->addWidget(m_frame);
    QPushButton *ok = addButtonRow(this, layout, "Command1", QStringLiteral("OK"));
    // Enter in the panel's boxes must not finish the whole table by accident.
    ok->setAutoDefault(false);
    ok->setDefault(false);
    connect(ok, &QPushButton::clicked, this, &Wiz3Frm::finishTable);

    load();
}

void Wiz3Frm::load()
{
    selectRow(m_align, 0);
    selectRow(m_valign, 0);
    m_columns = qBound(1, m_chosen.columns, MaxTableSize);
    m_rowsCount = qBound(1, m_chosen.rows, MaxTableSize);
    for (int c = 0; c < m_columns; ++c) {
        for (int r = 0; r < m_rowsCount; ++r) {
            GridLabel *label = m_labels[gridIndex(c, r)];
            label->setGeometry(gridCellPixels(m_columns, m_rowsCount, c, r));
            label->show();
            CellSettings[c][r] = CellState();
            CellHtml[c][r] = QStringLiteral("<td></td>");
        }
    }
    m_column = 0;
    m_row = 0;
    m_labels[0]->setFocusPolicy(Qt::StrongFocus);
    for (int c = 0; c < m_columns; ++c)
        for (int r = 0; r < m_rowsCount; ++r)
            showCell(c, r);
}

void Wiz3Frm::showCell(int column, int row)
{
    const bool current = column == m_column && row == m_row;
    const CellState cell = current ? panelState() : CellSettings[column][row];
    m_labels[gridIndex(column, row)]->showCell(cell.content, !cell.dataCell, current);
}

void Wiz3Frm::paintLabel(int index, const QColor &color)
{
    QPalette p = m_labels[index]->palette();
    p.setColor(QPalette::Window, color);
    m_labels[index]->setPalette(p);
}

void Wiz3Frm::selectCell(int index)
{
    if (index < 0 || index >= int(m_labels.size()) || gridColumn(index) >= m_columns || gridRow(index) >= m_rowsCount)
        return;
    for (int c = 0; c < m_columns; ++c)
        for (int r = 0; r < m_rowsCount; ++r)
            paintLabel(gridIndex(c, r), Qt::white);
    paintLabel(index, selectedColor());

    saveCellSettings();
    storeCellHtml();

    // Only the current cell is reached with Tab; the arrows move from there.
    m_labels[gridIndex(m_column, m_row)]->setFocusPolicy(Qt::ClickFocus);
    m_row = gridRow(index);
    m_column = gridColumn(index);
    m_labels[index]->setFocusPolicy(Qt::StrongFocus);

    loadCellSettings();
    m_frame->setTitle(cellCaption(m_column, m_row));
    for (int c = 0; c < m_columns; ++c)
        for (int r = 0; r < m_rowsCount; ++r)
            showCell(c, r);
}

void Wiz3Frm::moveSelection(int index, int dColumn, int dRow)
{
    const int c = qBound(0, gridColumn(index) + dColumn, m_columns - 1);
    const int r = qBound(0, gridRow(index) + dRow, m_rowsCount - 1);
    const int target = gridIndex(c, r);
    if (target == index)
        return;
    selectCell(target);
    m_labels[target]->setFocus(Qt::OtherFocusReason);
}

CellState Wiz3Frm::panelState() const
{
    CellState s;
    s.dataCell = m_data->isChecked();
    s.headerCell = m_header->isChecked();
    s.alignOn = m_alignOn->isChecked() ? 1 : 0;
    s.alignIndex = selectedRow(m_align);
    s.valignOn = m_valignOn->isChecked() ? 1 : 0;
    s.valignIndex = selectedRow(m_valign);
    s.nowrap = m_nowrap->isChecked() ? 1 : 0;
    s.widthOn = m_widthOn->isChecked() ? 1 : 0;
    s.widthText = m_width->text();
    s.heightOn = m_heightOn->isChecked() ? 1 : 0;
    s.heightText = m_height->text();
    s.content = m_content->text();
    return s;
}

void Wiz3Frm::setPanel(const CellState &cell)
{
    (cell.dataCell ? m_data : m_header)->setChecked(true);
    m_alignOn->setChecked(cell.alignOn == 1);
    selectRow(m_align, cell.alignIndex);
    m_valignOn->setChecked(cell.valignOn == 1);
    selectRow(m_valign, cell.valignIndex);
    m_nowrap->setChecked(cell.nowrap == 1);
    m_widthOn->setChecked(cell.widthOn == 1);
    m_width->setText(cell.widthText);
    m_heightOn->setChecked(cell.heightOn == 1);
    m_height->setText(cell.heightText);
    m_content->setText(cell.content);
}

void Wiz3Frm::saveCellSettings()
{
    CellSettings[m_column][m_row] = panelState();
}

void Wiz3Frm::loadCellSettings()
{
    setPanel(CellSettings[m_column][m_row]);
}

void Wiz3Frm::storeCellHtml()
{
    CellHtml[m_column][m_row] = buildCellHtml(panelState());
}

void Wiz3Frm::finishTable()
{
    storeCellHtml();
    m_table = buildTableText(m_chosen.startTag, m_columns, m_rowsCount, CellHtml);
    accept();
}
