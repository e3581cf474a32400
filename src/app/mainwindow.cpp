#include "mainwindow.h"

#include "about.h"
#include "commands.h"
#include "encodingcmds.h"
#include "instances.h"
#include "filequestions.h"
#include "optionsdialog.h"
#include "palettetable.h"
#include "undocontroller.h"
#include "document/docpaths.h"
#include "document/preread.h"
#include "document/encoding.h"
#include "document/recovery.h"
#include "dialogs/tablewizard.h"
#include "editing/charrefs.h"
#include "editing/clipboardcmds.h"
#include "editing/conversions.h"
#include "editing/editview.h"
#include "editing/palette.h"
#include "editing/tagcompleter.h"
#include "editing/tagmenu.h"
#include "editing/tagnav.h"
#include "platform/appenv.h"
#include "platform/editarea.h"
#include "platform/previewpane.h"
#include "platform/printing.h"
#include "platform/prompts.h"
#include "platform/shared.h"
#include "tools/checkpane.h"
#include "tools/grepfrm.h"
#include "tools/gradfrm.h"
#include "tools/helpviewer.h"
#include "tools/livepreview.h"
#include "tools/mapfrm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPrinter>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

#include <optional>
#include <utility>

namespace {
const QString kUntitled = QStringLiteral("無題");

// The customisable palette fields and their settings keys (section "main"), in the
// order they are restored and saved.
struct CustomField {
    const char *field;
    const char *key;
};
constexpr CustomField kCustomFields[] = {
    {"Text1(0)", "10"}, {"Text3(0)", "30"}, {"Text1(1)", "11"}, {"Text3(1)", "31"}, {"Text4", "4"},
};

// The restore offer: which document the text belongs to, and what restoring does.
QString recoveryQuestion(const RecoveredDocument &d, const QString &commandLine)
{
    const bool untitled = d.untitled || d.path.isEmpty();
    QString q = QStringLiteral("「%1」の編集内容を復元しますか？\n\n").arg(untitled ? kUntitled : DocPaths::fileName(d.path));
    q += QStringLiteral("前回の Tarnell は正しく終了しませんでした。保存されていない編集内容が残っています。\n");
    if (!untitled)
        q += QStringLiteral("ファイル：%1（%2、%3）\n").arg(d.path, QString::fromLatin1(d.format.encoding), lineEndName(d.format.lineEnd));
    q += QStringLiteral("復元した内容は、保存するまでファイルには書き込まれません。\n"
                        "復元しない場合、残っていた内容は削除されます。");
    if (!commandLine.isEmpty())
        q += QStringLiteral("\n\n復元すると、「%1」は別のウィンドウで開きます。").arg(DocPaths::fileName(commandLine));
    return q;
}

// The warning for a page with bytes that are not valid text: where they are, and what a save does.
QString damagedBytesMessage(const QString &path, const QString &text, const QByteArray &encoding)
{
    qsizetype count = 0;
    const std::vector<TextPlace> places = damagedPlaces(text, 5, &count);
    QStringList where;
    for (const TextPlace &p : places)
        where << QStringLiteral("%1 行 %2 桁").arg(p.line).arg(p.column);
    if (count > qsizetype(places.size()))
        where << QStringLiteral("ほか %1 か所").arg(count - qsizetype(places.size()));
    return QStringLiteral("「%1」を %2 として開きましたが、正しい文字として読めないバイトが %3 か所あります。\n"
                          "その部分は「\uFFFD」で表示しています：%4\n"
                          "その部分を編集しなければ、保存してもバイトはそのまま残ります。")
        .arg(path, QString::fromLatin1(encoding), QString::number(count), where.join(QStringLiteral("、")));
}
}

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    setObjectName("Form1");
    setWindowTitle(DocPaths::caption(kUntitled));

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);

    m_edit = new EditArea;
    m_palette = new TagPalette(m_edit, PaletteTable::tabs(), PaletteTable::attributeBar());
    m_palette->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    layout->addWidget(m_palette);
    layout->addWidget(m_palette->attributeBar());

    m_tabs = new QTabWidget;
    m_tabs->setObjectName("SSTab2");
    // The editing tab holds the editor and, when it is on, the live preview beside it.
    auto *editSplit = new QSplitter;
    editSplit->setObjectName("LivePreviewSplitter");
    editSplit->setChildrenCollapsible(false);
    editSplit->addWidget(m_edit);
    m_tabs->addTab(editSplit, QStringLiteral("編集(&H)"));
    m_preview = new PreviewPane;
    m_tabs->addTab(m_preview, QStringLiteral("確認(&K)"));
    layout->addWidget(m_tabs, 1);
    setCentralWidget(central);
    m_live = new LivePreview(m_edit, editSplit, [this] {
        return LivePreview::Document{m_document.path(), m_document.format()};
    }, this);
    connect(m_live, &LivePreview::statusMessage, this, [this](const QString &text) { statusBar()->showMessage(text, 8000); });

    m_encodings = new EncodingCommands(*this);
    m_statusCaret = new QLabel;
    // A fixed size: a label that changes with every key would otherwise lay out and repaint
    // the whole status bar each time (and move the buttons beside it as the column grows).
    m_statusCaret->setText(QStringLiteral("0000000 行  000000 桁"));
    m_statusCaret->setFixedSize(m_statusCaret->sizeHint());
    m_statusCaret->clear();
    m_statusCaret->setAutoFillBackground(true);  // repainted alone, without the bar beneath
    m_statusModified = new QLabel(QStringLiteral("変更あり"));
    m_statusModified->setObjectName("ModifiedLabel");
    m_statusModified->setVisible(false);
    statusBar()->addPermanentWidget(m_statusModified);
    m_encodings->addStatusButtons(statusBar());
    statusBar()->addPermanentWidget(m_statusCaret);
    m_caretPlaceTimer.setSingleShot(true);
    m_caretPlaceTimer.setInterval(CaretPlaceMs);
    connect(&m_caretPlaceTimer, &QTimer::timeout, this, [this] {
        if (m_caretPlaceDue)
            showCaretPlace();
    });

    // Source text reads best in a fixed-width font that has the Japanese characters too.
    QFont f = m_edit->font();
    if (QFontDatabase::hasFamily(QStringLiteral("Noto Sans Mono CJK JP")))
        f.setFamily(QStringLiteral("Noto Sans Mono CJK JP"));
    f.setPointSize(10);
    // Latin and Japanese need no shaping; skipping it halves the cost of laying out long lines
    // (scripts that need shaping are still shaped).
    f.setStyleStrategy(QFont::PreferNoShaping);
    m_edit->setFont(f);
    m_view = new EditView(m_edit);
    m_completer = new TagCompleter(m_edit);

    buildMenus();
    if (m_actions.value("viewLivePreview")->isChecked())
        m_live->setShown(true);
    Commands::installPickers();
    m_checkPane = new CheckPane(m_edit, [this] {
        return CheckPane::Page{m_document.isUntitled() ? QString() : m_document.path(), m_document.format().encoding};
    }, this);
    addDockWidget(Qt::BottomDockWidgetArea, m_checkPane);
    m_checkPane->restoreVisibility();

    m_undo = new UndoController(m_edit, this);
    connect(&m_document, &Document::modifiedChanged, m_statusModified, &QLabel::setVisible);
    connect(&m_undo->history(), &UndoHistory::writeFailed, this, [this, told = false](const QString &path) mutable {
        if (!std::exchange(told, true))  // once: typing goes on without the file
            statusBar()->showMessage(
                QStringLiteral("元に戻すための履歴ファイル「%1」を書き込めません。編集はそのまま続けられます。").arg(path));
    });
    connect(m_edit, &EditArea::textEdited, this, &MainWindow::onTextEdited);
    connect(&m_document, &Document::fileChanged, this, [this] {
        if (isActiveWindow())
            checkDiskChange();
    });
    connect(m_edit, &EditArea::tabTyped, this, [this] { m_edit->insert(QStringLiteral("    ")); });
    connect(m_edit, &EditArea::contextRequested, this, [this](const QPoint &pos) {
        refreshEditMenu();
        m_edit->setFocus();
        m_menus.value("mmHensyu")->popup(pos);
    });
    connect(m_edit, &QPlainTextEdit::cursorPositionChanged, this, &MainWindow::updateStatus);
    // The selection commands follow the selection, so their shortcuts do too.
    connect(m_edit, &QPlainTextEdit::selectionChanged, this, &MainWindow::updateSelectionCommands);
    connect(m_tabs, &QTabWidget::currentChanged, this, &MainWindow::onTabChanged);
    m_edit->installEventFilter(this);
    ClipboardCmds::installPasteKeys(m_edit);
    updateSelectionCommands();

    resize(1000, 720);
}

