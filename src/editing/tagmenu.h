#pragma once
// The Tag menu's two submenus, filled from the tag tables: an entry with an end tag wraps
// the selection (rule A), one without replaces it (rule B); the editing area gets the focus.
class EditArea;
class QMenu;

namespace TagMenu {
// Appends TagSyu(1)… to withEnd and TagTan(1)… to noEnd.
void fill(QMenu *withEnd, QMenu *noEnd, EditArea *edit);
}
