#include "pathfrm.h"

#include "platform/previewpane.h"
#include "platform/shared.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using PathLogic::Mode;

namespace {

const char *const kFullText = "value";  // the whole text of a label or caption shown shortened

QString literalCaption(QString text)
{
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

}

PathFrm::PathFrm(QWidget *parent) : QDialog(parent)
{
    setObjectName("PathFrm");
    setWindowTitle(QStringLiteral("パス名"));
    buildControls();

    // Opening: the document's folder and its parent; Option1 and the filter for all
    // files are selected, and the caption keeps its design text until the first change.
    m_folders = PathLogic::foldersOf(Shared::DocumentPath, QDir::currentPath());
    setLabelText(m_label2, QStringLiteral("現在ディレクトリ=") + m_folders.current);
    if (m_folders.hasUpper()) {
        setLabelText(m_label5, QStringLiteral("上層ディレクトリ=") + m_folders.upper);
    } else {
        setLabelText(m_label5, QStringLiteral("上層ディレクトリ=なし"));
        m_option[3]->setEnabled(false);
        m_option[4]->setEnabled(false);
    }
    m_path = QStringLiteral("default/default.gif");
    setCaptionText(m_command2, m_path);
    applyPathMode();

    // Handlers are connected only now, so that opening composes nothing.
    for (int i = 1; i <= 5; ++i) {
        connect(m_option[i], &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                recompose();
        });
    }
    for (int i = 1; i <= 7; ++i)
        connect(m_text[i], &QLineEdit::textChanged, this, &PathFrm::recompose);
    for (int i = 0; i < 3; ++i) {
        connect(m_filterOption[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                chooseFilter(i);
        });
    }
    connect(m_file1, &QListWidget::currentRowChanged, this, [this] { showChosenFile(); });
    connect(m_file1, &QListWidget::itemDoubleClicked, this, [this] { takeChosenFile(); });
    connect(m_check1, &QCheckBox::clicked, this, &PathFrm::togglePreview);
    connect(m_command2, &QPushButton::clicked, this, &PathFrm::acceptPath);
    connect(m_cancel, &QPushButton::clicked, this, &PathFrm::cancel);
}

