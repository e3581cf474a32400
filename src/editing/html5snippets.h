#pragma once
// Style snippets of the HTML5 tab: vertical writing.
#include <QString>

class EditArea;

namespace Html5Snippets {

// Vertical writing for the selection and the caret's place:
// - nothing selected: the rules .tate (writing-mode: vertical-rl) and .tcy
//   (text-combine-upright: all, for digits set across the line), as a <style> block, or
//   the rules alone when the caret is inside a <style> block already;
// - a short selection of half-width letters, digits or !? (at most four): that text set
//   across the line, <span style="text-combine-upright: all;">12</span>;
// - any other selection: a <div style="writing-mode: vertical-rl;"> around it, in which
//   runs of two to four half-width digits outside tags are set across the line.
QString verticalText(const QString &selection, bool inStyleBlock);

// Puts verticalText in place of the selection of the editing area.
void vertical(EditArea *edit);

}
