#include "commands.h"

#include "about.h"
#include "mainwindow.h"
#include "dialogs/bodyfrm.h"
#include "dialogs/colorfrm.h"
#include "dialogs/framefrm.h"
#include "dialogs/iframefrm.h"
#include "dialogs/imgform.h"
#include "dialogs/hrfrm.h"
#include "dialogs/layerfrm.h"
#include "dialogs/marqueefrm.h"
#include "dialogs/stylefrm.h"
#include "dialogs/tabledialogs.h"
#include "dialogs/tablewizard.h"
#include "platform/shared.h"
#include "tools/gradfrm.h"
#include "editing/clipboardcmds.h"
#include "editing/conversions.h"
#include "editing/prompted.h"
#include "editing/search.h"
#include "editing/tagfrm.h"
#include "editing/tagnav.h"
#include "platform/editarea.h"
#include "platform/pickers.h"
#include "tools/helpviewer.h"
#include "tools/mapfrm.h"
#include "tools/pathfrm.h"

#include <QAction>
#include <QHash>

namespace Commands {

namespace {

// A dialog that inserts by itself; the editing area gets the focus afterwards.
template <void (*Run)(EditArea *, QWidget *)>
void dialog(MainWindow &w)
{
    Run(w.edit(), &w);
    w.edit()->setFocus();
}

void imageMap(MainWindow &w)
{
    MapFrm::run(w.edit(), &w);
    w.edit()->setFocus();
}

const QHash<QString, Handler> &table()
{
    static const QHash<QString, Handler> t = [] {
        QHash<QString, Handler> h = {
            // Search
            {"kensaku", [](MainWindow &w) {
                 if (w.search().find(&w, w.edit()))
                     w.action("nextkensaku")->setEnabled(true);
             }},
            {"nextkensaku", [](MainWindow &w) { w.search().findNext(&w, w.edit()); }},
            {"tikan", [](MainWindow &w) { TikanFrm::open(w.edit(), &w); }},
            // Tags and markers
            {"jumpNext", [](MainWindow &w) { TagNav::jumpNext(w.edit()); }},
            {"jumpBefore", [](MainWindow &w) { TagNav::jumpBefore(w.edit()); }},
            {"TagColor", [](MainWindow &w) { TagNav::tagColor(w.edit()); }},
            {"Command33", [](MainWindow &w) { TagFrm::run(w.edit(), &w); }},
            // Colours and styles
            {"Command24", [](MainWindow &w) {
                 Pickers::run(Pickers::colour, &w);
                 w.edit()->insert(Shared::ChosenColor);
                 w.edit()->setFocus();
             }},
            {"Command32", [](MainWindow &w) {
                 Pickers::run(Pickers::style, &w);
                 w.edit()->insert(QStringLiteral("style=") + Shared::ChosenStyle);
                 w.edit()->setFocus();
             }},
            {"Command6", dialog<&BodyFrm::run>},
            {"Command35", dialog<&LayerFrm::run>},
            {"tlGrad", dialog<&GradFrm::run>},
            {"Command37", [](MainWindow &w) {
                 Pickers::run(Pickers::path, &w);
                 w.edit()->insert(Shared::PickedPath);  // the focus stays
             }},
            // Frames and pictures
            {"Command20", dialog<&FrameFrm::run>},
            {"Command10", dialog<&ImgFrm::run>},
            {"Command31", dialog<&IframeFrm::run>},
            // Tables, rules and marquees
            {"Command30", dialog<&Wiz1Frm::run>},
            {"tlHyou", dialog<&Wiz1Frm::run>},
            {"Command21", dialog<&HyouFrm::run>},
            {"Command22", dialog<&TdFrm::run>},
            {"Command8", dialog<&HrFrm::run>},
            {"Command29", [](MainWindow &w) { MarqueeFrm::run(w.edit(), &w); }},  // the focus stays
            // Help
            {"mokuji", [](MainWindow &w) { HelpViewer::showHelp(&w); }},
            {"version", [](MainWindow &w) { AboutBox::showAbout(&w); }},
            // Tools
            {"Command28", imageMap},
            {"tlImap", imageMap},
        };
        // Buttons that ask first, conversions, clipboard and selection commands.
        for (const char *name : {"Command9", "Command11", "Command12", "Command13", "Command14", "Command15",
                                 "Command16", "Command17", "Command18", "Command19", "Command27", "Command34",
                                 "Command38"}) {
            const QString n = QString::fromLatin1(name);
            h.insert(n, [n](MainWindow &w) { runPromptedTag(&w, w.edit(), n); });
        }
        for (const char *name : {"chanLowtoUp", "chanUptoLow", "chanWide", "chanNarrow", "chanKatakana",
                                 "chanHiragana", "chanNotag", "chanBr"}) {
            const QString n = QString::fromLatin1(name);
            h.insert(n, [n](MainWindow &w) { runConversion(w.edit(), n); });
        }
        for (const char *name : {"Cut", "Copy", "Cutadd", "Copyadd", "Paste", "PasteRTF", "del", "SelWhole",
                                 "SelAll", "SelHome", "SelEnd"}) {
            const QString n = QString::fromLatin1(name);
            h.insert(n, [n](MainWindow &w) { runClipboardCommand(w.edit(), n); });
        }
        for (int i = 0; i < 4; ++i) {
            h.insert(QStringLiteral("hyIroin(%1)").arg(i), [i](MainWindow &w) { TagNav::hyIroin(w.edit(), i); });
            h.insert(QStringLiteral("hjSoin(%1)").arg(i), [i](MainWindow &w) { TagNav::hjSoin(w.edit(), i); });
        }
        return h;
    }();
    return t;
}

}

const Handler *find(const QString &name)
{
    const auto it = table().find(name);
    return it == table().end() ? nullptr : &it.value();
}

void installPickers()
{
    Pickers::colour = runColourPicker;
    Pickers::path = runPathPicker;
    Pickers::style = runStylePicker;
}

}
