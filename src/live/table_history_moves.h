#pragma once

namespace orvel {

class Table;
class Log;

// Undo and redo of the main table as every undo/redo button pair (table
// graph, log chart, dashboard) and Ctrl+Z / Ctrl+Shift+Z do them: the table
// moves along its history, then the table graph, the dashboard chart and the
// log chart (its "Tab" line is drawn through the table) show the restored
// table, whichever page is in front.
void UndoMainTable(Table& table, Log& log);
void RedoMainTable(Table& table, Log& log);

}  // namespace orvel
