#pragma once
// What the main window tells and asks around the document's file, in one place: the
// messages of opening, saving and of a file another program changed.
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <vector>

struct UndecodablePlace;

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
// Characters the encoding cannot hold (those inside <script> or <style>, where references do not
// work, listed apart): save as UTF-8 (the default), write them as character references, or cancel.
enum class Unencodable { SaveAsUtf8, References, Cancel };
Unencodable askUnencodable(QWidget *parent, const QByteArray &encoding, const QStringList &characters,
                           const QStringList &inScriptOrStyle);
// The page declares another charset than the one it is saved in: rewrite the declaration (Yes),
// save it as it is (No), or Cancel.
QMessageBox::StandardButton askRewriteDeclaration(QWidget *parent, const QString &declared, const QByteArray &encoding);
// Reopening in an encoding failed: the file cannot be read, or some of its bytes do not decode
// (the first of them in places, with line, column and bytes; count of them all).
void cannotReopen(QWidget *parent, const QString &path, const QString &reason);
void undecodableBytes(QWidget *parent, const QString &path, const QByteArray &encoding,
                      const std::vector<UndecodablePlace> &places, qsizetype count);
// Another program changed the file: overwrite its change?
bool overwriteOtherChange(QWidget *parent, const QString &path);

// Another program changed the file: reload it (losing the edits, if any)?
bool reloadAfterOtherChange(QWidget *parent, const QString &path, bool edited);
// Another program removed or moved the file.
void removedByOther(QWidget *parent, const QString &path);

}
