#pragma once
// Walks over the plug-in's windows as a user would: every display the control panel lists, every
// detail window their buttons open, and the note rows of their lists (what each says of its list, read
// across the row).

#include <QPoint>
#include <QPointer>

#include <string>
#include <vector>

class QAbstractItemView;
class QWidget;

namespace simdbg {

// The plug-in's shown windows (top-level or docked), without the host's own main window.
std::vector<QWidget*> PluginWindows();

// Triggers every display the control panel lists (its actions "display<command>"); returns how many.
int OpenEveryDisplay();
// Clicks, in every shown plug-in window, each enabled button that opens a detail window: all but
// "Log Data", "Services Trace" and those that reset (they write a log, open a trace or write the
// target). Returns how many it clicked.
int OpenEveryDetail();

// A note row of a window's list: the row reads across the list from its first column.
struct NoteRow {
    std::string window;
    QPointer<QAbstractItemView> view;
    int row = -1;
    std::string text;
    int needed = 0;  // the pixels its text needs
    int visible = 0; // the pixels the list shows of it
    QPoint centre;   // in the view's viewport
};

// The note rows of every shown plug-in window with a list, how many windows have a list, and the titles
// of those whose list has no note row.
struct NoteRowsFound {
    std::vector<NoteRow> notes;
    int windowsWithList = 0;
    std::vector<std::string> windowsWithoutNote;
};
NoteRowsFound FindNoteRows();

} // namespace simdbg
