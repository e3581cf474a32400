#include "clipboardcmds.h"

#include "platform/editarea.h"
#include "platform/rtfreader.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextDocument>

namespace {

QClipboard *clipboard()
{
    return QGuiApplication::clipboard();
}

// Before the cut and copy commands touch the clipboard: the editing area is switched
// off and on again and gets the keyboard focus.
void prepare(EditArea *edit)
{
    edit->setEnabled(false);
    edit->setEnabled(true);
    edit->setFocus(Qt::OtherFocusReason);
}

QString clipboardText()
{
    QString text = clipboard()->text();
    // Other programs hand over CR LF or CR; inside the editor a line break is "\n".
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

class PasteKeys : public QObject {
public:
    PasteKeys(EditArea *edit) : QObject(edit), m_edit(edit) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_edit && event->type() == QEvent::KeyPress
            && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Paste)) {
            if (!m_edit->isReadOnly())
                ClipboardCmds::Paste(m_edit);
            event->accept();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    EditArea *m_edit;
};

}  // namespace

namespace ClipboardCmds {

void Copy(EditArea *edit)
{
    if (edit->selLength() == 0)
        return;
    prepare(edit);
    clipboard()->setText(edit->selText());
}

void Cut(EditArea *edit)
{
    // Unlike Copy, Cut always sets the clipboard: with nothing selected it empties it.
    prepare(edit);
    clipboard()->setText(edit->selText());
    edit->setSelText(QString());
}

void Copyadd(EditArea *edit)
{
    if (edit->selLength() == 0)
        return;
    const QString old = clipboard()->text();
    prepare(edit);
    clipboard()->setText(old + edit->selText());
}

void Cutadd(EditArea *edit)
{
    if (edit->selLength() == 0) {
        // Nothing to append or delete: the editing area still takes the focus, and
        // the clipboard keeps whatever it holds.
        prepare(edit);
        return;
    }
    Copyadd(edit);
    edit->setSelText(QString());
}

void Paste(EditArea *edit)
{
    // An empty clipboard pastes nothing and leaves the selection alone.
    const QString text = clipboardText();
    if (text.isEmpty())
        return;
    edit->insert(text);
}

QByteArray rtfOf(const QMimeData *data)
{
    if (!data)
        return {};
    static const char *const formats[] = {
        "text/rtf",
        "application/rtf",
        "text/richtext",
        "application/x-qt-windows-mime;value=\"Rich Text Format\"",
    };
    for (const char *format : formats) {
        const QString name = QString::fromLatin1(format);
        if (data->hasFormat(name)) {
            const QByteArray bytes = data->data(name);
            if (Rtf::isRtf(bytes))
                return bytes;
        }
    }
    return {};
}

void PasteRTF(EditArea *edit)
{
    const QByteArray rtf = rtfOf(clipboard()->mimeData());
    if (rtf.isEmpty()) {
        // No rich text on the clipboard: its plain text, if any.
        Paste(edit);
        return;
    }
    const QString html = Rtf::read(rtf).html();
    if (html.isEmpty())
        return;
    edit->setSelRichText(html);
}

void del(EditArea *edit)
{
    if (edit->selLength() == 0) {
        // The next character: a line break is one here, a character beyond U+FFFF two.
        const int at = edit->selStart();
        const QString next = edit->textRange(at, 2);
        const bool pair = next.size() == 2 && next[0].isHighSurrogate() && next[1].isLowSurrogate();
        edit->setSelLength(pair ? 2 : 1);
        if (edit->selLength() == 0)
            return;  // end of the text
    }
    edit->setSelText(QString());
}

void SelWhole(EditArea *edit)
{
    edit->select(0, edit->textLength());
}

void SelAll(EditArea *edit)
{
    edit->setSelLength(edit->textLength());
}

void SelHome(EditArea *edit)
{
    edit->setSelStart(0);
}

void SelEnd(EditArea *edit)
{
    edit->setSelStart(edit->textLength());
}

void installPasteKeys(EditArea *edit)
{
    if (edit->findChild<PasteKeys *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    edit->installEventFilter(new PasteKeys(edit));
}

bool insertRichTextFile(EditArea *edit, const QString &path,
                        const std::function<QString(const QString &)> &readPlain)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    file.close();
    if (Rtf::isRtf(bytes)) {
        const QString html = Rtf::read(bytes).html();
        if (html.isEmpty())
            return false;
        edit->setSelRichText(html);
        return true;
    }
    const QString text = readPlain ? readPlain(path) : QString();
    if (text.isEmpty())
        return false;
    edit->insert(text);
    return true;
}

}  // namespace ClipboardCmds
