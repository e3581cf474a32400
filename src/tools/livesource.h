#pragma once
// What the live preview serves and when: the page as the editor holds it, with the source
// line of every element marked in the served copy only, in the document's encoding; and how
// long to wait after the last key before serving it again.
#include "document/textfile.h"

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QUrl>

namespace LiveSource {

// The attribute that carries an element's 1-based source line in the served copy.
inline constexpr QLatin1StringView kLineAttribute{"data-tarnell-line"};

// The page with ` data-tarnell-line="N"` added right after the name of every start tag, N being
// the line the tag starts on ("\n" ends a line). Comments, doctypes, end tags and the content of
// raw-text elements (script, style, textarea, title …) are copied as they are; so is
// everything else, character for character.
QString annotateLines(QStringView html);

// The served copy: the annotated page in the document's encoding (UTF-8 when browsers do not
// read that encoding), with the MIME type that names it. Characters the encoding cannot hold
// become character references.
struct Served {
    QByteArray bytes;
    QByteArray mimeType;
    bool isStatic = false;  // see isStatic()
};
Served serve(const QString &text, const TextFormat &format);

// Whether nothing in the page runs scripts or depends on them: no script, noscript or
// embedded documents (frames, objects), no event handler attributes, no javascript: addresses.
// Only such a page may be brought up to date by changing its document in place: what its
// scripts did to it could not be told from what the text says. Errs on the side of false.
bool isStatic(QStringView html);

// The pause after the last key before an update: 300 ms, or as long as the last render took when
// that was longer (at most 3 s); after faster renders it comes back down by halves.
inline constexpr int kShortestDelay = 300;
inline constexpr int kLongestDelay = 3000;
int nextDelay(int previousDelay, qint64 renderMs);

// The URL scheme the live preview serves through, and the one host its addresses name: every
// copy of every document is of one origin, so the engine keeps one renderer for all updates
// instead of starting a new one per copy.
inline constexpr char kScheme[] = "tarnell-live";
inline constexpr char kHost[] = "page";

// The address a served copy is shown at: under the document's own path, so that relative
// addresses resolve beside it. viewer tells the live previews of one process apart, serial the
// copies of one preview.
QUrl pageUrl(const QString &documentPath, int viewer, quint64 serial);
// Whether a request is for a served copy (and whose); false for everything the page refers to.
bool isPageRequest(const QUrl &url, int *viewer = nullptr, quint64 *serial = nullptr);

}  // namespace LiveSource
