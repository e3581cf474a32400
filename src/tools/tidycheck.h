#pragma once
// The structure check: libtidy parses the page and reports unclosed and mismatched
// elements, unknown elements and attributes, duplicates, obsolete elements and the like.
// Its English messages are put into Japanese from a table; a message the table does not
// know stays in English rather than being dropped.
#include "htmlcheck.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>

namespace TidyCheck {

// One message as the library gives it.
struct Message {
    QString key;           // "MISSING_ENDTAG_FOR", …
    QString english;       // the message in English
    QStringList arguments; // the message's arguments as text, in order
    int level = 0;         // the library's TidyReportLevel
};

// The finding for a message (kind, Japanese text, English detail); false for the ones not
// worth showing (summaries, repairs that follow from another finding).
bool translate(const Message &m, HtmlCheck::Finding *finding);

// Runs the library on the text. Positions of the findings are in the text. The run stops
// early, with what it found so far, when cancel is set or the time budget is used up; the
// latter adds an information row saying so. *stopped tells whether the run was cut short.
HtmlCheck::Findings check(const QString &text, const std::atomic_bool *cancel = nullptr,
                          std::chrono::milliseconds budget = std::chrono::seconds(10), bool *stopped = nullptr);

}
