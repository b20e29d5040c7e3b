#include "ui/list_columns.h"

#include <algorithm>
#include <array>

namespace zq48 {

namespace {

// The stored value names and the fields they hold.
struct ColumnValue {
  const char* name;
  std::int32_t ListColumn::*field;
};

constexpr std::array<ColumnValue, 7> kValues{{
    {"Id", &ListColumn::id},
    {"Index", &ListColumn::index},
    {"nFormat", &ListColumn::format},
    {"Order", &ListColumn::order},
    {"Show", &ListColumn::show},
    {"Width", &ListColumn::width},
    {"Sort_column", &ListColumn::sortColumn},
}};

}  // namespace

std::vector<ListColumn> DefaultListColumns() {
  //       name         id     index order width show format sort
  return {
      {"File name", 32774, 0, 0, 200, 1, 0, 0},
      {"Full path", 32775, 1, 1, 400, 1, 0, 1},
      {"Size", 32776, 2, 2, 100, 0, 1, 2},
      {"Duration", 32777, 3, 3, 100, 0, 1, 3},
  };
}

void LoadListColumns(SettingsStore& store, std::vector<ListColumn>& columns) {
  for (ListColumn& column : columns) {
    for (const ColumnValue& value : kValues) {
      if (std::optional<std::int32_t> stored = store.ReadSettingInt(value.name, column.name))
        column.*value.field = *stored;
    }
  }
  std::stable_sort(columns.begin(), columns.end(),
                   [](const ListColumn& a, const ListColumn& b) { return a.order < b.order; });
}

bool SaveListColumns(SettingsStore& store, const std::vector<ListColumn>& columns) {
  bool all = true;
  for (const ListColumn& column : columns) {
    for (const ColumnValue& value : kValues)
      all = store.WriteSettingInt(column.*value.field, value.name, column.name) && all;
  }
  return all;
}

}  // namespace zq48