MainWindow::~MainWindow() = default;

UndoHistory &MainWindow::history()
{
    return m_undo->history();
}

QMenu *MainWindow::menu(const QString &name) const
{
    return m_menus.value(name);
}

std::function<void()> MainWindow::onEdit(void (*command)(EditArea *))
{
    return [this, command] { command(m_edit); };
}

QAction *MainWindow::addAction(QMenu *menu, const QString &name, const QString &caption,
                               const QKeySequence &shortcut, std::function<void()> handler)
{
    QAction *a = menu->addAction(caption);
    a->setObjectName(name);
    if (!shortcut.isEmpty()) {
        a->setShortcut(shortcut);
        a->setShortcutContext(Qt::WindowShortcut);
    }
    connect(a, &QAction::triggered, this, [handler] { handler(); });
    m_actions.insert(name, a);
    return a;
}

void MainWindow::buildMenus()
{
    QMenuBar *bar = menuBar();
    auto newMenu = [&](QMenu *parent, const QString &name, const QString &caption) {
        QMenu *m = parent ? parent->addMenu(caption) : bar->addMenu(caption);
        m->setObjectName(name);
        m_menus.insert(name, m);
        return m;
    };

    // File
    QMenu *file = newMenu(nullptr, "mmFile", QStringLiteral("ファイル(&F)"));
    addAction(file, "FileNew", QStringLiteral("新規作成(&N)"), QKeySequence("Ctrl+N"), [this] { newDocument(); });
    addAction(file, "FileOpen", QStringLiteral("開く(&O)"), QKeySequence("Ctrl+O"), [this] { openDocument(); });
    m_encodings->addReopenMenu(file);
    addAction(file, "fileSa", QStringLiteral("上書き保存(&S)"), QKeySequence("Ctrl+S"), [this] { save(); });
    addAction(file, "FileName", QStringLiteral("名前をつけて保存(&A)"), {}, [this] { saveAs(); });
    m_encodings->addSaveAction(file);
    file->addSeparator();
    QMenu *print = newMenu(file, "mmPrint", QStringLiteral("印刷(&P)"));
    addAction(print, "PrintText", QStringLiteral("編集画面を印刷(&H)"), {}, [this] { printText(); });
    addAction(print, "PrintBrowse", QStringLiteral("確認画面を印刷(&K)"), {}, [this] { m_preview->print(this); });
    m_recentSeparator = file->addSeparator();
    m_recentSeparator->setObjectName("fileSaikin(0)");
    m_s1 = file->addSeparator();
    m_s1->setObjectName("s1");
    addAction(file, "FileShell", QStringLiteral("もう一つ起動(&M)"), {}, [this] { startAnotherInstance(); });
    addAction(file, "FileEnd", QStringLiteral("終了(&X)"), {}, [this] { close(); });

    // Edit
    QMenu *edit = newMenu(nullptr, "mmHensyu", QStringLiteral("編集(&E)"));
    connect(edit, &QMenu::aboutToShow, this, &MainWindow::refreshEditMenu);
    addAction(edit, "Modosu", QStringLiteral("元に戻す(&U)"), QKeySequence("Ctrl+Z"), [this] { undo(); });
    addAction(edit, "ModoYarinao", QStringLiteral("やり直す(&R)"), QKeySequence("Ctrl+Y"), [this] { redo(); })
        ->setShortcuts({QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")});
    edit->addSeparator();
    addAction(edit, "Cut", QStringLiteral("切り取り(&T)"), QKeySequence("Ctrl+X"), onEdit(ClipboardCmds::Cut));
    addAction(edit, "Copy", QStringLiteral("コピー(&C)"), QKeySequence("Ctrl+C"), onEdit(ClipboardCmds::Copy));
    addAction(edit, "Cutadd", QStringLiteral("追加切り抜き(&W)"), QKeySequence("Shift+F7"), onEdit(ClipboardCmds::Cutadd));
    addAction(edit, "Copyadd", QStringLiteral("追加コピー(&A)"), QKeySequence("Ctrl+F8"), onEdit(ClipboardCmds::Copyadd));
    QMenu *paste = newMenu(edit, "AppPaste", QStringLiteral("貼り付け(&P)"));
    addAction(paste, "Paste", QStringLiteral("貼り付け(&P)"), {}, onEdit(ClipboardCmds::Paste));
    addAction(paste, "PasteRTF", QStringLiteral("RTF形式で貼り付け(&R)"), {}, onEdit(ClipboardCmds::PasteRTF));
    addAction(paste, "FilePaste", QStringLiteral("ファイルから貼り付け(&F)"), {}, [this] { pasteFile(); });
    addAction(paste, "FilePasteRTF", QStringLiteral("ファイルから貼り付け(RTF)(&E)"), {}, [this] { pasteRichTextFile(); });
    addAction(edit, "del", QStringLiteral("削除(&D)"), QKeySequence(Qt::Key_Delete), onEdit(ClipboardCmds::del));
    edit->addSeparator();
    addAction(edit, "SelWhole", QStringLiteral("すべて選択(&S)"), QKeySequence("Ctrl+A"), onEdit(ClipboardCmds::SelWhole));
    addAction(edit, "SelAll", QStringLiteral("現在位置より下をすべて選択(&G)"), {}, onEdit(ClipboardCmds::SelAll));
    edit->addSeparator();
    QMenu *chan = newMenu(edit, "chan", QStringLiteral("変換(&H)"));
    const auto convert = [this](Conversion::Converter c) { return [this, c] { runConversion(m_edit, c); }; };
    addAction(chan, "chanLowtoUp", QStringLiteral("小文字→大文字(&U)"), {}, convert(Conversion::upper));
    addAction(chan, "chanUptoLow", QStringLiteral("大文字→小文字(&L)"), {}, convert(Conversion::lower));
    addAction(chan, "chanWide", QStringLiteral("半角→全角(&W)"), {}, convert(Conversion::wide));
    addAction(chan, "chanNarrow", QStringLiteral("全角→半角(&N)"), {}, convert(Conversion::narrow));
    addAction(chan, "chanKatakana", QStringLiteral("ひらがな→カタカナ(&K)"), {}, convert(Conversion::katakana));
    addAction(chan, "chanHiragana", QStringLiteral("カタカナ→ひらがな(&H)"), {}, convert(Conversion::hiragana));
    addAction(chan, "chanNotag", QStringLiteral("タグを消す(&T)"), {}, convert(Conversion::removeTags));
    addAction(chan, "chanBr", QStringLiteral("改行→<BR>(&B)"), {}, convert(Conversion::markLineBreaks));
    addAction(edit, "ToCharRef", QStringLiteral("文字参照に変換"), {}, convert(CharRefs::toRefs));
    addAction(edit, "FromCharRef", QStringLiteral("文字参照を文字に戻す"), {}, convert(CharRefs::fromRefs));
    edit->addSeparator();
    addAction(edit, "jumpNext", QStringLiteral("次のタグへ(&N)"), QKeySequence(Qt::Key_F5), onEdit(TagNav::jumpNext));
    addAction(edit, "jumpBefore", QStringLiteral("前のタグへ(&B)"), QKeySequence(Qt::Key_F6), onEdit(TagNav::jumpBefore));
    edit->addSeparator();
    addAction(edit, "focustoText", QStringLiteral("テキストにフォーカス(&F)"), QKeySequence(Qt::Key_F2),
              [this] { m_edit->setFocus(); });
    addAction(edit, "mmOption", QStringLiteral("オプション(&O)"), {}, [this] {
        setUndoMode(OptionsDialog::run(m_edit, this));
        refreshUndoCommands();
    });

    // Search
    QMenu *search = newMenu(nullptr, "mmKensaku", QStringLiteral("検索(&S)"));
    addAction(search, "kensaku", QStringLiteral("検索(&F)"), QKeySequence("Ctrl+F"), [this] {
        if (m_search.find(this, m_edit))
            m_actions.value("nextkensaku")->setEnabled(true);
    });
    addAction(search, "nextkensaku", QStringLiteral("次を検索(&P)"), QKeySequence(Qt::Key_F3),
              [this] { m_search.findNext(this, m_edit); })
        ->setEnabled(false);
    addAction(search, "tikan", QStringLiteral("置換(&R)"), QKeySequence("Ctrl+R"), [this] { TikanFrm::open(m_edit, this); });
    addAction(search, "FindInFiles", QStringLiteral("フォルダ内を検索(&G)…"), QKeySequence(), [this] {
        const QString doc = documentPath();
        GrepFrm::run(this, DocPaths::isUntitled(doc) ? QString() : QFileInfo(doc).absolutePath(),
                     [this](const QString &path, int at, int length) { return openAt(path, at, length); });
    });
    search->addSeparator();
    addAction(search, "SelHome", QStringLiteral("ファイルの先頭(&H)"), QKeySequence("Ctrl+H"), onEdit(ClipboardCmds::SelHome));
    addAction(search, "SelEnd", QStringLiteral("ファイルの最後(&E)"), QKeySequence("Ctrl+E"), onEdit(ClipboardCmds::SelEnd));

    // Marker
    QMenu *marker = newMenu(nullptr, "hyoji", QStringLiteral("マーカー(&V)"));
    QMenu *colour = newMenu(marker, "hjIro", QStringLiteral("色(&C)"));
    const QStringList colours = {QStringLiteral("黒(&B)"), QStringLiteral("青(&L)"), QStringLiteral("赤(&R)"),
                                 QStringLiteral("緑(&G)")};
    for (int i = 0; i < colours.size(); ++i)
        addAction(colour, QStringLiteral("hyIroin(%1)").arg(i), colours[i], {}, [this, i] { TagNav::hyIroin(m_edit, i); });
    QMenu *deco = newMenu(marker, "hjSosyo", QStringLiteral("装飾(&S)"));
    const QStringList decos = {QStringLiteral("ボールド(&B)"), QStringLiteral("イタリック(&I)"),
                               QStringLiteral("下線(&U)"), QStringLiteral("装飾のクリアー(&C)")};
    for (int i = 0; i < decos.size(); ++i)
        addAction(deco, QStringLiteral("hjSoin(%1)").arg(i), decos[i], {}, [this, i] { TagNav::hjSoin(m_edit, i); });
    addAction(marker, "TagColor", QStringLiteral("タグに色をつける(&T)"), {}, onEdit(TagNav::tagColor));
    connect(marker, &QMenu::aboutToShow, this, [this] {
        const bool any = TagNav::markerSubmenusEnabled(m_edit);
        m_menus.value("hjIro")->setEnabled(any);
        m_menus.value("hjSosyo")->setEnabled(any);
    });

    buildViewMenu();

    // Tag menu, from the tag tables.
    QMenu *tags = newMenu(nullptr, "TagS", QStringLiteral("タグ(&T)"));
    QMenu *withEnd = newMenu(tags, "tSyu", QStringLiteral("終タグのあるタグ(&N)"));
    QMenu *noEnd = newMenu(tags, "tTan", QStringLiteral("終タグのないタグ(&E)"));
    withEnd->addSeparator()->setObjectName("TagSyu(0)");
    noEnd->addSeparator()->setObjectName("TagTan(0)");

    // Tools
    QMenu *tools = newMenu(nullptr, "mmTool", QStringLiteral("ツール(&L)"));
    // The tools open their windows, then the editing area has the focus.
    const auto tool = [this](void (*run)(EditArea *, QWidget *)) {
        return [this, run] {
            run(m_edit, this);
            m_edit->setFocus();
        };
    };
    addAction(tools, "tlHyou", QStringLiteral("表ウィザード(&T)"), {}, tool(Wiz1Frm::run));
    addAction(tools, "tlImap", QStringLiteral("イメージマップ(&I)"), {}, tool(MapFrm::run));
    addAction(tools, "tlGrad", QStringLiteral("グラデーション文字(&G)"), {}, tool(GradFrm::run));
    addAction(tools, "HtmlCheck", QStringLiteral("HTML をチェック(&C)"), QKeySequence(Qt::Key_F8),
              [this] { m_checkPane->showAndCheck(); });

    // Help
    QMenu *help = newMenu(nullptr, "mmHelp", QStringLiteral("ヘルプ(&H)"));
    addAction(help, "mokuji", QStringLiteral("目次(&P)"), QKeySequence(Qt::Key_F1), [this] { HelpViewer::showHelp(this); });
    addAction(help, "version", QStringLiteral("バージョン情報(&A)"), {}, [this] { AboutBox::showAbout(this); });
}

void MainWindow::buildViewMenu()
{
    // The editing surface's options (stored by EditView), the pair jump and zoom. Other
    // view commands join this menu through menu("mmView").
    QMenu *view = menuBar()->addMenu(QStringLiteral("表示(&W)"));
    view->setObjectName("mmView");
    m_menus.insert("mmView", view);
    for (int o = 0; o < EditView::OptionCount; ++o) {
        const auto opt = EditView::Option(o);
        QAction *a = addAction(view, EditView::info(opt).name, QString::fromUtf8(EditView::info(opt).caption), {},
                               [this, opt] { m_view->setOption(opt, m_actions.value(EditView::info(opt).name)->isChecked()); });
        a->setCheckable(true);
        a->setChecked(m_view->option(opt));
    }
    QAction *complete = addAction(view, TagCompleter::SettingKey, QStringLiteral("タグの補完"), {},
                                  [this] { m_completer->setEnabled(m_actions.value(TagCompleter::SettingKey)->isChecked()); });
    complete->setCheckable(true);
    complete->setChecked(m_completer->isEnabled());
    view->addSeparator();
    addAction(view, "viewJumpPair", QStringLiteral("対応するタグ・括弧へ移動"), QKeySequence("Ctrl+M"),
              [this] { m_view->jumpToPartner(); });
    view->addSeparator();
    QAction *in = addAction(view, "viewZoomIn", QStringLiteral("拡大"), QKeySequence("Ctrl++"), [this] { m_view->zoom(1); });
    in->setShortcuts({QKeySequence("Ctrl++"), QKeySequence("Ctrl+="), QKeySequence("Ctrl+;")});
    addAction(view, "viewZoomOut", QStringLiteral("縮小"), QKeySequence("Ctrl+-"), [this] { m_view->zoom(-1); });
    addAction(view, "viewZoomReset", QStringLiteral("元の大きさ"), QKeySequence("Ctrl+0"), [this] { m_view->resetZoom(); });
    view->addSeparator();
    QAction *live = addAction(view, "viewLivePreview", QStringLiteral("ライブプレビュー(&P)"), {}, [this] {
        const bool on = m_actions.value("viewLivePreview")->isChecked();
        m_live->setShown(on);
        AppEnv::setSetting("view", "viewLivePreview", on ? "1" : "0");
    });
    live->setCheckable(true);
    live->setChecked(AppEnv::setting("view", "viewLivePreview", "0").trimmed() == "1");
}

void MainWindow::startUp(const QString &commandLine, const Progress &progress)
{
    auto say = [&](const QString &text, bool yield) {
        if (progress)
            progress(text, yield);
        if (yield)
            QCoreApplication::processEvents();
    };

    // 1. The list boxes start at their first item (done when the palette is built).
    say(QStringLiteral("最近使ったﾌｧｲﾙの読み取り中"), true);
    m_recent.load();
    rebuildRecentMenu();

    say(QStringLiteral("ｶｽﾀﾏｲｽﾞﾀｸﾞの読み取り中"), false);
    for (const CustomField &f : kCustomFields)
        m_palette->field(f.field)->setText(AppEnv::setting("main", f.key, QString()));

    bool ok = false;
    const int mode = AppEnv::setting("main", "ModosuMode", "1").trimmed().toInt(&ok);
    history().setFolder(chooseHistoryFolder(AppEnv::programFolder()));
    setUndoMode(ok ? mode : 1);
    // This instance's own history files among those running; runs that ended without shutting
    // down may have left their newest text behind.
    m_recovery = std::make_unique<Recovery>(history().folder());
    m_recovery->acquire();

    say(QStringLiteral("ﾀｸﾞの定義中"), true);
    TagMenu::fill(m_menus.value("tSyu"), m_menus.value("tTan"), m_edit);

    const bool restored = offerRecoveries(commandLine);
    history().setInstance(std::max(0, m_recovery->slot()));
    if (restored) {
        Preread::take(DocPaths::absolute(commandLine));  // the page opens in another instance
        say(QString(), true);
        return;
    }
    if (!commandLine.isEmpty()) {
        say(QStringLiteral("ｺﾏﾝﾄﾞﾌｧｲﾙの読み取り中"), true);
        m_palette->setEnabled(true);
        if (!loadDocument(DocPaths::absolute(commandLine), commandLine))
            loadDocument(DocPaths::untitledPath(), kUntitled);
        say(QString(), true);
        return;
    }
    say(QStringLiteral("空のﾌｧｲﾙを作成中"), true);
    loadDocument(DocPaths::untitledPath(), kUntitled);
    history().writeBase(m_undo->text());
    history().flush();  // the template is small: its base is on disk before the first key
    say(QString(), true);
}

bool MainWindow::offerRecoveries(const QString &commandLine)
{
    // Each text that runs which are gone left is offered in turn, naming its document. The first
    // one restored becomes this instance's document; the rest are offered by another instance,
    // which also opens the file named on the command line.
    std::optional<RecoveredDocument> chosen;
    bool left = false;
    const std::vector<RecoveredDocument> found = m_recovery->found();
    for (const RecoveredDocument &d : found) {
        if (chosen) {
            m_recovery->leave(d.slot);
            left = true;
            continue;
        }
        if (d.text.isEmpty() || d.text == readTextFile(d.untitled ? DocPaths::untitledPath() : d.path, d.format).text) {
            m_recovery->discard(d.slot);  // nothing that was not saved
            continue;
        }
        if (Prompts::confirm(this, recoveryQuestion(d, commandLine), QStringLiteral("内容の復元"), QStringLiteral("復元する")))
            chosen = d;
        else
            m_recovery->discard(d.slot);
    }
    if (!chosen)
        return false;
    history().setInstance(std::max(0, m_recovery->slot()));
    restoreDocument(*chosen);
    m_recovery->discard(chosen->slot);  // now in this instance's own history
    if (!commandLine.isEmpty() || left)
        Instances::startAnother(commandLine, false);
    return true;
}

void MainWindow::restoreDocument(const RecoveredDocument &d)
{
    // The document as it was: its path, and the file's bytes kept for the lines the user had not
    // changed, as after opening it. Then the text that was left, which makes it modified.
    const QString path = d.untitled || d.path.isEmpty() ? DocPaths::untitledPath() : d.path;
    const bool untitled = DocPaths::isUntitled(path);
    m_document.load(path, untitled ? kUntitled : path);
    // The encoding and line ends the document had when it was left, also when its file has
    // gone or was changed since (the file's bytes are kept only where they still agree).
    const TextFormat &now = m_document.format();
    if (now.encoding != d.format.encoding || now.bom != d.format.bom || now.lineEnd != d.format.lineEnd
        || now.finalLineEnd != d.format.finalLineEnd)
        m_document.setFormat(d.format);
    noteDocument();
    m_edit->setText(d.text);
    m_document.setModified(true);
    colourReset();
    setWindowTitle(DocPaths::caption(untitled ? kUntitled : path));
    updateStatus();
}

void MainWindow::noteDocument(bool switching)
{
    const QString &path = m_document.path();
    if (switching)
        m_recovery->recordSwitch(path, m_document.isUntitled(), m_document.format());
    else
        m_recovery->recordDocument(path, m_document.isUntitled(), m_document.format());
}

bool MainWindow::loadDocument(const QString &path, const QString &displayName)
{
    const TextFileRead r = m_document.load(path, displayName);
    if (r.status == TextFileRead::Unreadable) {
        FileQuestions::cannotOpen(this, path, r.error);
        return false;
    }
    if (m_document.isUntitled())  // a new document: the encoding and line ends chosen in the options
        m_document.setFormat(EncodingCommands::newDocumentFormat(m_document.format(), path, r.text), false);
    showLoaded(r);
    return true;
}

void MainWindow::showLoaded(const TextFileRead &r)
{
    if (m_recovery)
        noteDocument(true);
    m_loading = true;
    m_undo->loading();
    // The text arrives in the colours a colour reset gives, caret at the top.
    m_edit->setText(r.text, EditArea::Fill::Load, resetFormat());
    m_loading = false;
    m_document.markSaved();  // the text as loaded is the saved one
    if (m_recovery)
        noteDocument();
    m_tabs->setCurrentIndex(0);
    m_undo->loaded();
    refreshUndoCommands();
    setWindowTitle(DocPaths::caption(m_document.displayName()));
    updateStatus();
    if (m_document.isUnclean())
        Prompts::info(this, damagedBytesMessage(m_document.path(), r.text, m_document.format().encoding),
                      QStringLiteral("文字コードの確認"));
}

QTextCharFormat MainWindow::resetFormat()
{
    QTextCharFormat f;
    f.setForeground(Qt::black);
    return f;
}

void MainWindow::colourReset()
{
    m_edit->formatDisplay([this] {
        QTextCursor c(m_edit->document());
        c.select(QTextCursor::Document);
        c.mergeCharFormat(resetFormat());
    });
    m_edit->setSelStart(0);
}

void MainWindow::rebuildRecentMenu()
{
    // The list only grows (up to five), so entries are created once and then relabelled.
    QMenu *file = m_menus.value("mmFile");
    while (m_recentActions.size() < m_recent.count()) {
        const int index = int(m_recentActions.size()) + 1;
        auto *a = new QAction(file);
        a->setObjectName(QStringLiteral("fileSaikin(%1)").arg(index));
        connect(a, &QAction::triggered, this, [this, index] { openRecent(index); });
        file->insertAction(m_s1, a);
        m_recentActions << a;
    }
    for (int i = 0; i < m_recentActions.size(); ++i) {
        const bool used = i < m_recent.count();
        m_recentActions[i]->setText(used ? Palette::literalCaption(m_recent.paths()[i]) : QString());
        m_recentActions[i]->setVisible(used);
    }
}

bool MainWindow::savePrompt()
{
    QFile::remove(m_document.previewPath());
    if (!isModified())
        return true;
    const auto answer = FileQuestions::askSave(this, Document::savePromptText(Document::Leaving::ForAnother));
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer == QMessageBox::Yes)
        return save();  // a failed or cancelled save keeps the text: stop the command
    return true;
}

void MainWindow::newDocument()
{
    if (!savePrompt())
        return;
    loadDocument(DocPaths::untitledPath(), kUntitled);
}

void MainWindow::openDocument()
{
    const QString path = Prompts::openFile(
        this, QStringLiteral("HTMLファイル|*.htm;*.html|テキストファイル|*.txt|すべてのファイル|*.*"));
    if (path.isEmpty())
        return;
    if (!savePrompt())
        return;
    if (!loadDocument(path, DocPaths::fileName(path)))
        return;
    m_recent.add(path);
    rebuildRecentMenu();
}

void MainWindow::openRecent(int index)
{
    if (index < 1 || index > m_recent.count())
        return;
    const QString path = m_recent.paths()[index - 1];
    if (!savePrompt())
        return;
    if (!loadDocument(path, path))
        return;
    m_recent.add(path);
    rebuildRecentMenu();
}

bool MainWindow::openAt(const QString &path, int position, int length)
{
    if (QFileInfo(path) != QFileInfo(documentPath())) {
        if (!savePrompt() || !loadDocument(path, DocPaths::fileName(path)))
            return false;
        m_recent.add(path);
        rebuildRecentMenu();
    }
    m_tabs->setCurrentIndex(0);
    m_edit->select(position, length);
    m_edit->setFocus();
    return true;
}

bool MainWindow::writeDocument(const QString &path)
{
    // Unreadable bytes are written back as they were, unless the user edited across them.
    if (damagedBytesLost(m_edit->text(), m_document.format()) > 0 &&
        !Prompts::confirm(this,
                          QStringLiteral("この文書には、開いたときに正しい文字として読めなかった部分があります。\n"
                                         "保存すると、その部分が元のファイルと変わります。保存しますか？"),
                          QStringLiteral("保存する?"), QStringLiteral("保存する")))
        return false;
    QString text = m_edit->text();
    // Never write a character as "?": ask (UTF-8, or character references).
    if (!m_encodings->resolveUnencodable(text))
        return false;
    QString error;
    if (m_document.save(path, text, &error)) {
        m_undo->saved();
        updateStatus();
        if (m_recovery && path == m_document.path())
            noteDocument();  // the encoding may have changed
        return true;
    }
    FileQuestions::cannotSave(this, path, error);
    return false;
}

bool MainWindow::confirmOverwrite()
{
    if (!m_document.isChangedOnDisk() || !QFileInfo::exists(m_document.path()))
        return true;
    return FileQuestions::overwriteOtherChange(this, m_document.path());
}

bool MainWindow::save()
{
    if (m_document.isUntitled())
        return saveAs();
    if (!confirmOverwrite() || !writeDocument(m_document.path()))
        return false;
    if (m_preview->hasBrowser())
        m_preview->reload();
    updateStatus();
    m_checkPane->documentSaved();
    return true;
}

bool MainWindow::saveAs()
{
    const QString path = Prompts::saveFile(
        this, QStringLiteral("HTMLファイル|*.htm;*.html|テキストファイル|*.txt|すべてのファイル|*.*"),
        DocPaths::saveAsProposal(m_document.path()));
    if (path.isEmpty())
        return false;
    if (m_document.isUntitled() && !m_encodings->offerDeclarationRewrite(m_document.format().encoding))
        return false;
    if (!writeDocument(path))
        return false;
    setWindowTitle(DocPaths::caption(m_document.displayName()));
    m_actions.value("fileSa")->setEnabled(true);
    if (m_recovery)
        noteDocument();
    m_recent.add(path);
    rebuildRecentMenu();
    updateStatus();
    m_checkPane->documentSaved();
    return true;
}

void MainWindow::startAnotherInstance()
{
    // Another instance with an untitled document, its window started minimised.
    Instances::startAnother(QString(), true);
}

void MainWindow::pasteFile()
{
    const QString path = Prompts::openFile(
        this, QStringLiteral("テキストファイル|*.txt|HTMLファイル|*.htm;*.html|すべてのファイル|*.*"));
    if (path.isEmpty())
        return;
    m_edit->insert(readTextFile(path).text);
}

void MainWindow::pasteRichTextFile()
{
    const QString path = Prompts::openFile(
        this, QStringLiteral("RTFファイル|*.rtf|テキストファイル|*.txt|HTMLファイル|*.htm;*.html|すべてのファイル|*.*"));
    if (path.isEmpty())
        return;
    ClipboardCmds::insertRichTextFile(m_edit, path, [](const QString &p) { return readTextFile(p).text; });
}

void MainWindow::printText()
{
    QPrinter printer(QPrinter::HighResolution);
    if (!Printing::ChoosePrinter(this, printer, m_edit->selLength() > 0))
        return;
    // With nothing selected the whole text is printed.
    Printing::printText(m_edit, printer);
}

void MainWindow::setUndoMode(int mode)
{
    Shared::UndoMode = mode;
    history().setMode(mode);
}

void MainWindow::onTextEdited()
{
    if (m_loading)
        return;
    m_document.noteChange();
    m_tabs->setCurrentIndex(0);
    m_undo->onTextEdited();
    m_document.setModified(m_undo->isModified());
    refreshUndoCommands();
}

void MainWindow::undo()
{
    m_undo->undo();
    m_document.setModified(m_undo->isModified());
    refreshUndoCommands();
}

void MainWindow::redo()
{
    m_undo->redo();
    m_document.setModified(m_undo->isModified());
    refreshUndoCommands();
}

void MainWindow::refreshEditMenu()
{
    refreshUndoCommands();
    updateSelectionCommands();
}

void MainWindow::refreshUndoCommands()
{
    // Also after every change, undo and redo: a disabled item would swallow Ctrl+Z.
    const int mode = history().mode();
    QAction *undo = m_actions.value("Modosu");
    QAction *redo = m_actions.value("ModoYarinao");
    if (mode == 0) {
        undo->setEnabled(false);
        redo->setEnabled(false);
    } else if (mode >= 1 && mode <= 3) {
        undo->setEnabled(m_undo->canUndo());
        redo->setEnabled(m_undo->canRedo());
    }
}

void MainWindow::updateSelectionCommands()
{
    const bool any = m_edit->selLength() > 0;
    for (const char *n : {"Cut", "Copy", "Cutadd", "Copyadd", "ToCharRef", "FromCharRef"})
        m_actions.value(n)->setEnabled(any);
    m_menus.value("chan")->setEnabled(any);
}

void MainWindow::onTabChanged(int index)
{
    const int previous = m_previousTab;
    m_previousTab = index;
    if (previous == 0 && index == 1)
        showPreview();
}

void MainWindow::showPreview()
{
    QString error;
    const QString text = m_edit->text();
    const TextFormat format = EncodingCommands::previewFormat(m_document.format());
    if (!writeTextFile(m_document.previewPath(), text, format, &error, Unencodable::CharRefs) &&
        m_document.isUntitled() && history().folder() != AppEnv::programFolder()) {
        // An installed program's folder is not writable: an untitled page previews from
        // the user's own data folder instead.
        m_document.setPreviewPath(DocPaths::previewPath(history().folder() + QStringLiteral("/tmp.htm")));
        error.clear();
        writeTextFile(m_document.previewPath(), text, format, &error, Unencodable::CharRefs);
    }
    if (!error.isEmpty()) {
        m_preview->showMessage(QStringLiteral("確認用のファイル「%1」を書き込めないため、表示できません。\n%2")
                                   .arg(m_document.previewPath(), error));
        return;
    }
    m_preview->showFile(m_document.previewPath(), format.encoding);
}

void MainWindow::updateStatus()
{
    m_encodings->updateStatus();
    // While keys come fast the caret's place is shown at most every CaretPlaceMs: each showing
    // is a repaint of its own at the far end of the window. The first key's change shows at
    // once, and so does every change that a key did not make (a click, a command, a load).
    if (m_caretPlaceTimer.isActive() && m_edit->typing() != EditArea::Typing::None) {
        m_caretPlaceDue = true;
        return;
    }
    showCaretPlace();
}

void MainWindow::showCaretPlace()
{
    m_caretPlaceDue = false;
    m_caretPlaceTimer.start();
    const int caret = m_edit->caretPosition();
    m_statusCaret->setText(QStringLiteral("%1 行  %2 桁").arg(m_edit->lineOf(caret) + 1).arg(m_edit->columnOf(caret) + 1));
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Menu shortcuts win over the editor's own key bindings (Ctrl+Z, Ctrl+C, Del, …).
    if (watched == m_edit && event->type() == QEvent::ShortcutOverride) {
        auto *ke = static_cast<QKeyEvent *>(event);
        const QKeySequence seq(ke->keyCombination());
        for (QAction *a : std::as_const(m_actions)) {
            if (a->shortcuts().contains(seq) && a->isEnabled()) {
                event->ignore();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::shutDown()
{
    if (m_shutDownDone)
        return true;
    if (!m_document.previewPath().isEmpty()) {
        QFile::remove(m_document.previewPath());
        if (isModified()) {
            const auto answer = FileQuestions::askSave(this, Document::savePromptText(Document::Leaving::Quitting));
            if (answer == QMessageBox::Cancel)
                return false;
            if (answer == QMessageBox::Yes && !save())
                return false;
        }
    }
    history().removeFiles();
    if (m_recovery)
        m_recovery->release();
    for (const CustomField &f : kCustomFields)
        AppEnv::setSetting("main", f.key, m_palette->field(f.field)->text());
    AppEnv::setSetting("main", "ModosuMode", QString::number(Shared::UndoMode));
    m_recent.save();
    AppEnv::syncSettings();
    m_shutDownDone = true;
    return true;
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // Back from another program: has it changed the file?
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        QTimer::singleShot(0, this, &MainWindow::checkDiskChange);
}

void MainWindow::checkDiskChange()
{
    if (m_checkingDisk || !m_document.hasUnseenDiskChange())
        return;
    m_checkingDisk = true;
    const QString path = m_document.path();
    if (!QFileInfo::exists(path)) {
        FileQuestions::removedByOther(this, path);
        m_document.markDiskChangeSeen();
    } else {
        if (FileQuestions::reloadAfterOtherChange(this, path, isModified()))
            loadDocument(path, m_document.displayName());
        else
            m_document.markDiskChangeSeen();
    }
    m_checkingDisk = false;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!shutDown()) {
        event->ignore();
        return;
    }
    event->accept();
    // Every other window (About, help, replace) goes with the main window.
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible())
            w->close();
    // The program ends here, whatever the preview is still doing: the last-window rule
    // alone leaves the process running while the browser holds windows of its own.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}
