#pragma once
// Stepping from tag to tag, colouring all tags, and the markers painted on a
// selection. A tag here is any span from "<" to the first ">" after it. Positions are
// plain ints over the whole text: no length limit. Colouring and markers change only
// how the editing area shows its text, never the text.
#include <QString>
#include <optional>
#include <vector>

class EditArea;
class QColor;

namespace TagNav {

struct Span {
    int start = 0;
    int length = 0;
    bool operator==(const Span &) const = default;
};

// The tag after the selection: from the next "<" at or after the selection's end
// through the next ">" (to the end of the text when either is missing).
Span nextTag(const QString &text, int selStart, int selLength);
// The complete tag that ends at or before pos; nullopt when there is none.
std::optional<Span> previousTag(const QString &text, int pos);
// Every complete tag, in order: each "<" with the first ">" after it.
std::vector<Span> tagSpans(const QString &text);

// Menu commands on the editing area.
void jumpNext(EditArea *edit);
void jumpBefore(EditArea *edit);   // leaves the selection alone when no tag comes before
void tagColor(EditArea *edit);     // all text black, every tag blue; leaves the last tag selected

QColor markerColor(int index);     // 0 black, 1 blue, 2 red, 3 green
void hyIroin(EditArea *edit, int index);  // colour of the selection
void hjSoin(EditArea *edit, int index);   // 0 bold, 1 italic, 2 underline, 3 clear them and 9 pt
// Whether the Marker menu's colour and decoration submenus are usable.
bool markerSubmenusEnabled(const EditArea *edit);

}
