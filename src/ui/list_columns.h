#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/settings_store.h"

namespace zq48 {

// One column of the file list. Each column keeps its layout in a settings
// section named after its title.
struct ListColumn {
  std::string name;             // title, and the section its values are kept in
  std::int32_t id = 0;          // command id of the column in the column menu
  std::int32_t index = 0;       // position in the list (stale while hidden)
  std::int32_t order = 0;       // place among all columns; a shown column returns there
  std::int32_t width = 0;       // pixels
  std::int32_t show = 1;        // 1 visible, 0 hidden
  std::int32_t format = 0;      // text alignment: 0 left, 1 right
  std::int32_t sortColumn = 0;  // slot of the column's text among a row's sort texts

  bool operator==(const ListColumn&) const = default;
};

// "File name", "Full path", "Size" and "Duration", as a new user sees them.
std::vector<ListColumn> DefaultListColumns();

// Overrides each column's values with the stored ones; a value that cannot
// be read keeps what the column had. The columns end up ordered by `order`.
void LoadListColumns(SettingsStore& store, std::vector<ListColumn>& columns);

// Stores every value of every column; true when all were stored.
bool SaveListColumns(SettingsStore& store, const std::vector<ListColumn>& columns);

}  // namespace zq48
