#include "printing.h"

#include "editarea.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <algorithm>
#include <memory>

namespace {
std::function<bool(QPrinter &)> g_chooser;
}

namespace Printing {

void setChooser(std::function<bool(QPrinter &printer)> chooser)
{
    g_chooser = std::move(chooser);
}

bool ChoosePrinter(QWidget *parent, QPrinter &printer, bool hasSelection)
{
    printer.setPrintRange(hasSelection ? QPrinter::Selection : QPrinter::AllPages);
    if (g_chooser)
        return g_chooser(printer);
    QPrintDialog dlg(&printer, parent);
    QAbstractPrintDialog::PrintDialogOptions options = QAbstractPrintDialog::PrintToFile |
                                                       QAbstractPrintDialog::PrintShowPageSize;
    if (hasSelection)
        options |= QAbstractPrintDialog::PrintSelection;
    dlg.setOptions(options);
    return dlg.exec() == QDialog::Accepted;
}

QTextDocument *documentToPrint(const EditArea *edit)
{
    auto *doc = new QTextDocument;
    doc->setDefaultFont(edit->font());
    QTextCursor source = edit->textCursor();
    if (!source.hasSelection())
        source.select(QTextCursor::Document);
    QTextCursor target(doc);
    target.insertFragment(source.selection());
    // Long lines are printed whole: the display lines they are cut into join again.
    const std::vector<int> &soft = edit->softBreaks();
    const int from = source.selectionStart();
    const auto first = std::lower_bound(soft.begin(), soft.end(), from);
    const auto last = std::lower_bound(first, soft.end(), source.selectionEnd());
    for (auto it = last; it != first;) {
        --it;
        QTextCursor c(doc);
        c.setPosition(*it - from);
        c.deleteChar();
    }
    return doc;
}

void printText(const EditArea *edit, QPrinter &printer)
{
    std::unique_ptr<QTextDocument> doc(documentToPrint(edit));
    doc->print(&printer);
}

}
