#pragma once
// The link path picker "パス名": the user says how the target lies relative to the
// page's folder, types or picks the names, and gets back a "/"-separated path in
// Shared::PickedPath (empty after Cancel or closing the window).
#include "pathlogic.h"

#include <QDialog>
#include <array>

class PreviewPane;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

class PathFrm : public QDialog {
    Q_OBJECT
public:
    explicit PathFrm(QWidget *parent = nullptr);

    // Shows the picker modally; returns Shared::PickedPath, which holds the answer.
    static QString run(QWidget *parent);

    PathLogic::Mode mode() const;
    const PathLogic::Folders &folders() const { return m_folders; }
    // The folder File1 lists, or "" when the list is disabled.
    QString listedFolder() const { return m_listFolder; }
    // The path OK would hand back (Command2's caption).
    QString path() const { return m_path; }

    // Builds the path of the chosen mode, then re-points the file list.
    QString composePath();
    // Enables the text boxes of the chosen mode and points the file list at its folder.
    void applyPathMode();

    void showChosenFile();
    void takeChosenFile();
    void togglePreview();
    void chooseFilter(int index);
    void acceptPath();
    void cancel();

public slots:
    void reject() override;  // the close box and Esc answer like Cancel

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void recompose();
    bool fillList(const QString &folder);
    void clearList();
    QString selectedFile() const;
    void showPreview(const QString &file);
    void hidePreview();
    void showPicture(const QString &file);
    void setCaptionText(QPushButton *button, const QString &text);
    void setLabelText(QLabel *label, const QString &text);
    void refreshElided();
    PathLogic::Texts texts() const;

    PathLogic::Folders m_folders;
    QString m_path;
    QString m_listFolder;
    QString m_previewFile;  // file the visible preview shows
    int m_filter = 0;

    QLabel *m_label2 = nullptr;
    QLabel *m_label5 = nullptr;
    QLabel *m_label6 = nullptr;
    std::array<QRadioButton *, 6> m_option{};  // Option1 … Option5 at 1 … 5
    std::array<QLineEdit *, 8> m_text{};       // Text1 … Text7 at 1 … 7
    std::array<QRadioButton *, 3> m_filterOption{};
    QListWidget *m_file1 = nullptr;
    QCheckBox *m_check1 = nullptr;
    QLabel *m_preImg = nullptr;
    PreviewPane *m_preWeb = nullptr;
    QPlainTextEdit *m_preTxt = nullptr;
    QPushButton *m_command2 = nullptr;
    QPushButton *m_cancel = nullptr;
};

// The path picker as the other windows reach it (Pickers::path).
void runPathPicker(QWidget *parent);
