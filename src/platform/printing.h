#pragma once
// Printing the editing area's text.
#include <functional>

class EditArea;
class QPrinter;
class QTextDocument;
class QWidget;

namespace Printing {
// Shows the print dialog (the Selection choice only when something is selected; PDF
// output stays available) and reports whether the user confirmed it.
bool ChoosePrinter(QWidget *parent, QPrinter &printer, bool hasSelection);

// The text to print with the colours and fonts the editor shows: the selection, or
// the whole text when nothing is selected. The caller owns the result.
QTextDocument *documentToPrint(const EditArea *edit);

// Prints documentToPrint() on the printer.
void printText(const EditArea *edit, QPrinter &printer);

// Tests answer the print dialog here (configure the printer, return confirmed).
void setChooser(std::function<bool(QPrinter &printer)> chooser);
}
