#pragma once
// Helpers for tests of the main window's commands: files written and read as bytes, and
// scripted answers for the prompts.
#include <QFile>
#include <QHash>
#include <QStringList>
#include <QtTest>

#include "platform/prompts.h"

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// Scripted answers for the prompts: each call takes the next answer for its kind.
struct Answers {
    QStringList asked;  // kind + ":" + text, in order
    QHash<QString, QStringList> queue;
    void install()
    {
        Prompts::setAnswerer([this](const QString &kind, const QString &text) {
            asked << kind + ":" + text;
            QStringList &q = queue[kind];
            return q.isEmpty() ? QString() : q.takeFirst();
        });
    }
    void push(const QString &kind, const QString &answer) { queue[kind] << answer; }
};