void PathFrm::buildControls()
{
    auto named = [](QWidget *w, const QString &name) {
        w->setObjectName(name);
        return w;
    };

    m_label2 = new QLabel(this);
    m_label5 = new QLabel(this);
    named(m_label2, "Label2");
    named(m_label5, "Label5");
    for (QLabel *l : {m_label2, m_label5})
        l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    // Left: the five modes with their text boxes.
    const char *const optionCaptions[] = {nullptr, "同じﾃﾞｨﾚｸﾄﾘ内　　  ﾌｧｲﾙ名：", "下層ﾃﾞｨﾚｸﾄﾘ内　ﾃﾞｨﾚｸﾄﾘ名：",
                                          "上層ﾃﾞｨﾚｸﾄﾘ内　　 ﾌｧｲﾙ名：", "同階層ﾃﾞｨﾚｸﾄﾘ内 ﾃﾞｨﾚｸﾄﾘ名：", "絶対パス"};
    auto *modes = new QButtonGroup(this);
    for (int i = 1; i <= 5; ++i) {
        m_option[i] = new QRadioButton(QString::fromUtf8(optionCaptions[i]), this);
        named(m_option[i], QStringLiteral("Option%1").arg(i));
        modes->addButton(m_option[i], i);
    }
    for (int i = 1; i <= 7; ++i) {
        m_text[i] = new QLineEdit(this);
        named(m_text[i], QStringLiteral("Text%1").arg(i));
        m_text[i]->setMinimumWidth(150);
    }
    m_option[1]->setChecked(true);
    auto *label1 = new QLabel(QStringLiteral("ﾌｧｲﾙ名："), this);
    auto *label3 = new QLabel(QStringLiteral("ﾌｧｲﾙ名："), this);
    named(label1, "Label1");
    named(label3, "Label3");
    label1->setBuddy(m_text[3]);
    label3->setBuddy(m_text[6]);
    for (QLabel *l : {label1, label3})
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    // Each mode's rows: the option (or a caption) at left, its box at right.
    const struct {
        QWidget *caption;
        QLineEdit *box;
        bool gapBefore;
    } rows[] = {{m_option[1], m_text[1], false}, {m_option[2], m_text[2], true}, {label1, m_text[3], false},
                {m_option[3], m_text[4], true},  {m_option[4], m_text[5], true}, {label3, m_text[6], false},
                {m_option[5], m_text[7], true}};
    auto *left = new QGridLayout;
    left->setVerticalSpacing(4);
    int row = 0;
    for (const auto &r : rows) {
        if (r.gapBefore)
            left->setRowMinimumHeight(row++, 10);
        left->addWidget(r.caption, row, 0);
        left->addWidget(r.box, row++, 1);
    }
    left->setRowStretch(row, 1);

    // Middle: the file list, the size and the filter.
    auto *label4 = new QLabel(QStringLiteral("ﾌｧｲﾙ一覧からﾀﾞﾌﾞﾙｸﾘｯｸすると、ﾌｧｲﾙ名に入力することが出来ます。"), this);
    named(label4, "Label4");
    m_file1 = new QListWidget(this);
    named(m_file1, "File1");
    m_file1->setMinimumSize(170, 150);
    m_file1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_file1->installEventFilter(this);
    label4->setBuddy(m_file1);
    m_label6 = new QLabel(this);
    named(m_label6, "Label6");
    m_label6->setMinimumHeight(m_label6->fontMetrics().lineSpacing() * 2);
    auto *frame1 = new QGroupBox(this);
    named(frame1, "Frame1");
    auto *filterBox = new QVBoxLayout(frame1);
    filterBox->setContentsMargins(6, 4, 6, 4);
    const char *const filterCaptions[] = {"すべてのﾌｧｲﾙ", "画像ﾌｧｲﾙ", "HTMLﾌｧｲﾙ"};
    auto *filters = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        m_filterOption[i] = new QRadioButton(QString::fromUtf8(filterCaptions[i]), frame1);
        named(m_filterOption[i], QStringLiteral("Option6(%1)").arg(i));
        filters->addButton(m_filterOption[i], i);
        filterBox->addWidget(m_filterOption[i]);
    }
    m_filterOption[0]->setChecked(true);

    auto *middle = new QVBoxLayout;
    middle->addWidget(m_file1, 1);
    middle->addWidget(m_label6);
    middle->addWidget(frame1);

    // Right: the preview switch and the three previews sharing one place.
    m_check1 = new QCheckBox(QStringLiteral("プレビュー"), this);
    named(m_check1, "Check1");
    auto *previewArea = new QWidget(this);
    previewArea->setMinimumSize(260, 200);
    auto *stack = new QGridLayout(previewArea);
    stack->setContentsMargins(0, 0, 0, 0);
    m_preImg = new QLabel(previewArea);
    named(m_preImg, "PreImg");
    m_preImg->setAlignment(Qt::AlignCenter);
    m_preImg->setFrameShape(QFrame::StyledPanel);
    m_preImg->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    m_preWeb = new PreviewPane(previewArea);
    named(m_preWeb, "PreWeb");
    m_preTxt = new QPlainTextEdit(previewArea);
    named(m_preTxt, "PreTxt");
    m_preTxt->setReadOnly(true);
    m_preTxt->setLineWrapMode(QPlainTextEdit::NoWrap);
    for (QWidget *w : {static_cast<QWidget *>(m_preImg), static_cast<QWidget *>(m_preWeb),
                       static_cast<QWidget *>(m_preTxt)}) {
        stack->addWidget(w, 0, 0);
        w->hide();
    }
    auto *right = new QVBoxLayout;
    right->addWidget(m_check1);
    right->addWidget(previewArea, 1);

    auto *lists = new QGridLayout;
    lists->addWidget(label4, 0, 0, 1, 2);
    lists->addLayout(middle, 1, 0);
    lists->addLayout(right, 1, 1);
    lists->setColumnStretch(1, 1);

    auto *body = new QHBoxLayout;
    body->addLayout(left);
    body->addSpacing(12);
    body->addLayout(lists, 1);

    m_command2 = new QPushButton(this);
    named(m_command2, "Command2");
    m_command2->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_command2->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    named(m_cancel, "Cancel");
    m_cancel->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_command2, 4);
    buttons->addWidget(m_cancel, 1);

    // Tab runs down the modes with their boxes, then through the list and its controls.
    const QList<QWidget *> order = {m_option[1], m_text[1], m_option[2], m_text[2], m_text[3], m_option[3],
                                    m_text[4], m_option[4], m_text[5], m_text[6], m_option[5], m_text[7],
                                    m_file1, m_filterOption[0], m_filterOption[1], m_filterOption[2],
                                    m_check1, m_preTxt, m_command2, m_cancel};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    m_text[1]->setFocus();

    auto *top = new QVBoxLayout(this);
    top->addWidget(m_label2);
    top->addWidget(m_label5);
    top->addSpacing(6);
    top->addLayout(body, 1);
    top->addSpacing(6);
    top->addLayout(buttons);

    resize(820, 440);
}

