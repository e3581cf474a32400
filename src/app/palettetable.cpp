#include "palettetable.h"

#include "dialogs/bodyfrm.h"
#include "dialogs/framefrm.h"
#include "dialogs/hrfrm.h"
#include "dialogs/iframefrm.h"
#include "dialogs/imgform.h"
#include "dialogs/layerfrm.h"
#include "dialogs/marqueefrm.h"
#include "dialogs/rubyfrm.h"
#include "dialogs/tabledialogs.h"
#include "dialogs/tablewizard.h"
#include "editing/html5snippets.h"
#include "editing/prompted.h"
#include "editing/tagfrm.h"
#include "platform/editarea.h"
#include "editing/tagtables.h"
#include "tools/mapfrm.h"

#include <deque>

namespace PaletteTable {

namespace {

using namespace Palette;
using A = const QStringList &;
using Opens = void (*)(EditArea *edit, QWidget *parent);

// A button that opens a window; the window and the function decide about the focus.
PaletteItem opens(const char *name, const char *caption, const char *tip, Opens run)
{
    return opener(name, caption, tip, [run](TagPalette &p) { run(p.edit(), p.window()); });
}

// A button that runs a window or a picker; the editing area gets the focus afterwards.
PaletteItem runs(const char *name, const char *caption, const char *tip, Opens run)
{
    return own(name, caption, tip, [run](TagPalette &p) { run(p.edit(), p.window()); });
}

// A button that asks its questions in input boxes, then inserts what compose makes of
// the answers; an empty answer ends it without inserting. The editing area gets the focus.
PaletteItem asking(const char *name, const char *caption, const char *tip, std::vector<Prompted::Question> questions,
                   Prompted::Compose compose)
{
    return own(name, caption, tip, [questions = std::move(questions), compose](TagPalette &p) {
        Prompted::ask(p.window(), p.edit(), questions, compose);
    });
}

// The HTML5 tab's plain buttons, H5Command(n): a pair or single tag-table entry, the
// tool-tip showing the whole text the button inserts.
PaletteItem h5(int n, const char *caption, PaletteItem::Kind kind, int index)
{
    static std::deque<QByteArray> kept;  // names and tips live as long as the tables
    const QString text = kind == PaletteItem::Pair
                             ? TagTables::pairTags()[index].start + QStringLiteral("…") + TagTables::pairTags()[index].end
                             : TagTables::singleTags()[index];
    const char *name = kept.emplace_back("H5Command(" + QByteArray::number(n) + ")").constData();
    const char *tip = kept.emplace_back(text.toUtf8()).constData();
    return kind == PaletteItem::Pair ? pair(name, caption, tip, index) : single(name, caption, tip, index);
}

PaletteItem h5Pair(int n, const char *caption, int entry)
{
    return h5(n, caption, PaletteItem::Pair, TagTables::Html5PairFirst + entry);
}

PaletteItem h5Single(int n, const char *caption, int entry)
{
    return h5(n, caption, PaletteItem::Single, TagTables::Html5SingleFirst + entry);
}

const QString kName = QStringLiteral("名前を入力して下さい");
const QString kCaption = QStringLiteral("キャプションを入力して下さい");
// The customisable tab: what each field holds, what its button does.
const char *const kStartTag = "開始タグ";
const char *const kEndTag = "終了タグ";
const char *const kWrapTip = "選択範囲を左の開始タグと終了タグで囲みます";

}  // namespace

const std::vector<PaletteTab> &tabs()
{
    static const std::vector<PaletteTab> t = {
        {"文字修飾(&1)",
         {pair("Command1(0)", "&Bold", "<b>", 0), pair("Command1(1)", "&Italic ", "<i>", 1),
          pair("Command1(2)", "Under(&U)", "<u>", 2), pair("Command1(6)", "ﾀｲﾌﾟﾗｲﾀ", "<tt>", 6),
          pair("Command1(7)", "引用 ", "<cite>", 7), pair("Command1(8)", "ｷｰﾎﾞｰﾄﾞ", "<kbd>", 8),
          pair("Command1(9)", "例", "<samp>", 9), pair("Command1(10)", "変数", "<var>", 10),
          pair("Command1(23)", "体裁済", "<pre>", 23), pair("Command1(28)", "打ち消し", "<strike>", 28),
          pair("Command1(29)", "上付", "<sup>", 29), pair("Command1(30)", "下付", "<sub>", 30), brk(),
          pair("Command1(32)", "強調", "<strong>", 32), pair("Command1(33)", "強調 ", "<em>", 33),
          pair("Command1(34)", "アドレス", "<address>", 34), pair("Command1(35)", "コード", "<code>", 35),
          pair("Command1(36)", "単語", "<dfn>", 36), pair("Command1(37)", "大", "<big>", 37),
          pair("Command1(38)", "小", "<small>", 38), own("Command2", "font size=1", "<font>", fontTag),
          spin("VScroll1", 7), own("Command3", "H1", "<hn>", headingTag), spin("VScroll2", 6),
          opens("Command38", "font color=", nullptr, Prompted::fontColour)}},
        {"改行･段落(&2)",
         {single("Command4(0)", "改行(&L)", "<br>", 0), pair("Command1(31)", "改行禁止", "<nobr>", 31),
          single("Command4(22)", "改行許可", "<wbr>", 22), own("Command5", "段落", "<p>", paragraphTag),
          list("List1", "指定なし|left|center|right"),
          pair("Command1(25)", "左寄", "<div>", 25), pair("Command1(26)", "中央", "<center>", 26),
          pair("Command1(27)", "右寄", "<div>", 27), pair("Command1(24)", "インデント", "<blockquote>", 24),
          own("Command36", "回り込み解除", nullptr, clearTag), list("List2", "left|right|all"), brk(),
          label("Label1", "リスト："),
          pair("Command1(11)", "●", "<ul>", 11), pair("Command1(12)", "■", "<ul>", 12),
          pair("Command1(13)", "1", "<ol>", 13), pair("Command1(14)", "Ａ", "<ol>", 14),
          pair("Command1(15)", "I", "<ol>", 15), pair("Command1(16)", "i", "<ol>", 16),
          pair("Command1(17)", "Ａ", "<ol>", 17), pair("Command1(18)", "定義リスト", "<dl>", 18),
          single("Command4(1)", "リスト内容", "<li>", 1), single("Command4(2)", "項目", "<dt>", 2),
          single("Command4(3)", "リスト", "<dd>", 3)}},
        {"文書構造(&3)",
         {pair("Command1(3)", "<html></html>", "<html>", 3), pair("Command1(4)", "<head></head>", "<head>", 4),
          pair("Command1(5)", "<title></title>", "<title>", 5), runs("Command6", "<body></body>", "<body>", BodyFrm::run),
          own("Command23", "←1度に入力", nullptr, insertSkeleton), pair("Command1(39)", "コメント", "<!-- -->", 39)}},
        {"挿入(&4)",
         {opens("Command9", "リンク", "<a>", Prompted::link),
          asking("Command27", "リンク先", "<a>", {{"名前を入れて下さい", {}}}, [](A a) { return Prompted::anchorNameTag(a[0]); }),
          runs("Command10", "画像", "<img>", ImgFrm::run), runs("Command8", "水平線", "<hr>", HrFrm::run),
          opens("Command29", "ﾏｰｷｰ", "<marquee>", MarqueeFrm::run),  // the focus stays
          runs("Command28", "ｲﾒｰｼﾞﾏｯﾌﾟ", nullptr, MapFrm::run),
          single("Command4(18)", "&\"", nullptr, 18), single("Command4(19)", "&<", nullptr, 19),
          single("Command4(20)", "&>", nullptr, 20), single("Command4(21)", "&&", nullptr, 21)}},
        {"表/ﾌﾚｰﾑ(&5)",
         {runs("Command30", "表ウィザード", nullptr, Wiz1Frm::run), runs("Command21", "表", "<table>", HyouFrm::run),
          runs("Command22", "セル", "<td>", TdFrm::run), pair("Command1(19)", "表見出し", "<caption>", 19),
          pair("Command1(20)", "行", "<tr>", 20), pair("Command1(21)", "行/列    見出し", "<th>", 21),
          runs("Command20", "フレーム", "<frame>", FrameFrm::run), pair("Command1(22)", "noframes", "<noframes>", 22),
          runs("Command31", "フローティングフレーム", "<isframe>", IframeFrm::run)}},
        {"フォーム(&6)",
         {asking("Command11", "フォーム", "<form>", {{"e-mailアドレスを入力して下さい", "mailto:"}},
                 [](A a) { return Prompted::formTag(a[0]); }),
          asking("Command12", "", "<input>", {{kName, {}}}, [](A a) { return Prompted::checkboxTag(a[0]); }),
          asking("Command13", "", "<input>", {{kName, {}}, {"変数名を入力して下さい", {}}},
                 [](A a) { return Prompted::radioTag(a[0], a[1]); }),
          asking("Command19", "", "<input>", {{kName, {}}, {"サイズを入力して下さい", {}}},
                 [](A a) { return Prompted::textFieldTag(a[0], a[1]); }),
          asking("Command16", "", "<textarea>",
                 {{kName, {}}, {"縦の列の数を入力して下さい", {}}, {"横の列の数を入力して下さい", {}}},
                 [](A a) { return Prompted::textareaTag(a[0], a[1], a[2]); }),
          asking("Command17", "", "<select>", {{kName, {}}}, [](A a) { return Prompted::selectTag(a[0]); }),
          asking("Command18", "項目", "<option>", {{"項目名を入力して下さい", {}}},
                 [](A a) { return Prompted::optionTag(a[0]); }),
          asking("Command14", "送信", "<input>", {{kCaption, {}}}, [](A a) { return Prompted::submitTag(a[0]); }),
          asking("Command15", "リセット", "<input>", {{kCaption, {}}}, [](A a) { return Prompted::resetTag(a[0]); })}},
        {"ｶｽﾀﾏｲｽﾞ(&7)",
         {field("Text1(0)", "<html>", kStartTag), field("Text3(0)", "</html>", kEndTag),
          own("Command25(0)", "", kWrapTip, [](TagPalette &p) { customPair(p, 0); }), brk(),
          field("Text1(1)", "<address>", kStartTag), field("Text3(1)", "</address>", kEndTag),
          own("Command25(1)", "", kWrapTip, [](TagPalette &p) { customPair(p, 1); }), brk(),
          field("Text4", "<hr>", "挿入する文字"), own("Command26", "", "左の欄の文字をカーソルの位置に挿入します", customSingle)}},
        {"ｽﾀｲﾙｼｰﾄ(&8)",
         {opens("Command33", "タグの定義", nullptr, TagFrm::run),  // gives the focus itself
          opens("Command32", "style=", nullptr, Prompted::styleAttribute),
          opens("Command34", "部分ｽﾀｲﾙ指定", "<span>", Prompted::spanStyle),
          runs("Command35", "レイヤー", nullptr, LayerFrm::run)}},
        {"HTML5(&9)",
         {h5Pair(0, "ﾍｯﾀﾞｰ", 0), h5Pair(1, "ﾅﾋﾞ", 1), h5Pair(2, "ﾒｲﾝ", 2), h5Pair(3, "ｾｸｼｮﾝ", 3),
          h5Pair(4, "記事", 4), h5Pair(5, "補足", 5), h5Pair(6, "ﾌｯﾀｰ", 6), h5Pair(7, "図版", 7),
          h5Pair(8, "開閉", 8), h5Pair(9, "ﾏｰｸ", 9), h5Pair(10, "日時", 10),
          runs("H5Ruby", "ルビ", "<ruby>", RubyFrm::run),
          own("H5Vertical", "縦書き", "writing-mode: vertical-rl;", [](TagPalette &p) { Html5Snippets::vertical(p.edit()); }),
          brk(),
          h5Single(11, "ﾋﾟｸﾁｬ", 7), h5Single(12, "動画", 8), h5Single(13, "音声", 9),
          h5Single(14, "ﾋﾞｭｰﾎﾟｰﾄ", 10), h5Single(15, "CSS", 11), h5Single(16, "ｽｸﾘﾌﾟﾄ", 12),
          label("H5Label1", "入力："),
          h5Single(17, "ﾒｰﾙ", 0), h5Single(18, "電話", 1), h5Single(19, "URL", 2), h5Single(20, "日付", 3),
          h5Single(21, "数値", 4), h5Single(22, "ｽﾗｲﾀﾞｰ", 5), h5Single(23, "色", 6)}},
    };
    return t;
}

const std::vector<PaletteItem> &attributeBar()
{
    static const std::vector<PaletteItem> b = {
        single("Command4(4)", "align=", nullptr, 4),     single("Command4(5)", "\"left\"", nullptr, 5),
        single("Command4(6)", "\"center\"", nullptr, 6), single("Command4(7)", "\"right\"", nullptr, 7),
        single("Command4(8)", "\"top\"", nullptr, 8),    single("Command4(9)", "\"middle\"", nullptr, 9),
        single("Command4(10)", "\"bottom\"", nullptr, 10), single("Command4(11)", "width=", nullptr, 11),
        single("Command4(12)", "height=", nullptr, 12),  single("Command4(13)", "size=", nullptr, 13), brk(),
        single("Command4(14)", "color=", nullptr, 14),   single("Command4(15)", "colspan=", nullptr, 15),
        single("Command4(16)", "rowspan=", nullptr, 16), single("Command4(17)", "valign=", nullptr, 17),
        single("Command4(23)", "bgcolor=", nullptr, 23),
        opens("Command24", "#??????", nullptr, Prompted::colourText),
        opens("Command37", "パス名", nullptr, Prompted::pathText),  // the focus stays
    };
    return b;
}

}  // namespace PaletteTable
