#pragma once
// Names that hang off the document path.
#include <QString>

namespace DocPaths {
// The untitled document: the template "tmp.htm" in the program folder.
QString untitledPath();
bool isUntitled(const QString &documentPath);
// The preview file beside the document: the document path followed by "$.tmp".
QString previewPath(const QString &documentPath);
// Window caption: name + "-Tarnell for NOTE".
QString caption(const QString &name);
// The file name without its folder.
QString fileName(const QString &path);
// What Save As proposes: the document's own path; for an untitled document its folder
// (with a trailing "/", so that the name is empty).
QString saveAsProposal(const QString &documentPath);
// A path as typed on a command line, made absolute against the working folder.
QString absolute(const QString &path);
}
