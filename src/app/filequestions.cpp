#include "filequestions.h"

#include "document/textfile.h"
#include "platform/prompts.h"

namespace FileQuestions {

namespace {
const QString kSaveTitle = QStringLiteral("保存する?");
const QString kChangedTitle = QStringLiteral("ファイルの変更");
}

QMessageBox::StandardButton askSave(QWidget *parent, const QString &question)
{
    return Prompts::askYesNoCancel(parent, question, kSaveTitle);
}

bool restoreRecovered(QWidget *parent)
{
    return Prompts::confirm(parent,
                            QStringLiteral("前回の Tarnell は正しく終了しませんでした。\n"
                                           "最後に編集していた内容が残っています。エディタに復元しますか？\n"
                                           "（復元した内容は、保存するまでファイルには書き込まれません）"),
                            QStringLiteral("内容の復元"), QStringLiteral("復元する"));
}

void cannotOpen(QWidget *parent, const QString &path, const QString &reason)
{
    Prompts::error(parent, QStringLiteral("「%1」を開けませんでした。\n%2").arg(path, reason), QStringLiteral("開けません"));
}

void openedWithDamage(QWidget *parent, const QString &path, const QByteArray &encoding)
{
    Prompts::info(parent,
                  QStringLiteral("「%1」には、対応しているどの文字コードでも正しい文字として読めない部分があります"
                                 "（%2 として開きました）。\n保存すると、その部分が変わることがあります。")
                      .arg(path, QString::fromLatin1(encoding)),
                  QStringLiteral("文字コードの確認"));
}

void cannotSave(QWidget *parent, const QString &path, const QString &reason)
{
    Prompts::error(parent, QStringLiteral("「%1」を保存できませんでした。\n%2").arg(path, reason),
                   QStringLiteral("保存できません"));
}

bool saveDespiteDamage(QWidget *parent)
{
    return Prompts::confirm(parent,
                            QStringLiteral("この文書には、開いたときに正しい文字として読めなかった部分があります。\n"
                                           "保存すると、その部分が元のファイルと変わることがあります。保存しますか？"),
                            kSaveTitle, QStringLiteral("保存する"));
}

Unencodable askUnencodable(QWidget *parent, const QByteArray &encoding, const QStringList &characters,
                           const QStringList &inScriptOrStyle)
{
    const QString name = QString::fromLatin1(encoding);
    QString text = QStringLiteral("次の文字は %1 では保存できません：\n%2\n\n").arg(name, characters.join(QStringLiteral("  ")));
    if (!inScriptOrStyle.isEmpty())
        text += QStringLiteral("このうち <script> や <style> の中の文字は、文字参照にすると正しく表示されません：\n%1\n\n")
                    .arg(inScriptOrStyle.join(QStringLiteral("  ")));
    text += QStringLiteral("UTF-8 で保存しますか？（ページの文字コードの指定も UTF-8 に書き換えます）\n"
                           "「文字参照に置き換える」では、これらの文字を &#x…; の形の文字参照に書き換えて %1 で保存します。")
                .arg(name);
    const int answer = Prompts::choose(parent, text, kSaveTitle,
                                       {QStringLiteral("UTF-8 で保存"), QStringLiteral("文字参照に置き換える"),
                                        QStringLiteral("キャンセル")},
                                       0);
    return answer == 0 ? Unencodable::SaveAsUtf8 : answer == 1 ? Unencodable::References : Unencodable::Cancel;
}

QMessageBox::StandardButton askRewriteDeclaration(QWidget *parent, const QString &declared, const QByteArray &encoding)
{
    return Prompts::askYesNoCancel(parent,
                                   QStringLiteral("このページの文字コードの指定は「%1」ですが、%2 で保存します。\n"
                                                  "指定を %2 に書き換えますか？")
                                       .arg(declared, QString::fromLatin1(encoding)),
                                   QStringLiteral("文字コードの指定"));
}

void cannotReopen(QWidget *parent, const QString &path, const QString &reason)
{
    Prompts::error(parent, QStringLiteral("「%1」を開き直せませんでした。\n%2").arg(path, reason),
                   QStringLiteral("開き直せません"));
}

void undecodableBytes(QWidget *parent, const QString &path, const QByteArray &encoding,
                      const std::vector<UndecodablePlace> &places, qsizetype count)
{
    QString text = QStringLiteral("「%1」には、%2 として読めないバイトが %3 か所あります。\n\n")
                       .arg(path, QString::fromLatin1(encoding))
                       .arg(count);
    for (const UndecodablePlace &p : places)
        text += QStringLiteral("%1 行 %2 桁目: %3\n").arg(p.line).arg(p.column).arg(QString::fromLatin1(p.bytes.toHex(' ').toUpper()));
    if (count > qsizetype(places.size()))
        text += QStringLiteral("…\n");
    text += QStringLiteral("\n文書は開き直さずに、そのままにしました。");
    Prompts::error(parent, text, QStringLiteral("文字コードの確認"));
}

bool overwriteOtherChange(QWidget *parent, const QString &path)
{
    return Prompts::confirm(parent,
                            QStringLiteral("「%1」は、開いた後に他のプログラムによって変更されています。\n"
                                           "上書き保存すると、その変更は失われます。上書き保存しますか？")
                                .arg(path),
                            kSaveTitle, QStringLiteral("上書き保存"));
}

bool reloadAfterOtherChange(QWidget *parent, const QString &path, bool edited)
{
    QString text = QStringLiteral("「%1」は、他のプログラムによって変更されました。\n読み込み直しますか？").arg(path);
    if (edited)
        text += QStringLiteral("\n（読み込み直すと、編集中の内容は失われます）");
    return Prompts::confirm(parent, text, kChangedTitle, QStringLiteral("読み込み直す"));
}

void removedByOther(QWidget *parent, const QString &path)
{
    Prompts::info(parent,
                  QStringLiteral("「%1」は、他のプログラムによって削除されたか、移動されました。\n"
                                 "上書き保存すると、もう一度作成されます。")
                      .arg(path),
                  kChangedTitle);
}

}
