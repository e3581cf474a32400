#pragma once
// The "ファイル" tab of the Options dialog: the encoding and line ends of new documents, kept in
// the settings (section "main", keys "NewEncoding" and "NewLineEnd").
#include "document/textfile.h"

#include <QWidget>

class QComboBox;

namespace NewDocumentSettings {
// The stored choices; "" / false when the user never chose (new documents then keep the
// template's own encoding and line ends: UTF-8 and CR LF for the template that comes with Tarnell).
QByteArray encoding();
bool lineEnd(LineEnd *lineEnd);
void store(const QByteArray &encoding, LineEnd lineEnd);
}

class FileOptionsPage : public QWidget {
    Q_OBJECT
public:
    explicit FileOptionsPage(QWidget *parent = nullptr);
    // OK: stores what the user changed.
    void apply();

private:
    QComboBox *m_encoding;
    QComboBox *m_lineEnd;
    int m_initialEncoding = 0;
    int m_initialLineEnd = 0;
};
