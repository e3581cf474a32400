#pragma once
// The whole page check: our own checks and the structure check together, as the check
// panel runs it off the user-interface thread.
#include "htmlcheck.h"

#include <QByteArray>
#include <QString>

#include <atomic>

namespace PageCheck {

struct Input {
    QString text;
    QByteArray encoding = "UTF-8";  // the encoding the page is saved in
    QString documentPath;           // "" for a page that has no file yet
};

struct Result {
    HtmlCheck::Findings findings;  // in text order, at most MaxRows
    bool truncated = false;        // there were more than MaxRows
    bool cancelled = false;
};

constexpr int MaxRows = HtmlCheck::MaxFindings;
// Beyond these the structure check is left out (its cost grows with the square of the
// nesting depth, and with the size); our own checks still run.
constexpr int StructureMaxDepth = 2000;
constexpr qsizetype StructureMaxLength = 8 * 1024 * 1024;

Result run(const Input &input, const std::atomic_bool *cancel = nullptr);

}
