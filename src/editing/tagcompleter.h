#pragma once
// Tag completion in the editing area: after "<" a list of element names, after a space
// inside a start tag the element's attributes, inside the quotes after "=" the values of
// an attribute that has fixed ones; and "</" completed with the name of the innermost
// element still open, and ">". Enter or Tab takes the chosen entry, Escape closes the
// list, typing on narrows it (or closes it when nothing fits). Only keys typed in the
// editor count: text composed through an input method never triggers anything.
//
// Work per key stays near the caret: the tokenizer state at the line's start comes from
// what the live colouring keeps per line, and the open element is looked for backwards
// in slices, for at most MaxReach characters.
#include "editing/completion.h"

#include <QObject>
#include <QPointer>

class EditArea;
class QListWidget;
class QTextBlock;

class TagCompleter : public QObject {
    Q_OBJECT
public:
    explicit TagCompleter(EditArea *edit);

    // Stored in the settings (group "view", key "viewComplete"); on by default.
    static constexpr const char *SettingKey = "viewComplete";
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool on);

    QListWidget *popup() const { return m_popup; }
    bool isShowing() const;
    // What the list offers for right now (tests).
    const Completion::Context &context() const { return m_context; }

    // How far back the open element is looked for, in characters.
    static constexpr int MaxReach = 2'000'000;
    // The innermost element open at pos of the editing area (reading backwards).
    std::optional<QString> openElementAt(int pos) const;
    // What is being typed at pos.
    Completion::Context contextAt(int pos) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onKeyTyped(const QString &text);
    void closeElement();
    // Shows the list for the context at the caret; false (list hidden) when it offers nothing.
    bool showChoices();
    void hide();
    void acceptCurrent();
    // Tokenizer state at the start of a block, and the block a tag spread over lines begins in.
    int entryState(const QTextBlock &block) const;

    EditArea *m_edit;
    QListWidget *m_popup;
    bool m_enabled = true;
    Completion::Context m_context;
};
