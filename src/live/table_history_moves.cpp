#include "live/table_history_moves.h"

#include "live/log.h"
#include "table/table.h"

namespace orvel {

namespace {

void ShowRestoredTable(Table& table, Log& log) {
  table.Redraw();
  log.RedrawIfData();
}

}  // namespace

void UndoMainTable(Table& table, Log& log) {
  table.Undo();
  ShowRestoredTable(table, log);
}

void RedoMainTable(Table& table, Log& log) {
  table.Redo();
  ShowRestoredTable(table, log);
}

}  // namespace orvel