QString PathFrm::run(QWidget *parent)
{
    PathFrm dialog(parent);
    dialog.exec();
    return Shared::PickedPath;
}

Mode PathFrm::mode() const
{
    for (int i = 2; i <= 5; ++i) {
        if (m_option[i]->isChecked())
            return Mode(i);
    }
    return Mode::Same;
}

PathLogic::Texts PathFrm::texts() const
{
    PathLogic::Texts t;
    for (int i = 1; i <= 7; ++i)
        t[i] = m_text[i]->text();
    return t;
}

QString PathFrm::composePath()
{
    const QString path = PathLogic::composePath(mode(), texts());
    applyPathMode();
    return path;
}

void PathFrm::recompose()
{
    m_path = composePath();
    setCaptionText(m_command2, m_path);
}

void PathFrm::applyPathMode()
{
    const Mode m = mode();
    const auto enabled = PathLogic::enabledTexts(m);
    for (int i = 1; i <= 7; ++i)
        m_text[i]->setEnabled(enabled[i]);
    if (m == Mode::Absolute)
        m_text[7]->setFocus();

    // A folder that does not exist, or that lists no file of the filter, leaves the
    // list disabled.
    const std::optional<QString> folder = PathLogic::listFolder(m, m_folders, texts());
    if (!folder || !fillList(*folder) || m_file1->count() == 0) {
        clearList();
        return;
    }
    m_file1->setEnabled(true);
    showChosenFile();
}

bool PathFrm::fillList(const QString &folder)
{
    const QDir dir(folder);
    if (!dir.exists())
        return false;
    const QString kept = folder == m_listFolder ? selectedFile() : QString();
    const QStringList names = dir.entryList(PathLogic::filterPatterns(m_filter), QDir::Files,
                                            QDir::Name | QDir::IgnoreCase);
    m_listFolder = folder;
    {
        const QSignalBlocker quiet(m_file1);
        m_file1->clear();
        m_file1->addItems(names);
        // The entry picked before stays picked while the list shows the same folder.
        const auto found = kept.isEmpty() ? QList<QListWidgetItem *>()
                                          : m_file1->findItems(kept, Qt::MatchExactly | Qt::MatchCaseSensitive);
        m_file1->setCurrentRow(found.isEmpty() ? 0 : m_file1->row(found.first()));
    }
    return true;
}

void PathFrm::clearList()
{
    {
        const QSignalBlocker quiet(m_file1);
        m_file1->clear();
    }
    m_file1->setEnabled(false);
    m_listFolder.clear();
    m_label6->clear();
    hidePreview();
}

QString PathFrm::selectedFile() const
{
    const QListWidgetItem *item = m_file1->currentItem();
    return item && m_file1->currentRow() >= 0 ? item->text() : QString();
}

void PathFrm::showChosenFile()
{
    const QString name = selectedFile();
    if (name.isEmpty())
        return;
    const QString full = PathLogic::joinPath(m_listFolder, name);
    m_label6->setText(PathLogic::sizeLabel(QFileInfo(full).size()));
    if (m_check1->isChecked())
        showPreview(full);
}

