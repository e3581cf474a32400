#pragma once
// The Edit and Search menus' clipboard and selection commands, acting on the editing
// area and the system clipboard.
#include <QString>
#include <functional>

class EditArea;
class QMimeData;

namespace ClipboardCmds {

void Cut(EditArea *edit);
void Copy(EditArea *edit);
void Cutadd(EditArea *edit);   // append the selection to the clipboard's text, then delete it
void Copyadd(EditArea *edit);  // append the selection to the clipboard's text
void Paste(EditArea *edit);    // plain text only
void PasteRTF(EditArea *edit); // the clipboard's rich text, formatted on screen
void del(EditArea *edit);
void SelWhole(EditArea *edit);
void SelAll(EditArea *edit);   // from the selection start to the end
void SelHome(EditArea *edit);
void SelEnd(EditArea *edit);

// The clipboard's RTF (text/rtf, application/rtf or the Windows "Rich Text Format"),
// or empty bytes.
QByteArray rtfOf(const QMimeData *data);

// Makes Ctrl+V and Shift+Insert in the editing area run Paste, so that the keys
// paste exactly what the menu's Paste does. Call once for the editing area.
void installPasteKeys(EditArea *edit);

// Inserts a file as rich text: an RTF file replaces the selection as formatted text;
// any other file is read with readPlain (the document's text-file reader) and
// inserted as plain text. A file that yields no text leaves the selection as it is.
// Returns whether anything was inserted.
bool insertRichTextFile(EditArea *edit, const QString &path,
                        const std::function<QString(const QString &)> &readPlain);

}
