#include "filesettings.h"

#include "encodingdialog.h"

#include "document/encoding.h"
#include "platform/appenv.h"

#include <QComboBox>

#include <algorithm>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

using EncodingWidgets::kLineEnds;

namespace NewDocumentSettings {

QByteArray encoding()
{
    return canonicalEncoding(AppEnv::setting("main", "NewEncoding", QString()).toLatin1());
}

bool lineEnd(LineEnd *lineEnd)
{
    const QString v = AppEnv::setting("main", "NewLineEnd", QString()).trimmed().toUpper();
    for (const LineEnd e : kLineEnds) {
        if (v == lineEndName(e)) {
            *lineEnd = e;
            return true;
        }
    }
    return false;
}

void store(const QByteArray &encoding, LineEnd lineEnd)
{
    AppEnv::setSetting("main", "NewEncoding", QString::fromLatin1(encoding));
    AppEnv::setSetting("main", "NewLineEnd", lineEndName(lineEnd));
}

}  // namespace NewDocumentSettings

FileOptionsPage::FileOptionsPage(QWidget *parent) : QWidget(parent)
{
    m_encoding = new QComboBox;
    m_encoding->setObjectName("cboNewEncoding");
    const QByteArray stored = NewDocumentSettings::encoding();
    EncodingWidgets::fillEncodings(m_encoding, stored.isEmpty() ? QByteArray("UTF-8") : stored);

    m_lineEnd = new QComboBox;
    m_lineEnd->setObjectName("cboNewLineEnd");
    LineEnd e = LineEnd::CRLF;
    NewDocumentSettings::lineEnd(&e);
    EncodingWidgets::fillLineEnds(m_lineEnd, e);
    m_initialEncoding = m_encoding->currentIndex();
    m_initialLineEnd = m_lineEnd->currentIndex();

    auto *encodingLabel = new QLabel(QStringLiteral("新規文書のエンコーディング(&E):"));
    encodingLabel->setBuddy(m_encoding);
    auto *lineEndLabel = new QLabel(QStringLiteral("新規文書の改行コード(&L):"));
    lineEndLabel->setBuddy(m_lineEnd);
    auto *form = new QFormLayout;
    form->addRow(encodingLabel, m_encoding);
    form->addRow(lineEndLabel, m_lineEnd);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch(1);
}

void FileOptionsPage::apply()
{
    // Stored once the user chose something, so that a template of one's own keeps its
    // encoding until then.
    const bool chosen = m_encoding->currentIndex() != m_initialEncoding || m_lineEnd->currentIndex() != m_initialLineEnd
                        || !NewDocumentSettings::encoding().isEmpty();
    if (!chosen)
        return;
    NewDocumentSettings::store(m_encoding->currentData().toByteArray(), EncodingWidgets::chosenLineEnd(m_lineEnd));
}
