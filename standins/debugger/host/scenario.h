#pragma once
// Scenario files of the stand-in host: one command a line, words separated by blanks, "quoted text"
// as one word, '#' starts a comment line.
//
//   plugin <path>                      the plug-in library (default: next to the host)
//   zones <id>:<name> ...              the debugger's memory zones (default 0:Memory)
//   memory <file> [zone] [address]     a binary image at address, or an S-record file moved by address
//   symbols <file>                     a symbol file ("name address|- [zone] [kind]" lines)
//   symbol <name> <address|-> [zone] [kind]
//   fail <entry> <status> [times]      the entry answers status (times < 0: always)
//   refuse-reads on|off                target reads fail (as while the target runs) or work again
//   reset-reads                        starts the count of target memory read and write calls again
//   expect-reads <= <count>            at most that many read calls since reset-reads (the count is printed)
//   expect-writes <= <count>           the same for write calls
//   gui-start | gui-shutdown           the IDE side of the plug-in
//   init [status]                      Init on the debugger thread; expects status (default 0)
//   loaded | run | stop | notify <code>  notifications 7, 1, 0 or any code, from the debugger thread
//   hit <symbol|address> [count]       breakpoint hits at the location, from the debugger thread
//   poke <address> <byte> ...          writes target memory of zone 0
//   wait-idle                          lets the GUI and the IDE's idle work settle
//   expect-window "<title>"            a visible window or docking window with that title (waits up to 60 s)
//   expect-no-window "<title>"         (waits up to 60 s for it to go)
//   expect-trace "<text>"              a log line of the plug-in containing the text (waits up to 60 s)
//   expect-memory <address> <byte> ... target memory of zone 0
//   expect-calls <entry> <count> | expect-calls <entry> >= <count>
//   expect-breakpoints <count>         breakpoints the debugger holds
//   click <objectName>                 clicks a button or triggers an action by its object name
//   command <id>                       an IDE command, as from a menu
//   popup "<title>"                    a right click on the first row of the window's list
//   expect-popup | expect-no-popup     a popup menu is open, or none (waits up to 60 s)
//   edit-last "<title>" "<text>"       types the text into the first cell of the window's last list row
//                                      (a click opens its edit box, Return commits it)
//   column-width "<title>" <column> <pixels>  resizes a column of the window's list as the user does
//   expect-cell "<title>" <row> <column> "<text>"  the text of a cell of the window's list (waits up to 60 s)
//   expect-column-in-view "<title>" <column>  the column of the window's list ends within the list's view
//   expect-uncovered "<title>"         part of the window's frame lies under no other visible window
//   open-every-window                  every display the control panel lists, then every detail window
//                                      their buttons open (not Log Data, Services Trace or a reset)
//   expect-notes-readable              every shown window's list has a note row, and each note's text fits
//                                      the width its list shows at the window's size (counts printed)
//   popup-notes                        a right click on every note row of every window opens no menu
//   expect-layout <key> <name> <value> a value the IDE keeps for the window of that key (its layout)
//   exit [status]                      Exit on the debugger thread; exit-gui [status] on the GUI thread
//   close-window "<title>"             closes a plug-in window as the user does
//   close-ide                          closes the host's IDE window, which saves the layout of its docking
//                                      windows and ends the session (Exit and IDE shut-down), and then
//                                      the program once the scenario is done
//   click ShowPanel                    the host's Show Panel: the control panel again after it was closed
//   step-bound <seconds>               how long a step may keep the GUI thread (default 30)
//   modal-box                          a modal box of the host's own that nothing closes (a step that
//                                      cannot finish)
// A step that does not finish on the GUI thread within its bound fails with its line; its modal windows
// are closed, and when even then it does not return the run ends there.
// At the end the host reports unexpected entries and host texts not given back; either fails the run.

#include <optional>
#include <string>
#include <vector>

namespace simdbg {

struct ScenarioCommand {
    std::size_t line = 0;
    std::string name;
    std::vector<std::string> args;
};

// Splits the text into commands; false with "line N: ..." in message on an unterminated quote.
bool ParseScenario(const std::string& text, std::vector<ScenarioCommand>& commands, std::string& message);

} // namespace simdbg
