#pragma once
// What the main window tells and asks around the document's file, in one place: the
// messages of opening, saving and of a file another program changed.
#include <QMessageBox>
#include <QString>
#include <QStringList>

class QWidget;

namespace FileQuestions {

// Before the text is dropped (another document, or quitting): Yes, No or Cancel.
QMessageBox::StandardButton askSave(QWidget *parent, const QString &question);
// The text left by a run that did not end properly: restore it?
bool restoreRecovered(QWidget *parent);

void cannotOpen(QWidget *parent, const QString &path, const QString &reason);
// Opened although some bytes are not valid text in any supported encoding.
void openedWithDamage(QWidget *parent, const QString &path, const QByteArray &encoding);
void cannotSave(QWidget *parent, const QString &path, const QString &reason);

// Saving a document that had damaged bytes: go on?
bool saveDespiteDamage(QWidget *parent);
// Characters the encoding cannot hold: save as UTF-8 instead?
bool saveAsUtf8(QWidget *parent, const QByteArray &encoding, const QStringList &characters);
// Another program changed the file: overwrite its change?
bool overwriteOtherChange(QWidget *parent, const QString &path);

// Another program changed the file: reload it (losing the edits, if any)?
bool reloadAfterOtherChange(QWidget *parent, const QString &path, bool edited);
// Another program removed or moved the file.
void removedByOther(QWidget *parent, const QString &path);

}