void PathFrm::takeChosenFile()
{
    const QString name = selectedFile();
    if (!name.isEmpty())
        m_text[PathLogic::fileNameBox(mode())]->setText(name);
}

void PathFrm::togglePreview()
{
    if (m_check1->isChecked())
        showChosenFile();
    else
        hidePreview();
}

void PathFrm::chooseFilter(int index)
{
    m_filter = index;
    recompose();
}

void PathFrm::acceptPath()
{
    Shared::PickedPath = m_path;
    accept();
}

void PathFrm::cancel()
{
    reject();
}

void PathFrm::reject()
{
    Shared::PickedPath.clear();
    QDialog::reject();
}

void PathFrm::showPreview(const QString &file)
{
    const PathLogic::PreviewKind kind = PathLogic::previewKindOf(QFileInfo(file).fileName());
    QWidget *shown = kind == PathLogic::PreviewKind::Page      ? static_cast<QWidget *>(m_preWeb)
                     : kind == PathLogic::PreviewKind::Picture ? static_cast<QWidget *>(m_preImg)
                                                               : static_cast<QWidget *>(m_preTxt);
    // Typing re-points the list at the same entry again and again; the preview it
    // already shows is not loaded anew.
    if (file == m_previewFile && !shown->isHidden())
        return;
    hidePreview();
    m_previewFile = file;
    switch (kind) {
    case PathLogic::PreviewKind::Page:
        m_preWeb->show();
        m_preWeb->showFile(file);
        break;
    case PathLogic::PreviewKind::Picture:
        m_preImg->show();
        showPicture(file);
        break;
    case PathLogic::PreviewKind::Text:
        m_preTxt->show();
        m_preTxt->setPlainText(PathLogic::textPreview(file));
        break;
    }
}

void PathFrm::showPicture(const QString &file)
{
    QImageReader reader(file);
    reader.setAutoTransform(true);
    // Large pictures are read at the size they are shown.
    const QWidget *area = m_preImg->parentWidget();
    const QSize box = area->size().expandedTo(area->minimumSize()) - QSize(4, 4);
    const QSize full = reader.size();
    if (full.isValid() && (full.width() > box.width() || full.height() > box.height()))
        reader.setScaledSize(full.scaled(box, Qt::KeepAspectRatio));
    const QImage image = reader.read();
    if (image.isNull()) {
        m_preImg->setPixmap(QPixmap());
        m_preImg->setText(QStringLiteral("この画像は表示できません。"));
        return;
    }
    m_preImg->setPixmap(QPixmap::fromImage(image));
}

void PathFrm::hidePreview()
{
    m_preImg->hide();
    m_preWeb->hide();
    m_preTxt->hide();
    m_previewFile.clear();
}

void PathFrm::setCaptionText(QPushButton *button, const QString &text)
{
    button->setProperty(kFullText, text);
    button->setToolTip(text);
    // Shortened to the room it has once the window is on screen.
    const int room = qMax(40, button->width() - 24);
    button->setText(literalCaption(isVisible() ? button->fontMetrics().elidedText(text, Qt::ElideMiddle, room) : text));
}

void PathFrm::setLabelText(QLabel *label, const QString &text)
{
    label->setProperty(kFullText, text);
    label->setToolTip(text);
    label->setText(isVisible() ? label->fontMetrics().elidedText(text, Qt::ElideMiddle, qMax(40, label->width())) : text);
}

void PathFrm::refreshElided()
{
    setLabelText(m_label2, m_label2->property(kFullText).toString());
    setLabelText(m_label5, m_label5->property(kFullText).toString());
    setCaptionText(m_command2, m_path);
}

void PathFrm::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    refreshElided();
}

void PathFrm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    refreshElided();
}

bool PathFrm::eventFilter(QObject *watched, QEvent *event)
{
    // Enter on the list picks the entry as a double-click does, instead of closing.
    if (watched == m_file1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            takeChosenFile();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void runPathPicker(QWidget *parent)
{
    PathFrm::run(parent);
}
