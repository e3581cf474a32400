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
// A path as typed on a command line, made absolute against the working folder.
QString absolute(const QString &path);
}
